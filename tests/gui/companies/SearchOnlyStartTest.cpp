// The start of our own for a person who may only search, through the windows (offscreen), on
// both engines: the sign-in, the company and branch chosen among several, the main window with
// the write commands disabled and the company commands refused; on a shared server, as the
// person's own role, a write tried anyway is refused by the server and said.

#include "domain/companies/Passwords.h"
#include "domain/companies/ServerRoles.h"
#include "gui/companies/CompanyCommands.h"
#include "gui/companies/ModalScript.h"
#include "gui/companies/frmAccesso.h"
#include "gui/companies/frmApriArchivio.h"
#include "gui/invoices/frmRegoleImportazione.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/frmMDI.h"
#include "startup/OwnStart.h"
#include "startup/StartupFixture.h"
#include "suite/Refusal.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QInputDialog>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class SearchOnlyStart : public EngineTest {
protected:
    StartupHarness h;
};

} // namespace

TEST_P(SearchOnlyStart, SignInChooseABranchAndFindTheWritesClosed)
{
    auto t = TestDatabase::create(engine(), Content::Demo);
    UserPasswords(t->db()).setPassword(2, u"solo-lettura-2"_qs, 1);
    QString where = t->url();
    if (engine() == Engine::Postgres) {
        // The person connects as a role of their own, mapped to the search-only user.
        Connection &db = t->db();
        const QString reader = u"lettura_"_qs + QString::number(QCoreApplication::applicationPid());
        db.executeRaw(u"CREATE ROLE "_qs + reader + u" LOGIN"_qs);
        ServerRoles roles(db);
        roles.map(db.scalar(u"SELECT CAST(current_user AS TEXT)"_qs).toString(), 1, 1);
        roles.map(reader, 2, 1);
        roles.grantPrivileges();
        DatabaseLocation location = DatabaseLocation::parse(where);
        location.user = reader;
        where = location.toString();
    }
    const std::vector<OwnStart::Place> places = OwnStart::places(t->db());
    ASSERT_GE(places.size(), 2u);
    const OwnStart::Place &second = places[1];

    // On the server the administrator's name is refused before any password is asked (the
    // role is another user's); then the person signs in and chooses the second branch.
    std::vector<std::pair<QString, QString>> signIns = {{u"consultazione"_qs, u"solo-lettura-2"_qs}};
    if (engine() == Engine::Postgres)
        signIns.insert(signIns.begin(), {u"amministratore"_qs, QString()});
    std::deque<std::function<void(QWidget *)>> steps;
    for (const auto &[name, password] : signIns)
        steps.push_back([name, password](QWidget *w) {
            auto *dialog = qobject_cast<frmAccesso *>(w);
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QComboBox *>(u"cboUtente"_qs)->setCurrentText(name);
            type(dialog, u"txtPassword"_qs, password);
            click(dialog, "cmdOK");
        });
    QStringList offered;
    steps.push_back([&](QWidget *w) {
        auto *chooser = qobject_cast<QInputDialog *>(w);
        ASSERT_NE(chooser, nullptr);
        offered = chooser->comboBoxItems();
        chooser->setTextValue(OwnStart::placeCaption(second));
        chooser->accept();
    });
    ModalScript script(std::move(steps));
    std::optional<OwnStartChoice> chosen =
        OwnStartWindows(*h.store, h.messages, StartupHarness::executable).afterArchive(OwnStart::openArchive(where));
    ASSERT_TRUE(chosen) << h.messages.texts().join(u'\n').toStdString();
    EXPECT_TRUE(script.done());
    EXPECT_EQ(chosen->user, 2);
    EXPECT_EQ(offered.size(), qsizetype(places.size()));
    if (engine() == Engine::Postgres)
        EXPECT_TRUE(h.messages.texts().join(u'\n').contains(u"non si può agire come utente 1"_qs))
            << h.messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(h.store->read(StartupHarness::executable, HandOver::lIDBranch), QString::number(second.branch));
    EXPECT_EQ(h.store->read(StartupHarness::executable, HandOver::Password), QString());

    // The main window, as the hand-over opens it: searching yes, writing no.
    auto handed = std::make_shared<std::unique_ptr<Connection>>(std::move(chosen->db));
    Program &program = h.makeProgram({}, [handed](ProgramEnvironment &env) {
        env.openDatabase = [handed] { return std::move(*handed); };
        env.signedInUser = 2;
    });
    frmMDI window(program);
    h.messages.clear();
    ASSERT_EQ(program.start(window), Program::Outcome::Running) << h.messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(program.context().lIDBranch, second.branch);
    // command: enabled (the settlement's own commands are the main window's search-only test)
    const struct {
        const char *key;
        bool enabled;
    } commands[] = {
        {"Mnu_ImportaFatture", false},
        {"Mnu_RegoleImportazione", false},
        {"Mnu_FattureImportate", true},
        {"Mnu_AnnoLiquidazioni", true},
    };
    for (const auto &c : commands)
        EXPECT_EQ(window.commandBar().isEnabled(QString::fromLatin1(c.key)), c.enabled) << c.key;
    Connection &db = program.context().db();
    for (const QString &key : CompanyCommands::keys())
        EXPECT_THROW(CompanyCommands::run(key, db, h.messages, 2, second.company, nullptr), Refusal)
            << key.toStdString();

    // A write tried anyway through a window: on the server, refused by it and said; the rule
    // is not kept.
    if (engine() == Engine::Postgres) {
        h.messages.clear();
        frmRegoleImportazione rules(db, h.messages, second.company, 2);
        rules.setRule(u"01234567890"_qs, SupplierRule{.goods = true});
        EXPECT_FALSE(rules.saveRule());
        EXPECT_FALSE(h.messages.texts().isEmpty());
        EXPECT_EQ(t->db().scalar(u"SELECT COUNT(*) FROM RegolaImportazione"_qs).toInt(), 0);
    }
    program.endOfProgram();
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SearchOnlyStart);
