#pragma once

#include "database/SqlValue.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

// The code fields of the payment data: a typed ABI, CAB or collection-agent code is looked
// up when the user leaves the field, and Control+R opens a search list. These are the
// lookups and the lists; the window only shows them.

struct AbiCode {
    int idAbi = 0;
    QString abi;
    QString banca;
};

struct CabCode {
    int idCab = 0;
    int idAbi = 0;
    QString cab;
    QString dipendenza;
};

struct CollectionAgent {
    int idConcessionarioEsattoriale = 0;
    int codiceConcessione = 0;
    QString name;
};

// The bank of an ABI code; none when no bank has it.
std::optional<AbiCode> findAbi(Connection &db, const QString &abi);
// The branch of a CAB code within a bank; none when the bank has no such branch.
std::optional<CabCode> findCab(Connection &db, int idAbi, const QString &cab);
// The collection agent of a concession code (a whole number up to 99999).
std::optional<CollectionAgent> findCollectionAgent(Connection &db, int codiceConcessione);

// A search list: its title, the statement, the columns shown with their headings and the
// key column; the chosen row fills the field.
struct CodeSearch {
    QString title;
    SqlStatement sql;
    QStringList columns;
    QStringList headings;
    QString keyColumn;
    QString codeColumn; // the column that goes into the field
};
CodeSearch abiSearch();
// The branches of one bank.
CodeSearch cabSearch(int idAbi);
CodeSearch collectionAgentSearch();

struct CodeSearchRow {
    int key = 0;
    QString code;
    QStringList values; // in the order of the search's columns
};
std::vector<CodeSearchRow> runSearch(Connection &db, const CodeSearch &search);

// The messages of the code fields.
QString msgAbiNotFound(const QString &abi);
QString msgCabNotFound(const QString &cab);
QString msgCollectionAgentNotFound(const QString &code);
QString msgAbiFirst();

} // namespace liqiva
