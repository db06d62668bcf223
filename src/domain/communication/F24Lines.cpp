#include "domain/communication/F24Lines.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"
#include "suite/Rounding.h"

namespace liqiva {

namespace {

Money cents(Money v)
{
    return roundTo(v, Step::Cent, RoundMode::HalfAwayFromZero);
}

// An amount as the form shows it: a comma and two decimals, thousands with a dot.
QString shownAmount(Money v)
{
    const Money c = cents(v);
    const long long hundredths = c.raw() / (Money::Scale / 100);
    const long long a = hundredths < 0 ? -hundredths : hundredths;
    QString units = QString::number(a / 100);
    for (qsizetype at = units.size() - 3; at > 0; at -= 3)
        units.insert(at, u'.');
    return (hundredths < 0 ? u"-"_qs : QString()) + units + u',' + QString::number(a % 100).rightJustified(2, u'0');
}

F24Line debit(const QString &code, int year, Money amount, const QString &text)
{
    return F24Line{code, year, cents(amount), Money(), text};
}

} // namespace

std::vector<F24Line> f24Lines(const F24Input &in)
{
    std::vector<F24Line> lines;
    const Money due = in.daVersare;
    if (in.idMese == 13) {
        if (due >= in.minimoAcconto)
            lines.push_back(debit(in.quarterly ? u"6035"_qs : u"6013"_qs, in.anno, due, u"Acconto IVA di dicembre"_qs));
    } else if (in.idMese == 0) {
        if (due > kMinimoSaldoAnnuale)
            lines.push_back(debit(u"6099"_qs, in.anno, due, u"Saldo IVA annuale"_qs));
    } else if (!in.quarterly) {
        if (due > in.minimoPeriodico)
            lines.push_back(debit(QString::number(6000 + in.idMese), in.anno, due,
                                  QStringLiteral("IVA mese %1").arg(in.idMese)));
    } else {
        const int quarter = (in.idMese + 2) / 3;
        if (quarter <= 3) {
            if (due > in.minimoPeriodico)
                lines.push_back(debit(QString::number(6030 + quarter), in.anno, due,
                                      QStringLiteral("IVA %1° trimestre").arg(quarter)));
        } else if (in.interestByOption) {
            // Paid with the annual balance, the VAT with its interest (rate in percent, to
            // the cent half away from zero).
            if (due > Money()) {
                const Money interest = cents(due * in.percInteressi * Money::fromRaw(100)); // x rate / 100
                lines.push_back(debit(u"6099"_qs, in.anno, due + interest,
                                      u"IVA 4° trimestre con gli interessi, con il saldo annuale"_qs));
            }
        } else if (due > in.minimoPeriodico) {
            lines.push_back(debit(u"6034"_qs, in.anno, due, u"IVA 4° trimestre (contribuenti trimestrali speciali)"_qs));
        }
    }
    if (in.creditoAnnualeCompensato > Money())
        lines.push_back(F24Line{u"6099"_qs, in.anno - 1, Money(), cents(in.creditoAnnualeCompensato),
                                u"Credito IVA dell'anno precedente in compensazione"_qs});
    return lines;
}

QString f24NothingDueReason(const F24Input &in)
{
    if (in.daVersare <= Money())
        return {};
    for (const F24Line &line : f24Lines(in))
        if (!line.importoDebito.isZero())
            return {};
    const QString due = shownAmount(in.daVersare);
    if (in.idMese == 13)
        return QStringLiteral("Acconto di %1 inferiore al minimo di %2: non è dovuto.")
            .arg(due, shownAmount(in.minimoAcconto));
    if (in.idMese == 0)
        return QStringLiteral("Saldo annuale di %1 non superiore a %2: non è dovuto.")
            .arg(due, shownAmount(kMinimoSaldoAnnuale));
    return QStringLiteral("Importo di %1 non superiore al versamento minimo di %2: non si versa, passa al periodo "
                          "successivo (e si versa comunque entro il 16 dicembre).")
        .arg(due, shownAmount(in.minimoPeriodico));
}

F24Input loadF24Input(Connection &db, int idRisultatoLiquidazioneIva, Money daVersare)
{
    Recordset rs = db.openRecordset(
        u"SELECT RisultatoLiquidazioneIva.IDMese, RisultatoLiquidazioneIva.AccontoIva, PeriodoIva.Anno, "
        u"PeriodoIva.PercInteressiLiqTrim, AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva, "
        u"AttivitaAziendaPerPeriodoIva.CalcoloInteressi, "
        u"ConfigurazioneContabile.ImportoMinimoIvaLiquidazionePeriodica, "
        u"ConfigurazioneContabile.ImportoMinimoIvaAcconto, CampoReportLiquidazioneIva.CICUtiF24 "
        u"FROM ((((RisultatoLiquidazioneIva INNER JOIN PeriodoIva ON RisultatoLiquidazioneIva.IDPeriodoIva = "
        u"PeriodoIva.IDPeriodoIva) INNER JOIN AttivitaAziendaPerPeriodoIva ON "
        u"AttivitaAziendaPerPeriodoIva.IDPeriodoIva = RisultatoLiquidazioneIva.IDPeriodoIva AND "
        u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = RisultatoLiquidazioneIva.IDAttivitaAzienda) "
        u"LEFT JOIN ConfigurazioneContabile ON ConfigurazioneContabile.IDAzienda = PeriodoIva.IDAzienda) "
        u"LEFT JOIN CampoReportLiquidazioneIva ON CampoReportLiquidazioneIva.IDRisultatoLiquidazioneIva = "
        u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva) "
        u"WHERE RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = ?"_qs,
        {sqlValue(idRisultatoLiquidazioneIva)});
    if (rs.eof())
        throw Refusal(QStringLiteral("La liquidazione I.V.A. %1 non esiste.").arg(idRisultatoLiquidazioneIva));
    F24Input in;
    in.anno = rs.integer(u"Anno"_qs);
    in.idMese = rs.isNull(u"IDMese"_qs) ? (rs.integer(u"AccontoIva"_qs) != 0 ? 13 : 0) : rs.integer(u"IDMese"_qs);
    in.quarterly = rs.integer(u"TipoLiquidazioneIva"_qs) != 0;
    in.interestByOption = in.quarterly && rs.integer(u"CalcoloInteressi"_qs) != 0;
    if (!rs.isNull(u"PercInteressiLiqTrim"_qs))
        in.percInteressi = Money::fromVariant(rs.field(u"PercInteressiLiqTrim"_qs));
    if (!rs.isNull(u"ImportoMinimoIvaLiquidazionePeriodica"_qs))
        in.minimoPeriodico = Money::fromVariant(rs.field(u"ImportoMinimoIvaLiquidazionePeriodica"_qs));
    if (!rs.isNull(u"ImportoMinimoIvaAcconto"_qs))
        in.minimoAcconto = Money::fromVariant(rs.field(u"ImportoMinimoIvaAcconto"_qs));
    in.creditoAnnualeCompensato = Money::fromVariant(rs.field(u"CICUtiF24"_qs));
    in.daVersare = daVersare;
    return in;
}

} // namespace liqiva
