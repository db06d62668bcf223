#pragma once

#include <QString>

namespace liqiva {

class Connection;

// What createDemo did.
struct DemoSummary {
    bool created = false;      // false: the demo was already there and nothing changed
    int companies = 0;         // companies in the database after the call
    long long counterRows = 0; // rows of ContatoreIva written by this call
    QString message;           // one line for the user
};

// Fills a database (the schema is created first) with the demo company: its activities,
// VAT codes, VAT years 2023 to 2025 with counters for every month, users, banks, registers
// and configuration. Deterministic: the same rows every time. A scale above 1 adds further
// companies with the same shape, for the benchmarks. The keys are listed in DemoCompany.cpp.
//
// On a database that already holds the demo with at least that many companies nothing is
// changed (created is false). A database holding other companies, or a smaller demo, is
// refused with a DbError and left as it was. Everything runs in one transaction.
DemoSummary createDemo(Connection &db, int scale = 1);

} // namespace liqiva
