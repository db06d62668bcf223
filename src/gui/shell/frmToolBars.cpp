#include "gui/shell/frmToolBars.h"

#include "gui/shell/ShellSettings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace liqiva {

namespace {

// The bars the list offers, by object name, with the captions the user knows them by.
QList<QPair<QWidget *, QString>> bars(QMainWindow &window)
{
    QList<QPair<QWidget *, QString>> out;
    for (const QString &name : {u"Standard"_qs, u"ToolDip"_qs})
        if (auto *tb = window.findChild<QToolBar *>(name))
            out.append({tb, name == u"Standard"_qs ? u"Barra standard"_qs : u"Barra della liquidazione IVA"_qs});
    out.append({window.statusBar(), u"Barra di stato"_qs});
    if (QDockWidget *pane = activityPane(window))
        out.append({pane, u"Riquadro attività"_qs});
    return out;
}

} // namespace

frmToolBars::frmToolBars(QMainWindow &window, ShellSettings &settings, QWidget *parent)
    : QDialog(parent), m_window(window), m_settings(settings)
{
    setObjectName(u"frmToolBars"_qs);
    setWindowTitle(u"Barre degli strumenti"_qs);

    auto *label = new QLabel(u"&Barre visualizzate:"_qs, this);
    lstBande = new QListWidget(this);
    lstBande->setObjectName(u"lstBande"_qs);
    label->setBuddy(lstBande);
    for (const auto &[widget, caption] : bars(window)) {
        auto *item = new QListWidgetItem(caption, lstBande);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(widget->isHidden() ? Qt::Unchecked : Qt::Checked);
        item->setData(Qt::UserRole, widget->objectName());
    }
    chkToolTip = new QCheckBox(u"Mostra le &descrizioni dei pulsanti"_qs, this);
    chkToolTip->setObjectName(u"chkToolTip"_qs);
    chkToolTip->setChecked(settings.toolTips);
    chkLargeIcon = new QCheckBox(u"&Icone grandi"_qs, this);
    chkLargeIcon->setObjectName(u"chkLargeIcon"_qs);
    chkLargeIcon->setChecked(settings.largeIcons);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *restore = buttons->addButton(u"&Ripristina"_qs, QDialogButtonBox::ResetRole);
    restore->setObjectName(u"cmdRipristina"_qs);
    restore->setToolTip(u"Riporta le barre nella disposizione iniziale"_qs);
    QPushButton *ok = buttons->addButton(u"OK"_qs, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"cmdOk"_qs);
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(u"Annulla"_qs, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cmdAnnulla"_qs);
    connect(restore, &QPushButton::clicked, this, [this] {
        m_restore = true;
        for (int i = 0; i < lstBande->count(); ++i)
            lstBande->item(i)->setCheckState(Qt::Checked);
        chkToolTip->setChecked(true);
        chkLargeIcon->setChecked(false);
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        apply();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(lstBande);
    layout->addWidget(chkToolTip);
    layout->addWidget(chkLargeIcon);
    layout->addWidget(buttons);
    setMinimumSize(440, 340);
}

void frmToolBars::restoreBuiltInLayout(QMainWindow &window)
{
    auto *standard = window.findChild<QToolBar *>(u"Standard"_qs);
    auto *dip = window.findChild<QToolBar *>(u"ToolDip"_qs);
    if (!standard || !dip)
        return;
    for (QToolBar *tb : {standard, dip}) {
        window.removeToolBarBreak(tb);
        window.removeToolBar(tb);
    }
    window.addToolBar(Qt::TopToolBarArea, standard);
    window.addToolBarBreak(Qt::TopToolBarArea);
    window.addToolBar(Qt::TopToolBarArea, dip);
    standard->show();
    dip->show();
}

void frmToolBars::apply()
{
    if (m_restore)
        restoreBuiltInLayout(m_window);
    for (int i = 0; i < lstBande->count(); ++i) {
        const QString name = lstBande->item(i)->data(Qt::UserRole).toString();
        QWidget *w = name == m_window.statusBar()->objectName() ? m_window.statusBar()
                                                                 : m_window.findChild<QWidget *>(name);
        if (w)
            w->setVisible(lstBande->item(i)->checkState() == Qt::Checked);
    }
    m_settings.statusBar = !m_window.statusBar()->isHidden();
    m_settings.toolTips = chkToolTip->isChecked();
    m_settings.largeIcons = chkLargeIcon->isChecked();
    m_settings.applyLook(m_window);
}

} // namespace liqiva
