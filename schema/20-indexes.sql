-- Indexes for the statements that the program runs most.

-- The VAT counters hold millions of rows. Every counter statement filters on the counter
-- kind, the year (Anno IN the VAT year's year), the activity's branches (IDFiliale IN ...)
-- and the months of the period, and groups by VAT code. The second index serves the
-- statements that take several kinds at once (declaration totals, pro-rata, compensation).
CREATE INDEX IF NOT EXISTS IX_ContatoreIva_Periodo
    ON ContatoreIva (IDTipoContatoreIva, Anno, IDFiliale, IDMese, IDIva);
CREATE INDEX IF NOT EXISTS IX_ContatoreIva_Anno
    ON ContatoreIva (Anno, IDFiliale, IDMese);

CREATE INDEX IF NOT EXISTS IX_RisultatoLiquidazioneIva_Periodo
    ON RisultatoLiquidazioneIva (IDAttivitaAzienda, IDPeriodoIva, IDMese);
CREATE INDEX IF NOT EXISTS IX_RisultatoLiquidazioneIvaXTipo_Risultato
    ON RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIva, IDTipoRisultatoLiquidazioneIva);
CREATE INDEX IF NOT EXISTS IX_RigaReportLiquidazioneIva_Risultato
    ON RigaReportLiquidazioneIva (IDRisultatoLiquidazioneIva, IDIva);
-- One report header per settlement, whatever two users filling it at once may try.
CREATE UNIQUE INDEX IF NOT EXISTS UX_CampoReportLiquidazioneIva_Risultato
    ON CampoReportLiquidazioneIva (IDRisultatoLiquidazioneIva);
CREATE INDEX IF NOT EXISTS IX_RisultatoLiquidazioneIvaArt34_Risultato
    ON RisultatoLiquidazioneIvaArt34 (IDRisultatoLiquidazioneIva);

CREATE INDEX IF NOT EXISTS IX_Filiale_Attivita
    ON Filiale (IDAttivitaAzienda);
CREATE INDEX IF NOT EXISTS IX_AttivitaAziendaPerPeriodoIva_Periodo
    ON AttivitaAziendaPerPeriodoIva (IDPeriodoIva, IDAttivitaAzienda);
CREATE INDEX IF NOT EXISTS IX_PeriodoIva_Azienda
    ON PeriodoIva (IDAzienda, Anno);
CREATE INDEX IF NOT EXISTS IX_MovimentoCredito_Credito
    ON MovimentoCredito (IDCredito);
