#include "database/SqlValue.h"
#include "domain/communication/CommunicationFixture.h"
#include "gui/communication/frmComunicazioneLiqIva.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class CommunicationDialog : public CommunicationTest {};

// The bookkeeper opens the window on the first quarter with the shop's February not saved:
// the window says so and will not write; once February is saved the preview shows four
// modules with the figures that go in the file (the file's refusal and its validation are
// the communication's domain tests).
TEST_P(CommunicationDialog, ShowsWhatIsMissingThenWritesTheFile)
{
    for (int month : {1, 3})
        save(1, month);
    for (int month : {1, 2, 3})
        save(3, month);
    save(2, 3);
    save(4, 3);

    frmComunicazioneLiqIva dialog(db(), messages, 1, 2024, 1);
    auto *missing = dialog.findChild<QListWidget *>(u"lstMancanti"_qs);
    auto *preview = dialog.findChild<QTableWidget *>(u"spdModuli"_qs);
    auto *generate = dialog.findChild<QPushButton *>(u"cmdGenera"_qs);
    ASSERT_TRUE(missing && preview && generate);
    ASSERT_EQ(missing->count(), 1);
    EXPECT_TRUE(missing->item(0)->text().contains(u"febbraio 2024 dell'attività 'Negozio al dettaglio'"_qs));
    EXPECT_FALSE(generate->isEnabled());

    save(1, 2);
    dialog.refresh();
    EXPECT_EQ(missing->count(), 0);
    EXPECT_TRUE(generate->isEnabled());
    ASSERT_EQ(preview->columnCount(), 4);
    const int vp12 = int(frmComunicazioneLiqIva::rowCaptions().indexOf(u"VP12 Interessi dovuti"_qs));
    EXPECT_EQ(preview->item(0, 3)->text(), u"Trimestre 1"_qs);
    EXPECT_EQ(preview->item(vp12, 3)->text(), u"43,18"_qs);
    EXPECT_EQ(preview->item(vp12, 0)->text(), QString()); // no interest in a month
    EXPECT_TRUE(dialog.writeTo(folder.filePath(u"q1.xml"_qs)));
}

// Written from the window, the quarter says when it was communicated (the marks, a second
// writing and the year's states are the communication's domain tests).
TEST_P(CommunicationDialog, WritingMarksTheQuarterCommunicated)
{
    saveQuarter(1);
    save(1, 4);
    frmComunicazioneLiqIva dialog(db(), messages, 1, 2024, 1);
    dialog.setUser(1);
    auto *communicated = dialog.findChild<QLabel *>(u"lblComunicata"_qs);
    ASSERT_TRUE(communicated);
    EXPECT_EQ(communicated->text(), u"no"_qs);
    const QString path = folder.filePath(u"q1.xml"_qs);
    // A user who may not save sees the quarter but does not write it (the marks are a write).
    dialog.setMayWrite(false);
    EXPECT_FALSE(dialog.findChild<QPushButton *>(u"cmdGenera"_qs)->isEnabled());
    EXPECT_FALSE(dialog.writeTo(path));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(messages.texts().last().contains(u"Diritti non sufficienti"_qs));
    EXPECT_EQ(db().scalar(u"SELECT COUNT(*) FROM ComunicazioneLiquidazioneIva"_qs).toInt(), 0);
    dialog.setMayWrite(true);
    ASSERT_TRUE(dialog.writeTo(path));
    EXPECT_TRUE(messages.texts().last().contains(u"8 liquidazioni segnate come comunicate"_qs))
        << messages.texts().last().toStdString();
    EXPECT_TRUE(communicated->text().startsWith(u"il "_qs)) << communicated->text().toStdString();
    EXPECT_TRUE(communicated->text().endsWith(u"q1.xml"_qs)) << communicated->text().toStdString();
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(CommunicationDialog);

} // namespace
