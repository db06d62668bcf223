// Pictures of every tab of a demo settlement, for a look at the layout: written only when
// LIQIVA_SCREENSHOTS names a folder.

#include "ChildFixture.h"

#include "gui/document/frmChild.h"
#include "support/ScriptedMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>

using namespace liqiva;
using namespace liqiva::test;

namespace {

struct Shot {
    const char *file;
    int activity;
    int month;
    int method;
};

TEST(Screenshots, EveryTabAtTwoSizes)
{
    const QString folder = qEnvironmentVariable("LIQIVA_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "LIQIVA_SCREENSHOTS not set";
    QDir().mkpath(folder);
    auto t = TestDatabase::create(Engine::Sqlite, Content::Demo);
    ScriptedMessages messages;
    const Shot shots[] = {
        {"shop-march", demo::Shop, 3, 0}, {"wholesale-q1", demo::Wholesale, 3, 0}, {"shop-advance", demo::Shop, 13, 2}};
    const QSize sizes[] = {{1260, 620}, {1600, 900}};
    for (const Shot &shot : shots) {
        const int key = newSettlement(t->db(), messages, shot.activity, demo::Year2024, shot.month, shot.method);
        frmChild child(contextOf(t->db(), messages));
        child.sbChildFill(key, false);
        auto *tabs = child.findChild<QTabWidget *>(u"stbLiquidazioneIva"_qs);
        ASSERT_NE(tabs, nullptr);
        for (const QSize &size : sizes) {
            child.resize(size);
            child.show();
            for (int i = 0; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i))
                    continue;
                tabs->setCurrentIndex(i);
                QCoreApplication::processEvents();
                const QString file = QStringLiteral("%1/%2-%3x%4-tab%5.png")
                                         .arg(folder, QString::fromLatin1(shot.file))
                                         .arg(size.width())
                                         .arg(size.height())
                                         .arg(i);
                EXPECT_TRUE(child.grab().save(file)) << file.toStdString();
            }
            // The sales strip of the wholesale trade has many sub-tabs.
            auto *sales = child.findChild<QTabWidget *>(u"stbVendite"_qs);
            tabs->setCurrentIndex(1);
            for (int i = 0; i < sales->count(); ++i) {
                if (!sales->isTabVisible(i))
                    continue;
                sales->setCurrentIndex(i);
                QCoreApplication::processEvents();
                child.grab().save(QStringLiteral("%1/%2-%3x%4-sales%5.png")
                                      .arg(folder, QString::fromLatin1(shot.file))
                                      .arg(size.width())
                                      .arg(size.height())
                                      .arg(i));
            }
        }
        child.close();
        child.sbRemoveTrashRecord();
    }
    std::fprintf(stderr, "%s\n", qPrintable(messages.texts().join(u'\n')));
}

} // namespace
