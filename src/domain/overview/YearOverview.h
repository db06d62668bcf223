#pragma once

#include "suite/Money.h"

#include <QString>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

// A year of a company's settlements at a glance: one row per activity, one cell per month
// (or per quarter, by its last month), then the December advance and the annual settlement.
struct YearCell {
    // ToResend: communicated once, then saved again with other figures: the quarter's
    // communication must be sent again.
    enum class State { Missing, Working, Saved, PrintedDefinitive, Communicated, ToResend };
    int period = 0;    // 1..12, 13 the December advance, 0 the annual settlement
    State state = State::Missing;
    int key = 0;       // IDRisultatoLiquidazioneIva, 0 when missing
    // To pay positive, a credit carried on negative; nothing when the settlement stored
    // neither (or is missing).
    std::optional<Money> amount;
};

struct YearRow {
    int idAttivitaAzienda = 0;
    QString attivitaAzienda;
    bool quarterly = false;
    std::vector<YearCell> cells; // the periods in order, then 13, then 0
};

struct YearOverview {
    int idAzienda = 0;
    int anno = 0;
    int idPeriodoIva = 0;
    std::vector<YearRow> rows;
};

// The words of a state, as the window and the command show them.
QString yearCellStateText(YearCell::State state);
// The short caption of a period ("Gen", "1° trim.", "Acconto", "Anno").
QString yearPeriodCaption(int period, bool quarterly);

// Reads the overview in three statements (activities, settlements, their closing amounts).
// Refuses (Refusal) a company without that VAT year.
YearOverview loadYearOverview(Connection &db, int idAzienda, int anno);

} // namespace liqiva
