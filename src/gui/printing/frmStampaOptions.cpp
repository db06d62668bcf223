#include "gui/printing/frmStampaOptions.h"

#include "database/DbError.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace liqiva {

namespace {

void fillCombo(QComboBox *combo, const std::vector<NamedKey> &items, int chosen)
{
    combo->clear();
    combo->addItem(QString(), 0);
    for (const NamedKey &k : items)
        combo->addItem(k.name, k.id);
    combo->setCurrentIndex(std::max(0, combo->findData(chosen)));
}

} // namespace

QString frmStampaOptions::msgConfigureUnavailable()
{
    return u"La numerazione dei registri IVA si configura nella gestione dei registri della suite, che da qui non "
           u"è ancora raggiungibile: aprirla dal menu della suite, poi scegliere di nuovo il registro."_qs;
}

frmStampaOptions::frmStampaOptions(PrintOptions &options, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_options(options), m_messages(messages)
{
    setObjectName(u"frmStampaOptions"_qs);
    setWindowTitle(u"Opzioni di stampa"_qs);
    setModal(true);

    m_chk = new QCheckBox(u"Stampa &definitiva"_qs, this);
    m_chk->setObjectName(u"chkStampaDefinitiva"_qs);

    m_frame = new QGroupBox(u"Progressivi numerazione registri"_qs, this);
    m_frame->setObjectName(u"fraNumReg"_qs);
    m_register = new QComboBox(m_frame);
    m_register->setObjectName(u"kvrCmbRegistro"_qs);
    m_sectional = new QComboBox(m_frame);
    m_sectional->setObjectName(u"kvrCmbSezionale"_qs);
    m_year = new QSpinBox(m_frame);
    m_year->setObjectName(u"kvrNumAnno"_qs);
    m_year->setRange(1900, 2100);
    m_year->setGroupSeparatorShown(false);
    m_page = new QSpinBox(m_frame);
    m_page->setObjectName(u"kvrNumUltimaPagina"_qs);
    m_page->setRange(0, 2000000000);
    m_configureButton = new QPushButton(u"&Configura..."_qs, m_frame);
    m_configureButton->setObjectName(u"cmdConfigura"_qs);
    for (QWidget *w : {static_cast<QWidget *>(m_register), static_cast<QWidget *>(m_sectional)})
        w->setMinimumWidth(260);

    auto *form = new QFormLayout(m_frame);
    form->addRow(u"&Registro"_qs, m_register);
    form->addRow(u"&Sezionale"_qs, m_sectional);
    form->addRow(u"&Anno"_qs, m_year);
    // The field holds the register's last printed page; beside it, the number of the first
    // page of this print.
    m_firstPage = new QLabel(m_frame);
    m_firstPage->setObjectName(u"lblPrimaPagina"_qs);
    auto *pageRow = new QHBoxLayout;
    pageRow->addWidget(m_page);
    pageRow->addWidget(m_firstPage, 1);
    form->addRow(u"&Numero pagina iniziale"_qs, pageRow);
    if (auto *label = qobject_cast<QLabel *>(form->labelForField(pageRow)))
        label->setBuddy(m_page);
    auto *configureRow = new QHBoxLayout;
    configureRow->addStretch();
    configureRow->addWidget(m_configureButton);
    form->addRow(configureRow);

    auto *buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(u"OK"_qs, QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(u"cmdOk"_qs);
    m_ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(u"Annulla"_qs, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cmdAnnulla"_qs);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chk);
    layout->addWidget(m_frame);
    layout->addWidget(buttons);

    connect(m_chk, &QCheckBox::toggled, this, &frmStampaOptions::definitiveToggled);
    connect(m_register, &QComboBox::currentIndexChanged, this, &frmStampaOptions::registerChosen);
    connect(m_sectional, &QComboBox::currentIndexChanged, this, &frmStampaOptions::sectionalChosen);
    connect(m_year, &QSpinBox::valueChanged, this, &frmStampaOptions::yearChanged);
    connect(m_page, &QSpinBox::valueChanged, this, &frmStampaOptions::pageChanged);
    connect(m_configureButton, &QPushButton::clicked, this, &frmStampaOptions::configure);
    connect(m_ok, &QPushButton::clicked, this, &frmStampaOptions::ok);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    showOptions();
}

void frmStampaOptions::setDisableStampaDefinitiva(bool disable)
{
    if (disable)
        m_options.disableDefinitive();
    showOptions();
}

void frmStampaOptions::showOptions()
{
    m_showing = true;
    m_chk->setChecked(m_options.definitive());
    m_chk->setEnabled(!m_options.definitiveDisabled());
    m_frame->setEnabled(m_options.definitive());
    fillCombo(m_register, m_options.registers(), m_options.idRegistroIva());
    fillCombo(m_sectional, m_options.sectionals(), m_options.idSezionale());
    m_sectional->setEnabled(m_options.sectionalEnabled());
    if (!m_options.sectionalEnabled())
        m_sectional->clear();
    m_year->setValue(m_options.year() > 0 ? m_options.year() : m_year->minimum());
    m_page->setValue(m_options.lastPage());
    m_ok->setEnabled(m_options.okEnabled());
    showFirstPage();
    m_showing = false;
}

void frmStampaOptions::showFirstPage()
{
    m_firstPage->setText(
        QStringLiteral("ultima stampata: la stampa inizia da pagina %1").arg(qint64(m_page->value()) + 1));
}

// Every choice goes to the core, which may read the database; an error leaves the dialog as
// it was, with the reason.
template <typename F> static bool guarded(MessageService &messages, F &&f)
{
    return runShowingFailures(messages, std::forward<F>(f));
}

void frmStampaOptions::definitiveToggled(bool checked)
{
    if (m_showing)
        return;
    guarded(m_messages, [&] { m_options.setDefinitive(checked); });
    showOptions();
}

void frmStampaOptions::registerChosen()
{
    if (m_showing)
        return;
    guarded(m_messages, [&] { m_options.chooseRegister(m_register->currentData().toInt()); });
    showOptions();
}

void frmStampaOptions::sectionalChosen()
{
    if (m_showing)
        return;
    guarded(m_messages, [&] { m_options.chooseSectional(m_sectional->currentData().toInt()); });
    showOptions();
}

void frmStampaOptions::yearChanged(int year)
{
    if (m_showing)
        return;
    guarded(m_messages, [&] { m_options.setYear(year); });
    showOptions();
}

void frmStampaOptions::pageChanged(int page)
{
    if (m_showing)
        return;
    m_options.setLastPage(page);
    m_ok->setEnabled(m_options.okEnabled());
    showFirstPage();
}

void frmStampaOptions::configure()
{
    const int reg = m_options.idRegistroIva();
    if (!m_configure || !m_configure(reg)) {
        m_messages.inform(msgConfigureUnavailable());
        return;
    }
    // The numbering may have changed: the lists and the last page are read again.
    const int sectional = m_options.idSezionale();
    guarded(m_messages, [&] {
        m_options.setDefinitive(m_options.definitive());
        m_options.chooseRegister(reg);
        m_options.chooseSectional(sectional);
    });
    showOptions();
}

void frmStampaOptions::ok()
{
    bool confirmed = false;
    if (!guarded(m_messages, [&] { confirmed = askEach(m_messages, m_options.questions()) && m_options.confirm(); }) ||
        !confirmed)
        return; // No leaves the dialog open with nothing stored
    accept();
}

} // namespace liqiva
