#pragma once

#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QTemporaryDir>

namespace liqiva::test {

// The fixture of the tests that run the built liqiva on the demo database with input files:
// skipped where the program is not built, a fresh demo database on each engine, a folder of
// its own for the files.
class DemoCommandTest : public EngineTest {
protected:
    void SetUp() override
    {
        if (liqivaProgram().isEmpty())
            GTEST_SKIP() << "LIQIVA_BIN_DIR does not hold liqiva";
        t = TestDatabase::create(engine(), Content::Demo);
    }

    // A file of the work folder holding `json`, a new name each time.
    QString inputFile(const QByteArray &json)
    {
        const QString path = work.filePath(QStringLiteral("input%1.json").arg(++files));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(json);
        return path;
    }

    std::unique_ptr<TestDatabase> t;
    QTemporaryDir work;
    int files = 0;
};

} // namespace liqiva::test
