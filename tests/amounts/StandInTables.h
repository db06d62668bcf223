#pragma once

// Until the suite's schema is part of the test databases: the tables these tests touch,
// created only where they are missing.

#include "startup/database/Connection.h"

namespace liqiva::test {

inline void ensureSuiteTables(Connection &db)
{
    const bool pg = db.engine() == Engine::Postgres;
    const QString money = pg ? u"NUMERIC(19,4)"_qs : u"REAL"_qs;
    const QString date = pg ? u"TIMESTAMP"_qs : u"TEXT"_qs;
    const QString rowState = u", VirtualDelete SMALLINT NOT NULL DEFAULT 0, DataUltimaVariazione "_qs + date
        + u", IDUtenteUltimaVariazione INTEGER"_qs;
    const QString tables[] = {
        u"PeriodoIva (IDPeriodoIva INTEGER NOT NULL PRIMARY KEY, PeriodoIva VARCHAR(50), Anno INTEGER, IDAzienda INTEGER, "
        "GestioneArt36 SMALLINT, PercInteressiLiqTrim DOUBLE PRECISION"_qs + rowState + u")"_qs,
        u"AttivitaAzienda (IDAttivitaAzienda INTEGER NOT NULL PRIMARY KEY, AttivitaAzienda VARCHAR(50), IDAzienda INTEGER"_qs
            + rowState + u")"_qs,
        u"AttivitaAziendaPerPeriodoIva (IDAttivitaAziendaPerPeriodoIva INTEGER NOT NULL PRIMARY KEY, IDAttivitaAzienda "
        "INTEGER, IDPeriodoIva INTEGER, TipoLiquidazioneIva SMALLINT, Articolo34 SMALLINT, GestioneProRata SMALLINT, "
        "PercentualeProRata "_qs + money + u", IvaIndComeCostoAccessorio SMALLINT, CreditoIvaAutotrasportatori "_qs + money
            + u", AltriCreditiImposta "_qs + money
            + u", Autotrasportatore SMALLINT, AltriCrediti SMALLINT, ExArticolo7374 SMALLINT, IDMeseUltimaLiquidazione "
              "INTEGER, CalcoloInteressi SMALLINT"_qs
            + rowState + u")"_qs,
        u"Filiale (IDFiliale INTEGER NOT NULL PRIMARY KEY, IDAttivitaAzienda INTEGER"_qs + rowState + u")"_qs,
        u"Iva (IDIva INTEGER NOT NULL PRIMARY KEY, Iva VARCHAR(10), DescrizioneSuRegistroIVA VARCHAR(50), AliquotaIva DOUBLE "
        "PRECISION, PercIndetraibilita DOUBLE PRECISION, IDTipoIva INTEGER, NoCalcoloProRata SMALLINT, "
        "NoRiportoInDichiarazione SMALLINT, RiportoSuChiusuraIVA SMALLINT"_qs + rowState + u")"_qs,
        u"ContatoreIva (IDContatoreIva INTEGER NOT NULL PRIMARY KEY, IDIva INTEGER, IDTipoContatoreIva INTEGER, Anno INTEGER, "
        "IDMese INTEGER, IDFiliale INTEGER, Imponibile "_qs + money + u", Importo "_qs + money
            + u", RiportoSuChiusuraIVA SMALLINT, AcquistiSolaVentilazione SMALLINT, IDClassificazioneIvaConto INTEGER, "
              "IDClassificazioneIvaCF INTEGER, FatturaInRitardo SMALLINT, AccontoIva SMALLINT)"_qs,
        u"RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva INTEGER NOT NULL PRIMARY KEY, IDAttivitaAzienda INTEGER, "
        "IDPeriodoIva INTEGER, IDMese INTEGER, AccontoIva SMALLINT, MetodoCalcoloAccontoIva SMALLINT, "
        "SoggettoRimborsoLiqIva SMALLINT, SoggettoRimborsoLiqIvaTrim SMALLINT, SoggettoRimborsoLiqIva7374 SMALLINT, "
        "DichiarazioneIntegrativa SMALLINT, CorrettivaNeiTermini SMALLINT, VariazioniImponibile SMALLINT, "
        "ContribuentiLiqTrim SMALLINT, AliquotaMediaLettA SMALLINT, OperazioniNonImponibiliLettB SMALLINT, "
        "AcquistoBeniAmmortizzabiliLettC SMALLINT, CreditoRimborsoInEuro SMALLINT, VersamentoInEuro SMALLINT, "
        "VersamentoNonEffettuato SMALLINT"_qs + rowState + u")"_qs,
        u"RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIvaXTip INTEGER NOT NULL PRIMARY KEY, "
        "IDTipoRisultatoLiquidazioneIva INTEGER, IDRisultatoLiquidazioneIva INTEGER, Importo "_qs + money
            + u", TipoLiquidazioneIva SMALLINT, DataVersamento "_qs + date
            + u", IDConcessionarioEsattoriale INTEGER, IDBancaPerAnagrafica INTEGER, IDCab INTEGER, CodiceAzienda "
              "VARCHAR(20)"_qs
            + rowState + u")"_qs,
        u"AltreOperazioniPerAcconto (IDAltreOperazioniPerAcconto INTEGER NOT NULL, IDRisultatoLiquidazioneIva INTEGER NOT "
        "NULL, IDIva INTEGER, Imponibile "_qs + money + u", Imposta "_qs + money
            + u", Annotazioni VARCHAR(255), PRIMARY KEY (IDAltreOperazioniPerAcconto, IDRisultatoLiquidazioneIva))"_qs,
        u"RigaReportLiquidazioneIva (IDRigaReportLiquidazioneIva INTEGER NOT NULL PRIMARY KEY, IDRisultatoLiquidazioneIva "
        "INTEGER, IDIva INTEGER, ImpCorrDaVentilare "_qs + money + u")"_qs,
        u"ConfigurazioneContabile (IDConfigurazioneContabile INTEGER NOT NULL PRIMARY KEY, IDAzienda INTEGER, StampaCIC "
        "SMALLINT"_qs + rowState + u")"_qs,
    };
    for (const QString &t : tables)
        db.executeRaw(u"CREATE TABLE IF NOT EXISTS "_qs + t);
}

} // namespace liqiva::test
