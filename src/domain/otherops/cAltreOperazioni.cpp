#include "domain/otherops/cAltreOperazioni.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"
#include "suite/Rounding.h"
#include "suite/TextCheck.h"

#include <QDateTime>
#include <QMap>
#include <algorithm>

namespace liqiva {

cAltreOperazioni::cAltreOperazioni(Connection &db) : m_db(&db) {}

// ---- rows and cursor -------------------------------------------------------------------

void cAltreOperazioni::reindex()
{
    m_visible.clear();
    m_greatest = 0;
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].status != Status::Deleted) {
            m_visible.append(i);
            m_greatest = std::max(m_greatest, m_rows[i].data.IDAltreOperazioniPerAcconto);
        }
    }
    m_groupsStale = true;
}

int cAltreOperazioni::Count() const
{
    return static_cast<int>(visibleRows().size());
}

QVector<AltraOperazione> cAltreOperazioni::DocumentData() const
{
    QVector<AltraOperazione> out;
    for (int i : visibleRows())
        out.append(m_rows[i].data);
    return out;
}

int cAltreOperazioni::currentIndex() const
{
    const QVector<int> &v = visibleRows();
    return m_pos >= 0 && m_pos < v.size() ? v[m_pos] : -1;
}

void cAltreOperazioni::moved()
{
    if (m_lockMove)
        return;
    const int i = currentIndex();
    if (i < 0)
        return;
    m_buffer = m_rows[i].data;
}

void cAltreOperazioni::MoveFirst()
{
    m_pos = Count() > 0 ? 0 : -1;
    moved();
}

void cAltreOperazioni::MoveLast()
{
    m_pos = Count() - 1;
    moved();
}

void cAltreOperazioni::MoveNext()
{
    if (m_pos < Count())
        ++m_pos;
    moved();
}

void cAltreOperazioni::MovePrevious()
{
    if (m_pos >= 0)
        --m_pos;
    moved();
}

bool cAltreOperazioni::hasPendingChanges() const
{
    return std::any_of(m_rows.cbegin(), m_rows.cend(), [](const Row &r) { return r.status != Status::Unchanged; });
}

// ---- grouping ---------------------------------------------------------------------------

void cAltreOperazioni::GroupAltreOperazioni()
{
    m_groupsStale = true;
    groups();
}

const cAltreOperazioni::Groups &cAltreOperazioni::groups() const
{
    if (!m_groupsStale)
        return m_groups;
    m_groupsStale = false;
    m_groups = Groups();
    // By rate, in the order of the rates; rows of one rate are summed.
    QMap<int, AltreOperazioniGruppo> byRate;
    for (int i : visibleRows()) {
        const AltraOperazione &r = m_rows[i].data;
        AltreOperazioniGruppo &g = byRate[r.IDIva];
        g.IDIva = r.IDIva;
        g.DescrizioneSuRegistroIVA = r.DescrizioneSuRegistroIVA;
        g.Imponibile += r.Imponibile;
        g.Imposta += r.Imposta;
    }
    for (const AltreOperazioniGruppo &g : byRate) {
        m_groups.rows.append(g);
        m_groups.totaleImponibile += g.Imponibile;
        m_groups.totaleImposta += g.Imposta;
    }
    return m_groups;
}

// ---- editing ----------------------------------------------------------------------------

void cAltreOperazioni::validate(int idRisultato, int idIva)
{
    if (idRisultato < 1)
        throw Refusal(msgNoSettlement());
    if (idIva < 1)
        throw Refusal(msgNoRate());
}

void cAltreOperazioni::Add()
{
    m_adding = true;
    m_buffer = AltraOperazione();
}

void cAltreOperazioni::CheckAnnotazioni(const QString &field, const QString &text)
{
    checkText(field, text, u"AltreOperazioniPerAcconto"_qs, u"Annotazioni"_qs);
}

bool cAltreOperazioni::Save()
{
    validate(m_idRisultato, m_buffer.IDIva);
    CheckAnnotazioni(u"Note"_qs, m_buffer.Annotazioni);
    // The rate's code and description for display; a rate that does not exist is refused
    // like a missing one.
    auto rate = m_rateTexts.constFind(m_buffer.IDIva);
    if (rate == m_rateTexts.constEnd()) {
        Recordset rs = m_db->openRecordset(u"SELECT Iva, DescrizioneSuRegistroIVA FROM Iva WHERE IDIva = ?"_qs,
                                           {sqlValue(m_buffer.IDIva)});
        if (rs.eof())
            throw Refusal(msgNoRate());
        rate = m_rateTexts.insert(m_buffer.IDIva, {rs.text(u"Iva"_qs), rs.text(u"DescrizioneSuRegistroIVA"_qs)});
    }
    const auto &[iva, descrizione] = *rate;
    int index = currentIndex();
    if (m_adding || index < 0) {
        Row row;
        row.status = Status::New;
        row.data.IDAltreOperazioniPerAcconto = ++m_greatest;
        m_rows.append(row);
        index = static_cast<int>(m_rows.size()) - 1;
        m_visible.append(index);
        m_pos = static_cast<int>(m_visible.size()) - 1;
    } else if (m_rows[index].status == Status::Unchanged) {
        m_rows[index].status = Status::Modified;
    }
    AltraOperazione &d = m_rows[index].data;
    d.IDRisultatoLiquidazioneIva = m_idRisultato;
    d.IDIva = m_buffer.IDIva;
    d.Imponibile = m_buffer.Imponibile;
    d.Imposta = m_buffer.Imposta;
    d.Annotazioni = m_buffer.Annotazioni;
    d.Iva = iva;
    d.DescrizioneSuRegistroIVA = descrizione;
    m_adding = false;
    // back on the saved row (m_pos already points at it)
    m_buffer = d;
    m_groupsStale = true;
    return true;
}

void cAltreOperazioni::UndoModified()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    Row &row = m_rows[index];
    if (row.status == Status::New) {
        m_rows.removeAt(index);
        reindex();
        if (m_pos >= Count())
            m_pos = Count() - 1;
    } else if (row.status == Status::Modified) {
        row.data = row.original;
        row.status = Status::Unchanged;
    }
    moved();
    m_groupsStale = true;
}

void cAltreOperazioni::Delete()
{
    const int index = currentIndex();
    if (index < 0)
        return;
    if (m_rows[index].status == Status::New) {
        m_rows.removeAt(index);
    } else {
        m_rows[index].data = m_rows[index].original; // a deleted row goes as it was stored
        m_rows[index].status = Status::Deleted;
    }
    reindex();
    if (m_pos >= Count())
        m_pos = Count() - 1;
    moved();
}

void cAltreOperazioni::DeleteAll()
{
    QVector<Row> kept;
    for (Row &row : m_rows) {
        if (row.status == Status::New)
            continue;
        row.data = row.original; // a deleted row goes as it was stored
        row.status = Status::Deleted;
        kept.append(row);
    }
    m_rows = kept;
    m_adding = false;
    reindex();
    m_pos = -1;
    moved();
}

// ---- database ---------------------------------------------------------------------------

void cAltreOperazioni::Refresh()
{
    m_rows.clear();
    m_rateTexts.clear();
    m_adding = false;
    Recordset rs = m_db->openRecordset(
        u"SELECT AltreOperazioniPerAcconto.*, Iva.Iva, Iva.DescrizioneSuRegistroIVA FROM AltreOperazioniPerAcconto LEFT JOIN Iva ON AltreOperazioniPerAcconto.IDIva = Iva.IDIva WHERE IDRisultatoLiquidazioneIva = ? ORDER BY AltreOperazioniPerAcconto.IDAltreOperazioniPerAcconto"_qs,
        {sqlValue(m_idRisultato)});
    for (; !rs.eof(); rs.moveNext()) {
        Row row;
        AltraOperazione &d = row.data;
        d.IDAltreOperazioniPerAcconto = rs.integer(u"IDAltreOperazioniPerAcconto"_qs);
        d.IDRisultatoLiquidazioneIva = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
        d.IDIva = rs.integer(u"IDIva"_qs);
        d.Imponibile = Money::fromVariant(rs.field(u"Imponibile"_qs));
        d.Imposta = Money::fromVariant(rs.field(u"Imposta"_qs));
        d.Annotazioni = rs.text(u"Annotazioni"_qs);
        d.Iva = rs.text(u"Iva"_qs);
        d.DescrizioneSuRegistroIVA = rs.text(u"DescrizioneSuRegistroIVA"_qs);
        row.original = d;
        m_rows.append(row);
    }
    m_loadedKey = m_idRisultato;
    m_buffer = AltraOperazione();
    reindex();
    MoveFirst();
}

bool cAltreOperazioni::ConfirmModified()
{
    // Rows loaded for another settlement (the settlement was saved under a new key) are
    // written again under the new key; deletions there do not touch the old settlement.
    const bool newKey = m_loadedKey != m_idRisultato;
    struct Pending {
        Status status;
        AltraOperazione data;
    };
    QVector<Pending> deletes, updates, inserts;
    for (const Row &row : m_rows) {
        Status s = row.status;
        if (newKey)
            s = s == Status::Deleted ? Status::Unchanged : Status::New;
        switch (s) {
        case Status::Unchanged:
            break;
        case Status::Deleted:
            deletes.append({s, row.data});
            break;
        case Status::Modified:
            updates.append({s, row.data});
            break;
        case Status::New:
            inserts.append({s, row.data});
            break;
        }
    }
    if (deletes.isEmpty() && updates.isEmpty() && inserts.isEmpty()) {
        Refresh();
        return true;
    }
    for (const Pending &p : updates + inserts) {
        validate(m_idRisultato, p.data.IDIva);
        CheckAnnotazioni(u"Note"_qs, p.data.Annotazioni);
    }
    if (!deletes.isEmpty())
        validate(m_idRisultato, 1);

    const SqlStatement key = sqlParam(m_idRisultato);
    const auto rowCondition = [&](const AltraOperazione &d) {
        return u" WHERE IDRisultatoLiquidazioneIva = "_qs + key + u" AND IDAltreOperazioniPerAcconto = "_qs +
               sqlParam(d.IDAltreOperazioniPerAcconto);
    };
    const SqlStatement user = sqlParam(m_idUtente);
    const SqlStatement now = sqlParam(QDateTime::currentDateTime());
    Transaction tx(*m_db);
    // Deletions first, so that a number freed and taken again in the same batch is free.
    for (const Pending &p : deletes)
        m_db->execute(u"DELETE FROM AltreOperazioniPerAcconto"_qs + rowCondition(p.data));
    for (const Pending &p : updates) {
        // A row removed meanwhile by someone else is simply not updated.
        m_db->execute(u"UPDATE AltreOperazioniPerAcconto SET IDIva = "_qs + sqlParam(p.data.IDIva) +
                      u", Imponibile = "_qs + sqlParam(p.data.Imponibile) + u", Imposta = "_qs +
                      sqlParam(p.data.Imposta) + u", Annotazioni = "_qs + sqlParam(p.data.Annotazioni) +
                      u", IDUtenteUltimaVariazione = "_qs + user + u", DataUltimaVariazione = "_qs + now +
                      rowCondition(p.data));
    }
    for (const Pending &p : inserts) {
        m_db->execute(
            u"INSERT INTO AltreOperazioniPerAcconto (IDAltreOperazioniPerAcconto, IDRisultatoLiquidazioneIva, "
            "IDIva, Imponibile, Imposta, Annotazioni, IDUtenteUltimaVariazione, DataUltimaVariazione, "
            "VirtualDelete) VALUES ("_qs +
            sqlParam(p.data.IDAltreOperazioniPerAcconto) + u", "_qs + key + u", "_qs + sqlParam(p.data.IDIva) +
            u", "_qs + sqlParam(p.data.Imponibile) + u", "_qs + sqlParam(p.data.Imposta) + u", "_qs +
            sqlParam(p.data.Annotazioni) + u", "_qs + user + u", "_qs + now + u", 0)"_qs);
    }
    tx.commit();
    Refresh();
    return true;
}

std::optional<Money> cAltreOperazioni::CalcolaImposta(Money imponibile, Percent aliquotaIva, bool decimali)
{
    if (imponibile.isZero())
        return std::nullopt;
    return decimali ? aliquotaIva.of(imponibile, Step::Cent, RoundMode::HalfAwayFromZero)
                    : aliquotaIva.of(imponibile, Step::Lira, RoundMode::HalfUp);
}

QVector<cAltreOperazioni::Aliquota> cAltreOperazioni::AliquoteDetraibili(Connection &db)
{
    QVector<Aliquota> list;
    Recordset rs = db.openRecordset(
        u"SELECT Iva.IDIva, Iva.Iva, Iva.DescrizioneSuRegistroIVA FROM Iva WHERE PercIndetraibilita = 0 OR "
        u"PercIndetraibilita IS NULL"_qs);
    for (; !rs.eof(); rs.moveNext())
        list.append({rs.integer(u"IDIva"_qs), rs.field(u"Iva"_qs).toString(),
                     rs.field(u"DescrizioneSuRegistroIVA"_qs).toString()});
    return list;
}

Percent cAltreOperazioni::AliquotaIva(Connection &db, int idIva)
{
    return Percent::fromVariant(db.scalar(u"SELECT AliquotaIva FROM Iva WHERE IDIva = ?"_qs, {sqlValue(idIva)}));
}

std::optional<int> cAltreOperazioni::IDIvaDaCodice(Connection &db, const QString &codice)
{
    for (const Aliquota &a : AliquoteDetraibili(db)) {
        if (a.Iva.trimmed().compare(codice.trimmed(), Qt::CaseInsensitive) == 0)
            return a.IDIva;
    }
    return std::nullopt;
}

} // namespace liqiva
