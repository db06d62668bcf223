#include "domain/declarations/DeclarationTotals.h"

#include "database/Connection.h"
#include "database/RowState.h"
#include "database/SqlValue.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/engine/Amounts.h"
#include "suite/Rounding.h"

namespace liqiva {

DeclarationTotals::DeclarationTotals(Connection &db, const SettlementIdentity &settlement, int tipoLiquidazioneIva,
                                     Step currencyStep)
    : m_db(db), m_s(settlement), m_tipo(tipoLiquidazioneIva), m_step(currencyStep)
{
}

Money DeclarationTotals::rounded(Money v) const
{
    return roundTo(v, m_step, RoundMode::HalfAwayFromZero);
}

SqlStatement DeclarationTotals::periodicMonths() const
{
    const int m = m_s.idMese;
    const bool quarterly = m_tipo != 0;
    if (m == Month::DecemberAdvance) {
        if (m_s.metodoCalcoloAccontoIva == AdvanceMethod::Analytical)
            return quarterly ? u" AND (IDMese = 10 OR IDMese = 11 OR AccontoIva <> 0)"_qs : u" AND AccontoIva <> 0"_qs;
        return quarterly ? u" AND (IDMese = 10 OR IDMese = 11 OR IDMese = 12)"_qs : u" AND IDMese = 12"_qs;
    }
    if (quarterly)
        return u" AND (IDMese <= "_qs + sqlParam(m) + u" AND IDMese >= "_qs + sqlParam(m - 2) + u")"_qs +
               u" AND AccontoIva = 0"_qs;
    return u" AND IDMese = "_qs + sqlParam(m) + u" AND AccontoIva = 0"_qs;
}

std::pair<int, int> DeclarationTotals::annualMonthRange() const
{
    const int m = m_s.idMese;
    if (m < 1)
        return {1, 12};
    const int last = m == Month::DecemberAdvance ? 12 : m;
    return {m_tipo != 0 ? last - 2 : last, last};
}

SqlStatement DeclarationTotals::commonFilter(const QString &from, const SqlStatement &months) const
{
    return from + u" WHERE Iva.NoRiportoInDichiarazione = 0"_qs + u" AND ContatoreIva.RiportoSuChiusuraIVA <> 0"_qs +
           u" AND ContatoreIva.AcquistiSolaVentilazione = 0"_qs + months + u" AND Anno = "_qs + sqlParam(m_s.anno) +
           u" AND IDFiliale IN ("_qs + u"SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = "_qs +
           sqlParam(m_s.idAttivitaAzienda) + u")"_qs;
}

std::vector<Money> DeclarationTotals::sums(const QString &from, const SqlStatement &months, const SqlStatement &kinds,
                                           const QStringList &conditions)
{
    // One statement for every total: each is the taxable amount of the rows its condition
    // takes, the conditions evaluated as a WHERE would (NULL is not true).
    QString select = u"SELECT "_qs;
    for (qsizetype i = 0; i < conditions.size(); ++i)
        select += (i ? u", "_qs : QString()) + u"SUM(CASE WHEN "_qs + conditions[i] +
                  u" THEN ContatoreIva.Imponibile END) AS T"_qs + QString::number(i);
    Recordset rs = m_db.openRecordset(select + commonFilter(from, months) +
                                      u" AND ContatoreIva.IDTipoContatoreIva IN ("_qs + kinds + u")"_qs);
    std::vector<Money> totals;
    for (qsizetype i = 0; i < conditions.size(); ++i)
        totals.push_back(rs.eof() ? Money() : Money::fromVariant(rs.field(u"T"_qs + QString::number(i))));
    return totals;
}

namespace {

// The flag columns in the order of DeclarationFlags.
const char *const flagColumnNames[] = {
    "DichiarazioneIntegrativa",
    "CorrettivaNeiTermini",
    "VariazioniImponibile",
    "ContribuentiLiqTrim",
    "AliquotaMediaLettA",
    "OperazioniNonImponibiliLettB",
    "AcquistoBeniAmmortizzabiliLettC",
    "CreditoRimborsoInEuro",
    "VersamentoInEuro",
    "VersamentoNonEffettuato",
};

} // namespace

QString DeclarationFlags::columns(const QString &prefix)
{
    QStringList list;
    for (const char *c : flagColumnNames)
        list << prefix + QString::fromLatin1(c);
    return list.join(u", "_qs);
}

DeclarationFlags DeclarationFlags::of(const Recordset &rs)
{
    DeclarationFlags f;
    bool *const targets[] = {&f.dichiarazioneIntegrativa,
                             &f.correttivaNeiTermini,
                             &f.variazioniImponibile,
                             &f.contribuentiLiqTrim,
                             &f.aliquotaMediaLettA,
                             &f.operazioniNonImponibiliLettB,
                             &f.acquistoBeniAmmortizzabiliLettC,
                             &f.creditoRimborsoInEuro,
                             &f.versamentoInEuro,
                             &f.versamentoNonEffettuato};
    for (size_t k = 0; k < std::size(flagColumnNames); ++k)
        *targets[k] = rs.number(QString::fromLatin1(flagColumnNames[k])) != 0;
    return f;
}

const DeclarationFlags &DeclarationTotals::flags()
{
    // Read once for both sets of figures; a settlement row that is gone has no flag set.
    if (!m_flags) {
        Recordset rs = m_db.openRecordset(u"SELECT "_qs + DeclarationFlags::columns() +
                                              u" FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                                          {sqlValue(m_s.idRisultatoLiquidazioneIva)});
        m_flags = rs.eof() ? DeclarationFlags{} : DeclarationFlags::of(rs);
    }
    return *m_flags;
}

Money DeclarationTotals::ventilatedReceipts()
{
    // Read once: both the periodic and the annual figures add it.
    if (m_ventilated)
        return *m_ventilated;
    Recordset rs = m_db.openRecordset(
        u"SELECT SUM(ImpCorrDaVentilare) AS ImpCorrVent FROM RigaReportLiquidazioneIva INNER JOIN Iva ON RigaReportLiquidazioneIva.IDIva = Iva.IDIva WHERE Iva.NoRiportoInDichiarazione = 0 AND RigaReportLiquidazioneIva.IDRisultatoLiquidazioneIva = ?"_qs,
        {sqlValue(m_s.idRisultatoLiquidazioneIva)});
    m_ventilated = rs.eof() ? Money() : Money::fromVariant(rs.field(u"ImpCorrVent"_qs));
    return *m_ventilated;
}

const std::vector<int> &DeclarationTotals::storedTypes()
{
    static const std::vector<int> types = {AmountType::ImportazioniImponibile, AmountType::ImportazioniImposta,
                                           AmountType::RottamiImponibile, AmountType::RottamiImposta};
    return types;
}

Money DeclarationTotals::storedAmount(int amountType)
{
    // The stored amounts the figures use, read together the first time one is asked for.
    if (!m_stored) {
        m_stored.emplace();
        SqlStatement list;
        for (int t : storedTypes())
            list += (list.isEmpty() ? QString() : u", "_qs) + sqlParam(t);
        for (Recordset rs = m_db.openRecordset(
                 u"SELECT IDTipoRisultatoLiquidazioneIva, Importo FROM RisultatoLiquidazioneIvaXTipo WHERE"_qs +
                 u" IDRisultatoLiquidazioneIva = "_qs + sqlParam(m_s.idRisultatoLiquidazioneIva) +
                 u" AND IDTipoRisultatoLiquidazioneIva IN ("_qs + list + u") AND "_qs +
                 RowState::equals(RowState::Live));
             !rs.eof(); rs.moveNext()) {
            const int type = rs.integer(u"IDTipoRisultatoLiquidazioneIva"_qs);
            // The first row of a type counts, as a single read of that type would take it.
            if (!m_stored->count(type))
                (*m_stored)[type] = Money::fromVariant(rs.field(u"Importo"_qs));
        }
    }
    const auto it = m_stored->find(amountType);
    return it == m_stored->end() ? Money() : it->second;
}

namespace {

const QString counterFrom = u" FROM ContatoreIva INNER JOIN Iva ON ContatoreIva.IDIva = Iva.IDIva"_qs;
const QString periodicKinds = u"1, 2, 3, 4, 5, 6, 7, 8"_qs;
const QString annualKinds = u"1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 15"_qs;

// The four totals of the periodic declaration: each condition names its kinds of counter.
QStringList periodicConditions()
{
    const QString attive =
        u"ContatoreIva.IDTipoContatoreIva IN (2, 3, 4, 5, 6, 7)"_qs +
        u" AND (ContatoreIva.IDClassificazioneIvaCF IS NULL OR (ContatoreIva.IDClassificazioneIvaCF <> 6 AND "
        "ContatoreIva.IDClassificazioneIvaCF <> 14))"_qs;
    const QString passive = u"ContatoreIva.IDTipoContatoreIva IN (1, 8)"_qs;
    const QString intra = u" AND IDClassificazioneIvaCF = 1"_qs;
    return {attive, attive + intra, passive, passive + intra};
}

// The ten totals of the annual communication, each condition naming its kinds of counter.
QStringList annualConditions()
{
    const QString attive = u"ContatoreIva.IDTipoContatoreIva IN (2,3,4,5,6,7,12,13)"_qs;
    const QString attiveNoExcluded =
        attive + u" AND (ContatoreIva.IDClassificazioneIvaCF IS NULL"_qs +
        u" OR (ContatoreIva.IDClassificazioneIvaCF <> 6 AND ContatoreIva.IDClassificazioneIvaCF <> 14))"_qs;
    const QString nonIntra =
        u" AND (ContatoreIva.IDClassificazioneIvaCF IS NULL"_qs + u" OR ContatoreIva.IDClassificazioneIvaCF <> 1)"_qs;
    const QString passive = u"ContatoreIva.IDTipoContatoreIva IN (1, 8, 15)"_qs;
    const QString nonIntraAcq = u" AND (IDClassificazioneIvaCF IS NULL"_qs + u" OR IDClassificazioneIvaCF <> 1)"_qs;
    return {
        attiveNoExcluded,
        attive + nonIntra + u" AND Iva.IDTipoIva = 1"_qs,
        attive + nonIntra + u" AND Iva.IDTipoIva = 3"_qs,
        attive + u" AND IDClassificazioneIvaCF = 1 AND IDClassificazioneIvaConto IN (7,8)"_qs,
        attive +
            u" AND IDClassificazioneIvaConto IN (10, 11, 12, 15) AND ISNULL(IDClassificazioneIvaCF,0) NOT IN (6, 14)"_qs,
        passive,
        passive + nonIntraAcq + u" AND Iva.IDTipoIva = 1"_qs,
        passive + nonIntraAcq + u" AND Iva.IDTipoIva = 3"_qs,
        passive + u" AND IDClassificazioneIvaCF = 1 AND IDClassificazioneIvaConto IN (7,8)"_qs,
        passive + u" AND IDClassificazioneIvaConto IN (10, 11, 12, 15)"_qs};
}

} // namespace

void DeclarationTotals::LoadAltriDatiDip(AltriDatiDip &dip)
{
    fillPeriodic(dip, sums(counterFrom, periodicMonths(), periodicKinds, periodicConditions()));
}

void DeclarationTotals::LoadDatiCADI(DatiCADI &cadi)
{
    fillAnnual(cadi, sums(counterFrom, annualMonths(), annualKinds, annualConditions()));
}

void DeclarationTotals::LoadBoth(AltriDatiDip &dip, DatiCADI &cadi)
{
    if (m_s.idMese < 1 || m_s.idMese > 12) {
        LoadAltriDatiDip(dip);
        LoadDatiCADI(cadi);
        return;
    }
    // A month or a quarter: both read the same counter months, in one statement (each
    // condition names its kinds, so the kinds of both may be read together).
    const std::vector<Money> t =
        sums(counterFrom, periodicMonths(), annualKinds, periodicConditions() + annualConditions());
    const auto split = t.begin() + periodicConditions().size();
    fillPeriodic(dip, std::vector<Money>(t.begin(), split));
    fillAnnual(cadi, std::vector<Money>(split, t.end()));
}

SqlStatement DeclarationTotals::annualMonths() const
{
    const auto [first, last] = annualMonthRange();
    SqlStatement months = u" AND ContatoreIva.AccontoIva = 0"_qs;
    months += first == last ? u" AND IDMese = "_qs + sqlParam(first)
                            : u" AND IDMese BETWEEN "_qs + sqlParam(first) + u" AND "_qs + sqlParam(last);
    return months;
}

void DeclarationTotals::fillPeriodic(AltriDatiDip &dip, const std::vector<Money> &t)
{
    dip.IDAttivitaAzienda = m_s.idAttivitaAzienda;
    dip.IDPeriodoIva = m_s.idPeriodoIva;
    dip.VP1_OperazioniAttive = rounded(t[0] + ventilatedReceipts());
    dip.VP1_CessioniIntracomunitarie = rounded(t[1]);
    dip.VP2_OperazioniPassive = rounded(t[2]);
    dip.VP2_AcquistiIntracomunitari = rounded(t[3]);

    dip.VP3_Imponibile = rounded(storedAmount(AmountType::ImportazioniImponibile));
    dip.VP3_Imposta = rounded(storedAmount(AmountType::ImportazioniImposta));

    const DeclarationFlags &f = flags();
    dip.DichiarazioneIntegrativa = f.dichiarazioneIntegrativa;
    dip.CorrettivaNeiTermini = f.correttivaNeiTermini;
    dip.VariazioniPeriodiPrec = f.variazioniImponibile;
    dip.ContribuentiLiquidazioneTrim = f.contribuentiLiqTrim;
    dip.AliquotaMediaLettA = f.aliquotaMediaLettA;
    dip.OperazioniNonImpLettB = f.operazioniNonImponibiliLettB;
    dip.AcquistiBeniAmmLettC = f.acquistoBeniAmmortizzabiliLettC;
    dip.CreditoARimborsoInEuro = f.creditoRimborsoInEuro;
    dip.VersamentoInEuro = f.versamentoInEuro;
    dip.VersamentoNonEffettuato = f.versamentoNonEffettuato;
}

void DeclarationTotals::fillAnnual(DatiCADI &cadi, const std::vector<Money> &t)
{
    cadi.IDAttivitaAzienda = m_s.idAttivitaAzienda;
    cadi.IDPeriodoIva = m_s.idPeriodoIva;
    cadi.OperazioniAttive = rounded(t[0] + ventilatedReceipts());
    cadi.OperazioniNonImponibili = rounded(t[1]);
    cadi.OperazioniEsenti = rounded(t[2]);
    cadi.OperazioniIntracomunitarie = rounded(t[3]);
    cadi.OperazioniBeniStrumentali = rounded(t[4]);
    cadi.OperazioniPassive = rounded(t[5]);
    cadi.AcquistiNonImponibili = rounded(t[6]);
    cadi.AcquistiEsenti = rounded(t[7]);
    cadi.AcquistiIntracomunitarie = rounded(t[8]);
    cadi.AcquistiBeniStrumentali = rounded(t[9]);

    cadi.Imponibile = rounded(storedAmount(AmountType::ImportazioniImponibile));
    cadi.Imposta = rounded(storedAmount(AmountType::ImportazioniImposta));
    cadi.ImponibileRottami = rounded(storedAmount(AmountType::RottamiImponibile));
    cadi.ImpostaRottami = rounded(storedAmount(AmountType::RottamiImposta));

    cadi.EventiEccezionali = flags().versamentoNonEffettuato;
}

} // namespace liqiva
