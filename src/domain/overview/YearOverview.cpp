#include "domain/overview/YearOverview.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/document/SavedSettlements.h"
#include "suite/Refusal.h"

#include <map>

namespace liqiva {

namespace {

} // namespace

QString yearCellStateText(YearCell::State state)
{
    switch (state) {
    case YearCell::State::Missing:
        return u"mancante"_qs;
    case YearCell::State::Working:
        return u"in lavorazione"_qs;
    case YearCell::State::Saved:
        return u"salvata"_qs;
    case YearCell::State::PrintedDefinitive:
        return u"stampata in definitivo"_qs;
    case YearCell::State::Communicated:
        return u"comunicata"_qs;
    case YearCell::State::ToResend:
        return u"da comunicare di nuovo"_qs;
    }
    return {};
}

QString yearPeriodCaption(int period, bool quarterly)
{
    static const char *const months[] = {"Gen", "Feb", "Mar", "Apr", "Mag", "Giu",
                                         "Lug", "Ago", "Set", "Ott", "Nov", "Dic"};
    if (period == 13)
        return u"Acconto"_qs;
    if (period == 0)
        return u"Anno"_qs;
    if (quarterly)
        return QStringLiteral("%1° trim.").arg(period / 3);
    return QString::fromLatin1(months[period - 1]);
}

namespace {

// One row per activity of the year, every period of it still missing.
void readActivityRows(Connection &db, YearOverview &o)
{
    const int idAzienda = o.idAzienda;
    for (Recordset rs = db.openRecordset(
             u"SELECT AttivitaAzienda.IDAttivitaAzienda, AttivitaAzienda.AttivitaAzienda, "
             u"AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva FROM AttivitaAzienda INNER JOIN "
             u"AttivitaAziendaPerPeriodoIva ON AttivitaAzienda.IDAttivitaAzienda = "
             u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda WHERE AttivitaAzienda.IDAzienda = "_qs +
             sqlParam(idAzienda) + u" AND AttivitaAziendaPerPeriodoIva.IDPeriodoIva = "_qs + sqlParam(o.idPeriodoIva) +
             u" AND AttivitaAzienda.VirtualDelete = 0 AND AttivitaAziendaPerPeriodoIva.VirtualDelete = 0 "
             u"ORDER BY AttivitaAzienda.IDAttivitaAzienda"_qs);
         !rs.eof(); rs.moveNext()) {
        YearRow row;
        row.idAttivitaAzienda = rs.integer(u"IDAttivitaAzienda"_qs);
        row.attivitaAzienda = rs.text(u"AttivitaAzienda"_qs);
        row.quarterly = rs.integer(u"TipoLiquidazioneIva"_qs) != 0;
        for (int m = row.quarterly ? 3 : 1; m <= 12; m += row.quarterly ? 3 : 1)
            row.cells.push_back(YearCell{m, YearCell::State::Missing, 0, std::nullopt});
        row.cells.push_back(YearCell{13, YearCell::State::Missing, 0, std::nullopt});
        row.cells.push_back(YearCell{0, YearCell::State::Missing, 0, std::nullopt});
        o.rows.push_back(row);
    }
}

// The state a settlement row gives its cell; a communicated settlement says so before it
// says it was printed.
YearCell::State cellState(const Recordset &rs)
{
    return rs.integer(u"VirtualDelete"_qs) == 2        ? YearCell::State::Working
           : !rs.isNull(u"DataComunicazione"_qs)       ? YearCell::State::Communicated
           : !rs.isNull(u"DataPrimaComunicazione"_qs)  ? YearCell::State::ToResend
           : rs.integer(u"StampatoDefinitivo"_qs) != 0 ? YearCell::State::PrintedDefinitive
                                                       : YearCell::State::Saved;
}

// Puts each settlement of the year in its cell; where each went: key -> cell.
std::map<int, YearCell *> placeSettlements(Connection &db, YearOverview &o)
{
    const int idAzienda = o.idAzienda;
    std::map<int, YearCell *> byKey;
    const SqlStatement ofTheYear =
        u" FROM (RisultatoLiquidazioneIva INNER JOIN AttivitaAzienda ON "
        u"RisultatoLiquidazioneIva.IDAttivitaAzienda = AttivitaAzienda.IDAttivitaAzienda) "
        u"LEFT JOIN ComunicazioneLiquidazioneIva ON "
        u"ComunicazioneLiquidazioneIva.IDComunicazioneLiquidazioneIva = "
        u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva AND "
        u"ComunicazioneLiquidazioneIva.VirtualDelete = 0 "
        u"WHERE AttivitaAzienda.IDAzienda = "_qs +
        sqlParam(idAzienda) + u" AND RisultatoLiquidazioneIva.IDPeriodoIva = "_qs + sqlParam(o.idPeriodoIva) +
        u" AND (RisultatoLiquidazioneIva.VirtualDelete = 0 OR RisultatoLiquidazioneIva.VirtualDelete = 2)"_qs;

    for (Recordset rs = db.openRecordset(
             u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva, RisultatoLiquidazioneIva.IDAttivitaAzienda, "
             u"RisultatoLiquidazioneIva.IDMese, RisultatoLiquidazioneIva.AccontoIva, "
             u"RisultatoLiquidazioneIva.VirtualDelete, RisultatoLiquidazioneIva.StampatoDefinitivo, "
             u"ComunicazioneLiquidazioneIva.DataComunicazione, ComunicazioneLiquidazioneIva.DataPrimaComunicazione"_qs +
             ofTheYear);
         !rs.eof(); rs.moveNext()) {
        const int activity = rs.integer(u"IDAttivitaAzienda"_qs);
        const int period =
            rs.isNull(u"IDMese"_qs) ? (rs.integer(u"AccontoIva"_qs) != 0 ? 13 : 0) : rs.integer(u"IDMese"_qs);
        for (YearRow &row : o.rows) {
            if (row.idAttivitaAzienda != activity)
                continue;
            for (YearCell &cell : row.cells) {
                if (cell.period != period)
                    continue;
                const YearCell::State state = cellState(rs);
                // A saved settlement wins over a working row of the same period.
                if (cell.state == YearCell::State::Missing || cell.state == YearCell::State::Working) {
                    cell.state = state;
                    cell.key = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
                    byKey[cell.key] = &cell;
                }
            }
        }
    }
    return byKey;
}

} // namespace

YearOverview loadYearOverview(Connection &db, int idAzienda, int anno)
{
    YearOverview o;
    o.idAzienda = idAzienda;
    o.anno = anno;
    const QVariant vatYear =
        db.scalar(u"SELECT IDPeriodoIva FROM PeriodoIva WHERE IDAzienda = "_qs + sqlParam(idAzienda) +
                  u" AND Anno = "_qs + sqlParam(anno) + u" AND VirtualDelete = 0"_qs);
    if (vatYear.isNull())
        throw Refusal(QStringLiteral("L'azienda %1 non ha il periodo I.V.A. %2.").arg(idAzienda).arg(anno));
    o.idPeriodoIva = vatYear.toInt();
    readActivityRows(db, o);
    const std::map<int, YearCell *> byKey = placeSettlements(db, o);

    // The amount of each saved settlement: its one figure, as the browse and the list show it.
    const QHash<int, Money> balances = settlementBalances(db, idAzienda);
    for (const auto &[key, cell] : byKey)
        if (const auto it = balances.constFind(key); it != balances.cend())
            cell->amount = *it;
    return o;
}

} // namespace liqiva
