#pragma once

namespace liqiva {

// The database engine, numbered as the hand-over's DBType.
enum class Engine : int {
    Sqlite = 1,
    Postgres = 2,
};

} // namespace liqiva
