#include "domain/document/PaymentData.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "suite/TextCheck.h"

namespace liqiva {

namespace {
std::optional<QDate> dateOf(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    QDate d = v.toDate();
    if (!d.isValid())
        d = QDateTime::fromString(v.toString().left(19), Qt::ISODate).date();
    if (!d.isValid())
        d = QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d.isValid() ? std::optional<QDate>(d) : std::nullopt;
}
} // namespace

int paymentPlaceCode(PaymentPlace place)
{
    return static_cast<int>(place);
}

PaymentPlace paymentPlaceOfCode(int code)
{
    return code >= 1 && code <= 3 ? static_cast<PaymentPlace>(code) : PaymentPlace::None;
}

void describePaymentPlace(Connection &db, Payment &p, const QVariant &storedPlace)
{
    p.place = PaymentPlace::None;
    if (p.idCab > 0) {
        Recordset rs =
            db.openRecordset(u"SELECT Abi.IDAbi,Abi.Abi,Abi.Banca, Cab.IDCab,Cab.Cab,Cab.Dipendenza FROM Abi "
                             u"INNER JOIN Cab ON Abi.IDAbi = Cab.IDAbi WHERE IDCab = ?"_qs,
                             {sqlValue(p.idCab)});
        if (!rs.eof()) {
            p.abi = rs.text(u"Abi"_qs);
            p.cab = rs.text(u"Cab"_qs);
            p.place = PaymentPlace::Bank;
        }
    } else if (p.idConcessionarioEsattoriale > 0) {
        Recordset rs = db.openRecordset(u"SELECT IDConcessionarioEsattoriale,CodiceConcessione FROM "
                                        u"ConcessionarioEsattoriale WHERE IDConcessionarioEsattoriale = ?"_qs,
                                        {sqlValue(p.idConcessionarioEsattoriale)});
        if (!rs.eof()) {
            p.codiceConcessione = rs.text(u"CodiceConcessione"_qs);
            p.place = PaymentPlace::CollectionAgent;
        }
    }
    if (!storedPlace.isNull())
        p.place = paymentPlaceOfCode(storedPlace.toInt());
}

QVariant readPeriodicPayment(const Recordset &rs, Payment &p)
{
    p.importo = Money::fromVariant(rs.field(u"Importo"_qs));
    p.dataVersamento = dateOf(rs.field(u"DataVersamento"_qs));
    p.idCab = rs.integer(u"IDCab"_qs);
    p.codiceAzienda = rs.text(u"CodiceAzienda"_qs);
    p.idConcessionarioEsattoriale = rs.integer(u"IDConcessionarioEsattoriale"_qs);
    return rs.hasField(u"LuogoVersamento"_qs) ? rs.field(u"LuogoVersamento"_qs) : QVariant();
}

void setAdvancePaymentEnabled(PaymentData &data, bool enabled)
{
    data.advanceEnabled = enabled;
    if (!enabled) {
        data.advance.dataVersamento.reset();
        data.advance.importo = Money();
        data.advance.riportaInStampa = false;
    }
}

QString paymentTextFault(PaymentText which, const QString &field, const QString &text)
{
    switch (which) {
    case PaymentText::Abi:
        return textFault(field, text, u"CampoReportLiquidazioneIva"_qs, u"AbiVerPer"_qs);
    case PaymentText::Cab:
        return textFault(field, text, u"CampoReportLiquidazioneIva"_qs, u"CabVerPer"_qs);
    case PaymentText::AgentCode:
        return textFault(field, text, u"CampoReportLiquidazioneIva"_qs, u"CodConcEsatVerPer"_qs);
    case PaymentText::CompanyCode:
        return textFault(field, text, u"RisultatoLiquidazioneIvaXTipo"_qs, u"CodiceAzienda"_qs);
    }
    return {};
}

QString paymentTextFault(const Payment &p, const QString &where)
{
    const std::pair<PaymentText, const QString *> texts[] = {{PaymentText::Abi, &p.abi},
                                                             {PaymentText::Cab, &p.cab},
                                                             {PaymentText::AgentCode, &p.codiceConcessione},
                                                             {PaymentText::CompanyCode, &p.codiceAzienda}};
    static const QString captions[] = {u"ABI"_qs, u"CAB"_qs, u"Codice concessione"_qs, u"Codice azienda"_qs};
    for (const auto &[which, text] : texts)
        if (QString fault = paymentTextFault(which, where + u" - "_qs + captions[int(which)], *text); !fault.isEmpty())
            return fault;
    return {};
}

} // namespace liqiva
