#include "domain/communication/SchemaValidator.h"
#include "domain/document/SettlementInput.h"
#include "domain/overview/YearOverview.h"
#include "suite/Refusal.h"
#include "support/Answering.h"
#include "support/LiqivaRun.h"

#include "domain/communication/PeriodicCommunication.h"
#include "support/DemoDocumentTest.h"
#include "support/SavedSettlement.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class Communicated : public DemoDocumentTest {
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
    const int gone =
        db().scalar(u"SELECT MAX(IDComunicazioneLiquidazioneIva) FROM ComunicazioneLiquidazioneIva"_qs).toInt();
    const LiqivaRun deleted = runLiqiva(
        {u"delete"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs, QString::number(gone), u"--yes"_qs},
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
    const QStringList writeQuarter = QStringList{u"communication"_qs, u"--db"_qs, t->url()} +
                                     u"--user 1 --company 1 --year 2024 --quarter 1 --out"_qs.split(u' ');
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int k = 0; k < 2; ++k) {
        auto p = std::make_unique<QProcess>();
        startLiqiva(*p, writeQuarter + QStringList{folder.filePath(QStringLiteral("run%1.xml").arg(k))}, folder.path());
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
    const LiqivaRun again = runLiqiva(writeQuarter + QStringList{folder.filePath(u"again.xml"_qs)}, folder.path());
    EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(u"scritto di nuovo"_qs)) << again.out.toStdString();
    EXPECT_EQ(marks(), 8);
}

// Another user acts between the reading of the quarter and its writing, on the settlement
// saved last (the largest key, so that a new settlement takes it again): the communication is
// refused whole with the reason, writes no file and marks nothing; with nothing changed it
// marks the eight settlements it wrote.
TEST_P(Communicated, ASettlementChangedAfterTheQuarterWasReadIsNeverMarked)
{
    saveQuarter(1);
    OtherUser other{t->connectAgain(), {}};
    enum class Act { Nothing, Delete, DeleteAndTakeKey, SaveAgain };
    const struct {
        const char *what;
        Act act;
        const char *reason;
    } cases[] = {
        {"deleted", Act::Delete, "è stata eliminata."},
        {"deleted, its key taken by June", Act::DeleteAndTakeKey, "la sua chiave è ora di un'altra liquidazione"},
        {"saved again", Act::SaveAgain, "salvata di nuovo dall'utente 'consultazione'"},
        {"nothing changed", Act::Nothing, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const PeriodicCommunicationData data = loadPeriodicCommunication(db(), 1, 2024, 1);
        ASSERT_TRUE(data.missing.isEmpty()) << data.missing.join(u'\n').toStdString();
        const int last = *std::max_element(data.settlements.begin(), data.settlements.end());
        int june = 0;
        if (c.act == Act::Delete || c.act == Act::DeleteAndTakeKey)
            ASSERT_TRUE(other.open(last)->sbChildDelete()) << other.messages.texts().join(u" | "_qs).toStdString();
        if (c.act == Act::DeleteAndTakeKey) {
            june = other.saves(4, kDemoVatYear2024, 6);
            ASSERT_EQ(june, last);
        }
        if (c.act == Act::SaveAgain)
            ASSERT_TRUE(saveAnswering(*other.open(last)));

        const QString path = folder.filePath(QString::fromLatin1(c.what) + u".xml"_qs);
        if (!c.reason) {
            EXPECT_EQ(communicate(db(), data, path, 1).settlements, 8);
            EXPECT_EQ(marks(), 8);
            EXPECT_TRUE(validates(path));
            continue;
        }
        try {
            communicate(db(), data, path, 1);
            ADD_FAILURE() << "communicated";
        } catch (const Refusal &r) {
            EXPECT_TRUE(r.message().contains(QString::fromUtf8(c.reason))) << r.message().toStdString();
            EXPECT_TRUE(r.message().contains(QStringLiteral("chiave %1").arg(last))) << r.message().toStdString();
        }
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(marks(), 0);
        // The quarter made whole again, its last settlement with the largest key.
        if (june)
            ASSERT_TRUE(other.open(june)->sbChildDelete());
        if (c.act == Act::Delete || c.act == Act::DeleteAndTakeKey)
            EXPECT_EQ(other.saves(4, kDemoVatYear2024, 3), last);
    }
}

// The shop's March sent with the first quarter, then typed over as in the README (a credit of
// 2000 in row 6 of the declaration): its save asks first. Answered no, nothing changes;
// answered yes, the figures change and the mark goes, and the year says the quarter must be
// sent again. Saved again with the same figures, nothing is asked and the mark stays.
TEST_P(Communicated, SavingWithOtherFiguresAsksAndTakesTheMarkOff)
{
    saveQuarter(1);
    const PeriodicCommunicationData data = loadPeriodicCommunication(db(), 1, 2024, 1);
    communicate(db(), data, folder.filePath(u"q1.xml"_qs), 1);
    int march = 0;
    for (const CommunicationSettlement &r : data.read)
        if (r.idAttivitaAzienda == 1 && r.month == 3)
            march = r.key;
    ASSERT_GT(march, 0);
    struct Answering : MessageService {
        Answer onResend = Answer::Yes;
        QStringList texts;
        Answer messageBox(const QString &text, Buttons buttons, Icon, const QString &) override
        {
            texts << text;
            if (text.contains(u"andrà inviata di nuovo"_qs))
                return onResend;
            return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
        }
    };
    const QJsonObject credit = QJsonDocument::fromJson(R"({"declarationGrid": [{"row": 6, "credit": 2000}]})").object();
    using S = YearCell::State;
    const struct {
        const char *what;
        bool typed;
        Answer answer;
        bool saved, asked;
        S state;
    } cases[] = {
        {"the same figures", false, Answer::No, true, false, S::Communicated},
        {"other figures, answered no", true, Answer::No, false, true, S::Communicated},
        {"other figures, answered yes", true, Answer::Yes, true, true, S::ToResend},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Answering answering;
        answering.onResend = c.answer;
        SettlementDocument doc(DocumentContext{db(), answering, 1, 1, 1, true});
        doc.sbChildFill(march, false);
        if (c.typed && SettlementInput::apply(doc, credit, true)) {
            doc.sbChildFill(march, false);
            SettlementInput::applyAfterFill(doc, credit);
        }
        const std::vector<Money> before = communicatedFigures(db(), march);
        EXPECT_EQ(saveAnswering(doc), c.saved) << answering.texts.join(u" | "_qs).toStdString();
        EXPECT_EQ(answering.texts.filter(u"andrà inviata di nuovo"_qs).size(), c.asked ? 1 : 0)
            << answering.texts.join(u" | "_qs).toStdString();
        EXPECT_EQ(communicatedFigures(db(), march) != before, c.typed && c.saved);
        EXPECT_EQ(yearCellStateText(states().at({1, 3})), yearCellStateText(c.state));
    }
    // The rest of the quarter stays communicated; written again, the quarter is whole again.
    EXPECT_EQ(yearCellStateText(states().at({1, 2})), yearCellStateText(S::Communicated));
    const CommunicationWritten again =
        communicate(db(), loadPeriodicCommunication(db(), 1, 2024, 1), folder.filePath(u"q1-bis.xml"_qs), 1);
    EXPECT_TRUE(again.previous);
    EXPECT_EQ(yearCellStateText(states().at({1, 3})), yearCellStateText(S::Communicated));
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Communicated);

} // namespace
