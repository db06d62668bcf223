#include "gui/document/frmChild.h"

#include "database/DbError.h"
#include "domain/credits/CreditoAutotrasportatori.h"
#include "domain/document/DeclarationEdit.h"
#include "domain/document/DocumentCredits.h"
#include "domain/document/InputText.h"
#include "domain/otherops/cAltreOperazioni.h"
#include "domain/prorata/cDatiProRata.h"
#include "gui/common/Failures.h"
#include "gui/common/ReadOnlyDialog.h"
#include "gui/credits/frmCIC.h"
#include "gui/credits/frmCreUse.h"
#include "gui/credits/frmCreditoAnnuale.h"
#include "gui/credits/frmCreditoAutotrasportatori.h"
#include "gui/credits/frmProsp.h"
#include "gui/declarations/frmCADI.h"
#include "gui/declarations/frmDatiDip.h"
#include "gui/document/F24Frame.h"
#include "gui/document/PaymentFrame.h"
#include "gui/document/SideTabWidget.h"
#include "gui/otherops/frmAltreOperazioni.h"
#include "gui/prorata/frmDatiProRata.h"
#include "suite/Messages.h"

#include <QAbstractButton>
#include <QAbstractItemDelegate>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <functional>

namespace liqiva {

namespace {

const QStringList threeColumns = {u"Descrizione I.V.A."_qs, u"Imponibile"_qs, u"Imposta"_qs};
const QString percentHeading = u"% Rip."_qs;

// The columns of the declaration grid.
constexpr int DipDescription = 0;
constexpr int DipDebit = 1;
constexpr int DipCredit = 2;

// Width of an amount column: "9.999.999.999,99" with room to spare.
constexpr int AmountWidth = 125;

QTableWidget *readOnlyGrid(const QString &name, const QStringList &headings, QWidget *parent)
{
    auto *grid = new QTableWidget(0, int(headings.size()), parent);
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(headings);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab leaves the grid: the arrows move inside it.
    grid->setTabKeyNavigation(false);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    QHeaderView *header = grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->setDefaultAlignment(Qt::AlignCenter);
    for (int c = 1; c < grid->columnCount(); ++c)
        grid->setColumnWidth(c, headings[c] == percentHeading ? 80 : AmountWidth);
    return grid;
}

// A button that cannot be used says why in its tooltip; enabled, it shows its own tooltip.
void enableSayingWhy(QAbstractButton *button, bool enabled, const QString &whyNot)
{
    if (!button->property("ownToolTip").isValid())
        button->setProperty("ownToolTip", button->toolTip());
    button->setEnabled(enabled);
    button->setToolTip(enabled ? button->property("ownToolTip").toString() : whyNot);
}

QString msgReadOnly()
{
    return u"Diritti non sufficienti per modificare la liquidazione."_qs;
}

// The declaration cells' editor: Tab and Shift+Tab take what was typed and go on to the
// next (previous) cell that takes typing, as they do when no editor is open, never to a
// description.
class DeclarationCellDelegate : public QStyledItemDelegate {
public:
    DeclarationCellDelegate(std::function<void(int)> onTab, QObject *parent)
        : QStyledItemDelegate(parent), m_onTab(std::move(onTab))
    {
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            const auto *k = static_cast<QKeyEvent *>(event);
            if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
                !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
                const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
                Q_EMIT commitData(editor);
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
                m_onTab(back ? -1 : 1);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    std::function<void(int)> m_onTab;
};

QTableWidgetItem *textItem(const QString &text, bool bold)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (bold) {
        QFont f = item->font();
        f.setBold(true);
        item->setFont(f);
    }
    return item;
}

QTableWidgetItem *amountItem(const QString &text, bool bold)
{
    QTableWidgetItem *item = textItem(text, bold);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QLineEdit *amountBox(const QString &name, QWidget *parent)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setFocusPolicy(Qt::ClickFocus);
    box->setMinimumWidth(AmountWidth - 25);
    box->setMaximumWidth(AmountWidth + 30);
    // Shown, not typed: the colour of the window, as a label.
    QPalette p = box->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    box->setPalette(p);
    return box;
}

// A grid is empty when it has no line of its own and its totals are nil.
bool isEmptyGrid(const DetailGrid &grid)
{
    for (const GridLine &line : grid.lines) {
        if (!line.total)
            return false;
        for (const std::optional<Money> &amount : line.amounts)
            if (amount && !amount->isZero())
                return false;
    }
    return true;
}

// A page that keeps its fields at their size: where the window is smaller, it scrolls.
QWidget *scrolled(QWidget *page)
{
    auto *area = new QScrollArea;
    area->setObjectName(page->objectName() + u"Scroll"_qs);
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

// Where a caption marks its access key: the "&" before the letter ("&&" is an ampersand), or -1.
qsizetype accessKeyAt(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) != u'&')
            return i;
        ++i;
    }
    return -1;
}

// The letter a caption marks as its access key (lower case), or nothing.
QChar accessKeyOf(const QString &caption)
{
    const qsizetype at = accessKeyAt(caption);
    return at < 0 ? QChar() : caption.at(at + 1).toLower();
}

// The caption without its access key (the words stay as they are).
QString withoutAccessKey(QString caption)
{
    if (const qsizetype at = accessKeyAt(caption); at >= 0)
        caption.remove(at, 1);
    return caption;
}

struct SubTab {
    const char *grid;
    const char *caption;
};

const SubTab purchaseTabs[] = {
    {Grid::Acquisti, "Ac&quisti vari"},
    {Grid::AcquistiSosp, "&Iva non esigibile"},
    {Grid::PagamentiSosp, "Pa&gamento Fatt. DPR 633/72"},
    {Grid::AcquistiSplit, "Fatture con Split Payment"},
};

const SubTab salesTabs[] = {
    {Grid::Vendite, "Fatt&ure emesse"},
    {Grid::VenditeSosp, "Fa&tture con iva non esigibile"},
    {Grid::IncassoSosp, "Incassi fatt. DPR &633/72"},
    {Grid::AutoCEE, "Auto&fatture CEE"},
    {Grid::AltreOperazioni, "Altre opera&zioni a debito"},
    {Grid::AutoReverse, " Autofatture  &reverse charge"},
    {Grid::VenditeSplit, "Fatture con Split Payment"},
    {Grid::VenditeSospSplit, "Fatture sospese Split Payment"},
    {Grid::IncassoSospSplit, "Incassi fatt. sosp. Split Payment"},
};

} // namespace

frmChild::frmChild(const DocumentContext &context, QWidget *parent)
    : QWidget(parent), m_ctx(context), m_doc(std::make_unique<SettlementDocument>(context))
{
    setObjectName(u"frmChild"_qs);
    build();
    showDocument();
}

void frmChild::sbGestioneProRata()
{
    if (key() <= 0)
        return;
    cDatiProRata &p = m_doc->proRata();
    const Percent before = p.PercProRata();
    frmDatiProRata dialog(p, m_ctx.messages, m_doc->euro(), m_readOnly, this);
    dialog.exec();
    if (dialog.Booked())
        m_doc->rowChangedHere();
    if (p.PercProRata() != before || dialog.Changed()) {
        const bool changed = m_changed;
        refillDocument();
        setChanged(changed || dialog.Changed());
    }
}

void frmChild::sbGestioneAltreOperazioni()
{
    if (key() <= 0 || !m_doc->otherOperationsEnabled())
        return;
    cAltreOperazioni &ops = m_doc->altreOperazioni();
    frmAltreOperazioni dialog(m_ctx.db, ops, m_ctx.messages, m_doc->euro(), m_readOnly, this);
    dialog.exec();
    ops.UndoAdd();
    if (dialog.Changed()) {
        ops.GroupAltreOperazioni();
        refillDocument();
        setChanged(true);
    }
}

void frmChild::sbDatiDip()
{
    if (key() <= 0)
        return;
    bool modified = false;
    if (m_doc->annualCommunication()) {
        frmCADI dialog(m_ctx.db, m_doc->datiCadi(), m_doc->euro(), m_ctx.messages, this);
        if (m_readOnly)
            lockForReading(dialog);
        dialog.exec();
        modified = dialog.Modify();
    } else {
        frmDatiDip dialog(m_ctx.db, m_doc->datiDip(), m_doc->soggettoRimborso(), m_doc->euro(), m_ctx.messages, this);
        if (m_readOnly)
            lockForReading(dialog);
        dialog.exec();
        modified = dialog.Modify();
    }
    if (modified && !m_readOnly) {
        m_doc->declarationDataChanged(m_doc->annualCommunication());
        setChanged(true);
    }
}

void frmChild::sbCreditoAutotrasportatori()
{
    if (key() <= 0 || !m_doc->truckersCreditEnabled())
        return;
    runShowingFailures(m_ctx.messages, [&] {
        std::unique_ptr<CreditoAutotrasportatori> credit = m_doc->truckersCredit();
        frmCreditoAutotrasportatori dialog(*credit, m_ctx.messages, m_doc->euro(), this);
        if (m_readOnly)
            lockForReading(dialog);
        if (dialog.exec() != QDialog::Accepted || m_readOnly)
            return;
        if (m_doc->applyTruckersCredit(*credit)) {
            showDocument();
            setChanged(true);
        }
    });
}

frmChild::~frmChild()
{
    // The boxes and the cell being edited go first, while the document they write into is
    // still there: leaving a box takes what is typed in it.
    const QSignalBlocker quiet(this);
    m_loading = true;
    delete m_tabs;
}

SettlementDocument &frmChild::document()
{
    return *m_doc;
}

// ---- building ------------------------------------------------------------------------------

void frmChild::build()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(u"stbLiquidazioneIva"_qs);
    m_tabs->addTab(buildPurchases(), u"&Acquisti"_qs);
    m_tabs->addTab(buildSales(), u"V&endite"_qs);
    m_pageCorrispettivi = new QWidget;
    {
        auto *layout = new QVBoxLayout(m_pageCorrispettivi);
        layout->addWidget(detailGrid(Grid::Corrispettivi, threeColumns));
    }
    m_tabs->addTab(m_pageCorrispettivi, u"&Corrispettivi"_qs);
    m_pageDaVentilare = new QWidget;
    {
        auto *layout = new QVBoxLayout(m_pageDaVentilare);
        layout->addWidget(detailGrid(Grid::CorrispettiviDaVentilare,
                                     threeColumns + QStringList{u"Importo Lordo"_qs, percentHeading, u"Acquisti"_qs}));
    }
    m_tabs->addTab(m_pageDaVentilare, u"C&orrisp. da vent."_qs);
    m_tabs->addTab(buildSummary(), u"&Riepilogo"_qs);
    m_tabs->addTab(scrolled(buildDeclaration()), u"Li&quidazione"_qs);
    m_tabs->addTab(scrolled(buildPayments()), u" &Dati versamento"_qs);

    // Header and tabs scroll together where the window is too small for them (many windows
    // tiled): below this size the fields would be squeezed past reading.
    auto *content = new QWidget;
    content->setObjectName(u"fraContenuto"_qs);
    content->setMinimumSize(400, 330);
    auto *contentLayout = new QVBoxLayout(content);
    contentLayout->addWidget(buildHeader());
    contentLayout->addWidget(m_tabs, 1);
    auto *area = new QScrollArea(this);
    area->setObjectName(u"fraContenutoScroll"_qs);
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
}

QWidget *frmChild::buildHeader()
{
    auto *frame = new QGroupBox(this);
    frame->setObjectName(u"fraTitolo"_qs);
    auto label = [frame](const char *name) {
        auto *l = new QLabel(frame);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        // In a narrow window the text goes on a second line rather than out of sight.
        l->setWordWrap(true);
        return l;
    };
    m_lblPeriodoIva = label("lblPeriodoIva");
    m_lblPeriodo = label("lblPeriodo");
    m_lblTipoLiquidazione = label("lblTipoLiquidazione");
    m_lblAttivita = label("lblAttivita");
    auto *grid = new QGridLayout(frame);
    grid->addWidget(m_lblPeriodoIva, 0, 0);
    grid->addWidget(m_lblPeriodo, 0, 1);
    grid->addWidget(m_lblTipoLiquidazione, 1, 0);
    grid->addWidget(m_lblAttivita, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 2);
    return frame;
}

QTableWidget *frmChild::detailGrid(const char *name, const QStringList &headings)
{
    QTableWidget *grid = readOnlyGrid(QString::fromLatin1(name), headings, this);
    m_grids.insert(grid->objectName(), grid);
    return grid;
}

QWidget *frmChild::buildPurchases()
{
    m_stbAcquisti = new SideTabWidget;
    m_stbAcquisti->setObjectName(u"stbAcquisti"_qs);
    for (const SubTab &tab : purchaseTabs)
        m_stbAcquisti->addTab(detailGrid(tab.grid, threeColumns), QString::fromUtf8(tab.caption));
    return m_stbAcquisti;
}

QWidget *frmChild::buildSales()
{
    m_stbVendite = new SideTabWidget;
    m_stbVendite->setObjectName(u"stbVendite"_qs);
    for (const SubTab &tab : salesTabs) {
        const QStringList headings = QString::fromLatin1(tab.grid) == QString::fromLatin1(Grid::AltreOperazioni)
                                         ? QStringList{u"Descrizione"_qs, u"Imponibile"_qs, u"Imposta"_qs}
                                         : threeColumns;
        m_stbVendite->addTab(detailGrid(tab.grid, headings), QString::fromUtf8(tab.caption));
    }
    return m_stbVendite;
}

QWidget *frmChild::buildSummary()
{
    auto *page = new QWidget;
    const QStringList headings = {u"Descrizione"_qs, u"Importo"_qs};

    auto *credit = new QGroupBox(u"Credito"_qs, page);
    credit->setObjectName(u"fraCredito"_qs);
    m_spdCredito = readOnlyGrid(u"spdCredito"_qs, headings, credit);
    m_cmdCreditoAutotrasportatori = new QPushButton(u"Credito a&utotrasportatori..."_qs, credit);
    m_cmdCreditoAutotrasportatori->setObjectName(u"cmdCreditoAutotrasportatori"_qs);
    connect(m_cmdCreditoAutotrasportatori, &QPushButton::clicked, this, &frmChild::sbCreditoAutotrasportatori);
    auto *creditLayout = new QVBoxLayout(credit);
    creditLayout->addWidget(m_spdCredito, 1);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_cmdCreditoAutotrasportatori);
    creditLayout->addLayout(buttonRow);

    auto *debit = new QGroupBox(u"Debito"_qs, page);
    debit->setObjectName(u"fraDebito"_qs);
    m_spdDebito = readOnlyGrid(u"spdDebito"_qs, headings, debit);
    auto *debitLayout = new QVBoxLayout(debit);
    debitLayout->addWidget(m_spdDebito, 1);

    // Side by side where there is room, one above the other in a narrow window, so that the
    // amounts are never cut.
    m_summaryLayout = new QBoxLayout(QBoxLayout::LeftToRight, page);
    m_summaryLayout->addWidget(credit, 1);
    m_summaryLayout->addWidget(debit, 1);
    m_summaryPage = page;
    page->installEventFilter(this);
    return page;
}

QWidget *frmChild::buildDeclaration()
{
    auto *page = new QWidget;
    page->setObjectName(u"pagLiquidazione"_qs);
    buildDeclarationGrid(page);

    // The refund box and its buttons under the amounts: side by side they would make the tab
    // wider than a small screen.
    auto *below = new QVBoxLayout;
    below->addLayout(buildDeclarationAmounts(page));
    below->addSpacing(8);
    below->addLayout(buildRefundRequest(page));

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_spdDIP);
    layout->addSpacing(8);
    layout->addLayout(below);
    layout->addStretch(1);

    setTabOrder(m_spdDIP, m_chkSoggetto);
    setTabOrder(m_chkSoggetto, m_cmdCredInfRim);
    setTabOrder(m_cmdCredInfRim, m_cmdCIC);
    return page;
}

// The thirteen rows of the declaration: Tab moves among the cells that take typing.
void frmChild::buildDeclarationGrid(QWidget *page)
{
    m_spdDIP = new QTableWidget(DeclarationGrid::RowCount, 3, page);
    m_spdDIP->setObjectName(u"spdDIP"_qs);
    m_spdDIP->setHorizontalHeaderLabels({u"Descrizione"_qs, u"Debiti"_qs, u"Crediti"_qs});
    m_spdDIP->verticalHeader()->hide();
    m_spdDIP->verticalHeader()->setDefaultSectionSize(m_spdDIP->fontMetrics().height() + 8);
    m_spdDIP->setTabKeyNavigation(false);
    m_spdDIP->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double click opens the window of a prospectus row, or edits the cell (see
    // declarationCellDoubleClicked).
    m_spdDIP->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    connect(m_spdDIP, &QTableWidget::cellDoubleClicked, this, &frmChild::declarationCellDoubleClicked);
    m_spdDIP->setWordWrap(false);
    QHeaderView *header = m_spdDIP->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionResizeMode(DipDescription, QHeaderView::Stretch);
    m_spdDIP->setColumnWidth(DipDebit, AmountWidth);
    m_spdDIP->setColumnWidth(DipCredit, AmountWidth);
    const int rowsHeight = DeclarationGrid::RowCount * m_spdDIP->verticalHeader()->defaultSectionSize();
    // Thirteen rows, no more: the amounts follow right below.
    m_spdDIP->setFixedHeight(rowsHeight + header->sizeHint().height() + 2 * m_spdDIP->frameWidth());
    m_spdDIP->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_spdDIP, &QTableWidget::itemChanged, this, &frmChild::declarationCellEdited);
    // Tab moves among the cells that take typing and then leaves the grid, from the grid and
    // from a cell's open editor alike.
    m_spdDIP->installEventFilter(this);
    m_spdDIP->setItemDelegate(new DeclarationCellDelegate(
        [this](int step) {
            if (!moveToEditableCell(step))
                focusNextPrevChild(step > 0);
        },
        m_spdDIP));
}

// The five amounts below the grid, shown in the order of the declaration.
QGridLayout *frmChild::buildDeclarationAmounts(QWidget *page)
{
    const char *captions[] = {
        "Importo da versare:", "Interessi su liquidazione annuale:", "Credito residuo:",
        "Credito infrannuale da utilizzare in compensazione in F24:", "Credito infrannuale chiesto a rimborso:"};
    auto *amounts = new QGridLayout;
    const int shownOrder[] = {1, 0, 2, 3, 4};
    for (int line = 0; line < 5; ++line) {
        const int i = shownOrder[line];
        m_lblImportiDIP[i] = new QLabel(QString::fromUtf8(captions[i]), page);
        m_lblImportiDIP[i]->setObjectName(QStringLiteral("lblImportiDIP(%1)").arg(i));
        m_curImportiDIP[i] = amountBox(QStringLiteral("curImportiDIP(%1)").arg(i), page);
        m_lblImportiDIP[i]->setBuddy(m_curImportiDIP[i]);
        m_lblImportiDIP[i]->setWordWrap(true);
        amounts->addWidget(m_lblImportiDIP[i], line, 0);
        amounts->addWidget(m_curImportiDIP[i], line, 1);
    }
    amounts->setColumnStretch(2, 1);
    return amounts;
}

// The mark of a subject entitled to the infra-annual refund, and the two credit windows.
QVBoxLayout *frmChild::buildRefundRequest(QWidget *page)
{
    m_chkSoggetto =
        new QCheckBox(u"Soggetto legittimato a richiedere il rimborso infrannuale del credito IVA"_qs, page);
    m_chkSoggetto->setObjectName(u"chkSoggetto"_qs);
    m_cmdCredInfRim = new QPushButton(u"Credito infrannua&le ..."_qs, page);
    m_cmdCredInfRim->setObjectName(u"cmdCredInfRim"_qs);
    enableSayingWhy(
        m_cmdCredInfRim, false,
        u"Si attiva spuntando \"Soggetto legittimato a richiedere il rimborso infrannuale del credito IVA\"."_qs);
    m_cmdCIC = new QPushButton(u"Credito Iva compensa&bile ..."_qs, page);
    m_cmdCIC->setObjectName(u"cmdCIC"_qs);
    m_cmdCIC->setEnabled(false);
    connect(m_cmdCIC, &QPushButton::clicked, this, &frmChild::sbCreditoCompensabile);
    connect(m_chkSoggetto, &QCheckBox::toggled, this, [this](bool on) {
        showCredInfRimEnabled();
        if (m_loading)
            return;
        m_doc->setSoggettoRimborso(on);
        markChanged();
    });
    connect(m_cmdCredInfRim, &QPushButton::clicked, this, &frmChild::infraAnnualCreditRequested);
    connect(m_cmdCredInfRim, &QPushButton::clicked, this, [this] { sbProspetto(Prospetto::CreditoInfrannuale); });

    auto *side = new QVBoxLayout;
    side->addWidget(m_chkSoggetto);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdCredInfRim);
    buttons->addWidget(m_cmdCIC);
    buttons->addStretch(1);
    side->addLayout(buttons);
    side->addStretch(1);
    return side;
}

QWidget *frmChild::buildPayments()
{
    auto *page = new QWidget;
    page->setObjectName(u"pagDatiVersamento"_qs);
    m_periodic = new PaymentFrame(PaymentFrame::Kind::Periodic, m_ctx.db, m_ctx.messages, page);
    m_advance = new PaymentFrame(PaymentFrame::Kind::Advance, m_ctx.db, m_ctx.messages, page);
    connect(m_periodic, &PaymentFrame::changed, this, &frmChild::markChanged);
    connect(m_advance, &PaymentFrame::changed, this, &frmChild::markChanged);
    connect(m_advance->riporta(), &QPushButton::clicked, this, &frmChild::carryAmountToAdvance);
    // The frames keep the width of their boxes; what is left of a wide window stays blank.
    auto *column = new QVBoxLayout;
    column->addWidget(m_periodic);
    column->addWidget(m_advance);
    m_f24 = new F24Frame(page);
    column->addWidget(m_f24);
    column->addStretch(1);
    auto *layout = new QHBoxLayout(page);
    layout->addLayout(column, 4);
    layout->addStretch(1);

    const QList<QWidget *> chain = m_periodic->tabChain() + m_advance->tabChain();
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    return page;
}

// ---- showing -------------------------------------------------------------------------------

void frmChild::showDocument()
{
    m_loading = true;
    showHeader();
    showGrids();
    showSummaries();
    showDeclaration();
    showPayments();
    m_loading = false;
}

void frmChild::showHeader()
{
    const SettlementDocument &d = *m_doc;
    m_lblPeriodoIva->setText(d.lblPeriodoIva());
    m_lblPeriodo->setText(d.lblPeriodo());
    m_lblTipoLiquidazione->setText(d.lblTipoLiquidazione());
    m_lblAttivita->setText(d.lblAttivita());
    setWindowTitle(caption());
}

void frmChild::showGrids()
{
    const bool euro = m_doc->euro();
    const ReportView &report = m_doc->report();
    for (QTableWidget *grid : std::as_const(m_grids))
        grid->setRowCount(0);
    for (const DetailGrid &data : report.grids) {
        QTableWidget *grid = m_grids.value(data.name);
        if (!grid)
            continue;
        if (!data.headings.isEmpty() && data.headings.size() == grid->columnCount())
            grid->setHorizontalHeaderLabels(data.headings);
        grid->setRowCount(int(data.lines.size()));
        for (int r = 0; r < int(data.lines.size()); ++r) {
            const GridLine &line = data.lines[r];
            grid->setItem(r, 0, textItem(line.description, line.total));
            for (int c = 1; c < grid->columnCount() && c - 1 < int(line.amounts.size()); ++c) {
                const std::optional<Money> &amount = line.amounts[c - 1];
                const bool percent = grid->horizontalHeaderItem(c)->text() == percentHeading;
                const QString text = !amount   ? QString()
                                     : percent ? formatPercent(Percent::fromMoney(*amount))
                                               : formatAmount(*amount, euro);
                grid->setItem(r, c, amountItem(text, line.total));
            }
        }
    }

    // The receipts tabs only for a period with receipts; the sub-tabs with nothing to show
    // are left out (the first of each strip stays, so that the strip is never empty), and
    // the other operations belong to the December advance.
    m_tabs->setTabVisible(m_tabs->indexOf(m_pageCorrispettivi), m_doc->showReceipts());
    m_tabs->setTabVisible(m_tabs->indexOf(m_pageDaVentilare), m_doc->showReceiptsToSplit());
    for (QTabWidget *strip : {m_stbAcquisti, m_stbVendite}) {
        for (int i = 1; i < strip->count(); ++i) {
            const QString name = strip->widget(i)->objectName();
            const DetailGrid *data = report.grid(name);
            bool shown = data && !isEmptyGrid(*data);
            if (name == QString::fromLatin1(Grid::AltreOperazioni))
                shown = m_doc->otherOperationsEnabled();
            strip->setTabVisible(i, shown);
        }
        strip->setCurrentIndex(0);
    }
}

void frmChild::showTruckersEnabled()
{
    const bool trucker = key() > 0 && m_doc->truckersCreditEnabled();
    enableSayingWhy(m_cmdCreditoAutotrasportatori, trucker && !m_readOnly,
                    !trucker ? u"L'attività non ha credito autotrasportatori per questo periodo."_qs : msgReadOnly());
}

void frmChild::showCredInfRimEnabled()
{
    enableSayingWhy(
        m_cmdCredInfRim, m_chkSoggetto->isChecked(),
        u"Si attiva spuntando \"Soggetto legittimato a richiedere il rimborso infrannuale del credito IVA\"."_qs);
}

void frmChild::showSummaries()
{
    showTruckersEnabled();
    const bool euro = m_doc->euro();
    auto fill = [euro](QTableWidget *grid, const std::vector<SummaryLine> &lines) {
        grid->setRowCount(int(lines.size()));
        for (int r = 0; r < int(lines.size()); ++r) {
            const bool total =
                lines[r].description.startsWith(u"Totale"_qs) || lines[r].description.startsWith(u"Tot da versare"_qs);
            grid->setItem(r, 0, textItem(lines[r].description, total));
            grid->setItem(r, 1, amountItem(formatAmount(lines[r].amount, euro), total));
        }
    };
    fill(m_spdCredito, m_doc->report().credito);
    fill(m_spdDebito, m_doc->report().debito);
}

void frmChild::showDeclaration()
{
    const bool wasLoading = m_loading;
    m_loading = true;
    const DeclarationGrid &g = m_doc->declaration();
    const bool euro = m_doc->euro();
    const QStringList &captions = DeclarationGrid::rowCaptions();
    const QColor computed = palette().color(QPalette::Window);
    // The cells are made once and then only written: a cell may be shown again while its
    // own edit is being taken.
    auto cellAt = [this](int row, int column, bool bold) {
        QTableWidgetItem *item = m_spdDIP->item(row, column);
        if (!item) {
            item = column == DipDescription ? textItem(QString(), bold) : amountItem(QString(), bold);
            m_spdDIP->setItem(row, column, item);
        }
        return item;
    };
    for (int row = 0; row < DeclarationGrid::RowCount; ++row) {
        const bool total =
            row == DeclarationGrid::IvaDebitoCreditoPeriodo || row == DeclarationGrid::IvaDovutaCreditoPeriodo;
        cellAt(row, DipDescription, total)->setText(captions.value(row));
        const std::pair<int, DeclarationColumn> cells[] = {{DipDebit, DeclarationColumn::Debit},
                                                           {DipCredit, DeclarationColumn::Credit}};
        for (const auto &[column, side] : cells) {
            const std::optional<Money> value = side == DeclarationColumn::Debit ? g.debitCell(row) : g.creditCell(row);
            QTableWidgetItem *item = cellAt(row, column, total);
            item->setText(formatAmount(value, euro));
            if (isEditableCell(row, side))
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
            else
                item->setBackground(computed);
        }
    }
    showAmounts();
    m_chkSoggetto->setChecked(m_doc->soggettoRimborso());
    showCredInfRimEnabled();
    m_cmdCIC->setEnabled(key() > 0);
    m_loading = wasLoading;
}

void frmChild::showAmounts()
{
    const SettlementDocument &d = *m_doc;
    const bool euro = d.euro();
    const Money values[] = {d.importoDaVersare(), d.interessiAnnuali(), d.creditoResiduo(), d.creditoInfrannualeF24(),
                            d.creditoInfrannualeRimborso()};
    for (int i = 0; i < 5; ++i)
        m_curImportiDIP[i]->setText(formatAmount(values[i], euro));
    m_lblImportiDIP[0]->setText(d.amountToPayCaption());
    m_f24->showSettlement(m_ctx.db, d);
    showSummaries(); // the summary shows the closing amounts too
}

void frmChild::showPayments()
{
    PaymentData &p = m_doc->payments();
    m_periodic->bind(&p.periodic, m_doc->euro());
    m_advance->bind(&p.advance, m_doc->euro());
    m_advance->setEnabled(p.advanceEnabled);
}

// ---- edits ---------------------------------------------------------------------------------

void frmChild::declarationCellEdited(QTableWidgetItem *item)
{
    if (m_loading || !item || item->column() == DipDescription)
        return;
    const int row = item->row();
    const DeclarationColumn side = item->column() == DipDebit ? DeclarationColumn::Debit : DeclarationColumn::Credit;
    const QString typed = item->text();
    const ParsedAmount amount = parseAmount(typed, m_doc->euro());
    QString refusal;
    if (!amount.valid) {
        refusal = msgInvalidAmount(typed, m_doc->euro());
    } else {
        // The typed amount is compared as shown: "1.000,00" typed again over itself is no edit.
        const DeclarationGrid &g = m_doc->declaration();
        const Money before = side == DeclarationColumn::Debit ? g.debit(row) : g.credit(row);
        if (amount.value.value_or(Money()) == before) {
            showDeclaration();
            return;
        }
        const QString beforeText = formatAmount(before, m_doc->euro());
        const DeclarationEditOutcome outcome = editDeclarationCell(*m_doc, row, side, amount.value);
        if (!outcome.accepted)
            refusal = outcome.message;
        else
            m_lastCellEdit = {row, item->column(), beforeText};
    }
    // The grid is shown again from the document in every case: a refused amount goes back
    // to the one the document holds.
    showDeclaration();
    if (!refusal.isEmpty()) {
        m_ctx.messages.warn(refusal);
        return;
    }
    markChanged();
}

void frmChild::declarationCellDoubleClicked(int row, int column)
{
    if (column == DipDescription || key() <= 0)
        return;
    const int window = windowOfDeclarationCell(row, column == DipDebit);
    if (window == CreditUseWindow) {
        sbCreditUse();
    } else if (window >= 0) {
        sbProspetto(window);
    } else if (isEditableDipCell(row, column)) {
        m_spdDIP->editItem(m_spdDIP->item(row, column));
    }
}

namespace {

// A credit window on a core object made from the document: what is confirmed in it goes back
// to the document. False when cancelled or read-only.
template <typename Dialog, typename Core>
bool confirmedInWindow(std::unique_ptr<Core> core, void (*take)(SettlementDocument &, Core &), SettlementDocument &doc,
                       MessageService &messages, bool readOnly, QWidget *parent)
{
    Dialog dialog(*core, messages, doc.euro(), parent);
    if (dialog.exec() != QDialog::Accepted || readOnly)
        return false;
    take(doc, *core);
    return true;
}

} // namespace

void frmChild::creditWindow(const std::function<bool()> &confirmed)
{
    if (key() <= 0 || !commitEdits())
        return;
    bool taken = false;
    if (!runShowingFailures(m_ctx.messages, [&] { taken = confirmed(); }) || !taken)
        return;
    showDeclaration();
    markChanged();
}

void frmChild::sbProspetto(int type)
{
    creditWindow([&] {
        return confirmedInWindow<frmProsp>(makeProspetto(*m_doc, type, m_readOnly), &takeProspetto, *m_doc,
                                           m_ctx.messages, m_readOnly, this);
    });
}

void frmChild::sbCreditUse()
{
    creditWindow([&] {
        return confirmedInWindow<frmCreUse>(makeCreditUse(*m_doc, m_readOnly), &takeCreditUse, *m_doc, m_ctx.messages,
                                            m_readOnly, this);
    });
}

void frmChild::sbCreditoCompensabile()
{
    creditWindow([&] {
        return confirmedInWindow<frmCIC>(makeCreditoCompensabile(*m_doc, m_readOnly), &takeCreditoCompensabile, *m_doc,
                                         m_ctx.messages, m_readOnly, this);
    });
}

void frmChild::carryAmountToAdvance()
{
    // The advance paid is the amount to pay of this settlement, paid where the periodic
    // payment was made unless the advance already says where.
    if (!m_advance->commitEdits() || !m_periodic->commitEdits())
        return;
    PaymentData &p = m_doc->payments();
    p.advance.importo = m_doc->importoDaVersare();
    if (p.advance.place == PaymentPlace::None && p.periodic.place != PaymentPlace::None) {
        const Payment &from = p.periodic;
        p.advance.place = from.place;
        p.advance.idCab = from.idCab;
        p.advance.abi = from.abi;
        p.advance.cab = from.cab;
        p.advance.idConcessionarioEsattoriale = from.idConcessionarioEsattoriale;
        p.advance.codiceConcessione = from.codiceConcessione;
        p.advance.codiceAzienda = from.codiceAzienda;
    }
    if (!p.advance.dataVersamento)
        p.advance.dataVersamento = p.periodic.dataVersamento;
    m_advance->refresh();
    markChanged();
}

bool frmChild::commitEdits()
{
    // A cell of the declaration grid being edited is taken as leaving it would.
    if (QWidget *editor = QApplication::focusWidget(); editor && editor != m_spdDIP && m_spdDIP->isAncestorOf(editor)) {
        Q_EMIT m_spdDIP->itemDelegate()->commitData(editor);
        Q_EMIT m_spdDIP->itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
    return m_periodic->commitEdits() && m_advance->commitEdits();
}

bool frmChild::searchFocusedCode()
{
    return m_periodic->searchFocusedCode() || m_advance->searchFocusedCode();
}

void frmChild::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    m_spdDIP->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_chkSoggetto->setEnabled(!readOnly);
    showTruckersEnabled();
    m_periodic->setReadOnly(readOnly);
    m_advance->setReadOnly(readOnly);
}

void frmChild::avoidAccessKeys(const QString &taken)
{
    QString used = taken.toLower();
    // Keeps the caption's key when it is free, otherwise shows the caption without one.
    auto keep = [&used](const QString &caption) -> QString {
        const QChar key = accessKeyOf(caption);
        if (key.isNull())
            return caption;
        if (used.contains(key))
            return withoutAccessKey(caption);
        used += key;
        return caption;
    };
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->setTabText(i, keep(m_tabs->tabText(i)));
    for (QAbstractButton *b : findChildren<QAbstractButton *>()) {
        if (qobject_cast<QTabBar *>(b->parentWidget()))
            continue; // the scroll buttons of a tab strip
        b->setText(keep(b->text()));
    }
    for (QLabel *l : findChildren<QLabel *>())
        if (l->buddy())
            l->setText(keep(l->text()));
    for (QTabWidget *strip : {m_stbAcquisti, m_stbVendite})
        for (int i = 0; i < strip->count(); ++i)
            strip->setTabText(i, keep(strip->tabText(i)));
}

bool frmChild::isEditableDipCell(int row, int column) const
{
    if (m_readOnly || column == DipDescription)
        return false;
    const QTableWidgetItem *item = m_spdDIP->item(row, column);
    return item && (item->flags() & Qt::ItemIsEditable);
}

bool frmChild::moveToEditableCell(int step)
{
    const int columns = m_spdDIP->columnCount();
    const int cells = m_spdDIP->rowCount() * columns;
    const QModelIndex current = m_spdDIP->currentIndex();
    int at = current.isValid() ? current.row() * columns + current.column() : (step > 0 ? -1 : cells);
    for (at += step; at >= 0 && at < cells; at += step) {
        if (isEditableDipCell(at / columns, at % columns)) {
            m_spdDIP->setCurrentCell(at / columns, at % columns);
            return true;
        }
    }
    return false;
}

bool frmChild::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_summaryPage && event->type() == QEvent::Resize) {
        const int width = static_cast<QResizeEvent *>(event)->size().width();
        m_summaryLayout->setDirection(width < 2 * (AmountWidth + 240) ? QBoxLayout::TopToBottom
                                                                      : QBoxLayout::LeftToRight);
        return QWidget::eventFilter(watched, event);
    }
    if (watched != m_spdDIP)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusIn) {
        // Coming in by Tab the grid puts the cursor on the first (Shift+Tab: the last) cell
        // that takes typing, not on a description.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            const int step = reason == Qt::TabFocusReason ? 1 : -1;
            m_spdDIP->setCurrentIndex({});
            moveToEditableCell(step);
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(event);
        if ((k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) &&
            !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const bool back = k->key() == Qt::Key_Backtab || (k->modifiers() & Qt::ShiftModifier);
            if (!moveToEditableCell(back ? -1 : 1))
                focusNextPrevChild(!back);
            return true;
        }
        if (k->matches(QKeySequence::Undo) && !m_readOnly) {
            // Control+Z takes back the last change typed into the cell under the cursor.
            const QModelIndex i = m_spdDIP->currentIndex();
            if (i.isValid() && i.row() == m_lastCellEdit.row && i.column() == m_lastCellEdit.column) {
                const CellEdit undo = std::exchange(m_lastCellEdit, CellEdit{});
                m_spdDIP->item(undo.row, undo.column)->setText(undo.before);
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmChild::markChanged()
{
    if (!m_loading)
        setChanged(true);
}

// ---- the public face -----------------------------------------------------------------------

void frmChild::sbChildFill(int key, bool makeDatiIva)
{
    m_periodic->infMinimo()->clear();
    QStringList notices;
    runShowingFailures(m_ctx.messages, [&] { notices = m_doc->sbChildFill(key, makeDatiIva); });
    for (const QString &text : notices)
        m_ctx.messages.inform(text);
    // What was filled up to an error is shown as it stands. The main strip stays on its
    // tab (a dialog may fill again), unless that tab has gone.
    showDocument();
}

void frmChild::refillDocument()
{
    m_periodic->infMinimo()->clear();
    runShowingFailures(m_ctx.messages, [&] { m_doc->refill(); });
    showDocument();
}

bool frmChild::fnChildSave()
{
    if (!commitEdits())
        return false;
    // The save may have set the amount paid to the amount to pay, also when it then failed.
    struct Refresh {
        frmChild &form;
        ~Refresh()
        {
            form.m_loading = true;
            form.m_periodic->refresh();
            form.m_advance->refresh();
            form.m_loading = false;
        }
    } refresh{*this};
    // Every question before the write; the annual credit carried over is shown to the user
    // between them.
    const SaveQuestions questions = m_doc->saveQuestions();
    SaveAnswers answers;
    answers.first = askAll(m_ctx.messages, questions.first);
    if (questions.annualCredit) {
        frmCreditoAnnuale dialog(*questions.annualCredit, m_ctx.messages, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    answers.then = askAll(m_ctx.messages, questions.then);
    const bool saved = m_doc->fnChildSave(questions, answers);
    if (saved)
        setChanged(false);
    showNotices();
    return saved;
}

bool frmChild::sbChildDelete()
{
    const bool deleted = m_doc->sbChildDelete();
    if (deleted)
        setChanged(false);
    showNotices();
    return deleted;
}

void frmChild::showNotices()
{
    for (const QString &text : m_doc->notices())
        m_ctx.messages.warn(text);
}

void frmChild::sbRemoveTrashRecord()
{
    m_doc->sbRemoveTrashRecord();
}

bool frmChild::isChanged() const
{
    return m_changed;
}

void frmChild::setChanged(bool changed)
{
    if (m_changed == changed)
        return;
    m_changed = changed;
    Q_EMIT changedStateChanged(changed);
}

int frmChild::key() const
{
    return m_doc->key();
}

QString frmChild::caption() const
{
    return m_doc->periodText();
}

} // namespace liqiva
