-- "Regole di importazione" (a table of our own): per company and supplier, what an
-- electronic invoice cannot say and the user sets once: goods for resale (the account class
-- the split of receipts weighs), the undeductible percentage of the supplier's VAT (a VAT code
-- with that percentage must exist) and the branch its purchases go to (0: the import's own).
-- The supplier is named by its VAT number with its country ("IT01234567890"); one rule per
-- supplier of a company.
CREATE TABLE IF NOT EXISTS RegolaImportazione (
    IDRegolaImportazione KEY,
    IDAzienda LONG,
    PartitaIvaFornitore TEXT(30),
    MerciRivendita BOOL DEFAULT 0,
    PercIndetraibilita SHORT DEFAULT 0,
    IDFiliale LONG DEFAULT 0,
    ROWSTATE,
    UNIQUE (IDAzienda, PartitaIvaFornitore)
);
