#include "suite/Messages.h"

#include "database/OpenTransactions.h"

#include <cstdio>

namespace liqiva {

Answer ConsoleMessages::messageBox(const QString &text, Buttons buttons, Icon, const QString &)
{
    checkNoOpenTransaction("ConsoleMessages");
    // Lines of a message are separated by a carriage return, as message boxes take them.
    QString shown = text;
    shown.replace(u"\r\n"_qs, u"\n"_qs).replace(u'\r', u'\n');
    m_texts << shown;
    Answer a = Answer::Ok;
    QString suffix;
    switch (buttons) {
    case Buttons::Ok:
        break;
    case Buttons::OkCancel:
        a = m_yes ? Answer::Ok : Answer::Cancel;
        suffix = m_yes ? u" [OK]"_qs : u" [Annulla] (per confermare: --yes)"_qs;
        break;
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        a = m_yes ? Answer::Yes : Answer::No;
        suffix = m_yes ? u" [Sì]"_qs : u" [No] (rispondere sì con --yes)"_qs;
        break;
    }
    m_lastNo = buttons != Buttons::Ok && !m_yes;
    if (!m_quiet) {
        const QByteArray line = (shown + suffix + u'\n').toUtf8();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
    }
    return a;
}

} // namespace liqiva
