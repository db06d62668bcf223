-- Tables of the host suite that the settlement program reads (and, for a few columns,
-- writes). Written in the portable DDL of Schema.cpp: KEY, LONG, SHORT, BOOL, MONEY,
-- DOUBLE, TEXT(n), MEMO, DATETIME and ROWSTATE are mapped to each engine.
--
-- Every column but the key is nullable or has a default, so that a row can be inserted
-- naming only the columns a reader needs. Flags that the statements test with "= 0" or
-- "<> 0" default to 0: a NULL would drop the row from both alternatives.
--
-- Column names must not clash between tables that the program's statements join without
-- qualifying the column (for example ContatoreIva and Iva, RisultatoLiquidazioneIva and
-- RisultatoLiquidazioneIvaXTipo): check the joins before adding a column here.

-- Native-error tables: the error number of each engine for a suite-wide error kind.
CREATE TABLE IF NOT EXISTS ErroreBrevanto (
    IDErroreBrevanto KEY,
    ErroreBrevanto TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS BaseDati (
    IDBaseDati KEY,
    BaseDati TEXT(50),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ErroreNativoPerBaseDati (
    IDBaseDati LONG NOT NULL,
    IDErroreBrevanto LONG NOT NULL,
    ErroreNativo LONG,
    ROWSTATE,
    PRIMARY KEY (IDBaseDati, IDErroreBrevanto)
);

-- Registry data, companies, activities, branches.
CREATE TABLE IF NOT EXISTS Anagrafica (
    IDAnagrafica KEY,
    Anagrafica TEXT(100),
    CodiceFiscale TEXT(16),
    PartitaIva TEXT(11),
    Indirizzo TEXT(100),
    Cap TEXT(5),
    Comune TEXT(60),
    Provincia TEXT(2),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Azienda (
    IDAzienda KEY,
    Azienda TEXT(100),
    IDAnagrafica LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS CodiceAttivita (
    IDCodiceAttivita KEY,
    CodiceAttivita TEXT(10),
    DescrizioneAttivita TEXT(255),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS AttivitaAzienda (
    IDAttivitaAzienda KEY,
    IDAzienda LONG,
    AttivitaAzienda TEXT(100),
    DataCessazione DATETIME,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Filiale (
    IDFiliale KEY,
    IDAzienda LONG,
    IDAttivitaAzienda LONG,
    Filiale TEXT(100),
    ROWSTATE
);

-- Currencies of the accounts: the company keeps them in euro unless its accounting
-- configuration names another currency (lire, no decimals).
CREATE TABLE IF NOT EXISTS Valuta (
    IDValuta KEY,
    Valuta TEXT(30),
    Decimali SHORT,
    ROWSTATE
);

-- The company's prevailing branch and its own bank.
CREATE TABLE IF NOT EXISTS ConfigurazioneGenerale (
    IDConfigurazioneGenerale KEY,
    IDAzienda LONG,
    IDFilialePrevalente LONG,
    IDBancaPerAnagrafica LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ConfigurazioneContabile (
    IDConfigurazioneContabile KEY,
    IDAzienda LONG,
    ImportoMinimoIvaLiquidazionePeriodica MONEY,
    ImportoMinimoIvaAcconto MONEY,
    ImportoMinimoIvaAnnuale MONEY,
    ScorporoCorrispettiviGiornaliero BOOL DEFAULT 0,
    StampaCIC BOOL DEFAULT 0,
    IDValuta LONG DEFAULT 1,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS CodiceCarica (
    IDCodiceCarica KEY,
    CodiceCarica TEXT(255),
    ROWSTATE
);

-- Declaration configuration. Joined with Anagrafica by the declarant check without
-- qualifying IDAzienda: Anagrafica must not get a column of that name.
CREATE TABLE IF NOT EXISTS ConfigurazioneDip (
    IDConfigurazioneDip KEY,
    IDAzienda LONG,
    SubFornitoriArt74 BOOL DEFAULT 0,
    IDAnagraficaRappresentante LONG,
    IDCodiceCarica LONG,
    ROWSTATE
);

-- VAT years and the activities' settings per VAT year.
CREATE TABLE IF NOT EXISTS PeriodoIva (
    IDPeriodoIva KEY,
    IDAzienda LONG,
    PeriodoIva TEXT(50),
    Anno SHORT,
    GestioneArt36 BOOL DEFAULT 0,
    PercInteressiLiqTrim DOUBLE,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS AttivitaAziendaPerPeriodoIva (
    IDAttivitaAziendaPerPeriodoIva KEY,
    IDAttivitaAzienda LONG,
    IDPeriodoIva LONG,
    IDCodiceAttivita LONG,
    TipoLiquidazioneIva SHORT DEFAULT 0,
    IDMeseUltimaLiquidazione LONG,
    ExArticolo7374 BOOL DEFAULT 0,
    CalcoloInteressi BOOL DEFAULT 0,
    Articolo34 BOOL DEFAULT 0,
    GestioneProRata BOOL DEFAULT 0,
    PercentualeProRata MONEY,
    IvaIndComeCostoAccessorio BOOL DEFAULT 0,
    Autotrasportatore BOOL DEFAULT 0,
    CreditoIvaAutotrasportatori MONEY DEFAULT 0,
    AltriCrediti BOOL DEFAULT 0,
    AltriCreditiImposta MONEY DEFAULT 0,
    VentilazioneCorrispettivi BOOL DEFAULT 0,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Mese (
    IDMese KEY,
    Mese TEXT(20),
    ROWSTATE
);

-- VAT codes. Joined with ContatoreIva by many counter statements without qualifying the
-- counter's columns: Iva must not get a column named like one of ContatoreIva's.
CREATE TABLE IF NOT EXISTS TipoIva (
    IDTipoIva KEY,
    TipoIva TEXT(50),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS CompensazioneIva (
    IDCompensazioneIva KEY,
    CompensazioneIva TEXT(100),
    PercentualeCompensazione DOUBLE,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Iva (
    IDIva KEY,
    Iva TEXT(10),
    DescrizioneSuRegistroIVA TEXT(100),
    AliquotaIva DOUBLE,
    PercIndetraibilita DOUBLE,
    IDTipoIva LONG,
    IDIvaVentilazione LONG,
    IDCompensazioneIva LONG,
    EsclusaDallaCompensazioneIva BOOL DEFAULT 0,
    IvaSuAcquistiInDetrazione BOOL DEFAULT 0,
    NoCalcoloProRata BOOL DEFAULT 0,
    NoRiportoInDichiarazione BOOL DEFAULT 0,
    ROWSTATE
);

-- The VAT counters: running totals kept by the bookkeeping, one row per VAT code, counter
-- kind, month, year and branch. Large: see the indexes.
CREATE TABLE IF NOT EXISTS TipoContatoreIva (
    IDTipoContatoreIva KEY,
    TipoContatoreIva TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ClassificazioneIvaConto (
    IDClassificazioneIvaConto KEY,
    ClassificazioneIvaConto TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ClassificazioneIvaCF (
    IDClassificazioneIvaCF KEY,
    ClassificazioneIvaCF TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ContatoreIva (
    IDContatoreIva KEY,
    IDTipoContatoreIva LONG,
    IDIva LONG,
    Anno SHORT,
    IDMese LONG,
    IDFiliale LONG,
    Imponibile MONEY,
    Importo MONEY,
    RiportoSuChiusuraIVA BOOL DEFAULT 0,
    AcquistiSolaVentilazione BOOL DEFAULT 0,
    IDClassificazioneIvaConto LONG,
    IDClassificazioneIvaCF LONG,
    FatturaInRitardo BOOL DEFAULT 0,
    AccontoIva BOOL DEFAULT 0,
    ROWSTATE
);

-- Users, groups and rights.
CREATE TABLE IF NOT EXISTS Utente (
    IDUtente KEY,
    Utente TEXT(50),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Gruppo (
    IDGruppo KEY,
    Gruppo TEXT(50),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS UtentePerGruppo (
    IDUtentePerGruppo KEY,
    IDGruppo LONG,
    IDUtente LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Azione (
    IDAzione KEY,
    Azione TEXT(50),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS AbilitaPerTipoOggettoPerGruppo (
    IDAbilitaPerTipoOggettoPerGruppo KEY,
    IDAzione LONG,
    IDTipoOggetto LONG,
    IDFiliale LONG,
    IDGruppo LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS AbilitaPerTipoOggettoPerUtente (
    IDAbilitaPerTipoOggettoPerUtente KEY,
    IDAzione LONG,
    IDTipoOggetto LONG,
    IDFiliale LONG,
    IDUtente LONG,
    ROWSTATE
);

-- Suite functions, their object types, the executables that manage them, and the
-- processes a function carries. Gestore, TipoOggetto and Funzione are read together
-- without qualifying Gestore, Entita and Funzione.
CREATE TABLE IF NOT EXISTS Gestore (
    IDGestore KEY,
    Gestore TEXT(100),
    Entita TEXT(50),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS TipoOggetto (
    IDTipoOggetto KEY,
    Oggetto TEXT(100),
    ContextHelpID LONG,
    IDGestore LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Funzione (
    IDFunzione KEY,
    Funzione TEXT(100),
    IDTipoOggetto LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Processo (
    IDProcesso KEY,
    Processo TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ProcessoPerFunzione (
    IDProcessoPerFunzione KEY,
    IDFunzione LONG,
    IDProcesso LONG,
    Sequenza SHORT,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ParametroProcessoPerFunzione (
    IDParametroProcessoPerFunzione KEY,
    IDProcessoPerFunzione LONG,
    IDParametroProcesso LONG,
    ParametroProcessoPerFunzione TEXT(255),
    ROWSTATE
);

-- Banks (ABI), their branches (CAB), the banks of a registry entry, collection agents.
CREATE TABLE IF NOT EXISTS Abi (
    IDAbi KEY,
    Abi TEXT(5),
    Banca TEXT(100),
    Cap TEXT(5),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Cab (
    IDCab KEY,
    IDAbi LONG,
    Cab TEXT(5),
    Dipendenza TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS BancaPerAnagrafica (
    IDBancaPerAnagrafica KEY,
    IDAnagrafica LONG,
    IDCab LONG,
    ContoCorrente TEXT(30),
    ROWSTATE
);

-- The concession code is typed as a whole number and looked up unquoted.
CREATE TABLE IF NOT EXISTS ConcessionarioEsattoriale (
    IDConcessionarioEsattoriale KEY,
    CodiceConcessione LONG,
    ConcessionarioEsattoriale TEXT(100),
    ROWSTATE
);

-- VAT registers, sectionals and their page numbering.
CREATE TABLE IF NOT EXISTS RegistroIva (
    IDRegistroIva KEY,
    RegistroIva TEXT(100),
    TipoRegistro SHORT,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Sezionale (
    IDSezionale KEY,
    Sezionale TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS NumerazionePerRegistro (
    IDNumerazionePerRegistro KEY,
    IDRegistroIva LONG,
    IDAzienda LONG,
    NumerazioneConStampa BOOL DEFAULT 0,
    NumerazionePerSezionale BOOL DEFAULT 0,
    StampaLiquidazioneIva BOOL DEFAULT 0,
    StampaRiepilogoIva BOOL DEFAULT 0,
    StampaAnno BOOL DEFAULT 0,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS NumerazionePerRegistroPerSezionale (
    IDNumerazionePerRegistroPerSezionale KEY,
    IDNumerazionePerRegistro LONG,
    IDSezionale LONG,
    StampaLiquidazioneIva BOOL DEFAULT 0,
    StampaRiepilogoIva BOOL DEFAULT 0,
    ROWSTATE
);

-- The print component's selection of the objects to print, per user.
CREATE TABLE IF NOT EXISTS TabellaRicorsione (
    IDTabellaRicorsione KEY,
    IDUtente LONG,
    IDFunzione LONG,
    IDOggetto LONG,
    Ordine LONG,
    Codice TEXT(50),
    IDRegistroIva LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS TabellaRicorsione2 (
    IDTabellaRicorsione2 KEY,
    IDUtente LONG,
    IDOggetto LONG,
    Ordine LONG,
    Codice TEXT(50),
    ROWSTATE
);

-- Fiscal years, chart of accounts, automatic accounts and journal entries.
CREATE TABLE IF NOT EXISTS TipoEsercizio (
    IDTipoEsercizio KEY,
    TipoEsercizio TEXT(50),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Esercizio (
    IDEsercizio KEY,
    IDAzienda LONG,
    Esercizio TEXT(50),
    IDTipoEsercizio LONG,
    DataInizio DATETIME,
    DataFine DATETIME,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS PianoDeiConti (
    IDPianoDeiConti KEY,
    IDAzienda LONG,
    IDEsercizio LONG,
    TipoPDC SHORT,
    PianoDeiConti TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ElementoPDC (
    IDElementoPDC KEY,
    IDPianoDeiConti LONG,
    ElementoPDC TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ContoPDC (
    IDContoPDC KEY,
    ContoPDC TEXT(20),
    DescrizioneConto TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ContoPerPDC (
    IDContoPerPDC KEY,
    IDContoPDC LONG,
    IDElementoPDC LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS ContoAutomatico (
    IDContoAutomatico KEY,
    IDFiliale LONG,
    IDContoPDC_CostoIvaInd LONG,
    IDContoPDC_StornoRecuperoIva LONG,
    IDContoPDC_IvaAcquisti LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS CausaleContabile (
    IDCausaleContabile KEY,
    CausaleContabile TEXT(20),
    DescrizioneCausale TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS TestataMovimentoContabile (
    IDTestataMovimentoContabile KEY,
    IDEsercizio LONG,
    IDFiliale LONG,
    IDOggetto LONG,
    DataRegistrazione DATETIME,
    NumeroRegistrazione LONG,
    FatturainRitardo BOOL DEFAULT 0,
    Annotazioni MEMO,
    IDCausaleContabile LONG,
    DescrizioneCausale TEXT(100),
    IDStatoPerCentroCP LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS RigaMovimentoContabile (
    IDRigaMovimentoContabile KEY,
    IDTestataMovimentoContabile LONG,
    NumeroRiga LONG,
    Importo MONEY,
    Segno TEXT(1),
    StampatoDefinitivo BOOL DEFAULT 0,
    IDContoPDC LONG,
    DescrizioneAggiuntiva TEXT(255),
    ROWSTATE
);

-- VAT credits: headers per company and month, movements by cause.
CREATE TABLE IF NOT EXISTS TipoCreditoIVA (
    IDTipoCreditoIVA KEY,
    TipoCreditoIVA TEXT(100),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS CausaleCredito (
    IDCausaleCredito KEY,
    IDTipoCreditoIVA LONG,
    CausaleCredito TEXT(100),
    TipoSorgente SHORT DEFAULT 0,
    Segno TEXT(1),
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS Credito (
    IDCredito KEY,
    IDAzienda LONG,
    Anno SHORT,
    IDMese LONG,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS MovimentoCredito (
    IDMovimentoCredito KEY,
    IDCredito LONG,
    IDCausaleCredito LONG,
    Importo MONEY,
    Automatico BOOL DEFAULT 0,
    ROWSTATE
);
