#pragma once

#include "database/SqlValue.h"
#include "suite/Questions.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

// The logic of the new-settlement dialog: the proposals of year, activity and period, the
// period list, the validation of the chosen period against the settlements already stored,
// and the creation of the working rows of a new settlement. The dialog only shows it.
class NewSettlement {
public:
    struct Choice {
        int key = 0;
        QString text;
    };

    NewSettlement(Connection &db, int idAzienda, int idUser);

    // What a caller that creates the settlements of many activities (the batch) reads once
    // for all of them: the period list and the check take it instead of reading it again.
    struct Known {
        QStringList months;                          // the twelve month names, January first
        int idAttivitaAzienda = 0, idPeriodoIva = 0; // the activity in the VAT year it is known of
        int anno = 0;                                // the calendar year of the VAT year
        int tipoLiquidazione = 0;                    // 0 monthly, 1 quarterly
        QVariant dataCessazione;                     // when the activity ceased; null while it runs
    };
    // The activity belongs to the VAT year (it has a live row of its settings there).
    void setKnown(const Known &known) { m_known = known; }
    // The twelve month names, January first, for Known.
    static QStringList monthNames(Connection &db);

    // Contents of the two data-bound combos.
    std::vector<Choice> vatYears() const;
    std::vector<Choice> activities() const;

    // The latest VAT year of the company; 0 when there is none.
    int proposeYear() const;
    // One activity: that one. Otherwise the prevailing branch's activity (when the year does
    // not keep separate activities), else the one furthest ahead, with ties going to the
    // prevailing branch. 0 when nothing can be proposed.
    int proposeActivity(int idPeriodoIva) const;
    // The period index that follows the last settled one, or -1 when there is none.
    int proposePeriodIndex(int idAttivitaAzienda, int idPeriodoIva) const;

    // Rebuilds the period list for an activity and a year, keeping the chosen index as the
    // dialog does; returns the index to select.
    int sbSetComboMesi(int idAttivitaAzienda, int idPeriodoIva, int currentIndex);
    const QStringList &periodList() const { return m_periods; }
    bool quarterly() const { return m_quarterly; }
    bool monthlyList() const { return m_periods.size() == 14; }

    // Index helpers for the current list.
    int advanceIndex() const { return monthlyList() ? 12 : 4; }
    int decemberIndex() const { return monthlyList() ? 13 : 5; }
    bool isAdvanceIndex(int index) const { return index == advanceIndex(); }
    // The month of a period index: 0 annual, 1..12, 13 the December advance.
    int monthOfIndex(int index) const;
    // The period index of a month (as above); -1 when the list has no such entry.
    int indexOfMonth(int month) const;

    // What the check of the chosen period found, before anything is asked: the questions the
    // caller puts in order (the first no leaves the dialog open), the settlement of the period
    // that exists already (shown when every answer is yes), or the refusal said after them.
    struct Validation {
        int idAttivitaAzienda = 0, idPeriodoIva = 0, index = 0, method = 0;
        QList<Question> questions;
        int existing = 0;
        QString refusal;
    };
    // Checks the chosen period; asks nothing.
    Validation fnValidate(int idAttivitaAzienda, int idPeriodoIva, int index, int method);
    // The check with the answers (answeredYes: every question answered yes). True: a new
    // settlement is to be created. False: an existing settlement is to be shown instead
    // (currentKey() above 0), or a question was answered no. A Refusal with its message when
    // the period cannot be created.
    bool accept(const Validation &check, bool answeredYes);
    // Creates the working rows of the new settlement and makes it the current one, in a
    // transaction of its own; inside the caller's transaction when one is open (a refusal then
    // leaves it to the caller's rollback).
    int createWorkingSettlement(int idAttivitaAzienda, int idPeriodoIva, int index, int method);
    // Runs inside the transaction that creates a working settlement, with its new key: the
    // caller registers its use there, so that no one takes the new row for abandoned.
    void setOnCreated(std::function<void(int key)> f) { m_onCreated = std::move(f); }
    static QString msgCreatedMeanwhile();
    static QString msgCreatedElsewhere(); // by the same user, in another window or command

    // OK pressed, the questions of the check answered: accepts and creates. Returns the
    // dialog result: 1 (open currentKey()) or 2 (stay open for another choice); a Refusal as
    // accept() says. beforeWrite, when given, runs once the period is accepted, right before
    // the working rows are written.
    int confirm(const Validation &check, bool answeredYes, bool noMakeDatiIva,
                const std::function<void()> &beforeWrite = {});

    // The check of the chosen period with its questions put to `messages` in their order (the
    // first no ends them): what every caller runs before it accepts.
    struct Answered {
        Validation check;
        bool yes = false; // every question answered yes
    };
    Answered askValidation(MessageService &messages, int idAttivitaAzienda, int idPeriodoIva, int index, int method);
    // The OK of a new settlement as every caller runs it (the dialog, the commands, the
    // batch): askValidation, then confirm(); a refusal of the period is thrown as Refusal
    // after every yes, before anything is written.
    int confirmAsking(MessageService &messages, int idAttivitaAzienda, int idPeriodoIva, int index, int method,
                      bool noMakeDatiIva, const std::function<void()> &beforeWrite = {});

    int currentKey() const { return m_currentKey; }
    bool makeDatiIva() const { return m_makeDatiIva; }

private:
    SqlStatement periodCondition(int index) const;
    int prevailingBranchActivity() const;
    int tipoLiquidazione(int idAttivitaAzienda, int idPeriodoIva) const;

    const Known *knownOf(int idAttivitaAzienda, int idPeriodoIva) const;

    Connection &m_db;
    std::optional<Known> m_known;
    std::function<void(int)> m_onCreated;
    int m_idAzienda;
    int m_idUser;
    QStringList m_periods;
    bool m_quarterly = false;
    int m_currentKey = 0;
    bool m_makeDatiIva = true;
};

} // namespace liqiva
