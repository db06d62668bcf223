#pragma once

#include <QDialog>

namespace liqiva {

// What the about box shows.
struct ProgramInfo {
    QString title;
    QString description;
    QString version;   // major.minor.revision, from the build
    QString engine;    // the database engine in use
    QString address;   // where the database is, without any password
    QString user;
    QString company;
};

// The about box (? > Informazioni su ...): the program, its version, the database it works
// on, the user and the company of the session, the Qt version. OK and Esc close it.
class frmInformazioni : public QDialog {
    Q_OBJECT
public:
    frmInformazioni(const ProgramInfo &info, QWidget *parent = nullptr);
};

} // namespace liqiva
