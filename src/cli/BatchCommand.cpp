#include "domain/batch/BatchSettlement.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "domain/document/CompanyDirectory.h"
#include "domain/document/InputText.h"
#include "suite/rights/UserRights.h"
#include "suite/UsageRegister.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <algorithm>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <limits>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <csignal>
#include <sys/prctl.h>
#endif

namespace liqiva::cli {

namespace {

// A progress line is only for a person at a terminal; a pipe or a file gets the summary only.
bool errorIsTerminal()
{
#if defined(Q_OS_UNIX)
    return isatty(fileno(stderr)) != 0;
#else
    return false;
#endif
}

std::vector<int> companyList(const QString &text)
{
    std::vector<int> list;
    if (text.isEmpty())
        return list;
    for (const QString &part : text.split(u',')) {
        bool ok = false;
        const int v = part.trimmed().toInt(&ok);
        if (!ok || v < 1)
            throw UsageError{u"--company: chiavi di aziende separate da virgole (1,2,3)"_qs};
        list.push_back(v);
    }
    return list;
}

using Outcome = BatchSettlement::Outcome;

Outcome::Status statusOf(const QString &text)
{
    for (auto s : {Outcome::Status::Done, Outcome::Status::Refused, Outcome::Status::Failed})
        if (batchStatusText(s) == text)
            return s;
    return Outcome::Status::Failed;
}

std::optional<Money> moneyOf(const QJsonValue &v)
{
    return v.isNull() || v.isUndefined() ? std::nullopt : std::optional<Money>(Money::fromDouble(v.toDouble()));
}

// A process of a shared batch ends with the batch that started it: killed, the batch takes its
// parts with it, so that a batch run again finds no part of the old one still at work (their
// working settlements go as abandoned). Where the system can tell at once (Linux) the part is
// killed with its parent; elsewhere it stops before its next activity.
void endWithParent(long long parent, BatchSettlement::Options &o)
{
#if defined(Q_OS_LINUX)
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != static_cast<pid_t>(parent))
        std::_Exit(1); // the parent died before the request took hold
#endif
    o.progress = [parent](int, int, const QString &) {
        if (!UsageRegister::processRuns(parent))
            std::_Exit(1);
    };
}

// The batch shared among several processes of this program, each with its own connection
// and one slice of the activities; their results are merged in the order one process gives.
std::vector<Outcome> runInProcesses(int jobs, bool terminal)
{
    QStringList words = QCoreApplication::arguments().mid(1);
    const int at = int(words.indexOf(u"--jobs"_qs));
    if (at >= 0)
        words.remove(at, 2);
    if (!words.contains(u"--json"_qs))
        words << u"--json"_qs;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int k = 0; k < jobs; ++k) {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(),
                 QStringList(words) << u"--slice"_qs << QString::number(k) << u"--slices"_qs << QString::number(jobs)
                                    << u"--parent"_qs << QString::number(QCoreApplication::applicationPid()));
        children.push_back(std::move(p));
    }
    std::vector<Outcome> all;
    int finished = 0;
    for (auto &p : children) {
        p->waitForFinished(-1);
        ++finished;
        if (terminal) {
            std::fprintf(stderr, "\r\033[K[%d/%d] parti concluse", finished, jobs);
            std::fflush(stderr);
        }
        const QJsonObject root = QJsonDocument::fromJson(p->readAllStandardOutput()).object();
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() > 1 || !root.contains(u"activities"_qs))
            throw Refusal(u"Una parte del lavoro non è riuscita: "_qs
                          + QString::fromUtf8(p->readAllStandardError()).trimmed());
        for (const QJsonValue &v : root.value(u"activities"_qs).toArray()) {
            const QJsonObject row = v.toObject();
            Outcome r;
            r.idAzienda = row.value(u"IDAzienda"_qs).toInt();
            r.azienda = row.value(u"Azienda"_qs).toString();
            r.idAttivitaAzienda = row.value(u"IDAttivitaAzienda"_qs).toInt();
            r.attivitaAzienda = row.value(u"AttivitaAzienda"_qs).toString();
            r.status = statusOf(row.value(u"esito"_qs).toString());
            r.reason = row.value(u"motivo"_qs).toString();
            r.idRisultatoLiquidazioneIva = row.value(u"id"_qs).toInt();
            r.daVersare = moneyOf(row.value(u"IvaDaVersare"_qs));
            r.creditoResiduo = moneyOf(row.value(u"CreDimLiquiSucc"_qs));
            all.push_back(r);
        }
    }
    std::sort(all.begin(), all.end(), [](const Outcome &a, const Outcome &b) {
        return std::pair(a.idAzienda, a.idAttivitaAzienda) < std::pair(b.idAzienda, b.idAttivitaAzienda);
    });
    return all;
}

// The totals of the summary.
struct Totals {
    int done = 0, refused = 0, failed = 0;
    Money toPay, credit;
};

Totals totalsOf(const std::vector<Outcome> &outcomes)
{
    Totals t;
    for (const auto &r : outcomes) {
        switch (r.status) {
        case Outcome::Status::Done:
            ++t.done;
            t.toPay += r.daVersare.value_or(Money());
            t.credit += r.creditoResiduo.value_or(Money());
            break;
        case Outcome::Status::Refused:
            ++t.refused;
            break;
        case Outcome::Status::Failed:
            ++t.failed;
            break;
        }
    }
    return t;
}

void printJsonSummary(const std::vector<Outcome> &outcomes, const Totals &t)
{
    QJsonArray rows;
    for (const auto &r : outcomes) {
        QJsonObject row;
        row.insert(u"IDAzienda"_qs, r.idAzienda);
        row.insert(u"Azienda"_qs, r.azienda);
        row.insert(u"IDAttivitaAzienda"_qs, r.idAttivitaAzienda);
        row.insert(u"AttivitaAzienda"_qs, r.attivitaAzienda);
        row.insert(u"esito"_qs, batchStatusText(r.status));
        row.insert(u"motivo"_qs, r.reason.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(r.reason));
        row.insert(u"id"_qs, r.idRisultatoLiquidazioneIva ? QJsonValue(r.idRisultatoLiquidazioneIva)
                                                          : QJsonValue(QJsonValue::Null));
        insertClosingAmounts(row, r.daVersare, r.creditoResiduo);
        rows.append(row);
    }
    QJsonObject summary;
    summary.insert(u"fatte"_qs, t.done);
    summary.insert(u"rifiutate"_qs, t.refused);
    summary.insert(u"nonRiuscite"_qs, t.failed);
    insertClosingAmounts(summary, t.toPay, t.credit);
    QJsonObject root;
    root.insert(u"activities"_qs, rows);
    root.insert(u"summary"_qs, summary);
    printJson(root);
}

void printTextSummary(const std::vector<Outcome> &outcomes, const Totals &t)
{
    for (const auto &r : outcomes)
        out(QStringLiteral("%1  %2  %3  %4")
                .arg(r.azienda + u" - "_qs + r.attivitaAzienda, -50)
                .arg(batchStatusText(r.status), -12)
                .arg(r.daVersare ? formatAmount(*r.daVersare, true) : QString(), 14)
                .arg(r.reason.section(u'\n', 0, 0)));
    out(QString());
    out(QStringLiteral("Fatte %1, rifiutate %2, non riuscite %3.").arg(t.done).arg(t.refused).arg(t.failed));
    printClosingAmounts(u"Totale da versare:"_qs, t.toPay, t.credit);
}

// The user and the companies named exist; each company is refused, when it is, for the
// user's right in it.
void checkWho(Connection &db, BatchSettlement::Options &o)
{
    if (!CompanyDirectory(db).userExists(o.idUser))
        throw Refusal(
            QStringLiteral("L'utente %1 non esiste: indicare con --user un utente del database.").arg(o.idUser));
    for (int c : o.companies)
        if (!CompanyDirectory(db).companyExists(c))
            throw Refusal(
                QStringLiteral("L'azienda %1 non esiste: indicare con --company aziende del database.").arg(c));
    const QString right = o.save ? UserRights::NewSave : UserRights::Search;
    // The program's object type and the user's groups are read once for every company.
    CompanyDirectory directory(db);
    auto rights = std::make_shared<UserRights::Reader>(db, o.idUser,
                                                       directory.objectTypeOfFunction(directory.settlementFunction()));
    o.refuseCompany = [user = o.idUser, right, rights](Connection &db, int company) -> std::optional<QString> {
        const int branch = CompanyDirectory(db).prevailingBranch(company);
        if (rights->in(branch).has(right))
            return std::nullopt;
        return UserRights::refusal(right, user, branch, company);
    };
}

int runBatch(const CliArgs &args)
{
    BatchSettlement::Options o;
    o.idUser = args.key(u"user"_qs);
    o.anno = args.integer(u"vat-year"_qs, 1900, 2099);
    o.period = args.integer(u"period"_qs, 0, 13);
    o.method = args.integer(u"method"_qs, 0, 2, 0);
    o.save = args.flag(u"save"_qs);
    o.answerYes = args.flag(u"yes"_qs);
    o.companies = companyList(args.value(u"company"_qs));
    const int jobs = args.integer(u"jobs"_qs, 1, 16, 1);
    o.slices = args.integer(u"slices"_qs, 1, 16, 1);
    o.slice = args.integer(u"slice"_qs, 0, o.slices - 1, 0);

    auto db = openDatabase(args);
    // One SQLite file takes one writer at a time: several processes would only wait.
    if (jobs > 1 && db->engine() != Engine::Postgres)
        throw UsageError{u"--jobs oltre 1 solo su PostgreSQL"_qs};
    checkWho(*db, o);
    const bool terminal = errorIsTerminal() && o.slices == 1;
    if (terminal && jobs == 1)
        o.progress = [](int done, int total, const QString &caption) {
            std::fprintf(stderr, "\r\033[K[%d/%d] %s", done, total, caption.toUtf8().constData());
            std::fflush(stderr);
        };
    if (!args.value(u"parent"_qs).isEmpty())
        endWithParent(args.integer(u"parent"_qs, 1, std::numeric_limits<int>::max()), o);

    const auto outcomes = jobs > 1 ? runInProcesses(jobs, terminal) : BatchSettlement(*db).run(o);
    if (terminal)
        std::fprintf(stderr, "\r\033[K");
    const Totals t = totalsOf(outcomes);
    if (args.flag(u"json"_qs))
        printJsonSummary(outcomes, t);
    else
        printTextSummary(outcomes, t);
    if (t.refused + t.failed > 0) {
        err(QStringLiteral("liqiva batch: %1 attività non liquidate su %2.")
                .arg(t.refused + t.failed)
                .arg(outcomes.size()));
        return 1;
    }
    return 0;
}

} // namespace

const std::vector<Command> &batchCommands()
{
    static const std::vector<Command> table = {
        {"batch",
         "batch   --db URL --user N --vat-year Y --period P [--method M] [--company N[,N...]] [--save] [--yes] [--json] "
         "[--jobs J]  liquida il periodo per ogni attività delle aziende (tutte se non indicate); con --jobs J processi in parallelo (PostgreSQL); uscita 1 se qualcuna è rifiutata",
         // --slice, --slices and --parent: the part of one process of a batch shared by --jobs
         {u"db"_qs, u"user"_qs, u"vat-year"_qs, u"period"_qs, u"method"_qs, u"company"_qs, u"jobs"_qs, u"slice"_qs,
          u"slices"_qs, u"parent"_qs},
         {u"save"_qs, u"yes"_qs, u"json"_qs},
         runBatch},
    };
    return table;
}

} // namespace liqiva::cli
