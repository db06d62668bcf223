#include "domain/engine/ReportRebuild.h"

#include "domain/engine/InterestAdvance.h"
#include "domain/engine/ReportState.h"
#include "database/Connection.h"
#include "database/DbError.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"

#include <cmath>

namespace liqiva {

namespace {

// Every header column the rebuild computes. Those a rebuild does not write (the ventilation
// totals without receipts to split, the lire-year fields from 2000 on, ...) are set to NULL,
// so that a header record that survives rebuilds never keeps a figure of an earlier one.
const QStringList &ownedHeaderColumns()
{
    static const QStringList columns = {
        // purchases
        u"TotAltroAcquistiImp"_qs, u"TotAltroAcquistiIva"_qs, u"TotAcquistMerciiImp"_qs, u"TotAcquistiMerciIva"_qs,
        u"TotAcquistiImpSospeso"_qs, u"TotAcquistiIvaSospeso"_qs, u"TotAcquistiImpPagSospeso"_qs,
        u"TotAcquistiIvaPagSospeso"_qs, u"TotAcquistiImp"_qs, u"TotAcquistiIva"_qs, u"TotAcquistiImpSplit"_qs,
        u"TotAcquistiIvaSplit"_qs, u"ImpAltriAcqConIvaIndetraibile"_qs, u"IvaAltriAcqConIvaIndetraibile"_qs,
        u"ImpAcqMerceConIvaIndetraibile"_qs, u"IvaAcqMerceConIvaIndetraibile"_qs, u"ImpAcquistiConIvaIndetraibile"_qs,
        u"IvaAcquistiConIvaIndetraibile"_qs,
        // sales
        u"TotVenditeImp"_qs, u"TotVenditeIva"_qs, u"TotVenditeInCorrImp"_qs, u"TotVenditeInCorrIva"_qs,
        u"TotVenditeInCorrDaVentilareImp"_qs, u"TotVenditeInCorrDaVentilareIva"_qs, u"TotVenditeImpSospeso"_qs,
        u"TotVenditeIvaSospeso"_qs, u"TotVenditeImpIncSospeso"_qs, u"TotVenditeIvaIncSospeso"_qs,
        u"TotVenditeImpCEE"_qs, u"TotVenditeIvaCEE"_qs, u"TotVenditeInCorrImpCEE"_qs, u"TotVenditeInCorrIvaCEE"_qs,
        u"TotVenditeInCorrDaVentImpCEE"_qs, u"TotVenditeInCorrDaVentIvaCEE"_qs, u"TotVenditeImpReverse"_qs,
        u"TotVenditeIvaReverse"_qs, u"TotVenditeInCorrImpReverse"_qs, u"TotVenditeInCorrIvaReverse"_qs,
        u"TotVenditeInCorrDaVentImpReverse"_qs, u"TotVenditeInCorrDaVentIvaReverse"_qs, u"TotVenditeImpSplit"_qs,
        u"TotVenditeIvaSplit"_qs, u"TotVenditeImpSospesoSplit"_qs, u"TotVenditeIvaSospesoSplit"_qs,
        u"TotVenditeImpIncSospesoSplit"_qs, u"TotVenditeIvaIncSospesoSplit"_qs, u"TotVenditeComplessivoImp"_qs,
        u"TotVenditeComplessivoIva"_qs, u"TotVenditeComplessivoImpCEE"_qs, u"TotVenditeComplessivoIvaCEE"_qs,
        u"TotVenditeComplessivoImpReverse"_qs, u"TotVenditeComplessivoIvaReverse"_qs,
        // receipts and their split by rate
        u"TotCorrImp"_qs, u"TotCorrIva"_qs, u"TotCorrDaVentilareImp"_qs, u"TotCorrDaVentilareIva"_qs,
        u"TotCorrDaVentilareImportoLordo"_qs, u"TotCorrDaVentilarePercRip"_qs, u"TotCorrDaVentilareAcquisti"_qs,
        // period fields and closing
        u"MeseLiquidazione"_qs, u"TotIvaSuVendite"_qs, u"IvaSplitPayment"_qs, u"Art34DPRn63372"_qs,
        u"TotIvaSuAcquisti"_qs, u"CreditoPrecedente"_qs, u"DebitoPrecedente"_qs, u"Acconto"_qs,
        u"Articolo27Comma5"_qs, u"PercProrata"_qs, u"VersamentiEffettuati"_qs, u"InteressiTrimestraliVersati"_qs,
        u"InteressiTrimestraliDovuti"_qs, u"ImportoProrata"_qs, u"TotIvaDetraibile"_qs,
        u"TotIvaDetraibileSuAcquisti"_qs, u"CreditoAutotrasportatori"_qs, u"TotIvaCredito"_qs, u"TotIvaDebito"_qs,
        u"TotDebito"_qs, u"TotCredito"_qs, u"Arrotondamenti"_qs, u"DebitoArrotondato"_qs, u"Interessi150"_qs,
        u"TotDaVersare"_qs,
        // payments
        u"DataVersamentiPeriodici"_qs, u"BancaVersamentiPeriodici"_qs, u"AbiVerPer"_qs, u"CabVerPer"_qs,
        u"CodConcEsatVerPer"_qs, u"CodiceAziendaVerPer"_qs, u"ImpVersatoVersamentiPeriodici"_qs,
        u"DataVersamentiInAcconto"_qs, u"BancaVersamentiInAcconto"_qs, u"AbiVerAcc"_qs, u"CabVerAcc"_qs,
        u"CodConcEsatVerAcc"_qs, u"CodiceAziendaVerAcc"_qs, u"ImpVersatoVersamentiInAcconto"_qs,
        // preceding period
        u"DebitoPeriodoPrec"_qs, u"CreditoPeriodoPrec"_qs,
    };
    return columns;
}

// The totals the printed report leaves blank when they are zero: the record holds them as
// NULL, the rebuild's own header keeps the zero.
const char *const blankedWhenZero[] = {
    "TotAcquistiImp",
    "TotAcquistiIva",
    "ImpAcquistiConIvaIndetraibile",
    "IvaAcquistiConIvaIndetraibile",
    "ImpAltriAcqConIvaIndetraibile",
    "IvaAltriAcqConIvaIndetraibile",
    "TotAcquistMerciiImp",
    "TotAcquistiMerciIva",
    "ImpAcqMerceConIvaIndetraibile",
    "IvaAcqMerceConIvaIndetraibile",
    "TotVenditeComplessivoImp",
    "TotVenditeComplessivoIva",
    "TotCorrImp",
    "TotCorrIva",
    "TotCorrDaVentilareImp",
    "TotCorrDaVentilareIva",
    "TotCorrDaVentilareImportoLordo",
    "TotCorrDaVentilarePercRip",
    "TotCorrDaVentilareAcquisti",
};

// The header as the record keeps it.
ReportHeader headerAsStored(const ReportHeader &header)
{
    ReportHeader stored = header;
    for (const char *c : blankedWhenZero) {
        const QString column = QString::fromLatin1(c);
        if (!stored.isNull(column) && stored.amount(column).isZero())
            stored.setNull(column);
    }
    return stored;
}

[[noreturn]] void refuse(const QString &why)
{
    throw Refusal(u"Impossibile ricalcolare la liquidazione I.V.A.: "_qs + why);
}

void validate(const SettlementIdentity &id, const ReportInputs &in)
{
    if (id.idRisultatoLiquidazioneIva < 1)
        refuse(u"manca la liquidazione da ricalcolare."_qs);
    if (id.idAttivitaAzienda < 1)
        refuse(u"manca l'attività azienda."_qs);
    if (id.idPeriodoIva < 1)
        refuse(u"manca il periodo I.V.A."_qs);
    if (id.idMese > Month::DecemberAdvance)
        refuse(QStringLiteral("mese non valido (%1).").arg(id.idMese));
    if (id.isAdvance() && (id.metodoCalcoloAccontoIva < AdvanceMethod::Analytical ||
                           id.metodoCalcoloAccontoIva > AdvanceMethod::Forecast))
        refuse(QStringLiteral("metodo di calcolo dell'acconto non valido (%1).").arg(id.metodoCalcoloAccontoIva));
    if (id.anno < 1900 || id.anno > 9999)
        refuse(QStringLiteral("anno non valido (%1).").arg(id.anno));
    if (in.percProRata < Percent() || in.percProRata > Percent::points(100))
        refuse(QStringLiteral("percentuale di pro-rata non valida (%1).").arg(in.percProRata.toString()));
}

// Takes the settlement row for the rebuild: two users filling the same settlement at once
// take their turn instead of each writing a header and a set of rows. The row must exist and
// be the one the identity names. The same read gives the print flags of the payments, which
// count for a live row only, and the key of the header record when there is one.
void takeSettlementRow(Connection &db, const SettlementIdentity &id, ReportState &st)
{
    // SQLite's write transaction already holds the whole database; PostgreSQL locks the row.
    const bool postgres = db.engine() == Engine::Postgres;
    Recordset rs = db.openRecordset(
        u"SELECT R.IDAttivitaAzienda, R.IDPeriodoIva, R.IDMese, R.AccontoIva, R.VirtualDelete, "
        u"R.RipStampaVersamentiPeriodici, R.RipStampaVersamentiInAcconto, C.IDCampoReportLiquidazioneIva FROM "
        u"RisultatoLiquidazioneIva AS R LEFT JOIN CampoReportLiquidazioneIva AS C ON C.IDRisultatoLiquidazioneIva = "
        u"R.IDRisultatoLiquidazioneIva WHERE R.IDRisultatoLiquidazioneIva = ?"_qs +
            (postgres ? u" FOR UPDATE OF R"_qs : QString()),
        {sqlValue(id.idRisultatoLiquidazioneIva)});
    if (rs.eof())
        refuse(QStringLiteral("la liquidazione %1 non esiste.").arg(id.idRisultatoLiquidazioneIva));
    if (rs.integer(u"IDAttivitaAzienda"_qs) != id.idAttivitaAzienda ||
        rs.integer(u"IDPeriodoIva"_qs) != id.idPeriodoIva)
        refuse(QStringLiteral("la liquidazione %1 non appartiene all'attività e al periodo I.V.A. indicati.")
                   .arg(id.idRisultatoLiquidazioneIva));
    // Deleted meanwhile and its key taken by another period: never fill it with this one's
    // figures.
    const int month = rs.isNull(u"IDMese"_qs)
                          ? (rs.integer(u"AccontoIva"_qs) != 0 ? Month::DecemberAdvance : Month::WholeYear)
                          : rs.integer(u"IDMese"_qs);
    if (month != id.idMese)
        refuse(QStringLiteral("la liquidazione %1 è stata eliminata e la sua chiave è ora di un'altra liquidazione.")
                   .arg(id.idRisultatoLiquidazioneIva));
    const bool live = rs.integer(u"VirtualDelete"_qs) == 0;
    st.printPeriodicPayment = live && rs.number(u"RipStampaVersamentiPeriodici"_qs) != 0;
    st.printAdvancePayment = live && rs.number(u"RipStampaVersamentiInAcconto"_qs) != 0;
    // On PostgreSQL a header written by the filler this one waited for is not in this
    // statement's view of the other table: looked for again below.
    st.idCampo = rs.isNull(u"IDCampoReportLiquidazioneIva"_qs) ? 0 : rs.integer(u"IDCampoReportLiquidazioneIva"_qs);
}

int headerKey(Connection &db, int idRisultato)
{
    const QVariant key = db.scalar(u"SELECT IDCampoReportLiquidazioneIva FROM CampoReportLiquidazioneIva WHERE "
                                   u"IDRisultatoLiquidazioneIva = ?"_qs,
                                   {sqlValue(idRisultato)});
    if (!key.isNull())
        return int(fieldToNumber(key));
    return nextKey(db, u"CampoReportLiquidazioneIva"_qs, u"IDCampoReportLiquidazioneIva"_qs,
                   u"INSERT INTO CampoReportLiquidazioneIva (IDRisultatoLiquidazioneIva) VALUES (?)"_qs,
                   {sqlValue(idRisultato)});
}

} // namespace

int fnPeriodoIvaContatori(Connection &db, const SettlementIdentity &id, int *tipoLiquidazioneIva)
{
    if (id.isAdvance() && id.metodoCalcoloAccontoIva == AdvanceMethod::Historical) {
        int tipo = 0;
        const int key = fnPeriodoIvaAnnoPrecedente(db, id.idAttivitaAzienda, id.anno - 1, &tipo);
        if (tipoLiquidazioneIva)
            *tipoLiquidazioneIva = tipo;
        return key;
    }
    if (tipoLiquidazioneIva)
        *tipoLiquidazioneIva = fnTipoLiquidazioneIva(db, id.idAttivitaAzienda, id.idPeriodoIva);
    return id.idPeriodoIva;
}

QList<CompensationGroup> fnRaggruppamentiArt34(EngineContext &ctx, const SettlementIdentity &id)
{
    const CounterPeriod period{id.idAttivitaAzienda, fnPeriodoIvaContatori(ctx.db, id), id.idMese,
                               id.metodoCalcoloAccontoIva};
    const bool lira = !ctx.euro || id.lireRules();
    return readCompensationGroups(ctx.db, period, currencyStep(!lira));
}

namespace {

ReportOutcome rebuildOnce(EngineContext &ctx, const SettlementIdentity &id, const ReportInputs &inputs)
{
    Connection &db = ctx.db;
    ReportState st{ctx, id, inputs};
    ReportOutcome out;

    Transaction tx(db);
    takeSettlementRow(db, id, st);

    st.year = activitySettings(db, ctx.activityYear, id.idAttivitaAzienda, id.idPeriodoIva);
    st.tipoLiquidazioneIva = st.year.tipoLiquidazioneIva;
    if (id.isAdvance() && id.metodoCalcoloAccontoIva == AdvanceMethod::Historical) {
        out.idPeriodoIvaContatori = fnPeriodoIvaContatori(db, id, &out.tipoLiquidazioneIvaContatori);
    } else {
        out.idPeriodoIvaContatori = id.idPeriodoIva;
        out.tipoLiquidazioneIvaContatori = st.tipoLiquidazioneIva;
    }
    st.period = {id.idAttivitaAzienda, out.idPeriodoIvaContatori, id.idMese, id.metodoCalcoloAccontoIva};
    if (st.idCampo == 0)
        st.idCampo = headerKey(db, id.idRisultatoLiquidazioneIva);

    sbRigheContatori(st);
    sbRigheVentilazione(st);
    sbCampiPeriodo(st);
    sbCampiVersamenti(st);
    sbCampiPeriodoPrecedente(st);

    for (const QString &column : ownedHeaderColumns()) {
        if (!st.header.contains(column))
            st.header.setNull(column);
    }
    // The rows in place of the old ones, and the header: on PostgreSQL in one round trip.
    out.rowsWritten = st.rows.replace(db, id.idRisultatoLiquidazioneIva,
                                      headerAsStored(st.header).updateSql(st.idCampo, db.engine()));
    tx.commit();

    out.idCampoReportLiquidazioneIva = st.idCampo;
    out.compensationGroups = st.groups;
    out.ventilationAnomaly = st.ventilationAnomaly;
    // The caller shows them, once the work is committed.
    out.messages = st.messages;
    out.rows = std::move(st.rows);
    out.header = std::move(st.header);
    out.printPeriodicPayment = st.printPeriodicPayment;
    out.printAdvancePayment = st.printAdvancePayment;
    out.ventilatedForDeclaration = st.ventilatedForDeclaration;
    return out;
}

} // namespace

ReportOutcome sbRicalcolaReportLiquidazione(EngineContext &ctx, const SettlementIdentity &id,
                                            const ReportInputs &inputs)
{
    validate(id, inputs);
    // The report rows take the keys after the largest one; on PostgreSQL a rebuild of another
    // settlement committed meanwhile may have taken them: the rebuild is undone whole and run
    // again.
    long long duplicate = -1;
    for (int attempt = 1;; ++attempt) {
        try {
            return rebuildOnce(ctx, id, inputs);
        } catch (const DbError &e) {
            if (ctx.db.engine() != Engine::Postgres || attempt >= 20)
                throw;
            if (duplicate < 0)
                duplicate = nativeErrorOf(ctx.db, ErrorKind::DuplicateKey);
            if (!isDuplicateKey(e, duplicate, Engine::Postgres))
                throw;
        }
    }
}

} // namespace liqiva
