#pragma once

#include "database/SqlValue.h"

#include <QString>
#include <QStringList>

namespace liqiva {

class Connection;

// Inserts rows of the suite's tables for one user: a new key for each (the largest plus one,
// the next one again when another user took it meanwhile), the audit columns filled, every
// value bound. Meant to run inside a transaction.
class RowWriter {
public:
    RowWriter(Connection &db, int user) : m_db(db), m_user(user) {}

    // Inserts the row and gives its key. columns and values go in the same order, without the
    // key and the audit columns.
    int insert(const QString &table, const QString &keyColumn, const QStringList &columns, const SqlParams &values);

    Connection &db() { return m_db; }
    int user() const { return m_user; }

private:
    Connection &m_db;
    int m_user;
};

} // namespace liqiva
