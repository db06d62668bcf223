#include "startup/Program.h"
#include "suite/HandOverStore.h"
#include "suite/StartupError.h"

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
        {" 42 ", true, 42}, {"-1", true, -1},  {"2147483648", false, 0}, // beyond 32 bits
        {"", false, 0},     {"1.5", false, 0}, {"12a", false, 0},
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

} // namespace
