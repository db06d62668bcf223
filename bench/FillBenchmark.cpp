// liqiva-bench: how long the fill of a settlement takes on a large demo database.
//
//   liqiva-bench --db URL [--repeat N] [--company N] [--user N] [--statements N] [--only KIND] [--verbose]
//
// --statements N lists the N slowest statements of the last fill of each settlement; --only
// monthly (quarterly, annual, advance) measures only those settlements.
//
// The database is one made with "liqiva demo --db URL --scale N". For a monthly, a
// quarterly, an annual and two December-advance settlements of one demo company the program
// creates the working settlement as the new-settlement dialog does, fills it N times, and
// prints the time of the first fill and the median one, the processor time of a fill (this
// process and, for a PostgreSQL server on this machine, the server's process), the statements
// a fill runs, and the time of one plain aggregate query over the same counter rows (the
// floor) with the ratio fill / floor. The working settlements are removed at the end, and the
// settlement tables are counted before and after to show that the database is left as it was
// found.

#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/WorkingRecords.h"
#include "database/Connection.h"
#include "database/DbError.h"
#include "database/SqlValue.h"
#include "suite/Messages.h"
#include "suite/Questions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

using namespace liqiva;

namespace {

const QString kDemoCompany = u"Ferramenta Lombardi S.r.l."_qs;
constexpr int kYear = 2024;

void print(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

void printError(const QString &line)
{
    std::fputs(qPrintable(u"liqiva-bench: "_qs + line + u'\n'), stderr);
}

struct Usage {
    QString text;
};

struct Options {
    QString url;
    int repeat = 10;
    int company = 1;
    int user = 1;
    int statements = 0; // how many of the slowest statements of a fill to list
    QString only;       // measure only the settlements whose caption starts with this word
    bool verbose = false;
};

int positiveNumber(const QString &option, const QString &value)
{
    bool ok = false;
    const int v = value.toInt(&ok);
    if (!ok || v < 1)
        throw Usage{option + u": expected a whole number from 1 up, got \""_qs + value + u"\""_qs};
    return v;
}

Options parseOptions(const QStringList &args)
{
    Options o;
    for (int k = 1; k < args.size(); ++k) {
        const QString &a = args[k];
        auto value = [&]() {
            if (k + 1 >= args.size())
                throw Usage{a + u" needs a value"_qs};
            return args[++k];
        };
        if (a == u"--db")
            o.url = value();
        else if (a == u"--repeat")
            o.repeat = positiveNumber(a, value());
        else if (a == u"--company")
            o.company = positiveNumber(a, value());
        else if (a == u"--user")
            o.user = positiveNumber(a, value());
        else if (a == u"--statements")
            o.statements = positiveNumber(a, value());
        else if (a == u"--only")
            o.only = value();
        else if (a == u"--verbose")
            o.verbose = true;
        else
            throw Usage{u"unknown argument \""_qs + a + u"\""_qs};
    }
    if (o.url.isEmpty())
        throw Usage{u"--db URL is required"_qs};
    return o;
}

// Answers every question with yes (go on although earlier periods are not settled), keeps
// the texts and prints them with --verbose.
class BenchMessages : public MessageService {
public:
    explicit BenchMessages(bool verbose) : m_verbose(verbose) {}
    Answer messageBox(const QString &text, Buttons buttons, Icon, const QString &) override
    {
        if (m_verbose)
            print(u"    message: "_qs + QString(text).replace(u'\r', u' ').replace(u'\n', u' '));
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }

private:
    bool m_verbose;
};

// One settlement to measure.
struct Case {
    QString caption;
    int activity = 0; // the activity's place in the company (1..4)
    int month = 0;    // 0 the year, 1..12, 13 the December advance
    int method = 0;   // of the advance: 0 analytical, 1 historical
};

const std::vector<Case> &cases()
{
    static const std::vector<Case> list = {
        {u"monthly     activity 1, March 2024"_qs, 1, 3, 0},
        {u"quarterly   activity 2, Q2 2024"_qs, 2, 6, 0},
        {u"annual      activity 1, 2024"_qs, 1, 0, 0},
        {u"advance     activity 3, 2024, historical"_qs, 3, 13, 1},
        {u"advance     activity 3, 2024, analytical"_qs, 3, 13, 0},
    };
    return list;
}

struct Figures {
    double firstMs = 0;
    double medianMs = 0;
    double cpuMs = -1; // processor time per fill, this process and the database server's

    long long statements = 0;
    double floorMs = 0;
    int floorRows = 0;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Processor time of this process so far: a figure that other work on the machine does not
// inflate as much as the elapsed time.
double processCpuMs()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// Processor time of a local PostgreSQL server process so far, where the system shows it;
// negative when it cannot be read (another machine, another system).
double serverCpuMs(qint64 pid)
{
#ifdef Q_OS_LINUX
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (pid <= 0 || !comm.open(QIODevice::ReadOnly) || !comm.readAll().startsWith("postgres"))
        return -1; // not a server process of this machine
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // After the command in parentheses: state is field 3, utime and stime fields 14 and 15.
    const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13)
        return -1;
    const double ticks = f[11].toDouble() + f[12].toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

SqlStatement n(int v)
{
    return sqlParam(v);
}

QString ms(double v)
{
    return QString::number(v, 'f', v < 10 ? 2 : 1);
}

class Bench {
public:
    Bench(Connection &db, const Options &options) : m_db(db), m_opt(options), m_messages(options.verbose)
    {
        if (db.engine() == Engine::Postgres)
            m_serverPid = db.scalar(u"SELECT pg_backend_pid()"_qs).toLongLong();
    }

    // Refuses a database without the demo; prints what it holds.
    void checkDemo()
    {
        QString first;
        int companies = 0;
        try {
            first = m_db.scalar(u"SELECT Azienda FROM Azienda WHERE IDAzienda = 1"_qs).toString();
            companies = m_db.scalar(u"SELECT COUNT(*) FROM Azienda"_qs).toInt();
        } catch (const DbError &) {
            first.clear(); // no such table: no schema at all
        }
        if (first != kDemoCompany)
            throw DbError(u"the database holds no demo company: make one with \"liqiva demo --db URL --scale 580\" "
                          u"(about 1,000,000 counter rows)"_qs,
                          QString());
        if (m_opt.company > companies)
            throw DbError(QStringLiteral("the demo has %1 companies, there is no company %2").arg(companies).arg(m_opt.company),
                          QString());
        const long long counters = m_db.scalar(u"SELECT COUNT(*) FROM ContatoreIva"_qs).toLongLong();
        const QLocale c(QLocale::English);
        print(QStringLiteral("%1 %2: demo of %3 companies, %4 counter rows; company %5, %6 fills per settlement")
                  .arg(m_db.engine() == Engine::Sqlite ? u"SQLite"_qs : u"PostgreSQL"_qs, m_db.location().toString())
                  .arg(companies)
                  .arg(c.toString(counters))
                  .arg(m_opt.company)
                  .arg(m_opt.repeat));
        if (counters < 1000000)
            print(u"note: fewer than 1,000,000 counter rows; the targets are stated for a million (--scale 580)"_qs);
    }

    std::map<QString, long long> tableCounts()
    {
        std::map<QString, long long> counts;
        for (const char *table : {"RisultatoLiquidazioneIva", "RisultatoLiquidazioneIvaXTipo", "RigaReportLiquidazioneIva",
                                  "CampoReportLiquidazioneIva", "RisultatoLiquidazioneIvaArt34",
                                  "AltreOperazioniPerAcconto"}) {
            const QString name = QString::fromLatin1(table);
            counts[name] = m_db.scalar(u"SELECT COUNT(*) FROM "_qs + name).toLongLong();
        }
        return counts;
    }

    void run()
    {
        const auto before = tableCounts();
        print(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                  .arg(u"settlement"_qs, -42)
                  .arg(u"first ms"_qs, 9)
                  .arg(u"median ms"_qs, 10)
                  .arg(u"cpu ms"_qs, 7)
                  .arg(u"statements"_qs, 11)
                  .arg(u"floor ms"_qs, 9)
                  .arg(u"fill/floor"_qs, 11));
        for (const Case &c : cases()) {
            if (!m_opt.only.isEmpty() && !c.caption.startsWith(m_opt.only))
                continue;
            const std::optional<Figures> f = measure(c);
            if (!f)
                continue;
            print(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                      .arg(c.caption, -42)
                      .arg(ms(f->firstMs), 9)
                      .arg(ms(f->medianMs), 10)
                      .arg(f->cpuMs < 0 ? u"-"_qs : ms(f->cpuMs), 7)
                      .arg(f->statements, 11)
                      .arg(ms(f->floorMs), 9)
                      .arg(f->floorMs > 0 ? QString::number(f->medianMs / f->floorMs, 'f', 1) : u"-"_qs, 11));
        }
        const auto after = tableCounts();
        for (const auto &[table, count] : before)
            if (after.at(table) != count)
                printError(QStringLiteral("the database is not as it was: %1 had %2 rows, now %3")
                               .arg(table)
                               .arg(count)
                               .arg(after.at(table)));
        if (before == after)
            print(u"working settlements removed: the settlement tables are as they were"_qs);
    }

private:
    int activityKey(int place)
    {
        Recordset rs = m_db.openRecordset(u"SELECT IDAttivitaAzienda FROM AttivitaAzienda WHERE IDAzienda = "_qs
                                          + n(m_opt.company) + u" ORDER BY IDAttivitaAzienda"_qs);
        for (int k = 1; !rs.eof(); rs.moveNext(), ++k)
            if (k == place)
                return rs.integer(u"IDAttivitaAzienda"_qs);
        throw DbError(QStringLiteral("company %1 has no activity number %2").arg(m_opt.company).arg(place), QString());
    }

    int vatYearKey(int year)
    {
        const QVariant v = m_db.scalar(u"SELECT IDPeriodoIva FROM PeriodoIva WHERE IDAzienda = "_qs + n(m_opt.company)
                                       + u" AND Anno = "_qs + n(year));
        if (v.isNull())
            throw DbError(QStringLiteral("company %1 has no VAT year %2").arg(m_opt.company).arg(year), QString());
        return v.toInt();
    }

    // The activity's settlement type in a year: 0 monthly, otherwise quarterly.
    int settlementType(int activity, int year)
    {
        return m_db
            .scalar(u"SELECT TipoLiquidazioneIva FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda = "_qs + n(activity)
                    + u" AND IDPeriodoIva = "_qs + n(vatYearKey(year)))
            .toInt();
    }

    // The floor: one plain aggregate over the purchase counters that the settlement reads.
    SqlStatement floorQuery(const Case &c, int activity)
    {
        SqlParams branches;
        for (Recordset rs = m_db.openRecordset(u"SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = "_qs + n(activity)
                                               + u" ORDER BY IDFiliale"_qs);
             !rs.eof(); rs.moveNext())
            branches << rs.integer(u"IDFiliale"_qs);
        int year = kYear;
        SqlStatement months;
        const bool quarterly = settlementType(activity, kYear) != 0;
        if (c.month == 0) {
            months = u"AccontoIva = 0"_qs;
        } else if (c.month == 13 && c.method != 0) {
            // The historical advance reads the last month or quarter of the year before.
            year = kYear - 1;
            months = settlementType(activity, year) != 0 ? u"IDMese > 9 AND IDMese <= 12"_qs : u"IDMese = 12"_qs;
        } else if (c.month == 13) {
            months = quarterly ? u"(IDMese = 10 OR IDMese = 11 OR AccontoIva <> 0)"_qs : u"IDMese = 12 AND AccontoIva <> 0"_qs;
        } else {
            months = quarterly ? u"IDMese > "_qs + n(c.month - 3) + u" AND IDMese <= "_qs + n(c.month)
                               : SqlStatement(u"IDMese = "_qs) + n(c.month);
        }
        return u"SELECT SUM(Importo), COUNT(*) FROM ContatoreIva WHERE IDTipoContatoreIva = 1 AND Anno = "_qs + n(year)
            + u" AND "_qs + months + u" AND IDFiliale IN ("_qs + sqlList(branches) + u")"_qs;
    }

    std::optional<Figures> measure(const Case &c)
    {
        const int activity = activityKey(c.activity);
        const int vatYear = vatYearKey(kYear);
        const int maxBefore = m_db.scalar(u"SELECT MAX(IDRisultatoLiquidazioneIva) FROM RisultatoLiquidazioneIva"_qs).toInt();

        NewSettlement ns(m_db, m_opt.company, m_opt.user);
        ns.sbSetComboMesi(activity, vatYear, 0);
        const int index = ns.indexOfMonth(c.month);
        if (index < 0) {
            printError(c.caption.simplified() + u": the activity has no such period"_qs);
            return std::nullopt;
        }
        if (ns.confirmAsking(m_messages, activity, vatYear, index, c.method, false) != 1) {
            printError(c.caption.simplified() + u": the new settlement was refused"_qs);
            return std::nullopt;
        }
        const int key = ns.currentKey();
        if (key <= maxBefore) {
            printError(c.caption.simplified()
                       + QStringLiteral(": a settlement of this period is already stored (key %1): not measured").arg(key));
            return std::nullopt;
        }

        Figures f;
        std::vector<double> times;
        const double cpuBefore = processCpuMs();
        const double serverBefore = m_serverPid > 0 ? serverCpuMs(m_serverPid) : 0;
        std::vector<std::pair<double, QString>> statements;
        try {
            for (int k = 0; k < m_opt.repeat; ++k) {
                const bool last = k == m_opt.repeat - 1;
                if (last && m_opt.statements > 0) {
                    statements.clear();
                    m_db.setStatementObserver([&statements](const QString &sql, qint64 ns) {
                        statements.emplace_back(ns / 1e6, sql);
                    });
                }
                SettlementDocument doc(DocumentContext{m_db, m_messages, m_opt.user, m_opt.company, 1, true});
                const long long count = m_db.statementCount();
                QElapsedTimer clock;
                clock.start();
                doc.sbChildFill(key, ns.makeDatiIva());
                const double elapsed = clock.nsecsElapsed() / 1e6;
                m_db.setStatementObserver({});
                f.statements = m_db.statementCount() - count;
                if (k == 0)
                    f.firstMs = elapsed;
                times.push_back(elapsed);
            }
        } catch (...) {
            m_db.setStatementObserver({});
            WorkingRecords::removeDocumentRows(m_db, m_opt.user, key);
            throw;
        }
        const double serverAfter = m_serverPid > 0 ? serverCpuMs(m_serverPid) : 0;
        if (serverBefore >= 0 && serverAfter >= 0)
            f.cpuMs = (processCpuMs() - cpuBefore + serverAfter - serverBefore) / m_opt.repeat;
        WorkingRecords::removeDocumentRows(m_db, m_opt.user, key);
        f.medianMs = median(times);

        const SqlStatement floor = floorQuery(c, activity);
        std::vector<double> floorTimes;
        for (int k = 0; k < std::max(m_opt.repeat, 5); ++k) {
            QElapsedTimer clock;
            clock.start();
            Recordset rs = m_db.openRecordset(floor);
            f.floorRows = rs.eof() ? 0 : int(rs.number(1));
            rs.close();
            floorTimes.push_back(clock.nsecsElapsed() / 1e6);
        }
        f.floorMs = median(floorTimes);
        if (m_opt.verbose)
            print(QStringLiteral("    floor (%1 counter rows): %2").arg(f.floorRows).arg(floor.text));

        if (!statements.empty()) {
            double total = 0;
            for (const auto &s : statements)
                total += s.first;
            std::sort(statements.begin(), statements.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
            print(QStringLiteral("    the slowest statements of the last fill (%1 ms in %2 statements at the engine):")
                      .arg(ms(total))
                      .arg(statements.size()));
            for (size_t k = 0; k < statements.size() && k < size_t(m_opt.statements); ++k)
                print(QStringLiteral("    %1  %2")
                          .arg(ms(statements[k].first), 7)
                          .arg(m_opt.verbose ? statements[k].second : statements[k].second.left(220)));
        }
        return f;
    }

    Connection &m_db;
    const Options &m_opt;
    BenchMessages m_messages;
    qint64 m_serverPid = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options options;
    try {
        options = parseOptions(QCoreApplication::arguments());
    } catch (const Usage &u) {
        printError(u.text);
        std::fputs("usage: liqiva-bench --db URL [--repeat N] [--company N] [--user N] [--statements N] [--only KIND] "
                   "[--verbose]\n",
                   stderr);
        return 2;
    }
    try {
        auto db = Connection::open(options.url);
        Bench bench(*db, options);
        bench.checkDemo();
        bench.run();
    } catch (const DbError &e) {
        printError(e.message());
        return 1;
    }
    return 0;
}
