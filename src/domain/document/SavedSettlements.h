#pragma once

#include "suite/Money.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

// The saved settlements of a company as the browse lists them: the union of the monthly or
// quarterly rows, the annual rows ("Tutti i mesi") and the December advance rows
// ("Dicembre Acconto", month 13), ordered by month and then by year.
SqlStatement browseStatement(int idAzienda, int dbType);

// The browse's key column.
inline QString browseKeyColumn()
{
    return QStringLiteral("RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva");
}

struct SavedSettlement {
    int idRisultatoLiquidazioneIva = 0;
    int idPeriodoIva = 0;
    int idMese = 0; // 0 for the annual settlement, 13 for the December advance
    int idAttivitaAzienda = 0;
    QString periodo;
    QString periodoIva;
    int anno = 0;
    QString mesi;
    QString attivitaAzienda;
    QString codiceAttivita;
    QString descrizioneAttivita;
    int metodoCalcoloAccontoIva = 0;
    // The balance stored by the save (result type 1): the VAT to pay, or a credit as a
    // negative amount; nothing for a settlement not saved yet.
    std::optional<Money> saldo;
};

std::vector<SavedSettlement> listSavedSettlements(Connection &db, int idAzienda);

// The stored balances (result type 1) of the company's saved settlements, by settlement key:
// the VAT to pay, or a credit as a negative amount.
QHash<int, Money> settlementBalances(Connection &db, int idAzienda);

} // namespace liqiva
