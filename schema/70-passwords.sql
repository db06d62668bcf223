-- Tables of our own beside the suite's users.
--
-- The users' passwords, kept only as slow salted hashes (Argon2id, in the self-describing
-- form that names the algorithm, its costs and the salt), with the count of wrong passwords
-- given in a row and, after the fifth, the moment until which the user is locked out (ISO
-- text in UTC). A user without a row here has no password; a user's row has the user's key.
CREATE TABLE IF NOT EXISTS PasswordUtente (
    IDPasswordUtente KEY,
    IDUtente LONG,
    HashPassword TEXT(255),
    PasswordErrate LONG DEFAULT 0,
    BloccatoFino TEXT(30),
    ROWSTATE,
    UNIQUE (IDUtente)
);
