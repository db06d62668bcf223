#include "gui/shell/ShellHelp.h"

#include "gui/shell/DocumentWindow.h"
#include "gui/shell/ShellDocuments.h"
#include "gui/shell/frmMDI.h"
#include "startup/Program.h"
#include "suite/Messages.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

namespace liqiva {

void ShellHelp::openHelp(const QString &page, QWidget *over)
{
    const HelpBook book(m_helpRoot.isEmpty() ? QStringLiteral(":/help") : m_helpRoot);
    if (!book.available()) {
        m_w.program().messages().warn(HelpBook::UnavailableText);
        return;
    }
    if (over) {
        // Over a dialog the help is its own window on top of it, closed before going back.
        auto *help = new frmHelp(book, over);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->setWindowModality(Qt::WindowModal);
        help->showPage(page);
        m_help = help;
        help->show();
        return;
    }
    if (!m_help) {
        m_help = new frmHelp(book, &m_w);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->showPage(page);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void ShellHelp::commandHelp(bool index)
{
    if (index) {
        openHelp(HelpBook::indexPage());
        return;
    }
    QWidget *focus = QApplication::focusWidget();
    if (!focus || focus->window() != &m_w) {
        DocumentWindow *doc = m_w.docs().activeDocument();
        focus = doc ? static_cast<QWidget *>(doc) : static_cast<QWidget *>(&m_w);
    }
    // A document window showing its list has the list's page; its form the page of its tab.
    openHelp(HelpBook::pageFor(focus));
}

bool ShellHelp::helpKey(QObject *watched, QEvent *event)
{
    // F1 in a dialog of the program opens the page of that dialog (the main window's own keys
    // go through the command bar).
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *k = static_cast<QKeyEvent *>(event);
    if (k->key() != Qt::Key_F1 || k->modifiers() != Qt::NoModifier)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() == &m_w || !qobject_cast<QDialog *>(w->window()))
        return false;
    if (w->window()->parentWidget() && w->window()->parentWidget()->window() != &m_w)
        return false;
    openHelp(HelpBook::pageFor(w), w->window());
    return true;
}

void ShellHelp::close()
{
    if (m_help)
        m_help->close();
}

} // namespace liqiva
