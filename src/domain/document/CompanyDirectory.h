#pragma once

#include <QString>
#include <optional>

namespace liqiva {

class Connection;
class Recordset;

// What a caller outside the settlement window looks up by key: users, companies,
// activities and VAT years, the settlement program's function, the company's prevailing
// branch, and where a settlement stands. Each answer is one statement; a key that is not
// there gives nothing.
class CompanyDirectory {
public:
    explicit CompanyDirectory(Connection &db) : m_db(db) {}

    bool userExists(int idUser);
    bool companyExists(int idAzienda);
    // The company of an activity.
    std::optional<int> companyOfActivity(int idAttivitaAzienda);
    // A VAT year of the company by its calendar year or, failing that, by its key.
    std::optional<int> vatYear(int idAzienda, int yearOrKey);
    // The latest calendar year among the company's VAT years; nothing without any.
    std::optional<int> latestVatYear(int idAzienda);
    // The calendar year and month of a settlement (1..12, 13 the December advance, 0 the
    // whole year); nothing when there is no row.
    struct SettlementPeriod {
        int anno = 0;
        int mese = 0;
    };
    std::optional<SettlementPeriod> settlementPeriod(int idRisultatoLiquidazioneIva);
    // The function of the suite that runs the settlement program, and its object type.
    int settlementFunction();
    int objectTypeOfFunction(int idFunzione);
    // The company's prevailing branch, else its first one; 0 without branches.
    int prevailingBranch(int idAzienda);

    // A settlement row: its state (0 saved, 2 working, ...), nothing when there is no row.
    std::optional<int> settlementState(int idRisultatoLiquidazioneIva);
    // The company and the last user of a saved settlement.
    struct SavedRef {
        int idAzienda = 0;
        int idUtente = 0;
    };
    std::optional<SavedRef> savedSettlement(int idRisultatoLiquidazioneIva);

    // The report of a settlement as stored: its header record and its rows by VAT code.
    Recordset reportHeader(int idRisultatoLiquidazioneIva);
    Recordset reportRows(int idRisultatoLiquidazioneIva);

    // A row of a table of the suite by its key; with ofCompany, only a row of that company.
    Recordset record(const QString &table, const QString &keyColumn, int key, std::optional<int> ofCompany = {});

    // Throws the engine's error (DbError) when the database lacks the program's tables.
    void checkSchema();

private:
    Connection &m_db;
};

} // namespace liqiva
