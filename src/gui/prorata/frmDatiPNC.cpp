#include "gui/prorata/frmDatiPNC.h"

#include "database/DbError.h"
#include "domain/document/InputText.h"
#include "domain/prorata/cDatiProRata.h"
#include "gui/common/Failures.h"
#include "gui/common/FormRows.h"
#include "suite/AccountingEntry.h"
#include "suite/Messages.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

namespace {
QComboBox *combo(const char *name, QWidget *parent)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setMinimumWidth(260);
    return c;
}

QLineEdit *field(const char *name, QWidget *parent, bool editable = true)
{
    auto *f = new QLineEdit(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setReadOnly(!editable);
    if (!editable)
        f->setFocusPolicy(Qt::NoFocus);
    return f;
}

QString label(const DatiPNC::Voce &v)
{
    return v.codice.isEmpty() ? v.descrizione : v.codice + u" - "_qs + v.descrizione;
}
} // namespace

frmDatiPNC::frmDatiPNC(cDatiProRata &datiProRata, Money importoStorno, MessageService &messages, bool euro,
                       QWidget *parent)
    : QDialog(parent), m_core(datiProRata, importoStorno), m_messages(messages), m_euro(euro)
{
    setObjectName(u"frmDatiPNC"_qs);
    setWindowTitle(u"Dati Prima nota"_qs);
    auto *root = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    KvrFirmGerarchy1 = combo("KvrFirmGerarchy1", this);
    cboEsercizio = combo("cboEsercizio", this);
    kvrDataReg = field("kvrDataReg", this);
    kvrNumReg = field("kvrNumReg", this);
    addRows(*form, {{u"Filiale"_qs, KvrFirmGerarchy1},
                    {u"Esercizio contabile"_qs, cboEsercizio},
                    {u"Data registrazione"_qs, kvrDataReg},
                    {u"Numero registrazione"_qs, kvrNumReg}});
    root->addLayout(form);

    auto *causale = new QGroupBox(u"Causale contabile"_qs, this);
    auto *causaleLayout = new QVBoxLayout(causale);
    kvrContbCausale = combo("kvrContbCausale", causale);
    causaleLayout->addWidget(kvrContbCausale);
    root->addWidget(causale);

    auto *accounts = new QFormLayout;
    KvrSearchACSDare = combo("KvrSearchACSDare", this);
    KvrSearchACSAvere = combo("KvrSearchACSAvere", this);
    curImportoStorno = field("curImportoStorno", this, false);
    curImportoCont = field("curImportoCont", this, false);
    txtNote = field("txtNote", this);
    for (QLineEdit *f : {curImportoStorno, curImportoCont})
        f->setAlignment(Qt::AlignRight);
    addRows(*accounts, {{u"Codice e descrizione Conto Dare"_qs, KvrSearchACSDare},
                        {u"Codice e descrizione Conto Avere"_qs, KvrSearchACSAvere},
                        {u"Importo da stornare"_qs, curImportoStorno},
                        {u"Importo storno contabilizzato"_qs, curImportoCont},
                        {u"Note"_qs, txtNote}});
    root->addLayout(accounts);

    auto *buttons = new QHBoxLayout;
    cmdCrea = new QPushButton(u"Crea &registrazione"_qs, this);
    cmdCrea->setObjectName(u"cmdCrea"_qs);
    cmdChiudi = new QPushButton(u"&Chiudi"_qs, this);
    cmdChiudi->setObjectName(u"cmdChiudi"_qs);
    buttons->addStretch();
    buttons->addWidget(cmdCrea);
    buttons->addWidget(cmdChiudi);
    root->addLayout(buttons);

    for (const DatiPNC::Voce &v : m_core.Filiali())
        KvrFirmGerarchy1->addItem(label(v), v.id);
    for (const DatiPNC::Voce &v : m_core.Esercizi())
        cboEsercizio->addItem(label(v), v.id);
    kvrContbCausale->addItem(QString(), 0);
    for (const DatiPNC::Voce &v : m_core.Causali())
        kvrContbCausale->addItem(label(v), v.id);
    curImportoStorno->setText(formatAmount(m_core.ImportoStorno(), m_euro));
    showDati(m_core.Proposta());

    connect(cboEsercizio, &QComboBox::currentIndexChanged, this, [this] {
        fillAccounts();
        proposeAccounts();
    });
    connect(KvrFirmGerarchy1, &QComboBox::currentIndexChanged, this, [this] { proposeAccounts(); });
    // A date taken shows as taken, in full.
    connect(kvrDataReg, &QLineEdit::editingFinished, this, [this] {
        const ParsedDate date = parseDate(kvrDataReg->text());
        if (date.valid && date.value)
            kvrDataReg->setText(formatDate(date.value));
    });
    connect(cmdCrea, &QPushButton::clicked, this, &frmDatiPNC::creaRegistrazione);
    connect(cmdChiudi, &QPushButton::clicked, this, &QDialog::accept);
    cmdCrea->setDefault(true);
}

QString frmDatiPNC::msgMancante(const QString &field)
{
    return DatiPNC::msgDatiObbligatori() + u"\n"_qs + u"Manca: "_qs + field + u"."_qs;
}

QHash<QWidget *, QString> frmDatiPNC::fieldNames() const
{
    return {{KvrFirmGerarchy1, u"Filiale"_qs},          {cboEsercizio, u"Esercizio contabile"_qs},
            {kvrDataReg, u"Data registrazione"_qs},     {kvrNumReg, u"Numero registrazione"_qs},
            {kvrContbCausale, u"Causale contabile"_qs}, {KvrSearchACSDare, u"Conto Dare"_qs},
            {KvrSearchACSAvere, u"Conto Avere"_qs}};
}

void frmDatiPNC::select(QComboBox *combo, int id)
{
    const int i = combo->findData(id);
    combo->setCurrentIndex(i);
}

int frmDatiPNC::selected(const QComboBox *combo)
{
    return combo->currentIndex() < 0 ? 0 : combo->currentData().toInt();
}

void frmDatiPNC::fillAccounts()
{
    const int dare = selected(KvrSearchACSDare), avere = selected(KvrSearchACSAvere);
    const QSignalBlocker a(KvrSearchACSDare), b(KvrSearchACSAvere);
    KvrSearchACSDare->clear();
    KvrSearchACSAvere->clear();
    KvrSearchACSDare->addItem(QString(), 0);
    KvrSearchACSAvere->addItem(QString(), 0);
    for (const DatiPNC::Voce &v : m_core.Conti(selected(cboEsercizio))) {
        KvrSearchACSDare->addItem(label(v), v.id);
        KvrSearchACSAvere->addItem(label(v), v.id);
    }
    select(KvrSearchACSDare, dare);
    select(KvrSearchACSAvere, avere);
}

void frmDatiPNC::proposeAccounts()
{
    if (m_core.RegistrazioneEsistente())
        return;
    const auto [dare, avere] = m_core.ContiPredefiniti(selected(KvrFirmGerarchy1), selected(cboEsercizio));
    select(KvrSearchACSDare, dare);
    select(KvrSearchACSAvere, avere);
}

void frmDatiPNC::showDati(const DatiPNC::Dati &d)
{
    const QSignalBlocker a(cboEsercizio), b(KvrFirmGerarchy1);
    select(KvrFirmGerarchy1, d.idFiliale);
    select(cboEsercizio, d.idEsercizio);
    fillAccounts();
    kvrDataReg->setText(
        formatDate(d.dataRegistrazione.isValid() ? std::optional<QDate>(d.dataRegistrazione) : std::nullopt));
    kvrNumReg->setText(d.numeroRegistrazione > 0 ? QString::number(d.numeroRegistrazione) : QString());
    select(kvrContbCausale, d.idCausaleContabile);
    select(KvrSearchACSDare, d.idContoDare);
    select(KvrSearchACSAvere, d.idContoAvere);
    txtNote->setText(d.note);
    const std::optional<Money> booked = m_core.ImportoContabilizzato();
    curImportoCont->setText(booked ? formatAmount(*booked, m_euro) : QString());
}

DatiPNC::Dati frmDatiPNC::dati() const
{
    DatiPNC::Dati d;
    d.idFiliale = selected(KvrFirmGerarchy1);
    d.idEsercizio = selected(cboEsercizio);
    const ParsedDate date = parseDate(kvrDataReg->text());
    if (date.valid && date.value)
        d.dataRegistrazione = *date.value;
    bool ok = false;
    const long long number = kvrNumReg->text().trimmed().toLongLong(&ok);
    // A number that is not one, or out of range, is refused by the core as not valid.
    d.numeroRegistrazione = !ok ? 0 : (number > AccountingEntry::NumeroMassimo || number < 0 ? -1 : int(number));
    d.idCausaleContabile = selected(kvrContbCausale);
    d.idContoDare = selected(KvrSearchACSDare);
    d.idContoAvere = selected(KvrSearchACSAvere);
    d.note = txtNote->text();
    return d;
}

bool frmDatiPNC::creaRegistrazione()
{
    const DatiPNC::Dati d = dati();
    // Where the focus goes when the core refuses.
    QWidget *wrong = nullptr;
    if (d.idFiliale <= 0)
        wrong = KvrFirmGerarchy1;
    else if (d.idEsercizio <= 0)
        wrong = cboEsercizio;
    else if (!d.dataRegistrazione.isValid())
        wrong = kvrDataReg;
    else if (d.numeroRegistrazione == 0)
        wrong = kvrNumReg;
    else if (d.idCausaleContabile <= 0)
        wrong = kvrContbCausale;
    else if (d.idContoDare <= 0)
        wrong = KvrSearchACSDare;
    else if (d.idContoAvere <= 0)
        wrong = KvrSearchACSAvere;
    // A field left empty is named, and the focus goes there.
    if (wrong) {
        const QString name = fieldNames().value(wrong);
        m_messages.warn(msgMancante(name));
        wrong->setFocus();
        return false;
    }
    int proposta = 0;
    bool booked = false;
    // Checked, asked whether an existing entry may be replaced, then written.
    runShowingFailures(m_messages, [&] {
        m_core.Verifica(d, &proposta);
        if (m_core.EsisteRegistrazione() && !m_messages.askOkCancel(DatiPNC::questionAggiorna()))
            return;
        m_core.Registra(d, &proposta);
        booked = true;
    });
    if (booked) {
        m_messages.inform(DatiPNC::msgRegistrazioneEffettuata());
        m_booked = true;
        showDati(m_core.Proposta());
        return true;
    }
    // Refused or cancelled: the focus goes where the user corrects.
    if (proposta > 0) {
        kvrNumReg->setText(QString::number(proposta));
        wrong = kvrNumReg;
    } else if (d.dataRegistrazione.isValid()) {
        wrong = kvrDataReg;
    }
    if (wrong)
        wrong->setFocus();
    return false;
}

} // namespace liqiva
