#include "domain/document/CreditInput.h"

#include "domain/document/DeclarationEdit.h"
#include "domain/document/DocumentCredits.h"
#include "domain/document/InputText.h"
#include "domain/document/PaymentCodes.h"
#include "domain/document/SettlementDocument.h"
#include "domain/document/SettlementInput.h"
#include "domain/engine/Amounts.h"
#include "suite/Refusal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cmath>

namespace liqiva {

namespace {

// The range of an amount paid, as the payment tab takes it.
constexpr Money MinPaid = Money::units(-9000000000);
constexpr Money MaxPaid = Money::units(99999999999);

std::optional<Money> optionalAmount(const QJsonObject &o, const QString &member, const QString &path)
{
    const QJsonValue v = o.value(member);
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    const QString where = path + u"."_qs + member;
    if (v.isDouble()) {
        const double d = v.toDouble();
        if (std::isfinite(d) && std::abs(d) < 9e14 && std::abs(d * 10000 - std::round(d * 10000)) < 1e-3)
            return Money::fromDouble(d);
        throw Refusal(SettlementInput::msgInvalidAmount(where, QString::number(d, 'g', 17)));
    }
    if (v.isString()) {
        if (const std::optional<Money> m = Money::parse(v.toString()))
            return *m;
        throw Refusal(SettlementInput::msgInvalidAmount(where, v.toString()));
    }
    throw Refusal(SettlementInput::msgInvalidAmount(
        where, QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact))));
}

QJsonObject objectOf(const QJsonValue &v, const QString &name)
{
    if (!v.isObject())
        throw Refusal(QStringLiteral("Il membro \"%1\" deve essere un oggetto.").arg(name));
    return v.toObject();
}

bool flagOf(const QJsonObject &o, const QString &member, bool fallback)
{
    const QJsonValue v = o.value(member);
    return v.isBool() ? v.toBool() : fallback;
}

// A cell of a window: the window's own Refusal, or the problem of its checks.
void refuseProblem(const std::optional<CreditProblem> &problem)
{
    if (problem)
        throw Refusal(problem->message);
}

QString text(const QJsonValue &v)
{
    return v.isDouble() ? QString::number(v.toDouble(), 'f', 0) : v.toString().trimmed();
}

// A text of the payment, checked against its column before it is looked up or kept.
QString paymentText(const QJsonObject &o, const QString &member, const QString &path, PaymentText which)
{
    const QString t = text(o.value(member));
    if (const QString fault = paymentTextFault(which, path + u'.' + member, t); !fault.isEmpty())
        throw Refusal(fault);
    return t;
}

// The place of payment, by its name.
void applyPlace(Payment &p, const QString &place)
{
    if (place == u"bank")
        p.place = PaymentPlace::Bank;
    else if (place == u"agent")
        p.place = PaymentPlace::CollectionAgent;
    else if (place == u"post")
        p.place = PaymentPlace::PostOffice;
    else if (place == u"none" || place.isEmpty())
        p.place = PaymentPlace::None;
    else
        throw Refusal(CreditInput::msgUnknownPlace(place));
}

// The row a code of the payment names, as find gives it: nothing for an empty code, a code
// not found refused with the message notFound makes of it.
template <class Find>
auto foundOrRefused(const QString &code, Find find, QString (*notFound)(const QString &)) -> decltype(find())
{
    if (code.isEmpty())
        return std::nullopt;
    auto row = find();
    if (!row)
        throw Refusal(notFound(code));
    return row;
}

// The bank by its ABI code: another bank, or none, clears the branch.
void applyAbi(Connection &db, Payment &p, const QJsonObject &o, const QString &path)
{
    const QString abi = paymentText(o, u"abi"_qs, path, PaymentText::Abi);
    const std::optional<AbiCode> bank = foundOrRefused(
        abi, [&] { return findAbi(db, abi); }, msgAbiNotFound);
    if (!bank || bank->abi != p.abi) {
        p.cab.clear();
        p.idCab = 0;
    }
    p.abi = bank ? bank->abi : QString();
}

// The branch by its CAB code, of the bank given.
void applyCab(Connection &db, Payment &p, const QJsonObject &o, const QString &path)
{
    const QString cab = paymentText(o, u"cab"_qs, path, PaymentText::Cab);
    const std::optional<CabCode> branch = foundOrRefused(
        cab,
        [&] {
            const std::optional<AbiCode> bank = p.abi.isEmpty() ? std::nullopt : findAbi(db, p.abi);
            if (!bank)
                throw Refusal(msgAbiFirst());
            return findCab(db, bank->idAbi, cab);
        },
        msgCabNotFound);
    p.cab = branch ? branch->cab : QString();
    p.idCab = branch ? branch->idCab : 0;
}

// The collection agent by its code.
void applyAgent(Connection &db, Payment &p, const QJsonObject &o, const QString &path)
{
    const QString code = paymentText(o, u"agentCode"_qs, path, PaymentText::AgentCode);
    const std::optional<CollectionAgent> agent = foundOrRefused(
        code,
        [&] {
            bool number = false;
            const int n = code.toInt(&number);
            return number && n > 0 && n <= 99999 ? findCollectionAgent(db, n) : std::nullopt;
        },
        msgCollectionAgentNotFound);
    p.idConcessionarioEsattoriale = agent ? agent->idConcessionarioEsattoriale : 0;
    p.codiceConcessione = agent ? QString::number(agent->codiceConcessione) : QString();
}

// The date of payment, ISO or as typed in the window.
void applyDate(Payment &p, const QString &typed)
{
    QDate date = QDate::fromString(typed, Qt::ISODate);
    if (!date.isValid() && !typed.isEmpty()) {
        const ParsedDate parsed = parseDate(typed);
        if (!parsed.valid)
            throw Refusal(msgInvalidDate(typed));
        date = parsed.value.value_or(QDate());
    }
    p.dataVersamento = date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

void applyPayment(SettlementDocument &doc, Payment &p, const QJsonObject &o, const QString &path)
{
    Connection &db = doc.context().db;
    if (o.contains(u"place"_qs))
        applyPlace(p, o.value(u"place"_qs).toString());
    if (o.contains(u"abi"_qs))
        applyAbi(db, p, o, path);
    if (o.contains(u"cab"_qs))
        applyCab(db, p, o, path);
    if (o.contains(u"agentCode"_qs))
        applyAgent(db, p, o, path);
    if (o.contains(u"companyCode"_qs))
        p.codiceAzienda = paymentText(o, u"companyCode"_qs, path, PaymentText::CompanyCode);
    // The company code belongs to the collection agent alone.
    if (p.place != PaymentPlace::CollectionAgent)
        p.codiceAzienda.clear();
    if (o.contains(u"date"_qs))
        applyDate(p, o.value(u"date"_qs).toString().trimmed());
    if (const std::optional<Money> amount = optionalAmount(o, u"amount"_qs, path)) {
        if (*amount < MinPaid || *amount > MaxPaid)
            throw Refusal(msgAmountOutOfRange(formatAmount(MinPaid, doc.euro()), formatAmount(MaxPaid, doc.euro())));
        p.importo = *amount;
    }
    p.riportaInStampa = flagOf(o, u"print"_qs, p.riportaInStampa);
}

QJsonObject paymentJson(const Payment &p)
{
    QJsonObject o;
    const char *places[] = {"none", "bank", "agent", "post"};
    o.insert(u"place"_qs, QString::fromLatin1(places[int(p.place)]));
    o.insert(u"abi"_qs, p.abi);
    o.insert(u"cab"_qs, p.cab);
    o.insert(u"agentCode"_qs, p.codiceConcessione);
    o.insert(u"companyCode"_qs, p.codiceAzienda);
    o.insert(u"date"_qs, p.dataVersamento ? p.dataVersamento->toString(Qt::ISODate) : QString());
    o.insert(u"amount"_qs, p.importo.toDouble());
    o.insert(u"print"_qs, p.riportaInStampa);
    return o;
}

const char *const kInfraMembers[] = {"totalCredit", "quarterCredit", "depreciableGoods", "increases",     "decreases",
                                     "usable",      "refund",        "compensationF24",  "toSettlements", "residual"};

} // namespace

namespace CreditInput {

const QStringList &members()
{
    static const QStringList names = {u"infraAnnualCredit"_qs, u"compensableCredit"_qs, u"payment"_qs,
                                      u"declarationGrid"_qs};
    return names;
}

QString msgNotInfraAnnual()
{
    return u"Il credito infrannuale si indica solo per un soggetto legittimato a richiedere il rimborso "
           u"infrannuale (\"SoggettoRimborsoLiqIva\")."_qs;
}

QString msgNoAdvancePayment()
{
    return u"Il versamento in acconto si indica solo nell'acconto di dicembre."_qs;
}

QString msgUnknownPlace(const QString &place)
{
    return QStringLiteral("Luogo del versamento \"%1\" sconosciuto: indicare bank, agent, post o none.").arg(place);
}

QString msgBadRow(const QString &path)
{
    return QStringLiteral("%1: indicare con \"row\" una riga della dichiarazione da 1 a 13.").arg(path);
}

void apply(SettlementDocument &doc, const QJsonObject &input)
{
    // The cells of the grid first: the windows below start from what the grid holds.
    if (input.contains(u"declarationGrid"_qs)) {
        const QJsonValue v = input.value(u"declarationGrid"_qs);
        if (!v.isArray())
            throw Refusal(u"Il membro \"declarationGrid\" deve essere un elenco."_qs);
        const QJsonArray cells = v.toArray();
        for (int i = 0; i < cells.size(); ++i) {
            const QString path = QStringLiteral("declarationGrid[%1]").arg(i);
            const QJsonObject c = objectOf(cells[i], path);
            const int row = c.value(u"row"_qs).toInt(0);
            if (row < 1 || row > DeclarationGrid::RowCount)
                throw Refusal(msgBadRow(path));
            for (const auto &[member, side] : {std::pair{u"debit"_qs, DeclarationColumn::Debit},
                                               std::pair{u"credit"_qs, DeclarationColumn::Credit}}) {
                if (!c.contains(member))
                    continue;
                const std::optional<Money> value = optionalAmount(c, member, path);
                const DeclarationEditOutcome outcome = editDeclarationCell(doc, row - 1, side, value);
                if (!outcome.accepted)
                    throw Refusal(path + u": "_qs + outcome.message);
            }
        }
    }

    if (input.contains(u"infraAnnualCredit"_qs)) {
        const QJsonObject o = objectOf(input.value(u"infraAnnualCredit"_qs), u"infraAnnualCredit"_qs);
        // "entitled" ticks the box that enables the window, as the user does first.
        if (flagOf(o, u"entitled"_qs, false))
            doc.setSoggettoRimborso(true);
        if (!doc.soggettoRimborso() && !o.isEmpty())
            throw Refusal(msgNotInfraAnnual());
        const std::unique_ptr<Prospetto> p = makeProspetto(doc, Prospetto::CreditoInfrannuale);
        const char *const letters[] = {"letterA", "letterB", "letterC"};
        for (int i = 0; i < 3; ++i)
            p->setLetter(i, flagOf(o, QString::fromLatin1(letters[i]), p->letter(i)));
        for (int row = 0; row < p->rowCount(); ++row) {
            const QString member = QString::fromLatin1(kInfraMembers[row]);
            if (p->isLocked(row))
                continue; // computed: printed by the output, ignored here
            if (const std::optional<Money> v = optionalAmount(o, member, u"infraAnnualCredit"_qs))
                p->setValue(row, *v);
        }
        refuseProblem(p->IsValid());
        takeProspetto(doc, *p);
    }

    if (input.contains(u"compensableCredit"_qs)) {
        const QJsonObject o = objectOf(input.value(u"compensableCredit"_qs), u"compensableCredit"_qs);
        const std::unique_ptr<CreditoCompensabile> c = makeCreditoCompensabile(doc);
        if (const std::optional<Money> v = optionalAmount(o, u"initial"_qs, u"compensableCredit"_qs))
            c->setValue(CreditoCompensabile::Inizio, *v);
        if (const std::optional<Money> v = optionalAmount(o, u"usedF24"_qs, u"compensableCredit"_qs))
            c->setValue(CreditoCompensabile::UtiF24, *v);
        c->setPrintFlag(flagOf(o, u"print"_qs, c->printFlag()));
        refuseProblem(c->IsValid());
        takeCreditoCompensabile(doc, *c);
    }

    if (input.contains(u"payment"_qs)) {
        const QJsonObject o = objectOf(input.value(u"payment"_qs), u"payment"_qs);
        PaymentData data = doc.payments();
        applyPayment(doc, data.periodic, o, u"payment"_qs);
        if (o.contains(u"advance"_qs)) {
            if (!data.advanceEnabled)
                throw Refusal(msgNoAdvancePayment());
            applyPayment(doc, data.advance, objectOf(o.value(u"advance"_qs), u"payment.advance"_qs),
                         u"payment.advance"_qs);
        }
        // Every value checked: the tab takes them together.
        doc.payments() = data;
    }
}

void toJson(SettlementDocument &doc, QJsonObject &out)
{
    if (doc.soggettoRimborso()) {
        const std::unique_ptr<Prospetto> p = makeProspetto(doc, Prospetto::CreditoInfrannuale);
        QJsonObject o;
        for (int row = 0; row < p->rowCount(); ++row)
            o.insert(QString::fromLatin1(kInfraMembers[row]), p->value(row).toDouble());
        o.insert(u"letterA"_qs, p->letter(0));
        o.insert(u"letterB"_qs, p->letter(1));
        o.insert(u"letterC"_qs, p->letter(2));
        o.insert(u"entitled"_qs, true);
        out.insert(u"infraAnnualCredit"_qs, o);
    }
    {
        const std::unique_ptr<CreditoCompensabile> c = makeCreditoCompensabile(doc);
        QJsonObject o;
        o.insert(u"initial"_qs, doc.fromAmounts(c->value(CreditoCompensabile::Inizio)).toDouble());
        o.insert(u"usedInSettlement"_qs, doc.fromAmounts(c->value(CreditoCompensabile::UtiLiqui)).toDouble());
        o.insert(u"usedF24"_qs, doc.fromAmounts(c->value(CreditoCompensabile::UtiF24)).toDouble());
        o.insert(u"final"_qs, doc.fromAmounts(c->value(CreditoCompensabile::Fine)).toDouble());
        o.insert(u"print"_qs, c->printFlag());
        out.insert(u"compensableCredit"_qs, o);
    }
    {
        QJsonObject o = paymentJson(doc.payments().periodic);
        if (doc.payments().advanceEnabled)
            o.insert(u"advance"_qs, paymentJson(doc.payments().advance));
        out.insert(u"payment"_qs, o);
    }
    {
        QJsonArray cells;
        const DeclarationGrid &g = doc.declaration();
        for (int row = 0; row < DeclarationGrid::RowCount; ++row) {
            QJsonObject c;
            if (isEditableCell(row, DeclarationColumn::Debit))
                c.insert(u"debit"_qs, g.debit(row).toDouble());
            if (isEditableCell(row, DeclarationColumn::Credit))
                c.insert(u"credit"_qs, g.credit(row).toDouble());
            if (c.isEmpty())
                continue;
            c.insert(u"row"_qs, row + 1);
            cells.append(c);
        }
        out.insert(u"declarationGrid"_qs, cells);
    }
}

} // namespace CreditInput

} // namespace liqiva
