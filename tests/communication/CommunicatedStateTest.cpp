#include "cli/LiqivaRun.h"
#include "communication/SchemaValidator.h"
#include "overview/YearOverview.h"
#include "suite/Refusal.h"

#include "CommunicationFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Communicated : public CommunicationTest {
protected:
    int marks() { return db().scalar(u"SELECT COUNT(*) FROM ComunicazioneLiquidazioneIva"_qs).toInt(); }

    // The state of every cell of the year that holds a settlement, by (activity, period).
    std::map<std::pair<int, int>, YearCell::State> states()
    {
        std::map<std::pair<int, int>, YearCell::State> s;
        for (const YearRow &r : loadYearOverview(db(), 1, 2024).rows)
            for (const YearCell &c : r.cells)
                if (c.state != YearCell::State::Missing)
                    s[{r.idAttivitaAzienda, c.period}] = c.state;
        return s;
    }

    bool validates(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) && SchemaValidator::periodicCommunication().validate(f.readAll()).isEmpty();
    }
};

// The first quarter written: its eight settlements (three months of two monthly activities,
// the quarter of two quarterly ones) become "communicated" in the year, April stays saved.
// Written again, it says when it was written before, keeps the first date and marks nothing
// twice. A quarter that cannot be written marks nothing.
TEST_P(Communicated, WritingTheQuarterMarksItsSettlements)
{
    saveQuarter(1);
    save(1, 4);
    const PeriodicCommunicationData data = loadPeriodicCommunication(db(), 1, 2024, 1);
    ASSERT_TRUE(data.missing.isEmpty()) << data.missing.join(u'\n').toStdString();
    EXPECT_EQ(data.settlements.size(), 8u);
    EXPECT_FALSE(previousCommunication(db(), data));

    const QString path = folder.filePath(u"q1.xml"_qs);
    const CommunicationWritten first = communicate(db(), data, path, 1);
    EXPECT_EQ(first.settlements, 8);
    EXPECT_FALSE(first.previous);
    EXPECT_TRUE(validates(path));
    EXPECT_EQ(marks(), 8);

    using S = YearCell::State;
    const auto s = states();
    const struct {
        int activity, period;
        S state;
    } cases[] = {
        {1, 1, S::Communicated}, {1, 2, S::Communicated}, {1, 3, S::Communicated}, {3, 3, S::Communicated},
        {2, 3, S::Communicated}, {4, 3, S::Communicated}, {1, 4, S::Saved},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "activity " << c.activity << " period " << c.period);
        ASSERT_TRUE(s.count({c.activity, c.period}));
        EXPECT_EQ(s.at({c.activity, c.period}), c.state);
    }

    const QVariant firstDate = db().scalar(u"SELECT MIN(DataPrimaComunicazione) FROM ComunicazioneLiquidazioneIva"_qs);
    const QString again = folder.filePath(u"q1-again.xml"_qs);
    const CommunicationWritten second = communicate(db(), data, again, 1);
    ASSERT_TRUE(second.previous);
    EXPECT_EQ(second.previous->settlements, 8);
    EXPECT_TRUE(second.previous->file.endsWith(u"q1.xml"_qs)) << second.previous->file.toStdString();
    EXPECT_TRUE(second.previous->when.isValid());
    EXPECT_TRUE(communicationWrittenText(data, second, again).contains(u"già stato comunicato"_qs));
    EXPECT_EQ(marks(), 8);
    EXPECT_EQ(db().scalar(u"SELECT MIN(DataPrimaComunicazione) FROM ComunicazioneLiquidazioneIva"_qs), firstDate);
    EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM ComunicazioneLiquidazioneIva WHERE NomeFile LIKE '%q1-again.xml'"_qs)
                  .toInt(),
              8);

    // The second quarter has April only: refused, no file and no mark.
    const PeriodicCommunicationData q2 = loadPeriodicCommunication(db(), 1, 2024, 2);
    const QString none = folder.filePath(u"q2.xml"_qs);
    EXPECT_THROW(communicate(db(), q2, none, 1), Refusal);
    EXPECT_FALSE(QFile::exists(none));
    EXPECT_EQ(marks(), 8);
    EXPECT_EQ(states().at({1, 4}), S::Saved);

    // A communicated settlement deleted takes its mark with it: a new settlement that gets its
    // key again is not communicated.
    const int gone = db().scalar(u"SELECT MAX(IDComunicazioneLiquidazioneIva) FROM ComunicazioneLiquidazioneIva"_qs).toInt();
    const LiqivaRun deleted = runLiqiva({u"delete"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs,
                                         QString::number(gone), u"--yes"_qs},
                                        folder.path());
    ASSERT_EQ(deleted.exitCode, 0) << deleted.err.toStdString();
    EXPECT_EQ(marks(), 7);
}

// Two bookkeepers write the same quarter with liqiva communication at the same moment: both
// get their file, each settlement is marked once, and liqiva year shows the quarter
// communicated.
TEST_P(Communicated, TwoProcessesWriteTheSameQuarterAtOnce)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    saveQuarter(1);
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int k = 0; k < 2; ++k) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"LIQIVA_SETTINGS_DIR"_qs, folder.path());
        p->setProcessEnvironment(env);
        p->start(liqivaProgram(), {u"communication"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs,
                                   u"1"_qs, u"--year"_qs, u"2024"_qs, u"--quarter"_qs, u"1"_qs, u"--out"_qs,
                                   folder.filePath(QStringLiteral("run%1.xml").arg(k))});
        runs.push_back(std::move(p));
    }
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        ASSERT_TRUE(runs[k]->waitForFinished(120000));
        EXPECT_EQ(runs[k]->exitCode(), 0) << runs[k]->readAllStandardError().toStdString();
        EXPECT_TRUE(QString::fromUtf8(runs[k]->readAllStandardOutput()).contains(u"8 liquidazioni segnate"_qs));
        EXPECT_TRUE(validates(folder.filePath(QStringLiteral("run%1.xml").arg(k))));
    }
    EXPECT_EQ(marks(), 8);

    const LiqivaRun r = runLiqiva({u"year"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs,
                                   u"--year"_qs, u"2024"_qs, u"--json"_qs},
                                  folder.path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    int communicated = 0;
    for (const QJsonValue &row : QJsonDocument::fromJson(r.rawOut).object().value(u"activities"_qs).toArray())
        for (const QJsonValue &cell : row.toObject().value(u"celle"_qs).toArray())
            communicated += cell.toObject().value(u"Stato"_qs).toString() == u"comunicata"_qs;
    EXPECT_EQ(communicated, 8);

    // A third run writes it again and says so.
    const LiqivaRun again =
        runLiqiva({u"communication"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs,
                   u"--year"_qs, u"2024"_qs, u"--quarter"_qs, u"1"_qs, u"--out"_qs, folder.filePath(u"again.xml"_qs)},
                  folder.path());
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(u"scritto di nuovo"_qs)) << again.out.toStdString();
    EXPECT_EQ(marks(), 8);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Communicated);

} // namespace
