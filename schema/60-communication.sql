-- The settlements sent with a periodic communication: one row per settlement, its key the
-- settlement's key (IDRisultatoLiquidazioneIva), written in one transaction once the
-- quarter's file was validated and written. Writing the quarter again updates the rows with
-- the new date and file and keeps the date of the first communication.
CREATE TABLE IF NOT EXISTS ComunicazioneLiquidazioneIva (
    IDComunicazioneLiquidazioneIva LONG NOT NULL,
    Anno LONG,
    Trimestre SHORT,
    DataPrimaComunicazione DATETIME,
    DataComunicazione DATETIME,
    NomeFile TEXT(255),
    ROWSTATE,
    PRIMARY KEY (IDComunicazioneLiquidazioneIva)
);
