#include "gui/shell/FormFace.h"

#include "domain/document/SettlementDocument.h"
#include "gui/document/frmChild.h"

namespace liqiva {

namespace {

class SettlementFormFace : public FormFace {
public:
    SettlementFormFace(const DocumentContext &context, QWidget *parent) : m_form(new frmChild(context, parent)) {}

    QWidget *widget() override { return m_form; }
    void sbChildFill(int key, bool makeDatiIva) override { m_form->sbChildFill(key, makeDatiIva); }
    bool fnChildSave() override { return m_form->fnChildSave(); }
    bool sbChildDelete() override { return m_form->sbChildDelete(); }
    void sbRemoveTrashRecord() override { m_form->sbRemoveTrashRecord(); }
    bool isChanged() const override { return m_form->isChanged(); }
    void setChanged(bool changed) override { m_form->setChanged(changed); }
    int key() const override { return m_form->key(); }
    QString caption() const override { return m_form->caption(); }
    bool searchFocusedCode() override { return m_form->searchFocusedCode(); }
    void setReadOnly(bool readOnly) override { m_form->setReadOnly(readOnly); }
    void avoidAccessKeys(const QString &taken) override { m_form->avoidAccessKeys(taken); }
    void sbGestioneProRata() override { m_form->sbGestioneProRata(); }
    void sbGestioneAltreOperazioni() override { m_form->sbGestioneAltreOperazioni(); }
    void sbDatiDip() override { m_form->sbDatiDip(); }
    bool otherOperationsEnabled() const override { return m_form->document().otherOperationsEnabled(); }
    SettlementDocument *settlementDocument() override { return &m_form->document(); }
    void onChangedState(std::function<void(bool)> callback) override
    {
        QObject::connect(m_form, &frmChild::changedStateChanged, m_form, std::move(callback));
    }

private:
    frmChild *m_form; // owned by its parent widget
};

} // namespace

FormFaceFactory settlementFormFactory()
{
    return [](const DocumentContext &context, QWidget *parent) -> std::unique_ptr<FormFace> {
        return std::make_unique<SettlementFormFace>(context, parent);
    };
}

} // namespace liqiva
