#include "domain/companies/Passwords.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/KeyReservation.h"
#include "database/DbErrorText.h"
#include "suite/Refusal.h"

#include <sodium.h>

namespace liqiva {

namespace {

void initSodium()
{
    static const int ready = sodium_init();
    if (ready < 0)
        throw Refusal(u"La libreria delle password non si avvia: nessuna password può essere controllata."_qs);
}

QString lockText(const QDateTime &until)
{
    return until.toLocalTime().toString(u"HH:mm:ss"_qs);
}

} // namespace

QString UserPasswords::hash(const QString &password)
{
    initSodium();
    QByteArray utf8 = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    const int failed = crypto_pwhash_str(out, utf8.constData(), quint64(utf8.size()),
                                         crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE);
    sodium_memzero(utf8.data(), size_t(utf8.size()));
    if (failed)
        throw Refusal(u"Memoria insufficiente per calcolare l'impronta della password: nulla è stato cambiato."_qs);
    return QString::fromLatin1(out);
}

bool UserPasswords::matches(const QString &hash, const QString &password)
{
    initSodium();
    QByteArray utf8 = password.toUtf8();
    const QByteArray stored = hash.toLatin1();
    const bool ok = crypto_pwhash_str_verify(stored.constData(), utf8.constData(), quint64(utf8.size())) == 0;
    sodium_memzero(utf8.data(), size_t(utf8.size()));
    return ok;
}

QString UserPasswords::problemOf(const QString &password)
{
    if (password.size() < 8)
        return u"La password deve avere almeno 8 caratteri."_qs;
    if (password.size() > 128)
        return u"La password può avere al più 128 caratteri."_qs;
    if (password.trimmed().isEmpty())
        return u"La password non può essere fatta di soli spazi."_qs;
    for (QChar c : password)
        if (c.category() == QChar::Other_Control)
            return u"La password non può contenere caratteri di controllo."_qs;
    return {};
}

bool UserPasswords::hasPassword(int user)
{
    try {
        return !m_db.scalar(u"SELECT HashPassword FROM PasswordUtente WHERE IDUtente = ? AND VirtualDelete = 0"_qs,
                            {user})
                    .isNull();
    } catch (const DbError &e) {
        // A database made before passwords existed, not yet brought up by `schema`: nobody
        // has one.
        if (classifyDbError(e) == DbProblem::NoSchema && m_db.transactionDepth() == 0)
            return false;
        throw;
    }
}

void UserPasswords::signIn(int user, const QString &password, const QDateTime &now)
{
    QString stored;
    QDateTime lockedUntil;
    {
        Recordset rs = m_db.openRecordset(
            u"SELECT HashPassword, BloccatoFino FROM PasswordUtente WHERE IDUtente = ? AND VirtualDelete = 0"_qs,
            {user});
        if (rs.eof() || rs.isNull(u"HashPassword"_qs))
            return; // no password: signs in as before
        stored = rs.text(u"HashPassword"_qs);
        if (!rs.isNull(u"BloccatoFino"_qs))
            lockedUntil = QDateTime::fromString(rs.text(u"BloccatoFino"_qs), Qt::ISODate);
    }
    if (lockedUntil.isValid() && lockedUntil > now)
        throw Refusal(QStringLiteral("L'utente %1 è bloccato fino alle %2 dopo %3 password errate di seguito: "
                                     "riprovare più tardi.")
                          .arg(user)
                          .arg(lockText(lockedUntil))
                          .arg(kWrongInARow));
    // The slow check runs before the transaction, so that it never holds a lock.
    const bool right = matches(stored, password);
    Transaction tx(m_db);
    if (right) {
        m_db.execute(u"UPDATE PasswordUtente SET PasswordErrate = 0, BloccatoFino = NULL WHERE IDUtente = ? AND "
                     u"(PasswordErrate <> 0 OR BloccatoFino IS NOT NULL)"_qs,
                     {user});
        tx.commit();
        return;
    }
    // Counted in the row itself, so that wrong passwords given at the same moment all count.
    m_db.execute(u"UPDATE PasswordUtente SET PasswordErrate = PasswordErrate + 1 WHERE IDUtente = ?"_qs, {user});
    const int wrong = m_db.scalar(u"SELECT PasswordErrate FROM PasswordUtente WHERE IDUtente = ?"_qs, {user}).toInt();
    if (wrong < kWrongInARow) {
        tx.commit();
        throw Refusal(QStringLiteral("Password errata per l'utente %1 (%2 di %3 prima del blocco).")
                          .arg(user)
                          .arg(wrong)
                          .arg(kWrongInARow));
    }
    const QDateTime until = now.toUTC().addSecs(kLockSeconds);
    m_db.execute(u"UPDATE PasswordUtente SET PasswordErrate = 0, BloccatoFino = ? WHERE IDUtente = ?"_qs,
                 {until.toString(Qt::ISODate), user});
    tx.commit();
    throw Refusal(QStringLiteral("Password errata per l'utente %1: dopo %2 password errate di seguito l'utente è "
                                 "bloccato per cinque minuti, fino alle %3.")
                      .arg(user)
                      .arg(kWrongInARow)
                      .arg(lockText(until)));
}

void UserPasswords::setPassword(int user, const QString &password, int byUser)
{
    if (const QString problem = problemOf(password); !problem.isEmpty())
        throw Refusal(problem + u" Nulla è stato cambiato."_qs);
    const QString hashed = hash(password);
    const QDateTime now = QDateTime::currentDateTime();
    Transaction tx(m_db);
    const int changed =
        m_db.execute(u"UPDATE PasswordUtente SET HashPassword = ?, PasswordErrate = 0, BloccatoFino = "
                     u"NULL, DataUltimaVariazione = ?, IDUtenteUltimaVariazione = ? WHERE IDUtente = ?"_qs,
                     {hashed, now, byUser, user});
    // A row set aside comes back; asked first, since on a shared server a user changing their
    // own password may write only the password's columns.
    if (changed > 0 &&
        m_db.scalar(u"SELECT COUNT(*) FROM PasswordUtente WHERE IDUtente = ? AND VirtualDelete <> 0"_qs, {user})
                .toInt() > 0)
        m_db.execute(u"UPDATE PasswordUtente SET VirtualDelete = 0 WHERE IDUtente = ?"_qs, {user});
    if (changed == 0) {
        const QString sp = m_db.savepoint();
        try {
            m_db.execute(
                u"INSERT INTO PasswordUtente (IDPasswordUtente, IDUtente, HashPassword, PasswordErrate, "
                u"VirtualDelete, DataUltimaVariazione, IDUtenteUltimaVariazione) VALUES (?, ?, ?, 0, 0, ?, ?)"_qs,
                {user, user, hashed, now, byUser});
            m_db.releaseSavepoint(sp);
        } catch (const DbError &e) {
            // Another process gave the user a password meanwhile: this one, the later, stands.
            // Anything else (a role that may not write the row) is the caller's to show.
            m_db.rollbackToSavepoint(sp);
            if (!isDuplicateKey(e))
                throw;
            m_db.execute(u"UPDATE PasswordUtente SET HashPassword = ?, PasswordErrate = 0, BloccatoFino = NULL, "
                         u"DataUltimaVariazione = ?, IDUtenteUltimaVariazione = ? WHERE IDUtente = ?"_qs,
                         {hashed, now, byUser, user});
        }
    }
    tx.commit();
}

} // namespace liqiva
