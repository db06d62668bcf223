#pragma once

#include "suite/Percent.h"

#include <QString>
#include <QVariant>

namespace liqiva {

class Recordset;

class Connection;

// The settings of one activity in one VAT year (its AttivitaAziendaPerPeriodoIva row) with
// those of the VAT year itself (PeriodoIva), read in one statement: a fill reads them once
// and hands them to every step that needs them.
struct ActivitySettings {
    int idAttivitaAzienda = 0;
    int idPeriodoIva = 0;
    bool found = false; // the activity has the VAT year

    int tipoLiquidazioneIva = 0;
    bool exArticolo7374 = false;
    bool calcoloInteressi = false;
    bool articolo34 = false;
    bool autotrasportatore = false;
    bool altriCrediti = false;
    QVariant creditoIvaAutotrasportatori; // NULL when the row has none
    QVariant altriCreditiImposta;
    // The pro-rata of the year.
    bool gestioneProRata = false;
    QVariant percentualeProRata;
    bool ivaIndComeCostoAccessorio = false;
    // The activity's name and code, empty when the activity does not have the year.
    QString attivitaAzienda;
    QString codiceAttivita;
    QString descrizioneAttivita;

    bool gestioneArt36 = false;   // of the VAT year
    QString periodoIva;           // the VAT year's name
    Percent percInteressiLiqTrim; // the quarterly interest rate the VAT year gives, zero when none
    // Of the company's accounting configuration: the journal splits the receipts day by day.
    bool scorporoCorrispettiviGiornaliero = false;

    bool is(int activity, int period) const { return activity == idAttivitaAzienda && period == idPeriodoIva; }

    // Read with another statement: its columns, and its joins after "FROM ((PeriodoIva" with
    // the activity's key as given (a column or a placeholder); of() takes them from the row.
    static QString columns();
    static QString joins(const QString &activity);
    static ActivitySettings of(const Recordset &rs, int idAttivitaAzienda, int idPeriodoIva);
};

ActivitySettings readActivitySettings(Connection &db, int idAttivitaAzienda, int idPeriodoIva);

// The interest rate of a quarterly settlement of the quarter (1 to 4): none when the activity
// pays no interest or in the fourth quarter; the year's own rate, else 1% (1.5% up to 2000).
Percent quarterlyInterestRate(const ActivitySettings &year, int quarter, int anno);

// The one given when it is the activity's and year's, else the one read now.
ActivitySettings activitySettings(Connection &db, const ActivitySettings *known, int idAttivitaAzienda,
                                  int idPeriodoIva);

} // namespace liqiva
