-- The usage register: which process of which user works on which object (object type, key,
-- mode), so that users of one database see each other's work. A row belongs to one session
-- (one run of a program) and is removed when the session releases it. A row whose session
-- stopped sending its heartbeat (DataUltimoSegnale, the database's clock in UTC) for some
-- minutes, or whose process no longer runs on the same host, is stale: readers ignore and
-- remove it, so a crashed program never blocks an object for good.
CREATE TABLE IF NOT EXISTS UtilizzoOggetto (
    IDUtilizzoOggetto KEY,
    IDTipoOggetto LONG,
    IDOggetto LONG,
    Modalita SHORT,
    IDUtente LONG,
    IDFiliale LONG,
    IDFunzione LONG,
    Sessione TEXT(40),
    Host TEXT(255),
    IDProcesso LONG,
    DataInizio DATETIME,
    DataUltimoSegnale DATETIME,
    ROWSTATE
);
