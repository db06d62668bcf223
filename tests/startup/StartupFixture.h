#pragma once

// Shared by the start-up tests and the window tests: the suite tables the start-up reads,
// a hand-over store in a temporary folder, and a recorder in place of the main window.

#include "startup/MainWindowInterface.h"
#include "startup/Program.h"
#include "database/SqlValue.h"
#include "suite/ErrorReport.h"
#include "suite/HandOverStore.h"
#include "suite/ResourceStrings.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QMap>
#include <QTemporaryDir>
#include <functional>
#include <vector>

namespace liqiva::test {

// Test keys, far from the reference rows of the schema.
constexpr int testObjectType = 9001;
constexpr int testHelpContext = 4711;
constexpr int settlementFunction = 9001;  // carries the settlement process
constexpr int otherFunction = 9002;       // carries other processes only
constexpr int testUser = 7;
constexpr int testCompany = 9001;
constexpr int testBranch = 9001;
constexpr int testActivity = 9001;

inline void addFunction(Connection &db, int idFunction, int objectType, const std::vector<int> &processes)
{
    const SqlStatement t = sqlParam(objectType);
    if (db.scalar(u"SELECT COUNT(*) FROM TipoOggetto WHERE IDTipoOggetto = "_qs + t).toInt() == 0)
        db.executeRaw(u"INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID) VALUES ("_qs + t +
                      u", 'Liquidazione I.V.A.', "_qs + sqlParam(testHelpContext) + u")"_qs);
    db.executeRaw(u"INSERT INTO Funzione (IDFunzione, Funzione, IDTipoOggetto) VALUES ("_qs + sqlParam(idFunction) +
                  u", 'Prova', "_qs + t + u")"_qs);
    int sequence = 1;
    for (int p : processes) {
        const int key = idFunction * 100 + sequence;
        db.executeRaw(u"INSERT INTO ProcessoPerFunzione (IDProcessoPerFunzione, IDFunzione, IDProcesso, Sequenza) "
                      u"VALUES (?, ?, ?, ?)"_qs,
                      {sqlValue(key), sqlValue(idFunction), sqlValue(p), sqlValue(sequence)});
        db.executeRaw(
            u"INSERT INTO ParametroProcessoPerFunzione (IDParametroProcessoPerFunzione, "
            u"IDProcessoPerFunzione, IDParametroProcesso, ParametroProcessoPerFunzione) VALUES (?, ?, 1, 'x')"_qs,
            {sqlValue(key), sqlValue(key)});
        ++sequence;
    }
}

// The rows a start-up of the test functions needs.
inline void addStartupRows(Connection &db)
{
    addFunction(db, settlementFunction, testObjectType, {12, 59, 40});
    addFunction(db, otherFunction, testObjectType, {12, 40});
    db.executeRaw(u"INSERT INTO Utente (IDUtente, Utente) VALUES (7, 'anna')"_qs);
    db.executeRaw(u"INSERT INTO Azienda (IDAzienda, Azienda) VALUES (9001, 'Ditta Prova S.r.l.')"_qs);
    db.executeRaw(u"INSERT INTO AttivitaAzienda (IDAttivitaAzienda, AttivitaAzienda, IDAzienda) VALUES (9001, "
                  u"'Commercio', 9001)"_qs);
    db.executeRaw(u"INSERT INTO Filiale (IDFiliale, Filiale, IDAttivitaAzienda) VALUES (9001, 'Sede', 9001)"_qs);
}

// A main window that records what the start-up did to it.
class RecordingWindow : public MainWindowInterface {
public:
    unsigned long long windowHandle() override { return 123456789ULL; }
    void setWindowProperty(const char *name, const QVariant &value) override { properties[QString::fromUtf8(name)] = value; }
    QVariant windowProperty(const char *name) const override { return properties.value(QString::fromUtf8(name)); }
    void enableDebugHook() override { debugHook = true; }
    void initialise() override { initialised = true; }
    void showWindow() override { shown = true; }
    void unload() override { unloaded = true; }

    QMap<QString, QVariant> properties;
    bool debugHook = false;
    bool initialised = false;
    bool shown = false;
    bool unloaded = false;
};

// A hand-over store in a temporary folder, the scripted messages, a recorder of error
// reports, and a program built on them.
struct StartupHarness {
    static inline const QString executable = QStringLiteral("liquidazione-iva");

    QTemporaryDir dir;
    ResourceStrings texts;
    std::unique_ptr<HandOverStore> store = HandOverStore::inFolder(texts.registryApplicationName(), dir.path());
    ScriptedMessages messages;
    RecordingErrorReporter errors;
    std::unique_ptr<Program> program;
    std::vector<int> ends;

    // The hand-over block of a launcher, for a database.
    void writeHandOver(const QString &database, Engine engine, int idFunction = settlementFunction)
    {
        const QString s = executable;
        store->write(s, HandOver::UserName, u"anna"_qs);
        store->write(s, HandOver::Password, u"segreta"_qs);
        store->write(s, HandOver::IDUser, QString::number(testUser));
        store->write(s, HandOver::lIDFirm, QString::number(testCompany));
        store->write(s, HandOver::lIDBranch, QString::number(testBranch));
        store->write(s, HandOver::IDFunction, QString::number(idFunction));
        store->write(s, HandOver::lIDActivity, QString::number(testActivity));
        store->write(s, HandOver::FirmName, u"Ditta Prova S.r.l."_qs);
        store->write(s, HandOver::Branch, u"Sede"_qs);
        store->write(HandOver::MenuSettings, HandOver::Path, u"C:\\Brevanto"_qs);
        store->write(HandOver::MenuSettings, HandOver::DBType, QString::number(int(engine)));
        store->write(HandOver::MenuSettings, HandOver::Database,
                     engine == Engine::Sqlite && database.startsWith(u"sqlite:"_qs) ? database.mid(7) : database);
        store->sync();
    }

    // A program on the store; `adjust` changes its environment first (how a password is
    // asked, a connection already open).
    Program &makeProgram(const QStringList &extraArguments = {},
                         const std::function<void(ProgramEnvironment &)> &adjust = {})
    {
        const QString file = u"/opt/brevanto/"_qs + executable;
        ProgramEnvironment env{*store, messages, texts, errors, file, QStringList{file} + extraArguments, u"1.0.0"_qs};
        if (adjust)
            adjust(env);
        program = std::make_unique<Program>(env);
        program->setEndHandler([this](int code) { ends.push_back(code); });
        return *program;
    }

    bool has(const QString &key) const { return store->contains(executable, key); }
};

// The schema with the start-up's rows and a launcher's hand-over for them, on each engine.
class HandedOverTest : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Schema);
        addStartupRows(t->db());
        h.writeHandOver(t->url(), engine());
    }

    std::unique_ptr<TestDatabase> t;
    StartupHarness h;
    RecordingWindow window;
};

} // namespace liqiva::test
