#pragma once

#include "domain/printing/PrintRequest.h"
#include "suite/Questions.h"

#include <QList>
#include <QString>
#include <vector>

namespace liqiva {

class Connection;

// The choices of the print options ("Opzioni di stampa") without their window: draft or
// definitive print, the register and sectional, the year and the register's last page. The
// dialog shows this object and the command line sets it from its flags.
class PrintOptions {
public:
    PrintOptions(Connection &db, int idAzienda, PrintReport report, int idSettlement, PrintOperation operation);

    // "Stampa definitiva": checking it fills the register list.
    void setDefinitive(bool definitive);
    bool definitive() const { return m_definitive; }
    bool definitiveDisabled() const { return m_disabled; }
    // DisableStampaDefinitiva: only drafts.
    void disableDefinitive();

    const std::vector<NamedKey> &registers() const { return m_registers; }
    void chooseRegister(int idRegistroIva);
    int idRegistroIva() const { return m_register; }
    const std::vector<NamedKey> &sectionals() const { return m_sectionals; }
    bool sectionalEnabled() const { return m_sectionalEnabled; }
    void chooseSectional(int idSezionale);
    int idSezionale() const { return m_sectional; }

    int year() const { return m_year; }
    void setYear(int year);
    // "Numero pagina iniziale": the last page printed on the register in the year; the print
    // numbers its pages from the next one. It may be raised (pages used elsewhere), never
    // lowered below the register's own value.
    int lastPage() const { return m_pageField; }
    void setLastPage(int page);
    int storedLastPage() const { return m_storedLastPage; }
    bool printTheYear() const { return m_printTheYear; }

    bool okEnabled() const;
    // What the OK of a definitive print asks first, in order (each a no stops the OK); none
    // when the OK is not enabled.
    QList<Question> questions() const;
    // OK, the questions answered yes: true when confirmed (OKCancel = 1).
    bool confirm();
    int okCancel() const { return m_okCancel; }

    PrintRequest request() const;
    PrintReport report() const { return m_report; }
    int settlement() const { return m_settlement; }

    static QString msgDefinitiveNotOnPrinter();
    static QString msgAlreadyPrinted();

private:
    void refreshLastPage();

    Connection &m_db;
    int m_company;
    PrintReport m_report;
    int m_settlement;
    PrintOperation m_operation;
    bool m_definitive = false;
    bool m_disabled = false;
    std::vector<NamedKey> m_registers;
    std::vector<NamedKey> m_sectionals;
    int m_register = 0;
    int m_sectional = 0;
    bool m_sectionalEnabled = false;
    bool m_printTheYear = false;
    int m_year = 0;
    int m_pageField = 0;
    int m_storedLastPage = 0;
    int m_okCancel = 0;
};

} // namespace liqiva
