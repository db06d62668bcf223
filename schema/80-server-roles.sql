-- A table of our own: on a shared PostgreSQL server each person connects as a server role of
-- their own, and this table says which user of the suite each role is. Once it has a row, a
-- connection acts only for the user of its role. A database without rows here (the demo, a
-- SQLite file) works as before.
CREATE TABLE IF NOT EXISTS RuoloServerUtente (
    IDRuoloServerUtente KEY,
    Ruolo TEXT(63),
    IDUtente LONG,
    ROWSTATE,
    UNIQUE (Ruolo)
);
