#include "document/SettlementInput.h"

#include "credits/CreditoAnnuale.h"
#include "document/CreditInput.h"
#include "document/SettlementDocument.h"
#include "otherops/cAltreOperazioni.h"
#include "prorata/cDatiProRata.h"
#include "suite/Refusal.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>
#include <memory>

namespace liqiva {

namespace {

// The members of the dialogs, then those of the declaration and payment tabs.
const QStringList &kMembers()
{
    static const QStringList members =
        QStringList{u"prorata"_qs, u"otherOperations"_qs, u"annualCredit"_qs} + CreditInput::members();
    return members;
}

// An amount given as a number or as text with a decimal point ("1234.56").
Money amountOf(const QJsonObject &object, const QString &member, const QString &path, Money fallback = {})
{
    const QJsonValue v = object.value(member);
    if (v.isUndefined() || v.isNull())
        return fallback;
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (std::isfinite(d) && std::abs(d) < 9e14 && std::abs(d * 10000 - std::round(d * 10000)) < 1e-3)
            return Money::fromDouble(d);
        throw Refusal(SettlementInput::msgInvalidAmount(path + u"."_qs + member, QString::number(d, 'g', 17)));
    }
    if (v.isString()) {
        if (const std::optional<Money> m = Money::parse(v.toString()))
            return *m;
        throw Refusal(SettlementInput::msgInvalidAmount(path + u"."_qs + member, v.toString()));
    }
    throw Refusal(SettlementInput::msgInvalidAmount(path + u"."_qs + member, QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))));
}

QJsonObject objectMember(const QJsonObject &input, const QString &name)
{
    const QJsonValue v = input.value(name);
    if (!v.isObject())
        throw Refusal(QStringLiteral("Il membro \"%1\" deve essere un oggetto.").arg(name));
    return v.toObject();
}

} // namespace

QString SettlementInput::msgUnknownMember(const QString &name)
{
    return QStringLiteral("Il membro \"%1\" non è previsto: si possono indicare %2.").arg(name, kMembers().join(u", "_qs));
}

QString SettlementInput::msgNotAnnual(const QString &name)
{
    return QStringLiteral("Il membro \"%1\" vale solo per la liquidazione annuale.").arg(name);
}

QString SettlementInput::msgNotAdvance()
{
    return QStringLiteral("Le altre operazioni si indicano solo nell'acconto di dicembre.");
}

QString SettlementInput::msgInvalidAmount(const QString &member, const QString &text)
{
    return QStringLiteral("%1: \"%2\" non è un importo valido.").arg(member, text);
}

QString SettlementInput::msgUnknownRate(const QString &rate)
{
    return QStringLiteral("Aliquota I.V.A. \"%1\" sconosciuta o non interamente detraibile.").arg(rate);
}

QJsonObject SettlementInput::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Refusal(QStringLiteral("Impossibile leggere il file %1: %2").arg(path, file.errorString()));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        throw Refusal(QStringLiteral("Il file %1 non è un JSON valido (posizione %2): %3")
                          .arg(path)
                          .arg(error.offset)
                          .arg(error.errorString()));
    if (!doc.isObject())
        throw Refusal(QStringLiteral("Il file %1 deve contenere un oggetto JSON.").arg(path));
    return doc.object();
}

bool SettlementInput::apply(SettlementDocument &doc, const QJsonObject &input)
{
    for (const QString &name : input.keys()) {
        if (!kMembers().contains(name))
            throw Refusal(msgUnknownMember(name));
    }
    const SettlementIdentity &id = doc.identity();
    bool recompute = false;

    if (input.contains(u"prorata"_qs)) {
        const QJsonObject p = objectMember(input, u"prorata"_qs);
        if (!id.isAnnual())
            throw Refusal(msgNotAnnual(u"prorata"_qs));
        cDatiProRata &pr = doc.proRata();
        if (!pr.GestioneProRata())
            throw Refusal(QStringLiteral("L'attività non gestisce il pro-rata nel periodo I.V.A."));
        const Money imponibili = amountOf(p, u"taxableOperations"_qs, u"prorata"_qs, pr.OperazioniImponibili());
        const Money esenti = amountOf(p, u"exemptOperations"_qs, u"prorata"_qs, pr.OperazioniEsenti());
        pr.Aggiorna(imponibili, esenti, cDatiProRata::CalcolaPercProRata(imponibili, esenti));
        recompute = true;
    }

    if (input.contains(u"otherOperations"_qs)) {
        const QJsonValue v = input.value(u"otherOperations"_qs);
        if (!v.isArray())
            throw Refusal(u"Il membro \"otherOperations\" deve essere un elenco."_qs);
        if (!doc.otherOperationsEnabled())
            throw Refusal(msgNotAdvance());
        cAltreOperazioni &ops = doc.altreOperazioni();
        ops.Refresh();
        while (ops.Count() > 0) {
            ops.MoveFirst();
            ops.Delete();
        }
        const QJsonArray rows = v.toArray();
        for (int i = 0; i < rows.size(); ++i) {
            const QString path = QStringLiteral("otherOperations[%1]").arg(i);
            if (!rows[i].isObject())
                throw Refusal(QStringLiteral("%1 deve essere un oggetto.").arg(path));
            const QJsonObject row = rows[i].toObject();
            const QJsonValue rateValue = row.value(u"rate"_qs);
            const QString rate = rateValue.isDouble() ? QString::number(rateValue.toDouble()) : rateValue.toString();
            int idIva = 0;
            if (!rate.isEmpty()) {
                const std::optional<int> found = cAltreOperazioni::IDIvaDaCodice(doc.context().db, rate);
                if (!found)
                    throw Refusal(msgUnknownRate(rate));
                idIva = *found;
            }
            const Money imponibile = amountOf(row, u"taxable"_qs, path);
            Money imposta = amountOf(row, u"tax"_qs, path);
            if (!row.contains(u"tax"_qs)) {
                const auto computed = cAltreOperazioni::CalcolaImposta(
                    imponibile, cAltreOperazioni::AliquotaIva(doc.context().db, idIva), doc.euro());
                imposta = computed.value_or(Money());
            }
            ops.Add();
            ops.setIDIva(idIva);
            ops.setImponibile(imponibile);
            ops.setImposta(imposta);
            ops.setAnnotazioni(row.value(u"note"_qs).toString());
            ops.Save(); // a row without a rate is refused with its message
        }
        ops.GroupAltreOperazioni();
        recompute = true;
    }

    if (input.contains(u"annualCredit"_qs)) {
        const QJsonObject c = objectMember(input, u"annualCredit"_qs);
        if (!id.isAnnual())
            throw Refusal(msgNotAnnual(u"annualCredit"_qs));
        if (c.contains(u"refund"_qs)) {
            const Money refund = amountOf(c, u"refund"_qs, u"annualCredit"_qs);
            doc.setAnnualCreditEditor([refund](CreditoAnnuale &credito) {
                if (refund != credito.Rimborso())
                    credito.RimborsoChanged(refund); // warns when above the credit, as the dialog
                credito.setRimborso(refund);
                return true;
            });
        }
    }
    // The declaration and payment tabs: now, or after the computation the caller runs again.
    if (!recompute)
        applyAfterFill(doc, input);
    return recompute;
}

void SettlementInput::applyAfterFill(SettlementDocument &doc, const QJsonObject &input)
{
    CreditInput::apply(doc, input);
}

QJsonObject SettlementInput::toJson(SettlementDocument &doc)
{
    QJsonObject out;
    const SettlementIdentity &id = doc.identity();
    cDatiProRata &pr = doc.proRata();
    QJsonObject prorata;
    prorata.insert(u"percentage"_qs, pr.PercProRata().toDouble());
    if (id.isAnnual() && pr.GestioneProRata()) {
        prorata.insert(u"taxableOperations"_qs, pr.OperazioniImponibili().toDouble());
        prorata.insert(u"exemptOperations"_qs, pr.OperazioniEsenti().toDouble());
        const cDatiProRata::ConguaglioAnnuale c = pr.CalcolaConguaglioAnnuale(
            pr.OperazioniImponibili(), pr.OperazioniEsenti(), pr.TotaleIvaAcquisti(), pr.IvaDetratta());
        prorata.insert(u"deductibleVat"_qs, c.ivaDetraibile.toDouble());
        prorata.insert(u"deductedVat"_qs, pr.IvaDetratta().toDouble());
        prorata.insert(u"vatToRecover"_qs, c.ivaDaRecuperare.toDouble());
        prorata.insert(u"vatToPay"_qs, c.ivaDaVersare.toDouble());
    }
    out.insert(u"prorata"_qs, prorata);
    if (doc.otherOperationsEnabled()) {
        QJsonArray rows;
        for (const AltraOperazione &op : doc.altreOperazioni().DocumentData()) {
            QJsonObject o;
            o.insert(u"rate"_qs, op.Iva);
            o.insert(u"taxable"_qs, op.Imponibile.toDouble());
            o.insert(u"tax"_qs, op.Imposta.toDouble());
            o.insert(u"note"_qs, op.Annotazioni);
            rows.append(o);
        }
        out.insert(u"otherOperations"_qs, rows);
    }
    if (id.isAnnual()) {
        QJsonObject credit;
        credit.insert(u"credit"_qs, doc.creditoResiduo().toDouble());
        // The refund recorded by the last save of the year.
        CreditoAnnuale recorded(doc.context().db, doc.context().messages, doc.context().idAzienda);
        recorded.LoadDati(id.anno, doc.creditoResiduo(), doc.euro() ? 1 : 0);
        credit.insert(u"refund"_qs, recorded.Rimborso().toDouble());
        out.insert(u"annualCredit"_qs, credit);
    }
    CreditInput::toJson(doc, out);
    return out;
}

} // namespace liqiva
