#include "domain/credits/CreditUse.h"

#include "domain/engine/Amounts.h"
#include "database/Connection.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"

#include <QMap>

namespace liqiva {

namespace {

// The amounts used by the credit window, by group, as stored with the settlements.
constexpr int kUsedAnnual = 75;       // CADetraz
constexpr int kUsedInfraannual[] = {72, 73, 74}; // CIDetrazTrimI..III

} // namespace

Money CreditUse::Group::disponibile() const
{
    Money v = residuoPrecedente;
    for (const Cause &c : causes)
        v += c.sign == u"-" ? -c.amount : c.amount;
    return v;
}

CreditUse::CreditUse(Connection &db, Amounts &amounts, int idAzienda, int anno, int idMese, bool readOnly)
    : m_amounts(amounts), m_readOnly(readOnly)
{
    const int month = idMese >= 1 && idMese <= 12 ? idMese : 12;
    // The months of the settlement: a quarterly activity's quarter, else the month.
    const int first = amounts.TipoLiquidazioneIva() != 0 && idMese >= 1 && idMese <= 12 ? ((month - 1) / 3) * 3 + 1
                      : idMese == 0                                                       ? 1
                                                                                          : month;
    m_groups = {Group{1, u"Credito IVA annuale"_qs, {}, {}, amounts.CADetraz()},
                Group{2, u"Credito IVA infrannuale"_qs, {}, {},
                      amounts.CIDetrazTrimI() + amounts.CIDetrazTrimII() + amounts.CIDetrazTrimIII()}};
    QMap<int, int> groupOfCause;
    Recordset causes = db.openRecordset(
        u"SELECT CausaleCredito.IDCausaleCredito,CausaleCredito.IDTipoCreditoIVA,CausaleCredito.CausaleCredito,"
        "CausaleCredito.TipoSorgente,CausaleCredito.Segno,1 AS Riga FROM CausaleCredito ORDER BY IDCausaleCredito"_qs);
    for (; !causes.eof(); causes.moveNext()) {
        const int g = causes.integer(u"IDTipoCreditoIVA"_qs) - 1;
        if (g < 0 || g > 1)
            continue;
        groupOfCause.insert(causes.integer(u"IDCausaleCredito"_qs), g);
        m_groups[g].causes.append(Cause{causes.integer(u"IDCausaleCredito"_qs),
                                        causes.field(u"CausaleCredito"_qs).toString(),
                                        causes.field(u"Segno"_qs).toString().trimmed() == u"-" ? u"-"_qs : u"+"_qs,
                                        Money()});
    }
    causes.close();

    // The movements of the year up to the settlement's last month.
    Recordset moves = db.openRecordset(
        u"SELECT MovimentoCredito.IDCausaleCredito, Credito.IDMese, SUM(MovimentoCredito.Importo) AS Importo FROM "
        "MovimentoCredito INNER JOIN Credito ON MovimentoCredito.IDCredito = Credito.IDCredito WHERE Credito.IDAzienda = ? AND Credito.Anno = ? AND Credito.IDMese <= ? GROUP BY MovimentoCredito.IDCausaleCredito, Credito.IDMese"_qs,
        {sqlValue(idAzienda), sqlValue(anno), sqlValue(month)});
    for (; !moves.eof(); moves.moveNext()) {
        const int cause = moves.integer(u"IDCausaleCredito"_qs);
        if (!groupOfCause.contains(cause))
            continue;
        Group &g = m_groups[groupOfCause.value(cause)];
        const Money amount = Money::fromVariant(moves.field(u"Importo"_qs));
        for (Cause &c : g.causes) {
            if (c.idCausaleCredito != cause)
                continue;
            if (moves.integer(u"IDMese"_qs) >= first)
                c.amount += amount;
            else
                g.residuoPrecedente += c.sign == u"-" ? -amount : amount;
        }
    }
    moves.close();

    // What the company's saved settlements of the year before this period took.
    Recordset used = db.openRecordset(
        u"SELECT RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva, "
        u"SUM(RisultatoLiquidazioneIvaXTipo.Importo) "
        "AS Importo FROM (RisultatoLiquidazioneIvaXTipo INNER JOIN RisultatoLiquidazioneIva AS RLI ON "
        "RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = RLI.IDRisultatoLiquidazioneIva) INNER JOIN "
        "PeriodoIva "
        "ON RLI.IDPeriodoIva = PeriodoIva.IDPeriodoIva WHERE RLI.VirtualDelete = 0 AND RLI.AccontoIva = 0 AND "
        "RLI.IDMese "
        "IS NOT NULL AND RLI.IDMese < ? AND PeriodoIva.IDAzienda = ? AND PeriodoIva.Anno = ? AND "
        "RLI.IDRisultatoLiquidazioneIva <> ? AND RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva IN (72, "
        "73, 74, 75) GROUP BY "
        "RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva"_qs,
        {sqlValue(first), sqlValue(idAzienda), sqlValue(anno), sqlValue(amounts.IDRisultatoLiquidazioneIva())});
    for (; !used.eof(); used.moveNext()) {
        const int type = used.integer(u"IDTipoRisultatoLiquidazioneIva"_qs);
        Group &g = m_groups[type == kUsedAnnual ? 0 : 1];
        g.residuoPrecedente -= Money::fromVariant(used.field(u"Importo"_qs));
    }
    Q_UNUSED(kUsedInfraannual);
}

void CreditUse::setDaUtilizzare(int group, Money value)
{
    if (m_readOnly || group < 0 || group >= groupCount())
        throw Refusal(Prospetto::msgNotEditable());
    if (value < Money() || value > MaxUse)
        throw Refusal(msgOutOfRange());
    m_groups[group].daUtilizzare = value;
}

Money CreditUse::creditoResiduoTotale() const
{
    Money total;
    for (const Group &g : m_groups)
        total += g.residuoMese();
    return total;
}

Money CreditUse::Value() const
{
    Money total;
    for (const Group &g : m_groups)
        total += g.daUtilizzare;
    return total;
}

std::optional<CreditProblem> CreditUse::IsValid() const
{
    for (int i = 0; i < groupCount(); ++i)
        if (m_groups[i].daUtilizzare > std::max(m_groups[i].disponibile(), Money()))
            return CreditProblem{msgSuperaDisponibile(m_groups[i].title), i};
    return std::nullopt;
}

void CreditUse::store()
{
    if (m_readOnly)
        return;
    m_amounts.setCADetraz(m_groups[0].daUtilizzare);
    // The infra-annual credit used is kept as one figure.
    m_amounts.setCIDetrazTrimI(m_groups[1].daUtilizzare);
    m_amounts.setCIDetrazTrimII(Money());
    m_amounts.setCIDetrazTrimIII(Money());
}

QString CreditUse::msgOutOfRange()
{
    return u"L'importo deve essere compreso tra 0 e 99.999.999."_qs;
}

QString CreditUse::msgSuperaDisponibile(const QString &group)
{
    return QStringLiteral("L'importo da utilizzare non può superare il credito disponibile (%1).").arg(group);
}

} // namespace liqiva
