#include "domain/printing/PrintJob.h"

#include "domain/document/SettlementDocument.h"
#include "domain/engine/AmountTypes.h"
#include "domain/printing/PrintSelection.h"
#include "domain/printing/SettlementReport.h"
#include "database/Connection.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"

#include <QStringList>
#include <memory>

namespace liqiva {

namespace {

SqlStatement n(long long v)
{
    return sqlParam(v);
}

// Takes the numbering's row so that two definitive prints on one register take their turn:
// the second one waits here for the first one's commit and then sees its pages.
void lockNumbering(Connection &db, const NumberingKeys &keys)
{
    if (keys.perSectional > 0)
        db.execute(u"UPDATE NumerazionePerRegistroPerSezionale SET IDSezionale = IDSezionale"
                   u" WHERE IDNumerazionePerRegistroPerSezionale = "_qs +
                   n(keys.perSectional));
    else
        db.execute(
            u"UPDATE NumerazionePerRegistro SET IDRegistroIva = IDRegistroIva WHERE IDNumerazionePerRegistro = "_qs +
            n(keys.perRegister));
}

} // namespace

QString PrintJob::msgRegisterMovedOn(int lastPage)
{
    return QStringLiteral("Nel frattempo un altro utente ha stampato in definitivo sullo stesso registro, che ora "
                          "termina alla pagina %1: la numerazione non è stata aggiornata e la liquidazione non è "
                          "segnata come stampata. Ripetere la stampa definitiva.")
        .arg(lastPage);
}

namespace {

QString notRecorded()
{
    return u" La numerazione del registro non è stata aggiornata e nessuna liquidazione è segnata come stampata: "
           u"ripetere la stampa definitiva."_qs;
}

// Who a row is: activity, VAT year, month (empty for the year or the advance), advance and
// method.
QString identityOf(const QString &row)
{
    return row.section(u'|', 0, 4);
}

} // namespace

QString PrintJob::msgSettlementGone(int key)
{
    return QStringLiteral("La liquidazione I.V.A. %1 è stata eliminata mentre si stampava.").arg(key) + notRecorded();
}

QString PrintJob::msgSettlementReplaced(int key)
{
    return QStringLiteral("La liquidazione I.V.A. %1 è stata eliminata mentre si stampava e la sua chiave è ora di "
                          "un'altra liquidazione.")
               .arg(key) +
           notRecorded();
}

QString PrintJob::msgSettlementSavedAgain(int key)
{
    return QStringLiteral("La liquidazione I.V.A. %1 è stata salvata di nuovo mentre si stampava: le pagine "
                          "potrebbero non riportarne le cifre.")
               .arg(key) +
           notRecorded();
}

QString PrintJob::settlementRow(Connection &db, int idRisultatoLiquidazioneIva)
{
    Recordset rs = db.openRecordset(
        u"SELECT IDAttivitaAzienda, IDPeriodoIva, IDMese, AccontoIva, MetodoCalcoloAccontoIva, VirtualDelete,"
        u" IDUtenteUltimaVariazione, DataUltimaVariazione FROM RisultatoLiquidazioneIva"
        u" WHERE IDRisultatoLiquidazioneIva = ?"_qs,
        {idRisultatoLiquidazioneIva});
    if (rs.eof())
        return {};
    QStringList parts;
    for (const char *column : {"IDAttivitaAzienda", "IDPeriodoIva", "IDMese", "AccontoIva", "MetodoCalcoloAccontoIva",
                               "VirtualDelete", "IDUtenteUltimaVariazione", "DataUltimaVariazione"}) {
        const QVariant v = rs.field(QLatin1String(column));
        if (v.isNull())
            parts << QString();
        else if (v.typeId() == QMetaType::QDateTime)
            parts << v.toDateTime().toString(Qt::ISODateWithMs);
        else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::QString)
            parts << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 4) : v.toString());
        else
            parts << v.toString();
    }
    return parts.join(u'|');
}

QString PrintJob::msgPagesAlreadyPrinted(int startPage, int lastPage)
{
    return QStringLiteral("Le pagine del registro fino alla %2 sono già state stampate: la stampa definitiva non può "
                          "cominciare dalla pagina %1.")
        .arg(startPage)
        .arg(lastPage);
}

std::vector<int> PrintJob::summarySettlements(Connection &db, int idRisultatoLiquidazioneIva)
{
    std::vector<int> keys;
    Recordset who = db.openRecordset(u"SELECT IDAttivitaAzienda, IDPeriodoIva FROM RisultatoLiquidazioneIva"
                                     u" WHERE IDRisultatoLiquidazioneIva = "_qs +
                                     n(idRisultatoLiquidazioneIva));
    if (who.eof())
        return keys;
    const SqlStatement sql = u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"
                             u" AND AccontoIva = 0 AND IDMese IS NOT NULL AND IDAttivitaAzienda = "_qs +
                             n(who.integer(u"IDAttivitaAzienda"_qs)) + u" AND IDPeriodoIva = "_qs +
                             n(who.integer(u"IDPeriodoIva"_qs)) + u" ORDER BY IDMese"_qs;
    who.close();
    for (Recordset rs = db.openRecordset(sql); !rs.eof(); rs.moveNext())
        keys.push_back(rs.integer(u"IDRisultatoLiquidazioneIva"_qs));
    return keys;
}

void PrintJob::addSummaryPages(PageBuilder &pages, PrintedReport &report, const std::vector<int> &keys)
{
    Connection &db = m_ctx.db;
    PrintSelection selection(db, m_ctx.idUser, m_ctx.idFunction);
    selection.sbSetPrintOperation(keys, 0);
    const std::vector<int> selected = selection.selected();
    selection.sbDeletePrintOperation();

    QString activity;
    int year = 0;
    struct Row {
        QString period;
        Money debit, credit, toPay, carried;
    };
    std::vector<Row> rows;
    for (int key : selected) {
        Recordset rs = db.openRecordset(
            u"SELECT RisultatoLiquidazioneIva.IDMese, PeriodoIva.Anno, AttivitaAzienda.AttivitaAzienda, Mese.Mese"
            u" FROM ((RisultatoLiquidazioneIva INNER JOIN PeriodoIva ON RisultatoLiquidazioneIva.IDPeriodoIva = "
            u"PeriodoIva.IDPeriodoIva) INNER JOIN AttivitaAzienda ON RisultatoLiquidazioneIva.IDAttivitaAzienda = "
            u"AttivitaAzienda.IDAttivitaAzienda) LEFT JOIN Mese ON RisultatoLiquidazioneIva.IDMese = Mese.IDMese"
            u" WHERE RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = "_qs +
            n(key));
        if (rs.eof())
            continue;
        Row row;
        row.period = rs.isNull(u"IDMese"_qs) ? u"Tutti i mesi"_qs : rs.text(u"Mese"_qs);
        activity = rs.text(u"AttivitaAzienda"_qs);
        year = rs.integer(u"Anno"_qs);
        rs.close();
        for (Recordset t = db.openRecordset(u"SELECT IDTipoRisultatoLiquidazioneIva, Importo FROM "
                                            u"RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs +
                                            n(key));
             !t.eof(); t.moveNext()) {
            const Money amount = Money::fromVariant(t.field(u"Importo"_qs));
            switch (t.integer(u"IDTipoRisultatoLiquidazioneIva"_qs)) {
            case AmountType::TotIvaDebito:
                row.debit = amount;
                break;
            case AmountType::TotIvaCredito:
                row.credit = amount;
                break;
            case AmountType::IvaDaVersare:
                row.toPay = amount;
                break;
            case AmountType::CreDimLiquiSucc:
                row.carried = amount;
                break;
            default:
                break;
            }
        }
        rows.push_back(row);
    }

    pages.startPart(QStringLiteral("Anno %1 - %2").arg(year).arg(activity));
    pages.text(QStringLiteral("Liquidazioni dell'anno %1").arg(year));
    pages.text(u"Attività: "_qs + activity);
    pages.section(u"Liquidazioni del periodo"_qs, {{u"Periodo"_qs, 40, false},
                                                   {u"IVA a debito"_qs, 35, true},
                                                   {u"IVA a credito"_qs, 35, true},
                                                   {u"IVA da versare"_qs, 35, true},
                                                   {u"Credito residuo"_qs, 35, true}});
    Money debit, credit, toPay;
    for (const Row &r : rows) {
        pages.row({textCell(r.period), amountCell(r.debit, report.euro), amountCell(r.credit, report.euro),
                   amountCell(r.toPay, report.euro), amountCell(r.carried, report.euro)});
        debit += r.debit;
        credit += r.credit;
        toPay += r.toPay;
    }
    // The credit carried on is a balance, not a flow: its total is the last one.
    pages.total({textCell(u"Totale"_qs), amountCell(debit, report.euro), amountCell(credit, report.euro),
                 amountCell(toPay, report.euro),
                 amountCell(rows.empty() ? Money() : rows.back().carried, report.euro)});
}

PrintedReport PrintJob::build(const PrintRequest &request, const std::vector<const SettlementDocument *> &filled)
{
    PrintedReport report;
    report.title = reportTitle(request.report);
    const CompanyHeading company = readCompanyHeading(m_ctx.db, m_ctx.idAzienda);
    report.company = company.name;
    report.vatNumber = company.vatNumber;
    report.year = request.year;
    report.printTheYear = request.definitive && request.printTheYear;
    report.definitive = request.definitive;
    if (request.definitive) {
        RegisterNumbering numbering(m_ctx.db, m_ctx.idAzienda, request.report);
        report.registerName = numbering.registerName(request.idRegistroIva);
        if (request.idSezionale > 0)
            report.registerName += u" - "_qs + numbering.sectionalName(request.idSezionale);
    }

    // Read before the pages: a change made while they are made shows at the recording.
    for (int key : request.settlements)
        report.sources.push_back({key, settlementRow(m_ctx.db, key)});

    PageBuilder pages(report);
    if (request.report == PrintReport::Summary) {
        addSummaryPages(pages, report, request.settlements);
    } else if (!filled.empty()) {
        report.euro = filled.front()->euro();
        for (const SettlementDocument *doc : filled)
            addSettlementPages(pages, *doc);
    } else {
        for (int key : request.settlements) {
            DocumentContext ctx{m_ctx.db, m_ctx.messages, m_ctx.idUser, m_ctx.idAzienda, m_ctx.idFunction, false, {}};
            SettlementDocument doc(ctx);
            doc.sbChildFill(key, false);
            report.euro = doc.euro();
            addSettlementPages(pages, doc);
        }
    }
    pages.finish();
    report.numberFrom(request.definitive ? request.startPage : 1);
    return report;
}

bool PrintJob::run(const PrintRequest &request, PrintedReport &report,
                   const std::function<bool(const PrintedReport &)> &output, const std::function<void()> &publish)
{
    if (request.definitive) {
        // Before anything is produced: the pages must fit the counter and follow the
        // register's last page as it stands now.
        RegisterNumbering::lastPageOf(request.startPage, report.pageCount());
        const int now = RegisterNumbering::lastPage(m_ctx.db, request.keys, request.year);
        if (now != request.storedLastPage)
            throw Refusal{msgRegisterMovedOn(now)};
        if (request.startPage <= now)
            throw Refusal{msgPagesAlreadyPrinted(request.startPage, now)};
    }
    if (!output(report))
        return false;
    if (request.definitive)
        commitDefinitive(m_ctx.db, request, report, publish);
    else if (publish)
        publish();
    return true;
}

void PrintJob::commitDefinitive(Connection &db, const PrintRequest &request, const PrintedReport &report,
                                const std::function<void()> &publish)
{
    const int pagesPrinted = report.pageCount();
    Transaction tx(db);
    lockNumbering(db, request.keys);
    // Each settlement of the pages as it was read: its row locked first, so that a delete or
    // a save under way ends before it is looked at.
    for (const PrintedSource &source : report.sources) {
        db.execute(u"UPDATE RisultatoLiquidazioneIva SET VirtualDelete = VirtualDelete"
                   u" WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                   {source.key});
        const QString now = settlementRow(db, source.key);
        if (now == source.row)
            continue;
        if (now.isEmpty())
            throw Refusal{msgSettlementGone(source.key)};
        if (identityOf(now) != identityOf(source.row))
            throw Refusal{msgSettlementReplaced(source.key)};
        throw Refusal{msgSettlementSavedAgain(source.key)};
    }
    const int now = RegisterNumbering::lastPage(db, request.keys, request.year);
    if (now != request.storedLastPage)
        throw Refusal{msgRegisterMovedOn(now)};
    if (request.startPage <= now)
        throw Refusal{msgPagesAlreadyPrinted(request.startPage, now)};
    RegisterNumbering::sbUpdateProgressiviNumReg(db, pagesPrinted, request.year, request.startPage, request.keys);
    if (request.report == PrintReport::Settlement)
        for (int key : request.settlements)
            RegisterNumbering::sbUpdateStampatoDefinitivo(db, key);
    if (publish)
        publish();
    tx.commit();
}

} // namespace liqiva
