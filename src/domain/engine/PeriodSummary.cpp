// The period fields of the report header: the VAT on sales and purchases, the deductible VAT
// (pro-rata or flat-rate compensation), the preceding period, the advance, the closing into
// total debit and credit with the lire rules of the years before 2000; then the payment
// fields and the preceding period's debt and credit from the stored results.

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/engine/InterestAdvance.h"
#include "domain/engine/ReportState.h"
#include "suite/Rounding.h"

#include <QDateTime>
#include <cmath>

namespace liqiva {

namespace {

// A sum that is NULL when the query found nothing.
QVariant sumOrNull(Connection &db, const SqlStatement &sql)
{
    const QVariant v = db.scalar(sql);
    return v.isNull() ? QVariant() : QVariant::fromValue(Money::fromVariant(v));
}

// A date read back from the database, ready to be written again.
QVariant dateValue(const QVariant &v)
{
    if (v.isNull())
        return QVariant();
    if (v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate)
        return v.toDateTime();
    QDateTime d = QDateTime::fromString(v.toString(), Qt::ISODate);
    if (!d.isValid())
        d = QDateTime::fromString(v.toString(), u"yyyy-MM-dd HH:mm:ss"_qs);
    return d.isValid() ? QVariant(d) : QVariant();
}

QVariant textOrNull(const Recordset &rs, const QString &column)
{
    return rs.isNull(column) ? QVariant() : QVariant(rs.text(column));
}

} // namespace

int sqlTrueValue(int dbType)
{
    return dbType == 0 ? 1 : -1;
}

QList<CompensationGroup> readCompensationGroups(Connection &db, const CounterPeriod &period, Step unit)
{
    QList<CompensationGroup> groups;
    for (Recordset rs = db.openRecordset(fnSqlCompensazioneIva(period)); !rs.eof(); rs.moveNext()) {
        CompensationGroup g;
        g.idCompensazioneIva = rs.integer(u"IDCompensazioneIva"_qs);
        g.percentualeCompensazione = Percent::fromVariant(rs.field(u"PercentualeCompensazione"_qs));
        g.totaleVendite = Money::fromVariant(rs.field(u"TotaleVendite"_qs));
        g.ivaDetraibile = g.percentualeCompensazione.of(g.totaleVendite, unit, RoundMode::HalfAwayFromZero);
        groups << g;
    }
    return groups;
}

// The truckers' credit a lire-year period with a debt uses: the amount given, else what the
// year still has (with what this settlement already uses) up to the debt, else for the
// annual settlement what the year's settlements used.
Money truckersCreditUsed(ReportState &st, Money debt)
{
    Connection &db = st.db();
    const SettlementIdentity &id = st.id;
    const int m = id.idMese;
    const int a = id.idAttivitaAzienda;
    const int p = id.idPeriodoIva;
    Money used;
    if (st.inputs.truckersCreditUsed + st.inputs.truckersCreditResidual >= Money::units(1)) {
        used = st.inputs.truckersCreditUsed;
    } else if (m > 0) {
        const Money available = Money::fromVariant(st.year.creditoIvaAutotrasportatori)
                                // What this settlement already uses (a saved one filled again) is still
                                // its own: without it a second fill would find the credit spent.
                                + Money::fromVariant(db.scalar(
                                      u"SELECT SUM(Importo) FROM RisultatoLiquidazioneIvaXTipo WHERE "
                                      u"IDTipoRisultatoLiquidazioneIva IN (4, 6) AND IDRisultatoLiquidazioneIva = "_qs +
                                      sqlParam(id.idRisultatoLiquidazioneIva)));
        used = std::min(available, debt);
    } else {
        used = Money::fromVariant(
            db.scalar(u"SELECT Sum(Importo) FROM RisultatoLiquidazioneIvaXTipo INNER JOIN RisultatoLiquidazioneIva ON "
                      u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
                      u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva WHERE "
                      u"RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva IN (4,6,7)  AND "
                      u"RisultatoLiquidazioneIva.IDPeriodoIva = "_qs +
                      sqlParam(p) + u" AND RisultatoLiquidazioneIva.IDAttivitaAzienda = "_qs + sqlParam(a)));
    }
    return used;
}

// Lire years: the debt rounded to thousands (a half goes down), then quarterly interest
// on it when it reaches the minimum payment and the activity pays interest.
void closeLireDebt(ReportState &st, Money balance)
{
    ReportHeader &h = st.header;
    const SettlementIdentity &id = st.id;
    const int m = id.idMese;
    const Money rounded = roundTo(balance, Step::Thousand, RoundMode::HalfTowardsZero);
    h.set(u"Arrotondamenti"_qs, rounded - balance);
    h.set(u"DebitoArrotondato"_qs, rounded);
    Money interest;
    if (rounded >= st.ctx.dImpMinIva && st.year.calcoloInteressi && st.inputs.periodCaption.contains(u'-')) {
        const Money computed = quarterlyInterestRate(st.year, m / 3, id.anno)
                                   .of(rounded, Step::TenThousandth, RoundMode::HalfAwayFromZero);
        interest = roundTo(computed, Step::Thousand, RoundMode::HalfAwayFromZero);
        h.set(u"Interessi150"_qs, interest);
    }
    h.set(u"TotDaVersare"_qs, rounded + interest);
}

namespace {

// VAT on sales and on purchases.
void setSalesAndPurchases(ReportState &st)
{
    ReportHeader &h = st.header;
    h.set(u"MeseLiquidazione"_qs, st.inputs.periodCaption);
    h.zeroIfNull(u"TotCorrIva"_qs);
    h.zeroIfNull(u"TotCorrDaVentilareIva"_qs);
    for (const char16_t *c :
         {u"TotVenditeComplessivoIva", u"TotVenditeComplessivoIvaCEE", u"TotVenditeComplessivoIvaReverse",
          u"TotCorrIva", u"TotVenditeIva", u"TotVenditeIvaIncSospeso", u"TotAcquistiIvaPagSospeso"})
        h.zeroIfNull(QString::fromUtf16(c));

    const bool art34 = st.year.articolo34;
    Money sales = h.amount(u"TotVenditeComplessivoIva"_qs) + h.amount(u"TotCorrIva"_qs) +
                  h.amount(u"TotCorrDaVentilareIva"_qs) + h.amount(u"TotVenditeIvaIncSospeso"_qs);
    if (st.inputs.otherOperationsVat)
        sales += *st.inputs.otherOperationsVat;
    h.set(u"TotIvaSuVendite"_qs, sales);
    h.set(u"IvaSplitPayment"_qs, h.amount(u"TotVenditeIvaSplit"_qs) + h.amount(u"TotVenditeIvaIncSospesoSplit"_qs));
    h.set(u"Art34DPRn63372"_qs, art34 ? sqlTrueValue(st.db().dbType()) : 0);
    h.set(u"TotIvaSuAcquisti"_qs,
          art34 ? Money() : h.amount(u"TotAcquistiIva"_qs) + h.amount(u"TotAcquistiIvaPagSospeso"_qs));
}

// Credit or debt of the preceding period: from the stored results in lire years only.
void setPrecedingBalance(ReportState &st)
{
    ReportHeader &h = st.header;
    const SettlementIdentity &id = st.id;
    const bool lireYear = id.lireRules();
    if (lireYear && !st.year.gestioneArt36) {
        Recordset rs = st.db().openRecordset(fnSqlRisultatoPrecedente(st.tipoLiquidazioneIva, id.idAttivitaAzienda,
                                                                      id.idPeriodoIva, id.idMese, st.ctx.dImpMinIva));
        const Money v =
            rs.eof() ? Money()
                     : roundTo(Money::fromVariant(rs.field(u"Importo"_qs)), Step::Cent, RoundMode::HalfAwayFromZero);
        if (v <= Money()) {
            h.set(u"CreditoPrecedente"_qs, -v);
            h.set(u"DebitoPrecedente"_qs, Money());
        } else {
            h.set(u"CreditoPrecedente"_qs, Money());
            h.set(u"DebitoPrecedente"_qs, id.idMese < 1 ? Money() : v);
        }
    } else if (!lireYear) {
        h.set(u"CreditoPrecedente"_qs, Money());
        h.set(u"DebitoPrecedente"_qs, Money());
    }
}

// The December advance paid, the late invoices' VAT, the pro-rata and (annual settlement of
// the lire years) the payments and interest of the year.
void setPaymentsOfTheYear(ReportState &st)
{
    Connection &db = st.db();
    ReportHeader &h = st.header;
    const SettlementIdentity &id = st.id;
    const int m = id.idMese;
    const int a = id.idAttivitaAzienda;
    const int p = id.idPeriodoIva;
    if ((m == 12 || m < 1) && !st.year.gestioneArt36) {
        Recordset rs = db.openRecordset(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE "
                                        u"IDTipoRisultatoLiquidazioneIva = 9 AND IDRisultatoLiquidazioneIva = "_qs +
                                        sqlParam(id.idRisultatoLiquidazioneIva));
        h.set(u"Acconto"_qs, rs.eof() ? QVariant() : QVariant::fromValue(Money::fromVariant(rs.field(u"Importo"_qs))));
    }

    h.set(u"PercProrata"_qs, st.inputs.percProRata);

    if (m < 1 && id.lireRules()) {
        h.set(u"VersamentiEffettuati"_qs,
              sumOrNull(db, fnSqlSommaPerTipoRisultato(a, p, AmountType::VersamentoPeriodico)));
        h.set(u"InteressiTrimestraliVersati"_qs,
              sumOrNull(db, fnSqlSommaPerTipoRisultato(a, p, AmountType::IntTrimDovuti)));
        h.set(u"InteressiTrimestraliDovuti"_qs, sumOrNull(db, fnSqlSommaPerTipoRisultato(a, p, AmountType::DaVersare)));
    }
}

// Deductible VAT: the pro-rata share of the purchases' VAT, or under the special
// agricultural regime the flat-rate compensation of the sales plus the purchase VAT that
// stays deductible.
Money setDeductibleVat(ReportState &st)
{
    ReportHeader &h = st.header;
    if (!st.year.articolo34) {
        const Percent perc = st.inputs.percProRata;
        const Money x = perc.of(h.amount(u"TotIvaSuAcquisti"_qs), st.unit(), RoundMode::HalfAwayFromZero);
        if (perc != Percent::points(100))
            h.set(u"ImportoProrata"_qs, x);
        h.set(u"TotIvaDetraibile"_qs, Money());
        h.set(u"TotIvaDetraibileSuAcquisti"_qs, Money());
        return x;
    }
    if (st.inputs.compensationGroups) {
        st.groups = *st.inputs.compensationGroups;
        for (CompensationGroup &g : st.groups)
            g.ivaDetraibile = g.percentualeCompensazione.of(g.totaleVendite, st.unit(), RoundMode::HalfAwayFromZero);
    } else {
        st.groups = readCompensationGroups(st.db(), st.period, st.unit());
    }
    Money compensation;
    for (const CompensationGroup &g : st.groups)
        compensation += g.ivaDetraibile;
    const Money deductible = Money::fromVariant(sumOrNull(st.db(), fnSqlTotaleIvaInDetrazione(st.period)));
    h.set(u"TotIvaDetraibile"_qs, compensation);
    h.set(u"TotIvaDetraibileSuAcquisti"_qs, deductible);
    return compensation + deductible;
}

// The closing: total credit and total debit of the period with the deductible VAT x, the
// truckers' credit of the lire years first.
void closePeriod(ReportState &st, Money x)
{
    ReportHeader &h = st.header;
    const int m = st.id.idMese;
    const bool lireYear = st.id.lireRules();
    const bool art36 = st.year.gestioneArt36;
    const Money salesVat = h.amount(u"TotIvaSuVendite"_qs) + h.amount(u"TotVenditeComplessivoIvaCEE"_qs) +
                           h.amount(u"TotVenditeComplessivoIvaReverse"_qs);

    // First closing: whether the period has a debt the truckers' credit may cover (lire years).
    if (lireYear && !art36) {
        const Money d0 = salesVat + h.amount(u"DebitoPrecedente"_qs) + h.amount(u"InteressiTrimestraliDovuti"_qs);
        const Money c0 = x + h.amount(u"CreditoPrecedente"_qs) + h.amount(u"Acconto"_qs) +
                         h.amount(u"VersamentiEffettuati"_qs) + h.amount(u"InteressiTrimestraliVersati"_qs);
        const Money debt = d0 - c0;
        if (debt > Money()) {
            const Money used = truckersCreditUsed(st, debt);
            h.set(u"CreditoAutotrasportatori"_qs, used);
        }
    }

    const Money c = h.amount(u"CreditoAutotrasportatori"_qs) + h.amount(u"CreditoPrecedente"_qs) + x +
                    h.amount(u"Acconto"_qs) + h.amount(u"VersamentiEffettuati"_qs);
    const Money d = salesVat + h.amount(u"DebitoPrecedente"_qs);
    h.set(u"TotIvaCredito"_qs, c);
    h.set(u"TotIvaDebito"_qs, d);
    const Money balance = d - c;

    if (m < 1 && !lireYear)
        return; // the annual settlement from 2000 on writes only the two totals
    if (balance > Money()) {
        h.set(u"TotDebito"_qs, balance);
    } else {
        h.set(u"TotCredito"_qs, -balance);
        return;
    }
    if (m < 1 || !lireYear || art36)
        return;

    closeLireDebt(st, balance);
}

} // namespace

void sbCampiPeriodo(ReportState &st)
{
    setSalesAndPurchases(st);
    setPrecedingBalance(st);
    setPaymentsOfTheYear(st);
    closePeriod(st, setDeductibleVat(st));
}

namespace {

struct PaymentColumns {
    const char16_t *date, *bank, *abi, *cab, *collector, *company, *amount;
};
const PaymentColumns periodicColumns{
    u"DataVersamentiPeriodici", u"BancaVersamentiPeriodici",     u"AbiVerPer", u"CabVerPer", u"CodConcEsatVerPer",
    u"CodiceAziendaVerPer",     u"ImpVersatoVersamentiPeriodici"};
const PaymentColumns advanceColumns{
    u"DataVersamentiInAcconto", u"BancaVersamentiInAcconto",     u"AbiVerAcc", u"CabVerAcc", u"CodConcEsatVerAcc",
    u"CodiceAziendaVerAcc",     u"ImpVersatoVersamentiInAcconto"};

QString col(const char16_t *name)
{
    return QString::fromUtf16(name);
}

// Bank text, ABI and CAB of a bank branch; false when there is none.
bool readBank(Recordset &rs, ReportHeader &h, const PaymentColumns &c)
{
    if (rs.eof())
        return false;
    h.set(col(c.bank), rs.text(u"Banca"_qs) + u" - "_qs + rs.text(u"Dipendenza"_qs) + u" - ("_qs + rs.text(u"Abi"_qs) +
                           u"/"_qs + rs.text(u"Cab"_qs) + u")"_qs);
    h.set(col(c.abi), textOrNull(rs, u"Abi"_qs));
    h.set(col(c.cab), textOrNull(rs, u"Cab"_qs));
    return true;
}

void readPayment(ReportState &st, int type, const PaymentColumns &c)
{
    Connection &db = st.db();
    ReportHeader &h = st.header;
    Recordset rs = db.openRecordset(
        u"SELECT * FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = "_qs + sqlParam(type) +
        u" AND IDRisultatoLiquidazioneIva = "_qs + sqlParam(st.id.idRisultatoLiquidazioneIva));
    if (rs.eof())
        return;
    h.set(col(c.date), dateValue(rs.field(u"DataVersamento"_qs)));
    h.set(col(c.amount), Money::fromVariant(rs.field(u"Importo"_qs)));
    h.set(col(c.company), textOrNull(rs, u"CodiceAzienda"_qs));
    const int idCab = rs.integer(u"IDCab"_qs);
    const int idCollector = rs.integer(u"IDConcessionarioEsattoriale"_qs);
    rs.close();

    bool bank = false;
    if (idCab != 0) {
        Recordset b = db.openRecordset(u"SELECT Abi.Cap,Abi.Abi ,Abi.Banca, Cab.Cab,Cab.Dipendenza FROM Abi INNER JOIN "
                                       u"Cab ON Abi.IDAbi = Cab.IDAbi WHERE IDCab = "_qs +
                                       sqlParam(idCab));
        bank = readBank(b, h, c);
    }
    // A periodic payment without a bank of its own: the company's bank when there is a debt
    // to pay.
    if (!bank && type == AmountType::VersamentoPeriodico && h.amount(u"TotDebito"_qs) >= st.ctx.dImpMinIva) {
        Recordset b = db.openRecordset(
            u"SELECT Abi.Abi, Abi.Banca, Cab.Cab, Cab.Dipendenza FROM ((Abi INNER JOIN Cab ON Abi.IDAbi = Cab.IDAbi) "
            u"INNER JOIN BancaPerAnagrafica ON Cab.IDCab = BancaPerAnagrafica.IDCab) INNER JOIN ConfigurazioneGenerale "
            u"ON BancaPerAnagrafica.IDBancaPerAnagrafica = ConfigurazioneGenerale.IDBancaPerAnagrafica "
            u"WHERE ConfigurazioneGenerale.IDAzienda = "_qs +
            sqlParam(st.id.idAzienda));
        readBank(b, h, c);
    }
    if (idCollector != 0) {
        Recordset k = db.openRecordset(u"SELECT CodiceConcessione FROM ConcessionarioEsattoriale WHERE "
                                       u"IDConcessionarioEsattoriale = "_qs +
                                       sqlParam(idCollector));
        if (!k.eof())
            h.set(col(c.collector), textOrNull(k, u"CodiceConcessione"_qs));
    }
}

} // namespace

void sbCampiVersamenti(ReportState &st)
{
    // The payments are printed only when the live settlement says so (its flags are read by
    // the driver together with the check of the settlement row).
    if (st.printPeriodicPayment)
        readPayment(st, AmountType::VersamentoPeriodico, periodicColumns);
    if (st.printAdvancePayment)
        readPayment(st, AmountType::AccontoVersato, advanceColumns);
}

namespace {

// What the preceding settlement of the year left to pay less what was paid for it (not below
// 0) and the credit it carried forward (the first stored amount of each type, as each was read
// alone before; none for the year's first period), and the VAT of the late invoices (NULL
// when there are none), in one statement.
struct PrecedingPeriod {
    Money debt, credit;
    QVariant lateInvoicesVat;
};

PrecedingPeriod readPrecedingPeriod(ReportState &st)
{
    const SettlementIdentity &id = st.id;
    const bool quarterly = st.tipoLiquidazioneIva != 0;
    SqlStatement sql =
        u"SELECT 0 AS T, ("_qs + fnSqlIvaFattureInRitardo(st.tipoLiquidazioneIva, st.period) + u") AS Importo"_qs;
    if (id.idMese > (quarterly ? 3 : 1)) {
        int preceding = id.idMese - (quarterly ? 3 : 1);
        if (id.idMese == Month::DecemberAdvance)
            preceding = quarterly ? 9 : 11;
        sql += u" UNION ALL SELECT RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva, Importo FROM "
               u"RisultatoLiquidazioneIva, RisultatoLiquidazioneIvaXTipo WHERE "
               u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
               u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva AND IDAttivitaAzienda = "_qs +
               sqlParam(id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(id.idPeriodoIva) +
               u" AND RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva IN ("_qs +
               sqlParam(AmountType::IvaDaVersare) + u", "_qs + sqlParam(AmountType::VersamentoPeriodico) + u", "_qs +
               sqlParam(AmountType::CreDimLiquiSucc) + u") AND IDMese = "_qs + sqlParam(preceding);
    }
    PrecedingPeriod result;
    std::optional<Money> toPay, paid, credit;
    for (Recordset rs = st.db().openRecordset(sql); !rs.eof(); rs.moveNext()) {
        const int type = rs.integer(u"T"_qs);
        if (type == 0) {
            const QVariant v = rs.field(u"Importo"_qs);
            result.lateInvoicesVat = v.isNull() ? QVariant() : QVariant::fromValue(Money::fromVariant(v));
            continue;
        }
        std::optional<Money> &slot = type == AmountType::IvaDaVersare          ? toPay
                                     : type == AmountType::VersamentoPeriodico ? paid
                                                                               : credit;
        if (!slot)
            slot = Money::fromVariant(rs.field(u"Importo"_qs));
    }
    const Money debt = toPay.value_or(Money()) - paid.value_or(Money());
    result.debt = debt < Money() ? Money() : debt;
    result.credit = credit.value_or(Money());
    return result;
}

} // namespace

void sbCampiPeriodoPrecedente(ReportState &st)
{
    Connection &db = st.db();
    const SettlementIdentity &id = st.id;
    // What the preceding period left to pay less what was paid for it. From 2000 a debt not
    // above the minimum payment is not paid and goes with this period, as the law says; the
    // lire years keep it only above the minimum (the small one reaches them as "Debito
    // precedente" of the total debit).
    const PrecedingPeriod preceding = readPrecedingPeriod(st);
    st.header.set(u"Articolo27Comma5"_qs, preceding.lateInvoicesVat);
    Money debt = preceding.debt;
    if (id.lireRules() && !(debt > st.ctx.dImpMinIva))
        debt = Money();
    const Money credit = preceding.credit;
    st.header.set(u"DebitoPeriodoPrec"_qs, debt);
    st.header.set(u"CreditoPeriodoPrec"_qs, credit);
    // The year's quarterly interest, for the annual settlement only: a periodic settlement
    // keeps the interest its own closing computed.
    if (id.isAnnual()) {
        const QVariant interest = db.scalar(
            u"SELECT SUM(Importo) AS TotInt FROM RisultatoLiquidazioneIva, RisultatoLiquidazioneIvaXTipo WHERE "
            u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
            u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva "
            u"AND IDAttivitaAzienda = "_qs +
            sqlParam(id.idAttivitaAzienda) + u" AND IDPeriodoIva = "_qs + sqlParam(id.idPeriodoIva) +
            u" AND RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva = 3"_qs);
        st.header.set(u"Interessi150"_qs, Money::fromVariant(interest));
    }
}

} // namespace liqiva
