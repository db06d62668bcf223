#pragma once

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

// A document closed without saving: its working rows go, and the report data built for a
// settlement that no longer exists with them (a later settlement may get the same key).
void removeDocumentRows(Connection &db, int idUser, int idRisultatoLiquidazioneIva);

// A saved document: its working rows in a table become live; unless keepSetAside, the rows
// set aside for it (and their copies with the negated key) are deleted.
void confirmSaved(Connection &db, const QString &table, const QString &keyColumn, int key, int idUser,
                  bool keepSetAside = false);

} // namespace WorkingRecords
} // namespace liqiva
