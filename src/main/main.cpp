// The settlement program. It is started by the suite's launcher (or by "liqiva launch"),
// which first writes the hand-over block into the user's settings; the word "Debug" on the
// command line keeps that block in place. Started with no hand-over (from the desktop, or with
// no arguments) it starts on its own: "Apri archivio", the sign-in, the company and branch,
// then the same start as the hand-over's.

#include "gui/companies/frmAccesso.h"
#include "gui/companies/frmApriArchivio.h"
#include "startup/OwnStart.h"
#include "gui/shell/frmMDI.h"
#include "startup/Program.h"
#include "suite/HandOverStore.h"
#include "suite/ResourceStrings.h"
#include "gui/common/ErrorReportDialog.h"
#include "gui/common/MessageBoxService.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace liqiva;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(LIQIVA_VERSION));
    // The program speaks Italian: also the buttons of the message boxes ("Sì", "Annulla").
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Italian), u"qtbase"_qs, u"_"_qs, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    ResourceStrings texts;
    const std::unique_ptr<HandOverStore> store = HandOverStore::forUser(texts.registryApplicationName());
    MessageBoxService messages;
    ErrorReportDialog errors;
    ProgramEnvironment env{*store, messages, texts, errors, QCoreApplication::applicationFilePath(),
                           QCoreApplication::arguments(), QStringLiteral(LIQIVA_VERSION),
                           [](int user, const QString &userName) { return frmAccesso::ask(user, userName); }};
    const QString section = Program::executableName(env.applicationFilePath);
    if (OwnStart::wanted(*store, section)) {
        std::optional<OwnStartChoice> chosen = OwnStartWindows(*store, messages, section).run();
        if (!chosen)
            return 0;
        // The one connection, handed over once.
        auto db = std::make_shared<std::unique_ptr<Connection>>(std::move(chosen->db));
        env.openDatabase = [db] { return std::move(*db); };
        env.signedInUser = chosen->user;
    }
    Program program(env);
    program.setEndHandler([](int code) { QCoreApplication::exit(code); });

    frmMDI window(program);
    if (program.start(window) != Program::Outcome::Running)
        return program.exitCode();
    const int code = QApplication::exec();
    if (!program.ended()) // the event loop ended without the window's closing sequence
        program.endOfProgram();
    return program.ended() && program.exitCode() != 0 ? program.exitCode() : code;
}
