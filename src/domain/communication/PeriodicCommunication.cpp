#include "domain/communication/PeriodicCommunication.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/SqlValue.h"
#include "domain/communication/SchemaValidator.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DeclarationTotals.h"
#include "domain/engine/AmountTypes.h"
#include "suite/Refusal.h"
#include "suite/Rounding.h"
#include "suite/WholeFile.h"

#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QXmlStreamWriter>
#include <algorithm>
#include <map>

namespace liqiva {

namespace {

const QString kNamespace = u"urn:www.agenziaentrate.gov.it:specificheTecniche:sco:ivp"_qs;

const char *const kMonths[] = {"gennaio", "febbraio", "marzo",     "aprile",  "maggio",   "giugno",
                               "luglio",  "agosto",   "settembre", "ottobre", "novembre", "dicembre"};

QString monthName(int m)
{
    return QString::fromLatin1(kMonths[m - 1]);
}

// The advance methods as the communication codes them: our 0 (analytical) is its 3.
int methodCode(int metodoCalcoloAccontoIva)
{
    switch (metodoCalcoloAccontoIva) {
    case 1:
        return 1; // historical
    case 2:
        return 2; // forecast
    default:
        return 3; // analytical
    }
}

struct Activity {
    int id = 0;
    QString name;
    bool quarterly = false;
    bool interestByOption = false; // quarterly by option, with the 1% interest
};

// The figures of one saved settlement: the VAT ones from its report header as the save
// leaves it; the totals of the active and passive operations are the periodic declaration's
// (DeclarationTotals), so that the communication and the declaration never differ.
struct SettlementFigures {
    Money attive, passive, esigibile, detratta, debitoPrec, creditoPrec, creditoAnno, creditiSpeciali, interessi,
        accontoVersato;
};

SettlementFigures readFigures(const Recordset &rs)
{
    auto m = [&rs](const char *column) { return Money::fromVariant(rs.field(QString::fromLatin1(column))); };
    SettlementFigures f;
    // VP4: the VAT payable, with the VAT of split-payment purchases owed by the company.
    f.esigibile = m("IVAEsigibile") + m("TotAcquistiIvaSplit");
    f.detratta = m("IVADetraibile");
    f.debitoPrec = m("DebitoPeriodoPrec");
    f.creditoPrec = m("CreditoPeriodoPrec");
    f.creditoAnno = m("CreditoInDetrazione");
    f.creditiSpeciali = m("CreditiSpeciali");
    f.interessi = m("IntLiquiTrimDovuti");
    f.accontoVersato = m("AccontoVersato");
    return f;
}

QString figureColumns()
{
    return u"CampoReportLiquidazioneIva.IDCampoReportLiquidazioneIva, IVAEsigibile, TotAcquistiIvaSplit, "
           u"IVADetraibile, DebitoPeriodoPrec, CreditoPeriodoPrec, CreditoInDetrazione, CreditiSpeciali, "
           u"IntLiquiTrimDovuti, AccontoVersato"_qs;
}

// Who changed a settlement row last and when, as read: a row saved again (or a key taken
// by another settlement) reads differently.
QString changeStamp(const Recordset &rs)
{
    return rs.field(u"IDUtenteUltimaVariazione"_qs).toString() + u'|' + rs.field(u"DataUltimaVariazione"_qs).toString();
}

std::optional<Money> nonZero(Money v)
{
    return v.isZero() ? std::nullopt : std::optional<Money>(v);
}

// A module's key: the month (1..12) or 100 + the quarter, so that months come first.
struct ModuleSum {
    std::optional<int> mese, trimestre;
    QStringList activities;
    SettlementFigures sum;
    bool advanceRow = false;  // month 12 or quarter 4 / 5: VP13 belongs here
    bool interestRow = false; // quarters 1-3 by option: VP12 belongs here
    bool closingRow = true;   // VP11 and VP14 (not in quarter 5)
    std::optional<int> metodo;
    Money accontoDovuto;
};

void add(SettlementFigures &to, const SettlementFigures &f)
{
    to.attive += f.attive;
    to.passive += f.passive;
    to.esigibile += f.esigibile;
    to.detratta += f.detratta;
    to.debitoPrec += f.debitoPrec;
    to.creditoPrec += f.creditoPrec;
    to.creditoAnno += f.creditoAnno;
    to.creditiSpeciali += f.creditiSpeciali;
    to.interessi += f.interessi;
    to.accontoVersato += f.accontoVersato;
}

CommunicationModule toModule(const ModuleSum &s, int number, bool firstPeriod)
{
    CommunicationModule m;
    m.numeroModulo = number;
    m.mese = s.mese;
    m.trimestre = s.trimestre;
    m.activities = s.activities;
    const SettlementFigures &f = s.sum;
    m.totaleOperazioniAttive = f.attive;
    m.totaleOperazioniPassive = f.passive;
    m.ivaEsigibile = f.esigibile;
    m.ivaDetratta = f.detratta;
    const Money vp6 = f.esigibile - f.detratta;
    if (vp6 > Money())
        m.ivaDovuta = vp6;
    else if (vp6 < Money())
        m.ivaCredito = -vp6;
    else
        m.ivaDovuta = Money(); // zero is written as 0,00
    m.debitoPrecedente = nonZero(f.debitoPrec);
    if (!firstPeriod)
        m.creditoPeriodoPrecedente = nonZero(f.creditoPrec);
    m.creditoAnnoPrecedente = nonZero(f.creditoAnno);
    // VP11 only against a debt, and never more than the debt.
    const Money debt =
        (vp6 > Money() ? vp6 : Money()) + f.debitoPrec - (firstPeriod ? Money() : f.creditoPrec) - f.creditoAnno;
    if (s.closingRow && debt > Money() && f.creditiSpeciali > Money())
        m.creditiImposta = std::min(f.creditiSpeciali, debt);
    if (s.interestRow)
        m.interessiDovuti = nonZero(f.interessi);
    if (s.advanceRow) {
        const Money advance = !f.accontoVersato.isZero() ? f.accontoVersato : s.accontoDovuto;
        if (!advance.isZero()) {
            m.acconto = advance;
            m.metodo = s.metodo.value_or(3);
        }
    }
    if (s.closingRow) {
        const Money vp14 = vp6 + m.debitoPrecedente.value_or(Money()) + m.interessiDovuti.value_or(Money()) -
                           m.creditiImposta.value_or(Money()) - m.creditoPeriodoPrecedente.value_or(Money()) -
                           m.creditoAnnoPrecedente.value_or(Money()) - m.versamentiAuto.value_or(Money()) -
                           m.acconto.value_or(Money());
        if (vp14 < Money())
            m.importoACredito = -vp14;
        else
            m.importoDaVersare = vp14;
    }
    return m;
}

} // namespace

QString communicationSoftwareId()
{
    return QStringLiteral("LIQUIDAZIONE IVA %1").arg(QStringLiteral(LIQIVA_VERSION));
}

QString communicationAmount(Money value)
{
    const Money cents = roundTo(value, Step::Cent, RoundMode::HalfAwayFromZero);
    const long long hundredths = cents.raw() / (Money::Scale / 100);
    const bool negative = hundredths < 0;
    const long long a = negative ? -hundredths : hundredths;
    return (negative ? u"-"_qs : QString()) + QString::number(a / 100) + u',' +
           QString::number(a % 100).rightJustified(2, u'0');
}

namespace {

// The taxpayer: its name, tax code and VAT number; what it lacks is noted as missing.
void readTaxpayer(Connection &db, PeriodicCommunicationData &data)
{
    {
        Recordset rs =
            db.openRecordset(u"SELECT Azienda.Azienda, Anagrafica.CodiceFiscale, Anagrafica.PartitaIva FROM Azienda "
                             u"LEFT JOIN Anagrafica "
                             u"ON Azienda.IDAnagrafica = Anagrafica.IDAnagrafica WHERE Azienda.IDAzienda = "_qs +
                             sqlParam(data.idAzienda) + u" AND Azienda.VirtualDelete = 0"_qs);
        if (rs.eof())
            throw Refusal(QStringLiteral("L'azienda %1 non esiste.").arg(data.idAzienda));
        data.azienda = rs.text(u"Azienda"_qs);
        data.codiceFiscale = rs.text(u"CodiceFiscale"_qs).trimmed().toUpper();
        data.partitaIva = rs.text(u"PartitaIva"_qs).trimmed();
    }
    if (data.codiceFiscale.isEmpty())
        data.missing.append(u"L'azienda non ha il codice fiscale."_qs);
    if (data.partitaIva.isEmpty())
        data.missing.append(u"L'azienda non ha la partita IVA."_qs);
}

// The declarant of the VAT declaration's configuration: kept only with both its tax code and
// the code of the office held.
void readDeclarant(Connection &db, PeriodicCommunicationData &data)
{
    {
        Recordset rs = db.openRecordset(
            u"SELECT Anagrafica.CodiceFiscale, ConfigurazioneDip.IDCodiceCarica FROM ConfigurazioneDip LEFT JOIN "
            u"Anagrafica ON ConfigurazioneDip.IDAnagraficaRappresentante = Anagrafica.IDAnagrafica WHERE "
            u"ConfigurazioneDip.IDAzienda = "_qs +
            sqlParam(data.idAzienda) + u" AND ConfigurazioneDip.VirtualDelete = 0"_qs);
        if (!rs.eof()) {
            data.cfDichiarante = rs.text(u"CodiceFiscale"_qs).trimmed().toUpper();
            if (!rs.isNull(u"IDCodiceCarica"_qs))
                data.codiceCaricaDichiarante = rs.integer(u"IDCodiceCarica"_qs);
        }
    }
    // A taxpayer that is not a natural person (a numeric tax code) signs through its
    // declarant, who needs a tax code and the code of the office held.
    const bool naturalPerson = data.codiceFiscale.size() == 16;
    if (!naturalPerson && !data.codiceFiscale.isEmpty() &&
        (data.cfDichiarante.isEmpty() || !data.codiceCaricaDichiarante))
        data.missing.append(u"Manca il dichiarante (codice fiscale e codice carica) nella configurazione della "
                            u"dichiarazione IVA dell'azienda."_qs);
    if (data.cfDichiarante.isEmpty())
        data.codiceCaricaDichiarante.reset();
    else if (!data.codiceCaricaDichiarante)
        data.cfDichiarante.clear();
}

int vatYearOf(Connection &db, const PeriodicCommunicationData &data)
{
    const QVariant vatYear =
        db.scalar(u"SELECT IDPeriodoIva FROM PeriodoIva WHERE IDAzienda = "_qs + sqlParam(data.idAzienda) +
                  u" AND Anno = "_qs + sqlParam(data.anno) + u" AND VirtualDelete = 0"_qs);
    if (vatYear.isNull())
        throw Refusal(QStringLiteral("L'azienda non ha il periodo I.V.A. %1.").arg(data.anno));
    return vatYear.toInt();
}

std::vector<Activity> readActivities(Connection &db, PeriodicCommunicationData &data, int idPeriodoIva)
{
    std::vector<Activity> activities;
    for (Recordset rs = db.openRecordset(
             u"SELECT AttivitaAzienda.IDAttivitaAzienda, AttivitaAzienda.AttivitaAzienda, "
             u"AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva, AttivitaAziendaPerPeriodoIva.CalcoloInteressi "
             u"FROM AttivitaAzienda INNER JOIN AttivitaAziendaPerPeriodoIva ON AttivitaAzienda.IDAttivitaAzienda = "
             u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda WHERE AttivitaAzienda.IDAzienda = "_qs +
             sqlParam(data.idAzienda) + u" AND AttivitaAziendaPerPeriodoIva.IDPeriodoIva = "_qs +
             sqlParam(idPeriodoIva) +
             u" AND AttivitaAzienda.VirtualDelete = 0 AND AttivitaAziendaPerPeriodoIva.VirtualDelete = 0 "
             u"ORDER BY AttivitaAzienda.IDAttivitaAzienda"_qs);
         !rs.eof(); rs.moveNext()) {
        Activity a;
        a.id = rs.integer(u"IDAttivitaAzienda"_qs);
        a.name = rs.text(u"AttivitaAzienda"_qs);
        a.quarterly = rs.integer(u"TipoLiquidazioneIva"_qs) != 0;
        a.interestByOption = a.quarterly && rs.integer(u"CalcoloInteressi"_qs) != 0;
        activities.push_back(a);
    }
    if (activities.empty())
        data.missing.append(QStringLiteral("L'azienda non ha attività nel periodo I.V.A. %1.").arg(data.anno));
    return activities;
}

// A saved settlement of the quarter, with its report header's figures.
struct Saved {
    int key = 0;
    QString stamp;
    bool header = false;
    SettlementFigures figures;
    int metodo = 0;
    Money amountDue;
};
using SavedSettlements = std::map<std::pair<int, int>, Saved>; // (activity, month; 13 the advance)

// The saved settlements of the quarter's months and of the December advance, with their
// report headers: one statement.
SavedSettlements readSaved(Connection &db, const PeriodicCommunicationData &data, int idPeriodoIva)
{
    const int last = data.trimestre * 3;
    SavedSettlements saved;
    for (Recordset rs = db.openRecordset(
             u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva, RisultatoLiquidazioneIva.IDAttivitaAzienda, "
             u"RisultatoLiquidazioneIva.IDMese, RisultatoLiquidazioneIva.AccontoIva, "
             u"RisultatoLiquidazioneIva.MetodoCalcoloAccontoIva, RisultatoLiquidazioneIva.IDUtenteUltimaVariazione, "
             u"RisultatoLiquidazioneIva.DataUltimaVariazione, "_qs +
             figureColumns() +
             u" FROM (RisultatoLiquidazioneIva INNER JOIN AttivitaAzienda ON "
             u"RisultatoLiquidazioneIva.IDAttivitaAzienda = "
             u"AttivitaAzienda.IDAttivitaAzienda) LEFT JOIN CampoReportLiquidazioneIva ON "
             u"CampoReportLiquidazioneIva.IDRisultatoLiquidazioneIva = "
             u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva "
             u"WHERE AttivitaAzienda.IDAzienda = "_qs +
             sqlParam(data.idAzienda) + u" AND RisultatoLiquidazioneIva.IDPeriodoIva = "_qs + sqlParam(idPeriodoIva) +
             u" AND RisultatoLiquidazioneIva.VirtualDelete = 0 AND ((RisultatoLiquidazioneIva.IDMese >= "_qs +
             sqlParam(last - 2) + u" AND RisultatoLiquidazioneIva.IDMese <= "_qs + sqlParam(last) +
             u") OR (RisultatoLiquidazioneIva.IDMese IS NULL AND RisultatoLiquidazioneIva.AccontoIva <> 0))"_qs);
         !rs.eof(); rs.moveNext()) {
        const bool advance = rs.isNull(u"IDMese"_qs);
        const int month = advance ? 13 : rs.integer(u"IDMese"_qs);
        Saved s;
        s.header = !rs.isNull(u"IDCampoReportLiquidazioneIva"_qs);
        s.figures = readFigures(rs);
        s.metodo = rs.integer(u"MetodoCalcoloAccontoIva"_qs);
        s.key = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
        s.stamp = changeStamp(rs);
        saved[{rs.integer(u"IDAttivitaAzienda"_qs), month}] = s;
    }
    // The advance due, once the result above is closed (PostgreSQL's driver loses an open
    // result when another statement runs on the connection).
    for (auto &[where, s] : saved)
        if (where.second == 13)
            s.amountDue = Money::fromVariant(
                db.scalar(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs +
                          sqlParam(s.key) + u" AND IDTipoRisultatoLiquidazioneIva = "_qs +
                          sqlParam(AmountType::IvaDaVersare) + u" AND VirtualDelete = 0"_qs));
    return saved;
}

// The modules of the quarter, built from the saved settlements of each activity.
class QuarterModules {
public:
    QuarterModules(Connection &db, PeriodicCommunicationData &data, int idPeriodoIva)
        : m_db(db), m_data(data), m_idPeriodoIva(idPeriodoIva), m_saved(readSaved(db, data, idPeriodoIva))
    {
    }

    void add(const Activity &a)
    {
        const int last = m_data.trimestre * 3;
        if (a.quarterly) {
            addMonth(a, last);
            return;
        }
        for (int m = last - 2; m <= last; ++m)
            addMonth(a, m);
    }

    void finish()
    {
        if (m_sums.size() > 5)
            m_data.missing.append(u"La comunicazione non può avere più di cinque moduli."_qs);
        int number = 0;
        for (const auto &[key, sum] : m_sums) {
            const bool firstPeriod = sum.mese ? *sum.mese == 1 : sum.trimestre == 1;
            m_data.modules.push_back(toModule(sum, ++number, firstPeriod));
        }
    }

private:
    void addMonth(const Activity &a, int m)
    {
        const int trimestre = m_data.trimestre, anno = m_data.anno;
        const auto found = m_saved.find({a.id, m});
        const QString period = a.quarterly ? QStringLiteral("del %1° trimestre %2").arg(trimestre).arg(anno)
                                           : QStringLiteral("di %1 %2").arg(monthName(m)).arg(anno);
        if (found == m_saved.end()) {
            m_data.missing.append(
                QStringLiteral("La liquidazione %1 dell'attività '%2' non è salvata.").arg(period, a.name));
            return;
        }
        if (!found->second.header) {
            m_data.missing.append(QStringLiteral("La liquidazione %1 dell'attività '%2' non ha i dati del prospetto: "
                                                 "riaprirla e salvarla di nuovo.")
                                      .arg(period, a.name));
            return;
        }
        ModuleSum &sum = moduleOf(a, m);
        sum.activities.append(a.name);
        ::liqiva::add(sum.sum, figuresOf(a, m, found->second));
        keep(a, found->second, m, period);
        if (!sum.advanceRow)
            return;
        const auto advance = m_saved.find({a.id, 13});
        if (advance != m_saved.end()) {
            sum.metodo = methodCode(advance->second.metodo);
            sum.accontoDovuto += advance->second.amountDue;
            keep(a, advance->second, 13, QStringLiteral("dell'acconto di dicembre %1").arg(anno));
        } else if (!found->second.figures.accontoVersato.isZero()) {
            m_data.missing.append(QStringLiteral("L'acconto di dicembre %1 dell'attività '%2' è versato ma la sua "
                                                 "liquidazione non è salvata: manca il metodo di calcolo.")
                                      .arg(anno)
                                      .arg(a.name));
        }
    }

    // The module of the month, or of the activity's quarter. Quarterly by option: the fourth
    // quarter is Trimestre 5, paid with the annual balance; special quarterly taxpayers settle
    // the fourth as Trimestre 4.
    ModuleSum &moduleOf(const Activity &a, int m)
    {
        const int trimestre = m_data.trimestre;
        int key = m;
        ModuleSum proto;
        if (a.quarterly) {
            const int q = (trimestre == 4 && a.interestByOption) ? 5 : trimestre;
            key = 100 + q;
            proto.trimestre = q;
            proto.interestRow = a.interestByOption && trimestre <= 3;
            proto.closingRow = q != 5;
            proto.advanceRow = trimestre == 4;
        } else {
            proto.mese = m;
            proto.advanceRow = m == 12;
        }
        return m_sums.try_emplace(key, proto).first->second;
    }

    // The settlement's figures, with the active and passive operations of its declaration
    // data (VP2, VP3).
    SettlementFigures figuresOf(const Activity &a, int m, const Saved &s)
    {
        SettlementFigures figures = s.figures;
        SettlementIdentity id;
        id.idRisultatoLiquidazioneIva = s.key;
        id.idAttivitaAzienda = a.id;
        id.idPeriodoIva = m_idPeriodoIva;
        id.idMese = m;
        id.anno = m_data.anno;
        id.idAzienda = m_data.idAzienda;
        AltriDatiDip dip;
        DeclarationTotals(m_db, id, a.quarterly ? 1 : 0, Step::Cent).LoadAltriDatiDip(dip);
        figures.attive = dip.VP1_OperazioniAttive;   // VP2
        figures.passive = dip.VP2_OperazioniPassive; // VP3
        return figures;
    }

    // The settlement goes into the communication, read once.
    void keep(const Activity &a, const Saved &s, int month, const QString &caption)
    {
        m_data.settlements.push_back(s.key);
        for (const CommunicationSettlement &r : m_data.read)
            if (r.key == s.key)
                return;
        m_data.read.push_back({s.key, a.id, m_idPeriodoIva, month, s.metodo, s.stamp,
                               caption + QStringLiteral(" dell'attività '%1'").arg(a.name)});
    }

    Connection &m_db;
    PeriodicCommunicationData &m_data;
    int m_idPeriodoIva;
    SavedSettlements m_saved;
    std::map<int, ModuleSum> m_sums;
};

} // namespace

PeriodicCommunicationData loadPeriodicCommunication(Connection &db, int idAzienda, int anno, int trimestre)
{
    if (trimestre < 1 || trimestre > 4)
        throw Refusal(QStringLiteral("Il trimestre %1 non esiste: indicare un trimestre da 1 a 4.").arg(trimestre));
    PeriodicCommunicationData data;
    data.idAzienda = idAzienda;
    data.anno = anno;
    data.trimestre = trimestre;
    readTaxpayer(db, data);
    readDeclarant(db, data);
    const int idPeriodoIva = vatYearOf(db, data);
    const std::vector<Activity> activities = readActivities(db, data, idPeriodoIva);
    QuarterModules modules(db, data, idPeriodoIva);
    for (const Activity &a : activities)
        modules.add(a);
    modules.finish();
    return data;
}

QByteArray communicationXml(const PeriodicCommunicationData &data)
{
    QByteArray xml;
    QXmlStreamWriter w(&xml);
    w.setAutoFormatting(true);
    w.writeStartDocument();
    w.writeNamespace(kNamespace, u"iv"_qs);
    w.writeStartElement(kNamespace, u"Fornitura"_qs);
    auto text = [&w](const QString &name, const QString &value) { w.writeTextElement(kNamespace, name, value); };
    auto amount = [&](const QString &name, const std::optional<Money> &value) {
        if (value)
            text(name, communicationAmount(*value));
    };

    w.writeStartElement(kNamespace, u"Intestazione"_qs);
    text(u"CodiceFornitura"_qs, u"IVP18"_qs);
    w.writeEndElement();

    w.writeStartElement(kNamespace, u"Comunicazione"_qs);
    w.writeAttribute(u"identificativo"_qs, u"00001"_qs);
    w.writeStartElement(kNamespace, u"Frontespizio"_qs);
    text(u"CodiceFiscale"_qs, data.codiceFiscale);
    text(u"AnnoImposta"_qs, QString::number(data.anno));
    text(u"PartitaIVA"_qs, data.partitaIva);
    if (!data.cfDichiarante.isEmpty() && data.codiceCaricaDichiarante) {
        text(u"CFDichiarante"_qs, data.cfDichiarante);
        text(u"CodiceCaricaDichiarante"_qs, QString::number(*data.codiceCaricaDichiarante));
    }
    text(u"FirmaDichiarazione"_qs, u"1"_qs);
    text(u"IdentificativoProdSoftware"_qs, communicationSoftwareId());
    w.writeEndElement(); // Frontespizio

    w.writeStartElement(kNamespace, u"DatiContabili"_qs);
    for (const CommunicationModule &m : data.modules) {
        w.writeStartElement(kNamespace, u"Modulo"_qs);
        text(u"NumeroModulo"_qs, QString::number(m.numeroModulo));
        if (m.mese)
            text(u"Mese"_qs, QString::number(*m.mese));
        if (m.trimestre)
            text(u"Trimestre"_qs, QString::number(*m.trimestre));
        amount(u"TotaleOperazioniAttive"_qs, m.totaleOperazioniAttive);
        amount(u"TotaleOperazioniPassive"_qs, m.totaleOperazioniPassive);
        amount(u"IvaEsigibile"_qs, m.ivaEsigibile);
        amount(u"IvaDetratta"_qs, m.ivaDetratta);
        amount(u"IvaDovuta"_qs, m.ivaDovuta);
        amount(u"IvaCredito"_qs, m.ivaCredito);
        amount(u"DebitoPrecedente"_qs, m.debitoPrecedente);
        amount(u"CreditoPeriodoPrecedente"_qs, m.creditoPeriodoPrecedente);
        amount(u"CreditoAnnoPrecedente"_qs, m.creditoAnnoPrecedente);
        amount(u"VersamentiAuto"_qs, m.versamentiAuto);
        amount(u"CreditiImposta"_qs, m.creditiImposta);
        amount(u"InteressiDovuti"_qs, m.interessiDovuti);
        if (m.metodo && m.acconto) {
            text(u"Metodo"_qs, QString::number(*m.metodo));
            amount(u"Acconto"_qs, m.acconto);
        }
        amount(u"ImportoDaVersare"_qs, m.importoDaVersare);
        amount(u"ImportoACredito"_qs, m.importoACredito);
        w.writeEndElement(); // Modulo
    }
    w.writeEndElement(); // DatiContabili
    w.writeEndElement(); // Comunicazione
    w.writeEndElement(); // Fornitura
    w.writeEndDocument();
    return xml;
}

namespace {

// The XML of the communication, refused when something is missing or it does not validate.
QByteArray validatedXml(const PeriodicCommunicationData &data)
{
    if (!data.missing.isEmpty())
        throw Refusal(u"La comunicazione non può essere generata:\n"_qs + data.missing.join(u'\n'));
    if (data.modules.empty())
        throw Refusal(u"La comunicazione non può essere generata: nessuna liquidazione nel trimestre."_qs);
    const QByteArray xml = communicationXml(data);
    const QStringList errors = SchemaValidator::periodicCommunication().validate(xml);
    if (!errors.isEmpty())
        throw Refusal(u"La comunicazione non è conforme allo schema e non è stata scritta:\n"_qs + errors.join(u'\n'));
    return xml;
}

QString userName(Connection &db, int idUser)
{
    const QVariant name = db.scalar(u"SELECT Utente FROM Utente WHERE IDUtente = ?"_qs, {idUser});
    return name.isNull() || name.toString().isEmpty() ? QString::number(idUser) : name.toString();
}

// Locks each settlement the communication read and says why it is no longer that one (nothing
// when every one is). In key order, so that two communications never wait on each other.
QStringList changedSince(Connection &db, const PeriodicCommunicationData &data)
{
    std::vector<CommunicationSettlement> rows = data.read;
    std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.key < b.key; });
    QStringList reasons;
    for (const CommunicationSettlement &r : rows) {
        db.execute(
            u"UPDATE RisultatoLiquidazioneIva SET VirtualDelete = VirtualDelete WHERE IDRisultatoLiquidazioneIva = ?"_qs,
            {r.key});
        Recordset rs = db.openRecordset(
            u"SELECT IDAttivitaAzienda, IDPeriodoIva, IDMese, AccontoIva, MetodoCalcoloAccontoIva, VirtualDelete, "
            u"IDUtenteUltimaVariazione, DataUltimaVariazione FROM RisultatoLiquidazioneIva WHERE "
            u"IDRisultatoLiquidazioneIva = ?"_qs,
            {r.key});
        const QString which = QStringLiteral("La liquidazione %1 (chiave %2)").arg(r.caption).arg(r.key);
        if (rs.eof() || rs.integer(u"VirtualDelete"_qs) != 0) {
            reasons << which + u" è stata eliminata."_qs;
            continue;
        }
        const bool advance = rs.isNull(u"IDMese"_qs) && rs.integer(u"AccontoIva"_qs) != 0;
        const int month = rs.isNull(u"IDMese"_qs) ? (advance ? 13 : 0) : rs.integer(u"IDMese"_qs);
        if (rs.integer(u"IDAttivitaAzienda"_qs) != r.idAttivitaAzienda ||
            rs.integer(u"IDPeriodoIva"_qs) != r.idPeriodoIva || month != r.month ||
            (advance && rs.integer(u"MetodoCalcoloAccontoIva"_qs) != r.metodo)) {
            reasons << which + u" è stata eliminata e la sua chiave è ora di un'altra liquidazione."_qs;
            continue;
        }
        if (changeStamp(rs) != r.stamp) {
            const int user = rs.integer(u"IDUtenteUltimaVariazione"_qs);
            rs.close();
            reasons << which + QStringLiteral(" è stata salvata di nuovo dall'utente '%1'.").arg(userName(db, user));
        }
    }
    return reasons;
}

} // namespace

void writePeriodicCommunication(const PeriodicCommunicationData &data, const QString &path)
{
    // Written whole or not at all: a failure leaves an existing file as it was.
    WholeFile::writeAll(path, validatedXml(data), WholeFile::Replace::Yes);
}

std::optional<PreviousCommunication> previousCommunication(Connection &db, const PeriodicCommunicationData &data)
{
    if (data.settlements.empty())
        return std::nullopt;
    QString marks;
    SqlParams keys;
    for (int k : data.settlements) {
        marks += marks.isEmpty() ? u"?"_qs : u", ?"_qs;
        keys << k;
    }
    // A mark taken off by a save with other figures keeps its row, without a date.
    Recordset rs = db.openRecordset(
        u"SELECT DataComunicazione, NomeFile FROM ComunicazioneLiquidazioneIva WHERE IDComunicazioneLiquidazioneIva IN ("_qs +
            marks + u") AND DataComunicazione IS NOT NULL AND VirtualDelete = 0 ORDER BY DataComunicazione DESC"_qs,
        keys);
    if (rs.eof())
        return std::nullopt;
    PreviousCommunication p;
    const QVariant when = rs.field(u"DataComunicazione"_qs);
    // SQLite keeps the moment as ISO text with a space, PostgreSQL as a timestamp.
    p.when = when.typeId() == QMetaType::QString
                 ? QDateTime::fromString(when.toString().left(19), u"yyyy-MM-dd HH:mm:ss"_qs)
                 : when.toDateTime();
    p.file = rs.text(u"NomeFile"_qs);
    for (; !rs.eof(); rs.moveNext())
        ++p.settlements;
    return p;
}

CommunicationWritten markCommunicated(Connection &db, const PeriodicCommunicationData &data, const QString &path,
                                      int idUser, const std::function<void()> &writeFile)
{
    validatedXml(data);
    CommunicationWritten written;
    Transaction t(db);
    const QStringList changed = changedSince(db, data);
    if (!changed.isEmpty())
        throw Refusal(u"La comunicazione non è stata scritta e nessuna liquidazione è stata segnata come comunicata: "
                      u"dopo che è stata preparata,\n"_qs +
                      changed.join(u'\n') + u"\nPrepararla di nuovo."_qs);
    // Read inside the transaction (on SQLite it already holds the write lock), so that two
    // users writing the same quarter at once are told in turn.
    written.previous = previousCommunication(db, data);
    const QDateTime now = QDateTime::currentDateTime();
    const QString file = QFileInfo(path).absoluteFilePath().right(255);
    // Each settlement once: one statement may not touch a row twice.
    std::vector<int> keys = data.settlements;
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    QString values;
    SqlParams params;
    for (int key : keys) {
        values += (values.isEmpty() ? QString() : u", "_qs) + u"(?, ?, ?, ?, ?, ?, ?, ?, 0)"_qs;
        params << key << data.anno << data.trimestre << now << now << file << idUser << now;
    }
    // One statement for every settlement; a row already there (the quarter written again,
    // maybe by another user at this very moment) takes the new date and file and keeps the
    // first date.
    db.execute(u"INSERT INTO ComunicazioneLiquidazioneIva (IDComunicazioneLiquidazioneIva, Anno, Trimestre, "
               u"DataPrimaComunicazione, DataComunicazione, NomeFile, IDUtenteUltimaVariazione, "
               u"DataUltimaVariazione, VirtualDelete) VALUES "_qs +
                   values +
                   u" ON CONFLICT (IDComunicazioneLiquidazioneIva) DO UPDATE SET Anno = excluded.Anno, Trimestre = "
                   u"excluded.Trimestre, DataComunicazione = excluded.DataComunicazione, NomeFile = excluded.NomeFile, "
                   u"IDUtenteUltimaVariazione = excluded.IDUtenteUltimaVariazione, DataUltimaVariazione = "
                   u"excluded.DataUltimaVariazione, VirtualDelete = 0"_qs,
               params);
    if (writeFile)
        writeFile();
    t.commit();
    written.settlements = int(keys.size());
    return written;
}

CommunicationWritten communicate(Connection &db, const PeriodicCommunicationData &data, const QString &path, int idUser,
                                 WholeFile::Replace replace)
{
    // The file is written whole and closed under a temporary name, the marks are written and
    // checked, the file is put in place and only then are the marks committed: a failure at
    // any step leaves neither a file nor a mark.
    WholeFile file(path, replace);
    file.write(validatedXml(data));
    file.finish();
    return markCommunicated(db, data, path, idUser, [&] { file.commit(); });
}

const QStringList &communicatedHeaderColumns()
{
    static const QStringList columns = {u"IVAEsigibile"_qs,      u"TotAcquistiIvaSplit"_qs, u"IVADetraibile"_qs,
                                        u"DebitoPeriodoPrec"_qs, u"CreditoPeriodoPrec"_qs,  u"CreditoInDetrazione"_qs,
                                        u"CreditiSpeciali"_qs,   u"IntLiquiTrimDovuti"_qs,  u"AccontoVersato"_qs};
    return columns;
}

std::vector<Money> communicatedFigures(Connection &db, int key)
{
    std::vector<Money> figures;
    {
        Recordset rs = db.openRecordset(u"SELECT "_qs + communicatedHeaderColumns().join(u", "_qs) +
                                            u" FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                                        {key});
        for (const QString &column : communicatedHeaderColumns())
            figures.push_back(rs.eof() ? Money() : Money::fromVariant(rs.field(column)));
    }
    for (int type : {AmountType::IvaDaVersare, AmountType::CreDimLiquiSucc}) {
        Money total;
        for (Recordset rs =
                 db.openRecordset(u"SELECT Importo FROM RisultatoLiquidazioneIvaXTipo WHERE "
                                  u"IDRisultatoLiquidazioneIva = ? AND IDTipoRisultatoLiquidazioneIva = ? AND "
                                  u"VirtualDelete = 0"_qs,
                                  {key, type});
             !rs.eof(); rs.moveNext())
            total += Money::fromVariant(rs.field(u"Importo"_qs));
        figures.push_back(total);
    }
    return figures;
}

std::optional<QDateTime> communicationDate(Connection &db, int key)
{
    const QVariant when = db.scalar(u"SELECT DataComunicazione FROM ComunicazioneLiquidazioneIva WHERE "
                                    u"IDComunicazioneLiquidazioneIva = ? AND DataComunicazione IS NOT NULL AND "
                                    u"VirtualDelete = 0"_qs,
                                    {key});
    if (when.isNull() || !when.isValid())
        return std::nullopt;
    return when.typeId() == QMetaType::QString
               ? QDateTime::fromString(when.toString().left(19), u"yyyy-MM-dd HH:mm:ss"_qs)
               : when.toDateTime();
}

bool clearCommunicated(Connection &db, int key, int idUser)
{
    return db.execute(
               u"UPDATE ComunicazioneLiquidazioneIva SET DataComunicazione = NULL, IDUtenteUltimaVariazione = ?, "
               u"DataUltimaVariazione = ? WHERE IDComunicazioneLiquidazioneIva = ? AND DataComunicazione IS NOT "
               u"NULL"_qs,
               {idUser, QDateTime::currentDateTime(), key}) > 0;
}

QString communicationWrittenText(const PeriodicCommunicationData &data, const CommunicationWritten &written,
                                 const QString &path)
{
    QString text =
        QStringLiteral("Comunicazione liquidazioni periodiche IVA %1, %2° trimestre %3: %4 moduli scritti in "
                       "%5; %6 liquidazioni segnate come comunicate.")
            .arg(data.azienda)
            .arg(data.trimestre)
            .arg(data.anno)
            .arg(data.modules.size())
            .arg(path)
            .arg(written.settlements);
    if (written.previous)
        text += QStringLiteral("\nIl trimestre era già stato comunicato il %1 (%2): il file è stato scritto di nuovo.")
                    .arg(QLocale(QLocale::Italian).toString(written.previous->when, u"dd/MM/yyyy HH:mm"_qs),
                         written.previous->file);
    return text;
}

} // namespace liqiva
