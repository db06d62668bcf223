// The batch without --save: every activity is computed inside a transaction that is rolled
// back, so nothing of it is ever seen by anyone, whatever happens meanwhile.

#include "domain/batch/BatchSettlement.h"
#include "support/DemoDocumentTest.h"
#include "support/LiqivaRun.h"
#include "support/SettlementRows.h"

#include "database/SqlValue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <csignal>

using namespace liqiva;
using namespace liqiva::test;

namespace {

using Status = BatchSettlement::Outcome::Status;

class BatchScratch : public DemoDocumentTest {
protected:
    // Every row of the tables a settlement writes and of the usage register, as text.
    QString everything()
    {
        QString s;
        for (const char *table :
             {"RisultatoLiquidazioneIva", "RisultatoLiquidazioneIvaXTipo", "RigaReportLiquidazioneIva",
              "CampoReportLiquidazioneIva", "UtilizzoOggetto", "AttivitaAziendaPerPeriodoIva"})
            for (Recordset rs =
                     db().openRecordset(u"SELECT * FROM "_qs + QString::fromLatin1(table) + u" ORDER BY 1"_qs);
                 !rs.eof(); rs.moveNext())
                for (int f = 0; f < rs.fieldCount(); ++f)
                    s += rs.field(f).toString() + u'|';
        return s;
    }
    BatchSettlement::Options march(bool save)
    {
        BatchSettlement::Options o;
        o.idUser = 1;
        o.anno = 2024;
        o.period = 3;
        o.save = save;
        o.answerYes = true;
        return o;
    }
    // The report header of the shop's settlements cannot be written.
    void failShopReport()
    {
        const QString shop = u"(SELECT IDAttivitaAzienda FROM RisultatoLiquidazioneIva r WHERE "
                             u"r.IDRisultatoLiquidazioneIva = NEW.IDRisultatoLiquidazioneIva) = 1"_qs;
        if (engine() == Engine::Postgres) {
            db().executeRaw(u"CREATE FUNCTION fallisci() RETURNS trigger AS $$ BEGIN IF "_qs + shop +
                            u" THEN RAISE EXCEPTION 'scrittura fallita'; END IF; RETURN NEW; END $$ "
                            u"LANGUAGE plpgsql"_qs);
            db().executeRaw(u"CREATE TRIGGER fallisci BEFORE INSERT ON CampoReportLiquidazioneIva FOR EACH ROW "
                            u"EXECUTE FUNCTION fallisci()"_qs);
        } else {
            db().executeRaw(u"CREATE TRIGGER fallisci BEFORE INSERT ON CampoReportLiquidazioneIva WHEN "_qs + shop +
                            u" BEGIN SELECT RAISE(ABORT, 'scrittura fallita'); END"_qs);
        }
    }
    void healShopReport()
    {
        db().executeRaw(engine() == Engine::Postgres ? u"DROP TRIGGER fallisci ON CampoReportLiquidazioneIva"_qs
                                                     : u"DROP TRIGGER fallisci"_qs);
    }
};

// Computed only, each activity gives the figures its save gives, and the database is left
// exactly as it was found, keys included; an activity whose write fails (the shop's report)
// is told as not done and the others are computed all the same.
TEST_P(BatchScratch, ComputesWhatTheSaveGivesAndLeavesTheDatabaseAsFound)
{
    save(1, 1); // a saved settlement the batch reads (the shop's January)
    const QString before = everything();
    failShopReport();
    const auto failing = BatchSettlement(db()).run(march(false));
    healShopReport();
    const auto computed = BatchSettlement(db()).run(march(false));
    EXPECT_EQ(everything(), before);
    const auto saved = BatchSettlement(db()).run(march(true));
    ASSERT_EQ(failing.size(), 4u);
    ASSERT_EQ(computed.size(), 4u);
    ASSERT_EQ(saved.size(), 4u);
    for (size_t a = 0; a < 4; ++a) {
        SCOPED_TRACE(a + 1);
        EXPECT_EQ(batchStatusText(failing[a].status), batchStatusText(a == 0 ? Status::Failed : Status::Done))
            << failing[a].reason.toStdString();
        EXPECT_EQ(computed[a].status, Status::Done) << computed[a].reason.toStdString();
        EXPECT_EQ(saved[a].status, Status::Done) << saved[a].reason.toStdString();
        EXPECT_EQ(computed[a].idRisultatoLiquidazioneIva, 0);
        EXPECT_EQ(computed[a].daVersare->toString(), saved[a].daVersare->toString());
        EXPECT_EQ(computed[a].creditoResiduo->toString(), saved[a].creditoResiduo->toString());
        if (a > 0)
            EXPECT_EQ(failing[a].daVersare->toString(), computed[a].daVersare->toString());
    }
    EXPECT_EQ(computed[0].daVersare->toString(), u"1528.04"_qs); // the shop's March by hand
    EXPECT_EQ(settlementFaults(db()), QStringList());
}

// A batch that only computes, killed at any moment or finishing, while another process saves
// the same periods: the save finds none of its rows (every activity is saved, none is told as
// being worked on elsewhere), the computing batch either computes a period or is refused it
// (saved, or taken meanwhile), and nothing of it stays behind.
TEST_P(BatchScratch, NeverInTheWayOfASaveAndLeavesNothingWhenKilled)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    auto args = [&](bool save) {
        QStringList a{u"batch"_qs, u"--db"_qs,     t->url(), u"--user"_qs, u"1"_qs,     u"--vat-year"_qs,
                      u"2024"_qs,  u"--period"_qs, u"3"_qs,  u"--yes"_qs,  u"--json"_qs};
        if (save)
            a << u"--save"_qs;
        return a;
    };
    const int killAfterMs[] = {-1, 30, 80, 150, 300, -1};
    for (int delay : killAfterMs) {
        SCOPED_TRACE(testing::Message() << "computing batch killed after " << delay << " ms");
        removeEverySettlement(db());
        QProcess computing, saving;
        startLiqiva(computing, args(false), folder.path());
        ASSERT_TRUE(computing.waitForStarted());
        QThread::msleep(20);
        startLiqiva(saving, args(true), folder.path());
        if (delay >= 0) {
            QThread::msleep(static_cast<unsigned long>(delay));
            ::kill(static_cast<pid_t>(computing.processId()), SIGKILL);
        }
        const LiqivaRun saved = finishLiqiva(saving);
        const LiqivaRun computed = finishLiqiva(computing);
        const QJsonArray savedRows = QJsonDocument::fromJson(saved.rawOut).object().value(u"activities"_qs).toArray();
        ASSERT_EQ(savedRows.size(), 4) << saved.err.toStdString();
        for (const QJsonValue &v : savedRows)
            EXPECT_EQ(v.toObject().value(u"esito"_qs).toString(), batchStatusText(Status::Done))
                << v.toObject().value(u"motivo"_qs).toString().toStdString();
        for (const QJsonValue &v :
             QJsonDocument::fromJson(computed.rawOut).object().value(u"activities"_qs).toArray()) {
            const QJsonObject row = v.toObject();
            // found saved, or taken meanwhile by the other batch: refused with the reason, never failed
            if (row.value(u"esito"_qs).toString() != batchStatusText(Status::Done)) {
                EXPECT_EQ(row.value(u"esito"_qs).toString(), batchStatusText(Status::Refused));
                EXPECT_FALSE(row.value(u"motivo"_qs).toString().isEmpty());
            }
        }
        for (int a = 1; a <= 4; ++a)
            EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0 "
                                           "AND IDMese = 3 AND IDAttivitaAzienda = %1")
                                .arg(a)),
                      1)
                << "activity " << a;
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM UtilizzoOggetto"_qs), 0);
        EXPECT_EQ(settlementFaults(db()), QStringList());
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(BatchScratch);

} // namespace
