// The register numbering of definitive prints on both engines: the options a person is
// offered, the pages a print continues from, what a draft, a failed or a refused print
// leaves behind, and two processes printing on one register at once.

#include "database/DbError.h"
#include "domain/printing/PrintFixture.h"
#include "domain/printing/PrintOptions.h"
#include "domain/printing/PrintSelection.h"
#include "suite/Refusal.h"
#include "support/ChildTask.h"

#include <QRegularExpression>

#include <QDateTime>
#include <QProcess>
#include <QThread>
#include <limits>
#include <map>
#include <stdexcept>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class RegisterNumberingTest : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Demo);
        january = saveSettlement(db(), Shop, 1);
    }
    Connection &db() { return t->db(); }
    PrintContext context(MessageService &messages)
    {
        return PrintContext{db(), messages, 1, Company, settlementFunctionOf(db())};
    }
    // A definitive print whose output "prints" the pages and records their numbers.
    std::vector<int> printDefinitively(const PrintRequest &request, ScriptedMessages &messages)
    {
        PrintJob job(context(messages));
        PrintedReport report = job.build(request);
        std::vector<int> numbers;
        job.run(request, report, [&numbers](const PrintedReport &r) {
            for (const PrintedPage &p : r.pages)
                numbers.push_back(p.number);
            return true;
        });
        return numbers;
    }

    std::unique_ptr<TestDatabase> t;
    int january = 0;
};

TEST_P(RegisterNumberingTest, RegistersAndSectionalsOfferedFollowThePrint)
{
    struct Case {
        PrintReport report;
        int reg;
        bool sectionalEnabled;
        std::vector<int> sectionals;
    } cases[] = {
        // sectional flags (settlement, summary): 1 (1,0), 2 (1,1), 3 (0,1), 4 deleted (1,1)
        {PrintReport::Settlement, SectionalRegister, true, {2, 1}}, // by name: "ingrosso" before "negozi"
        {PrintReport::Summary, SectionalRegister, true, {3, 2}},
        {PrintReport::Settlement, PlainRegister, false, {}},
        {PrintReport::Summary, PlainRegister, false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reg * 10 + int(c.report));
        ScriptedMessages messages;
        PrintOptions options(db(), Company, c.report, january, PrintOperation::Printer);
        EXPECT_TRUE(options.registers().empty()) << "no registers before the definitive print is chosen";
        options.setDefinitive(true);
        std::vector<int> regs;
        for (const NamedKey &r : options.registers())
            regs.push_back(r.id);
        EXPECT_EQ(regs, (std::vector<int>{SectionalRegister, PlainRegister}));
        options.chooseRegister(c.reg);
        EXPECT_EQ(options.sectionalEnabled(), c.sectionalEnabled);
        std::vector<int> offered;
        for (const NamedKey &s : options.sectionals())
            offered.push_back(s.id);
        EXPECT_EQ(offered, c.sectionals);
        EXPECT_EQ(options.okEnabled(), !c.sectionalEnabled) << "a sectional must be chosen first";
        EXPECT_EQ(options.printTheYear(), c.reg == SectionalRegister);
        // a sectional the print may not use is not taken
        options.chooseSectional(c.report == PrintReport::Settlement ? 3 : 1);
        EXPECT_EQ(options.idSezionale(), 0);
    }
}

TEST_P(RegisterNumberingTest, DefinitivePrintsContinueTheRegisterPageByPage)
{
    const int february = saveSettlement(db(), Shop, 2);
    struct Case {
        int reg, sectional, year;
        int firstBefore; // last page before the two prints, -1 for none
    } cases[] = {
        {PlainRegister, 0, 2024, -1}, // first print of the year creates the row
        {SectionalRegister, 1, 2024, -1},
        {SectionalRegister, 1, 2023, 24}, // an existing row goes on
        {PlainRegister, 0, 2023, 12},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1/%2 %3").arg(c.reg).arg(c.sectional).arg(c.year).toStdString());
        ScriptedMessages messages;
        messages.answer(Answer::Yes);
        messages.answer(Answer::Yes);
        PrintRequest first = definitiveRequest(db(), messages, january, c.reg, c.sectional);
        ASSERT_TRUE(first.keys.valid());
        EXPECT_EQ(storedLastPage(db(), first.keys, c.year), c.firstBefore);
        first.year = c.year;
        first.storedLastPage = std::max(c.firstBefore, 0);
        first.startPage = first.storedLastPage + 1;
        const std::vector<int> pages1 = printDefinitively(first, messages);
        ASSERT_FALSE(pages1.empty());
        EXPECT_EQ(pages1.front(), first.startPage);
        EXPECT_EQ(storedLastPage(db(), first.keys, c.year), pages1.back());
        EXPECT_EQ(rowsOf(db(), first.keys, c.year), 1);
        EXPECT_TRUE(markedPrinted(db(), january));

        PrintOptions again(db(), Company, PrintReport::Settlement, february, PrintOperation::Printer);
        again.setDefinitive(true);
        again.chooseRegister(c.reg);
        if (c.sectional)
            again.chooseSectional(c.sectional);
        again.setYear(c.year);
        EXPECT_EQ(again.lastPage(), pages1.back()) << "the options show the register's last page";
        ASSERT_TRUE(askEach(messages, again.questions()) && again.confirm());
        const std::vector<int> pages2 = printDefinitively(again.request(), messages);
        EXPECT_EQ(pages2.front(), pages1.back() + 1) << "no gap, no repeat";
        EXPECT_EQ(storedLastPage(db(), first.keys, c.year), pages2.back());
        EXPECT_EQ(rowsOf(db(), first.keys, c.year), 1);
        // the other numberings stay as they were
        EXPECT_EQ(storedLastPage(db(), {2, 0}, 2023), c.reg == PlainRegister && c.year == 2023 ? pages2.back() : 12);
        db().execute(u"UPDATE RisultatoLiquidazioneIva SET StampatoDefinitivo = 0"_qs);
    }
}

TEST_P(RegisterNumberingTest, DraftFailedAndRefusedPrintsChangeNothing)
{
    const QString snapshotSql =
        u"SELECT COUNT(*) * 1000000 + SUM(NumeroUltimaPagina) FROM ProgressivoNumerazioneRegistro"_qs;
    struct Case {
        const char *what;
        bool definitive;
        int storedLastPageShift; // the print was set up before another print moved the register on
        int startPage;           // 0: after the stored last page
        enum { Produced, Throws, Cancelled } output;
        bool refused;
    } cases[] = {
        {"draft", false, 0, 0, Case::Produced, false},
        {"unwritable output", true, 0, 0, Case::Throws, false},
        {"cancelled", true, 0, 0, Case::Cancelled, false},
        {"counter overflow", true, 0, std::numeric_limits<int>::max(), Case::Produced, true},
        {"register moved on meanwhile", true, -3, 0, Case::Produced, true},
        {"pages already printed", true, 0, 5, Case::Produced, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedMessages messages;
        PrintRequest r = c.definitive ? definitiveRequest(db(), messages, january, PlainRegister, 0) : PrintRequest{};
        r.settlements = {january};
        r.year = 2023;
        r.storedLastPage = 12 + c.storedLastPageShift;
        r.startPage = c.startPage ? c.startPage : 13;
        const int before = scalarInt(db(), snapshotSql);
        PrintJob job(context(messages));
        PrintedReport report = job.build(r);
        bool called = false;
        auto output = [&](const PrintedReport &) {
            called = true;
            if (c.output == Case::Throws)
                throw std::runtime_error("Impossibile scrivere il file.");
            return c.output == Case::Produced;
        };
        bool refused = false;
        try {
            job.run(r, report, output);
        } catch (const Refusal &refusal) {
            refused = true;
            EXPECT_FALSE(refusal.message().isEmpty());
        } catch (const std::runtime_error &) {
        }
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(called, !c.refused) << "a refused print produces nothing";
        EXPECT_EQ(scalarInt(db(), snapshotSql), before);
        EXPECT_FALSE(markedPrinted(db(), january));
    }
}

TEST_P(RegisterNumberingTest, TheLastPageMayNotOverflowTheCounter)
{
    struct Case {
        int start, pages;
        bool refused;
    } cases[] = {
        {std::numeric_limits<int>::max(), 1, false},
        {std::numeric_limits<int>::max(), 2, true},
        {std::numeric_limits<int>::max() - 9, 10, false},
        {1, 0, true},
        {0, 3, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1+%2").arg(c.start).arg(c.pages).toStdString());
        bool refused = false;
        try {
            RegisterNumbering::sbUpdateProgressiviNumReg(db(), c.pages, 2030, c.start, {2, 0});
        } catch (const Refusal &) {
            refused = true;
        }
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(storedLastPage(db(), {2, 0}, 2030), c.refused ? -1 : c.start + c.pages - 1);
        db().execute(u"DELETE FROM ProgressivoNumerazioneRegistro WHERE Anno = 2030"_qs);
    }
}

TEST_P(RegisterNumberingTest, QuestionsBeforeADefinitivePrint)
{
    RegisterNumbering::sbUpdateStampatoDefinitivo(db(), january);
    struct Case {
        PrintOperation operation;
        bool definitive;
        std::vector<Answer> answers;
        std::vector<QString> asked;
        bool confirmed;
    } cases[] = {
        {PrintOperation::Printer, false, {}, {}, true},
        {PrintOperation::Other, false, {}, {}, true},
        {PrintOperation::Printer, true, {Answer::No}, {PrintOptions::msgAlreadyPrinted()}, false},
        {PrintOperation::Printer, true, {Answer::Yes}, {PrintOptions::msgAlreadyPrinted()}, true},
        {PrintOperation::Other, true, {Answer::No}, {PrintOptions::msgDefinitiveNotOnPrinter()}, false},
        {PrintOperation::Other,
         true,
         {Answer::Yes, Answer::Yes},
         {PrintOptions::msgDefinitiveNotOnPrinter(), PrintOptions::msgAlreadyPrinted()},
         true},
    };
    for (const Case &c : cases) {
        ScriptedMessages messages;
        for (Answer a : c.answers)
            messages.answer(a);
        PrintOptions options(db(), Company, PrintReport::Settlement, january, c.operation);
        options.setDefinitive(c.definitive);
        if (c.definitive)
            options.chooseRegister(PlainRegister);
        EXPECT_EQ(askEach(messages, options.questions()) && options.confirm(), c.confirmed);
        EXPECT_EQ(options.okCancel(), c.confirmed ? 1 : 0);
        ASSERT_EQ(messages.shown().size(), c.asked.size());
        for (size_t i = 0; i < c.asked.size(); ++i) {
            EXPECT_EQ(messages.shown()[i].text, c.asked[i]);
            EXPECT_EQ(messages.shown()[i].buttons, Buttons::YesNo);
            EXPECT_EQ(messages.shown()[i].title, applicationTitle());
        }
    }
}

// One of two users printing definitively on the plain register, ten times, each print of
// the whole year's summary or one settlement; a refusal (the other printed meanwhile) is
// set up again. Prints "first last" for every print it recorded.
const ChildTask printerTask("definitive-printer", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    const int key = args.value(1).toInt();
    const qint64 start = args.value(2).toLongLong();
    const qint64 wait = start - QDateTime::currentMSecsSinceEpoch();
    if (wait > 0)
        QThread::msleep(static_cast<unsigned long>(wait));
    const int function = settlementFunctionOf(*db);
    int done = 0, refusals = 0;
    while (done < 10 && refusals < 200) {
        ScriptedMessages messages; // every question answered yes
        try {
            PrintRequest r = definitiveRequest(*db, messages, key, PlainRegister, 0,
                                               done % 2 ? PrintReport::Summary : PrintReport::Settlement);
            PrintJob job(PrintContext{*db, messages, 1, Company, function});
            PrintedReport report = job.build(r);
            job.run(r, report, [](const PrintedReport &) {
                QThread::msleep(20); // the printer takes its time
                return true;
            });
            std::printf("%d %d\n", report.pages.front().number, report.pages.back().number);
            ++done;
        } catch (const Refusal &) {
            ++refusals;
        } catch (const DbError &e) {
            std::printf("error %s\n", qPrintable(e.message()));
            return 3;
        }
    }
    std::fflush(stdout);
    return done == 10 ? 0 : 4;
});

TEST_P(RegisterNumberingTest, TwoProcessesPrintingOnOneRegisterNeverShareAPage)
{
    const int february = saveSettlement(db(), Shop, 2);
    const QString start = QString::number(QDateTime::currentMSecsSinceEpoch() + 1500);
    std::vector<std::unique_ptr<QProcess>> users;
    users.push_back(startChild(u"definitive-printer"_qs, {t->url(), QString::number(january), start}));
    users.push_back(startChild(u"definitive-printer"_qs, {t->url(), QString::number(february), start}));
    std::map<int, int> ranges; // first page -> last page
    int pages = 0;
    for (auto &u : users) {
        ASSERT_TRUE(u->waitForFinished(600000));
        const QString said = QString::fromUtf8(u->readAllStandardOutput());
        EXPECT_EQ(u->exitCode(), 0) << said.toStdString() << u->readAllStandardError().toStdString();
        static const QRegularExpression range(u"^\\d+ \\d+$"_qs);
        for (const QString &line : said.split(u'\n', Qt::SkipEmptyParts)) {
            if (!range.match(line).hasMatch())
                continue; // what the engine or Qt had to say
            const QStringList pair = line.split(u' ');
            ASSERT_EQ(pair.size(), 2) << line.toStdString();
            EXPECT_TRUE(ranges.emplace(pair[0].toInt(), pair[1].toInt()).second)
                << "page " << pair[0].toStdString() << " printed twice";
            pages += pair[1].toInt() - pair[0].toInt() + 1;
        }
    }
    ASSERT_EQ(ranges.size(), 20u);
    // one run of pages from 1, each print right after the one before
    int next = 1;
    for (const auto &[first, last] : ranges) {
        EXPECT_EQ(first, next);
        next = last + 1;
    }
    EXPECT_EQ(storedLastPage(db(), {2, 0}, 2024), pages);
    EXPECT_EQ(rowsOf(db(), {2, 0}, 2024), 1);
    EXPECT_TRUE(markedPrinted(db(), january));
    EXPECT_TRUE(markedPrinted(db(), february));
}

} // namespace

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(RegisterNumberingTest);
