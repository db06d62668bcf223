#pragma once

#include "domain/credits/ProspFormula.h"
#include "suite/Money.h"

#include <QString>
#include <QVector>
#include <functional>
#include <optional>

namespace liqiva {

class Amounts;

// A problem found by the checks of a credit window: its message and where the user goes to
// put it right (a row of the grid, or a check box).
struct CreditProblem {
    QString message;
    int row = -1;    // the row of the grid (0 is B1), -1 none
    int letter = -1; // type 4: 0 letter a), 1 b), 2 c)
};

// A declaration prospectus: a figure of the periodic declaration composed by the user from
// items, with the computed cells written as formulas over the item cells. It works on values
// taken from the settlement amounts when it is made; store() leaves them there.
class Prospetto {
public:
    enum Type {
        VariazioniCredito = 0, // "Variazioni a credito d'imposta relative a periodi precedenti"
        VariazioniDebito = 1,  // "Variazioni a debito d'imposta relative a periodi precedenti"
        IvaNonVersata = 2,     // "IVA non versata risultante da liquidazioni periodiche precedenti"
        CreditiSpeciali = 3,   // "Crediti speciali d'imposta detratti"
        CreditoInfrannuale = 4 // "Gestione credito IVA Infrannuale"
    };

    // What the settlement gives besides its amounts.
    struct Context {
        int idMese = 0;         // 1..12, 13 the December advance, 0 the year
        Money creditoTotale;    // type 4: the credit of the settlement before the infra-annual use
        Money creditoTrimestre; // type 4: the credit of the period itself
        bool lettA = false, lettB = false, lettC = false; // type 4: the declaration's letters
        bool readOnly = false;
    };

    Prospetto(int type, Amounts &amounts, const Context &context);

    static QString caption(int type);
    QString caption() const { return caption(m_type); }
    int type() const { return m_type; }
    bool readOnly() const { return m_context.readOnly; }

    int rowCount() const { return int(m_rows.size()); }
    QString rowText(int row) const { return m_rows[row].text; }
    bool isFormula(int row) const { return !m_rows[row].formula.isEmpty(); }
    QString formula(int row) const { return m_rows[row].formula; }
    // Formula cells and the cells shown only (the credits available) take no typing.
    bool isLocked(int row) const { return isFormula(row) || m_rows[row].shownOnly || m_context.readOnly; }
    // The value of a cell: typed, or computed (0 with an error).
    Money value(int row) const;
    QString error(int row) const;
    // Types a cell (0 to 9999999999999); a Refusal says why not and changes nothing.
    void setValue(int row, Money value);
    // The check of a typed amount shared by the credit windows: a Refusal when the cell is
    // locked or the amount is outside 0 to 9999999999999.
    static void checkTyping(bool locked, Money value);
    // The row of the total (types 0 to 3), -1 for type 4.
    int totalRow() const;
    // The total: the declaration figure the prospectus composes.
    Money Value() const;

    // Type 4: the letters; letter c) switches the formula of the usable credit.
    bool letter(int i) const { return m_letters[i]; }
    void setLetter(int i, bool on);
    // Type 4 rows.
    enum InfraRow {
        B1Totale,
        B2Trimestre,
        B3BeniAmm,
        B4Aumenti,
        B5Diminuzioni,
        B6Utilizzabile,
        B7Rimborso,
        B8F24,
        B9Liquidazioni,
        B10Residuo
    };
    // Types 0 and 1: the three quarters of the infra-annual credit, or one row.
    bool quarterRows() const { return m_quarters; }

    // The checks of OK: the first problem, or none.
    std::optional<CreditProblem> IsValid() const;
    // Leaves the values in the settlement amounts (the caller has checked them).
    void store();

    static QString msgOutOfRange();
    static QString msgResiduoNegativo();
    static QString msgSelezionareLettera();
    static QString msgNessunBeneAmmortizzabile();
    static QString msgSelezionareLetteraC();
    static QString msgSuperaInfrannuale();
    static QString msgNotEditable();

private:
    struct Row {
        QString text;
        QString formula;
        Money typed;
        bool shownOnly = false;
        std::function<void(Amounts &, Money)> store;
    };
    void add(const QString &text, Money value, std::function<void(Amounts &, Money)> store, bool shownOnly = false);
    void addFormula(const QString &text, const QString &formula, std::function<void(Amounts &, Money)> store = {});
    // The three quarters of the infra-annual credit taken out of the compensation or the
    // settlements, with their sum (from April on), or one row for them; returns the last
    // item row (from 1).
    struct QuarterFigures {
        Money (Amounts::*get[3])() const;
        void (Amounts::*set[3])(Money);
    };
    int addInfraQuarters(const QString &taken, const QuarterFigures &figures);
    void build();
    void buildVariazioniCredito();
    void buildVariazioniDebito();
    void buildIvaNonVersata();
    void buildCreditiSpeciali();
    void buildCreditoInfrannuale();
    ProspFormula::Result compute(int row, int depth) const;
    QString infraFormula() const;

    int m_type;
    Amounts &m_amounts;
    Context m_context;
    bool m_quarters = false;
    bool m_letters[3] = {false, false, false};
    QVector<Row> m_rows;
};

} // namespace liqiva
