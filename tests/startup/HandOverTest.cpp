#include "startup/Program.h"
#include "suite/HandOverStore.h"
#include "suite/StartupError.h"
#include "suite/UtilityServices.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace liqiva;

namespace {

TEST(HandOverInteger, AcceptsWholeNumbersAndNamesTheKeyOtherwise)
{
    struct {
        const char *text;
        bool ok;
        int value;
    } cases[] = {
        {"7", true, 7},
        {"-1", true, -1},
        {" 42 ", true, 42},
        {"+3", true, 3},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, // beyond 32 bits
        {"", false, 0},
        {"   ", false, 0},
        {"abc", false, 0},
        {"1.5", false, 0},
        {"12a", false, 0},
        {"0x10", false, 0},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        if (c.ok) {
            EXPECT_EQ(handOverInteger(u"IDUser"_qs, text), c.value) << c.text;
            continue;
        }
        try {
            handOverInteger(u"lIDBranch"_qs, text);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const StartupError &e) {
            EXPECT_TRUE(e.message().contains(u"lIDBranch"_qs)) << e.message().toStdString();
        }
    }
}

TEST(HandOverDbType, ParsesADecimalAndRoundsToTheNearest)
{
    struct {
        const char *text;
        std::optional<int> expected;
    } cases[] = {
        {"2", 2},
        {"1", 1},
        {"1.9", 2},
        {"1,9", 2},
        {"1.4", 1},
        {"1.5", 2},
        {"-1", -1},
        {"-0.6", -1},
        {"-0.4", 0},
        {" 2 ", 2},
        {".9", 1},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1e3", std::nullopt},
        {"99999", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(handOverDbType(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(CommandLine, DebugAnywhereAfterTheProgramName)
{
    struct {
        QStringList args;
        bool debug;
    } cases[] = {
        {{u"/x/liquidazione-iva"_qs}, false},
        {{u"/x/liquidazione-iva"_qs, u"Debug"_qs}, true},
        {{u"/x/liquidazione-iva"_qs, u"-a"_qs, u"Debug"_qs}, true},
        {{u"/x/liquidazione-iva"_qs, u"/Debug"_qs}, true},
        {{u"/x/liquidazione-iva"_qs, u"debug"_qs}, false}, // the word as the suite writes it
        {{u"/x/Debug/liquidazione-iva"_qs}, false},        // the program's own path does not count
    };
    for (const auto &c : cases)
        EXPECT_EQ(Program::commandLineHasDebug(c.args), c.debug) << c.args.join(u' ').toStdString();
    EXPECT_EQ(Program::executableName(u"/opt/brevanto/liquidazione-iva"_qs), u"liquidazione-iva"_qs);
    EXPECT_EQ(Program::executableName(u"C:/Brevanto/liquidazione-iva.exe"_qs), u"liquidazione-iva"_qs);
}

TEST(HandOverStoreTest, MatchesNamesWithoutRegardToCaseAndRemovesSections)
{
    QTemporaryDir dir;
    auto store = HandOverStore::inFolder(u"Brevanto"_qs, dir.path());
    store->write(u"DatiIva"_qs, u"IDUser"_qs, u"3"_qs);
    EXPECT_EQ(store->read(u"DATIIVA"_qs, u"iduser"_qs), u"3"_qs);
    store->write(u"DATIIVA"_qs, u"IDUSER"_qs, u"4"_qs); // the same key, not a second one
    EXPECT_EQ(store->keys(u"datiiva"_qs), QStringList{u"IDUser"_qs});
    EXPECT_EQ(store->read(u"DatiIva"_qs, u"IDUser"_qs), u"4"_qs);
    EXPECT_EQ(store->read(u"DatiIva"_qs, u"Missing"_qs, u"dflt"_qs), u"dflt"_qs);
    store->remove(u"DatiIva"_qs, u"Missing"_qs); // nothing to remove: no error
    store->write(u"Other"_qs, u"A"_qs, u"1"_qs);
    store->removeSection(u"datiiva"_qs);
    store->sync();
    EXPECT_FALSE(store->containsSection(u"DatiIva"_qs));
    EXPECT_TRUE(store->contains(u"Other"_qs, u"A"_qs));
    store->removeSection(QString()); // never the whole store
    EXPECT_TRUE(store->contains(u"Other"_qs, u"A"_qs));

    // A second store on the same folder (another process) sees the writes.
    auto again = HandOverStore::inFolder(u"Brevanto"_qs, dir.path());
    EXPECT_EQ(again->read(u"other"_qs, u"a"_qs), u"1"_qs);
}

TEST(UtilityServicesTest, ChosenKeyIsTheBoundKeyAsText)
{
    struct {
        QVariant key;
        const char *text;
    } cases[] = {
        {QVariant(), ""},           {QVariant(QMetaType(QMetaType::Int)), ""}, // a NULL key
        {QVariant(12), "12"},       {QVariant(12.0), "12"},
        {QVariant(-3LL), "-3"},     {QVariant(u" 15 "_qs), "15"},
        {QVariant(u"AB"_qs), "AB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UtilityServices::chosenKey(c.key).toStdString(), c.text);
}

} // namespace
