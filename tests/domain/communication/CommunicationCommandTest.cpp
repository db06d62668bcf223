#include "domain/communication/SchemaValidator.h"
#include "support/LiqivaRun.h"

#include "CommunicationFixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class CommunicationCommand : public CommunicationTest {};

// liqiva communication as a bookkeeper runs it: the user's right to save is checked (the marks
// are a write) like the other commands do, a refusal exits 1 with the reason and leaves no file, bad arguments
// exit 2, and a complete quarter gives a file that validates.
TEST_P(CommunicationCommand, WritesOnlyAValidatedFile)
{
    if (liqivaProgram().isEmpty())
        GTEST_SKIP() << "liqiva not built";
    // The first quarter is complete; the second has nothing saved.
    saveQuarter(1);
    const struct {
        const char *name;
        const char *user, *quarter;
        int exitCode;
        const char *message; // on standard error or standard output
    } cases[] = {
        {"a complete quarter", "1", "1", 0, "4 moduli scritti"},
        {"a quarter not settled", "1", "2", 1, "aprile 2024 dell'attività 'Negozio al dettaglio' non è salvata"},
        {"a user without rights", "4", "1", 1, "liqiva communication:"},
        // the marks are a write
        {"a user that may only search", "2", "1", 1, "Diritti non sufficienti per creare o salvare"},
        {"a user that does not exist", "99", "1", 1, "L'utente 99 non esiste"},
        {"a fifth quarter", "1", "5", 2, "--quarter"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder.filePath(QString::fromLatin1(c.name).replace(u' ', u'_') + u".xml"_qs);
        const LiqivaRun r = runLiqiva({u"communication"_qs, u"--db"_qs, t->url(), u"--user"_qs,
                                       QString::fromLatin1(c.user), u"--company"_qs, u"1"_qs, u"--year"_qs, u"2024"_qs,
                                       u"--quarter"_qs, QString::fromLatin1(c.quarter), u"--out"_qs, path},
                                      folder.path());
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(c.message))) << (r.out + r.err).toStdString();
        EXPECT_EQ(QFile::exists(path), c.exitCode == 0);
        if (c.exitCode == 0) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(SchemaValidator::periodicCommunication().validate(f.readAll()), QStringList());
        }
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(CommunicationCommand);

} // namespace
