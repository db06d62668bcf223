#include "gui/shell/frmOption.h"

#include "gui/common/DialogButtons.h"
#include "gui/shell/ShellSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

frmOption::frmOption(ShellSettings &settings, QWidget *parent) : QDialog(parent), m_settings(settings)
{
    setObjectName(u"frmOption"_qs);
    setWindowTitle(u"Opzioni"_qs);

    auto *bar = new QGroupBox(u"Barra dei comandi"_qs, this);
    chkToolTip = new QCheckBox(u"Mostra le &descrizioni dei pulsanti"_qs, bar);
    chkToolTip->setObjectName(u"chkToolTip"_qs);
    chkLargeIcon = new QCheckBox(u"&Icone grandi"_qs, bar);
    chkLargeIcon->setObjectName(u"chkLargeIcon"_qs);
    chkStatusbar = new QCheckBox(u"Mostra la &barra di stato"_qs, bar);
    chkStatusbar->setObjectName(u"chkStatusbar"_qs);
    auto *barLayout = new QVBoxLayout(bar);
    barLayout->addWidget(chkToolTip);
    barLayout->addWidget(chkLargeIcon);
    barLayout->addWidget(chkStatusbar);

    auto *work = new QGroupBox(u"Lavoro"_qs, this);
    cboInsertType = new QComboBox(work);
    cboInsertType->setObjectName(u"cboInsertType"_qs);
    cboInsertType->addItems(ShellSettings::insertOptions());
    cboDefaultExport = new QComboBox(work);
    cboDefaultExport->setObjectName(u"cboDefaultExport"_qs);
    cboDefaultExport->addItems({u"Documento Word"_qs, u"Foglio Excel"_qs, u"Pagina HTML"_qs, u"Documento PDF"_qs});
    auto *form = new QFormLayout(work);
    form->addRow(u"Inserimento &righe nelle griglie:"_qs, cboInsertType);
    form->addRow(u"&Formato di esportazione proposto:"_qs, cboDefaultExport);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(bar);
    layout->addWidget(work);
    layout->addStretch();
    connect(addOkCancel(*this, *layout).first, &QPushButton::clicked, this, &frmOption::confirm);

    chkToolTip->setChecked(m_settings.toolTips);
    chkLargeIcon->setChecked(m_settings.largeIcons);
    chkStatusbar->setChecked(m_settings.statusBar);
    cboInsertType->setCurrentIndex(m_settings.insertType);
    cboDefaultExport->setCurrentIndex(m_settings.defaultExport);
    setMinimumWidth(520);
}

void frmOption::confirm()
{
    m_settings.toolTips = chkToolTip->isChecked();
    m_settings.largeIcons = chkLargeIcon->isChecked();
    m_settings.statusBar = chkStatusbar->isChecked();
    m_settings.insertType = cboInsertType->currentIndex();
    m_settings.defaultExport = cboDefaultExport->currentIndex();
    m_settings.sbSaveCommonOptionSetting();
    m_confirmed = true;
    accept();
}

} // namespace liqiva
