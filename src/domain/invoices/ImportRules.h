#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <vector>

namespace liqiva {

class Connection;

// The choices per supplier that an invoice cannot give ("Regole di importazione", kept per
// company; the file of `liqiva import --rules` over them): by the supplier's VAT number with
// its country ("IT01234567890").
struct SupplierRule {
    bool goods = false;   // goods for resale (the account class the split of receipts weighs)
    int undeductible = 0; // the undeductible percentage of its VAT (a code with it must exist)
    int branch = 0;       // the branch its purchases go to (0: the import's)
    bool operator==(const SupplierRule &) const = default;
};

struct ImportRules {
    QMap<QString, SupplierRule> suppliers;

    // {"suppliers": [{"vatNumber": "IT01234567890", "goods": true, "undeductible": 60,
    // "branch": 2}]}; a member it does not know is refused (Refusal) naming its path.
    static ImportRules fromJson(const QJsonObject &object);
    SupplierRule forSupplier(const QString &country, const QString &code) const;
    // The rules of other for their suppliers, whole, in place of these; the rest kept.
    void overrideWith(const ImportRules &other);
};

// A VAT number as the rules keep it: trimmed, upper case, with its country ("IT" when it
// starts with a digit). Throws Refusal naming what is wrong.
QString supplierKey(const QString &text);

// A rule as "Regole di importazione" shows it.
struct StoredRule {
    QString vatNumber;
    QString supplier; // the name on the supplier's last imported invoice, if any
    SupplierRule rule;
};

// The rules kept for one company (table RegolaImportazione).
class ImportRuleStore {
public:
    ImportRuleStore(Connection &db, int company) : m_db(db), m_company(company) {}

    ImportRules load();
    std::vector<StoredRule> list();
    // Sets the supplier's rule (a new one or in place of the old), in one transaction; a rule
    // that cannot apply (a percentage no VAT code has, a branch not of the company's
    // activities) is refused and nothing is written. A rule with nothing set is removed.
    void save(const QString &vatNumber, const SupplierRule &rule, int user);
    // Removes the supplier's rule; false when there was none.
    bool remove(const QString &vatNumber);
    // The branches of the company's activities, with their captions, for the choice of one.
    std::vector<std::pair<int, QString>> branches();

private:
    void check(const SupplierRule &rule);
    Connection &m_db;
    int m_company;
};

} // namespace liqiva
