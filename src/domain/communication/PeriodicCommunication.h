#pragma once

#include "suite/Money.h"
#include "suite/WholeFile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

// One module of the periodic settlements communication: one month or one quarter, with the
// rows VP2 to VP14 summed over the company's activities that settle that period. A row left
// empty (nullopt) is not written.
struct CommunicationModule {
    int numeroModulo = 0;
    std::optional<int> mese;      // 1..12, a monthly settlement
    std::optional<int> trimestre; // 1..5, a quarterly settlement (5: the fourth by option)
    QStringList activities;       // the activities whose settlements make the module

    std::optional<Money> totaleOperazioniAttive;  // VP2
    std::optional<Money> totaleOperazioniPassive; // VP3
    std::optional<Money> ivaEsigibile;            // VP4
    std::optional<Money> ivaDetratta;             // VP5
    std::optional<Money> ivaDovuta;               // VP6, debit
    std::optional<Money> ivaCredito;              // VP6, credit
    std::optional<Money> debitoPrecedente;        // VP7
    std::optional<Money> creditoPeriodoPrecedente;// VP8
    std::optional<Money> creditoAnnoPrecedente;   // VP9
    std::optional<Money> versamentiAuto;          // VP10
    std::optional<Money> creditiImposta;          // VP11
    std::optional<Money> interessiDovuti;         // VP12
    std::optional<int> metodo;                    // VP13, 1 historical, 2 forecast, 3 analytical
    std::optional<Money> acconto;                 // VP13
    std::optional<Money> importoDaVersare;        // VP14, to pay
    std::optional<Money> importoACredito;         // VP14, in credit
};

// One saved settlement of a communication as it was read: the marking checks, in its
// transaction, that the row is still this one (the same period, the same last change), so that
// a settlement deleted, saved again or replaced by another one under the same key meanwhile is
// never marked for a file that does not hold it.
struct CommunicationSettlement {
    int key = 0;
    int idAttivitaAzienda = 0;
    int idPeriodoIva = 0;
    int month = 0;   // 1..12, 13 the December advance
    int metodo = 0;  // the advance's method
    QString stamp;   // user and moment of the last change
    QString caption; // "di gennaio 2024 dell'attività 'Negozio'", for the messages
};

// The communication of one company for one quarter of one year, as it will be written.
struct PeriodicCommunicationData {
    int idAzienda = 0;
    QString azienda;
    int anno = 0;
    int trimestre = 0;
    QString codiceFiscale;
    QString partitaIva;
    QString cfDichiarante;               // empty for a natural person that signs itself
    std::optional<int> codiceCaricaDichiarante;
    std::vector<CommunicationModule> modules;
    // The saved settlements whose figures make the modules (the December advance too, when
    // its method is written): the ones marked communicated once the file is written.
    std::vector<int> settlements;
    // The same settlements with what was read of them, each once.
    std::vector<CommunicationSettlement> read;
    // What stops the file from being written (a month not saved, no VAT number, ...): one
    // line each, for the user. Empty when the communication can be written.
    QStringList missing;
};

// The identifier of the software in the front page (uppercase, as the schema's text type
// wants it).
QString communicationSoftwareId();

// Builds the communication of a company's quarter from its saved settlements. The company,
// its VAT year and the quarter must exist (Refusal otherwise); what is missing for the file
// is listed in missing rather than thrown, so that a window can show it all at once.
PeriodicCommunicationData loadPeriodicCommunication(Connection &db, int idAzienda, int anno, int trimestre);

// An amount as the communication writes it: a comma and exactly two decimals, no thousands
// separator ("1234,50", "-3,00"), rounded to the cent half away from zero.
QString communicationAmount(Money value);

// The XML of the supply (UTF-8), not validated.
QByteArray communicationXml(const PeriodicCommunicationData &data);

// Builds the XML, validates it against the official schema and writes it to path. Refuses
// (Refusal) when something is missing or the file does not validate, naming the element and
// the reason; in that case no file is written (an existing file at path is left as it was).
void writePeriodicCommunication(const PeriodicCommunicationData &data, const QString &path);

// When the settlements of a communication were written before: the last time, its file and
// how many of the settlements it marked (nothing when none of them was communicated).
struct PreviousCommunication {
    QDateTime when;
    QString file;
    int settlements = 0;
};
std::optional<PreviousCommunication> previousCommunication(Connection &db, const PeriodicCommunicationData &data);

// What communicate() did: the settlements marked, and what had been written before (the
// quarter written again), if anything.
struct CommunicationWritten {
    int settlements = 0;
    std::optional<PreviousCommunication> previous;
};

// Marks the quarter's settlements communicated (ComunicazioneLiquidazioneIva), in one
// transaction, keeping the date of the first communication. Each settlement is locked and
// checked to be the one read (key, period, last change): one deleted, saved again or replaced
// meanwhile refuses the whole communication (Refusal, with the reasons) and marks nothing.
// writeFile runs inside the transaction once the marks are written, before the commit: the
// file is written (or renamed into place) only when the marks hold, and a file that cannot be
// written leaves no mark. A refusal for missing data or for the schema marks nothing either.
CommunicationWritten markCommunicated(Connection &db, const PeriodicCommunicationData &data, const QString &path,
                                      int idUser, const std::function<void()> &writeFile = {});

// Writes the file whole under a temporary name (an existing regular file is replaced only with
// Replace::Yes; anything else never), then marks the quarter's settlements communicated as
// markCommunicated does, the file put in place inside the marking's transaction. Writing a
// quarter again is allowed: the marks take the new date and file, and the result
// says when it was written before. A refusal writes neither the file nor the marks; a database
// error at the commit after the file was written is thrown as it is (DbError), the marks left
// as they were.
CommunicationWritten communicate(Connection &db, const PeriodicCommunicationData &data, const QString &path,
                                 int idUser, WholeFile::Replace replace = WholeFile::Replace::Yes);

// The stored figures of a settlement that a communication carries and the year view shows
// (the report header's VAT figures, the VAT to pay and the credit carried on): a save that
// changes them leaves a communicated quarter out of date.
std::vector<Money> communicatedFigures(Connection &db, int idRisultatoLiquidazioneIva);
// The names of the report header's columns among those figures, in their order (the typed
// amounts follow them).
const QStringList &communicatedHeaderColumns();
// When the settlement was last communicated; nothing when it is not (or no longer) marked.
std::optional<QDateTime> communicationDate(Connection &db, int idRisultatoLiquidazioneIva);
// Takes the mark off a settlement whose figures changed after it was communicated (the row
// stays, with the date of the first communication, so the quarter reads as to be sent
// again). Returns whether there was a mark.
bool clearCommunicated(Connection &db, int idRisultatoLiquidazioneIva, int idUser);

// The sentence that tells the user what communicate() did.
QString communicationWrittenText(const PeriodicCommunicationData &data, const CommunicationWritten &written,
                                 const QString &path);

} // namespace liqiva
