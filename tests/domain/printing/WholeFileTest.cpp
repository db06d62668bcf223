// The files of `liqiva print`, `export` and `communication` are written whole or not at all:
// a full disk (the kernel's file size limit in the child, EFBIG on the write), a target that
// is a device or a folder, an existing file without --yes. Nothing is recorded for a file
// that is not there (the register's page, the printed mark, the communicated marks), no
// partial file is left, and what was at the target stays as it was. A print paused while
// its settlement is deleted and its key taken by a new save records nothing; an output that
// cannot reach standard output is a failure.

#include "support/DemoDocumentTest.h"
#include "domain/printing/PrintFixture.h"
#include "support/InvoiceFiles.h"
#include "support/LiqivaRun.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <sys/stat.h>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The kernel refuses writes beyond 1 KiB in the child (SIGXFSZ ignored, so the write fails
// with EFBIG as on a full disk).
const QString fullDisk = u"trap '' XFSZ; ulimit -f 1"_qs;

bool isCharDevice(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode);
}

QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class WholeFileTest : public DemoDocumentTest {
protected:
    void SetUp() override
    {
        if (liqivaProgram().isEmpty())
            GTEST_SKIP() << "liqiva not built";
        DemoDocumentTest::SetUp();
        saveQuarter(1);
        january = db().scalar(u"SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva"
                              u" WHERE IDAttivitaAzienda = 1 AND IDMese = 1"_qs)
                      .toInt();
        ASSERT_GT(january, 0);
    }

    QStringList command(const QString &which, const QString &out) const
    {
        const QStringList common = {u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs};
        const QStringList target = {u"--out"_qs, out};
        if (which == u"print"_qs)
            return QStringList{u"print"_qs} + common + QStringList{u"--id"_qs, QString::number(january)} +
                   u"--definitive --register 5 --year 2024"_qs.split(u' ') + target;
        if (which == u"communication"_qs)
            return QStringList{u"communication"_qs} + common +
                   u"--company 1 --year 2024 --quarter 1"_qs.split(u' ') + target;
        // export FORMAT
        return QStringList{u"export"_qs} + common +
               QStringList{u"--id"_qs, QString::number(january), u"--format"_qs, which.section(u' ', 1)} + target;
    }

    // What a print or a communication records.
    int registerLastPage() { return storedLastPage(db(), {2, 0}, 2024); }
    int communicated() { return db().scalar(u"SELECT COUNT(*) FROM ComunicazioneLiquidazioneIva"_qs).toInt(); }
    void expectNothingRecorded()
    {
        EXPECT_EQ(registerLastPage(), -1) << "the register's page moved";
        EXPECT_FALSE(markedPrinted(db(), january)) << "marked printed";
        EXPECT_EQ(communicated(), 0) << "marked communicated";
    }

    int january = 0;
    QTemporaryDir home; // where the commands run, their settings kept apart from the files
};

TEST_P(WholeFileTest, AFullDiskOrAWrongTargetWritesAndRecordsNothing)
{
    enum Target { FullDisk, DevFull, Folder, ExistingFile };
    const struct {
        const char *command;
        Target target;
        const char *message; // on standard error
    } cases[] = {
        {"print", FullDisk, "non è stato scritto"},
        {"export pdf", FullDisk, "non è stato scritto"},
        {"export html", FullDisk, "non è stato scritto"},
        {"export odt", FullDisk, "non è stato scritto"},
        {"export xlsx", FullDisk, "non è stato scritto"},
        // the file, or the schema it is checked against, cannot be written
        {"communication", FullDisk, "non è stat"},
        {"print", DevFull, "non è un file regolare"},
        {"communication", DevFull, "non è un file regolare"},
        {"export html", Folder, "è una cartella"},
        {"communication", Folder, "è una cartella"},
        {"print", ExistingFile, "--yes"},
        {"communication", ExistingFile, "--yes"},
        {"export html", ExistingFile, "--yes"},
    };
    for (const auto &c : cases) {
        const QString which = QString::fromLatin1(c.command);
        SCOPED_TRACE(which.toStdString() + " target " + std::to_string(c.target));
        QTemporaryDir work;
        const QString out = c.target == DevFull  ? u"/dev/full"_qs
                            : c.target == Folder ? work.filePath(u"cartella"_qs)
                                                 : work.filePath(u"uscita"_qs);
        if (c.target == Folder)
            ASSERT_TRUE(QDir().mkpath(out));
        if (c.target == ExistingFile)
            ASSERT_TRUE(writeFile(out, "mio"));
        const QStringList before = folderSnapshot(work.path());
        const LiqivaRun r = runLiqiva(command(which, out), home.path(), c.target == FullDisk ? fullDisk : QString());
        expectFailure(r, 1);
        // On SQLite a full disk stops the database's own writes too, before the file.
        if (c.target != FullDisk || engine() == Engine::Postgres)
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        expectNothingRecorded();
        // Nothing left behind, no temporary file either; what was there is as it was.
        EXPECT_EQ(folderSnapshot(work.path()), before);
        if (c.target == DevFull)
            EXPECT_TRUE(isCharDevice(out)) << "the device was replaced";
        if (c.target == ExistingFile) {
            // With --yes the same command replaces it and records what it wrote.
            const LiqivaRun yes = runLiqiva(command(which, out) + QStringList{u"--yes"_qs}, home.path());
            ASSERT_EQ(yes.exitCode, 0) << yes.err.toStdString();
            EXPECT_NE(contentOf(out), QByteArray("mio"));
            EXPECT_TRUE(yes.out.contains(out)) << "the message names the file: " << yes.out.toStdString();
            if (which == u"print"_qs) {
                EXPECT_GT(registerLastPage(), 0);
                EXPECT_TRUE(markedPrinted(db(), january));
            } else if (which == u"communication"_qs) {
                EXPECT_EQ(communicated(), 8);
            }
            db().execute(u"DELETE FROM ProgressivoNumerazioneRegistro WHERE Anno = 2024"_qs);
            db().execute(u"UPDATE RisultatoLiquidazioneIva SET StampatoDefinitivo = 0"_qs);
            db().execute(u"DELETE FROM ComunicazioneLiquidazioneIva"_qs);
        }
    }
}

TEST_P(WholeFileTest, AnOutputThatCannotBeWrittenIsAFailure)
{
    const QStringList common = {u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs};
    const QStringList commands[] = {
        QStringList{u"list"_qs} + common + QStringList{u"--company"_qs, u"1"_qs},
        QStringList{u"show"_qs} + common + QStringList{u"--id"_qs, QString::number(january)},
        QStringList{u"year"_qs} + common + QStringList{u"--company"_qs, u"1"_qs, u"--year"_qs, u"2024"_qs},
        QStringList{u"settle"_qs} + common +
            QStringList{u"--activity"_qs, u"1"_qs, u"--vat-year"_qs, u"2024"_qs, u"--period"_qs, u"4"_qs, u"--yes"_qs},
    };
    for (const QStringList &args : commands) {
        SCOPED_TRACE(args.first().toStdString());
        const LiqivaRun r = runLiqiva(args, home.path(), u"exec >/dev/full"_qs);
        expectFailure(r, 1);
        EXPECT_TRUE(r.err.contains(u"standard output"_qs)) << r.err.toStdString();
    }
}

// The print reads the last saved settlement (the farm's first quarter), is stopped while it
// writes its file; another user deletes that settlement and saves the shop's April, which
// takes the freed key. The print then goes on and must record nothing.
TEST_P(WholeFileTest, APrintPausedWhileItsSettlementIsReplacedRecordsNothing)
{
    const int printed = db().scalar(u"SELECT MAX(IDRisultatoLiquidazioneIva) FROM RisultatoLiquidazioneIva"_qs).toInt();
    ASSERT_EQ(
        db().scalar(u"SELECT IDAttivitaAzienda FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                    {printed})
            .toInt(),
        4);
    QTemporaryDir work;
    const QStringList common = {u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs};
    const QString out = work.filePath(u"registro.pdf"_qs);
    QStringList args = command(u"print"_qs, out);
    args[args.indexOf(u"--id"_qs) + 1] = QString::number(printed);
    QProcess print;
    startLiqiva(print, args, home.path());
    // Stopped as soon as its file is being written: the settlement has been read.
    QElapsedTimer clock;
    clock.start();
    bool writing = false;
    while (!writing && clock.elapsed() < 60000 && print.state() != QProcess::NotRunning) {
        writing = !QDir(work.path()).entryList({u".registro.pdf.*"_qs}, QDir::Files | QDir::Hidden).isEmpty();
        if (!writing)
            QThread::usleep(200);
    }
    ASSERT_TRUE(writing) << "the print ended before it was caught writing: "
                         << print.readAllStandardError().toStdString();
    ::kill(pid_t(print.processId()), SIGSTOP);
    for (const QStringList &step :
         {QStringList{u"delete"_qs} + common + QStringList{u"--id"_qs, QString::number(printed), u"--yes"_qs},
          QStringList{u"settle"_qs} + common +
              QStringList{u"--activity"_qs, u"1"_qs, u"--vat-year"_qs, u"2024"_qs, u"--period"_qs, u"4"_qs,
                          u"--save"_qs, u"--yes"_qs}}) {
        const LiqivaRun r = runLiqiva(step, home.path());
        EXPECT_EQ(r.exitCode, 0) << step.first().toStdString() << ": " << r.err.toStdString();
    }
    EXPECT_EQ(
        db().scalar(u"SELECT IDMese FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs, {printed})
            .toInt(),
        4)
        << "April took the freed key";
    ::kill(pid_t(print.processId()), SIGCONT);
    ASSERT_TRUE(print.waitForFinished(120000));
    const QString err = QString::fromUtf8(print.readAllStandardError());
    EXPECT_EQ(print.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(u"è stata eliminata"_qs)) << err.toStdString();
    EXPECT_EQ(registerLastPage(), -1) << "the register's page moved";
    EXPECT_FALSE(markedPrinted(db(), printed)) << "April marked printed with the farm's pages";
    EXPECT_EQ(folderSnapshot(work.path()), QStringList()) << "a file was left";
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(WholeFileTest);

} // namespace
