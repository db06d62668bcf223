#include "domain/declarations/DatiCADI.h"

namespace liqiva {

Money DatiCADI::byIndex(int index) const
{
    switch (index) {
    case 0:
        return OperazioniAttive;
    case 1:
        return OperazioniNonImponibili;
    case 2:
        return OperazioniEsenti;
    case 3:
        return OperazioniIntracomunitarie;
    case 4:
        return OperazioniPassive;
    case 5:
        return AcquistiNonImponibili;
    case 6:
        return AcquistiEsenti;
    case 7:
        return AcquistiIntracomunitarie;
    case 8:
        return Imponibile;
    case 9:
        return Imposta;
    case 10:
        return ImponibileRottami;
    case 11:
        return ImpostaRottami;
    case 12:
        return OperazioniBeniStrumentali;
    case 13:
        return AcquistiBeniStrumentali;
    default:
        return {};
    }
}

} // namespace liqiva
