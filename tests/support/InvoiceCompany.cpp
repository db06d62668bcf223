#include "support/InvoiceCompany.h"

#include "database/Connection.h"

namespace liqiva::test {

CreatedCompany createInvoiceCompany(Connection &db, const QStringList &branches)
{
    db.execute(u"INSERT INTO Utente (IDUtente, Utente) VALUES (?, ?)"_qs, {1, u"mario"_qs});
    CompanySetup s;
    s.name = u"Rossi Impianti S.r.l."_qs;
    s.vatNumber = InvoiceCompanyVat;
    s.taxCode = InvoiceCompanyVat;
    s.street = u"Via Roma 1"_qs;
    s.postcode = u"20121"_qs;
    s.city = u"Milano"_qs;
    s.province = u"MI"_qs;
    s.declarant = DeclarantSetup{u"Rossi Mario"_qs, u"RSSMRA85T10A562S"_qs, 1};
    s.firstYear = 2025;
    for (const QString &branch : branches)
        s.activities.push_back({u"Impianti "_qs + branch, u"43.21.01"_qs, u"Impianti elettrici"_qs, branch});
    return createCompany(db, s, 1);
}

} // namespace liqiva::test
