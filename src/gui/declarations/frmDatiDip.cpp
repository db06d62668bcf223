#include "gui/declarations/frmDatiDip.h"

#include "domain/declarations/DeclarationDataEdit.h"
#include "domain/document/InputText.h"
#include "gui/common/AmountField.h"
#include "gui/common/DialogButtons.h"
#include "gui/common/Failures.h"
#include "gui/common/FormRows.h"
#include "suite/Messages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <tuple>

namespace liqiva {

struct frmDatiDip::Core {
    DatiDipEdit edit;
};

namespace {
QLineEdit *amountBox(const char *name, QWidget *parent, bool editable)
{
    return amountField(QString::fromLatin1(name), parent, editable, 150);
}

QCheckBox *box(const char *name, const QString &caption, QWidget *parent)
{
    auto *c = new QCheckBox(caption, parent);
    c->setObjectName(QString::fromLatin1(name));
    return c;
}
} // namespace

frmDatiDip::frmDatiDip(Connection &db, AltriDatiDip &dip, bool soggettoRimborsoLiqIva, bool euro,
                       MessageService &messages, QWidget *parent)
    : QDialog(parent), m_core(new Core{DatiDipEdit(db, dip, soggettoRimborsoLiqIva, euro)}), m_messages(messages),
      m_euro(euro)
{
    setObjectName(u"frmDatiDip"_qs);
    DatiDipEdit &core = m_core->edit;
    setWindowTitle(core.Titolo() + u" "_qs + QString::number(core.Anno()));
    m_shown = core.Mostrati();

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(buildDataTab(), u"&Dati"_qs);
    m_tabs->addTab(buildRefundTab(), u"&Rimborso e versamento"_qs);

    auto *root = new QVBoxLayout(this);
    root->addWidget(m_tabs);
    QPushButton *cmdOk = addOkCancel(*this, *root).first;

    showFigures();

    connect(curImponibile, &QLineEdit::editingFinished, this, [this] { checkVP3(); });
    connect(curImposta, &QLineEdit::editingFinished, this, [this] { checkVP3(); });
    connect(cmdOk, &QPushButton::clicked, this, &frmDatiDip::ok);
    resize(560, 480);
}

// VP1 to VP3 and the declaration's marks.
QWidget *frmDatiDip::buildDataTab()
{
    auto *data = new QWidget;
    auto *dataLayout = new QVBoxLayout(data);
    curOperazioniAttive = amountBox("curOperazioniAttive", data, false);
    curCessioniIntra = amountBox("curCessioniIntra", data, false);
    curOperazioniPassive = amountBox("curOperazioniPassive", data, false);
    curAcquistiIntra = amountBox("curAcquistiIntra", data, false);
    curImponibile = amountBox("curImponibile", data, true);
    curImposta = amountBox("curImposta", data, true);
    auto *vp1 = formGroup(u"VP1"_qs, data,
                          {{u"Operazioni attive (al netto dell'IVA)"_qs, curOperazioniAttive},
                           {u"di cui cessioni intracomunitarie"_qs, curCessioniIntra}});
    auto *vp2 = formGroup(u"VP2"_qs, data,
                          {{u"Operazioni passive (al netto dell'IVA)"_qs, curOperazioniPassive},
                           {u"di cui acquisti intracomunitari"_qs, curAcquistiIntra}});
    auto *vp3 = formGroup(u"VP3 - Importazioni senza pagamento dell'IVA in dogana"_qs, data,
                          {{u"Imponibile"_qs, curImponibile}, {u"Imposta"_qs, curImposta}});
    chkDicIntegrativa = box("chkDicIntegrativa", u"Dichiarazione integrativa"_qs, data);
    chkCorrettiva = box("chkCorrettiva", u"Correttiva nei termini"_qs, data);
    chkVarImpPeriodiPrec = box("chkVarImpPeriodiPrec", u"Variazioni imponibile periodi precedenti"_qs, data);
    chkContribLiqTrim =
        box("chkContribLiqTrim", u"Contribuenti con liquidazioni trimestrali (Art.74, comma 4)"_qs, data);
    for (QWidget *w : std::initializer_list<QWidget *>{vp1, vp2, vp3, chkDicIntegrativa, chkCorrettiva,
                                                       chkVarImpPeriodiPrec, chkContribLiqTrim})
        dataLayout->addWidget(w);
    dataLayout->addStretch();

    return data;
}

// Who may ask the refund, and how the payment was made.
QWidget *frmDatiDip::buildRefundTab()
{
    auto *refund = new QWidget;
    auto *refundLayout = new QVBoxLayout(refund);
    fraRimborso =
        new QGroupBox(u"Soggetti legittimati a richiedere il rimborso infrannuale del credito IVA"_qs, refund);
    fraRimborso->setObjectName(u"fraRimborso"_qs);
    auto *fraLayout = new QVBoxLayout(fraRimborso);
    chkAliqMediaLettA = box("chkAliqMediaLettA", u"Aliquota media lett. a)"_qs, fraRimborso);
    chkOpNonImpLettB = box("chkOpNonImpLettB", u"Operazioni non imponibili lett. b)"_qs, fraRimborso);
    chkAcquistiBeni = box("chkAcquistiBeni", u"Acquisti beni ammortizzabili lett. c)"_qs, fraRimborso);
    chkCredRimbInEuro = box("chkCredRimbInEuro", u"Credito chiesto a rimborso in EURO"_qs, fraRimborso);
    for (QCheckBox *c : {chkAliqMediaLettA, chkOpNonImpLettB, chkAcquistiBeni, chkCredRimbInEuro})
        fraLayout->addWidget(c);
    chkVersInEuro = box("chkVersInEuro", u"Versamento effettuato in EURO"_qs, refund);
    chkVersNonEffettuato = box("chkVersNonEffettuato",
                               u"Versamento non effettuato a seguito di agevolaz. per eventi eccezionali"_qs, refund);
    refundLayout->addWidget(fraRimborso);
    refundLayout->addWidget(chkVersInEuro);
    refundLayout->addWidget(chkVersNonEffettuato);
    refundLayout->addStretch();

    return refund;
}

// The figures and marks as the declaration holds them; what the period does not allow is disabled.
void frmDatiDip::showFigures()
{
    DatiDipEdit &core = m_core->edit;
    const auto show = [this](QLineEdit *f, Money v) { f->setText(formatAmount(v, m_euro)); };
    show(curOperazioniAttive, m_shown.VP1_OperazioniAttive);
    show(curCessioniIntra, m_shown.VP1_CessioniIntracomunitarie);
    show(curOperazioniPassive, m_shown.VP2_OperazioniPassive);
    show(curAcquistiIntra, m_shown.VP2_AcquistiIntracomunitari);
    show(curImponibile, m_shown.VP3_Imponibile);
    show(curImposta, m_shown.VP3_Imposta);
    chkDicIntegrativa->setChecked(m_shown.DichiarazioneIntegrativa);
    chkCorrettiva->setChecked(m_shown.CorrettivaNeiTermini);
    chkVarImpPeriodiPrec->setChecked(m_shown.VariazioniPeriodiPrec);
    chkContribLiqTrim->setChecked(m_shown.ContribuentiLiquidazioneTrim);
    chkContribLiqTrim->setEnabled(core.ContribuentiTrimAbilitato());
    fraRimborso->setEnabled(core.RimborsoAbilitato());
    chkAliqMediaLettA->setChecked(m_shown.AliquotaMediaLettA);
    chkOpNonImpLettB->setChecked(m_shown.OperazioniNonImpLettB);
    chkAcquistiBeni->setChecked(m_shown.AcquistiBeniAmmLettC);
    chkCredRimbInEuro->setChecked(m_shown.CreditoARimborsoInEuro);
    chkVersInEuro->setChecked(m_shown.VersamentoInEuro);
    chkVersInEuro->setEnabled(!core.VersamentoInEuroFisso());
    chkVersNonEffettuato->setChecked(m_shown.VersamentoNonEffettuato);
}

frmDatiDip::~frmDatiDip() = default;

std::optional<Money> frmDatiDip::amount(QLineEdit *field)
{
    // The amounts are on the first tab: shown, so that the field can take the focus.
    if (!parseAmount(field->text(), m_euro).valid)
        m_tabs->setCurrentIndex(0);
    return typedAmount(m_messages, field, m_euro);
}

// The VP3 amounts typed, taxable and tax; nothing when one is no amount (said, with its
// field focused).
std::optional<std::pair<Money, Money>> frmDatiDip::typedVP3()
{
    const std::optional<Money> imponibile = amount(curImponibile);
    if (!imponibile)
        return std::nullopt;
    const std::optional<Money> imposta = amount(curImposta);
    if (!imposta)
        return std::nullopt;
    return std::pair(*imponibile, *imposta);
}

void frmDatiDip::focusImposta()
{
    m_tabs->setCurrentIndex(0);
    curImposta->setFocus();
    curImposta->selectAll();
}

// When the VP3 amounts are confirmed: the tax may not exceed the taxable amount.
bool frmDatiDip::checkVP3()
{
    const QSignalBlocker a(curImponibile), b(curImposta);
    const auto vp3 = typedVP3();
    if (!vp3)
        return false;
    if (!DatiDipEdit::ImpostaValida(vp3->first, vp3->second)) {
        m_messages.warn(DatiDipEdit::msgImpostaMaggiore());
        focusImposta();
        return false;
    }
    return true;
}

bool frmDatiDip::ok()
{
    const QSignalBlocker a(curImponibile), b(curImposta);
    const auto vp3 = typedVP3();
    if (!vp3)
        return false;
    AltriDatiDip shown = m_shown;
    std::tie(shown.VP3_Imponibile, shown.VP3_Imposta) = *vp3;
    shown.DichiarazioneIntegrativa = chkDicIntegrativa->isChecked();
    shown.CorrettivaNeiTermini = chkCorrettiva->isChecked();
    shown.VariazioniPeriodiPrec = chkVarImpPeriodiPrec->isChecked();
    shown.ContribuentiLiquidazioneTrim = chkContribLiqTrim->isChecked();
    shown.AliquotaMediaLettA = chkAliqMediaLettA->isChecked();
    shown.OperazioniNonImpLettB = chkOpNonImpLettB->isChecked();
    shown.AcquistiBeniAmmLettC = chkAcquistiBeni->isChecked();
    shown.CreditoARimborsoInEuro = chkCredRimbInEuro->isChecked();
    shown.VersamentoInEuro = chkVersInEuro->isChecked();
    shown.VersamentoNonEffettuato = chkVersNonEffettuato->isChecked();
    if (!runShowingFailures(m_messages, [&] { m_core->edit.Conferma(shown); })) {
        if (m_core->edit.Errato(shown) == DatiDipEdit::Campo::Imposta) {
            focusImposta();
        } else {
            m_tabs->setCurrentIndex(1);
            chkAliqMediaLettA->setFocus();
        }
        return false;
    }
    m_modify = true;
    accept();
    return true;
}

// ---- frmInfoDip ----------------------------------------------------------------------------

frmInfoDip::frmInfoDip(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmInfoDip"_qs);
    setWindowTitle(u"Dati richiesti per la stampa..."_qs);
    auto *label = new QLabel(u"Mancano i seguenti dati richiesti per la stampa della dichiarazione:"_qs, this);
    label->setWordWrap(true);
    txtInfo = new QPlainTextEdit(this);
    txtInfo->setObjectName(u"txtInfo"_qs);
    txtInfo->setReadOnly(true);
    auto *buttons = new QDialogButtonBox(this);
    cmdOk = buttons->addButton(u"OK"_qs, QDialogButtonBox::AcceptRole);
    cmdOk->setObjectName(u"cmdOk"_qs);
    QPushButton *cancel = buttons->addButton(u"Annulla"_qs, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cmdAnnulla"_qs);
    cancel->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, [this] {
        m_cancel = false;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(txtInfo);
    layout->addWidget(buttons);
    resize(440, 260);
}

void frmInfoDip::NecessaryItems(const QString &text)
{
    txtInfo->setPlainText(text);
    cmdOk->setEnabled(text.isEmpty());
}

void frmInfoDip::NotNecessaryItems(const QString &text)
{
    txtInfo->setPlainText(text);
}

} // namespace liqiva
