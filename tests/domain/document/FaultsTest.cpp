// Settlements under faults, with real processes on both engines: commands killed at random
// moments or writing to a closed pipe, eight users saving and deleting the same and different periods (the last settled
// month always the highest saved), eight users filling one new period at once, amounts and
// keys beyond what the database holds.

#include "database/DbError.h"
#include "database/SqlValue.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/SettlementSession.h"
#include "suite/Refusal.h"
#include "support/Answering.h"
#include "support/ChildTask.h"
#include "support/Failure.h"
#include "support/SavedSettlement.h"
#include "support/ScriptedMessages.h"
#include "support/SettlementRows.h"
#include "support/TestDatabase.h"

#include <QDateTime>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <random>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The demo company: the shop (activity 1, monthly) in VAT year 2 (2024).
constexpr int Company = 1;
constexpr int Shop = 1;
constexpr int Year2024 = 2;

void sleepUntil(qint64 msSinceEpoch)
{
    const qint64 wait = msSinceEpoch - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
}

// A settlement saved and whole: its row, its balance and its report header.
bool whole(Connection &db, int key)
{
    const SqlStatement k = sqlParam(key);
    return db.scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0 AND IDRisultatoLiquidazioneIva = "_qs + k)
               .toInt()
        == 1
        && db.scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 1 AND "
                     u"IDRisultatoLiquidazioneIva = "_qs
                     + k)
                   .toInt()
        == 1
        && db.scalar(u"SELECT COUNT(*) FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + k).toInt() == 1;
}

// One user of many: 20 rounds of saving or deleting a month of the shop, the first three
// months shared with every other user, one month its own. A refusal must say why; a save that
// says it saved must have saved its settlement whole.
const ChildTask manyUsersTask("many-users", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    const int index = args.value(1).toInt();
    sleepUntil(args.value(2).toLongLong());
    std::mt19937 random(20261207u + unsigned(index));
    const int function = settlementFunctionOf(*db);
    int refusals = 0;
    for (int round = 0; round < 20; ++round) {
        const int month = random() % 4 == 0 ? 4 + index : 1 + int(random() % 3);
        const bool save = random() % 3 != 0;
        ScriptedMessages messages; // every question answered yes: an existing one is shown
        SettlementSession session(*db, 1, function);
        DocumentContext ctx{*db, messages, 1, Company, function, true};
        ctx.heldByOther = [&session](int k) { return session.holderOf(k); };
        try {
            if (save) {
                NewSettlement ns(*db, Company, 1);
                ns.setOnCreated([&session](int k) { session.hold(k); });
                ns.sbSetComboMesi(Shop, Year2024, 0);
                if (confirmAnswering(ns, messages, Shop, Year2024, ns.indexOfMonth(month), 0, true) != 1) {
                    if (messages.texts().isEmpty())
                        return 20; // refused without a word
                    ++refusals;
                    continue;
                }
                const int key = ns.currentKey();
                session.hold(key);
                SettlementDocument doc(ctx);
                doc.sbChildFill(key, false);
                bool saved = false;
                const QString failure = failureOf([&] { saved = saveAnswering(doc); });
                if (saved) {
                    if (!whole(*db, key))
                        return 21; // said saved, is not there
                } else {
                    if (failure.isEmpty() && messages.texts().isEmpty())
                        return 22; // refused without a word
                    ++refusals;
                    doc.sbRemoveTrashRecord();
                }
            } else {
                const QVariant key =
                    db->scalar(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE "
                               u"VirtualDelete = 0 AND IDAttivitaAzienda = 1 AND IDPeriodoIva = 2 AND IDMese = ?"_qs,
                               {sqlValue(month)});
                if (key.isNull())
                    continue;
                session.hold(key.toInt());
                SettlementDocument doc(ctx);
                try {
                    doc.sbChildFill(key.toInt(), false);
                } catch (const Refusal &) {
                    ++refusals; // deleted by someone else meanwhile: the fill says so
                    continue;
                }
                bool deleted = false;
                if (const QString failure = failureOf([&] { deleted = doc.sbChildDelete(); }); !deleted) {
                    if (failure.isEmpty() && messages.texts().isEmpty())
                        return 23;
                    ++refusals;
                }
            }
        } catch (const Refusal &e) {
            if (e.message().isEmpty())
                return 25;
            ++refusals;
        } catch (const DbError &e) {
            // an engine refusal (a lock that could not be had in time) is a message too
            if (e.message().isEmpty())
                return 24;
            ++refusals;
        }
    }
    std::printf("refusals %d\n", refusals);
    return 0;
});

// One of eight users who fill the same new period at the same moment, without saving.
const ChildTask fillTask("fill-period", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    sleepUntil(args.value(1).toLongLong());
    ScriptedMessages messages;
    const int function = settlementFunctionOf(*db);
    try {
        const int key = newWorkingSettlement(*db, messages, Company, 1, Shop, Year2024, 6);
        if (!key)
            return messages.texts().isEmpty() ? 30 : 0;
        SettlementDocument doc(DocumentContext{*db, messages, 1, Company, function, true});
        doc.sbChildFill(key, false);
    } catch (const DbError &e) {
        return e.message().isEmpty() ? 31 : 0;
    } catch (const Refusal &e) {
        return e.message().isEmpty() ? 32 : 0;
    }
    return 0;
});

class Faults : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Demo);
        liqiva = qEnvironmentVariable("LIQIVA_BIN_DIR") + u"/liqiva"_qs;
    }
    Connection &db() { return t->db(); }
    int count(const QString &sql) { return db().scalar(sql).toInt(); }

    // The database is sound, and every settlement in it is either saved whole or a working one
    // (none once a command has written after the last kill).
    void expectSound(bool workingRowsAllowed = true)
    {
        if (engine() == Engine::Sqlite)
            EXPECT_EQ(db().scalar(u"PRAGMA integrity_check"_qs).toString(), u"ok"_qs);
        EXPECT_EQ(settlementFaults(db(), workingRowsAllowed), QStringList());
        EXPECT_EQ(
            count(
                u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva r WHERE VirtualDelete = 0 AND NOT EXISTS (SELECT 1 "
                u"FROM CampoReportLiquidazioneIva c WHERE c.IDRisultatoLiquidazioneIva = r.IDRisultatoLiquidazioneIva)"_qs),
            0);
        EXPECT_EQ(
            count(u"SELECT COUNT(*) FROM (SELECT IDRisultatoLiquidazioneIva FROM CampoReportLiquidazioneIva GROUP BY "
                  u"IDRisultatoLiquidazioneIva HAVING COUNT(*) > 1) d"_qs),
            0);
        // the last settled month of the activity is the highest month saved
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM AttivitaAziendaPerPeriodoIva a WHERE COALESCE(a.IDMeseUltimaLiquidazione, 0) "
                        u"<> COALESCE((SELECT MAX(IDMese) FROM RisultatoLiquidazioneIva r WHERE r.VirtualDelete = 0 AND "
                        u"r.IDAttivitaAzienda = a.IDAttivitaAzienda AND r.IDPeriodoIva = a.IDPeriodoIva), 0)"_qs),
                  0);
    }
    QStringList settleArgs(int month)
    {
        return {u"settle"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--activity"_qs, u"1"_qs, u"--vat-year"_qs,
                u"2024"_qs, u"--period"_qs, QString::number(month), u"--yes"_qs, u"--save"_qs};
    }
    // Runs liqiva, killing it after `killAfterUs` microseconds when that is not negative.
    // Returns the exit code, or -1 when it was killed.
    int runLiqiva(const QStringList &args, long killAfterUs = -1)
    {
        QProcess p;
        p.start(liqiva, args);
        EXPECT_TRUE(p.waitForStarted());
        if (killAfterUs >= 0) {
            QThread::usleep(static_cast<unsigned long>(killAfterUs));
            ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        }
        EXPECT_TRUE(p.waitForFinished(120000));
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    long elapsedUs(const QStringList &args)
    {
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(runLiqiva(args), 0);
        return long(timer.nsecsElapsed() / 1000);
    }

    std::unique_ptr<TestDatabase> t;
    QString liqiva;
};

TEST_P(Faults, SavesAndDeletesKilledAtRandomMomentsLeaveEachSettlementWholeOrAbsent)
{
    // How long a save and a delete take here: the kills fall anywhere inside that.
    const long saveUs = elapsedUs(settleArgs(1));
    const QString first = db().scalar(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva"_qs).toString();
    const long deleteUs =
        elapsedUs({u"delete"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs, first});

    std::mt19937 random(424242u);
    int killedSaves = 0, killedDeletes = 0;
    for (int i = 0; i < 50; ++i) {
        const int month = 1 + int(random() % 12);
        if (runLiqiva(settleArgs(month), long(random() % std::max(1L, saveUs))) == -1)
            ++killedSaves;
        expectSound();
        const QVariant saved = db().scalar(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE "
                                           u"VirtualDelete = 0 ORDER BY IDRisultatoLiquidazioneIva"_qs);
        if (saved.isNull())
            continue;
        if (runLiqiva({u"delete"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs, saved.toString()},
                      long(random() % std::max(1L, deleteUs)))
            == -1)
            ++killedDeletes;
        expectSound();
        if (HasFailure())
            return;
    }
    std::printf("[ killed ] %d saves and %d deletes of 50 each\n", killedSaves, killedDeletes);
    EXPECT_GT(killedSaves + killedDeletes, 0);

    // The next command that writes leaves no working settlement and nothing orphaned behind,
    // and every month can be saved.
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(runLiqiva(settleArgs(month)), 0) << month;
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDAttivitaAzienda = 1 AND IDPeriodoIva = 2 "
                    u"AND IDMese IS NOT NULL AND VirtualDelete = 0"_qs),
              12);
    expectSound(false);
}

// A command writing to a pipe its reader closed dies in the middle of its work: it leaves
// no working settlement behind, and the period can be saved at once.
TEST_P(Faults, APipeClosedByItsReaderLeavesNothing)
{
    QStringList args = settleArgs(7);
    args.removeLast(); // a fill, not a save
    for (QString &a : args)
        a = u"'"_qs + a + u"'"_qs;
    QProcess shell;
    shell.start(u"/bin/sh"_qs, {u"-c"_qs, u"'"_qs + liqiva + u"' "_qs + args.join(u' ') + u" --json | true"_qs});
    ASSERT_TRUE(shell.waitForFinished(120000));
    EXPECT_EQ(settlementFaults(db()), QStringList());
    EXPECT_EQ(runLiqiva(settleArgs(7)), 0);
}

TEST_P(Faults, EightUsersSaveAndDeleteTheSameAndOtherPeriods)
{
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    std::vector<std::unique_ptr<QProcess>> users;
    for (int i = 0; i < 8; ++i)
        users.push_back(startChild(u"many-users"_qs, {t->url(), QString::number(i), start}));
    for (auto &u : users) {
        ASSERT_TRUE(u->waitForFinished(600000));
        EXPECT_EQ(u->exitStatus(), QProcess::NormalExit);
        const QByteArray said = u->readAll();
        EXPECT_EQ(u->exitCode(), 0) << said.toStdString();
        std::printf("[ user ] %s", said.constData()); // how many of its 20 rounds were refused
    }
    expectSound(false);
}

TEST_P(Faults, EightUsersFillingOneNewPeriodAtOnceMakeOneSettlement)
{
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    std::vector<std::unique_ptr<QProcess>> users;
    for (int i = 0; i < 8; ++i)
        users.push_back(startChild(u"fill-period"_qs, {t->url(), start}));
    for (auto &u : users) {
        ASSERT_TRUE(u->waitForFinished(600000));
        EXPECT_EQ(u->exitCode(), 0) << u->readAll().toStdString();
    }
    // one working settlement of June, one header, one set of rows
    ASSERT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDMese = 6 AND IDAttivitaAzienda = 1"_qs), 1);
    const int key = count(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE IDMese = 6 AND "
                          u"IDAttivitaAzienda = 1"_qs);
    const QString where = u" WHERE IDRisultatoLiquidazioneIva = "_qs + QString::number(key);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM CampoReportLiquidazioneIva"_qs + where), 1);
    const int rows = count(u"SELECT COUNT(*) FROM RigaReportLiquidazioneIva"_qs + where);
    ScriptedMessages messages;
    SettlementDocument once(DocumentContext{db(), messages, 1, Company, settlementFunctionOf(db()), true});
    once.sbChildFill(key, false);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RigaReportLiquidazioneIva"_qs + where), rows) << "the rows of one fill";
}

TEST_P(Faults, AmountsAndKeysBeyondTheDatabaseAreRefusedBeforeAnythingIsWritten)
{
    ScriptedMessages messages;
    // The three receipts of March, each within a currency column, add up beyond it.
    db().execute(u"UPDATE ContatoreIva SET Importo = 600000000000000 WHERE IDTipoContatoreIva = 5 AND Anno = 2024 AND "
                 u"IDMese = 3 AND AccontoIva = 0"_qs);
    const int key = newWorkingSettlement(db(), messages, Company, 1, Shop, Year2024, 3);
    ASSERT_NE(key, 0);
    SettlementDocument doc(DocumentContext{db(), messages, 1, Company, 1, true});
    try {
        doc.sbChildFill(key, false);
        ADD_FAILURE() << "an overflowing sum was filled";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(u"supera i limiti"_qs)) << e.message().toStdString();
    }
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs
                    + QString::number(key)),
              0);
    doc.sbRemoveTrashRecord();

    // The largest key a key column holds is taken: the next settlement is refused, and no
    // working row is left of it.
    db().execute(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, IDAttivitaAzienda, IDPeriodoIva, "
                 u"IDMese, AccontoIva, VirtualDelete) VALUES (2147483647, 2, 2, 3, 0, 0)"_qs);
    const int before = count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs);
    EXPECT_THROW(newWorkingSettlement(db(), messages, Company, 1, Shop, Year2024, 5), DbError);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs), before);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva < 0"_qs), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Faults);

} // namespace
