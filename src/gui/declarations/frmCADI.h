#pragma once

#include "domain/declarations/DatiCADI.h"

#include <QDialog>
#include <QList>
#include <memory>

class QCheckBox;
class QLineEdit;

namespace liqiva {

class Connection;
class DatiCADIEdit;
class MessageService;

// "Comunicazione annuale dati IVA": the totals of the year shown, the imports without VAT
// at customs and "Eventi eccezionali" entered. A view over DatiCADIEdit.
class frmCADI : public QDialog {
    Q_OBJECT
public:
    frmCADI(Connection &db, DatiCADI &cadi, bool euro, MessageService &messages, QWidget *parent = nullptr);
    ~frmCADI() override;

    bool Modify() const { return m_modify; }
    bool ok();

private:
    std::unique_ptr<DatiCADIEdit> m_core;
    MessageService &m_messages;
    bool m_euro;
    bool m_modify = false;
    QList<QLineEdit *> curCADI; // by the index of the communication's boxes
    QCheckBox *chkEventiEccezionali = nullptr;
};

} // namespace liqiva
