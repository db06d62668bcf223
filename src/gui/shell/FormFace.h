#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace liqiva {

struct DocumentContext;
class SettlementDocument;

// What the main window needs of the form face of a document window (the settlement itself):
// the document procedures it calls and the state it keeps in step with the command bar. The
// settlement's form (frmChild) provides it; tests put a small stand-in in its place.
class FormFace {
public:
    virtual ~FormFace() = default;

    // The widget shown in the document window; the document window takes it into its stack.
    virtual QWidget *widget() = 0;

    // Fills and shows a settlement; errors are shown by the form itself.
    virtual void sbChildFill(int key, bool makeDatiIva) = 0;
    // Saves through the core; false when refused or failed (the reason has been shown).
    virtual bool fnChildSave() = 0;
    // Deletes the settlement shown (the caller asked the question); false when it failed.
    virtual bool sbChildDelete() = 0;
    // Removes the working rows of this document.
    virtual void sbRemoveTrashRecord() = 0;

    virtual bool isChanged() const = 0;
    virtual void setChanged(bool changed) = 0;
    // The key of the settlement shown (0 when none).
    virtual int key() const = 0;
    // The document's caption (the period text).
    virtual QString caption() const = 0;

    // The search list of the code box that has the focus; false when the focus is not in one.
    virtual bool searchFocusedCode() { return false; }
    // Every field and cell read-only (a user without the right to save).
    virtual void setReadOnly(bool readOnly) { (void)readOnly; }
    // The access keys (lower-case letters) the main window's own menus already use: the form
    // leaves them to the menus.
    virtual void avoidAccessKeys(const QString &taken) { (void)taken; }

    // The pro-rata and the other operations of the settlement (their dialogs).
    virtual void sbGestioneProRata() {}
    virtual void sbGestioneAltreOperazioni() {}
    // The declaration data of the settlement (the periodic declaration, or the annual
    // communication of the annual settlement).
    virtual void sbDatiDip() {}
    // The other operations belong to the December advance only.
    virtual bool otherOperationsEnabled() const { return false; }
    // The settlement document the form shows (the declaration print reads it); nullptr
    // for a form without one.
    virtual SettlementDocument *settlementDocument() { return nullptr; }

    // Called with true at every edit (and with the new state whenever it changes).
    virtual void onChangedState(std::function<void(bool)> callback) = 0;
};

// Makes the form face of a new document window.
using FormFaceFactory = std::function<std::unique_ptr<FormFace>(const DocumentContext &context, QWidget *parent)>;

// The settlement's own form (frmChild).
FormFaceFactory settlementFormFactory();

} // namespace liqiva
