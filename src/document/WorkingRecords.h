#pragma once

#include <QString>

namespace liqiva {

class Connection;

// The working rows of a user (VirtualDelete 2) and the rows set aside while a document is
// edited (VirtualDelete 3), in the settlement tables.
namespace WorkingRecords {

// At start-up and at the end of the program: every working row of the user goes.
void removeUserRows(Connection &db, int idUser);

// A document closed without saving: its working rows go, and the report data built for a
// settlement that no longer exists with them (a later settlement may get the same key).
void removeDocumentRows(Connection &db, int idUser, int idRisultatoLiquidazioneIva);

// A saved document: its working rows in a table become live; unless keepSetAside, the rows
// set aside for it (and their copies with the negated key) are deleted.
void confirmSaved(Connection &db, const QString &table, const QString &keyColumn, int key, int idUser,
                  bool keepSetAside = false);

} // namespace WorkingRecords
} // namespace liqiva
