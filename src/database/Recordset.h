#pragma once

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <memory>
#include <vector>

namespace liqiva {

// The column names of a result, looked up without regard to case (PostgreSQL folds unquoted
// names to lower case) and without making a lower-case copy of the name looked up. Made once
// per prepared statement and shared by its result sets.
class FieldNames {
public:
    explicit FieldNames(const QSqlRecord &record);
    int indexOf(const QString &name) const; // -1 when there is no such column
    int distinctCount() const { return int(m_index.size()); }
    int columnCount() const { return int(m_names.size()); }
    QString name(int index) const { return index >= 0 && index < columnCount() ? m_names[index] : QString(); }

    // A name compared and hashed with its ASCII letters folded to lower case.
    struct Caseless {
        QString text;
        bool operator==(const Caseless &other) const;
    };

private:
    static constexpr size_t linearLookup = 8; // up to this many columns, no hashing
    std::vector<QString> m_names;
    QHash<Caseless, int> m_index; // the first column of each name
};
size_t qHash(const FieldNames::Caseless &key, size_t seed = 0) noexcept;

// A forward-only result set that closes itself. Fields are read by name, case-insensitively
// (PostgreSQL folds unquoted names to lower case), or by position.
class Recordset {
public:
    Recordset() = default;
    // lease, when given, is the mark of a prepared statement kept by the connection: it is
    // set while the result set is open and cleared on close, so the statement is free again.
    // names, when given, is the statement's cell for its column names: filled by the first
    // result set and read by the next ones.
    explicit Recordset(std::shared_ptr<QSqlQuery> query, std::shared_ptr<bool> lease = {},
                       std::shared_ptr<std::shared_ptr<const FieldNames>> names = {});
    Recordset(Recordset &&) noexcept = default;
    // The result set it replaces is closed first (its statement freed for the connection).
    Recordset &operator=(Recordset &&other) noexcept;
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;
    ~Recordset();

    bool eof() const { return m_eof; }
    void moveNext();
    void close();

    int fieldCount() const;
    QString fieldName(int index) const;
    bool hasField(const QString &name) const;
    QVariant field(const QString &name) const; // throws DbError for an unknown name
    QVariant field(int index) const;
    // The field as a number, NULL giving 0, as the suite's field-to-number service does.
    double number(const QString &name) const;
    double number(int index) const;
    int integer(const QString &name) const;
    QString text(const QString &name) const;
    bool isNull(const QString &name) const;

private:
    int indexOf(const QString &name) const;

    std::shared_ptr<QSqlQuery> m_query;
    std::shared_ptr<bool> m_lease;
    std::shared_ptr<const FieldNames> m_names;
    bool m_eof = true;
};

// Converts a field value to a double; NULL and non-numeric values give 0.
double fieldToNumber(const QVariant &value);

} // namespace liqiva
