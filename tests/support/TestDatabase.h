#pragma once

#include "database/Connection.h"

#include <gtest/gtest.h>
#include <memory>

namespace liqiva::test {

enum class Content { Empty, Schema, Demo };

// A fresh database for one test, on either engine: an empty one, one with the schema, or
// one with the demo company. SQLite files live in a temporary folder; PostgreSQL databases
// are cloned from a template made once per test program.
class TestDatabase {
public:
    static std::unique_ptr<TestDatabase> create(Engine engine, Content content = Content::Schema);
    ~TestDatabase();

    Connection &db() { return *m_db; }
    // The location, for a second connection or another process.
    QString url() const { return m_url; }
    std::unique_ptr<Connection> connectAgain() const { return Connection::open(m_url); }

private:
    TestDatabase() = default;
    std::unique_ptr<Connection> m_db;
    QString m_url;
    QString m_file;
    QString m_pgName;
};

// Base of the tests that run once per engine.
class EngineTest : public ::testing::TestWithParam<Engine> {
protected:
    Engine engine() const { return GetParam(); }
};

std::string engineName(const ::testing::TestParamInfo<Engine> &info);

} // namespace liqiva::test

#define LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Suite)                                                             \
    INSTANTIATE_TEST_SUITE_P(Engines, Suite, ::testing::Values(liqiva::Engine::Sqlite, liqiva::Engine::Postgres), \
                             liqiva::test::engineName)
