#include "gui/document/PaymentFrame.h"

#include "database/DbError.h"
#include "domain/document/InputText.h"
#include "domain/document/PaymentCodes.h"
#include "gui/common/Failures.h"
#include "gui/document/CodeSearchDialog.h"
#include "gui/document/CommitEdit.h"
#include "suite/Messages.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace liqiva {

namespace {

// The range of a paid amount.
constexpr Money MinPaid = Money::units(-9000000000);
constexpr Money MaxPaid = Money::units(99999999999);

// The option index of each place: bank, collection agent, post office.
int optionOf(PaymentPlace place)
{
    switch (place) {
    case PaymentPlace::Bank:
        return 0;
    case PaymentPlace::CollectionAgent:
        return 1;
    case PaymentPlace::PostOffice:
        return 2;
    case PaymentPlace::None:
        break;
    }
    return -1;
}

PaymentPlace placeOf(int option)
{
    static const PaymentPlace places[] = {PaymentPlace::Bank, PaymentPlace::CollectionAgent, PaymentPlace::PostOffice};
    return option >= 0 && option < 3 ? places[option] : PaymentPlace::None;
}

QLabel *labelFor(const QString &text, const QString &objectName, QWidget *buddy, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->setBuddy(buddy);
    return label;
}

} // namespace

PaymentFrame::PaymentFrame(Kind kind, Connection &db, MessageService &messages, QWidget *parent)
    : QGroupBox(parent), m_kind(kind), m_db(db), m_messages(messages)
{
    build();
}

QString PaymentFrame::name(const char *periodic, const char *advance) const
{
    return QString::fromLatin1(m_kind == Kind::Periodic ? periodic : advance);
}

void PaymentFrame::build()
{
    const bool periodic = m_kind == Kind::Periodic;
    setObjectName(name("fraVersamentiPeriodici", "fraVersamentoInAcconto"));
    setTitle(periodic ? u"Versamenti periodici"_qs : u"Versamento in acconto"_qs);
    buildPlace();
    buildBoxes();
    buildLabels();
    QGridLayout *grid = layoutFields();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_placeBox);
    layout->addLayout(grid);
    if (periodic) {
        m_infMinimo = new QLabel(this);
        m_infMinimo->setObjectName(u"lblImportoInfMinimo"_qs);
        m_infMinimo->setWordWrap(true);
        grid->addWidget(m_infMinimo, 9, 0, 1, 3);
    } else {
        m_riporta = new QPushButton(u"Ri&porto automatico"_qs, this);
        m_riporta->setObjectName(u"cmdRiporta"_qs);
        grid->addWidget(m_riporta, 9, 1, Qt::AlignLeft);
    }

    connect(m_place, &QButtonGroup::idClicked, this, [this](int id) { choosePlace(placeOf(id)); });
    connect(m_stampa, &QCheckBox::toggled, this, [this](bool on) {
        if (m_loading || !m_payment)
            return;
        m_payment->riportaInStampa = on;
        markChanged();
    });
    enableForPlace();
}

// Where the payment was made.
void PaymentFrame::buildPlace()
{
    m_placeBox = new QGroupBox(u"Versamento effettuato presso"_qs, this);
    m_placeBox->setObjectName(name("fraPressoPer", "fraPressoAcc"));
    m_place = new QButtonGroup(this);
    m_place->setObjectName(name("optVerPer", "optVerAcc"));
    // Two choices on a line, the third below: narrow windows keep them in sight.
    auto *placeLayout = new QGridLayout(m_placeBox);
    const QString captions[] = {u"Banca"_qs, u"Concessionario esattoriale"_qs, u"Ufficio postale"_qs};
    for (int i = 0; i < 3; ++i) {
        m_options[i] = new QRadioButton(captions[i], m_placeBox);
        m_options[i]->setObjectName(name("optVerPer", "optVerAcc") + QStringLiteral("(%1)").arg(i));
        m_place->addButton(m_options[i], i);
        placeLayout->addWidget(m_options[i], i / 2, i % 2);
    }
    placeLayout->setColumnStretch(2, 1);
}

// The boxes of the codes, the date and the amount, with their checks and searches.
void PaymentFrame::buildBoxes()
{
    auto box = [this](const QString &objectName) {
        auto *edit = new CommitEdit(this);
        edit->setObjectName(objectName);
        connect(edit, &CommitEdit::edited, this, &PaymentFrame::markChanged);
        return edit;
    };
    m_abi = box(name("txtCodABIPer", "txtCodABIAcc"));
    m_cab = box(name("txtCodCABPer", "txtCodCABAcc"));
    m_conc = box(name("txtCodConcPer", "txtCodConcAcc"));
    m_azienda = box(name("txtCodAziendaPer", "txtCodAziendaAcc"));
    m_data = box(name("dtaDataVersamentiPeriodici", "dtaDataVersamentoInAcconto"));
    m_importo = box(name("curImportoVersamentiPeriodici", "curImportoVersato"));
    m_stampa = new QCheckBox(u"Riportare in stampa"_qs, this);
    m_stampa->setObjectName(name("opzStampaVersamentiPeriodici", "opzStampaVersamentoInAcconto"));

    for (CommitEdit *code : {m_abi, m_cab})
        code->setMaxLength(5);
    m_abi->setValidator(new QRegularExpressionValidator(QRegularExpression(u"\\d{0,5}"_qs), m_abi));
    m_cab->setValidator(new QRegularExpressionValidator(QRegularExpression(u"\\d{0,5}"_qs), m_cab));
    m_conc->setValidator(new QRegularExpressionValidator(QRegularExpression(u"\\d{0,5}"_qs), m_conc));
    m_azienda->setMaxLength(20);
    m_data->setPlaceholderText(u"gg/mm/aaaa"_qs);
    m_data->setMaxLength(10);
    m_importo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const std::array<CommitEdit *, 3> codes = {m_abi, m_cab, m_conc};
    for (size_t i = 0; i < codes.size(); ++i) {
        CommitEdit *code = codes[i];
        code->setSearchable(true);
        code->setToolTip(u"F4: ricerca"_qs);
        connect(code, &CommitEdit::searchRequested, this, [this, code] { search(code); });
        // The search list is also a click away.
        auto *button = new QToolButton(this);
        button->setObjectName(u"cmdCerca"_qs + code->objectName().mid(3));
        button->setText(u"..."_qs);
        button->setToolTip(u"Cerca (F4)"_qs);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, code] {
            code->setFocus(Qt::OtherFocusReason);
            search(code);
        });
        m_searchButtons[i] = button;
    }
    m_abi->setAcceptor([this](const QString &t) { return acceptAbi(t); });
    m_cab->setAcceptor([this](const QString &t) { return acceptCab(t); });
    m_conc->setAcceptor([this](const QString &t) { return acceptConcession(t); });
    m_azienda->setAcceptor([this](const QString &t) { return acceptCompanyCode(t); });
    m_data->setAcceptor([this](const QString &t) { return acceptDate(t); });
    m_importo->setAcceptor([this](const QString &t) { return acceptAmount(t); });
}

// The labels of the boxes and the names of the bank and of the agent.
void PaymentFrame::buildLabels()
{
    m_lblAbi = labelFor(u"Cod. ABI"_qs, name("lblCodABIPer", "lblCodABIAcc"), m_abi, this);
    m_lblCab = labelFor(u"Cod. CAB"_qs, name("lblCodCABPer", "lblCodCABAcc"), m_cab, this);
    m_lblConc = labelFor(u"Cod. concessionario"_qs, name("lblCodConcPer", "lblCodConcAcc"), m_conc, this);
    m_lblAzienda = labelFor(u"Codice azienda"_qs, name("lblCodiceAziendaPer", "lblCodiceAziendaAcc"), m_azienda, this);
    m_lblData = labelFor(u"Data versamento:"_qs, name("lblDataVersamentiPeriodici", "lblDataVersamentoInAcconto"),
                         m_data, this);
    m_lblImporto =
        labelFor(u"Importo versato:"_qs, name("lblImportoVersamentiPeriodici", "lblImportoVersato"), m_importo, this);
    m_bankName = new QLabel(this);
    m_bankName->setObjectName(name("lblBancaPer", "lblBancaAcc"));
    m_agentName = new QLabel(this);
    m_agentName->setObjectName(name("lblConcessionarioPer", "lblConcessionarioAcc"));
    for (QLabel *description : {m_bankName, m_agentName}) {
        description->setTextInteractionFlags(Qt::NoTextInteraction);
        QPalette p = description->palette();
        p.setColor(QPalette::WindowText, p.color(QPalette::Disabled, QPalette::WindowText));
        description->setPalette(p);
    }
}

QGridLayout *PaymentFrame::layoutFields()
{
    // A label and its box on each line, the names of the bank and of the agent under their
    // codes: the frame stays readable in a window a third of the screen wide.
    auto *grid = new QGridLayout;
    grid->setColumnStretch(2, 1);
    // A code box with its search button in one cell.
    auto withButton = [this](CommitEdit *box, QAbstractButton *button) {
        auto *cell = new QHBoxLayout;
        cell->setSpacing(2);
        cell->addWidget(box, 1);
        cell->addWidget(button);
        return cell;
    };
    grid->addWidget(m_lblAbi, 0, 0);
    grid->addLayout(withButton(m_abi, m_searchButtons[0]), 0, 1);
    grid->addWidget(m_lblCab, 1, 0);
    grid->addLayout(withButton(m_cab, m_searchButtons[1]), 1, 1);
    grid->addWidget(m_bankName, 2, 1, 1, 2);
    grid->addWidget(m_lblConc, 3, 0);
    grid->addLayout(withButton(m_conc, m_searchButtons[2]), 3, 1);
    grid->addWidget(m_agentName, 4, 1, 1, 2);
    grid->addWidget(m_lblAzienda, 5, 0);
    grid->addWidget(m_azienda, 5, 1);
    grid->addWidget(m_lblData, 6, 0);
    grid->addWidget(m_data, 6, 1);
    grid->addWidget(m_lblImporto, 7, 0);
    grid->addWidget(m_importo, 7, 1);
    grid->addWidget(m_stampa, 8, 0, 1, 3);
    // Each box keeps room for what it holds, whatever the window's size.
    for (CommitEdit *e : {m_abi, m_cab, m_conc, m_data})
        e->setMaximumWidth(110);
    for (CommitEdit *code : {m_abi, m_cab, m_conc})
        code->setMinimumWidth(code->fontMetrics().horizontalAdvance(u"000000"_qs) + 16);
    m_data->setMinimumWidth(m_data->fontMetrics().horizontalAdvance(u"00/00/0000"_qs) + 16);
    for (CommitEdit *wide : {m_azienda, m_importo}) {
        wide->setMinimumWidth(wide->fontMetrics().horizontalAdvance(u"1.000.000.000,00"_qs) + 16);
        wide->setMaximumWidth(180);
    }

    return grid;
}

QList<QWidget *> PaymentFrame::tabChain() const
{
    QList<QWidget *> chain;
    for (QRadioButton *o : m_options)
        chain << o;
    chain << m_abi << m_cab << m_conc << m_azienda << m_data << m_importo << m_stampa;
    if (m_riporta)
        chain << m_riporta;
    return chain;
}

void PaymentFrame::bind(Payment *payment, bool euro)
{
    m_payment = payment;
    m_euro = euro;
    showPayment();
}

void PaymentFrame::refresh()
{
    showPayment();
}

void PaymentFrame::showPayment()
{
    m_loading = true;
    const Payment empty;
    const Payment &p = m_payment ? *m_payment : empty;
    m_place->setExclusive(false);
    for (QRadioButton *o : m_options)
        o->setChecked(false);
    m_place->setExclusive(true);
    if (const int option = optionOf(p.place); option >= 0)
        m_options[option]->setChecked(true);
    m_abi->showAccepted(p.abi);
    m_cab->showAccepted(p.cab);
    m_conc->showAccepted(p.codiceConcessione);
    m_azienda->showAccepted(p.codiceAzienda);
    m_data->showAccepted(formatDate(p.dataVersamento));
    m_importo->showAccepted(formatAmount(p.importo, m_euro));
    m_stampa->setChecked(p.riportaInStampa);
    m_idAbi = 0;
    m_bankName->clear();
    m_agentName->clear();
    runShowingFailures(m_messages, [&] {
        if (!p.abi.isEmpty())
            if (const std::optional<AbiCode> bank = findAbi(m_db, p.abi))
                m_idAbi = bank->idAbi;
        describeBank();
        describeAgent();
    });
    enableForPlace();
    m_loading = false;
}

void PaymentFrame::describeBank()
{
    QString text;
    if (m_idAbi > 0)
        if (const std::optional<AbiCode> bank = findAbi(m_db, m_abi->text())) {
            text = bank->banca;
            if (const std::optional<CabCode> branch = findCab(m_db, m_idAbi, m_cab->text()))
                text += u" - "_qs + branch->dipendenza;
        }
    m_bankName->setText(text);
}

void PaymentFrame::describeAgent()
{
    QString text;
    if (const std::optional<CollectionAgent> agent = findCollectionAgent(m_db, m_conc->text().toInt()))
        text = agent->name;
    m_agentName->setText(text);
}

void PaymentFrame::enableForPlace()
{
    const PaymentPlace place = m_payment ? m_payment->place : PaymentPlace::None;
    const bool bank = place == PaymentPlace::Bank;
    const bool agent = place == PaymentPlace::CollectionAgent;
    for (QWidget *w : std::initializer_list<QWidget *>{m_lblAbi, m_abi, m_lblCab, m_cab, m_bankName})
        w->setEnabled(bank);
    for (QWidget *w : std::initializer_list<QWidget *>{m_lblConc, m_conc, m_agentName, m_lblAzienda, m_azienda})
        w->setEnabled(agent);
    m_searchButtons[0]->setEnabled(bank && !m_readOnly);
    m_searchButtons[1]->setEnabled(bank && !m_readOnly);
    m_searchButtons[2]->setEnabled(agent && !m_readOnly);
}

void PaymentFrame::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (CommitEdit *e : {m_abi, m_cab, m_conc, m_azienda, m_data, m_importo})
        e->setReadOnly(readOnly);
    for (QRadioButton *o : m_options)
        o->setEnabled(!readOnly);
    m_stampa->setEnabled(!readOnly);
    if (m_riporta)
        m_riporta->setEnabled(!readOnly);
    enableForPlace();
}

void PaymentFrame::choosePlace(PaymentPlace place)
{
    if (m_loading || !m_payment || m_payment->place == place)
        return;
    Payment &p = *m_payment;
    p.place = place;
    // The codes of another place would say where the payment was made when it is read
    // back: they go with the choice.
    if (place != PaymentPlace::Bank) {
        p.idCab = 0;
        p.abi.clear();
        p.cab.clear();
    }
    if (place != PaymentPlace::CollectionAgent) {
        p.idConcessionarioEsattoriale = 0;
        p.codiceConcessione.clear();
        p.codiceAzienda.clear();
    }
    showPayment();
    markChanged();
}

bool PaymentFrame::acceptAbi(const QString &text)
{
    if (!m_payment)
        return false;
    Payment &p = *m_payment;
    if (text.trimmed().isEmpty()) {
        m_idAbi = 0;
        p.abi.clear();
        p.cab.clear();
        p.idCab = 0;
        m_cab->showAccepted(QString());
        describeBank();
        markChanged();
        return true;
    }
    std::optional<AbiCode> bank;
    if (!runShowingFailures(m_messages, [&] { bank = findAbi(m_db, text); }))
        return false;
    if (!bank) {
        m_messages.warn(msgAbiNotFound(text));
        return false;
    }
    if (bank->idAbi != m_idAbi) {
        // A branch belongs to its bank: another bank empties the branch.
        p.cab.clear();
        p.idCab = 0;
        m_cab->showAccepted(QString());
    }
    m_idAbi = bank->idAbi;
    p.abi = bank->abi;
    m_abi->showAccepted(bank->abi);
    describeBank();
    markChanged();
    return true;
}

bool PaymentFrame::acceptCab(const QString &text)
{
    if (!m_payment)
        return false;
    Payment &p = *m_payment;
    if (text.trimmed().isEmpty()) {
        p.cab.clear();
        p.idCab = 0;
        describeBank();
        markChanged();
        return true;
    }
    if (m_idAbi <= 0) {
        m_messages.warn(msgAbiFirst());
        return false;
    }
    std::optional<CabCode> branch;
    if (!runShowingFailures(m_messages, [&] { branch = findCab(m_db, m_idAbi, text); }))
        return false;
    if (!branch) {
        m_messages.warn(msgCabNotFound(text));
        return false;
    }
    p.cab = branch->cab;
    p.idCab = branch->idCab;
    m_cab->showAccepted(branch->cab);
    describeBank();
    markChanged();
    return true;
}

bool PaymentFrame::acceptConcession(const QString &text)
{
    if (!m_payment)
        return false;
    Payment &p = *m_payment;
    if (text.trimmed().isEmpty()) {
        p.codiceConcessione.clear();
        p.idConcessionarioEsattoriale = 0;
        describeAgent();
        markChanged();
        return true;
    }
    bool number = false;
    const int code = text.trimmed().toInt(&number);
    std::optional<CollectionAgent> agent;
    if (!runShowingFailures(m_messages, [&] {
            if (number)
                agent = findCollectionAgent(m_db, code);
        }))
        return false;
    if (!agent) {
        m_messages.warn(msgCollectionAgentNotFound(text));
        return false;
    }
    p.idConcessionarioEsattoriale = agent->idConcessionarioEsattoriale;
    p.codiceConcessione = QString::number(agent->codiceConcessione);
    m_conc->showAccepted(p.codiceConcessione);
    describeAgent();
    markChanged();
    return true;
}

bool PaymentFrame::acceptCompanyCode(const QString &text)
{
    if (!m_payment)
        return false;
    m_payment->codiceAzienda = text.trimmed();
    m_azienda->showAccepted(m_payment->codiceAzienda);
    markChanged();
    return true;
}

bool PaymentFrame::acceptDate(const QString &text)
{
    if (!m_payment)
        return false;
    const ParsedDate date = parseDate(text);
    if (!date.valid) {
        m_messages.warn(msgInvalidDate(text));
        return false;
    }
    m_payment->dataVersamento = date.value;
    m_data->showAccepted(formatDate(date.value));
    markChanged();
    return true;
}

bool PaymentFrame::acceptAmount(const QString &text)
{
    if (!m_payment)
        return false;
    const ParsedAmount amount = parseAmount(text, m_euro);
    if (!amount.valid) {
        m_messages.warn(msgInvalidAmount(text, m_euro));
        return false;
    }
    const Money value = amount.value.value_or(Money());
    if (value < MinPaid || value > MaxPaid) {
        m_messages.warn(msgAmountOutOfRange(formatAmount(MinPaid, m_euro), formatAmount(MaxPaid, m_euro)));
        return false;
    }
    m_payment->importo = value;
    m_importo->showAccepted(formatAmount(value, m_euro));
    markChanged();
    return true;
}

bool PaymentFrame::commitEdits()
{
    for (CommitEdit *e : {m_abi, m_cab, m_conc, m_azienda, m_data, m_importo})
        if (!e->commit())
            return false;
    return true;
}

void PaymentFrame::search(CommitEdit *box)
{
    if (!m_payment || !box->commit())
        return;
    CodeSearch wanted;
    if (box == m_abi) {
        wanted = abiSearch();
    } else if (box == m_cab) {
        if (m_idAbi <= 0) {
            m_messages.warn(msgAbiFirst());
            return;
        }
        wanted = cabSearch(m_idAbi);
    } else {
        wanted = collectionAgentSearch();
    }
    std::vector<CodeSearchRow> rows;
    if (!runShowingFailures(m_messages, [&] { rows = runSearch(m_db, wanted); }))
        return;
    CodeSearchDialog dialog(wanted, std::move(rows), window());
    dialog.selectCode(box->text());
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    // The chosen code goes through the same check as a typed one.
    box->setText(dialog.chosen()->code);
    box->commit();
    box->setFocus();
}

bool PaymentFrame::searchFocusedCode()
{
    for (CommitEdit *code : {m_abi, m_cab, m_conc})
        if (code->hasFocus() && code->isEnabled()) {
            search(code);
            return true;
        }
    return false;
}

void PaymentFrame::markChanged()
{
    if (!m_loading)
        Q_EMIT changed();
}

} // namespace liqiva
