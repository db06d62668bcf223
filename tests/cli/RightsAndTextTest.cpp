// liqiva acting for users of the demo on both engines: each command checks the right the
// windows check, and text that looks like SQL stays text.

#include "database/Schema.h"
#include "database/SqlValue.h"
#include "support/DemoCommandTest.h"
#include "support/TestDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class CliOnDemo : public DemoCommandTest {
protected:
    LiqivaRun run(const QString &command, const QStringList &args)
    {
        return runLiqiva(QStringList{command, u"--db"_qs, t->url()} + args, work.path());
    }

    static QStringList settleAs(int user, int activity, int period)
    {
        return u"--user %1 --activity %2 --vat-year 2024 --period %3"_qs.arg(user).arg(activity).arg(period).split(
            u' ');
    }
    QStringList communication(int user, int quarter)
    {
        return u"--user %1 --company 1 --year 2024 --quarter %2 --out"_qs.arg(user).arg(quarter).split(u' ')
               << work.filePath(u"q.xml"_qs);
    }

    int savedCount() { return count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs); }

    // Saves a settlement as user 1 and gives its key.
    int saveOne(int activity, int period)
    {
        const LiqivaRun r = settle(activity, period);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return json(r).value(u"id"_qs).toInt();
    }
};

// Demo users: 1 every right, 2 search only, 3 new/save, delete and print (no search),
// 4 no right at all.
TEST_P(CliOnDemo, EachCommandChecksTheRightOfItsUser)
{
    const int key = saveOne(2, 6);
    ASSERT_GT(key, 0);
    const QString id = QString::number(key);
    const int saved = savedCount();
    const struct {
        const char *label;
        QString command;
        QStringList args;
        int exitCode;
    } cases[] = {
        {"search-only user saves", u"settle"_qs, settleAs(2, 1, 3) << u"--save"_qs << u"--yes"_qs, 1},
        {"user without rights computes", u"settle"_qs, settleAs(4, 1, 3) << u"--yes"_qs, 1},
        {"search-only user computes", u"settle"_qs, settleAs(2, 1, 3) << u"--yes"_qs, 0},
        {"search-only user deletes", u"delete"_qs, {u"--user"_qs, u"2"_qs, u"--id"_qs, id, u"--yes"_qs}, 1},
        {"search-only user shows", u"show"_qs, {u"--user"_qs, u"2"_qs, u"--id"_qs, id}, 0},
        {"user without rights shows", u"show"_qs, {u"--user"_qs, u"4"_qs, u"--id"_qs, id}, 1},
        {"search-only user lists", u"list"_qs, {u"--user"_qs, u"2"_qs, u"--company"_qs, u"1"_qs}, 0},
        {"user without search lists", u"list"_qs, {u"--user"_qs, u"3"_qs, u"--company"_qs, u"1"_qs}, 1},
        // the earlier months of the year are not settled: the question is answered no
        {"question answered no", u"settle"_qs, settleAs(1, 1, 3) << u"--save"_qs, 1},
        // writing the communication marks the settlements: the right to save
        {"search-only user writes the communication", u"communication"_qs, communication(2, 2), 1},
        {"a fifth quarter", u"communication"_qs, communication(1, 5), 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const LiqivaRun r = run(c.command, c.args);
        if (c.exitCode == 0) {
            EXPECT_EQ(r.status, QProcess::NormalExit);
            EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        } else {
            expectFailure(r, c.exitCode);
            if (c.exitCode == 2)
                EXPECT_TRUE(r.err.contains(u"--quarter"_qs)) << r.err.toStdString();
            else if (QString::fromLatin1(c.label).startsWith(u"question"_qs))
                EXPECT_TRUE(r.err.contains(u"rispondere sì con --yes"_qs)) << r.err.toStdString();
            else
                EXPECT_TRUE(r.err.contains(u"Diritti non sufficienti"_qs)) << r.err.toStdString();
        }
        EXPECT_EQ(savedCount(), saved) << "a refused or read-only command changed the saved settlements";
        EXPECT_FALSE(QFile::exists(work.filePath(u"q.xml"_qs))) << "a refused communication left its file";
    }
    // The user with the right to delete deletes.
    const LiqivaRun r = run(u"delete"_qs, {u"--user"_qs, u"3"_qs, u"--id"_qs, id, u"--yes"_qs});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(savedCount(), saved - 1);
}

TEST_P(CliOnDemo, TheListShowsWhatEachSavedSettlementLeavesToPayOrInCredit)
{
    const int january = saveOne(1, 1);
    const int quarter = saveOne(2, 3);
    ASSERT_GT(january, 0);
    ASSERT_GT(quarter, 0);
    const LiqivaRun r = run(u"list"_qs, {u"--user"_qs, u"2"_qs, u"--company"_qs, u"1"_qs, u"--json"_qs});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    int seen = 0;
    for (const QJsonValue v : QJsonDocument::fromJson(r.rawOut).object().value(u"settlements"_qs).toArray()) {
        const QJsonObject o = v.toObject();
        const int key = o.value(u"IDRisultatoLiquidazioneIva"_qs).toInt();
        EXPECT_NEAR(o.value(u"Saldo"_qs).toDouble(), typed(key, 1), 0.005) << key;
        ++seen;
    }
    EXPECT_EQ(seen, 2);

    // The text says which it is: to pay, or in credit.
    const LiqivaRun text = run(u"list"_qs, {u"--user"_qs, u"2"_qs, u"--company"_qs, u"1"_qs});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_EQ(text.out.count(u" da versare"_qs) + text.out.count(u" a credito"_qs), 2) << text.out.toStdString();
}

// An activity and a VAT code whose descriptions look like SQL: saved, listed and printed as
// they are, and every table is still there.
TEST_P(CliOnDemo, QuotesAndSqlInDescriptionsStayText)
{
    const QString evil = u"O'Brien'; DROP TABLE Iva; --"_qs;
    t->db().execute(u"UPDATE AttivitaAzienda SET AttivitaAzienda = ? WHERE IDAttivitaAzienda = 1"_qs, {evil});
    t->db().execute(u"UPDATE Iva SET DescrizioneSuRegistroIVA = ? WHERE IDIva = 1"_qs, {evil});
    const int vatCodes = t->db().scalar(u"SELECT COUNT(*) FROM Iva"_qs).toInt();

    const int key = saveOne(1, 3);
    ASSERT_GT(key, 0);
    const LiqivaRun shown = run(u"show"_qs, {u"--user"_qs, u"1"_qs, u"--id"_qs, QString::number(key), u"--json"_qs});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const QJsonObject settlement = QJsonDocument::fromJson(shown.rawOut).object();
    EXPECT_EQ(settlement.value(u"settlement"_qs).toObject().value(u"Attivita"_qs).toString(), evil);
    bool codeShown = false;
    for (const QJsonValue &row : settlement.value(u"rows"_qs).toArray())
        for (const QJsonValue &v : row.toObject())
            codeShown = codeShown || v.toString() == evil;
    EXPECT_TRUE(codeShown) << "the VAT code's description is not among the report rows";

    const LiqivaRun listed = run(u"list"_qs, {u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs, u"--json"_qs});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    bool listedAsText = false;
    for (const QJsonValue &s : QJsonDocument::fromJson(listed.rawOut).object().value(u"settlements"_qs).toArray())
        listedAsText = listedAsText || s.toObject().value(u"AttivitaAzienda"_qs).toString() == evil;
    EXPECT_TRUE(listedAsText) << listed.out.toStdString();
    const LiqivaRun plain = run(u"list"_qs, {u"--user"_qs, u"1"_qs, u"--company"_qs, u"1"_qs});
    EXPECT_TRUE(plain.out.contains(evil)) << plain.out.toStdString();

    for (const SchemaTable &table : schemaTables())
        EXPECT_NO_THROW(t->db().scalar(u"SELECT COUNT(*) FROM "_qs + table.name)) << table.name.toStdString();
    EXPECT_EQ(t->db().scalar(u"SELECT COUNT(*) FROM Iva"_qs).toInt(), vatCodes);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(CliOnDemo);

} // namespace
