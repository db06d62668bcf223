#pragma once

#include "domain/printing/PrintedReport.h"
#include "suite/Money.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace liqiva {

class AltriDatiDip;
class Connection;
class DatiCADI;
class SettlementDocument;

// The payment of the period as the declaration form carries it.
struct DeclarationPayment {
    Money importoDichiarato; // the amount of the declaration's payment row
    Money importoVersato;
    std::optional<QDate> data;
    int opzione = 0; // 1 bank, 2 collection agent, 3 post office, 0 none
    QString codiceAzienda;
    QString codiceConcessione;
    QString abi;
    QString cab;
};

// What the declaration form of one settlement is printed from: the periodic declaration (VAT
// years up to 2001) or the annual communication of VAT data (from 2002).
struct DeclarationData {
    int anno = 0; // the VAT year
    int idAzienda = 0;
    int idRisultatoLiquidazioneIva = 0;
    int idMese = 0;         // 1..12 (a quarter by its last month), 0 otherwise
    bool monthly = false;   // the settlement is of a month
    bool quarterly = false; // the settlement is of a quarter
    // The declaration's own amounts: VP1 to VP3 (periodic) or the communication's figures.
    // A month that closes a quarter is declared for the company's monthly and quarterly
    // activities together: then the other activities' objects follow the settlement's own,
    // and each amount is printed as their sum.
    std::vector<const AltriDatiDip *> dip;
    std::vector<const DatiCADI *> cadi;
    // The activities printed together ("Negozio al dettaglio (mensile)"), the settlement's
    // first; empty when the form is of the settlement alone.
    QStringList activities;
    // Keeps alive the other activities' objects that dip and cadi point to.
    std::vector<std::shared_ptr<const void>> kept;
    // The declaration grid, row by row: debit and credit.
    std::vector<std::pair<Money, Money>> grid;
    Money ivaDovuta;     // the VAT to pay
    Money ivaDetraibile; // the credit carried on
    DeclarationPayment payment;
    bool versamentoNonEffettuato = false;

    bool annualCommunication() const { return anno >= 2002; }
};

// One box of the form: where its value goes and what it holds.
struct DeclarationBox {
    enum Kind { Code, Month, Quarter, Amount, Date, Option, Text, Currency, Check };
    QString section;
    QString label;
    Kind kind = Text;
    QString value; // already formatted for printing
};

// The declaration print: the form's boxes written as one work row per page into
// StampaTotaleRegistroIva (row type 245 of the user), the form laid out from those rows, and
// the rows removed again, whatever happens to the output.
class DeclarationPrint {
public:
    static constexpr int RowType = 245;
    static constexpr int ReportCode = 368;

    DeclarationPrint(Connection &db, int idUser) : m_db(db), m_user(idUser) {}

    // The boxes of the form in the order of the work table's columns; for a test print every
    // box holds placeholders of its width.
    static std::vector<DeclarationBox> boxes(Connection &db, const DeclarationData &data, bool test);
    // The work-table column of the box at a position of the form.
    static QString columnOf(int position, bool annualCommunication);
    // An amount box: whole units with thousands separators from 2001 on (the value's own
    // text before), right-aligned in 13 characters; zero is an empty box.
    static QString amountBox(Money value, int anno);

    // The print from start to end: the user's old rows removed, the rows written, the form
    // laid out from them, the rows removed again, all in one transaction; then the pages go
    // to the output. Returns what the output returned (errors are thrown).
    bool print(const DeclarationData &data, bool test, const std::function<bool(const PrintedReport &)> &output);

    // The steps apart (writeRows replaces the user's rows in a transaction of its own).
    void removeRows();
    void writeRows(const DeclarationData &data, bool test);
    PrintedReport layout(const DeclarationData &data, bool test);
    int rowCount();

    // The declarant data the form needs and the company has not given: one text per item,
    // empty when nothing is missing.
    static QStringList missingData(Connection &db, int idAzienda, int anno, bool soggettoRimborso,
                                   const AltriDatiDip &dip);

    // The title of the print dialog and of the form for a VAT year.
    static QString title(int anno);

private:
    void insertRow(const DeclarationData &data, bool test);

    Connection &m_db;
    int m_user;
};

// The data of the declaration of a filled settlement. For a month that closes a quarter
// (the third month of a monthly activity, or a quarter), the saved settlements of that month
// of the company's activities settled the other way (quarterly for a monthly settlement,
// monthly for a quarterly one) are printed summed with it.
DeclarationData declarationData(const SettlementDocument &doc);

} // namespace liqiva
