#pragma once

// Runs the built liqiva (LIQIVA_BIN_DIR, set by CTest) as a child process and checks what a
// person would see of a failure.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace liqiva::test {

struct LiqivaRun {
    bool finished = false;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
    QString err;
    QByteArray rawOut;
    QByteArray rawErr;
};

inline QString liqivaProgram()
{
    const QString bin = qEnvironmentVariable("LIQIVA_BIN_DIR");
    const QString program = bin + u"/liqiva"_qs;
    return !bin.isEmpty() && QFileInfo(program).isExecutable() ? program : QString();
}

// Starts liqiva in the folder work (its settings kept there too). With a shell prefix the
// command runs through bash after it ("ulimit -f 1", "exec >/dev/full").
inline void startLiqiva(QProcess &p, const QStringList &args, const QString &work, const QString &shellPrefix = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"LIQIVA_SETTINGS_DIR"_qs, work);
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(work);
    if (shellPrefix.isEmpty())
        p.start(liqivaProgram(), args);
    else
        p.start(u"bash"_qs, QStringList{u"-c"_qs, shellPrefix + u"; exec \"$0\" \"$@\""_qs, liqivaProgram()} + args);
}

// Waits for a started liqiva and collects what it said. The limit only keeps a hung child
// from hanging the tests: a PostgreSQL server that does not answer gives up after its connect
// time-out of ten seconds.
inline LiqivaRun finishLiqiva(QProcess &p)
{
    LiqivaRun r;
    r.finished = p.waitForFinished(300000);
    if (!r.finished) {
        p.kill();
        p.waitForFinished();
    }
    r.status = p.exitStatus();
    r.exitCode = p.exitCode();
    r.rawOut = p.readAllStandardOutput();
    r.rawErr = p.readAllStandardError();
    r.out = QString::fromUtf8(r.rawOut);
    r.err = QString::fromUtf8(r.rawErr);
    return r;
}

// Runs liqiva in the folder work (see startLiqiva) and waits for it.
inline LiqivaRun runLiqiva(const QStringList &args, const QString &work, const QString &shellPrefix = {})
{
    QProcess p;
    startLiqiva(p, args, work, shellPrefix);
    return finishLiqiva(p);
}

// The engines' own English words, which may only appear in brackets after our sentence.
inline const QStringList &rawEngineTexts()
{
    static const QStringList texts = {u"file is not a database"_qs, u"no such table"_qs,
                                      u"database is locked"_qs,     u"readonly database"_qs,
                                      u"unable to open"_qs,         u"connection refused"_qs,
                                      u"could not connect"_qs,      u"no such file or directory"_qs,
                                      u"timeout expired"_qs,        u"does not exist"_qs,
                                      u"unable to connect"_qs,      u"connection to server"_qs};
    return texts;
}

// A text with its bracketed parts taken out (nested brackets included).
inline QString outsideBrackets(const QString &text)
{
    QString kept;
    int depth = 0;
    for (QChar c : text) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        else if (depth == 0)
            kept += c;
    }
    return kept;
}

// A failure as a person must see it: ended by itself with the exit code, not by a signal;
// a message on standard error in readable UTF-8, without bare carriage returns or a
// password, whose English engine words (if any) stand in brackets after an Italian sentence.
inline void expectFailure(const LiqivaRun &r, int exitCode, const QString &secret = u"segreta"_qs)
{
    ASSERT_TRUE(r.finished) << "liqiva did not end";
    EXPECT_EQ(r.status, QProcess::NormalExit) << "liqiva ended by a signal";
    EXPECT_EQ(r.exitCode, exitCode) << r.err.toStdString();
    EXPECT_FALSE(r.err.trimmed().isEmpty()) << "no message on standard error";
    EXPECT_TRUE(r.out.isEmpty() || exitCode == 1) << r.out.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.rawErr).toUtf8(), r.rawErr) << "standard error is not UTF-8";
    EXPECT_FALSE(r.rawErr.contains('\r')) << "carriage return on standard error";
    EXPECT_FALSE(r.rawOut.contains('\r')) << "carriage return on standard output";
    EXPECT_FALSE(r.err.contains(secret)) << "the password is shown: " << r.err.toStdString();
    // the reason is a line of its own, named after the command (the system's messages and
    // questions may come before it)
    EXPECT_TRUE(r.err.startsWith(u"liqiva"_qs) || r.err.contains(u"\nliqiva"_qs)) << r.err.toStdString();
    const QString bare = outsideBrackets(r.err).toLower();
    for (const QString &english : rawEngineTexts())
        EXPECT_FALSE(bare.contains(english)) << "engine text outside brackets: " << r.err.toStdString();
    if (exitCode == 2)
        EXPECT_TRUE(r.err.contains(u"uso: liqiva"_qs)) << "no usage after a bad argument";
}

// Names, sizes and contents of the files under a folder, to see that a command changed
// nothing there.
inline QStringList folderSnapshot(const QString &folder)
{
    QStringList lines;
    QDir dir(folder);
    const auto entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &fi : entries) {
        if (fi.isDir()) {
            lines << fi.fileName() + u"/"_qs;
            for (const QString &inner : folderSnapshot(fi.filePath()))
                lines << fi.fileName() + u"/"_qs + inner;
            continue;
        }
        QFile f(fi.filePath());
        QByteArray content;
        if (f.open(QIODevice::ReadOnly))
            content = f.read(1 << 20);
        lines << QStringLiteral("%1 %2 %3").arg(fi.fileName()).arg(fi.size()).arg(qHash(content));
    }
    return lines;
}

} // namespace liqiva::test
