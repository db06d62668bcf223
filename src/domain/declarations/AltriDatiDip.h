#pragma once

#include "suite/Money.h"

#include <QString>

namespace liqiva {

// The data of the periodic VAT declaration that the settlement does not compute itself:
// rows VP1 to VP3 and the declaration's check boxes. Values only.
class AltriDatiDip {
public:
    Money VP1_OperazioniAttive;
    Money VP1_CessioniIntracomunitarie;
    Money VP1_CessioniDatiStrumentali;
    Money VP2_OperazioniPassive;
    Money VP2_AcquistiIntracomunitari;
    Money VP2_AcquistiDatiStrumentali;
    Money VP3_Imponibile;
    Money VP3_Imposta;
    bool DichiarazioneIntegrativa = false;
    bool CorrettivaNeiTermini = false;
    bool VariazioniPeriodiPrec = false;
    bool ContribuentiLiquidazioneTrim = false;
    bool AliquotaMediaLettA = false;
    bool OperazioniNonImpLettB = false;
    bool AcquistiBeniAmmLettC = false;
    bool CreditoARimborsoInEuro = false;
    bool VersamentoInEuro = false;
    bool VersamentoNonEffettuato = false;
    int IDAttivitaAzienda = 0;
    int IDPeriodoIva = 0;
    bool SoggettoLegittRimb = false;
    QString Caption;
    bool UnicaCompensata = false;
};

// Declaration amounts in whole lire are shown in thousands: divided by 1000 for the
// window and multiplied by 1000 when stored; euro amounts and zero pass unchanged.
inline Money declarationShown(Money stored, bool decimali)
{
    return decimali || stored.isZero() ? stored : Money::fromRaw(stored.raw() / 1000);
}
inline Money declarationStored(Money shown, bool decimali)
{
    return decimali || shown.isZero() ? shown : shown * 1000LL;
}

} // namespace liqiva
