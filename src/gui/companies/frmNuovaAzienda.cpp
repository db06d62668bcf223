#include "gui/companies/frmNuovaAzienda.h"

#include "domain/companies/CompanySetup.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

enum Column { Name, Ateco, AtecoDescription, Branch, Settlement, ProRata, FlatRate, Truckers, ReceiptsByRate, Columns };

const char *const columnKeys[] = {"name",          "ateco",   "atecoDescription",     "branch",
                                  "settlement",    "proRata", "flatRateCompensation", "truckers",
                                  "receiptsByRate"};

} // namespace

frmNuovaAzienda::frmNuovaAzienda(Connection &db, MessageService &messages, int user, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_user(user)
{
    setObjectName(u"frmNuovaAzienda"_qs);
    setWindowTitle(u"Nuova azienda - Liquidazione I.V.A."_qs);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(registryBox(), 3);
    top->addLayout(declarantAndPayments(), 2);
    layout->addLayout(top);
    layout->addWidget(activitiesBox(), 1);
    layout->addWidget(okCancel());
    m_fields.value(u"name"_qs)->setFocus();
    resize(990, 600);
}

QLineEdit *frmNuovaAzienda::addField(QFormLayout *form, const QString &path, const QString &label, const QString &value,
                                     int width)
{
    auto *edit = new QLineEdit(value, this);
    edit->setObjectName(u"txt_"_qs + QString(path).replace(u'.', u'_'));
    if (width)
        edit->setMaximumWidth(width);
    m_fields.insert(path, edit);
    form->addRow(label, edit);
    return edit;
}

QGroupBox *frmNuovaAzienda::registryBox()
{
    auto *registry = new QGroupBox(u"Anagrafica"_qs, this);
    auto *r = new QFormLayout(registry);
    r->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    addField(r, u"name"_qs, u"&Ragione sociale:"_qs)->setMinimumWidth(260);
    addField(r, u"vatNumber"_qs, u"Partita &IVA:"_qs, {}, 140)->setMaxLength(11);
    addField(r, u"taxCode"_qs, u"Codice &fiscale:"_qs, {}, 180)->setPlaceholderText(u"la partita IVA"_qs);
    addField(r, u"address.street"_qs, u"I&ndirizzo:"_qs);
    addField(r, u"address.postcode"_qs, u"&CAP:"_qs, {}, 70)->setMaxLength(5);
    addField(r, u"address.city"_qs, u"Co&mune:"_qs);
    addField(r, u"address.province"_qs, u"Pro&vincia:"_qs, {}, 50)->setMaxLength(2);
    m_firstYear = new QSpinBox(this);
    m_firstYear->setObjectName(u"txt_firstYear"_qs);
    m_firstYear->setRange(2000, 2100);
    m_firstYear->setValue(QDate::currentDate().year());
    m_firstYear->setMaximumWidth(90);
    r->addRow(u"&Primo anno IVA:"_qs, m_firstYear);
    addField(r, u"register"_qs, u"Re&gistro:"_qs, u"Registro liquidazioni IVA"_qs);
    return registry;
}

QLayout *frmNuovaAzienda::declarantAndPayments()
{
    auto *right = new QVBoxLayout;
    auto *declarant = new QGroupBox(u"Dichiarante"_qs, this);
    auto *d = new QFormLayout(declarant);
    d->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    addField(d, u"declarant.name"_qs, u"Nom&e:"_qs);
    addField(d, u"declarant.taxCode"_qs, u"Codice fi&scale:"_qs, {}, 180)->setMaxLength(16);
    addField(d, u"declarant.office"_qs, u"Co&dice carica:"_qs, u"1"_qs, 50);
    right->addWidget(declarant);
    auto *payments = new QGroupBox(u"Versamenti minimi"_qs, this);
    auto *p = new QFormLayout(payments);
    addField(p, u"minimumPayments.periodic"_qs, u"Peri&odico:"_qs, u"100,00"_qs, 100);
    addField(p, u"minimumPayments.advance"_qs, u"&Acconto:"_qs, u"103,29"_qs, 100);
    addField(p, u"minimumPayments.annual"_qs, u"Ann&uale:"_qs, u"10,33"_qs, 100);
    right->addWidget(payments);
    right->addStretch();
    return right;
}

QGroupBox *frmNuovaAzienda::activitiesBox()
{
    auto *acts = new QGroupBox(u"Attività (una filiale per attività)"_qs, this);
    auto *a = new QVBoxLayout(acts);
    m_activities = new QTableWidget(0, Columns, this);
    m_activities->setObjectName(u"grdAttivita"_qs);
    m_activities->setHorizontalHeaderLabels({u"Attività"_qs, u"ATECO"_qs, u"Descrizione ATECO"_qs, u"Filiale"_qs,
                                             u"Liquidazione"_qs, u"Pro-rata %"_qs, u"Compens."_qs, u"Autotrasp."_qs,
                                             u"Ventilazione"_qs});
    const std::pair<int, QString> tips[] = {
        {Branch, u"La filiale dell'attività; vuota: il nome dell'attività"_qs},
        {ProRata, u"La percentuale di detrazione, quando si applica il pro-rata; vuota: nessun pro-rata"_qs},
        {FlatRate, u"Regime di compensazione forfettaria (agricoltori)"_qs},
        {Truckers, u"Autotrasportatori: credito d'imposta"_qs},
        {ReceiptsByRate, u"Ventilazione dei corrispettivi per aliquota in proporzione agli acquisti"_qs},
    };
    for (const auto &[column, tip] : tips)
        m_activities->horizontalHeaderItem(column)->setToolTip(tip);
    const int widths[] = {140, 75, 180, 110, 135, 75, 70, 78, 90};
    for (int c = 0; c < Columns; ++c)
        m_activities->setColumnWidth(c, widths[c]);
    m_activities->horizontalHeader()->setSectionResizeMode(AtecoDescription, QHeaderView::Stretch);
    m_activities->setMinimumHeight(120);
    a->addWidget(m_activities);
    auto *rowButtons = new QHBoxLayout;
    auto *add = new QPushButton(u"A&ltra attività"_qs, this);
    add->setObjectName(u"cmdAggiungi"_qs);
    add->setAutoDefault(false);
    auto *remove = new QPushButton(u"&Togli attività"_qs, this);
    remove->setObjectName(u"cmdTogli"_qs);
    remove->setAutoDefault(false);
    rowButtons->addWidget(add);
    rowButtons->addWidget(remove);
    rowButtons->addStretch();
    a->addLayout(rowButtons);
    connect(add, &QPushButton::clicked, this, &frmNuovaAzienda::addActivity);
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_activities->rowCount() > 1)
            m_activities->removeRow(m_activities->currentRow() >= 0 ? m_activities->currentRow()
                                                                    : m_activities->rowCount() - 1);
    });
    addActivity();
    return acts;
}

QWidget *frmNuovaAzienda::okCancel()
{
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"OK"_qs);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdOK"_qs);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"Annulla"_qs);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(u"cmdAnnulla"_qs);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

void frmNuovaAzienda::addActivity()
{
    const int row = m_activities->rowCount();
    m_activities->insertRow(row);
    for (int c : {Name, Ateco, AtecoDescription, Branch, ProRata})
        m_activities->setItem(row, c, new QTableWidgetItem);
    auto *settlement = new QComboBox(m_activities);
    settlement->addItem(u"Mensile"_qs, u"monthly"_qs);
    settlement->addItem(u"Trimestrale"_qs, u"quarterly"_qs);
    settlement->addItem(u"Trim. speciale"_qs, u"special-quarterly"_qs);
    settlement->setToolTip(u"Mensile; trimestrale per opzione, con gli interessi; trimestrale speciale, senza "
                           u"interessi"_qs);
    m_activities->setCellWidget(row, Settlement, settlement);
    for (int c : {FlatRate, Truckers, ReceiptsByRate}) {
        auto *item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
        m_activities->setItem(row, c, item);
    }
}

QJsonObject frmNuovaAzienda::toJson() const
{
    QJsonObject root;
    auto text = [this](const QString &path) { return m_fields.value(path)->text().trimmed(); };
    auto put = [&](QJsonObject &o, const QString &key, const QString &path) {
        if (!text(path).isEmpty())
            o.insert(key, text(path));
    };
    put(root, u"name"_qs, u"name"_qs);
    root.insert(u"vatNumber"_qs, text(u"vatNumber"_qs));
    put(root, u"taxCode"_qs, u"taxCode"_qs);
    QJsonObject address;
    for (const QString &k : {u"street"_qs, u"postcode"_qs, u"city"_qs, u"province"_qs})
        put(address, k, u"address."_qs + k);
    root.insert(u"address"_qs, address);
    if (!text(u"declarant.name"_qs).isEmpty() || !text(u"declarant.taxCode"_qs).isEmpty()) {
        QJsonObject declarant;
        put(declarant, u"name"_qs, u"declarant.name"_qs);
        put(declarant, u"taxCode"_qs, u"declarant.taxCode"_qs);
        bool ok = false;
        const int office = text(u"declarant.office"_qs).toInt(&ok);
        declarant.insert(u"office"_qs, ok ? QJsonValue(office) : QJsonValue(text(u"declarant.office"_qs)));
        root.insert(u"declarant"_qs, declarant);
    }
    QJsonObject minimum;
    for (const QString &k : {u"periodic"_qs, u"advance"_qs, u"annual"_qs}) {
        // The form takes the Italian decimal comma; the set-up a point.
        QString t = text(u"minimumPayments."_qs + k);
        t.remove(u'.').replace(u',', u'.');
        if (!t.isEmpty())
            minimum.insert(k, t);
    }
    root.insert(u"minimumPayments"_qs, minimum);
    root.insert(u"firstYear"_qs, m_firstYear->value());
    put(root, u"register"_qs, u"register"_qs);
    QJsonArray activities;
    for (int row = 0; row < m_activities->rowCount(); ++row) {
        QJsonObject a;
        for (int c : {Name, Ateco, AtecoDescription, Branch}) {
            const QString t = m_activities->item(row, c)->text().trimmed();
            if (!t.isEmpty() || c != Branch)
                a.insert(QString::fromLatin1(columnKeys[c]), t);
        }
        a.insert(u"settlement"_qs,
                 static_cast<QComboBox *>(m_activities->cellWidget(row, Settlement))->currentData().toString());
        const QString proRata = m_activities->item(row, ProRata)->text().trimmed();
        if (!proRata.isEmpty()) {
            bool ok = false;
            const int v = proRata.toInt(&ok);
            a.insert(u"proRata"_qs, ok ? QJsonValue(v) : QJsonValue(proRata));
        }
        for (int c : {FlatRate, Truckers, ReceiptsByRate})
            a.insert(QString::fromLatin1(columnKeys[c]), m_activities->item(row, c)->checkState() == Qt::Checked);
        activities.append(a);
    }
    root.insert(u"activities"_qs, activities);
    return root;
}

bool frmNuovaAzienda::save()
{
    try {
        const CompanySetup setup = CompanySetup::fromJson(toJson());
        m_company = createCompany(m_db, setup, m_user).company;
        m_messages.inform(QStringLiteral("L'azienda \"%1\" è stata creata.").arg(setup.name));
        return true;
    } catch (const Refusal &r) {
        m_messages.warn(r.message());
        focusField(r.message());
    } catch (...) {
        showFailure(m_messages, std::current_exception());
    }
    return false;
}

void frmNuovaAzienda::focusField(const QString &message)
{
    static const QRegularExpression field(u"campo \"([^\"]+)\""_qs);
    const QRegularExpressionMatch m = field.match(message);
    if (!m.hasMatch())
        return;
    const QString path = m.captured(1);
    static const QRegularExpression activity(u"^activities\\[(\\d+)\\](?:\\.(\\w+))?$"_qs);
    if (const QRegularExpressionMatch am = activity.match(path); am.hasMatch()) {
        const int row = am.captured(1).toInt() - 1;
        int column = Name;
        for (int c = 0; c < Columns; ++c)
            if (am.captured(2) == QString::fromLatin1(columnKeys[c]))
                column = c;
        m_activities->setFocus();
        m_activities->setCurrentCell(row, column);
        return;
    }
    if (path == u"firstYear"_qs)
        m_firstYear->setFocus();
    else if (QLineEdit *edit = m_fields.value(path))
        edit->setFocus();
    else if (path == u"declarant"_qs)
        m_fields.value(u"declarant.name"_qs)->setFocus();
}

} // namespace liqiva
