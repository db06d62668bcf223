#pragma once

#include "suite/Rounding.h"

#include "suite/Money.h"

namespace liqiva {

class Connection;
class MessageService;
struct ActivitySettings;

// Advance methods (MetodoCalcoloAccontoIva).
namespace AdvanceMethod {
constexpr int Analytical = 0; // "Metodo analitico": the counter rows marked as advance
constexpr int Historical = 1; // "Metodo storico": the last month or quarter of the previous VAT year
constexpr int Forecast = 2;   // "Metodo previsionale": the last month or quarter of this VAT year
} // namespace AdvanceMethod

// Months as the engine and the document number them.
namespace Month {
constexpr int WholeYear = 0;
constexpr int DecemberAdvance = 13;
} // namespace Month

// Which settlement: activity, VAT year, month (1..12, a quarter by its last month, 13 the
// December advance, 0 the whole year), advance method and calendar year.
struct SettlementIdentity {
    int idAttivitaAzienda = 0;
    int idPeriodoIva = 0;
    int idMese = 0;
    int metodoCalcoloAccontoIva = 0;
    int anno = 0;
    int idAzienda = 0;
    int idRisultatoLiquidazioneIva = 0; // the settlement row, 0 while there is none

    bool isAdvance() const { return idMese == Month::DecemberAdvance; }
    bool isAnnual() const { return idMese < 1; }
    // Years before 2000 follow the lire rules.
    bool lireRules() const { return anno < 2000; }
};

// What every engine operation works with: the shared connection, the message service,
// the current user (for the audit columns) and the company's currency facts.
struct EngineContext {
    Connection &db;
    MessageService &messages;
    int idUser = 0;
    Money dImpMinIva; // minimum periodic payment (ConfigurazioneContabile)
    bool euro = true; // the company keeps its accounts in euro (else lire)
    // The settlement's activity in its VAT year as the caller already read it; null: read here.
    const ActivitySettings *activityYear = nullptr;
    // The currency step of amounts: 0.01 for the euro, 1 for the lira.
    Step currencyStep() const { return liqiva::currencyStep(euro); }
};

} // namespace liqiva
