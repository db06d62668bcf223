#pragma once

#include <QHash>
#include <QSqlQuery>
#include <QVariant>
#include <memory>

namespace liqiva {

// A forward-only result set that closes itself. Fields are read by name, case-insensitively
// (PostgreSQL folds unquoted names to lower case), or by position.
class Recordset {
public:
    Recordset() = default;
    // lease, when given, is the mark of a prepared statement kept by the connection: it is
    // set while the result set is open and cleared on close, so the statement is free again.
    explicit Recordset(std::shared_ptr<QSqlQuery> query, std::shared_ptr<bool> lease = {});
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
    QHash<QString, int> m_names; // lower-case name -> position
    bool m_eof = true;
};

// Converts a field value to a double; NULL and non-numeric values give 0.
double fieldToNumber(const QVariant &value);

} // namespace liqiva
