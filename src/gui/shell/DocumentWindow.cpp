#include "gui/shell/DocumentWindow.h"

#include "gui/shell/BrowseFace.h"

#include <QCloseEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace liqiva {

DocumentWindow::DocumentWindow(int number, MessageService &messages, QWidget *parent)
    : QWidget(parent), m_number(number), m_browse(new BrowseFace(messages, this)), m_stack(new QStackedWidget(this)),
      m_noForm(new QLabel(this))
{
    setObjectName(u"DocumentWindow"_qs);
    m_noForm->setObjectName(u"lblNoForm"_qs);
    m_noForm->setAlignment(Qt::AlignCenter);
    m_noForm->setWordWrap(true);
    m_stack->addWidget(m_browse);
    m_stack->addWidget(m_noForm);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_stack);
    connect(m_browse, &BrowseFace::rowActivated, this, [this] { Q_EMIT commandRequested(u"Mnu_SearchForm"_qs); });
    connect(m_browse, &BrowseFace::executeRequested, this,
            [this] { Q_EMIT commandRequested(u"Mnu_SearchExecute"_qs); });
}

DocumentWindow::~DocumentWindow() = default;

void DocumentWindow::setFormFace(std::unique_ptr<FormFace> form)
{
    if (m_form)
        m_stack->removeWidget(m_form->widget());
    m_form = std::move(form);
    if (m_form) {
        m_stack->addWidget(m_form->widget());
        if (m_face == Face::Form)
            m_stack->setCurrentWidget(m_form->widget());
    }
}

void DocumentWindow::showFace(Face face)
{
    m_face = face;
    if (face == Face::Form) {
        if (m_form) {
            m_stack->setCurrentWidget(m_form->widget());
        } else {
            m_noForm->setText(u"La scheda della liquidazione non è disponibile in questa versione del programma."_qs);
            m_stack->setCurrentWidget(m_noForm);
        }
        return;
    }
    m_browse->setView(face == Face::Table ? BrowseFace::View::Table : BrowseFace::View::Filter);
    m_stack->setCurrentWidget(m_browse);
}

void DocumentWindow::setChangedObject(bool changed)
{
    m_changed = changed;
}

void DocumentWindow::updateCaption(const QString &lowerCaseName)
{
    QString caption;
    if (m_tag > 0 && !m_saved) {
        caption = u"Nuova elaborazione"_qs;
    } else {
        // The lower-case name with its first letter raised, and the settlement's key.
        QString name = lowerCaseName;
        if (!name.isEmpty())
            name[0] = name.at(0).toUpper();
        caption = name;
        if (m_tag > 0 && m_face == Face::Form)
            caption += u" "_qs + QString::number(m_tag);
    }
    if (m_tag > 0 && m_face == Face::Form && m_form && m_form->key() == m_tag && !m_form->caption().isEmpty())
        caption += u" - "_qs + m_form->caption();
    setWindowTitle(caption);
}

QString DocumentWindow::documentCaption() const
{
    if (m_form && m_tag > 0 && !m_form->caption().isEmpty())
        return m_form->caption();
    return windowTitle();
}

void DocumentWindow::closeWithoutQuestion()
{
    m_skipQuestion = true;
    if (QWidget *frame = parentWidget(); frame && frame->inherits("QMdiSubWindow"))
        frame->close();
    else
        close();
    m_skipQuestion = false;
}

void DocumentWindow::focusFirstField()
{
    if (m_face == Face::Form) {
        if (!m_form)
            return;
        // The first control of the form in tab order.
        QWidget *form = m_form->widget();
        for (QWidget *w = form->nextInFocusChain(); w && w != form; w = w->nextInFocusChain()) {
            if (form->isAncestorOf(w) && w->isVisibleTo(form) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                w->setFocus(Qt::TabFocusReason);
                return;
            }
        }
        form->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (QWidget *w = m_browse->focusTarget())
        w->setFocus(Qt::OtherFocusReason);
}

void DocumentWindow::closeEvent(QCloseEvent *event)
{
    if (!m_skipQuestion && m_closeHandler) {
        bool cancel = false;
        m_closeHandler(*this, cancel);
        if (cancel) {
            event->ignore();
            return;
        }
    }
    m_closing = true;
    event->accept();
}

} // namespace liqiva
