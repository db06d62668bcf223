#pragma once

#include "database/Engine.h"

#include <QString>

namespace liqiva {

// Translates a statement written in the suite's SQL into the dialect of an engine.
// A small tokenizer walks the text, so quoted strings and names are never touched:
//  - ISNULL(                         -> COALESCE(
//  - CONVERT(varchar(n), x), Str(x)  -> CAST(x AS TEXT), without padding
//  - '+' where an operand is text    -> '||'
//  - DATEPART(year, d), year(d)      -> the engine's year extraction
//  - AS 'alias'                      -> AS "alias"
//  - qualified ORDER BY names in a UNION -> bare result names
//  - "set dateformat mdy"            -> the engine's date-style setting, or nothing
// Everything else passes unchanged, the placeholders "?" included. An empty result means "nothing to run".
QString translateSql(const QString &sql, Engine engine);

} // namespace liqiva
