#pragma once

#include "domain/document/NewSettlement.h"
#include "suite/Money.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;
class ConsoleMessages;
class SettlementSession;

// Settles one period for every activity of many companies, as the user would one by one
// with New, OK and (when asked) Save. A refusal or a failure of one activity never stops
// the others and leaves that activity as it was: its working rows are removed and a save
// that fails rolls back whole.
class BatchSettlement {
public:
    struct Options {
        int idUser = 0;
        int anno = 0;   // the calendar year of the VAT year of each company
        int period = 0; // 0 the year, 1..12 a month (a quarter by its last month), 13 the advance
        int method = 0; // the advance method (0 analytical, 1 historical, 2 forecast)
        bool save = false;
        bool answerYes = false;     // the questions of the validation and of the save
        std::vector<int> companies; // empty: every company
        // Several processes may share the work: this one takes the activities whose position
        // in the list (from 0) leaves the remainder slice when divided by slices.
        int slice = 0;
        int slices = 1;
        // Says why a company may not be settled by the user (its rights), nothing when it may.
        std::function<std::optional<QString>(Connection &, int idAzienda)> refuseCompany;
        // Called before each activity: its position (from 1), the total and a caption.
        std::function<void(int done, int total, const QString &caption)> progress;
    };

    struct Outcome {
        enum class Status { Done, Refused, Failed };
        int idAzienda = 0;
        QString azienda;
        int idAttivitaAzienda = 0;
        QString attivitaAzienda;
        Status status = Status::Refused;
        QString reason;                     // refused or failed: why
        int idRisultatoLiquidazioneIva = 0; // saved: its key
        std::optional<Money> daVersare;
        std::optional<Money> creditoResiduo;
    };

    explicit BatchSettlement(Connection &db) : m_db(db) {}
    std::vector<Outcome> run(const Options &options);

private:
    // An activity to settle, with what the check of its new settlement would read of it.
    struct Target {
        int idAzienda = 0;
        QString azienda;
        QString attivitaAzienda;
        NewSettlement::Known known;
        std::optional<QString> refused; // the user's rights in the company say no
    };
    std::vector<Target> readTargets(const Options &o);
    Outcome settleOne(const Options &o, SettlementSession &session, int function, const Target &t);
    // Computed and let go: nothing of it is ever committed.
    Outcome settleScratch(const Options &o, int function, const Target &t);
    // Computed and saved, as the user would with New, OK and Save.
    Outcome settleSaving(const Options &o, SettlementSession &session, int function, const Target &t);
    // The new settlement of the period, as the dialog's OK creates it; its key (another one's
    // when the period has a settlement already).
    int createNew(const Options &o, NewSettlement &ns, ConsoleMessages &messages, const Target &t,
                  const std::function<void()> &beforeWrite);
    Connection &m_db;
};

QString batchStatusText(BatchSettlement::Outcome::Status status);

} // namespace liqiva
