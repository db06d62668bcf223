#pragma once

namespace liqiva {

class Connection;

// Creates every table, index and reference row the program reads or writes, on the
// connection's engine. Idempotent: running it on an existing database adds what is
// missing and changes nothing else.
void createSchema(Connection &db);

} // namespace liqiva
