#pragma once

#include <QLineEdit>
#include <functional>

namespace liqiva {

// A text box whose value is taken when the user leaves it (or presses Enter): the owner's
// acceptor checks and stores the typed text. A refused text changes nothing: it stays in the
// box for the user to correct (the acceptor has said why) and the box keeps the focus. Code
// boxes also offer a search list on F4, Control+R and in their context menu. Control+Z takes
// back what was typed since the box was entered, also after it has been taken.
class CommitEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CommitEdit(QWidget *parent = nullptr);

    // Takes the typed text: true when accepted (the acceptor stores it and may show it
    // again through showAccepted), false when refused (the acceptor has said why).
    void setAcceptor(std::function<bool(const QString &)> accept) { m_accept = std::move(accept); }
    // Offers the search list on F4 and Control+R (the searchRequested signal).
    void setSearchable(bool searchable) { m_searchable = searchable; }
    bool isSearchable() const { return m_searchable; }

    // Shows a value as the accepted one, without signals.
    void showAccepted(const QString &text);
    // Takes what is typed now; false when it was refused. Nothing happens when the text is
    // the accepted one.
    bool commit();
    bool hasPendingText() const { return text() != m_accepted; }
    // The text last accepted.
    QString acceptedText() const { return m_accepted; }

Q_SIGNALS:
    // The user typed something (the document is changed from the first key).
    void edited();
    // Control+R in a searchable box.
    void searchRequested();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    static bool isSearchKey(const QKeyEvent *event);

    std::function<bool(const QString &)> m_accept;
    QString m_accepted;
    // Takes back the typing since the box was entered.
    void undoTyping();

    bool m_searchable = false;
    bool m_committing = false;
    QString m_onEntry; // the accepted text when the box was entered
};

} // namespace liqiva
