#pragma once

// The company the invoice tests import for: user 1 ("mario"), the company 1 with the VAT
// number 00743110157 set up as `liqiva company create` sets it up (the standard VAT codes, the
// VAT year 2025), one monthly activity per branch name given.

#include "domain/companies/CompanySetup.h"

#include <QStringList>

namespace liqiva::test {

inline const QString InvoiceCompanyVat = QStringLiteral("00743110157");

CreatedCompany createInvoiceCompany(Connection &db, const QStringList &branches = {QStringLiteral("Sede")});

} // namespace liqiva::test
