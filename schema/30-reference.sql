-- Reference rows: fixed data that the program expects to find. Each INSERT runs only when
-- no row with its key exists, so the file can run again on a filled database.

-- Months, as the period lists and the browse show them.
INSERT INTO Mese (IDMese, Mese) VALUES (1, 'Gennaio');
INSERT INTO Mese (IDMese, Mese) VALUES (2, 'Febbraio');
INSERT INTO Mese (IDMese, Mese) VALUES (3, 'Marzo');
INSERT INTO Mese (IDMese, Mese) VALUES (4, 'Aprile');
INSERT INTO Mese (IDMese, Mese) VALUES (5, 'Maggio');
INSERT INTO Mese (IDMese, Mese) VALUES (6, 'Giugno');
INSERT INTO Mese (IDMese, Mese) VALUES (7, 'Luglio');
INSERT INTO Mese (IDMese, Mese) VALUES (8, 'Agosto');
INSERT INTO Mese (IDMese, Mese) VALUES (9, 'Settembre');
INSERT INTO Mese (IDMese, Mese) VALUES (10, 'Ottobre');
INSERT INTO Mese (IDMese, Mese) VALUES (11, 'Novembre');
INSERT INTO Mese (IDMese, Mese) VALUES (12, 'Dicembre');

-- Duplicate-key recognition: error kind 1 on each engine (IDBaseDati = DBType).
-- SQLite reports a primary-key clash with the extended code 1555, PostgreSQL with the
-- SQLSTATE 23505.
INSERT INTO ErroreBrevanto (IDErroreBrevanto, ErroreBrevanto) VALUES (1, 'Chiave duplicata');
INSERT INTO BaseDati (IDBaseDati, BaseDati) VALUES (1, 'SQLite');
INSERT INTO BaseDati (IDBaseDati, BaseDati) VALUES (2, 'PostgreSQL');
INSERT INTO ErroreNativoPerBaseDati (IDBaseDati, IDErroreBrevanto, ErroreNativo) VALUES (1, 1, 1555);
INSERT INTO ErroreNativoPerBaseDati (IDBaseDati, IDErroreBrevanto, ErroreNativo) VALUES (2, 1, 23505);

-- Actions that a right grants on an object type: 1 grants every right.
INSERT INTO Azione (IDAzione, Azione) VALUES (1, 'Tutte le azioni');
INSERT INTO Azione (IDAzione, Azione) VALUES (2, 'Nuovo e salva');
INSERT INTO Azione (IDAzione, Azione) VALUES (3, 'Elimina');
INSERT INTO Azione (IDAzione, Azione) VALUES (4, 'Ricerca');
INSERT INTO Azione (IDAzione, Azione) VALUES (5, 'Stampa');

-- Suite functions, their object types and the executables that manage them.
--
--   function 1   "Liquidazione I.V.A."   object type 200, help context 5200, process 59:
--                the function the settlement program is started for
--   function 90  "Dati IVA"              object type 148, executable DatiIva
--   function 196 "Crediti IVA"           object type 227, executable CreditoIva
--   function 199 "Ricostruzione dati IVA"                object type 202, executable WIZRICIVA
--   function 200 "Controllo congruenza date ai fini IVA" object type 201, executable LOGDATAFINIIVA
--   function 306 "Comunicazione liquidazioni IVA"        object type 304, executable COMLIQIVA
--
-- Object type 1 stands for every object type in the rights; 16, 19, 148, 123, 20, 227 and
-- 304 are the types the start-up registers with the usage register; 245 is the work-row
-- type of the declaration print; 60 is the journal entry of the pro-rata adjustment.
INSERT INTO Gestore (IDGestore, Gestore, Entita) VALUES (1, 'Liquidazione I.V.A.', 'liquidazione-iva');
INSERT INTO Gestore (IDGestore, Gestore, Entita) VALUES (2, 'Dati IVA', 'DatiIva');
INSERT INTO Gestore (IDGestore, Gestore, Entita) VALUES (3, 'Crediti IVA', 'CreditoIva');
INSERT INTO Gestore (IDGestore, Gestore, Entita) VALUES (4, 'Controllo congruenza date ai fini IVA', 'LOGDATAFINIIVA');
INSERT INTO Gestore (IDGestore, Gestore, Entita) VALUES (5, 'Ricostruzione dati IVA', 'WIZRICIVA');
INSERT INTO Gestore (IDGestore, Gestore, Entita) VALUES (6, 'Comunicazione liquidazioni IVA', 'COMLIQIVA');

INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (1, 'Tutti gli oggetti', 0, NULL);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (16, 'Azienda', 1016, NULL);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (19, 'Filiale', 1019, NULL);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (20, 'Periodo IVA', 1020, NULL);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (60, 'Movimento contabile', 1060, NULL);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (123, 'Attività azienda', 1123, NULL);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (148, 'Dati IVA', 1148, 2);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (200, 'Liquidazione I.V.A.', 5200, 1);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (201, 'Controllo congruenza date ai fini IVA', 1201, 4);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (202, 'Ricostruzione dati IVA', 1202, 5);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (227, 'Crediti IVA', 1227, 3);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (245, 'Dichiarazione IVA periodica', 1245, NULL);
INSERT INTO TipoOggetto (IDTipoOggetto, Oggetto, ContextHelpID, IDGestore) VALUES (304, 'Comunicazione liquidazioni IVA', 1304, 6);

INSERT INTO Funzione (IDFunzione, Funzione, IDTipoOggetto) VALUES (1, 'Liquidazione I.V.A.', 200);
INSERT INTO Funzione (IDFunzione, Funzione, IDTipoOggetto) VALUES (90, 'Dati IVA', 148);
INSERT INTO Funzione (IDFunzione, Funzione, IDTipoOggetto) VALUES (196, 'Crediti IVA', 227);
INSERT INTO Funzione (IDFunzione, Funzione, IDTipoOggetto) VALUES (199, 'Ricostruzione dati IVA', 202);
INSERT INTO Funzione (IDFunzione, Funzione, IDTipoOggetto) VALUES (200, 'Controllo congruenza date ai fini IVA', 201);
INSERT INTO Funzione (IDFunzione, Funzione, IDTipoOggetto) VALUES (306, 'Comunicazione liquidazioni IVA', 304);

INSERT INTO Processo (IDProcesso, Processo) VALUES (59, 'Liquidazione IVA');
INSERT INTO ProcessoPerFunzione (IDProcessoPerFunzione, IDFunzione, IDProcesso, Sequenza) VALUES (1, 1, 59, 1);
INSERT INTO ParametroProcessoPerFunzione (IDParametroProcessoPerFunzione, IDProcessoPerFunzione, IDParametroProcesso, ParametroProcessoPerFunzione) VALUES (1, 1, 1, 'Liquidazione periodica');

-- Counter kinds of the VAT counters.
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (1, 'Acquisti');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (2, 'Fatture di vendita');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (3, 'Vendite registrate con i corrispettivi');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (4, 'Vendite registrate con i corrispettivi da ventilare');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (5, 'Corrispettivi');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (6, 'Corrispettivi da ventilare');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (7, 'Fatture di vendita con IVA ad esigibilità differita');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (8, 'Fatture di acquisto con IVA ad esigibilità differita');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (9, 'Incassi di fatture con IVA ad esigibilità differita');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (10, 'Pagamenti di fatture con IVA ad esigibilità differita');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (11, 'IVA indetraibile da pro-rata contabilizzata');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (12, 'Fatture di vendita con scissione dei pagamenti');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (13, 'Fatture di vendita con scissione dei pagamenti ad esigibilità differita');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (14, 'Incassi di fatture con scissione dei pagamenti ad esigibilità differita');
INSERT INTO TipoContatoreIva (IDTipoContatoreIva, TipoContatoreIva) VALUES (15, 'Fatture di acquisto con scissione dei pagamenti');

-- Classifications of the counters: of the account (7 goods for resale, 8 other goods,
-- 10, 11, 12 and 15 capital goods) and of the customer or supplier (1 counterpart in
-- another EU country, 6 intra-EU self-invoice, 14 reverse-charge self-invoice).
INSERT INTO ClassificazioneIvaConto (IDClassificazioneIvaConto, ClassificazioneIvaConto) VALUES (1, 'Servizi e altri costi');
INSERT INTO ClassificazioneIvaConto (IDClassificazioneIvaConto, ClassificazioneIvaConto) VALUES (7, 'Merci destinate alla rivendita');
INSERT INTO ClassificazioneIvaConto (IDClassificazioneIvaConto, ClassificazioneIvaConto) VALUES (8, 'Altri beni');
INSERT INTO ClassificazioneIvaConto (IDClassificazioneIvaConto, ClassificazioneIvaConto) VALUES (10, 'Beni strumentali ammortizzabili');
INSERT INTO ClassificazioneIvaConto (IDClassificazioneIvaConto, ClassificazioneIvaConto) VALUES (11, 'Beni strumentali non ammortizzabili');
INSERT INTO ClassificazioneIvaConto (IDClassificazioneIvaConto, ClassificazioneIvaConto) VALUES (12, 'Beni strumentali in locazione finanziaria');
INSERT INTO ClassificazioneIvaConto (IDClassificazioneIvaConto, ClassificazioneIvaConto) VALUES (15, 'Altri beni strumentali');
INSERT INTO ClassificazioneIvaCF (IDClassificazioneIvaCF, ClassificazioneIvaCF) VALUES (1, 'Soggetto di altro paese UE');
INSERT INTO ClassificazioneIvaCF (IDClassificazioneIvaCF, ClassificazioneIvaCF) VALUES (6, 'Autofattura per acquisti intracomunitari');
INSERT INTO ClassificazioneIvaCF (IDClassificazioneIvaCF, ClassificazioneIvaCF) VALUES (14, 'Autofattura con inversione contabile');

-- Kinds of VAT code: 1 non-taxable, 3 exempt (taxable codes leave IDTipoIva empty).
INSERT INTO TipoIva (IDTipoIva, TipoIva) VALUES (1, 'Non imponibile');
INSERT INTO TipoIva (IDTipoIva, TipoIva) VALUES (2, 'Fuori campo IVA');
INSERT INTO TipoIva (IDTipoIva, TipoIva) VALUES (3, 'Esente');

-- Amount types of a settlement.
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (1, 'Risultato del periodo');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (2, 'Credito di inizio anno');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (3, 'Interessi trimestrali dovuti');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (4, 'Credito autotrasportatori utilizzato');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (6, 'Credito speciale');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (7, 'Altro credito speciale');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (8, 'Versamento periodico');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (9, 'Acconto versato');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (10, 'Importo da versare');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (11, 'IVA da versare');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (12, 'IVA del periodo');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (13, 'Totale IVA a credito');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (14, 'Totale IVA a debito');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (15, 'Variazione per ravvedimento operoso');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (16, 'Interessi trimestrali da ravvedimento');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (17, 'Interessi da ravvedimento');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (18, 'Altre variazioni a debito');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (19, 'Variazione a credito');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (20, 'Imposta non versata nei periodi precedenti');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (21, 'Interessi trimestrali dei periodi precedenti');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (22, 'Interessi di mora dei periodi precedenti');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (23, 'Altri crediti d''imposta utilizzati');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (24, 'Interessi trimestrali calcolati');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (25, 'Credito da riportare nella liquidazione successiva');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (26, 'Variazione del credito del periodo precedente');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (27, 'Variazioni in diminuzione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (28, 'Debito del periodo precedente');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (29, 'Credito del periodo precedente');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (34, 'Importazioni senza pagamento dell''IVA in dogana: imponibile');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (35, 'Importazioni senza pagamento dell''IVA in dogana: imposta');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (36, 'IVA versata in eccesso');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (37, 'Credito da beni ammortizzabili');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (38, 'Interessi annuali dovuti');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (43, 'Interessi annuali calcolati');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (46, 'Operazioni imponibili per il pro-rata');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (47, 'Operazioni esenti per il pro-rata');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (48, 'Importazioni di rottami senza pagamento dell''IVA in dogana: imponibile');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (49, 'Importazioni di rottami senza pagamento dell''IVA in dogana: imposta');
-- The figures of the credit windows (prospectuses, credit use, compensable credit).
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (60, 'Credito IVA compensabile all''inizio del periodo');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (61, 'Credito IVA compensabile utilizzato nella liquidazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (62, 'Credito IVA compensabile utilizzato con il modello F24');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (63, 'Credito IVA compensabile alla fine del periodo');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (64, 'Credito infrannuale destinato alle liquidazioni periodiche');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (65, 'Credito infrannuale in compensazione con il modello F24');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (66, 'Credito infrannuale chiesto a rimborso');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (67, 'Credito infrannuale utilizzabile a rimborso e/o compensazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (68, 'Credito infrannuale I trimestre estromesso dalla compensazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (69, 'Credito infrannuale II trimestre estromesso dalla compensazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (70, 'Credito infrannuale III trimestre estromesso dalla compensazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (71, 'Credito annuale estromesso dalla compensazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (72, 'Credito infrannuale portato in detrazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (73, 'Credito infrannuale II trimestre portato in detrazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (74, 'Credito infrannuale III trimestre portato in detrazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (75, 'Credito annuale portato in detrazione');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (76, 'Credito infrannuale I trimestre estromesso dalle liquidazioni');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (77, 'Credito infrannuale II trimestre estromesso dalle liquidazioni');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (78, 'Credito infrannuale III trimestre estromesso dalle liquidazioni');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (79, 'Credito annuale estromesso dalle liquidazioni periodiche');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (80, 'Credito infrannuale: credito totale');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (81, 'Credito infrannuale: credito del trimestre');
INSERT INTO TipoRisultatoLiquidazioneIva (IDTipoRisultatoLiquidazioneIva, TipoRisultatoLiquidazioneIva) VALUES (82, 'Credito infrannuale: variazioni in aumento');

-- VAT credits: the two groups of the credit-use dialog and their causes. Causes 1 and 2
-- are the automatic movements of the annual credit (carried over, refund requested).
INSERT INTO TipoCreditoIVA (IDTipoCreditoIVA, TipoCreditoIVA) VALUES (1, 'Credito IVA annuale');
INSERT INTO TipoCreditoIVA (IDTipoCreditoIVA, TipoCreditoIVA) VALUES (2, 'Credito IVA infrannuale');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (1, 1, 'Credito annuale riportato dall''anno precedente', 1, '+');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (2, 1, 'Credito annuale chiesto a rimborso', 1, '-');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (3, 1, 'Credito annuale utilizzato in compensazione con il mod. F24', 0, '-');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (4, 1, 'Credito annuale utilizzato nelle liquidazioni periodiche', 2, '-');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (5, 2, 'Credito infrannuale', 1, '+');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (6, 2, 'Credito infrannuale chiesto a rimborso', 1, '-');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (7, 2, 'Credito infrannuale utilizzato in compensazione con il mod. F24', 0, '-');
INSERT INTO CausaleCredito (IDCausaleCredito, IDTipoCreditoIVA, CausaleCredito, TipoSorgente, Segno) VALUES (8, 2, 'Credito infrannuale utilizzato nelle liquidazioni periodiche', 2, '-');

-- Currencies of the accounts.
INSERT INTO Valuta (IDValuta, Valuta, Decimali) VALUES (1, 'Euro', 2);
INSERT INTO Valuta (IDValuta, Valuta, Decimali) VALUES (2, 'Lira italiana', 0);

-- Kinds of fiscal year: the journal-entry dialog offers kinds 1 and 2, proposing kind 1.
INSERT INTO TipoEsercizio (IDTipoEsercizio, TipoEsercizio) VALUES (1, 'Esercizio in corso');
INSERT INTO TipoEsercizio (IDTipoEsercizio, TipoEsercizio) VALUES (2, 'Esercizio precedente aperto');
INSERT INTO TipoEsercizio (IDTipoEsercizio, TipoEsercizio) VALUES (3, 'Esercizio chiuso');

-- Office of the declarant.
INSERT INTO CodiceCarica (IDCodiceCarica, CodiceCarica) VALUES (1, 'Rappresentante legale, negoziale o di fatto, socio amministratore');
INSERT INTO CodiceCarica (IDCodiceCarica, CodiceCarica) VALUES (2, 'Rappresentante di minore, inabilitato o interdetto');
INSERT INTO CodiceCarica (IDCodiceCarica, CodiceCarica) VALUES (3, 'Curatore fallimentare');
INSERT INTO CodiceCarica (IDCodiceCarica, CodiceCarica) VALUES (9, 'Erede');
