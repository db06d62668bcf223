#include "domain/invoices/ImportRules.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "suite/Percent.h"
#include "suite/Refusal.h"

#include <QDateTime>
#include <QJsonArray>
#include <QRegularExpression>

namespace liqiva {

QString supplierKey(const QString &text)
{
    QString vat = text.trimmed().toUpper().remove(u' ');
    if (!vat.isEmpty() && !vat.front().isLetter())
        vat.prepend(u"IT"_qs);
    static const QRegularExpression italian(u"^IT[0-9]{11}$"_qs), foreign(u"^[A-Z]{2}[0-9A-Z+*.]{2,28}$"_qs);
    if (vat.startsWith(u"IT"_qs) ? !italian.match(vat).hasMatch() : !foreign.match(vat).hasMatch())
        throw Refusal(QStringLiteral("\"%1\" non è una partita IVA: 11 cifre per un fornitore italiano, o il codice "
                                     "del paese seguito dal numero (come DE123456789).")
                          .arg(text.trimmed()));
    return vat;
}

ImportRules ImportRules::fromJson(const QJsonObject &object)
{
    ImportRules rules;
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.key() != u"suppliers"_qs)
            throw Refusal(QStringLiteral("regole: il membro %1 non è previsto").arg(it.key()));
    const QJsonArray list = object.value(u"suppliers"_qs).toArray();
    for (qsizetype k = 0; k < list.size(); ++k) {
        const QString at = QStringLiteral("suppliers[%1]").arg(k + 1);
        const QJsonObject o = list[k].toObject();
        SupplierRule r;
        QString vat;
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString key = it.key();
            if (key == u"vatNumber"_qs)
                vat = it.value().toString();
            else if (key == u"goods"_qs && it.value().isBool())
                r.goods = it.value().toBool();
            else if (key == u"undeductible"_qs && it.value().isDouble() && it.value().toDouble() >= 0 &&
                     it.value().toDouble() <= 100)
                r.undeductible = it.value().toInt();
            else if (key == u"branch"_qs && it.value().isDouble() && it.value().toInt() > 0)
                r.branch = it.value().toInt();
            else
                throw Refusal(QStringLiteral("regole: %1.%2 non è previsto o non ha un valore valido").arg(at, key));
        }
        if (vat.trimmed().isEmpty())
            throw Refusal(QStringLiteral("regole: %1.vatNumber manca").arg(at));
        try {
            rules.suppliers.insert(supplierKey(vat), r);
        } catch (const Refusal &e) {
            throw Refusal(QStringLiteral("regole: %1.vatNumber: %2").arg(at, e.message()));
        }
    }
    return rules;
}

SupplierRule ImportRules::forSupplier(const QString &country, const QString &code) const
{
    return suppliers.value(country + code);
}

void ImportRules::overrideWith(const ImportRules &other)
{
    for (auto it = other.suppliers.begin(); it != other.suppliers.end(); ++it)
        suppliers.insert(it.key(), it.value());
}

ImportRules ImportRuleStore::load()
{
    ImportRules rules;
    for (Recordset rs = m_db.openRecordset(u"SELECT PartitaIvaFornitore, MerciRivendita, PercIndetraibilita, "
                                           u"IDFiliale FROM RegolaImportazione WHERE IDAzienda = ? AND "
                                           u"VirtualDelete = 0"_qs,
                                           {m_company});
         !rs.eof(); rs.moveNext())
        rules.suppliers.insert(rs.text(u"PartitaIvaFornitore"_qs).trimmed(),
                               {rs.integer(u"MerciRivendita"_qs) != 0, rs.integer(u"PercIndetraibilita"_qs),
                                rs.isNull(u"IDFiliale"_qs) ? 0 : rs.integer(u"IDFiliale"_qs)});
    return rules;
}

std::vector<StoredRule> ImportRuleStore::list()
{
    std::vector<StoredRule> out;
    const ImportRules rules = load();
    for (auto it = rules.suppliers.begin(); it != rules.suppliers.end(); ++it) {
        // The name the supplier gave on its last invoice imported for the company.
        const QVariant name = m_db.scalar(
            u"SELECT MAX(Controparte) FROM FatturaImportata WHERE IDAzienda = ? AND PartitaIvaCedente = ? AND "
            u"IDFatturaImportata = (SELECT MAX(IDFatturaImportata) FROM FatturaImportata WHERE IDAzienda = ? AND "
            u"PartitaIvaCedente = ? AND Acquisto <> 0)"_qs,
            {m_company, it.key(), m_company, it.key()});
        out.push_back({it.key(), name.toString(), it.value()});
    }
    return out;
}

std::vector<std::pair<int, QString>> ImportRuleStore::branches()
{
    std::vector<std::pair<int, QString>> out;
    for (Recordset rs = m_db.openRecordset(
             u"SELECT Filiale.IDFiliale, Filiale.Filiale, AttivitaAzienda.AttivitaAzienda FROM Filiale INNER JOIN "
             u"AttivitaAzienda ON Filiale.IDAttivitaAzienda = AttivitaAzienda.IDAttivitaAzienda WHERE "
             u"Filiale.IDAzienda = ? AND Filiale.VirtualDelete = 0 ORDER BY Filiale.IDFiliale"_qs,
             {m_company});
         !rs.eof(); rs.moveNext())
        out.emplace_back(
            rs.integer(u"IDFiliale"_qs),
            QStringLiteral("%1 (%2)").arg(rs.text(u"Filiale"_qs).trimmed(), rs.text(u"AttivitaAzienda"_qs).trimmed()));
    return out;
}

void ImportRuleStore::check(const SupplierRule &rule)
{
    if (rule.undeductible < 0 || rule.undeductible > 100)
        throw Refusal(QStringLiteral("La percentuale indetraibile %1 non è tra 0 e 100: nulla è stato scritto.")
                          .arg(rule.undeductible));
    if (rule.undeductible > 0) {
        bool found = false;
        for (Recordset rs = m_db.openRecordset(
                 u"SELECT PercIndetraibilita FROM Iva WHERE VirtualDelete = 0 AND PercIndetraibilita IS NOT NULL"_qs);
             !rs.eof() && !found; rs.moveNext())
            found = Percent::fromVariant(rs.field(u"PercIndetraibilita"_qs)) == Percent::points(rule.undeductible);
        if (!found)
            throw Refusal(QStringLiteral("Nessun codice IVA ha l'IVA indetraibile al %1%: crearlo prima (come "
                                         "22D40 per il 22% indetraibile al 40%). Nulla è stato scritto.")
                              .arg(rule.undeductible));
    }
    if (rule.branch != 0) {
        bool found = false;
        for (const auto &b : branches())
            found = found || b.first == rule.branch;
        if (!found)
            throw Refusal(QStringLiteral("La filiale %1 non è di un'attività dell'azienda %2: nulla è stato scritto.")
                              .arg(rule.branch)
                              .arg(m_company));
    }
}

void ImportRuleStore::save(const QString &vatNumber, const SupplierRule &rule, int user)
{
    const QString vat = supplierKey(vatNumber);
    if (rule == SupplierRule{}) {
        remove(vat);
        return;
    }
    check(rule);
    const QDateTime now = QDateTime::currentDateTime();
    Transaction tx(m_db);
    // A new row, or in place of the supplier's rule when there is one: also of the rule another
    // user writes at the same moment, whose row the insert meets in the unique index.
    nextKey(m_db, u"RegolaImportazione"_qs, u"IDRegolaImportazione"_qs,
            u"INSERT INTO RegolaImportazione (IDAzienda, PartitaIvaFornitore, MerciRivendita, PercIndetraibilita, "
            u"IDFiliale, VirtualDelete, DataUltimaVariazione, IDUtenteUltimaVariazione) VALUES (?, ?, ?, ?, ?, 0, ?, "
            u"?) ON CONFLICT (IDAzienda, PartitaIvaFornitore) DO UPDATE SET MerciRivendita = excluded.MerciRivendita, "
            u"PercIndetraibilita = excluded.PercIndetraibilita, IDFiliale = excluded.IDFiliale, VirtualDelete = 0, "
            u"DataUltimaVariazione = excluded.DataUltimaVariazione, "
            u"IDUtenteUltimaVariazione = excluded.IDUtenteUltimaVariazione"_qs,
            {m_company, vat, rule.goods ? 1 : 0, rule.undeductible, rule.branch, now, user});
    tx.commit();
}

bool ImportRuleStore::remove(const QString &vatNumber)
{
    return m_db.execute(u"DELETE FROM RegolaImportazione WHERE IDAzienda = ? AND PartitaIvaFornitore = ?"_qs,
                        {m_company, supplierKey(vatNumber)}) > 0;
}

} // namespace liqiva
