#pragma once

// The set-up file of the companies' tests, and counters of theirs entered as the bookkeeping
// enters them.

#include "database/Connection.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace liqiva::test {

// A company with a monthly activity and a quarterly one (interest by option, receipts split
// by rate, pro-rata 90%).
inline QJsonObject companyFile(const QString &vatNumber = u"00743110157"_qs)
{
    return QJsonDocument::fromJson(QStringLiteral(R"({
      "name": "Rossi Impianti S.r.l.",
      "vatNumber": "%1",
      "address": {"street": "Via Roma 1", "postcode": "20121", "city": "Milano", "province": "mi"},
      "declarant": {"name": "Rossi Mario", "taxCode": "RSSMRA85T10A562S", "office": 1},
      "minimumPayments": {"periodic": "100.00", "advance": "103.29", "annual": 10.33},
      "firstYear": 2025,
      "activities": [
        {"name": "Impianti elettrici", "ateco": "43.21.01",
         "atecoDescription": "Installazione di impianti elettrici", "settlement": "monthly"},
        {"name": "Negozio", "ateco": "475210", "atecoDescription": "Commercio al dettaglio di ferramenta",
         "branch": "Negozio di Lodi", "settlement": "quarterly", "receiptsByRate": true, "proRata": 90}
      ]
    })")
                                       .arg(vatNumber)
                                       .toUtf8())
        .object();
}

// Counters of January 2025 on the first branch, each (key, kind, VAT code by its name,
// taxable, VAT).
inline void januaryCounters(Connection &db, std::initializer_list<SqlParams> rows)
{
    for (const SqlParams &c : rows)
        db.execute(u"INSERT INTO ContatoreIva (IDContatoreIva, IDTipoContatoreIva, IDIva, Anno, IDMese, IDFiliale, "
                   u"Imponibile, Importo, RiportoSuChiusuraIVA) VALUES (?, ?, (SELECT IDIva FROM Iva WHERE Iva = ?), "
                   u"2025, 1, 1, ?, ?, 1)"_qs,
                   c);
}

} // namespace liqiva::test
