-- The settlements sent with a periodic communication: one row per settlement, written in one
-- transaction once the quarter's file was validated and written. Writing the quarter again
-- replaces the rows with the new date and file; the first date is kept.
CREATE TABLE IF NOT EXISTS ComunicazioneLiquidazioneIva (
    IDRisultatoLiquidazioneIva LONG NOT NULL,
    Anno LONG,
    Trimestre SHORT,
    DataPrimaComunicazione DATETIME,
    DataComunicazione DATETIME,
    NomeFile TEXT(255),
    IDUtente LONG,
    PRIMARY KEY (IDRisultatoLiquidazioneIva)
);
