#include "gui/companies/frmUtenti.h"

#include "database/Connection.h"
#include "domain/companies/Passwords.h"
#include "domain/companies/UserGroups.h"
#include "gui/common/Failures.h"
#include "suite/Messages.h"
#include "suite/Refusal.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace liqiva {

namespace {

const QStringList groups = {Groups::Search, Groups::Work, Groups::Admin};

QPushButton *button(QWidget *parent, QLayout *layout, const QString &name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    layout->addWidget(b);
    return b;
}

} // namespace

frmUtenti::frmUtenti(Connection &db, MessageService &messages, int user, QWidget *parent)
    : QDialog(parent), m_db(db), m_messages(messages), m_user(user)
{
    setObjectName(u"frmUtenti"_qs);
    setWindowTitle(u"Utenti e diritti - Liquidazione I.V.A."_qs);
    auto *layout = new QHBoxLayout(this);
    m_users = new QTableWidget(0, 3, this);
    m_users->setObjectName(u"grdUtenti"_qs);
    m_users->setHorizontalHeaderLabels({u"Utente"_qs, u"Gruppi"_qs, u"Password"_qs});
    m_users->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_users->setSelectionMode(QAbstractItemView::SingleSelection);
    m_users->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_users->verticalHeader()->hide();
    m_users->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_users->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_users->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_users->setMinimumSize(440, 240);
    layout->addWidget(m_users, 1);
    auto *side = new QVBoxLayout;
    QPushButton *add = button(this, side, u"cmdNuovo"_qs, u"&Nuovo utente..."_qs);
    QPushButton *password = button(this, side, u"cmdPassword"_qs, u"Imposta &password..."_qs);
    QPushButton *join = button(this, side, u"cmdAggiungi"_qs, u"&Aggiungi al gruppo..."_qs);
    QPushButton *leave = button(this, side, u"cmdTogli"_qs, u"&Togli dal gruppo..."_qs);
    side->addStretch();
    QPushButton *close = button(this, side, u"cmdChiudi"_qs, u"&Chiudi"_qs);
    layout->addLayout(side);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(add, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString name =
            QInputDialog::getText(this, u"Nuovo utente"_qs, u"Nome dell'utente:"_qs, QLineEdit::Normal, QString(), &ok);
        if (!ok)
            return;
        const QString group = QInputDialog::getItem(this, u"Nuovo utente"_qs, u"Gruppo:"_qs, groups, 0, false, &ok);
        if (ok)
            newUser(name, group);
    });
    connect(password, &QPushButton::clicked, this, [this] {
        if (!selectedUser())
            return;
        bool ok = false;
        const QString first =
            QInputDialog::getText(this, u"Imposta password"_qs, u"Nuova password (almeno 8 caratteri):"_qs,
                                  QLineEdit::Password, QString(), &ok);
        if (!ok)
            return;
        const QString second = QInputDialog::getText(this, u"Imposta password"_qs, u"Ripetere la password:"_qs,
                                                     QLineEdit::Password, QString(), &ok);
        if (ok)
            setPassword(first, second);
    });
    for (auto [b, remove] : {std::pair{join, false}, std::pair{leave, true}})
        connect(b, &QPushButton::clicked, this, [this, remove] {
            if (!selectedUser())
                return;
            bool ok = false;
            const QString group = QInputDialog::getItem(this, windowTitle(), u"Gruppo:"_qs, groups, 0, false, &ok);
            if (ok)
                setMembership(group, remove);
        });
    refresh();
}

void frmUtenti::refresh()
{
    const int keep = selectedUser();
    m_users->setRowCount(0);
    runShowingFailures(m_messages, [&] {
        struct Row {
            int id;
            QString name;
            bool password;
        };
        std::vector<Row> rows; // read whole before the groups: one result set at a time
        for (Recordset rs = m_db.openRecordset(
                 u"SELECT Utente.IDUtente, Utente.Utente, PasswordUtente.HashPassword FROM Utente LEFT JOIN "
                 u"PasswordUtente ON PasswordUtente.IDUtente = Utente.IDUtente WHERE COALESCE(Utente.VirtualDelete, 0) "
                 u"= 0 ORDER BY Utente.Utente, Utente.IDUtente"_qs);
             !rs.eof(); rs.moveNext())
            rows.push_back(
                {rs.integer(u"IDUtente"_qs), rs.text(u"Utente"_qs).trimmed(), !rs.text(u"HashPassword"_qs).isEmpty()});
        for (const Row &r : rows) {
            QStringList member;
            for (Recordset g = m_db.openRecordset(
                     u"SELECT Gruppo.Gruppo FROM UtentePerGruppo INNER JOIN Gruppo ON Gruppo.IDGruppo = "
                     u"UtentePerGruppo.IDGruppo WHERE UtentePerGruppo.IDUtente = ? AND COALESCE(UtentePerGruppo."
                     u"VirtualDelete, 0) = 0 ORDER BY Gruppo.Gruppo"_qs,
                     {r.id});
                 !g.eof(); g.moveNext())
                member << g.text(u"Gruppo"_qs).trimmed();
            const int row = m_users->rowCount();
            m_users->insertRow(row);
            auto *name = new QTableWidgetItem(r.name);
            name->setData(Qt::UserRole, r.id);
            m_users->setItem(row, 0, name);
            m_users->setItem(row, 1, new QTableWidgetItem(member.join(u", "_qs)));
            m_users->setItem(row, 2, new QTableWidgetItem(r.password ? u"sì"_qs : u"no"_qs));
            if (r.id == keep)
                m_users->selectRow(row);
        }
    });
    if (!selectedUser() && m_users->rowCount())
        m_users->selectRow(0);
}

int frmUtenti::selectedUser() const
{
    const int row = m_users->currentRow();
    return row < 0 || !m_users->item(row, 0) ? 0 : m_users->item(row, 0)->data(Qt::UserRole).toInt();
}

bool frmUtenti::selectUser(const QString &name)
{
    for (int row = 0; row < m_users->rowCount(); ++row)
        if (m_users->item(row, 0)->text() == name) {
            m_users->selectRow(row);
            return true;
        }
    return false;
}

void frmUtenti::newUser(const QString &name, const QString &group)
{
    int made = 0;
    if (runShowingFailures(m_messages, [&] { made = UserGroups(m_db).addUser(name, group, m_user); })) {
        refresh();
        selectUser(name.trimmed());
    }
    Q_UNUSED(made);
}

void frmUtenti::setPassword(const QString &password, const QString &repeated)
{
    const int member = selectedUser();
    if (!member)
        return;
    runShowingFailures(m_messages, [&] {
        if (password != repeated)
            throw Refusal(u"Le due password non coincidono: nulla è stato cambiato."_qs);
        UserPasswords(m_db).setPassword(member, password, m_user);
        m_messages.inform(u"La password è stata impostata."_qs);
    });
    refresh();
}

void frmUtenti::setMembership(const QString &group, bool remove)
{
    const int member = selectedUser();
    if (!member)
        return;
    runShowingFailures(m_messages, [&] { UserGroups(m_db).setMembership(member, group, remove, m_user); });
    refresh();
}

} // namespace liqiva
