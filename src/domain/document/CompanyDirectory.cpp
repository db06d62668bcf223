#include "domain/document/CompanyDirectory.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/SqlValue.h"

namespace liqiva {

namespace {
std::optional<int> keyOf(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toInt();
}
} // namespace

bool CompanyDirectory::userExists(int idUser)
{
    return !m_db.scalar(u"SELECT IDUtente FROM Utente WHERE VirtualDelete = 0 AND IDUtente = ?"_qs, {sqlValue(idUser)})
                .isNull();
}

bool CompanyDirectory::companyExists(int idAzienda)
{
    return !m_db.scalar(u"SELECT IDAzienda FROM Azienda WHERE VirtualDelete = 0 AND IDAzienda = ?"_qs,
                        {sqlValue(idAzienda)})
                .isNull();
}

std::optional<int> CompanyDirectory::companyOfActivity(int idAttivitaAzienda)
{
    return keyOf(
        m_db.scalar(u"SELECT IDAzienda FROM AttivitaAzienda WHERE VirtualDelete = 0 AND IDAttivitaAzienda = ?"_qs,
                    {sqlValue(idAttivitaAzienda)}));
}

std::optional<int> CompanyDirectory::vatYear(int idAzienda, int yearOrKey)
{
    const SqlStatement company =
        u"SELECT IDPeriodoIva FROM PeriodoIva WHERE VirtualDelete = 0 AND IDAzienda = "_qs + sqlParam(idAzienda);
    if (auto byYear = keyOf(m_db.scalar(company + u" AND Anno = "_qs + sqlParam(yearOrKey))))
        return byYear;
    return keyOf(m_db.scalar(company + u" AND IDPeriodoIva = "_qs + sqlParam(yearOrKey)));
}

std::optional<int> CompanyDirectory::latestVatYear(int idAzienda)
{
    return keyOf(
        m_db.scalar(u"SELECT MAX(Anno) FROM PeriodoIva WHERE VirtualDelete = 0 AND IDAzienda = ?"_qs, {idAzienda}));
}

std::optional<CompanyDirectory::SettlementPeriod> CompanyDirectory::settlementPeriod(int key)
{
    Recordset rs = m_db.openRecordset(
        u"SELECT PeriodoIva.Anno, RisultatoLiquidazioneIva.IDMese, RisultatoLiquidazioneIva.AccontoIva FROM "
        u"RisultatoLiquidazioneIva INNER JOIN PeriodoIva ON RisultatoLiquidazioneIva.IDPeriodoIva = "
        u"PeriodoIva.IDPeriodoIva WHERE RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = ?"_qs,
        {key});
    if (rs.eof())
        return std::nullopt;
    SettlementPeriod p;
    p.anno = rs.integer(u"Anno"_qs);
    p.mese = rs.integer(u"IDMese"_qs); // NULL: the year or the advance
    if (p.mese == 0 && rs.integer(u"AccontoIva"_qs) != 0)
        p.mese = 13;
    return p;
}

int CompanyDirectory::settlementFunction()
{
    return keyOf(m_db.scalar(u"SELECT IDFunzione FROM ProcessoPerFunzione WHERE IDProcesso = 59 ORDER BY IDFunzione"_qs))
        .value_or(0);
}

int CompanyDirectory::objectTypeOfFunction(int idFunzione)
{
    return keyOf(m_db.scalar(u"SELECT IDTipoOggetto FROM Funzione WHERE IDFunzione = ?"_qs, {sqlValue(idFunzione)}))
        .value_or(0);
}

int CompanyDirectory::prevailingBranch(int idAzienda)
{
    const int prevailing =
        keyOf(m_db.scalar(u"SELECT IDFilialePrevalente FROM ConfigurazioneGenerale WHERE VirtualDelete = 0 "
                          u"AND IDAzienda = ?"_qs,
                          {sqlValue(idAzienda)}))
            .value_or(0);
    if (prevailing != 0)
        return prevailing;
    return keyOf(m_db.scalar(u"SELECT MIN(IDFiliale) FROM Filiale WHERE VirtualDelete = 0 AND IDAzienda = ?"_qs,
                             {sqlValue(idAzienda)}))
        .value_or(0);
}

std::optional<int> CompanyDirectory::settlementState(int key)
{
    return keyOf(
        m_db.scalar(u"SELECT VirtualDelete FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                    {sqlValue(key)}));
}

std::optional<CompanyDirectory::SavedRef> CompanyDirectory::savedSettlement(int key)
{
    Recordset rs = m_db.openRecordset(
        u"SELECT RisultatoLiquidazioneIva.IDUtenteUltimaVariazione, PeriodoIva.IDAzienda FROM RisultatoLiquidazioneIva "
        u"INNER JOIN PeriodoIva ON RisultatoLiquidazioneIva.IDPeriodoIva = PeriodoIva.IDPeriodoIva WHERE "
        u"RisultatoLiquidazioneIva.VirtualDelete = 0 AND RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = ?"_qs,
        {sqlValue(key)});
    if (rs.eof())
        return std::nullopt;
    return SavedRef{rs.integer(u"IDAzienda"_qs), rs.integer(u"IDUtenteUltimaVariazione"_qs)};
}

Recordset CompanyDirectory::reportHeader(int key)
{
    return m_db.openRecordset(u"SELECT * FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                              {sqlValue(key)});
}

Recordset CompanyDirectory::reportRows(int key)
{
    return m_db.openRecordset(
        u"SELECT * FROM RigaReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ? ORDER BY IDIva"_qs,
        {sqlValue(key)});
}

Recordset CompanyDirectory::record(const QString &table, const QString &keyColumn, int key, std::optional<int> ofCompany)
{
    return m_db.openRecordset(u"SELECT * FROM "_qs + table + u" WHERE "_qs + keyColumn + u" = "_qs + sqlParam(key) +
                              (ofCompany ? u" AND IDAzienda = "_qs + sqlParam(*ofCompany) : QString()));
}

void CompanyDirectory::checkSchema()
{
    m_db.scalar(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE 1 = 0"_qs);
}

} // namespace liqiva
