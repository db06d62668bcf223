#include "domain/companies/VatYear.h"

#include "domain/companies/RowWriter.h"
#include "database/Connection.h"
#include "suite/Money.h"
#include "suite/Refusal.h"

#include <QDate>

namespace liqiva {

int openVatYear(Connection &db, int company, int year, int user)
{
    if (year < 2000 || year > 2100)
        throw Refusal(QStringLiteral("L'anno %1 non è valido: indicare un anno dal 2000 al 2100.").arg(year));
    Transaction tx(db);
    // Two people opening the same year at once: the second waits and then finds it open.
    if (db.engine() == Engine::Postgres)
        db.executeRaw(u"LOCK TABLE PeriodoIva IN EXCLUSIVE MODE"_qs);
    const QString yearOf =
        u"SELECT IDPeriodoIva, GestioneArt36, PercInteressiLiqTrim FROM PeriodoIva WHERE IDAzienda = ? "
        u"AND Anno = ? AND VirtualDelete = 0"_qs;
    if (!db.openRecordset(yearOf, {company, year}).eof())
        throw Refusal(QStringLiteral("L'anno IVA %1 dell'azienda %2 è già aperto: nulla è stato cambiato.")
                          .arg(year)
                          .arg(company));
    int previous = 0;
    QVariant art36, interest;
    {
        Recordset before = db.openRecordset(yearOf, {company, year - 1});
        if (!before.eof()) {
            previous = before.integer(u"IDPeriodoIva"_qs);
            art36 = before.field(u"GestioneArt36"_qs).toInt();
            interest = before.isNull(u"PercInteressiLiqTrim"_qs)
                           ? QVariant(QMetaType::fromType<double>())
                           : QVariant(before.field(u"PercInteressiLiqTrim"_qs).toDouble());
        }
    }
    if (!previous)
        throw Refusal(QStringLiteral("L'anno IVA %1 dell'azienda %2 non c'è: gli anni si aprono uno dopo l'altro, "
                                     "ciascuno con le impostazioni dell'anno precedente. Nulla è stato cambiato.")
                          .arg(year - 1)
                          .arg(company));

    RowWriter w(db, user);
    const int vatYear =
        w.insert(u"PeriodoIva"_qs, u"IDPeriodoIva"_qs,
                 {u"IDAzienda"_qs, u"PeriodoIva"_qs, u"Anno"_qs, u"GestioneArt36"_qs, u"PercInteressiLiqTrim"_qs},
                 {company, QString::number(year), year, art36, interest});
    const QStringList copied = {
        u"IDAttivitaAzienda"_qs, u"IDCodiceAttivita"_qs,         u"TipoLiquidazioneIva"_qs,
        u"ExArticolo7374"_qs,    u"CalcoloInteressi"_qs,         u"Articolo34"_qs,
        u"GestioneProRata"_qs,   u"PercentualeProRata"_qs,       u"IvaIndComeCostoAccessorio"_qs,
        u"Autotrasportatore"_qs, u"VentilazioneCorrispettivi"_qs};
    // Activities ended before the year do not come along.
    Recordset rs = db.openRecordset(
        u"SELECT AttivitaAziendaPerPeriodoIva."_qs + copied.join(u", AttivitaAziendaPerPeriodoIva."_qs) +
            u" FROM AttivitaAziendaPerPeriodoIva INNER JOIN AttivitaAzienda ON "
            u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda"
            u" = AttivitaAzienda.IDAttivitaAzienda WHERE AttivitaAziendaPerPeriodoIva.IDPeriodoIva = ?"
            u" AND AttivitaAziendaPerPeriodoIva.VirtualDelete = 0 AND AttivitaAzienda.VirtualDelete = 0"
            u" AND (AttivitaAzienda.DataCessazione IS NULL OR AttivitaAzienda.DataCessazione >= ?)"
            u" ORDER BY AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda"_qs,
        {previous, QDate(year, 1, 1)});
    std::vector<SqlParams> rows;
    for (; !rs.eof(); rs.moveNext()) {
        SqlParams values;
        for (const QString &c : copied) {
            const QVariant v = rs.field(c);
            if (v.isNull())
                values << QVariant(QMetaType::fromType<int>());
            else if (c == u"PercentualeProRata")
                values << sqlValue(Money::fromVariant(v));
            else
                values << v.toInt();
        }
        rows.push_back(values);
    }
    if (rows.empty())
        throw Refusal(QStringLiteral("L'anno IVA %1 dell'azienda %2 non ha attività da riportare nel %3: nulla è stato "
                                     "cambiato.")
                          .arg(year - 1)
                          .arg(company)
                          .arg(year));
    for (SqlParams &values : rows) {
        values.insert(1, vatYear);
        w.insert(u"AttivitaAziendaPerPeriodoIva"_qs, u"IDAttivitaAziendaPerPeriodoIva"_qs,
                 QStringList{copied[0], u"IDPeriodoIva"_qs} + copied.mid(1), values);
    }
    tx.commit();
    return vatYear;
}

} // namespace liqiva
