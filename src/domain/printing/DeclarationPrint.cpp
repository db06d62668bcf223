#include "domain/printing/DeclarationPrint.h"

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/declarations/AltriDatiDip.h"
#include "domain/declarations/DatiCADI.h"
#include "domain/declarations/DeclarationTotals.h"
#include "domain/document/SettlementDocument.h"
#include "domain/printing/SettlementReport.h"
#include "suite/Rounding.h"

#include <QLocale>
#include <stdexcept>

namespace liqiva {

namespace {

// The columns of the work table after the three codes, in the order the insert writes them;
// the annual communication has four boxes more.
QStringList campoOrder(bool annualCommunication)
{
    QStringList c;
    for (int i = 1; i <= 7; ++i)
        c << QStringLiteral("Campo%1").arg(i);
    c << u"Campo16"_qs << u"Campo17"_qs;
    for (int i = 8; i <= 15; ++i)
        c << QStringLiteral("Campo%1").arg(i);
    c << u"Campo35"_qs;
    for (int i = 18; i <= 34; ++i)
        c << QStringLiteral("Campo%1").arg(i);
    if (annualCommunication)
        for (int i = 36; i <= 39; ++i)
            c << QStringLiteral("Campo%1").arg(i);
    return c;
}

QString placeholder(DeclarationBox::Kind kind, const QString &label)
{
    switch (kind) {
    case DeclarationBox::Code:
        return u"TEST"_qs;
    case DeclarationBox::Month:
        return u"XX"_qs;
    case DeclarationBox::Quarter:
    case DeclarationBox::Option:
    case DeclarationBox::Check:
        return u"X"_qs;
    case DeclarationBox::Amount:
        return u"XXXXXXXXXXXXX"_qs;
    case DeclarationBox::Date:
        return u"XXXXXXXXXX"_qs;
    case DeclarationBox::Currency:
        return u"EURO"_qs;
    case DeclarationBox::Text:
        break;
    }
    // The bank codes have five digits, the other codes four.
    return label.startsWith(u"Codice ABI"_qs) || label.startsWith(u"Codice CAB"_qs) ? u"XXXXX"_qs : u"XXXX"_qs;
}

QString quarterCode(const DeclarationData &d)
{
    if (!d.monthly && !d.quarterly)
        return u" "_qs;
    if (d.idMese <= 3)
        return u"1"_qs;
    if (d.idMese <= 6)
        return u"2"_qs;
    if (d.idMese <= 9)
        return u"3"_qs;
    return u"4"_qs;
}

template <typename T> Money sum(const std::vector<const T *> &objects, Money T::*field)
{
    Money total;
    for (const T *o : objects)
        total += o->*field;
    return total;
}

} // namespace

QString DeclarationPrint::title(int anno)
{
    return anno >= 2002 ? u"Stampa Comunicazione Annuale Dati IVA"_qs : u"Stampa Dichiarazione IVA Periodica"_qs;
}

QString DeclarationPrint::columnOf(int position, bool annualCommunication)
{
    if (position < 3)
        return QStringLiteral("Codice_IVA_%1").arg(position + 1);
    return campoOrder(annualCommunication).value(position - 3);
}

QString DeclarationPrint::amountBox(Money value, int anno)
{
    QString text;
    if (anno > 2000) {
        // "###,###,###,###,##0": whole units with the thousands separators.
        const Money whole = roundTo(value, Step::Lira, RoundMode::HalfAwayFromZero);
        text = QLocale(QLocale::Italian, QLocale::Italy).toString(whole.raw() / Money::Scale);
    } else {
        text = value.toString();
    }
    if (text == u"0"_qs || text == u"0,00"_qs || value.isZero())
        return {};
    return text.rightJustified(13, u' ');
}

namespace {

// The boxes of the form as they are added, in the work table's order.
class FormBoxes {
public:
    FormBoxes(const DeclarationData &d, bool test) : m_d(d), m_test(test) {}

    void add(const QString &section, const QString &label, DeclarationBox::Kind kind, const QString &value)
    {
        m_boxes.push_back({section, label, kind, m_test ? placeholder(kind, label) : value});
    }
    void amount(const QString &section, const QString &label, Money value)
    {
        add(section, label, DeclarationBox::Amount, DeclarationPrint::amountBox(value, m_d.anno));
    }
    // Boxes each the sum of one amount over the data objects printed together.
    template <typename T>
    void sums(const QString &section, const std::vector<const T *> &objects,
              std::initializer_list<std::pair<QString, Money T::*>> boxes)
    {
        for (const auto &[label, field] : boxes)
            amount(section, label, sum(objects, field));
    }

    void taxpayer(Connection &db);
    void period();
    void communicationOperations();
    void periodicOperations();
    void settlementGrid();
    void payment();

    std::vector<DeclarationBox> take() { return std::move(m_boxes); }

private:
    const DeclarationData &m_d;
    bool m_test;
    std::vector<DeclarationBox> m_boxes;
};

void FormBoxes::taxpayer(Connection &db)
{
    QString registry, vatNumber;
    if (!m_test) {
        Recordset rs =
            db.openRecordset(u"SELECT Azienda.IDAnagrafica, Anagrafica.PartitaIva FROM Azienda LEFT JOIN Anagrafica"
                             u" ON Azienda.IDAnagrafica = Anagrafica.IDAnagrafica WHERE Azienda.IDAzienda = ?"_qs,
                             {sqlValue(m_d.idAzienda)});
        if (!rs.eof()) {
            registry = rs.isNull(u"IDAnagrafica"_qs) ? QString() : QString::number(rs.integer(u"IDAnagrafica"_qs));
            vatNumber = rs.text(u"PartitaIva"_qs);
        }
    }
    const QString who = u"Contribuente"_qs;
    add(who, u"Codice anagrafico"_qs, DeclarationBox::Code, registry);
    add(who, u"Liquidazione n."_qs, DeclarationBox::Code,
        m_d.idRisultatoLiquidazioneIva > 0 ? QString::number(m_d.idRisultatoLiquidazioneIva) : QString());
    add(who, u"Partita IVA"_qs, DeclarationBox::Code, vatNumber);
}

void FormBoxes::period()
{
    const QString period = u"Periodo"_qs;
    add(period, u"Mese"_qs, DeclarationBox::Month, QString::number(m_d.monthly ? m_d.idMese : 0));
    add(period, u"Trimestre"_qs, DeclarationBox::Quarter, quarterCode(m_d));
}

// Each amount is the sum of the data objects printed together.
void FormBoxes::communicationOperations()
{
    sums(u"Operazioni"_qs, m_d.cadi,
         {
             {u"Totale operazioni attive"_qs, &DatiCADI::OperazioniAttive},
             {u"di cui operazioni intracomunitarie"_qs, &DatiCADI::OperazioniIntracomunitarie},
             {u"Totale operazioni passive"_qs, &DatiCADI::OperazioniPassive},
             {u"di cui acquisti intracomunitari"_qs, &DatiCADI::AcquistiIntracomunitarie},
             {u"Cessioni di beni strumentali"_qs, &DatiCADI::OperazioniBeniStrumentali},
             {u"Acquisti di beni strumentali"_qs, &DatiCADI::AcquistiBeniStrumentali},
             {u"Importazioni oro e argento: imponibile"_qs, &DatiCADI::Imponibile},
             {u"Importazioni oro e argento: imposta"_qs, &DatiCADI::Imposta},
             {u"IVA esigibile"_qs, &DatiCADI::IvaEsigibile},
             {u"IVA che si detrae"_qs, &DatiCADI::IvaCheSiDetrae},
             {u"Rottami: imponibile"_qs, &DatiCADI::ImponibileRottami},
             {u"Rottami: imposta"_qs, &DatiCADI::ImpostaRottami},
             {u"Operazioni non imponibili"_qs, &DatiCADI::OperazioniNonImponibili},
             {u"Operazioni esenti"_qs, &DatiCADI::OperazioniEsenti},
             {u"Acquisti non imponibili"_qs, &DatiCADI::AcquistiNonImponibili},
             {u"Acquisti esenti"_qs, &DatiCADI::AcquistiEsenti},
         });
}

void FormBoxes::periodicOperations()
{
    sums(u"Operazioni"_qs, m_d.dip,
         {
             {u"VP1 Operazioni attive"_qs, &AltriDatiDip::VP1_OperazioniAttive},
             {u"VP1 di cui cessioni intracomunitarie"_qs, &AltriDatiDip::VP1_CessioniIntracomunitarie},
             {u"VP2 Operazioni passive"_qs, &AltriDatiDip::VP2_OperazioniPassive},
             {u"VP2 di cui acquisti intracomunitari"_qs, &AltriDatiDip::VP2_AcquistiIntracomunitari},
             {u"VP1 di cui cessioni di beni strumentali"_qs, &AltriDatiDip::VP1_CessioniDatiStrumentali},
             {u"VP2 di cui acquisti di beni strumentali"_qs, &AltriDatiDip::VP2_AcquistiDatiStrumentali},
             {u"VP3 Importazioni senza pagamento dell'IVA: imponibile"_qs, &AltriDatiDip::VP3_Imponibile},
             {u"VP3 Importazioni senza pagamento dell'IVA: imposta"_qs, &AltriDatiDip::VP3_Imposta},
         });
}

// The grid row by row: a debit as it is, a credit with its sign.
void FormBoxes::settlementGrid()
{
    const QString grid = u"Liquidazione del periodo"_qs;
    const QStringList &captions = DeclarationGrid::rowCaptions();
    for (int r = 0; r < DeclarationGrid::RowCount; ++r) {
        const auto cell = r < int(m_d.grid.size()) ? m_d.grid[r] : std::pair<Money, Money>{};
        amount(grid, captions.value(r), cell.first - cell.second);
    }
    amount(grid, u"IVA da versare"_qs, m_d.ivaDovuta);
    amount(grid, u"IVA a credito"_qs, m_d.ivaDetraibile);
}

void FormBoxes::payment()
{
    const bool cadi = m_d.annualCommunication();
    const QString pay = u"Versamento"_qs;
    if (!cadi) {
        const DeclarationPayment &v = m_d.payment;
        amount(pay, u"Importo dichiarato"_qs, v.importoDichiarato);
        amount(pay, u"Importo versato"_qs, v.importoVersato);
        add(pay, u"Data del versamento"_qs, DeclarationBox::Date,
            v.data ? v.data->toString(u"MM/dd/yyyy"_qs) : QString());
        add(pay, u"Versamento presso (1 banca, 2 concessione, 3 posta)"_qs, DeclarationBox::Option,
            v.opzione > 0 ? QString::number(v.opzione) : QString());
        add(pay, u"Codice azienda"_qs, DeclarationBox::Text, v.codiceAzienda);
        add(pay, u"Codice concessione"_qs, DeclarationBox::Text, v.codiceConcessione);
        add(pay, u"Codice ABI"_qs, DeclarationBox::Text, v.abi);
        add(pay, u"Codice CAB"_qs, DeclarationBox::Text, v.cab);
    }
    add(pay, u"Valuta"_qs, DeclarationBox::Currency, u"EURO"_qs);
    const bool ticked = cadi ? (!m_d.cadi.empty() && m_d.cadi.front()->EventiEccezionali) : m_d.versamentoNonEffettuato;
    add(pay, cadi ? u"Eventi eccezionali"_qs : u"Versamento non effettuato"_qs, DeclarationBox::Check,
        ticked ? u"X"_qs : QString());
}

} // namespace

std::vector<DeclarationBox> DeclarationPrint::boxes(Connection &db, const DeclarationData &d, bool test)
{
    FormBoxes form(d, test);
    form.taxpayer(db);
    form.period();
    if (d.annualCommunication())
        form.communicationOperations();
    else
        form.periodicOperations();
    form.settlementGrid();
    form.payment();
    std::vector<DeclarationBox> b = form.take();
    if (int(b.size()) > 3 + campoOrder(d.annualCommunication()).size())
        throw std::logic_error("the declaration form has more boxes than the work table");
    return b;
}

void DeclarationPrint::removeRows()
{
    m_db.execute(u"DELETE FROM StampaTotaleRegistroIva WHERE IDUtente = ? AND IDOggetto = 0 AND IDTipoOggetto = ?"_qs,
                 {sqlValue(m_user), sqlValue(RowType)});
}

void DeclarationPrint::writeRows(const DeclarationData &data, bool test)
{
    Transaction tx(m_db);
    removeRows();
    insertRow(data, test);
    tx.commit();
}

void DeclarationPrint::insertRow(const DeclarationData &data, bool test)
{
    const bool cadi = data.annualCommunication();
    const std::vector<DeclarationBox> form = boxes(m_db, data, test);
    const QStringList campi = campoOrder(cadi);
    QStringList columns{u"IDUtente"_qs,     u"IDOggetto"_qs,    u"IDTipoOggetto"_qs, u"IDRiga"_qs,
                        u"Codice_IVA_1"_qs, u"Codice_IVA_2"_qs, u"Codice_IVA_3"_qs};
    columns << campi;
    SqlParams values{m_user, 0, RowType, 1};
    for (int i = 0; i < 3 + campi.size(); ++i)
        values << (i < int(form.size()) ? form[i].value : QString());
    // The whole form fits one page of the form: one work row.
    m_db.execute(u"INSERT INTO"_qs + u" StampaTotaleRegistroIva"_qs + u" ("_qs + columns.join(u", "_qs) + u")"_qs +
                 u" VALUES"_qs + u" ("_qs + sqlList(values) + u")"_qs);
}

int DeclarationPrint::rowCount()
{
    return m_db
        .scalar(
            u"SELECT COUNT(*) FROM StampaTotaleRegistroIva WHERE IDUtente = ? AND IDOggetto = 0 AND IDTipoOggetto = ?"_qs,
            {sqlValue(m_user), sqlValue(RowType)})
        .toInt();
}

PrintedReport DeclarationPrint::layout(const DeclarationData &data, bool test)
{
    const bool cadi = data.annualCommunication();
    // The labels of the boxes; their values are read back from the work rows.
    const std::vector<DeclarationBox> form = boxes(m_db, data, true);
    PrintedReport report;
    report.title = cadi ? u"Comunicazione Annuale Dati IVA"_qs : u"Dichiarazione IVA Periodica"_qs;
    const CompanyHeading company = readCompanyHeading(m_db, data.idAzienda);
    report.company = company.name;
    report.vatNumber = company.vatNumber;
    report.year = data.anno;
    report.definitive = false;
    report.onRegister = false;
    report.registerName = test ? u"Test di stampa"_qs : QString();
    PageBuilder pages(report);
    int page = 0;
    for (
        Recordset rs = m_db.openRecordset(
            u"SELECT * FROM StampaTotaleRegistroIva WHERE StampaTotaleRegistroIva.IDUtente = ? AND IDOggetto = 0 AND IDTipoOggetto = ? ORDER BY IDRiga"_qs,
            {sqlValue(m_user), sqlValue(RowType)});
        !rs.eof(); rs.moveNext()) {
        ++page;
        pages.startPart(QStringLiteral("Anno %1%2").arg(data.anno).arg(test ? u" - test di stampa"_qs : QString()));
        if (!data.activities.isEmpty()) {
            pages.section(u"Attività sommate"_qs, {{u"Attività"_qs, 180, false}});
            for (const QString &activity : data.activities)
                pages.row({textCell(activity)});
        }
        QString section;
        for (int i = 0; i < int(form.size()); ++i) {
            if (form[i].section != section) {
                section = form[i].section;
                pages.section(section, {{u"Rigo"_qs, 130, false}, {u"Valore"_qs, 50, true}});
            }
            pages.row({textCell(form[i].label), textCell(rs.text(columnOf(i, cadi)).trimmed())});
        }
    }
    pages.finish();
    report.numberFrom(1);
    return report;
}

bool DeclarationPrint::print(const DeclarationData &data, bool test,
                             const std::function<bool(const PrintedReport &)> &output)
{
    // The rows live only inside one transaction: the user's old rows go, the form's row is
    // written, the pages are laid out from it and the row goes again. Nothing is left behind
    // by an output that fails, a process that dies, or a second print of the same user.
    PrintedReport report;
    {
        Transaction tx(m_db);
        removeRows();
        insertRow(data, test);
        report = layout(data, test);
        removeRows();
        tx.commit();
    }
    return output(report);
}

QStringList DeclarationPrint::missingData(Connection &db, int idAzienda, int anno, bool soggettoRimborso,
                                          const AltriDatiDip &dip)
{
    QStringList missing;
    const bool from2002 = anno >= 2002;
    const SqlStatement sql =
        from2002 ? u"SELECT IDAnagraficaRappresentante, IDCodiceCarica, CodiceFiscale"_qs +
                       u" FROM ConfigurazioneDip LEFT JOIN Anagrafica"_qs +
                       u" ON ConfigurazioneDip.IDAnagraficaRappresentante = Anagrafica.IDAnagrafica"_qs +
                       u" WHERE IDAzienda = "_qs + sqlParam(idAzienda)
                 : u"SELECT IDAnagraficaRappresentante, IDCodiceCarica"_qs + u" FROM ConfigurazioneDip"_qs +
                       u" WHERE IDAzienda = "_qs + sqlParam(idAzienda);
    Recordset rs = db.openRecordset(sql);
    auto empty = [&rs](const QString &field) {
        return rs.eof() || rs.isNull(field) || rs.text(field).trimmed().isEmpty() || rs.text(field) == u"0"_qs;
    };
    if (empty(u"IDAnagraficaRappresentante"_qs))
        missing << (from2002 ? u"Dichiarante"_qs : u"Rappresentante"_qs);
    if (from2002 && empty(u"CodiceFiscale"_qs))
        missing << u"Codice fiscale del Dichiarante"_qs;
    if (empty(u"IDCodiceCarica"_qs))
        missing << (from2002 ? u"Codice Carica del Dichiarante"_qs : u"Codice Carica del Rappresentante"_qs);
    if (soggettoRimborso && !dip.AliquotaMediaLettA && !dip.OperazioniNonImpLettB && !dip.AcquistiBeniAmmLettC)
        missing << u"Aliquota media lett. a)"_qs << u"Operazioni non imponibili lett. b)"_qs
                << u"Acquisti beni ammortizzabili lett. c)"_qs;
    return missing;
}

namespace {

QString activityLabel(const QString &name, bool quarterly)
{
    return name.trimmed() + (quarterly ? u" (trimestrale)"_qs : u" (mensile)"_qs);
}

// The saved settlements of the same month of the company's activities settled the other way:
// their declaration figures, read as their own settlement reads them, go beside the
// settlement's own.
void addActivitiesOfOtherKind(DeclarationData &d, const SettlementDocument &doc)
{
    const SettlementIdentity &own = doc.identity();
    if ((!d.monthly && !d.quarterly) || own.idMese % 3 != 0)
        return;
    Connection &db = doc.context().db;
    QStringList others;
    Recordset rs = db.openRecordset(
        u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva, RisultatoLiquidazioneIva.IDAttivitaAzienda, "
        u"AttivitaAziendaPerPeriodoIva.TipoLiquidazioneIva, AttivitaAzienda.AttivitaAzienda "
        u"FROM (RisultatoLiquidazioneIva INNER JOIN AttivitaAziendaPerPeriodoIva ON "
        u"RisultatoLiquidazioneIva.IDAttivitaAzienda = AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda AND "
        u"RisultatoLiquidazioneIva.IDPeriodoIva = AttivitaAziendaPerPeriodoIva.IDPeriodoIva) "
        u"INNER JOIN AttivitaAzienda ON RisultatoLiquidazioneIva.IDAttivitaAzienda = AttivitaAzienda.IDAttivitaAzienda "
        u"WHERE RisultatoLiquidazioneIva.VirtualDelete = 0 AND RisultatoLiquidazioneIva.IDPeriodoIva = ? AND "
        u"RisultatoLiquidazioneIva.IDMese = ? AND RisultatoLiquidazioneIva.IDAttivitaAzienda <> ? "
        u"ORDER BY RisultatoLiquidazioneIva.IDAttivitaAzienda"_qs,
        {sqlValue(own.idPeriodoIva), sqlValue(own.idMese), sqlValue(own.idAttivitaAzienda)});
    // Read whole first: the figures of each are read with statements of their own.
    struct Other {
        int key, activity, tipo;
        QString name;
    };
    std::vector<Other> found;
    for (; !rs.eof(); rs.moveNext())
        found.push_back({rs.integer(u"IDRisultatoLiquidazioneIva"_qs), rs.integer(u"IDAttivitaAzienda"_qs),
                         rs.integer(u"TipoLiquidazioneIva"_qs), rs.text(u"AttivitaAzienda"_qs)});
    rs.close();
    for (const Other &o : found) {
        if ((o.tipo != 0) == d.quarterly)
            continue;
        SettlementIdentity other = own;
        other.idRisultatoLiquidazioneIva = o.key;
        other.idAttivitaAzienda = o.activity;
        auto dip = std::make_shared<AltriDatiDip>();
        auto cadi = std::make_shared<DatiCADI>();
        DeclarationTotals totals(db, other, o.tipo, doc.currencyStep());
        totals.LoadAltriDatiDip(*dip);
        totals.LoadDatiCADI(*cadi);
        d.dip.push_back(dip.get());
        d.cadi.push_back(cadi.get());
        d.kept.push_back(dip);
        d.kept.push_back(cadi);
        others << activityLabel(o.name, o.tipo != 0);
    }
    if (others.isEmpty())
        return;
    const QString name = db.scalar(u"SELECT AttivitaAzienda FROM AttivitaAzienda WHERE IDAttivitaAzienda = ?"_qs,
                                   {sqlValue(own.idAttivitaAzienda)})
                             .toString();
    d.activities = QStringList{activityLabel(name, d.quarterly)} + others;
}

} // namespace

DeclarationData declarationData(const SettlementDocument &doc)
{
    DeclarationData d;
    const SettlementIdentity &id = doc.identity();
    d.anno = id.anno;
    d.idAzienda = doc.context().idAzienda;
    d.idRisultatoLiquidazioneIva = doc.key();
    const bool period = id.idMese >= 1 && id.idMese <= 12;
    d.quarterly = period && doc.tipoLiquidazione() != 0;
    d.monthly = period && !d.quarterly;
    d.idMese = period ? id.idMese : 0;
    auto &self = const_cast<SettlementDocument &>(doc);
    d.dip.push_back(&self.datiDip());
    d.cadi.push_back(&self.datiCadi());
    const DeclarationGrid &g = doc.declaration();
    for (int r = 0; r < DeclarationGrid::RowCount; ++r)
        d.grid.emplace_back(g.debit(r), g.credit(r));
    d.ivaDovuta = doc.importoDaVersare();
    d.ivaDetraibile = doc.creditoResiduo();
    const Payment &p = doc.payments().periodic;
    d.payment.importoDichiarato = doc.importoDaVersare();
    d.payment.importoVersato = p.importo;
    d.payment.data = p.dataVersamento;
    switch (p.place) {
    case PaymentPlace::Bank:
        d.payment.opzione = 1;
        break;
    case PaymentPlace::CollectionAgent:
        d.payment.opzione = 2;
        break;
    case PaymentPlace::PostOffice:
        d.payment.opzione = 3;
        break;
    case PaymentPlace::None:
        break;
    }
    d.payment.codiceAzienda = p.codiceAzienda;
    d.payment.codiceConcessione = p.codiceConcessione;
    d.payment.abi = p.abi;
    d.payment.cab = p.cab;
    d.versamentoNonEffettuato = self.datiDip().VersamentoNonEffettuato;
    addActivitiesOfOtherKind(d, doc);
    return d;
}

} // namespace liqiva
