#pragma once

#include <QString>

struct sqlite3;

namespace liqiva {

// How SQLite keeps amounts exact. A currency column is TEXT holding the decimal as written
// ("1234.5", "-0.01"), compared by the collation IMPORTO, which orders decimal texts by
// their value exactly; SUM over such texts adds them exactly (an application function in
// place of the engine's own, which adds through a double). See the README's choices.

// The collation's name, as the schema writes it after a currency column's type.
inline constexpr const char *amountCollation = "IMPORTO";

// Installs the collation and the exact SUM on one open SQLite connection; throws DbError
// when the engine refuses them.
void installSqliteDecimal(sqlite3 *db);

// Compares two decimal texts by value: negative, zero or positive. Texts that are not plain
// decimals ("1e+20", "abc") compare by their double, and after every plain decimal when
// they are not numbers at all.
int compareDecimalTexts(QStringView a, QStringView b);

} // namespace liqiva
