// The settlement form under the hands of a bookkeeper who types: dates in the usual short
// ways, Tab through the declaration grid, the code searches, Control+Z.

#include "ChildFixture.h"

#include "database/SqlValue.h"
#include "domain/document/DeclarationGrid.h"
#include "domain/document/InputText.h"
#include "domain/document/ReportReader.h"
#include "gui/document/CodeSearchDialog.h"
#include "gui/document/frmChild.h"
#include "support/ScriptedMessages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class TypingInTheForm : public FormTest<::testing::Test> {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        open(demo::Shop, 3);
        child->show();
        QApplication::setActiveWindow(child.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(child.get()));
    }
};

TEST_F(TypingInTheForm, DatesAreTakenInTheUsualShortFormsAndAWrongOneStaysToBeCorrected)
{
    showTab(u"Dati versamento"_qs);
    QLineEdit *date = find<QLineEdit>(u"dtaDataVersamentiPeriodici"_qs);
    const std::optional<QDate> &stored = child->document().payments().periodic.dataVersamento;
    struct {
        QString typed;
        std::optional<QDate> taken; // nothing: refused
    } cases[] = {
        {u"160724"_qs, QDate(2024, 7, 16)},
        {u"16072024"_qs, QDate(2024, 7, 16)},
        {u"16-07-2024"_qs, QDate(2024, 7, 16)},
        {u"310424"_qs, std::nullopt},
        {u"1607"_qs, std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        const std::optional<QDate> before = stored;
        messages.clear();
        date->setFocus();
        date->selectAll();
        QTest::keyClicks(date, c.typed);
        QTest::keyClick(date, Qt::Key_Tab); // on to the next box
        QCoreApplication::processEvents();
        if (c.taken) {
            EXPECT_TRUE(messages.texts().isEmpty());
            EXPECT_EQ(stored, c.taken);
            EXPECT_EQ(date->text(), formatDate(c.taken));
        } else {
            // Why, the text as typed, and the focus still there to correct it.
            EXPECT_EQ(messages.texts(), QStringList{msgInvalidDate(c.typed)});
            EXPECT_EQ(date->text(), c.typed);
            EXPECT_EQ(QApplication::focusWidget(), date);
            EXPECT_EQ(stored, before);
            QTest::keyClick(date, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(date->text(), formatDate(before));
        }
    }
}

TEST_F(TypingInTheForm, ControlZTakesBackTheLastAmountTypedIntoADeclarationCell)
{
    showTab(u"Liquidazione"_qs);
    auto *dip = find<QTableWidget>(u"spdDIP"_qs);
    const Money toPay = child->document().importoDaVersare();
    const QString before = dip->item(DeclarationGrid::VariazioniImposta, 1)->text();
    dip->setFocus();
    dip->setCurrentCell(DeclarationGrid::VariazioniImposta, 1);
    QTest::keyClick(dip, Qt::Key_2);
    QTest::keyClicks(QApplication::focusWidget(), u"50"_qs);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(dip->item(DeclarationGrid::VariazioniImposta, 1)->text(), u"250,00"_qs);
    ASSERT_NE(child->document().importoDaVersare(), toPay);

    dip->setFocus();
    QTest::keyClick(dip, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(dip->item(DeclarationGrid::VariazioniImposta, 1)->text(), before);
    EXPECT_EQ(child->document().importoDaVersare(), toPay);
}

TEST_F(TypingInTheForm, EachCodeSearchOpensByF4AndByItsButton)
{
    showTab(u"Dati versamento"_qs);
    find<QRadioButton>(u"optVerPer(0)"_qs)->click();
    QLineEdit *abi = find<QLineEdit>(u"txtCodABIPer"_qs);
    struct {
        const char *way;
        std::function<void()> open;
    } ways[] = {
        {"F4", [&] { QTest::keyClick(abi, Qt::Key_F4); }},
        {"the button", [&] { find<QAbstractButton>(u"cmdCercaCodABIPer"_qs)->click(); }},
    };
    for (const auto &w : ways) {
        QString title;
        QTimer::singleShot(0, [&] {
            if (auto *dialog = qobject_cast<CodeSearchDialog *>(QApplication::activeModalWidget())) {
                title = dialog->windowTitle();
                dialog->reject();
            }
        });
        abi->setFocus();
        w.open();
        QCoreApplication::processEvents();
        EXPECT_EQ(title, u"Ricerca codice ABI"_qs) << w.way;
    }
    // A place without codes: no search to open.
    find<QRadioButton>(u"optVerPer(2)"_qs)->click();
    EXPECT_FALSE(find(u"cmdCercaCodABIPer"_qs)->isEnabled());
}

TEST_F(TypingInTheForm, TheSummaryWritesItsPercentagesWithTheItalianDecimalComma)
{
    ReportHeader header;
    header.set(u"Art34DPRn63372"_qs, -1);
    header.set(u"PercProrata"_qs, *Money::parse(u"87.5"_qs));
    SummaryInputs inputs;
    inputs.compensation = {CompensationGroup{1, *Percent::parse(u"8.8"_qs), Money::units(1000), Money::units(88)},
                           CompensationGroup{2, Percent::points(4), Money::units(500), Money::units(20)}};
    QStringList captions;
    for (const SummaryLine &line : reportView(ReportRows(), header, inputs).credito)
        captions << line.description;
    for (const QString &expected : {u"% prorata 87,5"_qs, u"Compensazione al 8,8%"_qs, u"Compensazione al 4%"_qs})
        EXPECT_TRUE(captions.contains(expected))
            << expected.toStdString() << " in " << captions.join(u" | "_qs).toStdString();
}

} // namespace
