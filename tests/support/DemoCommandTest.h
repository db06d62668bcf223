#pragma once

#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace liqiva::test {

// The fixture of the tests that run the built liqiva on the demo database with input files:
// skipped where the program is not built, a fresh demo database on each engine, a folder of
// its own for the files, and the commands they run as user 1.
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

    // liqiva settle --yes --json of a period of the VAT year, with `input` as its file.
    QStringList settleArgs(int activity, int period, const QByteArray &input = {}, bool save = true, int year = 2024)
    {
        QStringList args = u"settle --user 1 --activity %1 --vat-year %2 --period %3 --yes --json"_qs.arg(activity)
                               .arg(year)
                               .arg(period)
                               .split(u' ');
        args.insert(1, u"--db"_qs);
        args.insert(2, t->url());
        if (!input.isEmpty())
            args << u"--input"_qs << inputFile(input);
        if (save)
            args << u"--save"_qs;
        return args;
    }
    LiqivaRun settle(int activity, int period, const QByteArray &input = {}, bool save = true, int year = 2024)
    {
        return runLiqiva(settleArgs(activity, period, input, save, year), work.path());
    }
    LiqivaRun show(int id)
    {
        return runLiqiva(
            {u"show"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs, QString::number(id), u"--json"_qs},
            work.path());
    }
    LiqivaRun remove(int id)
    {
        return runLiqiva({u"delete"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--id"_qs, QString::number(id)},
                         work.path());
    }
    // Commands started at the same moment; their exit codes and standard errors.
    std::vector<std::pair<int, QString>> together(const QList<QStringList> &runs)
    {
        std::vector<std::unique_ptr<QProcess>> ps;
        for (const QStringList &args : runs) {
            auto p = std::make_unique<QProcess>();
            p->setWorkingDirectory(work.path());
            p->start(liqivaProgram(), args);
            ps.push_back(std::move(p));
        }
        std::vector<std::pair<int, QString>> out;
        for (auto &p : ps) {
            EXPECT_TRUE(p->waitForFinished(120000));
            out.emplace_back(p->exitCode(), QString::fromUtf8(p->readAllStandardError()));
        }
        return out;
    }

    static QJsonObject json(const LiqivaRun &r) { return QJsonDocument::fromJson(r.rawOut).object(); }
    int count(const QString &sql) { return t->db().scalar(sql).toInt(); }
    double amount(const QString &sql) { return t->db().scalar(sql).toDouble(); }
    // The amount of one type of result of settlement `id`.
    double typed(int id, int type)
    {
        return t->db()
            .scalar(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = ? AND "
                    u"IDTipoRisultatoLiquidazioneIva = ?"_qs,
                    {id, type})
            .toDouble();
    }

    std::unique_ptr<TestDatabase> t;
    QTemporaryDir work;
    int files = 0;
};

} // namespace liqiva::test
