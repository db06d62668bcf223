// Three users on one settlement key at once, as real liqiva processes: A works on a settlement
// and is paused (SIGSTOP) at a random moment; meanwhile B deletes that settlement and C saves a
// new one, which takes the freed key (new keys are the largest plus one); then A goes on (SIGCONT).
// Whatever the moment of the pause, A never saves, deletes or marks the new settlement as if it
// were the one it read, and the database is whole. The rounds per case come from
// LIQIVA_KEY_REUSE_ROUNDS (scripts/key-reuse-races.sh runs 200); each case prints how many
// rounds went wrong.

#include "domain/communication/PeriodicCommunication.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "support/Answering.h"
#include "support/DemoCommandTest.h"
#include "support/Failure.h"
#include "support/ScriptedMessages.h"
#include "support/SettlementRows.h"
#include "support/TestDatabase.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <map>

using namespace liqiva;
using namespace liqiva::test;

namespace {

constexpr int kVatYear2024 = 2; // the demo's VAT year 2024

enum class Race { Settle, Delete, Communication };

struct RaceCase {
    const char *name;
    Race race;
};

class KeyReuse : public DemoCommandTest {
protected:
    Connection &db() { return t->db(); }

    // A settlement of 2024 saved in this process as the user does it; its key.
    int save(int activity, int month)
    {
        ScriptedMessages messages; // every question answered yes
        const int key = newWorkingSettlement(db(), messages, 1, 1, activity, kVatYear2024, month);
        if (!key)
            return 0;
        SettlementDocument doc(DocumentContext{db(), messages, 1, 1, 1, true});
        doc.sbChildFill(key, false);
        bool saved = false;
        failureOf([&] { saved = saveAnswering(doc); });
        return saved ? doc.key() : 0;
    }
    void saveQuarter()
    {
        for (int month = 1; month <= 3; ++month) {
            save(1, month);
            save(3, month);
        }
        save(2, 3);
    }
    int remove(int key)
    {
        ScriptedMessages messages;
        SettlementDocument doc(DocumentContext{db(), messages, 1, 1, 1, true});
        doc.sbChildFill(key, false);
        bool deleted = false;
        failureOf([&] { deleted = doc.sbChildDelete(); });
        return deleted;
    }
    Money balance(int key)
    {
        return Money::fromVariant(
            db().scalar(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE "
                        u"IDRisultatoLiquidazioneIva = ? AND IDTipoRisultatoLiquidazioneIva = 1"_qs,
                        {key}));
    }
    // (activity, month) of a live settlement; nothing when there is none with that key.
    std::optional<std::pair<int, int>> periodOf(int key)
    {
        Recordset rs = db().openRecordset(u"SELECT IDAttivitaAzienda, IDMese FROM RisultatoLiquidazioneIva WHERE "
                                          u"IDRisultatoLiquidazioneIva = ? AND VirtualDelete = 0"_qs,
                                          {key});
        if (rs.eof())
            return std::nullopt;
        return std::make_pair(rs.integer(u"IDAttivitaAzienda"_qs),
                              rs.isNull(u"IDMese"_qs) ? 0 : rs.integer(u"IDMese"_qs));
    }

    std::unique_ptr<QProcess> start(const QStringList &args)
    {
        auto p = std::make_unique<QProcess>();
        startLiqiva(*p, QStringList{args.first(), u"--db"_qs, t->url()} + args.mid(1), work.path());
        p->waitForStarted();
        return p;
    }
    static QStringList settle(int activity, int period)
    {
        return u"settle --user 1 --activity %1 --vat-year 2024 --period %2 --save --yes --json"_qs.arg(activity)
            .arg(period)
            .split(u' ');
    }
    static QStringList deleteArgs(const QString &key)
    {
        return {u"delete"_qs, u"--user"_qs, u"1"_qs, u"--id"_qs, key, u"--yes"_qs};
    }
    QStringList communication() const
    {
        return u"communication --user 1 --company 1 --year 2024 --quarter 1 --out"_qs.split(u' ')
               << work.filePath(u"q1.xml"_qs);
    }
    // The (activity, month) and key of every settlement, or of the live ones only.
    std::vector<std::pair<std::pair<int, int>, int>> settlements(bool liveOnly)
    {
        std::vector<std::pair<std::pair<int, int>, int>> keys;
        for (Recordset rs = db().openRecordset(u"SELECT IDRisultatoLiquidazioneIva, IDAttivitaAzienda, IDMese FROM "
                                               u"RisultatoLiquidazioneIva"_qs +
                                               (liveOnly ? u" WHERE VirtualDelete = 0"_qs : QString()));
             !rs.eof(); rs.moveNext())
            keys.push_back({{rs.integer(u"IDAttivitaAzienda"_qs), rs.integer(u"IDMese"_qs)},
                            rs.integer(u"IDRisultatoLiquidazioneIva"_qs)});
        return keys;
    }

    // The settlement that B deletes, saved last so that it holds the largest key: the shop's
    // January alone, or the wholesaler's first quarter after the rest of the quarter.
    int prepare(Race race)
    {
        removeEverySettlement(db());
        QFile::remove(work.filePath(u"q1.xml"_qs));
        if (race != Race::Communication)
            return save(1, 1);
        saveQuarter();
        return save(4, 3);
    }

    // The balance each period has whoever saves it, as the rounds leave the other periods:
    // what tells a settlement saved with another period's figures.
    void computeReferences()
    {
        auto &lone = references[Race::Settle];
        removeEverySettlement(db());
        lone[{1, 1}] = balance(save(1, 1));
        removeEverySettlement(db());
        lone[{1, 3}] = balance(save(1, 3));
        references[Race::Delete] = lone;
        auto &quarter = references[Race::Communication];
        prepare(Race::Communication);
        for (const auto &[period, key] : settlements(false))
            quarter[period] = balance(key);
        remove(periodKey(4, 3));
        quarter[{4, 6}] = balance(save(4, 6));
    }
    int periodKey(int activity, int month)
    {
        return db()
            .scalar(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE IDAttivitaAzienda = ? "
                    u"AND IDMese = ?"_qs,
                    {activity, month})
            .toInt();
    }

    // One round; what went wrong in it, one line each.
    QStringList round(Race race, int pauseMs)
    {
        const int key = prepare(race);
        if (key <= 0)
            return {u"the round could not be prepared"_qs};
        const QString k = QString::number(key);
        auto a = start(race == Race::Settle ? settle(1, 1) : race == Race::Delete ? deleteArgs(k) : communication());
        QThread::msleep(pauseMs);
        const auto pid = static_cast<pid_t>(a->processId());
        const bool paused = a->state() == QProcess::Running && ::kill(pid, SIGSTOP) == 0;
        bool resumed = !paused;
        auto resume = [&] {
            if (!resumed)
                ::kill(pid, SIGCONT);
            resumed = true;
        };
        // B and C while A stands still; one that waits for A's locks lets A go on.
        auto finish = [&](QProcess &p) {
            if (!p.waitForFinished(4000)) {
                resume();
                p.waitForFinished(120000);
            }
        };
        auto b = start(deleteArgs(k));
        finish(*b);
        const bool deleted = b->exitCode() == 0;
        auto c = start(race == Race::Communication ? settle(4, 6) : settle(1, 3));
        finish(*c);
        resume();
        a->waitForFinished(120000);

        QStringList faults = settlementFaults(db());
        for (QProcess *p : {a.get(), b.get(), c.get()})
            if (p->state() != QProcess::NotRunning || p->exitStatus() != QProcess::NormalExit || p->exitCode() > 1)
                faults << u"a process did not end by itself: "_qs + QString::fromUtf8(p->readAllStandardError());
        const QByteArray rawA = a->readAllStandardOutput();
        const QJsonObject outA = QJsonDocument::fromJson(rawA).object();
        // A delete paused before it read anything finds the new settlement under the key, as
        // if it had been started later, and says so: that one it may delete.
        const bool aDeletedTheNewOne = race == Race::Delete && a->exitCode() == 0 &&
                                       QString::fromUtf8(rawA).contains(u"Marzo"_qs, Qt::CaseInsensitive);
        const QJsonObject outC = QJsonDocument::fromJson(c->readAllStandardOutput()).object();
        // Every saved settlement has the figures of its own period. (Read on this process's one
        // connection: a second one, opened and closed here, would drop SQLite's locks.)
        for (const auto &[period, saved] : settlements(true)) {
            const auto expected = references[race].find(period);
            if (expected == references[race].end() || (period == std::pair(4, 6) && !deleted))
                continue;
            const Money got = balance(saved);
            if (got != expected->second)
                faults << QStringLiteral("settlement %1 (activity %2, month %3) has the balance %4 instead of %5")
                              .arg(saved)
                              .arg(period.first)
                              .arg(period.second)
                              .arg(got.toString(), expected->second.toString());
        }
        // C's new settlement is its own and nobody else's, whoever else ends well.
        const int newKey = outC.value(u"id"_qs).toInt();
        keyTaken += c->exitCode() == 0 && newKey == key && paused;
        const std::pair<int, int> newPeriod = race == Race::Communication ? std::pair(4, 6) : std::pair(1, 3);
        if (c->exitCode() == 0 && !aDeletedTheNewOne && periodOf(newKey) != std::optional(newPeriod))
            faults << QStringLiteral("C's new settlement %1 is gone or changed").arg(newKey);
        switch (race) {
        case Race::Settle:
            if (a->exitCode() == 0 && outA.value(u"settlement"_qs).toObject().value(u"IDMese"_qs).toInt() != 1)
                faults << QStringLiteral("A saved month %1 as January")
                              .arg(outA.value(u"settlement"_qs).toObject().value(u"IDMese"_qs).toInt());
            break;
        case Race::Delete:
            // What A says it deleted is what is gone.
            if (a->exitCode() == 0 && !aDeletedTheNewOne && periodOf(newKey) != std::optional(newPeriod) &&
                c->exitCode() == 0)
                faults << u"A said it deleted January and deleted March"_qs;
            break;
        case Race::Communication: {
            const int marks = db().scalar(u"SELECT COUNT(*) FROM ComunicazioneLiquidazioneIva"_qs).toInt();
            if (a->exitCode() != 0 && (marks != 0 || QFile::exists(work.filePath(u"q1.xml"_qs))))
                faults << QStringLiteral("a refused communication left %1 marks or its file").arg(marks);
            const int notOfTheQuarter =
                db().scalar(u"SELECT COUNT(*) FROM ComunicazioneLiquidazioneIva INNER JOIN RisultatoLiquidazioneIva ON "
                            u"IDComunicazioneLiquidazioneIva = IDRisultatoLiquidazioneIva WHERE IDMese > 3"_qs)
                    .toInt();
            if (notOfTheQuarter != 0)
                faults << QStringLiteral("%1 settlements outside the quarter marked").arg(notOfTheQuarter);
            break;
        }
        }
        return faults;
    }

    std::map<Race, std::map<std::pair<int, int>, Money>> references;
    int keyTaken = 0; // rounds where C took the key while A stood still
};

TEST_P(KeyReuse, APausedUserNeverTakesTheNewSettlementForTheOneItRead)
{
    const int rounds = qEnvironmentVariableIsSet("LIQIVA_KEY_REUSE_ROUNDS")
                           ? qEnvironmentVariableIntValue("LIQIVA_KEY_REUSE_ROUNDS")
                           : 7;
    computeReferences();
    const RaceCase cases[] = {
        {"settle", Race::Settle},
        {"delete", Race::Delete},
        {"communication", Race::Communication},
    };
    for (const RaceCase &c : cases) {
        SCOPED_TRACE(c.name);
        // A's own time without a pause: the pauses fall anywhere inside it.
        int span = 50;
        {
            const QString k = QString::number(prepare(c.race));
            QElapsedTimer clock;
            clock.start();
            auto a = start(c.race == Race::Settle   ? settle(1, 1)
                           : c.race == Race::Delete ? deleteArgs(k)
                                                    : communication());
            a->waitForFinished(120000);
            span = int(std::max<qint64>(clock.elapsed(), span));
        }
        int wrong = 0;
        keyTaken = 0;
        for (int r = 0; r < rounds; ++r) {
            const int pause = int(QRandomGenerator::global()->bounded(span + span / 5));
            const QStringList faults = round(c.race, pause);
            if (!faults.isEmpty()) {
                ++wrong;
                ADD_FAILURE() << "round " << r << ", paused after " << pause
                              << " ms: " << faults.join(u"; "_qs).toStdString();
            }
        }
        std::printf("key reuse, %s, %s: %d wrong of %d paused rounds, the key taken again in %d (A runs %d ms)\n",
                    c.name, engine() == Engine::Sqlite ? "SQLite" : "PostgreSQL", wrong, rounds, keyTaken, span);
        std::fflush(stdout);
    }
}

// Four commands of one user save one new period at the same moment (with --json): one creates
// and saves it, each of the others saves it again or is told what happened (it is being worked
// on, was just created or was saved elsewhere), never that it was deleted or does not exist;
// one settlement is left.
TEST_P(KeyReuse, FourCommandsOfOneUserSaveOneNewPeriod)
{
    const QStringList told = {u"in elaborazione"_qs, u"appena creata"_qs, u"salvata in un'altra finestra"_qs};
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        removeEverySettlement(db());
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int k = 0; k < 4; ++k)
            runs.push_back(start(settle(1, 1)));
        int saved = 0;
        for (auto &p : runs) {
            ASSERT_TRUE(p->waitForFinished(120000));
            const QString err = QString::fromUtf8(p->readAllStandardError());
            EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
            EXPECT_LE(p->exitCode(), 1) << err.toStdString();
            EXPECT_FALSE(err.contains(u"eliminata"_qs)) << err.toStdString();
            EXPECT_FALSE(err.contains(u"non esiste"_qs)) << err.toStdString();
            // a save refused after the fill still prints the settlement it refused (--json)
            if (err.contains(u"non è stata salvata"_qs))
                EXPECT_TRUE(QJsonDocument::fromJson(p->readAllStandardOutput()).object().contains(u"settlement"_qs));
            if (p->exitCode() == 1)
                EXPECT_TRUE(std::any_of(told.begin(), told.end(), [&](const QString &t) { return err.contains(t); }))
                    << err.toStdString();
            saved += p->exitCode() == 0;
        }
        EXPECT_GE(saved, 1);
        EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE IDMese = 1"_qs).toInt(), 1);
        EXPECT_EQ(settlementFaults(db()), QStringList());
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(KeyReuse);

} // namespace
