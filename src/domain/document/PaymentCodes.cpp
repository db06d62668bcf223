#include "domain/document/PaymentCodes.h"

#include "database/Connection.h"
#include "database/SqlValue.h"

#include <algorithm>

namespace liqiva {

namespace {
const QString cabOfBank =
    u"Select IDCab,Cab,Dipendenza,Banca,Abi.IDAbi,Banca,Abi From Cab inner join Abi on Abi.IDAbi = Cab.IDAbi"_qs;
const QString agents =
    u"Select IDConcessionarioEsattoriale,CodiceConcessione,ConcessionarioEsattoriale from ConcessionarioEsattoriale"_qs;
} // namespace

std::optional<AbiCode> findAbi(Connection &db, const QString &abi)
{
    const QString code = abi.trimmed();
    if (code.isEmpty())
        return std::nullopt;
    Recordset rs = db.openRecordset(u"Select * from Abi WHERE Abi.Abi = ?"_qs, {code});
    if (rs.eof())
        return std::nullopt;
    return AbiCode{rs.integer(u"IDAbi"_qs), rs.text(u"Abi"_qs), rs.text(u"Banca"_qs)};
}

std::optional<CabCode> findCab(Connection &db, int idAbi, const QString &cab)
{
    const QString code = cab.trimmed();
    if (code.isEmpty() || idAbi <= 0)
        return std::nullopt;
    Recordset rs = db.openRecordset(cabOfBank + u" WHERE Abi.IDAbi = "_qs + sqlParam(idAbi) + u" AND Cab.Cab = "_qs +
                                    sqlParam(code));
    if (rs.eof())
        return std::nullopt;
    return CabCode{rs.integer(u"IDCab"_qs), idAbi, rs.text(u"Cab"_qs), rs.text(u"Dipendenza"_qs)};
}

std::optional<CollectionAgent> findCollectionAgent(Connection &db, int codiceConcessione)
{
    if (codiceConcessione <= 0 || codiceConcessione > 99999)
        return std::nullopt;
    Recordset rs = db.openRecordset(agents + u" WHERE CodiceConcessione = "_qs + sqlParam(codiceConcessione));
    if (rs.eof())
        return std::nullopt;
    return CollectionAgent{rs.integer(u"IDConcessionarioEsattoriale"_qs), rs.integer(u"CodiceConcessione"_qs),
                           rs.text(u"ConcessionarioEsattoriale"_qs)};
}

CodeSearch abiSearch()
{
    return {u"Ricerca codice ABI"_qs,
            u"Select IDAbi,Abi,Banca From Abi"_qs,
            {u"Abi"_qs, u"Banca"_qs},
            {u"Abi"_qs, u"Banca"_qs},
            u"IDAbi"_qs,
            u"Abi"_qs};
}

CodeSearch cabSearch(int idAbi)
{
    return {u"Ricerca codice CAB"_qs,
            cabOfBank + u" WHERE Abi.IDAbi = "_qs + sqlParam(idAbi),
            {u"Cab"_qs, u"Dipendenza"_qs},
            {u"Cab"_qs, u"Dipendenza"_qs},
            u"IDCab"_qs,
            u"Cab"_qs};
}

CodeSearch collectionAgentSearch()
{
    return {u"Ricerca codice concessionario"_qs,
            agents,
            {u"CodiceConcessione"_qs, u"ConcessionarioEsattoriale"_qs},
            {u"Codice Concessione"_qs, u"Concessionario Esattoriale"_qs},
            u"IDConcessionarioEsattoriale"_qs,
            u"CodiceConcessione"_qs};
}

std::vector<CodeSearchRow> runSearch(Connection &db, const CodeSearch &search)
{
    std::vector<CodeSearchRow> rows;
    for (Recordset rs = db.openRecordset(search.sql); !rs.eof(); rs.moveNext()) {
        CodeSearchRow row;
        row.key = rs.integer(search.keyColumn);
        row.code = rs.text(search.codeColumn);
        for (const QString &column : search.columns)
            row.values << rs.text(column);
        rows.push_back(std::move(row));
    }
    // The list reads best in code order; the statement itself has none.
    std::stable_sort(rows.begin(), rows.end(), [](const CodeSearchRow &a, const CodeSearchRow &b) {
        if (a.code.size() != b.code.size())
            return a.code.size() < b.code.size();
        return a.code < b.code;
    });
    return rows;
}

QString msgAbiNotFound(const QString &abi)
{
    return u"Il codice ABI "_qs + abi.trimmed() + u" non esiste."_qs;
}

QString msgCabNotFound(const QString &cab)
{
    return u"Il codice CAB "_qs + cab.trimmed() + u" non esiste per la banca indicata."_qs;
}

QString msgCollectionAgentNotFound(const QString &code)
{
    return u"Il codice concessionario "_qs + code.trimmed() + u" non esiste."_qs;
}

QString msgAbiFirst()
{
    return u"Indicare prima il codice ABI della banca."_qs;
}

} // namespace liqiva
