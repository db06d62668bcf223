#pragma once

// The main window over the demo company, with a stand-in form face that records what the
// main window asks of it, and helpers to drive modal dialogs.

#include "database/SqlValue.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/WorkingRecords.h"
#include "gui/shell/BrowseFace.h"
#include "gui/shell/CommandBar.h"
#include "gui/shell/DocumentWindow.h"
#include "gui/shell/FormFace.h"
#include "gui/shell/ShellCommands.h"
#include "gui/shell/ShellDocuments.h"
#include "gui/shell/ShellHelp.h"
#include "gui/shell/ShellPrinting.h"
#include "gui/shell/WindowSettings.h"
#include "gui/shell/frmMDI.h"
#include "startup/StartupFixture.h"
#include "suite/BusyCounter.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

namespace liqiva::test {

// The demo's keys (see the demo company's description).
constexpr int demoCompany = 1;
constexpr int demoBranch = 1;
constexpr int demoFunction = 1;
constexpr int userAllRights = 1;
constexpr int userSearchOnly = 2;
constexpr int year2024 = 2; // IDPeriodoIva
constexpr int year2025 = 3;
constexpr int shopActivity = 1;      // monthly
constexpr int wholesaleActivity = 2; // quarterly

// What the main window did to a form face.
struct FormLog {
    std::vector<std::pair<int, bool>> fills; // key, makeDatiIva
    int saves = 0;
    int deletes = 0;
    int trashRemovals = 0;
    // Run in the middle of the next fill, while the document is busy.
    std::function<void()> duringFill;
};

// A small form face: a text box whose edits mark the document changed. Saving confirms the
// working rows, deleting removes the settlement, as the document would.
class StandInForm : public FormFace {
public:
    StandInForm(const DocumentContext &ctx, QWidget *parent, FormLog &log, const bool &saveSucceeds)
        : m_db(ctx.db), m_user(ctx.idUser), m_log(log), m_saveSucceeds(saveSucceeds), m_widget(new QWidget(parent))
    {
        m_widget->setObjectName(u"frmChild"_qs);
        auto *layout = new QVBoxLayout(m_widget);
        m_label = new QLabel(m_widget);
        m_edit = new QLineEdit(m_widget);
        m_edit->setObjectName(u"txtNote"_qs);
        layout->addWidget(m_label);
        layout->addWidget(m_edit);
        QObject::connect(m_edit, &QLineEdit::textEdited, m_widget, [this] { setChanged(true); });
    }
    QWidget *widget() override { return m_widget; }
    void sbChildFill(int key, bool makeDatiIva) override
    {
        m_log.fills.emplace_back(key, makeDatiIva);
        if (auto during = std::exchange(m_log.duringFill, nullptr)) {
            // A long fill raises the busy counter and lets the window process its events.
            BusyScope busy;
            during();
            BusyCounter::yieldToEvents();
        }
        m_key = key;
        m_label->setText(caption());
        m_edit->clear();
    }
    bool fnChildSave() override
    {
        ++m_log.saves;
        if (!m_saveSucceeds)
            return false;
        for (const QString table : {u"RisultatoLiquidazioneIva"_qs, u"RisultatoLiquidazioneIvaXTipo"_qs})
            WorkingRecords::confirmSaved(m_db, table, u"IDRisultatoLiquidazioneIva"_qs, m_key, m_user);
        return true;
    }
    bool sbChildDelete() override
    {
        ++m_log.deletes;
        for (const QString table : {u"RisultatoLiquidazioneIvaXTipo"_qs, u"RisultatoLiquidazioneIva"_qs})
            m_db.execute(u"DELETE FROM "_qs + table + u" WHERE IDRisultatoLiquidazioneIva = "_qs + sqlParam(m_key));
        return true;
    }
    void sbRemoveTrashRecord() override
    {
        ++m_log.trashRemovals;
        WorkingRecords::removeDocumentRows(m_db, m_user, m_key);
    }
    bool isChanged() const override { return m_changed; }
    void setChanged(bool changed) override
    {
        m_changed = changed;
        if (m_callback)
            m_callback(changed);
    }
    int key() const override { return m_key; }
    QString caption() const override { return m_key > 0 ? u"Periodo "_qs + QString::number(m_key) : QString(); }
    void onChangedState(std::function<void(bool)> callback) override { m_callback = std::move(callback); }

private:
    Connection &m_db;
    int m_user;
    FormLog &m_log;
    const bool &m_saveSucceeds;
    QWidget *m_widget;
    QLabel *m_label;
    QLineEdit *m_edit;
    int m_key = 0;
    bool m_changed = false;
    std::function<void(bool)> m_callback;
};

// Runs act on the first modal dialog of type D that comes up (tries for about two seconds).
template <class D> void whenShown(std::function<void(D &)> act, int tries = 400)
{
    QTimer::singleShot(5, [act, tries] {
        if (auto *d = qobject_cast<D *>(QApplication::activeModalWidget())) {
            act(*d);
            return;
        }
        if (tries > 0)
            whenShown<D>(act, tries - 1);
    });
}

// Input as the user gives it: the events go through the application, its event filters
// included, to the widget.
inline void keyClick(QWidget *w, Qt::Key key, Qt::KeyboardModifiers mods = {}, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &release);
}

inline void keyClicks(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        keyClick(w, Qt::Key(c.toUpper().unicode()), {}, QString(c));
}

inline void mouseDoubleClick(QWidget *w, const QPoint &p)
{
    const QPointF local(p), global(w->mapToGlobal(p));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, local, global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

// Lets closed windows go.
inline void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The main window started over a demo database for a user.
class ShellTest : public ::testing::Test {
protected:
    void startFor(int user, Engine engine = Engine::Sqlite)
    {
        prepare(user, engine);
        launch();
    }
    // The database, before the program starts.
    void prepare(int user, Engine engine = Engine::Sqlite)
    {
        t = TestDatabase::create(engine, Content::Demo);
        idUser = user;
    }
    void launch()
    {
        const int user = idUser;
        const Engine engine = t->db().engine();
        h.writeHandOver(t->url(), engine);
        const QString s = StartupHarness::executable;
        h.store->write(s, HandOver::IDUser, QString::number(user));
        h.store->write(s, HandOver::lIDFirm, QString::number(demoCompany));
        h.store->write(s, HandOver::lIDBranch, QString::number(demoBranch));
        h.store->write(s, HandOver::IDFunction, QString::number(demoFunction));
        h.store->write(s, HandOver::lIDActivity, QString::number(shopActivity));
        h.store->write(s, HandOver::FirmName, u"Ferramenta Lombardi S.r.l."_qs);
        h.store->write(s, HandOver::Branch, u"Sede di Milano"_qs);
        for (const auto &[key, value] : extraHandOver)
            h.store->write(s, key, value);
        h.store->sync();
        Program &p = h.makeProgram();
        window = std::make_unique<frmMDI>(p);
        if (!realForm)
            window->docs().setFormFaceFactory([this](const DocumentContext &ctx, QWidget *parent) {
                return std::make_unique<StandInForm>(ctx, parent, log, saveSucceeds);
            });
        ASSERT_EQ(p.start(*window), Program::Outcome::Running) << h.messages.texts().join(u'\n').toStdString();
        window->activateWindow();
        for (int i = 0; i < 100 && !window->isActiveWindow(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        h.messages.clear();
    }
    void TearDown() override
    {
        if (window && window->isVisible()) {
            for (int i = 0; i < 10; ++i)
                h.messages.answer(Answer::No);
            window->close();
        }
        window.reset();
        settle();
    }

    Connection &db() { return t->db(); }
    CommandBar &bar() { return window->commandBar(); }
    static QMdiSubWindow *frame(DocumentWindow *doc) { return qobject_cast<QMdiSubWindow *>(doc->parentWidget()); }
    bool enabled(const QString &key) { return bar().isEnabled(key); }

    // A settlement of the demo: index of the period list of the activity and year; saved
    // (VirtualDelete 0) or a working row of the user.
    int makeSettlement(int activity, int vatYear, int index, bool saved)
    {
        ScriptedMessages quiet;
        NewSettlement ns(db(), demoCompany, idUser);
        ns.sbSetComboMesi(activity, vatYear, 0);
        const int key = ns.createWorkingSettlement(activity, vatYear, index, 0);
        if (saved)
            for (const QString table : {u"RisultatoLiquidazioneIva"_qs, u"RisultatoLiquidazioneIvaXTipo"_qs})
                WorkingRecords::confirmSaved(db(), table, u"IDRisultatoLiquidazioneIva"_qs, key, idUser);
        return key;
    }
    int workingRowsOfUser()
    {
        return db()
            .scalar(u"SELECT (SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 2 AND "
                    u"IDUtenteUltimaVariazione = ?) + (SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo WHERE "
                    u"VirtualDelete = 2 AND IDUtenteUltimaVariazione = ?)"_qs,
                    {idUser, idUser})
            .toInt();
    }
    int virtualDelete(int key)
    {
        const QVariant v =
            db().scalar(u"SELECT VirtualDelete FROM RisultatoLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                        {sqlValue(key)});
        return v.isNull() ? -1 : v.toInt();
    }
    // A double click on the row of a settlement in a window's list.
    static void doubleClickRow(DocumentWindow *doc, int key)
    {
        ASSERT_TRUE(doc->browse()->moveByRowIds(key));
        QTableView *grid = doc->browse()->grid();
        mouseDoubleClick(grid->viewport(), grid->visualRect(grid->currentIndex()).center());
        settle();
    }
    void closeAllDocuments()
    {
        for (DocumentWindow *d : window->docs().documents())
            qobject_cast<QMdiSubWindow *>(d->parentWidget())->close();
        settle();
    }

    std::unique_ptr<TestDatabase> t;
    StartupHarness h;
    std::vector<std::pair<QString, QString>> extraHandOver;
    std::unique_ptr<frmMDI> window;
    FormLog log;
    bool saveSucceeds = true;
    bool realForm = false; // the settlement's own form instead of the stand-in
    int idUser = 0;
};

} // namespace liqiva::test
