// The start of our own through the windows (offscreen), on both engines: "Apri archivio" makes
// a new archive (or reaches the server), its first user is made, "Nuova azienda" refuses a bad
// VAT number writing nothing and then creates the company, and the hand-over is written. Then
// the user gets a password in "Utenti e diritti", and the sign-in refuses a wrong one and takes
// the right one.

#include "startup/OwnStart.h"
#include "domain/companies/Passwords.h"
#include "gui/companies/ModalScript.h"
#include "gui/companies/frmAccesso.h"
#include "gui/companies/frmApriArchivio.h"
#include "gui/companies/frmNuovaAzienda.h"
#include "gui/companies/frmUtenti.h"
#include "startup/StartupFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class OwnStartWindowsTest : public EngineTest {
protected:
    StartupHarness h;
    QTemporaryDir files;
};

} // namespace

TEST_P(OwnStartWindowsTest, ANewArchiveACompanyAPasswordAndTheSignIn)
{
    // The archive: a new SQLite file, or the server (there an archive made by `schema`).
    std::unique_ptr<TestDatabase> server;
    frmApriArchivio archive(*h.store, h.messages);
    const QString file = files.filePath(u"mie-liquidazioni.db"_qs);
    QFile notAnArchive(files.filePath(u"appunti.txt"_qs));
    ASSERT_TRUE(notAnArchive.open(QIODevice::WriteOnly));
    notAnArchive.write("non un archivio\n");
    notAnArchive.close();
    archive.chooseFile = [&](bool forNew) { return forNew ? file : notAnArchive.fileName(); };
    if (engine() == Engine::Postgres) {
        server = TestDatabase::create(engine(), Content::Schema);
        archive.askServer = [&] { return std::make_optional(std::make_pair(server->url(), QString())); };
    }
    archive.show();
    click(&archive, "cmdApriFile"); // a file that is no archive: said, and the dialog stays
    ASSERT_FALSE(h.messages.texts().isEmpty());
    EXPECT_TRUE(h.messages.texts().last().contains(u"non è un archivio"_qs) ||
                h.messages.texts().last().contains(u"database"_qs))
        << h.messages.texts().last().toStdString();
    EXPECT_EQ(archive.result(), QDialog::Rejected);
    EXPECT_TRUE(archive.isVisible());
    h.messages.clear();
    click(&archive, engine() == Engine::Sqlite ? "cmdNuovo" : "cmdServer");
    ASSERT_EQ(archive.result(), QDialog::Accepted) << h.messages.texts().join(u'\n').toStdString();
    std::unique_ptr<Connection> db = archive.takeConnection();
    ASSERT_TRUE(db);
    const QString where = engine() == Engine::Sqlite ? file : server->url();
    EXPECT_EQ(OwnStart::recentArchives(*h.store).value(0), where);
    Connection &c = *db;

    // Its first user, then "Nuova azienda": a wrong check digit, refused with nothing written;
    // then right.
    int companiesAfterRefusal = -1;
    ModalScript script({
        [](QWidget *w) {
            auto *input = qobject_cast<QInputDialog *>(w);
            ASSERT_NE(input, nullptr);
            input->setTextValue(u"anna"_qs);
            input->accept();
        },
        [&](QWidget *w) {
            auto *form = qobject_cast<frmNuovaAzienda *>(w);
            ASSERT_NE(form, nullptr);
            const std::pair<const char *, const char *> fields[] = {
                {"name", "Bianchi S.r.l."},         {"vatNumber", "00488410011"},
                {"address.street", "Via Po 2"},     {"address.postcode", "10121"},
                {"address.city", "Torino"},         {"address.province", "to"},
                {"declarant.name", "Bianchi Anna"}, {"declarant.taxCode", "BNCGVN80A01H501J"},
            };
            for (const auto &[path, value] : fields)
                type(form, u"txt_"_qs + QString::fromLatin1(path).replace(u'.', u'_'), QString::fromUtf8(value));
            QTableWidget *acts = form->activities();
            acts->item(0, 0)->setText(u"Consulenza"_qs);
            acts->item(0, 1)->setText(u"70.22.09"_qs);
            acts->item(0, 2)->setText(u"Consulenza aziendale"_qs);
            click(form, "cmdOK");
            companiesAfterRefusal = c.scalar(u"SELECT COUNT(*) FROM Azienda"_qs).toInt();
            EXPECT_TRUE(form->isVisible());
            EXPECT_EQ(form->focusWidget(), form->field(u"vatNumber"_qs)); // the field at fault
            type(form, u"txt_vatNumber"_qs, u"00488410010"_qs);
            click(form, "cmdOK");
        },
    });
    OwnStartWindows start(*h.store, h.messages, StartupHarness::executable);
    std::optional<OwnStartChoice> chosen = start.afterArchive(std::move(db));
    ASSERT_TRUE(chosen) << h.messages.texts().join(u'\n').toStdString();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(companiesAfterRefusal, 0);
    const QStringList said = h.messages.texts();
    EXPECT_TRUE(said.filter(u"campo \"vatNumber\""_qs).size() == 1) << said.join(u'\n').toStdString();
    EXPECT_TRUE(said.filter(u"\"Bianchi S.r.l.\" è stata creata"_qs).size() == 1) << said.join(u'\n').toStdString();
    EXPECT_EQ(h.store->read(StartupHarness::executable, HandOver::FirmName), u"Bianchi S.r.l."_qs);
    const int user = chosen->user;
    chosen.reset(); // the main window on the handed connection is the search-only start's test

    auto again = OwnStart::openArchive(where);

    // "Utenti e diritti": a password for anna (two that differ first).
    {
        frmUtenti users(*again, h.messages, user);
        ASSERT_TRUE(users.selectUser(u"anna"_qs));
        h.messages.clear();
        users.setPassword(u"segreta-anna-1"_qs, u"segreta-anna-2"_qs);
        EXPECT_FALSE(UserPasswords(*again).hasPassword(user));
        users.setPassword(u"segreta-anna-1"_qs, u"segreta-anna-1"_qs);
        EXPECT_TRUE(UserPasswords(*again).hasPassword(user));
    }

    // The sign-in: a wrong password refused and asked again, the right one taken; the dialog
    // shows the name and hides the password (the lock after five is the users' test).
    std::deque<std::function<void(QWidget *)>> steps;
    for (const QString &p : {u"sbagliata"_qs, u"segreta-anna-1"_qs})
        steps.push_back([p](QWidget *w) {
            auto *dialog = qobject_cast<frmAccesso *>(w);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->findChild<QLineEdit *>(u"txtPassword"_qs)->echoMode(), QLineEdit::Password);
            dialog->findChild<QComboBox *>(u"cboUtente"_qs)->setCurrentText(u"anna"_qs);
            type(dialog, u"txtPassword"_qs, p);
            click(dialog, "cmdOK");
        });
    steps.push_back([](QWidget *w) { click(w, "cmdAnnulla"); }); // gives up when asked again
    ModalScript signIn(std::move(steps));
    h.messages.clear();
    ASSERT_TRUE(
        OwnStartWindows(*h.store, h.messages, StartupHarness::executable).afterArchive(OwnStart::openArchive(where)));
    EXPECT_TRUE(h.messages.texts().value(0).contains(u"Password errata"_qs))
        << h.messages.texts().join(u'\n').toStdString();
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(OwnStartWindowsTest);
