#include "document/ui/frmChild.h"

#include "startup/database/DbError.h"
#include "suite/Messages.h"

namespace liqiva {

frmChild::frmChild(const DocumentContext &context, QWidget *parent)
    : QWidget(parent), m_ctx(context), m_doc(std::make_unique<SettlementDocument>(context))
{
    setObjectName(QStringLiteral("frmChild"));
}

frmChild::~frmChild() = default;

SettlementDocument &frmChild::document() { return *m_doc; }

void frmChild::sbChildFill(int key, bool makeDatiIva)
{
    try {
        m_doc->sbChildFill(key, makeDatiIva);
    } catch (const DbError &e) {
        m_ctx.messages.error(e.message());
    }
    setWindowTitle(caption());
}

bool frmChild::fnChildSave()
{
    const bool saved = m_doc->fnChildSave();
    if (saved)
        setChanged(false);
    return saved;
}

bool frmChild::sbChildDelete() { return m_doc->sbChildDelete(); }

void frmChild::sbRemoveTrashRecord() { m_doc->sbRemoveTrashRecord(); }

bool frmChild::isChanged() const { return m_changed; }

void frmChild::setChanged(bool changed)
{
    if (m_changed == changed)
        return;
    m_changed = changed;
    Q_EMIT changedStateChanged(changed);
}

int frmChild::key() const { return m_doc->key(); }

QString frmChild::caption() const { return m_doc->periodText(); }

} // namespace liqiva
