#pragma once

#include <QDialog>
#include <QJsonObject>
#include <QMap>

class QFormLayout;
class QGroupBox;
class QLayout;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace liqiva {

class Connection;
class MessageService;

// "Nuova azienda": the form of a company of one's own, over the set-up `liqiva company create`
// reads. OK checks every field as the set-up does, with its message, and puts the cursor on the
// field at fault; a refused set-up writes nothing. The company is written in one transaction.
class frmNuovaAzienda : public QDialog {
    Q_OBJECT
public:
    frmNuovaAzienda(Connection &db, MessageService &messages, int user, QWidget *parent = nullptr);

    // The form as the set-up's JSON.
    QJsonObject toJson() const;
    // Checks and writes; true when the company was created.
    bool save();
    int createdCompany() const { return m_company; }

    QLineEdit *field(const QString &path) const { return m_fields.value(path); }
    QTableWidget *activities() const { return m_activities; }
    void addActivity();

private:
    QLineEdit *addField(QFormLayout *form, const QString &path, const QString &label, const QString &value = {},
                        int width = 0);
    QGroupBox *registryBox();
    QLayout *declarantAndPayments();
    QGroupBox *activitiesBox();
    QWidget *okCancel();
    void focusField(const QString &message);

    Connection &m_db;
    MessageService &m_messages;
    int m_user;
    int m_company = 0;
    QMap<QString, QLineEdit *> m_fields; // by the set-up's name ("address.city")
    QSpinBox *m_firstYear;
    QTableWidget *m_activities;
};

} // namespace liqiva
