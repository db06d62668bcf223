#pragma once

namespace liqiva {

class Connection;

// Fills a database (the schema is created first) with the demo company: its activities,
// VAT codes, VAT years 2023 to 2025 with counters for every month, users, banks, registers
// and configuration. Deterministic: the same rows every time. A scale above 1 adds further
// companies with the same shape, for the benchmarks.
void createDemo(Connection &db, int scale = 1);

} // namespace liqiva
