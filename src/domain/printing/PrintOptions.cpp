#include "domain/printing/PrintOptions.h"

#include "database/Connection.h"

#include <limits>

namespace liqiva {

PrintOptions::PrintOptions(Connection &db, int idAzienda, PrintReport report, int idSettlement,
                           PrintOperation operation)
    : m_db(db), m_company(idAzienda), m_report(report), m_settlement(idSettlement), m_operation(operation)
{
    m_year = RegisterNumbering::settlementYear(db, idSettlement);
}

void PrintOptions::disableDefinitive()
{
    m_disabled = true;
    setDefinitive(false);
}

void PrintOptions::setDefinitive(bool definitive)
{
    m_definitive = definitive && !m_disabled;
    m_registers.clear();
    m_sectionals.clear();
    m_register = m_sectional = 0;
    m_sectionalEnabled = false;
    m_printTheYear = false;
    if (m_definitive)
        m_registers = RegisterNumbering(m_db, m_company, m_report).registers();
    refreshLastPage();
}

void PrintOptions::chooseRegister(int idRegistroIva)
{
    RegisterNumbering numbering(m_db, m_company, m_report);
    m_register = idRegistroIva;
    m_sectional = 0;
    m_sectionalEnabled = idRegistroIva > 0 && numbering.numberedPerSectional(idRegistroIva);
    m_sectionals = m_sectionalEnabled ? numbering.sectionals(idRegistroIva) : std::vector<NamedKey>{};
    m_printTheYear = idRegistroIva > 0 && numbering.printTheYear(idRegistroIva);
    refreshLastPage();
}

void PrintOptions::chooseSectional(int idSezionale)
{
    m_sectional = 0;
    for (const NamedKey &s : m_sectionals)
        if (s.id == idSezionale)
            m_sectional = idSezionale;
    refreshLastPage();
}

void PrintOptions::setYear(int year)
{
    m_year = year;
    refreshLastPage();
}

void PrintOptions::setLastPage(int page)
{
    m_pageField = page;
}

void PrintOptions::refreshLastPage()
{
    m_storedLastPage = 0;
    if (m_definitive && m_register > 0 && (m_sectional > 0 || !m_sectionalEnabled)) {
        RegisterNumbering numbering(m_db, m_company, m_report);
        m_storedLastPage = numbering.lastPage(numbering.keys(m_register, m_sectional), m_year);
    }
    m_pageField = m_storedLastPage;
}

bool PrintOptions::okEnabled() const
{
    if (!m_definitive)
        return true;
    const bool registerChosen = m_register > 0 && (m_sectional > 0 || !m_sectionalEnabled);
    const bool yearValid = m_year >= 1900 && m_year <= 9999;
    const bool pageValid = m_pageField >= m_storedLastPage && m_pageField < std::numeric_limits<int>::max();
    return registerChosen && yearValid && pageValid;
}

QString PrintOptions::msgDefinitiveNotOnPrinter()
{
    return u"Attenzione! Si sta per effettuare una stampa definitiva. Dato che verrà aggiornato il progressivo della "
           u"numerazione registri, si consiglia di selezionare la voce 'Stampa'. Si desidera proseguire ugualmente?"_qs;
}

QString PrintOptions::msgAlreadyPrinted()
{
    return u"Attenzione! L'elemento selezionato risulta già stampato in definitivo. Si desidera proseguire ugualmente?"_qs;
}

QList<Question> PrintOptions::questions() const
{
    QList<Question> asked;
    if (!okEnabled())
        return asked;
    if (m_operation == PrintOperation::Other && m_definitive)
        asked << Question{msgDefinitiveNotOnPrinter(), Buttons::YesNo, Icon::Warning};
    if (m_definitive && RegisterNumbering::printedDefinitively(m_db, m_settlement))
        asked << Question{msgAlreadyPrinted(), Buttons::YesNo, Icon::Warning};
    return asked;
}

bool PrintOptions::confirm()
{
    if (!okEnabled())
        return false;
    m_okCancel = 1;
    return true;
}

PrintRequest PrintOptions::request() const
{
    PrintRequest r;
    r.report = m_report;
    r.settlements = {m_settlement};
    r.definitive = m_definitive;
    r.year = m_year;
    if (m_definitive) {
        RegisterNumbering numbering(m_db, m_company, m_report);
        r.idRegistroIva = m_register;
        r.idSezionale = m_sectional;
        r.keys = numbering.keys(m_register, m_sectional);
        r.printTheYear = m_printTheYear;
        r.storedLastPage = m_storedLastPage;
        r.startPage = m_pageField + 1;
    }
    return r;
}

} // namespace liqiva
