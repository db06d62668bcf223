#pragma once

#include "gui/shell/FormFace.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QStackedWidget;

namespace liqiva {

class BrowseFace;
class MessageService;

// A document window of the main window: the browse face (brwMain, the saved settlements) and
// the form face (the settlement itself) in one stack. It keeps the document's state that the
// main window reads and writes by name (Tag, bChangedObject, bSavedObject, bSearchChild);
// what happens on a command is decided by the main window.
class DocumentWindow : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Tag READ tagText)
    Q_PROPERTY(bool bChangedObject READ changedObject WRITE setChangedObject)
    Q_PROPERTY(bool bSavedObject READ savedObject WRITE setSavedObject)
    Q_PROPERTY(bool bSearchChild READ searchChild WRITE setSearchChild)
public:
    enum class Face { Table, Filter, Form };

    // number: the main window's running number of document windows, used in the caption.
    DocumentWindow(int number, MessageService &messages, QWidget *parent = nullptr);
    ~DocumentWindow() override;

    BrowseFace *browse() const { return m_browse; }
    FormFace *formFace() const { return m_form.get(); }
    void setFormFace(std::unique_ptr<FormFace> form);

    Face face() const { return m_face; }
    void showFace(Face face);
    bool showsForm() const { return m_face == Face::Form; }

    // The key of the settlement in the form face (0: none).
    int tag() const { return m_tag; }
    void setTag(int key) { m_tag = key; }
    QString tagText() const { return m_tag > 0 ? QString::number(m_tag) : QString(); }

    bool changedObject() const { return m_changed; }
    void setChangedObject(bool changed);
    bool savedObject() const { return m_saved; }
    void setSavedObject(bool saved) { m_saved = saved; }
    bool searchChild() const { return m_search; }
    void setSearchChild(bool search) { m_search = search; }

    int number() const { return m_number; }
    // The form face was opened from this window's list: closing the form goes back to it.
    bool openedFromBrowse() const { return m_fromBrowse; }
    void setOpenedFromBrowse(bool fromBrowse) { m_fromBrowse = fromBrowse; }
    // Caption of the window: the object's name (given in lower case) and the key of the
    // settlement shown, or "Nuova elaborazione" for a settlement never saved, then its period;
    // the list alone is named by the object's name.
    void updateCaption(const QString &lowerCaseName);
    // The caption the questions name the document by.
    QString documentCaption() const;

    // The main window's fnCloseChild: called when the window is about to close; setting
    // cancel keeps it open.
    void setCloseHandler(std::function<void(DocumentWindow &, bool &cancel)> handler)
    {
        m_closeHandler = std::move(handler);
    }
    // Closes without asking (the document is gone or the question was already asked).
    void closeWithoutQuestion();
    bool closing() const { return m_closing; }

    // The control that takes the focus on the current face.
    void focusFirstField();

Q_SIGNALS:
    // A control of the window asks for a command of the command bar (double click on a row...).
    void commandRequested(const QString &key);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    int m_number;
    BrowseFace *m_browse;
    QStackedWidget *m_stack;
    QLabel *m_noForm;
    std::unique_ptr<FormFace> m_form;
    Face m_face = Face::Table;
    int m_tag = 0;
    bool m_changed = false;
    bool m_saved = false;
    bool m_search = false;
    bool m_skipQuestion = false;
    bool m_closing = false;
    bool m_fromBrowse = false;
    std::function<void(DocumentWindow &, bool &)> m_closeHandler;
};

} // namespace liqiva
