#include "gui/prorata/frmDatiProRata.h"

#include "domain/document/InputText.h"
#include "domain/prorata/cDatiProRata.h"
#include "gui/common/AmountField.h"
#include "gui/common/FormRows.h"
#include "gui/prorata/frmDatiPNC.h"
#include "suite/AccountingEntry.h"
#include "suite/Messages.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

frmDatiProRata::frmDatiProRata(cDatiProRata &datiProRata, MessageService &messages, bool euro, bool readOnly,
                               QWidget *parent)
    : QDialog(parent), m_p(datiProRata), m_messages(messages), m_euro(euro)
{
    setObjectName(u"frmDatiProRata"_qs);
    setWindowTitle(u"Gestione Pro-rata"_qs);
    auto *root = new QVBoxLayout(this);
    const bool annual = m_p.IDMese() == 0;

    buildPeriodFrames();
    buildYearFrames(readOnly);
    root->addWidget(m_fraMese);
    root->addWidget(m_fraConguaglio);
    root->addWidget(m_fraPercentuale);
    root->addWidget(m_fraAnno);

    auto *buttons = buildButtons(readOnly);
    root->addWidget(lblAggiorna);
    root->addLayout(buttons);
    connectControls();

    m_fraMese->setVisible(!annual);
    m_fraConguaglio->setVisible(!annual);
    m_fraPercentuale->setVisible(annual);
    m_fraAnno->setVisible(annual);
    cmdAggiorna->setVisible(annual);
    cmdAggiorna->setEnabled(annual && !readOnly);
    cmdAggiorna->setToolTip(u"Conferma le operazioni imponibili ed esenti e la percentuale per la liquidazione"_qs);
    if (annual)
        showYear();
    else
        showMonth();
    showBooked();
    cmdClose->setDefault(true);
}

// The periodic settlement: the deductible VAT of the period and the adjustment to book.
void frmDatiProRata::buildPeriodFrames()
{
    m_fraMese = amountFrame(u"fraMese"_qs, u"Calcolo IVA detraibile per il periodo"_qs,
                            {{curMeseIvaSuAcquisti, "curMeseIvaSuAcquisti", u"Totale IVA sugli acquisti"_qs},
                             {curMeseIvaDetraibile, "curMeseIvaDetraibile", u"IVA detraibile"_qs},
                             {curMeseIvaIndetraibile, "curMeseIvaIndetraibile", u"IVA indetraibile"_qs}});
    m_fraConguaglio =
        amountFrame(u"fraConguaglio"_qs, u"Conguaglio IVA da stornare in contabilità"_qs,
                    {{curMeseIvaIndetraibileCont, "curMeseIvaIndetraibileCont", u"IVA indetraibile contabilizzata"_qs},
                     {curMeseIvaIndetraibileStorno, "curMeseIvaIndetraibileStorno", u"IVA indetraibile da stornare"_qs},
                     {curMeseImportoCont, "curMeseImportoCont", u"Importo storno contabilizzato"_qs}});
}

// The annual settlement: the percentage and the year's adjustment.
void frmDatiProRata::buildYearFrames(bool readOnly)
{
    m_fraPercentuale = new QGroupBox(u"Calcolo percentuale di pro-rata"_qs, this);
    m_fraPercentuale->setObjectName(u"fraPercentuale"_qs);
    curAnnoImponibili = amountField("curAnnoImponibili", m_fraPercentuale, !readOnly);
    curAnnoEsenti = amountField("curAnnoEsenti", m_fraPercentuale, !readOnly);
    numAnnoPercentuale = amountField("numAnnoPercentuale", m_fraPercentuale);
    cmdRicalcola = new QPushButton(u"&Ricalcola"_qs, m_fraPercentuale);
    cmdRicalcola->setObjectName(u"cmdRicalcola"_qs);
    cmdRicalcola->setEnabled(!readOnly);
    addRows(*new QFormLayout(m_fraPercentuale), {{u"Totale operazioni &imponibili"_qs, curAnnoImponibili},
                                                 {u"Totale operazioni &esenti"_qs, curAnnoEsenti},
                                                 {u"% pro-rata effettiva"_qs, numAnnoPercentuale},
                                                 {QString(), cmdRicalcola}});
    m_fraAnno = amountFrame(u"fraAnno"_qs, u"Conguaglio annuale"_qs,
                            {{curAnnoIvaSuAcquisti, "curAnnoIvaSuAcquisti", u"Totale IVA sugli acquisti"_qs},
                             {curAnnoIvaDetraibile, "curAnnoIvaDetraibile", u"IVA detraibile per l'anno"_qs},
                             {curAnnoIvaDetratta, "curAnnoIvaDetratta", u"IVA detratta per l'anno"_qs},
                             {curAnnoIvaDaRecuperare, "curAnnoIvaDaRecuperare", u"IVA a credito da recuperare"_qs},
                             {curAnnoIvaDaVersare, "curAnnoIvaDaVersare", u"IVA a debito da versare"_qs},
                             {curAnnoImportoCont, "curAnnoImportoCont", u"Importo storno contabilizzato"_qs}});
}

QGroupBox *frmDatiProRata::amountFrame(const QString &name, const QString &title, std::initializer_list<AmountRow> rows)
{
    auto *frame = new QGroupBox(title, this);
    frame->setObjectName(name);
    auto *form = new QFormLayout(frame);
    for (const AmountRow &r : rows) {
        r.field = amountField(r.name, frame);
        form->addRow(r.caption, r.field);
    }
    return frame;
}

// Aggiorna, Prima nota and Chiudi, with the line that says what Aggiorna did.
QHBoxLayout *frmDatiProRata::buildButtons(bool readOnly)
{
    auto *buttons = new QHBoxLayout;
    cmdAggiorna = new QPushButton(u"&Aggiorna"_qs, this);
    cmdAggiorna->setObjectName(u"cmdAggiorna"_qs);
    cmdPNC = new QPushButton(u"&Prima nota"_qs, this);
    cmdPNC->setObjectName(u"cmdPNC"_qs);
    // The December advance has no adjustment to book.
    cmdPNC->setEnabled(!readOnly && m_p.IDMese() != 13 && m_p.IDRisultatoLiquidazioneIva() > 0);
    if (readOnly)
        cmdPNC->setToolTip(u"Diritti non sufficienti per registrare in prima nota."_qs);
    else if (m_p.IDMese() == 13)
        cmdPNC->setToolTip(u"L'acconto di dicembre non ha una rettifica pro-rata da registrare."_qs);
    else if (!cmdPNC->isEnabled())
        cmdPNC->setToolTip(u"La liquidazione non è ancora stata creata."_qs);
    cmdClose = new QPushButton(u"&Chiudi"_qs, this);
    cmdClose->setObjectName(u"cmdClose"_qs);
    // What "Aggiorna" did, on a line of its own above the buttons.
    lblAggiorna = new QLabel(this);
    lblAggiorna->setObjectName(u"lblAggiorna"_qs);
    lblAggiorna->setWordWrap(true);
    buttons->addStretch();
    buttons->addWidget(cmdAggiorna);
    buttons->addWidget(cmdPNC);
    buttons->addWidget(cmdClose);

    return buttons;
}

void frmDatiProRata::connectControls()
{
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdRicalcola, &QPushButton::clicked, this, &frmDatiProRata::ricalcola);
    connect(cmdAggiorna, &QPushButton::clicked, this, &frmDatiProRata::aggiorna);
    connect(cmdPNC, &QPushButton::clicked, this, &frmDatiProRata::primaNota);
    connect(curAnnoImponibili, &QLineEdit::editingFinished, this, &frmDatiProRata::ricalcolaAnno);
    connect(curAnnoEsenti, &QLineEdit::editingFinished, this, &frmDatiProRata::ricalcolaAnno);
}

QLineEdit *frmDatiProRata::amountField(const char *name, QWidget *parent, bool editable)
{
    return liqiva::amountField(QString::fromLatin1(name), parent, editable, 160);
}

Money frmDatiProRata::ImportoStorno()
{
    return DatiPNC::ImportoDaStornare(m_p, m_imponibili, m_esenti);
}

void frmDatiProRata::primaNota()
{
    if (m_p.IDMese() == 0 && !ricalcolaAnno())
        return;
    frmDatiPNC dialog(m_p, ImportoStorno(), m_messages, m_euro, this);
    dialog.exec();
    m_booked = m_booked || dialog.Booked();
    showBooked();
}

void frmDatiProRata::showBooked()
{
    const AccountingEntry &entry = m_p.ObjectPNC();
    const QString text = entry.Righe().isEmpty() ? QString() : formatAmount(entry.Righe().first().Importo, m_euro);
    curMeseImportoCont->setText(text);
    curAnnoImportoCont->setText(text);
}

void frmDatiProRata::showMonth()
{
    const cDatiProRata::StornoPeriodo s = m_p.CalcolaStornoPeriodo();
    const auto show = [this](QLineEdit *f, Money v) { f->setText(formatAmount(v, m_euro)); };
    show(curMeseIvaSuAcquisti, s.ivaSuAcquisti);
    show(curMeseIvaDetraibile, s.ivaDetraibile);
    show(curMeseIvaIndetraibile, s.ivaIndetraibile);
    show(curMeseIvaIndetraibileCont, s.ivaIndetraibileContabilizzata);
    show(curMeseIvaIndetraibileStorno, s.ivaIndetraibileDaStornare);
}

void frmDatiProRata::showYear()
{
    m_imponibili = m_p.OperazioniImponibili();
    m_esenti = m_p.OperazioniEsenti();
    curAnnoImponibili->setText(formatAmount(m_imponibili, m_euro));
    curAnnoEsenti->setText(formatAmount(m_esenti, m_euro));
    curAnnoIvaSuAcquisti->setText(formatAmount(m_p.TotaleIvaAcquisti(), m_euro));
    curAnnoIvaDetratta->setText(formatAmount(m_p.IvaDetratta(), m_euro));
    ricalcolaAnno();
}

std::optional<Money> frmDatiProRata::typed(QLineEdit *field)
{
    return typedAmount(m_messages, field, m_euro);
}

bool frmDatiProRata::ricalcolaAnno()
{
    for (QLineEdit *f : {curAnnoImponibili, curAnnoEsenti}) {
        const std::optional<Money> v = typed(f);
        if (!v)
            return false;
        (f == curAnnoImponibili ? m_imponibili : m_esenti) = *v;
        f->setText(formatAmount(*v, m_euro));
    }
    const cDatiProRata::ConguaglioAnnuale c =
        m_p.CalcolaConguaglioAnnuale(m_imponibili, m_esenti, m_p.TotaleIvaAcquisti(), m_p.IvaDetratta());
    numAnnoPercentuale->setText(formatPercent(c.percentuale));
    curAnnoIvaDetraibile->setText(formatAmount(c.ivaDetraibile, m_euro));
    curAnnoIvaDaRecuperare->setText(formatAmount(c.ivaDaRecuperare, m_euro));
    curAnnoIvaDaVersare->setText(formatAmount(c.ivaDaVersare, m_euro));
    return true;
}

void frmDatiProRata::ricalcola()
{
    // Figures typed over are the user's: they go only when the user says so.
    const std::optional<Money> imponibili = parseAmount(curAnnoImponibili->text(), m_euro).value;
    const std::optional<Money> esenti = parseAmount(curAnnoEsenti->text(), m_euro).value;
    const bool typedOver = imponibili.value_or(Money()) != m_p.OperazioniImponibiliDaContatori() ||
                           esenti.value_or(Money()) != m_p.OperazioniEsentiDaContatori();
    if (typedOver && !m_messages.askYesNo(msgRicalcola()))
        return;
    curAnnoImponibili->setText(formatAmount(m_p.OperazioniImponibiliDaContatori(), m_euro));
    curAnnoEsenti->setText(formatAmount(m_p.OperazioniEsentiDaContatori(), m_euro));
    ricalcolaAnno();
}

bool frmDatiProRata::aggiorna()
{
    if (!ricalcolaAnno())
        return false;
    const Percent percentuale = cDatiProRata::CalcolaPercProRata(m_imponibili, m_esenti);
    m_p.Aggiorna(m_imponibili, m_esenti, percentuale);
    m_changed = true;
    lblAggiorna->setText(msgAggiornato(formatPercent(percentuale)));
    return true;
}

QString frmDatiProRata::msgRicalcola()
{
    return u"Le operazioni imponibili ed esenti digitate saranno sostituite da quelle dei contatori IVA."_qs +
           u"\n"_qs + u"Si desidera proseguire?"_qs;
}

QString frmDatiProRata::msgAggiornato(const QString &percentuale)
{
    return u"Aggiornato: pro-rata "_qs + percentuale +
           u"%, la liquidazione sarà ricalcolata alla chiusura della finestra."_qs;
}

} // namespace liqiva
