-- The electronic invoices brought in by `liqiva import` (tables of our own).
--
-- One row per import; one row per invoice imported (the counterparty, the figures and the
-- period it went to); one row per counter row the invoice added, so that taking an import
-- back deletes exactly the counter rows it wrote. An invoice is the same invoice when the
-- company, the seller's VAT number, the type, the number and the date are the same: the
-- unique index lets it in once, also when two imports run at the same moment.
CREATE TABLE IF NOT EXISTS ImportazioneFatture (
    IDImportazioneFatture KEY,
    IDAzienda LONG,
    IDUtente LONG,
    DataImportazione DATETIME,
    NumeroFile LONG DEFAULT 0,
    NumeroFatture LONG DEFAULT 0,
    ROWSTATE
);

CREATE TABLE IF NOT EXISTS FatturaImportata (
    IDFatturaImportata KEY,
    IDImportazioneFatture LONG,
    IDAzienda LONG,
    IDFiliale LONG,
    IDPeriodoIva LONG,
    Anno SHORT,
    IDMese LONG,
    Vendita BOOL DEFAULT 0,
    Acquisto BOOL DEFAULT 0,
    Contata BOOL DEFAULT 0,
    PartitaIvaCedente TEXT(30),
    TipoDocumento TEXT(4),
    NumeroDocumento TEXT(20),
    DataDocumento TEXT(10),
    DataRicezione TEXT(10),
    Controparte TEXT(100),
    Imponibile MONEY,
    Imposta MONEY,
    NomeFile TEXT(255),
    ROWSTATE,
    UNIQUE (IDAzienda, PartitaIvaCedente, TipoDocumento, NumeroDocumento, DataDocumento)
);

CREATE TABLE IF NOT EXISTS RigaFatturaImportata (
    IDRigaFatturaImportata KEY,
    IDFatturaImportata LONG,
    IDContatoreIva LONG,
    ROWSTATE
);

CREATE INDEX IF NOT EXISTS IX_FatturaImportata_Importazione
    ON FatturaImportata (IDImportazioneFatture);
CREATE INDEX IF NOT EXISTS IX_RigaFatturaImportata_Fattura
    ON RigaFatturaImportata (IDFatturaImportata);
