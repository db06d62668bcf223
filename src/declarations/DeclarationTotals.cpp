#include "declarations/DeclarationTotals.h"

#include "declarations/AltriDatiDip.h"
#include "declarations/DatiCADI.h"
#include "engine/Amounts.h"
#include "startup/database/Connection.h"
#include "startup/database/RowState.h"
#include "startup/database/SqlLiteral.h"
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

QString DeclarationTotals::periodicMonths() const
{
    const int m = m_s.idMese;
    const bool quarterly = m_tipo != 0;
    if (m == Month::DecemberAdvance) {
        if (m_s.metodoCalcoloAccontoIva == AdvanceMethod::Analytical)
            return quarterly ? u" AND (IDMese = 10 OR IDMese = 11 OR AccontoIva <> 0)"_qs : u" AND AccontoIva <> 0"_qs;
        return quarterly ? u" AND (IDMese = 10 OR IDMese = 11 OR IDMese = 12)"_qs : u" AND IDMese = 12"_qs;
    }
    if (quarterly)
        return u" AND (IDMese <= "_qs + sqlNumber(m) + u" AND IDMese >= "_qs + sqlNumber(m - 2) + u")"_qs +
               u" AND AccontoIva = 0"_qs;
    return u" AND IDMese = "_qs + sqlNumber(m) + u" AND AccontoIva = 0"_qs;
}

std::pair<int, int> DeclarationTotals::annualMonthRange() const
{
    const int m = m_s.idMese;
    if (m < 1)
        return {1, 12};
    const int last = m == Month::DecemberAdvance ? 12 : m;
    return {m_tipo != 0 ? last - 2 : last, last};
}

QString DeclarationTotals::commonFilter(const QString &from, const QString &months) const
{
    return u"SELECT SUM(ContatoreIva.Imponibile) AS Imponibile"_qs + from +
           u" WHERE Iva.NoRiportoInDichiarazione = 0"_qs + u" AND ContatoreIva.RiportoSuChiusuraIVA <> 0"_qs +
           u" AND ContatoreIva.AcquistiSolaVentilazione = 0"_qs + months + u" AND Anno = "_qs + sqlNumber(m_s.anno) +
           u" AND IDFiliale IN ("_qs + u"SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = "_qs +
           sqlNumber(m_s.idAttivitaAzienda) + u")"_qs;
}

Money DeclarationTotals::sum(const QString &sql, const QString &field)
{
    Recordset rs = m_db.openRecordset(sql);
    return rs.eof() ? Money() : Money::fromVariant(rs.field(field));
}

Money DeclarationTotals::ventilatedReceipts()
{
    return sum(
        u"SELECT SUM(ImpCorrDaVentilare) AS ImpCorrVent"_qs + u" FROM RigaReportLiquidazioneIva INNER JOIN Iva"_qs +
            u" ON RigaReportLiquidazioneIva.IDIva = Iva.IDIva"_qs + u" WHERE Iva.NoRiportoInDichiarazione = 0"_qs +
            u" AND RigaReportLiquidazioneIva.IDRisultatoLiquidazioneIva = "_qs +
            sqlNumber(m_s.idRisultatoLiquidazioneIva),
        u"ImpCorrVent"_qs);
}

Money DeclarationTotals::storedAmount(int amountType)
{
    return sum(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo"_qs + u" WHERE"_qs +
                   u" IDRisultatoLiquidazioneIva = "_qs + sqlNumber(m_s.idRisultatoLiquidazioneIva) +
                   u" AND IDTipoRisultatoLiquidazioneIva = "_qs + sqlNumber(amountType) + u" AND "_qs +
                   RowState::equals(RowState::Live),
               u"Importo"_qs);
}

void DeclarationTotals::LoadAltriDatiDip(AltriDatiDip &dip)
{
    dip.IDAttivitaAzienda = m_s.idAttivitaAzienda;
    dip.IDPeriodoIva = m_s.idPeriodoIva;
    const QString from = u" FROM ContatoreIva"_qs + u" INNER JOIN Iva ON ContatoreIva.IDIva = Iva.IDIva"_qs;
    const QString f = commonFilter(from, periodicMonths());

    const Money corrVent = ventilatedReceipts();
    const QString attive =
        f + u" AND ("_qs + u" ContatoreIva.IDTipoContatoreIva = 2"_qs + u" OR ContatoreIva.IDTipoContatoreIva = 3"_qs +
        u" OR ContatoreIva.IDTipoContatoreIva = 4"_qs + u" OR ContatoreIva.IDTipoContatoreIva = 5"_qs +
        u" OR ContatoreIva.IDTipoContatoreIva = 6"_qs + u" OR ContatoreIva.IDTipoContatoreIva = "_qs + u"7"_qs +
        u" )"_qs +
        u" AND (ContatoreIva.IDClassificazioneIvaCF IS NULL OR (ContatoreIva.IDClassificazioneIvaCF <> 6 AND "
        "ContatoreIva.IDClassificazioneIvaCF <> 14))"_qs;
    dip.VP1_OperazioniAttive = rounded(sum(attive, u"Imponibile"_qs) + corrVent);
    dip.VP1_CessioniIntracomunitarie = rounded(sum(attive + u" AND IDClassificazioneIvaCF = 1"_qs, u"Imponibile"_qs));

    const QString passive = f + u" AND ("_qs + u" ContatoreIva.IDTipoContatoreIva = 1"_qs +
                            u" OR ContatoreIva.IDTipoContatoreIva = 8"_qs + u" )"_qs;
    dip.VP2_OperazioniPassive = rounded(sum(passive, u"Imponibile"_qs));
    dip.VP2_AcquistiIntracomunitari = rounded(sum(passive + u" AND IDClassificazioneIvaCF = 1"_qs, u"Imponibile"_qs));

    dip.VP3_Imponibile = rounded(storedAmount(AmountType::ImportazioniImponibile));
    dip.VP3_Imposta = rounded(storedAmount(AmountType::ImportazioniImposta));

    Recordset rs = m_db.openRecordset(u"SELECT * FROM RisultatoLiquidazioneIva"_qs + u" WHERE"_qs +
                                      u" IDRisultatoLiquidazioneIva = "_qs + sqlNumber(m_s.idRisultatoLiquidazioneIva));
    if (!rs.eof()) {
        const auto flag = [&rs](const char *column) { return rs.number(QString::fromLatin1(column)) != 0; };
        dip.DichiarazioneIntegrativa = flag("DichiarazioneIntegrativa");
        dip.CorrettivaNeiTermini = flag("CorrettivaNeiTermini");
        dip.VariazioniPeriodiPrec = flag("VariazioniImponibile");
        dip.ContribuentiLiquidazioneTrim = flag("ContribuentiLiqTrim");
        dip.AliquotaMediaLettA = flag("AliquotaMediaLettA");
        dip.OperazioniNonImpLettB = flag("OperazioniNonImponibiliLettB");
        dip.AcquistiBeniAmmLettC = flag("AcquistoBeniAmmortizzabiliLettC");
        dip.CreditoARimborsoInEuro = flag("CreditoRimborsoInEuro");
        dip.VersamentoInEuro = flag("VersamentoInEuro");
        dip.VersamentoNonEffettuato = flag("VersamentoNonEffettuato");
    }
}

void DeclarationTotals::LoadDatiCADI(DatiCADI &cadi)
{
    cadi.IDAttivitaAzienda = m_s.idAttivitaAzienda;
    cadi.IDPeriodoIva = m_s.idPeriodoIva;
    const auto [first, last] = annualMonthRange();
    QString months = u" AND ContatoreIva.AccontoIva = 0"_qs;
    months += first == last ? u" AND IDMese = "_qs + sqlNumber(first)
                            : u" AND IDMese BETWEEN "_qs + sqlNumber(first) + u" AND "_qs + sqlNumber(last);
    const QString from = u" FROM ContatoreIva INNER JOIN Iva"_qs + u" ON ContatoreIva.IDIva = Iva.IDIva"_qs;
    const QString f = commonFilter(from, months);
    const auto total = [this](const QString &sql) { return rounded(sum(sql, u"Imponibile"_qs)); };

    const QString attive = f + u" AND ContatoreIva.IDTipoContatoreIva IN (2,3,4,5,6,7,12,13)"_qs;
    const QString attiveNoExcluded =
        attive + u" AND (ContatoreIva.IDClassificazioneIvaCF IS NULL"_qs +
        u" OR (ContatoreIva.IDClassificazioneIvaCF <> 6 AND ContatoreIva.IDClassificazioneIvaCF <> 14))"_qs;
    cadi.OperazioniAttive = rounded(sum(attiveNoExcluded, u"Imponibile"_qs) + ventilatedReceipts());
    const QString nonIntra =
        u" AND (ContatoreIva.IDClassificazioneIvaCF IS NULL"_qs + u" OR ContatoreIva.IDClassificazioneIvaCF <> 1)"_qs;
    cadi.OperazioniNonImponibili = total(attive + nonIntra + u" AND Iva.IDTipoIva = 1"_qs);
    cadi.OperazioniEsenti = total(attive + nonIntra + u" AND Iva.IDTipoIva = 3"_qs);
    cadi.OperazioniIntracomunitarie =
        total(attive + u" AND IDClassificazioneIvaCF = 1 AND IDClassificazioneIvaConto IN (7,8)"_qs);
    cadi.OperazioniBeniStrumentali = total(
        attive +
        u" AND IDClassificazioneIvaConto IN (10, 11, 12, 15) AND ISNULL(IDClassificazioneIvaCF,0) NOT IN (6, 14)"_qs);

    const QString passive = f + u" AND ContatoreIva.IDTipoContatoreIva IN (1, 8, 15)"_qs;
    cadi.OperazioniPassive = total(passive);
    const QString nonIntraAcq = u" AND (IDClassificazioneIvaCF IS NULL"_qs + u" OR IDClassificazioneIvaCF <> 1)"_qs;
    cadi.AcquistiNonImponibili = total(passive + nonIntraAcq + u" AND Iva.IDTipoIva = 1"_qs);
    cadi.AcquistiEsenti = total(passive + nonIntraAcq + u" AND Iva.IDTipoIva = 3"_qs);
    cadi.AcquistiIntracomunitarie =
        total(passive + u" AND IDClassificazioneIvaCF = 1 AND IDClassificazioneIvaConto IN (7,8)"_qs);
    cadi.AcquistiBeniStrumentali = total(passive + u" AND IDClassificazioneIvaConto IN (10, 11, 12, 15)"_qs);

    cadi.Imponibile = rounded(storedAmount(AmountType::ImportazioniImponibile));
    cadi.Imposta = rounded(storedAmount(AmountType::ImportazioniImposta));
    cadi.ImponibileRottami = rounded(storedAmount(AmountType::RottamiImponibile));
    cadi.ImpostaRottami = rounded(storedAmount(AmountType::RottamiImposta));

    Recordset rs =
        m_db.openRecordset(u"SELECT VersamentoNonEffettuato"_qs + u" FROM RisultatoLiquidazioneIva"_qs +
                           u" WHERE IDRisultatoLiquidazioneIva = "_qs + sqlNumber(m_s.idRisultatoLiquidazioneIva));
    cadi.EventiEccezionali = !rs.eof() && rs.number(u"VersamentoNonEffettuato"_qs) != 0;
}

} // namespace liqiva
