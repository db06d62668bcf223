#include "document/ui/CommitEdit.h"

#include <QKeyEvent>

namespace liqiva {

CommitEdit::CommitEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, &CommitEdit::edited);
    connect(this, &QLineEdit::editingFinished, this, [this] { commit(); });
}

void CommitEdit::showAccepted(const QString &text)
{
    m_accepted = text;
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
    } else {
        showAccepted(m_accepted);
    }
    m_committing = false;
    return accepted;
}

bool CommitEdit::isSearchKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_R && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

bool CommitEdit::event(QEvent *event)
{
    // Control+R belongs to the box, not to a command of the main window with the same key.
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
    QLineEdit::keyPressEvent(event);
}

} // namespace liqiva
