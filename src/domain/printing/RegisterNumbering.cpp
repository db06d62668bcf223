#include "domain/printing/RegisterNumbering.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"

#include <limits>

namespace liqiva {

namespace {

SqlStatement n(long long v)
{
    return sqlParam(v);
}

// The condition that names the numbering row of a year: per sectional when there is one.
SqlStatement numberingCondition(const NumberingKeys &keys)
{
    return keys.perSectional > 0 ? u" WHERE IDNumerazionePerRegistroPerSezionale = "_qs + n(keys.perSectional)
                                 : u" WHERE IDNumerazionePerRegistro = "_qs + n(keys.perRegister);
}

} // namespace

QString functionCode(PrintReport report)
{
    return report == PrintReport::Summary ? u"RIEPIIVA"_qs : u"TARVESCO"_qs;
}

QString numberingColumn(PrintReport report)
{
    return report == PrintReport::Summary ? u"StampaRiepilogoIva"_qs : u"StampaLiquidazioneIva"_qs;
}

QString reportTitle(PrintReport report)
{
    switch (report) {
    case PrintReport::Summary:
        return u"Riepilogo I.V.A."_qs;
    case PrintReport::Declaration:
        return u"Dichiarazione IVA Periodica"_qs;
    case PrintReport::Settlement:
        break;
    }
    return u"Liquidazione I.V.A."_qs;
}

RegisterNumbering::RegisterNumbering(Connection &db, int idAzienda, PrintReport report)
    : m_db(db), m_company(idAzienda), m_report(report)
{
}

std::vector<NamedKey> RegisterNumbering::registers()
{
    const QString column = numberingColumn(m_report);
    SqlStatement sql = u"SELECT NumerazionePerRegistro.IDNumerazionePerRegistro"
                       u" FROM NumerazionePerRegistro INNER JOIN RegistroIva"
                       u" ON NumerazionePerRegistro.IDRegistroIva = RegistroIva.IDRegistroIva"
                       u" WHERE NumerazionePerRegistro.IDAzienda = "_qs +
                       n(m_company) +
                       u" AND NumerazionePerRegistro.NumerazioneConStampa <> 0"
                       u" AND NumerazionePerRegistro."_qs +
                       column +
                       u" <> 0"
                       u" AND TipoRegistro = 1"
                       u" UNION"
                       u" SELECT NumerazionePerRegistro.IDNumerazionePerRegistro"
                       u" FROM (NumerazionePerRegistro INNER JOIN NumerazionePerRegistroPerSezionale"
                       u" ON NumerazionePerRegistro.IDNumerazionePerRegistro"
                       u" = NumerazionePerRegistroPerSezionale.IDNumerazionePerRegistro)"
                       u" INNER JOIN RegistroIva"
                       u" ON NumerazionePerRegistro.IDRegistroIva = RegistroIva.IDRegistroIva"
                       u" WHERE NumerazionePerRegistro.IDAzienda = "_qs +
                       n(m_company) +
                       u" AND NumerazionePerRegistro.NumerazioneConStampa <> 0"
                       u" AND NumerazionePerRegistroPerSezionale."_qs +
                       column + u" <> 0 AND TipoRegistro = 1"_qs;
    sql.text.replace(u"SELECT NumerazionePerRegistro.IDNumerazionePerRegistro"_qs,
                     u"SELECT RegistroIva.IDRegistroIva, RegistroIva.RegistroIva"_qs);
    sql += u" ORDER BY RegistroIva"_qs;
    std::vector<NamedKey> out;
    for (Recordset rs = m_db.openRecordset(sql); !rs.eof(); rs.moveNext())
        out.push_back({rs.integer(u"IDRegistroIva"_qs), rs.text(u"RegistroIva"_qs)});
    return out;
}

bool RegisterNumbering::numberedPerSectional(int idRegistroIva)
{
    Recordset rs = m_db.openRecordset(u"SELECT COUNT(IDNumerazionePerRegistro) AS NUM"
                                      u" FROM NumerazionePerRegistro INNER JOIN RegistroIva"
                                      u" ON NumerazionePerRegistro.IDRegistroIva = RegistroIva.IDRegistroIva"
                                      u" WHERE NumerazionePerRegistro.IDAzienda = "_qs +
                                      n(m_company) +
                                      u" AND NumerazioneConStampa <> 0"
                                      u" AND NumerazionePerSezionale <> 0"
                                      u" AND TipoRegistro = 1"
                                      u" AND NumerazionePerRegistro.IDRegistroIva = "_qs +
                                      n(idRegistroIva));
    return !rs.eof() && rs.integer(u"NUM"_qs) > 0;
}

std::vector<NamedKey> RegisterNumbering::sectionals(int idRegistroIva)
{
    const SqlStatement sql =
        u"SELECT Sezionale.IDSezionale, Sezionale.Sezionale"
        u" FROM (NumerazionePerRegistro INNER JOIN NumerazionePerRegistroPerSezionale"
        u" ON NumerazionePerRegistro.IDNumerazionePerRegistro = "
        u"NumerazionePerRegistroPerSezionale.IDNumerazionePerRegistro)"
        u" INNER JOIN Sezionale"
        u" ON NumerazionePerRegistroPerSezionale.IDSezionale = Sezionale.IDSezionale"
        u" WHERE NumerazionePerRegistro.IDAzienda = "_qs +
        n(m_company) + u" AND NumerazionePerRegistro.IDRegistroIva = "_qs + n(idRegistroIva) +
        (m_report == PrintReport::Summary ? u" AND NumerazionePerRegistroPerSezionale.StampaRiepilogoIva <> 0"_qs
                                          : u" AND NumerazionePerRegistroPerSezionale.StampaLiquidazioneIva <> 0"_qs) +
        u" AND Sezionale.VirtualDelete = 0 ORDER BY Sezionale"_qs;
    std::vector<NamedKey> out;
    for (Recordset rs = m_db.openRecordset(sql); !rs.eof(); rs.moveNext())
        out.push_back({rs.integer(u"IDSezionale"_qs), rs.text(u"Sezionale"_qs)});
    return out;
}

bool RegisterNumbering::printTheYear(int idRegistroIva)
{
    Recordset rs = m_db.openRecordset(u"SELECT StampaAnno FROM NumerazionePerRegistro"
                                      u" WHERE IDRegistroIva = "_qs +
                                      n(idRegistroIva) + u" AND IDAzienda = "_qs + n(m_company));
    return !rs.eof() && rs.number(u"StampaAnno"_qs) != 0;
}

NumberingKeys RegisterNumbering::keys(int idRegistroIva, int idSezionale)
{
    NumberingKeys keys;
    keys.perRegister = m_db.scalar(u"SELECT NumerazionePerRegistro.IDNumerazionePerRegistro AS ID"
                                   u" FROM NumerazionePerRegistro"
                                   u" WHERE IDRegistroIva = "_qs +
                                   n(idRegistroIva) + u" AND IDAzienda = "_qs + n(m_company))
                           .toInt();
    if (idSezionale > 0 && keys.perRegister > 0)
        keys.perSectional =
            m_db.scalar(u"SELECT NumerazionePerRegistroPerSezionale.IDNumerazionePerRegistroPerSezionale AS ID"
                        u" FROM NumerazionePerRegistroPerSezionale"
                        u" WHERE IDSezionale = "_qs +
                        n(idSezionale) + u" AND IDNumerazionePerRegistro = "_qs + n(keys.perRegister))
                .toInt();
    return keys;
}

int RegisterNumbering::lastPage(const NumberingKeys &keys, int year)
{
    return lastPage(m_db, keys, year);
}

int RegisterNumbering::lastPage(Connection &db, const NumberingKeys &keys, int year)
{
    if (!keys.valid())
        return 0;
    return db
        .scalar(u"SELECT NumeroUltimaPagina FROM ProgressivoNumerazioneRegistro"_qs + numberingCondition(keys) +
                u" AND Anno = "_qs + n(year))
        .toInt();
}

QString RegisterNumbering::registerName(int idRegistroIva)
{
    return m_db.scalar(u"SELECT RegistroIva FROM RegistroIva WHERE IDRegistroIva = "_qs + n(idRegistroIva)).toString();
}

QString RegisterNumbering::sectionalName(int idSezionale)
{
    return m_db.scalar(u"SELECT Sezionale FROM Sezionale WHERE IDSezionale = "_qs + n(idSezionale)).toString();
}

int RegisterNumbering::settlementYear(Connection &db, int idRisultatoLiquidazioneIva)
{
    return db
        .scalar(u"SELECT Anno FROM RisultatoLiquidazioneIva INNER JOIN PeriodoIva"
                u" ON RisultatoLiquidazioneIva.IDPeriodoIva = PeriodoIva.IDPeriodoIva"
                u" WHERE IDRisultatoLiquidazioneIva = "_qs +
                n(idRisultatoLiquidazioneIva))
        .toInt();
}

bool RegisterNumbering::printedDefinitively(Connection &db, int idRisultatoLiquidazioneIva)
{
    return db.scalar(u"SELECT StampatoDefinitivo FROM RisultatoLiquidazioneIva"
                     u" WHERE IDRisultatoLiquidazioneIva = "_qs +
                     n(idRisultatoLiquidazioneIva))
               .toInt() != 0;
}

QString RegisterNumbering::msgPageCounterOverflow()
{
    return u"Il numero di pagina supera il massimo gestito dalla numerazione del registro: la stampa definitiva "
           u"non è possibile."_qs;
}

int RegisterNumbering::lastPageOf(int startPage, int pagesPrinted)
{
    const long long last = static_cast<long long>(startPage) + pagesPrinted - 1;
    if (startPage < 1 || pagesPrinted < 1 || last > std::numeric_limits<int>::max())
        throw Refusal{msgPageCounterOverflow()};
    return static_cast<int>(last);
}

void RegisterNumbering::sbUpdateProgressiviNumReg(Connection &db, int pagesPrinted, int year, int startPage,
                                                  const NumberingKeys &keys)
{
    const int last = lastPageOf(startPage, pagesPrinted);
    const SqlStatement condition = numberingCondition(keys) + u" AND Anno = "_qs + n(year);
    Recordset rs =
        db.openRecordset(u"SELECT IDProgressivoNumerazioneRegistro FROM ProgressivoNumerazioneRegistro"_qs + condition);
    if (!rs.eof()) {
        rs.close();
        db.execute(u"UPDATE ProgressivoNumerazioneRegistro SET NumeroUltimaPagina = "_qs + n(last) + condition);
        return;
    }
    rs.close();
    const bool perSectional = keys.perSectional > 0;
    nextKey(db, u"ProgressivoNumerazioneRegistro"_qs, u"IDProgressivoNumerazioneRegistro"_qs,
            u"INSERT INTO ProgressivoNumerazioneRegistro ("_qs +
                (perSectional ? u"IDNumerazionePerRegistroPerSezionale"_qs : u"IDNumerazionePerRegistro"_qs) +
                u", Anno, NumeroUltimaPagina) VALUES ("_qs + n(perSectional ? keys.perSectional : keys.perRegister) +
                u", "_qs + n(year) + u", "_qs + n(last) + u")"_qs);
}

void RegisterNumbering::sbUpdateStampatoDefinitivo(Connection &db, int idRisultatoLiquidazioneIva)
{
    db.execute(u"UPDATE RisultatoLiquidazioneIva SET StampatoDefinitivo = 1 WHERE IDRisultatoLiquidazioneIva = "_qs +
               n(idRisultatoLiquidazioneIva));
}

} // namespace liqiva
