#pragma once

#include <QString>
#include <QStringList>

namespace liqiva {

// The title of the main window and the caption of every message box.
inline const QString &applicationTitle()
{
    static const QString title = QStringLiteral("Liquidazione I.V.A.");
    return title;
}

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { Information, Warning, Critical, Question };
enum class Answer { Ok, Cancel, Yes, No };

// Every message and question of the program goes through one of these: the windows show a
// message box, the command line writes to standard error and answers from its flags, the
// tests script the answers and read the texts back.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual Answer messageBox(const QString &text, Buttons buttons, Icon icon, const QString &title) = 0;

    void inform(const QString &text) { messageBox(text, Buttons::Ok, Icon::Information, applicationTitle()); }
    void warn(const QString &text) { messageBox(text, Buttons::Ok, Icon::Warning, applicationTitle()); }
    void error(const QString &text) { messageBox(text, Buttons::Ok, Icon::Critical, applicationTitle()); }
    bool askYesNo(const QString &text)
    {
        return messageBox(text, Buttons::YesNo, Icon::Question, applicationTitle()) == Answer::Yes;
    }
    bool askOkCancel(const QString &text)
    {
        return messageBox(text, Buttons::OkCancel, Icon::Question, applicationTitle()) == Answer::Ok;
    }
};

// Writes every message to standard error; questions get the answer chosen on the command
// line (--yes answers Yes and OK, otherwise No and Cancel, and the line says how to answer
// yes). Keeps the texts for the JSON, with plain newlines between their lines.
class ConsoleMessages : public MessageService {
public:
    explicit ConsoleMessages(bool answerYes = false) : m_yes(answerYes) {}
    Answer messageBox(const QString &text, Buttons buttons, Icon icon, const QString &title) override;
    const QStringList &texts() const { return m_texts; }
    void setQuiet(bool quiet) { m_quiet = quiet; }
    bool quiet() const { return m_quiet; }
    // True when the last message was a question answered no (or cancelled) because the
    // command line did not say --yes.
    bool lastAnsweredNo() const { return m_lastNo; }

private:
    bool m_yes;
    bool m_quiet = false;
    bool m_lastNo = false;
    QStringList m_texts;
};

} // namespace liqiva
