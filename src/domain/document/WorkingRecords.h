#pragma once

#include <QList>
#include <functional>
#include <QPair>
#include <QSet>
#include <QString>

namespace liqiva {

class Connection;

// The working rows of a user (VirtualDelete 2) and the rows set aside while a document is
// edited (VirtualDelete 3), in the settlement tables.
namespace WorkingRecords {

// At start-up and at the end of the program: every working row of the user goes.
void removeUserRows(Connection &db, int idUser);

// The working settlements that nobody holds any more (their process ended without closing
// them: a crash, a kill, a closed pipe), with everything written for them: typed amounts,
// report rows and header, compensation rows and other operations. `held` are the keys that a
// live session of the usage register holds. Also the typed amounts and report rows whose
// settlement no longer exists. Returns the number of settlements removed.
int removeAbandoned(Connection &db, const QSet<int> &held);
// The same, asking who holds what inside its own transaction, after it read the working rows.
int removeAbandoned(Connection &db, const std::function<QSet<int>()> &heldKeys);

// A document closed without saving: its working rows go, and the report data built for a
// settlement that no longer exists with them (a later settlement may get the same key).
void removeDocumentRows(Connection &db, int idUser, int idRisultatoLiquidazioneIva);

// A saved document: its working rows in a table become live; unless keepSetAside, the rows
// set aside for it (and their copies with the negated key) are deleted.
void confirmSaved(Connection &db, const QString &table, const QString &keyColumn, int key, int idUser,
                  bool keepSetAside = false);

// The rows a document set aside while it is edited, for one user. A row set aside keeps
// VirtualDelete 3; a copy kept of a row as it was before the edit has the negated key of the
// row it copies (fnInsertDuplicateWithNegativeKey). Every function below runs in one
// transaction and touches only the given user's rows.

// Copies the row whose key columns have the given values, with its own key ("ID" + table)
// negated and VirtualDelete set to virtualDelete; NULL fields stay NULL. Returns the key of
// the copy, 0 when there is no such row.
int fnInsertDuplicateWithNegativeKey(Connection &db, const QString &table, const QList<QPair<QString, int>> &keys,
                                     int virtualDelete, int idUser);

// A document closed without saving: its working rows go, every copy kept of a row is written
// back over the row (or, when the row has gone meanwhile, put back in its place), and the rows
// set aside are live again. keyColumn names the document's key in the table.
void sbUpdateTableWhenUnloadChild(Connection &db, const QString &table, const QString &keyColumn, int key,
                                  int idUser);

// Every edit of the user in the table given up: the negative rows and the working rows go, the
// rows set aside are live again.
void sbTableUndo(Connection &db, const QString &table, int idUser);

// Every edit of the user in the table kept: a row whose VirtualDelete is negative carries the
// values of the row whose key is the negation of that VirtualDelete, which takes them; then the
// negative rows and the rows set aside go and the working rows become live.
void sbAdjustTable(Connection &db, const QString &table, int idUser);

} // namespace WorkingRecords
} // namespace liqiva
