#include "suite/AccountingEntry.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"
#include "suite/TextCheck.h"

#include <QDateTime>

namespace liqiva {

namespace {

SqlStatement n(long long v)
{
    return sqlParam(v);
}

SqlStatement textOrNull(const QString &v)
{
    return v.isEmpty() ? SqlStatement(u"NULL"_qs) : sqlParam(v);
}

SqlStatement keyOrNull(int v)
{
    return v > 0 ? n(v) : u"NULL"_qs;
}

QDate dateOf(const QVariant &v)
{
    if (v.isNull())
        return {};
    QDate d = v.toDate();
    if (!d.isValid())
        d = QDateTime::fromString(v.toString().left(19), Qt::ISODate).date();
    if (!d.isValid())
        d = QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d;
}

} // namespace

AccountingEntry::AccountingEntry(Connection &db, int idAzienda, int idUtente)
    : m_db(db), m_idAzienda(idAzienda), m_idUtente(idUtente)
{
}

QString AccountingEntry::msgNumeroUtilizzato()
{
    return QStringLiteral("Il numero di registrazione indicato è già stato utilizzato.");
}

QString AccountingEntry::msgNumeroNonValido()
{
    return QStringLiteral("Numero di registrazione non valido.");
}

QString AccountingEntry::msgDataFuoriEsercizio()
{
    return QStringLiteral("La data di registrazione immessa non è conforme all'esercizio selezionato");
}

void AccountingEntry::Clear()
{
    m_key = 0;
    m_testata.reset();
    m_righe.clear();
}

AccountingEntry::Testata &AccountingEntry::testata()
{
    if (!m_testata)
        m_testata.emplace();
    return *m_testata;
}

bool AccountingEntry::Load(int idOggetto)
{
    Clear();
    if (idOggetto <= 0)
        return false;
    int header = 0;
    {
        Recordset rs = m_db.openRecordset(
            u"SELECT IDTestataMovimentoContabile, IDEsercizio, IDFiliale, DataRegistrazione, NumeroRegistrazione, "
            u"FatturainRitardo, Annotazioni, IDCausaleContabile, DescrizioneCausale, IDStatoPerCentroCP, "
            u"IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete FROM TestataMovimentoContabile WHERE "
            u"IDOggetto = "_qs +
            n(idOggetto));
        if (rs.eof())
            return false;
        header = rs.integer(u"IDTestataMovimentoContabile"_qs);
        Testata t;
        t.IDEsercizio = rs.integer(u"IDEsercizio"_qs);
        t.IDFiliale = rs.integer(u"IDFiliale"_qs);
        t.DataRegistrazione = dateOf(rs.field(u"DataRegistrazione"_qs));
        t.NumeroRegistrazione = rs.integer(u"NumeroRegistrazione"_qs);
        t.FatturainRitardo = rs.number(u"FatturainRitardo"_qs) != 0;
        t.Annotazioni = rs.text(u"Annotazioni"_qs);
        t.IDCausaleContabile = rs.integer(u"IDCausaleContabile"_qs);
        t.DescrizioneCausale = rs.text(u"DescrizioneCausale"_qs);
        t.IDStatoPerCentroCP = rs.integer(u"IDStatoPerCentroCP"_qs);
        t.IDUtenteUltimaVariazione = rs.integer(u"IDUtenteUltimaVariazione"_qs);
        t.DataUltimaVariazione = dateOf(rs.field(u"DataUltimaVariazione"_qs));
        t.VirtualDelete = rs.integer(u"VirtualDelete"_qs);
        m_testata = t;
    }
    Recordset rows = m_db.openRecordset(
        u"SELECT NumeroRiga, Importo, Segno, StampatoDefinitivo, IDContoPDC, DescrizioneAggiuntiva, "
        u"IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete FROM RigaMovimentoContabile WHERE "
        u"IDTestataMovimentoContabile = "_qs +
        n(header) + u" ORDER BY NumeroRiga"_qs);
    for (; !rows.eof(); rows.moveNext()) {
        Riga r;
        r.NumeroRiga = rows.integer(u"NumeroRiga"_qs);
        r.Importo = Money::fromVariant(rows.field(u"Importo"_qs));
        r.Segno = rows.text(u"Segno"_qs);
        r.StampatoDefinitivo = rows.number(u"StampatoDefinitivo"_qs) != 0;
        r.IDContoPDC = rows.integer(u"IDContoPDC"_qs);
        r.DescrizioneAggiuntiva = rows.text(u"DescrizioneAggiuntiva"_qs);
        r.IDUtenteUltimaVariazione = rows.integer(u"IDUtenteUltimaVariazione"_qs);
        r.DataUltimaVariazione = dateOf(rows.field(u"DataUltimaVariazione"_qs));
        r.VirtualDelete = rows.integer(u"VirtualDelete"_qs);
        m_righe.append(r);
    }
    m_key = idOggetto;
    return true;
}

bool AccountingEntry::DataInEsercizio(int idEsercizio, const QDate &data) const
{
    if (!data.isValid())
        return false;
    Recordset rs = m_db.openRecordset(u"SELECT DataInizio, DataFine FROM Esercizio WHERE IDEsercizio = "_qs +
                                      n(idEsercizio) + u" AND IDAzienda = "_qs + n(m_idAzienda));
    if (rs.eof())
        return false;
    const QDate from = dateOf(rs.field(u"DataInizio"_qs));
    const QDate to = dateOf(rs.field(u"DataFine"_qs));
    return from.isValid() && to.isValid() && data >= from && data <= to;
}

bool AccountingEntry::NumeroUtilizzato(int numero, int anno, int escluso) const
{
    // The statement of the books: the registration numbers of the company in the year of the
    // date; the entry itself does not count.
    const QVariant found = m_db.scalar(
        u"SELECT IDTestataMovimentoContabile FROM TestataMovimentoContabile"_qs +
        u" INNER JOIN Esercizio ON TestataMovimentoContabile.IDEsercizio = Esercizio.IDEsercizio"_qs +
        u" WHERE Esercizio.IDAzienda = "_qs + n(m_idAzienda) + u" AND TestataMovimentoContabile.IDOggetto <> "_qs +
        n(escluso) + u" AND NumeroRegistrazione = "_qs + n(numero) + u" AND DATEPART(year, DataRegistrazione) = "_qs +
        n(anno));
    return !found.isNull();
}

int AccountingEntry::ProssimoNumero(int anno) const
{
    const QVariant highest =
        m_db.scalar(u"SELECT MAX(NumeroRegistrazione) FROM TestataMovimentoContabile"_qs +
                    u" INNER JOIN Esercizio ON TestataMovimentoContabile.IDEsercizio = Esercizio.IDEsercizio"_qs +
                    u" WHERE Esercizio.IDAzienda = "_qs + n(m_idAzienda) +
                    u" AND DATEPART(year, DataRegistrazione) = "_qs + n(anno));
    return highest.isNull() ? 1 : highest.toInt() + 1;
}

void AccountingEntry::Save()
{
    const Testata &t = testata();
    if (!NumeroValido(t.NumeroRegistrazione))
        throw Refusal(msgNumeroNonValido());
    CheckTesti(t, m_righe);
    Transaction tx(m_db);
    // The company's fiscal years are ours until the end: two users booking at the same
    // moment take their turn, and the second one finds the first one's number.
    m_db.execute(u"UPDATE Esercizio SET IDEsercizio = IDEsercizio WHERE IDAzienda = "_qs + n(m_idAzienda));
    if (!DataInEsercizio(t.IDEsercizio, t.DataRegistrazione))
        throw Refusal(msgDataFuoriEsercizio());
    if (NumeroUtilizzato(t.NumeroRegistrazione, t.DataRegistrazione.year(), m_key))
        throw Refusal(msgNumeroUtilizzato());

    const SqlStatement user = n(t.IDUtenteUltimaVariazione > 0 ? t.IDUtenteUltimaVariazione : m_idUtente);
    const SqlStatement changed =
        sqlParam(t.DataUltimaVariazione.isValid() ? t.DataUltimaVariazione : QDate::currentDate());
    const SqlStatement values = n(t.IDEsercizio) + u", "_qs + keyOrNull(t.IDFiliale) + u", "_qs +
                                sqlParam(t.DataRegistrazione) + u", "_qs + n(t.NumeroRegistrazione) + u", "_qs +
                                (t.FatturainRitardo ? u"1"_qs : u"0"_qs) + u", "_qs + textOrNull(t.Annotazioni) +
                                u", "_qs + keyOrNull(t.IDCausaleContabile) + u", "_qs +
                                textOrNull(t.DescrizioneCausale) + u", "_qs + n(t.IDStatoPerCentroCP) + u", "_qs +
                                user + u", "_qs + changed + u", "_qs + n(t.VirtualDelete);
    int header = 0;
    if (m_key > 0) {
        header =
            m_db.scalar(u"SELECT IDTestataMovimentoContabile FROM TestataMovimentoContabile WHERE IDOggetto = "_qs +
                        n(m_key))
                .toInt();
    }
    if (header > 0) {
        m_db.execute(u"DELETE FROM TestataMovimentoContabile WHERE IDTestataMovimentoContabile = "_qs + n(header));
        m_db.execute(u"DELETE FROM RigaMovimentoContabile WHERE IDTestataMovimentoContabile = "_qs + n(header));
        m_db.execute(u"INSERT INTO TestataMovimentoContabile (IDTestataMovimentoContabile, IDOggetto, IDEsercizio, "
                     u"IDFiliale, DataRegistrazione, NumeroRegistrazione, FatturainRitardo, Annotazioni, "
                     u"IDCausaleContabile, DescrizioneCausale, IDStatoPerCentroCP, IDUtenteUltimaVariazione, "
                     u"DataUltimaVariazione, VirtualDelete) VALUES ("_qs +
                     n(header) + u", "_qs + n(m_key) + u", "_qs + values + u")"_qs);
    } else {
        // A new entry: its object key is its header's key.
        header =
            nextKey(m_db, u"TestataMovimentoContabile"_qs, u"IDTestataMovimentoContabile"_qs,
                    u"INSERT INTO TestataMovimentoContabile (IDEsercizio, IDFiliale, DataRegistrazione, "
                    u"NumeroRegistrazione, FatturainRitardo, Annotazioni, IDCausaleContabile, DescrizioneCausale, "
                    u"IDStatoPerCentroCP, IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES ("_qs +
                        values + u")"_qs);
        m_db.execute(u"UPDATE TestataMovimentoContabile SET IDOggetto = IDTestataMovimentoContabile WHERE "
                     u"IDTestataMovimentoContabile = "_qs +
                     n(header));
    }
    int line = 0;
    for (Riga &r : m_righe) {
        r.NumeroRiga = ++line;
        const SqlStatement rowUser = n(r.IDUtenteUltimaVariazione > 0 ? r.IDUtenteUltimaVariazione : m_idUtente);
        const SqlStatement rowChanged =
            sqlParam(r.DataUltimaVariazione.isValid() ? r.DataUltimaVariazione : QDate::currentDate());
        nextKey(m_db, u"RigaMovimentoContabile"_qs, u"IDRigaMovimentoContabile"_qs,
                u"INSERT INTO RigaMovimentoContabile (IDTestataMovimentoContabile, NumeroRiga, Importo, Segno, "
                u"StampatoDefinitivo, IDContoPDC, DescrizioneAggiuntiva, IDUtenteUltimaVariazione, "
                u"DataUltimaVariazione, VirtualDelete) VALUES ("_qs +
                    n(header) + u", "_qs + n(r.NumeroRiga) + u", "_qs + sqlParam(r.Importo) + u", "_qs +
                    sqlParam(r.Segno) + u", "_qs + (r.StampatoDefinitivo ? u"1"_qs : u"0"_qs) + u", "_qs +
                    keyOrNull(r.IDContoPDC) + u", "_qs + textOrNull(r.DescrizioneAggiuntiva) + u", "_qs + rowUser +
                    u", "_qs + rowChanged + u", "_qs + n(r.VirtualDelete) + u")"_qs);
    }
    tx.commit();
    m_key = header;
}

void AccountingEntry::CheckNote(const QString &field, const QString &note)
{
    checkText(field, note, u"RigaMovimentoContabile"_qs, u"DescrizioneAggiuntiva"_qs);
}

void AccountingEntry::CheckTesti(const Testata &t, const QList<Riga> &righe)
{
    checkText(u"Annotazioni"_qs, t.Annotazioni, u"TestataMovimentoContabile"_qs, u"Annotazioni"_qs);
    checkText(u"Causale"_qs, t.DescrizioneCausale, u"TestataMovimentoContabile"_qs, u"DescrizioneCausale"_qs);
    for (const Riga &r : righe) {
        checkText(u"Segno"_qs, r.Segno, u"RigaMovimentoContabile"_qs, u"Segno"_qs);
        CheckNote(u"Note"_qs, r.DescrizioneAggiuntiva);
    }
}

void AccountingEntry::Delete(Connection &db, int idOggetto)
{
    if (idOggetto <= 0)
        return;
    const QVariant header = db.scalar(
        u"SELECT IDTestataMovimentoContabile FROM TestataMovimentoContabile WHERE IDOggetto = "_qs + n(idOggetto));
    if (header.isNull())
        return;
    Transaction tx(db);
    db.execute(u"DELETE FROM RigaMovimentoContabile WHERE IDTestataMovimentoContabile = "_qs + n(header.toInt()));
    db.execute(u"DELETE FROM TestataMovimentoContabile WHERE IDTestataMovimentoContabile = "_qs + n(header.toInt()));
    tx.commit();
}

} // namespace liqiva
