#pragma once

#include "gui/shell/FormFace.h"

#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>

class QMdiSubWindow;
class QResizeEvent;

namespace liqiva {

enum class Answer;
class DocumentWindow;
class frmMDI;
struct DocumentContext;

// The main window's document windows: opening them on the browse or on a settlement, finding
// the one that shows a settlement, what a document window shows (list, filter, form), the
// save question before a document is closed or replaced, the save and the delete, keeping
// every window in step with the database, and a calling program's pick at the close.
class ShellDocuments : public QObject {
public:
    explicit ShellDocuments(frmMDI &window);

    // The form face of new document windows (the settlement's form unless a test says
    // otherwise). Without one a document window offers only its browse.
    void setFormFaceFactory(FormFaceFactory factory) { m_formFactory = std::move(factory); }

    DocumentWindow *activeDocument() const;
    QList<DocumentWindow *> documents() const;
    QMdiSubWindow *frameOf(DocumentWindow *doc) const;
    void activate(DocumentWindow *doc);

    // At start-up: the object a calling program names (picker mode), else the browse.
    void openFirst();
    // A new document window showing the browse of the saved settlements; nullptr (with the
    // message shown) when it could not be made.
    DocumentWindow *sbNewChildWithBrowse();
    // "New": the new-settlement dialog, then the chosen settlement in a document window.
    void sbCreateNewChild();
    // The open document window showing a settlement, restored and activated; nullptr if none.
    DocumentWindow *fnFindChild(int key);
    // Shows a settlement in the form face: activates the window that shows it already, or
    // fills the given window (after its save question), or a new one. Returns the window.
    DocumentWindow *sbShowObject(int key, DocumentWindow *into = nullptr, bool makeDatiIva = false);
    // Asks whether to save the document's changes. False: stop (cancelled, or the save
    // failed). keepWorkingRows: "No" leaves the document's working rows in place.
    bool fnQuestionForSave(DocumentWindow *doc, bool keepWorkingRows = false);
    // A document window is about to close.
    void fnCloseChild(DocumentWindow &doc, bool &cancel);
    void sbSetbChangedObject(bool changed);
    void sbSetbSavedObject(bool saved);
    // "Clear": the form face drops its unsaved changes.
    void sbClearChild();
    // Whether a settlement is still stored (live or a working row).
    bool settlementExists(int key);

    // The commands on a document window.
    void save(DocumentWindow *doc);
    void remove(DocumentWindow *doc);
    void search(DocumentWindow *doc, bool empty);
    void searchExecute(DocumentWindow *doc);
    void move(DocumentWindow *doc, int step);
    void showTable(DocumentWindow *doc);
    void showForm(DocumentWindow *doc);

    // The only document window fills the area (at the start, and as the area's size changes).
    void fillAreaWithOnlyDocument();
    void followAreaSize(const QResizeEvent &resize);

    // Closes every document window (their save questions first); false when one stayed.
    bool closeDocuments();

    // Picker mode: started by a calling program, which gets the key chosen at the close.
    bool pickerMode() const { return !m_client.isEmpty(); }
    void runPicker();
    // The key chosen in the picker, -1 when it was cancelled (or not shown).
    int pickerResult() const { return m_pickerResult; }

private:
    DocumentWindow *createDocumentWindow();
    void placeFrame(QMdiSubWindow *frame, QMdiSubWindow *current);
    DocumentContext documentContext() const;
    // Whether a form face can be made; says so when it cannot.
    bool formAvailable();
    void installForm(DocumentWindow &doc);
    bool fillDocument(DocumentWindow &doc, int key, bool makeDatiIva);
    void releaseDocument(DocumentWindow &doc);
    // The save question of one document; on Yes it saves. Cancel also when the save failed.
    Answer askAndSave(DocumentWindow &doc);
    void discardChanges(DocumentWindow &doc);
    void removeWorkingRows(DocumentWindow &doc);
    bool requeryOrUnload(DocumentWindow &doc);
    // Brings a document window in step with the database after settlementsChanged.
    void followDatabase(DocumentWindow &doc, int key, bool stored);
    void refillUnchanged(DocumentWindow &doc);
    void leaveSearchMode(DocumentWindow *doc);
    void updateCommands();

    frmMDI &m_w;
    FormFaceFactory m_formFactory;
    std::int16_t m_documentCounter = 0;
    bool m_filling = false;
    bool m_following = false;  // document windows are being filled again after a save
    bool m_closingAll = false; // the program closes every document window
    QString m_client;
    int m_pickerResult = -1;
};

} // namespace liqiva
