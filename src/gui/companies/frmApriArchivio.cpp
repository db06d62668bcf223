#include "gui/companies/frmApriArchivio.h"

#include "database/DbError.h"
#include "domain/companies/Passwords.h"
#include "domain/companies/ServerRoles.h"
#include "domain/companies/UserGroups.h"
#include "gui/common/Failures.h"
#include "gui/common/FileDialogs.h"
#include "gui/companies/frmAccesso.h"
#include "gui/companies/frmNuovaAzienda.h"
#include "startup/OwnStart.h"
#include "suite/HandOverStore.h"
#include "suite/Refusal.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace liqiva {

namespace {

const QString archiveFilter = u"Archivi della liquidazione IVA (*.db *.sqlite *.liqiva);;Tutti i file (*)"_qs;

QString shown(const QString &location)
{
    return location.contains(u"://"_qs) ? location : QDir::toNativeSeparators(location);
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmApriArchivio::frmApriArchivio(HandOverStore &store, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_store(store), m_messages(messages)
{
    setObjectName(u"frmApriArchivio"_qs);
    setWindowTitle(u"Apri archivio - Liquidazione I.V.A."_qs);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(u"Archivi &recenti:"_qs, this);
    layout->addWidget(label);
    auto *row = new QHBoxLayout;
    m_recent = new QListWidget(this);
    m_recent->setObjectName(u"lstRecenti"_qs);
    m_recent->setMinimumSize(420, 160);
    for (const QString &r : OwnStart::recentArchives(store)) {
        auto *item = new QListWidgetItem(shown(r), m_recent);
        item->setData(Qt::UserRole, r);
        item->setToolTip(shown(r));
    }
    if (m_recent->count())
        m_recent->setCurrentRow(0);
    label->setBuddy(m_recent);
    row->addWidget(m_recent, 1);
    auto *side = new QVBoxLayout;
    QPushButton *cmdNuovo = button(this, u"cmdNuovo"_qs, u"&Nuovo archivio..."_qs);
    QPushButton *cmdApriFile = button(this, u"cmdApriFile"_qs, u"&Apri..."_qs);
    QPushButton *cmdServer = button(this, u"cmdServer"_qs, u"&Server PostgreSQL..."_qs);
    side->addWidget(cmdNuovo);
    side->addWidget(cmdApriFile);
    side->addWidget(cmdServer);
    side->addStretch();
    row->addLayout(side);
    layout->addLayout(row);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"Apri"_qs, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"cmdOK"_qs);
    ok->setDefault(true);
    ok->setEnabled(m_recent->count() > 0);
    QPushButton *cancel = buttons->addButton(u"Annulla"_qs, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cmdAnnulla"_qs);
    layout->addWidget(buttons);

    connect(m_recent, &QListWidget::itemDoubleClicked, this, &frmApriArchivio::openRecent);
    connect(ok, &QPushButton::clicked, this, &frmApriArchivio::openRecent);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdNuovo, &QPushButton::clicked, this, &frmApriArchivio::newArchive);
    connect(cmdApriFile, &QPushButton::clicked, this, &frmApriArchivio::openFile);
    connect(cmdServer, &QPushButton::clicked, this, &frmApriArchivio::openServer);
    setTabOrder(m_recent, cmdNuovo);
    setTabOrder(cmdNuovo, cmdApriFile);
    setTabOrder(cmdApriFile, cmdServer);
    setTabOrder(cmdServer, ok);
    setTabOrder(ok, cancel);

    chooseFile = [this](bool forNew) {
        return forNew ? chooseFileToWrite(this, u"Nuovo archivio"_qs, QDir::home().filePath(u"liquidazioni.db"_qs),
                                          archiveFilter, false)
                      : chooseFileToRead(this, u"Apri archivio"_qs, archiveFilter);
    };
    askServer = [this]() -> std::optional<std::pair<QString, QString>> {
        frmServerPostgres dialog(this);
        while (dialog.exec() == QDialog::Accepted) {
            std::optional<std::pair<QString, QString>> out;
            if (runShowingFailures(m_messages, [&] { out = std::make_pair(dialog.address(), dialog.password()); }))
                return out;
        }
        return std::nullopt;
    };
}

frmApriArchivio::~frmApriArchivio() = default;

template <typename Open> void frmApriArchivio::tryOpen(const QString &remembered, Open &&open)
{
    if (runShowingFailures(m_messages, [&] { m_db = open(); })) {
        OwnStart::rememberArchive(m_store, remembered);
        accept();
    }
}

void frmApriArchivio::openRecent()
{
    const QListWidgetItem *item = m_recent->currentItem();
    if (!item)
        return;
    const QString location = item->data(Qt::UserRole).toString();
    if (location.contains(u"://"_qs)) {
        // A server asks its password each time, unless its password file answers.
        tryOpen(location, [&] {
            try {
                return OwnStart::openArchive(location);
            } catch (const DbError &) {
                bool ok = false;
                const QString password =
                    QInputDialog::getText(this, u"Server PostgreSQL"_qs, u"Password per "_qs + location + u':',
                                          QLineEdit::Password, QString(), &ok);
                if (!ok)
                    throw Refusal(u"Connessione annullata."_qs);
                return OwnStart::openArchive(location, password);
            }
        });
        return;
    }
    tryOpen(location, [&] { return OwnStart::openArchive(location); });
}

void frmApriArchivio::newArchive()
{
    const QString file = chooseFile(true);
    if (file.isEmpty())
        return;
    tryOpen(QFileInfo(file).absoluteFilePath(), [&] { return OwnStart::createArchive(file); });
}

void frmApriArchivio::openFile()
{
    const QString file = chooseFile(false);
    if (file.isEmpty())
        return;
    tryOpen(QFileInfo(file).absoluteFilePath(), [&] { return OwnStart::openArchive(file); });
}

void frmApriArchivio::openServer()
{
    const auto server = askServer();
    if (!server)
        return;
    tryOpen(server->first, [&] { return OwnStart::openArchive(server->first, server->second); });
}

frmServerPostgres::frmServerPostgres(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmServerPostgres"_qs);
    setWindowTitle(u"Server PostgreSQL - Liquidazione I.V.A."_qs);
    auto *form = new QFormLayout(this);
    form->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    auto env = [](const char *name, const QString &fallback) {
        const QString v = qEnvironmentVariable(name);
        return v.isEmpty() ? fallback : v;
    };
    m_host = new QLineEdit(env("PGHOST", u"localhost"_qs), this);
    m_host->setObjectName(u"txtServer"_qs);
    m_host->setMinimumWidth(260);
    m_port = new QSpinBox(this);
    m_port->setObjectName(u"txtPorta"_qs);
    m_port->setRange(1, 65535);
    m_port->setValue(env("PGPORT", u"5432"_qs).toInt() > 0 ? env("PGPORT", u"5432"_qs).toInt() : 5432);
    m_database = new QLineEdit(env("PGDATABASE", QString()), this);
    m_database->setObjectName(u"txtDatabase"_qs);
    m_user = new QLineEdit(env("PGUSER", qEnvironmentVariable("USER")), this);
    m_user->setObjectName(u"txtUtente"_qs);
    m_password = new QLineEdit(this);
    m_password->setObjectName(u"txtPassword"_qs);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setPlaceholderText(u"vuota: da ~/.pgpass o PGPASSWORD"_qs);
    form->addRow(u"&Server:"_qs, m_host);
    form->addRow(u"P&orta:"_qs, m_port);
    form->addRow(u"&Database:"_qs, m_database);
    form->addRow(u"&Utente del server:"_qs, m_user);
    form->addRow(u"&Password:"_qs, m_password);
    auto *note = new QLabel(u"La password serve solo a collegarsi: non viene salvata."_qs, this);
    note->setWordWrap(true);
    form->addRow(note);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(u"Collega"_qs);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(u"cmdOK"_qs);
    buttons->button(QDialogButtonBox::Cancel)->setText(u"Annulla"_qs);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    (m_database->text().isEmpty() ? m_database : m_password)->setFocus();
}

QString frmServerPostgres::address() const
{
    return OwnStart::serverAddress(m_host->text(), m_port->value(), m_database->text(), m_user->text());
}

QString frmServerPostgres::password() const
{
    return m_password->text();
}

std::optional<OwnStartChoice> OwnStartWindows::run()
{
    frmApriArchivio dialog(m_store, m_messages);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return afterArchive(dialog.takeConnection());
}

std::optional<OwnStartChoice> OwnStartWindows::afterArchive(std::unique_ptr<Connection> db)
{
    Connection &c = *db;
    std::optional<OwnStart::User> user;
    bool ok = runShowingFailures(m_messages, [&] {
        std::vector<OwnStart::User> users = OwnStart::users(c);
        if (users.empty()) {
            // A new archive: its first user, an administrator.
            bool given = false;
            const QString name = QInputDialog::getText(
                nullptr, u"Primo utente - Liquidazione I.V.A."_qs,
                u"L'archivio non ha ancora utenti. Nome del primo utente (sarà amministratore):"_qs, QLineEdit::Normal,
                qEnvironmentVariable("USER"), &given);
            if (!given)
                return;
            UserGroups(c).addUser(name, Groups::Admin, 0);
            users = OwnStart::users(c);
        }
        QStringList names;
        for (const OwnStart::User &u : users)
            names << u.name;
        const bool passwords = OwnStart::anyPassword(c);
        if (!passwords && users.size() == 1) {
            user = users.front();
            return;
        }
        const QString last = m_store.read(u"ArchiviRecenti"_qs, u"UltimoUtente"_qs);
        for (;;) {
            frmAccesso dialog(names, last, passwords);
            if (dialog.exec() != QDialog::Accepted)
                return;
            const bool signedIn = runShowingFailures(m_messages, [&] {
                const OwnStart::User u = OwnStart::userNamed(c, dialog.userName());
                // On a shared server a person signs in only as the user of their role (whose
                // password row is the only one their role can read).
                ServerRoles(c).requireActingUser(u.id);
                if (u.hasPassword)
                    UserPasswords(c).signIn(u.id, dialog.password());
                else if (!dialog.password().isEmpty())
                    throw Refusal(
                        QStringLiteral("L'utente \"%1\" non ha una password: lasciare vuoto il campo.").arg(u.name));
                user = u;
            });
            if (signedIn)
                return;
        }
    });
    if (!ok || !user)
        return std::nullopt;
    m_store.write(u"ArchiviRecenti"_qs, u"UltimoUtente"_qs, user->name);

    std::optional<OwnStart::Place> place;
    ok = runShowingFailures(m_messages, [&] {
        std::vector<OwnStart::Place> places = OwnStart::places(c);
        if (places.empty()) {
            m_messages.inform(u"L'archivio non ha ancora un'azienda: inserirne i dati in \"Nuova azienda\"."_qs);
            frmNuovaAzienda company(c, m_messages, user->id);
            if (company.exec() != QDialog::Accepted)
                return;
            places = OwnStart::places(c);
        }
        if (places.size() == 1) {
            place = places.front();
            return;
        }
        QStringList captions;
        for (const OwnStart::Place &p : places)
            captions << OwnStart::placeCaption(p);
        bool chosen = false;
        const QString which = QInputDialog::getItem(nullptr, u"Azienda e filiale - Liquidazione I.V.A."_qs,
                                                    u"Azienda e filiale:"_qs, captions, 0, false, &chosen);
        if (chosen)
            place = places[size_t(captions.indexOf(which))];
    });
    if (!ok || !place)
        return std::nullopt;
    ok = runShowingFailures(m_messages, [&] { OwnStart::writeHandOver(m_store, m_section, c, *user, *place); });
    if (!ok)
        return std::nullopt;
    return OwnStartChoice{std::move(db), user->id};
}

} // namespace liqiva
