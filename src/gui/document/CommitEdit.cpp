#include "gui/document/CommitEdit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

namespace liqiva {

CommitEdit::CommitEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &CommitEdit::edited);
    connect(this, &QLineEdit::editingFinished, this, [this] { commit(); });
}

void CommitEdit::showAccepted(const QString &text)
{
    m_accepted = text;
    if (!hasFocus())
        m_onEntry = text;
    const QSignalBlocker block(this);
    setText(text);
}

bool CommitEdit::commit()
{
    // A refusal shows a message box, which takes the focus and finishes the editing again.
    if (m_committing || !hasPendingText())
        return true;
    m_committing = true;
    const QString typed = text();
    const bool accepted = !m_accept || m_accept(typed);
    if (accepted) {
        // The acceptor may have shown the value in its own format.
        if (text() == typed)
            m_accepted = typed;
    } else if (isVisible()) {
        // The refused text stays, selected, for the user to correct; the focus comes back.
        QTimer::singleShot(0, this, [this] {
            if (!isVisible() || !isEnabled())
                return;
            setFocus(Qt::OtherFocusReason);
            selectAll();
        });
    }
    m_committing = false;
    return accepted;
}

bool CommitEdit::isSearchKey(const QKeyEvent *event)
{
    const auto mods = event->modifiers() & ~Qt::KeypadModifier;
    return (event->key() == Qt::Key_R && mods == Qt::ControlModifier) ||
           (event->key() == Qt::Key_F4 && mods == Qt::NoModifier);
}

bool CommitEdit::event(QEvent *event)
{
    // Control+R and F4 belong to the box, not to a command of the main window with the same
    // key.
    if (event->type() == QEvent::ShortcutOverride && m_searchable && isSearchKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void CommitEdit::keyPressEvent(QKeyEvent *event)
{
    if (m_searchable && isSearchKey(event)) {
        if (isEnabled() && !isReadOnly())
            Q_EMIT searchRequested();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Undo) && !isReadOnly()) {
        // The box's own history starts again each time a value is shown: Control+Z takes
        // back everything typed since the box was entered, also once it has been taken.
        undoTyping();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CommitEdit::focusInEvent(QFocusEvent *event)
{
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason && !hasPendingText())
        m_onEntry = m_accepted;
    QLineEdit::focusInEvent(event);
}

void CommitEdit::undoTyping()
{
    if (text() == m_onEntry)
        return;
    setText(m_onEntry);
    Q_EMIT edited();
    commit();
    selectAll();
}

void CommitEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (m_searchable) {
        menu->addSeparator();
        QAction *search = menu->addAction(u"&Cerca...\tF4"_qs);
        search->setObjectName(u"actCerca"_qs);
        search->setEnabled(isEnabled() && !isReadOnly());
        connect(search, &QAction::triggered, this, &CommitEdit::searchRequested);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace liqiva
