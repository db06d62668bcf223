#pragma once

#include "suite/Money.h"
#include "suite/Percent.h"

#include "domain/engine/AmountTypes.h"

namespace liqiva {

class Connection;


// The quarterly interest percentage of an activity for a quarter (1..4) of a calendar year:
// 0 when the activity does not pay quarterly interest or for the fourth quarter (its interest
// belongs to the annual settlement); the VAT year's PercInteressiLiqTrim otherwise, or when it
// is empty or 0 the default: 1 for years after 2000, 1.5 up to 2000.
Percent fnPercInteressi(Connection &db, int idAttivitaAzienda, int idPeriodoIva, int quarter, int anno);

// The stored amount of one type in the preceding settlement of the same activity and VAT year
// (month - 1, or month - 3 for a quarterly activity; November or the third quarter before the
// December advance); 0 before the first period. For the VAT to pay (type 11) the payment made
// (type 8) is deducted and a negative result gives 0.
Money fnImportoPeriodoPrecedente(Connection &db, int tipoRisultato, int idPeriodoIva, int idAttivitaAzienda,
                                  int idMese);
// The same, with the activity's settlement type of the VAT year already known.
Money fnImportoPeriodoPrecedente(Connection &db, int tipoRisultato, int idPeriodoIva, int idAttivitaAzienda,
                                  int idMese, int tipoLiquidazioneIva);

// The activity's live VAT year of a calendar year: its key (0 when there is none) and, through
// tipoLiquidazioneIva when given, its settlement type (left unchanged when there is none).
int fnPeriodoIvaAnnoPrecedente(Connection &db, int idAttivitaAzienda, int anno, int *tipoLiquidazioneIva = nullptr);

} // namespace liqiva
