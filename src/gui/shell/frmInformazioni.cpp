#include "gui/shell/frmInformazioni.h"

#include "gui/shell/ToolIcons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace liqiva {

frmInformazioni::frmInformazioni(const ProgramInfo &info, QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmInformazioni"_qs);
    setWindowTitle(u"Informazioni su "_qs + info.title);

    auto *icon = new QLabel(this);
    icon->setPixmap(documentIcon().pixmap(48, 48));
    auto *title = new QLabel(info.title, this);
    title->setObjectName(u"lblTitolo"_qs);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    auto *description = new QLabel(info.description, this);
    description->setObjectName(u"lblDescrizione"_qs);
    description->setWordWrap(true);
    auto *head = new QVBoxLayout;
    head->addWidget(title);
    head->addWidget(description);
    auto *top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(head, 1);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto *form = new QFormLayout;
    auto row = [&](const QString &caption, const QString &value, const QString &name) {
        auto *l = new QLabel(value, this);
        l->setObjectName(name);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->setWordWrap(true);
        form->addRow(caption, l);
    };
    row(u"Versione:"_qs, info.version, u"lblVersione"_qs);
    row(u"Database:"_qs, info.engine, u"lblDatabase"_qs);
    row(u"Indirizzo:"_qs, info.address, u"lblIndirizzo"_qs);
    row(u"Utente:"_qs, info.user, u"lblUtente"_qs);
    row(u"Azienda:"_qs, info.company, u"lblAzienda"_qs);
    row(u"Qt:"_qs, QString::fromLatin1(qVersion()), u"lblQt"_qs);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(u"OK"_qs, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"cmdOk"_qs);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(520);
}

} // namespace liqiva
