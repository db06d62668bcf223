// The demo company.
//
// Keys of the first company (the further companies of a scale above 1 repeat the same
// shape with the keys (company - 1) x stride + local, see DemoData.h):
//
//   Azienda 1            "Ferramenta Lombardi S.r.l." (Anagrafica 1; its declarant, Anagrafica 2)
//   AttivitaAzienda      1 "Negozio al dettaglio"    monthly; receipts (kind 5) at branch 1 and
//                          receipts split by rate (kind 6) at branch 4, purchases of goods for
//                          resale (class 7) on codes 11-13 that point to their ventilation codes
//                        2 "Commercio all'ingrosso"  quarterly with interest (CalcoloInteressi,
//                          PercInteressiLiqTrim 1): split payment (12-15), suspended VAT (7-10),
//                          intra-EU (CF 6) and reverse-charge (CF 14) self-invoices, exports, a
//                          late purchase invoice every February; truckers' credit from 2024
//                        3 "Formazione professionale" pro-rata: exempt courses (code 5) and
//                          taxable consulting, undeductible VAT booked as kind 11; quarterly in
//                          2023, monthly from 2024 (the historical December advance of 2024
//                          then takes one third of the last quarter of 2023)
//                        4 "Produzione agricola"     quarterly, flat-rate compensation
//                          (Articolo34) on codes 14 and 15, code 16 excluded, code 17 deductible
//   Filiale              1 "Sede di Milano" (activity 1, prevailing), 2 "Magazzino di Bergamo"
//                          (2), 3 "Centro formazione di Monza" (3), 4 "Negozio di Como" (1),
//                          5 "Azienda agricola di Lodi" (4)
//   PeriodoIva           1 = 2023, 2 = 2024, 3 = 2025 (PercInteressiLiqTrim 1, GestioneArt36 0)
//   AttivitaAziendaPerPeriodoIva  (year - 2023) x 4 + activity: 1-4 for 2023, 5-8 for 2024,
//                          9-12 for 2025
//   ContatoreIva         every month of 2023-2025 for every activity, plus the December advance
//                          rows (IDMese 12, AccontoIva 1); keys from 1, about 1,700 per company
//   Iva                  1 22%, 2 10%, 3 5%, 4 4%, 5 exempt (IDTipoIva 3), 6 non-taxable exports
//                          (IDTipoIva 1), 7 22% undeductible 40%, 8 22% undeductible 100%,
//                          9 non-taxable intra-EU supplies, 10 out of scope (no pro-rata, not in
//                          the declarations), 11/12/13 purchases of goods at 22/10/4% with the
//                          ventilation codes 1/2/4, 14 10% compensation 8.8%, 15 4% compensation
//                          4%, 16 22% excluded from the compensation, 17 22% deductible under
//                          the flat-rate scheme, 18 receipts to be split by rate
//   CompensazioneIva     1 8.8%, 2 4%, 3 6.4%, 4 7.3%, 5 10%
//   Utente               1 "amministratore": group 1, action 1 on object type 1 (every right)
//                        2 "consultazione": group 2, action 4 on object type 200 only (search)
//                        3 "contabile": no group, actions 2, 3, 5 on object type 200 granted
//                          directly for the branches of company 1
//                        4 "ospite": no group, no rights
//   Funzione 1 / TipoOggetto 200: the settlement (reference rows of the schema)
//   ConfigurazioneContabile 1: minimum periodic payment 100.00, minimum advance 103.29, euro
//   Abi/Cab              3 banks, 5 branches; the company's bank: Cab 2 (BancaPerAnagrafica 1)
//   ConcessionarioEsattoriale 1-3 (codes 69, 32, 36)
//   RegistroIva          1 and 5 are settlement registers (TipoRegistro 1): register 1 numbered
//                          per sectional (NumerazionePerRegistro 1, sectionals 1-4, 4 deleted),
//                          register 5 without sectionals (NumerazionePerRegistro 2); last pages
//                          of 2023: 24 (sectional 1) and 12
//   Esercizio            1 = 2023 (closed), 2 = 2024, 3 = 2025 (current); PianoDeiConti 1-3,
//                          ContoPDC 1-5, ContoAutomatico per branch (key = branch)
//   Credito 1-5          the compensable credits of 2023, by hand (one movement each, same
//                          key): January 2,850.00 carried from 2022 (cause 1), March 1,200.00
//                          used in the F24 form (3), April 3,500.00 of infra-annual credit (5),
//                          May 800.00 of it used in the F24 form (7), October 1,500.00 of it
//                          asked back (6). What follows January nets to nothing by December:
//                          the annual settlement of 2023 carries 2,850.00 as before, and the
//                          credit windows ("Utilizzo crediti IVA") of 2023 have figures to use.

#include "domain/demo/DemoCompany.h"

#include "database/Connection.h"
#include "database/DbError.h"
#include "database/Schema.h"
#include "database/SqlValue.h"
#include "domain/demo/DemoData.h"
#include "suite/Refusal.h"
#include "suite/VatNumbers.h"

#include <QDate>

namespace liqiva {

namespace demo {

QVariant lit(int value)
{
    return value;
}

QVariant lit(double value)
{
    return sqlValue(value);
}

QVariant lit(const QString &text)
{
    return text;
}

QVariant litDate(int year, int month, int day, const Connection &)
{
    return QDate(year, month, day);
}

namespace {

// A number or NULL as an element of a PostgreSQL array literal (the array goes bound).
QString arrayElement(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return u"NULL"_qs;
    if (v.metaType() == QMetaType::fromType<SqlDecimal>())
        return v.value<SqlDecimal>().text;
    return v.toString();
}

} // namespace

BatchInsert::BatchInsert(Connection &db, const QString &table, const QStringList &columns, int rowsPerStatement,
                         const QStringList &postgresArrayTypes)
    : m_db(db), m_head(u"INSERT INTO "_qs + table + u" ("_qs + columns.join(u", "_qs) + u")"_qs),
      m_columns(int(columns.size())), m_perStatement(rowsPerStatement)
{
    if (db.engine() == Engine::Postgres && postgresArrayTypes.size() == columns.size()) {
        m_arrayTypes = postgresArrayTypes;
        m_arrays.resize(columns.size());
    }
}

void BatchInsert::add(const QVariantList &values)
{
    if (values.size() != m_columns)
        throw DbError(QStringLiteral("Dati dimostrativi: %1 valori per %2 colonne in %3")
                          .arg(values.size())
                          .arg(m_columns)
                          .arg(m_head),
                      QString());
    if (!m_arrayTypes.isEmpty()) {
        for (int k = 0; k < m_columns; ++k) {
            if (m_pending > 0)
                m_arrays[k] += u',';
            m_arrays[k] += arrayElement(values[k]);
        }
    } else {
        m_values += (m_pending > 0 ? u",("_qs : u"("_qs) + sqlList(values).text + u')';
        m_params += values;
    }
    ++m_rows;
    if (++m_pending >= m_perStatement)
        flush();
}

void BatchInsert::flush()
{
    if (m_pending == 0)
        return;
    if (!m_arrayTypes.isEmpty()) {
        QStringList arrays;
        SqlParams params;
        for (int k = 0; k < m_columns; ++k) {
            arrays << u"?::"_qs + m_arrayTypes[k] + u"[]"_qs;
            params << u'{' + m_arrays[k] + u'}';
            m_arrays[k].clear();
        }
        m_db.executeRaw(m_head + u" SELECT * FROM unnest("_qs + arrays.join(u", "_qs) + u')', params);
    } else {
        m_db.executeRaw(m_head + u" VALUES "_qs + m_values, m_params);
        m_values.clear();
        m_params.clear();
    }
    m_pending = 0;
}

} // namespace demo

namespace {

using namespace demo;

const QString kDemoName = u"Ferramenta Lombardi S.r.l."_qs;

QString companyName(int company)
{
    return company == 1 ? kDemoName : QStringLiteral("Azienda dimostrativa %1").arg(company);
}

// Data shared by every company: VAT codes, activity codes, users and rights groups, banks,
// collection agents, registers, sectionals, accounting causes.
void insertSharedData(Connection &db)
{
    {
        BatchInsert iva(db, u"Iva"_qs,
                        {u"IDIva"_qs, u"Iva"_qs, u"DescrizioneSuRegistroIVA"_qs, u"AliquotaIva"_qs,
                         u"PercIndetraibilita"_qs, u"IDTipoIva"_qs, u"IDIvaVentilazione"_qs, u"IDCompensazioneIva"_qs,
                         u"EsclusaDallaCompensazioneIva"_qs, u"IvaSuAcquistiInDetrazione"_qs, u"NoCalcoloProRata"_qs,
                         u"NoRiportoInDichiarazione"_qs});
        struct {
            int id;
            const char *code, *description;
            double rate, undeductible;
            int tipo, ventilazione, compensazione, esclusa, inDetrazione, noProRata, noDichiarazione;
        } codes[] = {
            {1, "22", "Aliquota ordinaria 22%", 22, 0, 0, 0, 0, 0, 0, 0, 0},
            {2, "10", "Aliquota ridotta 10%", 10, 0, 0, 0, 0, 0, 0, 0, 0},
            {3, "5", "Aliquota ridotta 5%", 5, 0, 0, 0, 0, 0, 0, 0, 0},
            {4, "4", "Aliquota minima 4%", 4, 0, 0, 0, 0, 0, 0, 0, 0},
            {5, "E10", "Esente art. 10", 0, 0, 3, 0, 0, 0, 0, 0, 0},
            {6, "NI8", "Non imponibile art. 8 (esportazioni)", 0, 0, 1, 0, 0, 0, 0, 0, 0},
            {7, "22I40", "22% indetraibile al 40%", 22, 40, 0, 0, 0, 0, 0, 0, 0},
            {8, "22I", "22% totalmente indetraibile", 22, 100, 0, 0, 0, 0, 0, 0, 0},
            {9, "NI41", "Non imponibile art. 41 (cessioni intracomunitarie)", 0, 0, 1, 0, 0, 0, 0, 0, 0},
            {10, "FC15", "Fuori campo IVA art. 15", 0, 0, 2, 0, 0, 0, 0, 1, 1},
            {11, "22V", "22% acquisti merci da ventilare", 22, 0, 0, 1, 0, 0, 0, 0, 0},
            {12, "10V", "10% acquisti merci da ventilare", 10, 0, 0, 2, 0, 0, 0, 0, 0},
            {13, "4V", "4% acquisti merci da ventilare", 4, 0, 0, 4, 0, 0, 0, 0, 0},
            {14, "10A", "10% compensazione agricola 8,8%", 10, 0, 0, 0, 1, 0, 0, 0, 0},
            {15, "4A", "4% compensazione agricola 4%", 4, 0, 0, 0, 2, 0, 0, 0, 0},
            {16, "22AE", "22% esclusa dalla compensazione", 22, 0, 0, 0, 0, 1, 0, 0, 0},
            {17, "22AD", "22% detraibile in regime speciale agricolo", 22, 0, 0, 0, 0, 0, 1, 0, 0},
            {18, "VENT", "Corrispettivi da ventilare", 0, 0, 0, 0, 0, 0, 0, 0, 0},
        };
        for (const auto &c : codes)
            iva.add({lit(c.id), lit(QString::fromUtf8(c.code)), lit(QString::fromUtf8(c.description)),
                     c.id == 18 ? nul() : lit(c.rate), lit(c.undeductible), litOrNull(c.tipo),
                     litOrNull(c.ventilazione), litOrNull(c.compensazione), lit(c.esclusa), lit(c.inDetrazione),
                     lit(c.noProRata), lit(c.noDichiarazione)});
        iva.flush();
    }
    {
        BatchInsert comp(db, u"CompensazioneIva"_qs,
                         {u"IDCompensazioneIva"_qs, u"CompensazioneIva"_qs, u"PercentualeCompensazione"_qs});
        const std::pair<const char *, double> rows[] = {{"Compensazione 8,8%", 8.8},
                                                        {"Compensazione 4%", 4},
                                                        {"Compensazione 6,4%", 6.4},
                                                        {"Compensazione 7,3%", 7.3},
                                                        {"Compensazione 10%", 10}};
        int id = 0;
        for (const auto &[name, perc] : rows)
            comp.add({lit(++id), lit(QString::fromUtf8(name)), lit(perc)});
        comp.flush();
    }
    {
        BatchInsert codes(db, u"CodiceAttivita"_qs,
                          {u"IDCodiceAttivita"_qs, u"CodiceAttivita"_qs, u"DescrizioneAttivita"_qs});
        codes.add({lit(1), lit(u"47.52.10"_qs),
                   lit(u"Commercio al dettaglio di ferramenta, vernici e materiali da costruzione"_qs)});
        codes.add(
            {lit(2), lit(u"46.74.10"_qs), lit(u"Commercio all'ingrosso di articoli in ferro e di ferramenta"_qs)});
        codes.add({lit(3), lit(u"85.59.20"_qs), lit(u"Corsi di formazione e corsi di aggiornamento professionale"_qs)});
        codes.add({lit(4), lit(u"01.13.10"_qs), lit(u"Coltivazione di ortaggi in piena aria"_qs)});
        codes.flush();
    }
    {
        BatchInsert users(db, u"Utente"_qs, {u"IDUtente"_qs, u"Utente"_qs});
        users.add({lit(1), lit(u"amministratore"_qs)});
        users.add({lit(2), lit(u"consultazione"_qs)});
        users.add({lit(3), lit(u"contabile"_qs)});
        users.add({lit(4), lit(u"ospite"_qs)});
        users.flush();
        BatchInsert groups(db, u"Gruppo"_qs, {u"IDGruppo"_qs, u"Gruppo"_qs});
        groups.add({lit(1), lit(u"Amministratori"_qs)});
        groups.add({lit(2), lit(u"Consultazione"_qs)});
        groups.flush();
        BatchInsert members(db, u"UtentePerGruppo"_qs, {u"IDUtentePerGruppo"_qs, u"IDGruppo"_qs, u"IDUtente"_qs});
        members.add({lit(1), lit(1), lit(1)});
        members.add({lit(2), lit(2), lit(2)});
        members.flush();
    }
    {
        BatchInsert abi(db, u"Abi"_qs, {u"IDAbi"_qs, u"Abi"_qs, u"Banca"_qs, u"Cap"_qs});
        abi.add({lit(1), lit(u"05034"_qs), lit(u"Banca Popolare del Lario"_qs), lit(u"22100"_qs)});
        abi.add({lit(2), lit(u"08453"_qs), lit(u"Credito Cooperativo della Brianza"_qs), lit(u"20900"_qs)});
        abi.add({lit(3), lit(u"06230"_qs), lit(u"Cassa di Risparmio Lombarda"_qs), lit(u"20121"_qs)});
        abi.flush();
        BatchInsert cab(db, u"Cab"_qs, {u"IDCab"_qs, u"IDAbi"_qs, u"Cab"_qs, u"Dipendenza"_qs});
        cab.add({lit(1), lit(1), lit(u"10900"_qs), lit(u"Como - Sede"_qs)});
        cab.add({lit(2), lit(1), lit(u"01600"_qs), lit(u"Milano - Agenzia 4"_qs)});
        cab.add({lit(3), lit(2), lit(u"33400"_qs), lit(u"Monza - Sede"_qs)});
        cab.add({lit(4), lit(3), lit(u"01602"_qs), lit(u"Milano - Piazza Duomo"_qs)});
        cab.add({lit(5), lit(3), lit(u"11100"_qs), lit(u"Bergamo - Centro"_qs)});
        cab.flush();
        BatchInsert agents(
            db, u"ConcessionarioEsattoriale"_qs,
            {u"IDConcessionarioEsattoriale"_qs, u"CodiceConcessione"_qs, u"ConcessionarioEsattoriale"_qs});
        agents.add({lit(1), lit(69), lit(u"Agente della riscossione per la provincia di Milano"_qs)});
        agents.add({lit(2), lit(32), lit(u"Agente della riscossione per la provincia di Bergamo"_qs)});
        agents.add({lit(3), lit(36), lit(u"Agente della riscossione per la provincia di Como"_qs)});
        agents.flush();
    }
    {
        BatchInsert registers(db, u"RegistroIva"_qs, {u"IDRegistroIva"_qs, u"RegistroIva"_qs, u"TipoRegistro"_qs});
        registers.add({lit(1), lit(u"Registro liquidazioni IVA"_qs), lit(1)});
        registers.add({lit(2), lit(u"Registro IVA vendite"_qs), lit(2)});
        registers.add({lit(3), lit(u"Registro IVA acquisti"_qs), lit(3)});
        registers.add({lit(4), lit(u"Registro dei corrispettivi"_qs), lit(4)});
        registers.add({lit(5), lit(u"Registro riepilogativo IVA"_qs), lit(1)});
        registers.flush();
        BatchInsert sectionals(db, u"Sezionale"_qs, {u"IDSezionale"_qs, u"Sezionale"_qs, u"VirtualDelete"_qs});
        sectionals.add({lit(1), lit(u"Sezionale negozi"_qs), lit(0)});
        sectionals.add({lit(2), lit(u"Sezionale ingrosso"_qs), lit(0)});
        sectionals.add({lit(3), lit(u"Sezionale formazione"_qs), lit(0)});
        sectionals.add({lit(4), lit(u"Sezionale dismesso"_qs), lit(1)});
        sectionals.flush();
    }
    {
        BatchInsert causes(db, u"CausaleContabile"_qs,
                           {u"IDCausaleContabile"_qs, u"CausaleContabile"_qs, u"DescrizioneCausale"_qs});
        causes.add({lit(1), lit(u"GC"_qs), lit(u"Giroconto"_qs)});
        causes.add({lit(2), lit(u"RPR"_qs), lit(u"Rettifica IVA pro-rata"_qs)});
        causes.flush();
    }
}

// The compensable credits of 2023, entered by hand (headers and movements keyed
// (company - 1) x 5 + 1 to 5): the annual credit carried from 2022 into January, and what the
// credit windows of 2023 have to show and use, netting to nothing by December so that the
// annual settlement carries the 2,850.00 of January whole.
void insertCompensableCredits(Connection &db, int c)
{
    BatchInsert credit(db, u"Credito"_qs, {u"IDCredito"_qs, u"IDAzienda"_qs, u"Anno"_qs, u"IDMese"_qs});
    BatchInsert movement(
        db, u"MovimentoCredito"_qs,
        {u"IDMovimentoCredito"_qs, u"IDCredito"_qs, u"IDCausaleCredito"_qs, u"Importo"_qs, u"Automatico"_qs});
    const struct {
        int month, cause;
        double amount;
    } moves[] = {
        {1, 1, 2850.00},  // annual credit carried from the year before
        {3, 3, 1200.00},  // annual credit used in the F24 form
        {4, 5, 3500.00},  // infra-annual credit of the first quarter
        {5, 7, 800.00},   // infra-annual credit used in the F24 form
        {10, 6, 1500.00}, // infra-annual credit asked back
    };
    int local = 0;
    for (const auto &m : moves) {
        const int key = companyKey(c, 5, ++local);
        credit.add({lit(key), lit(c), lit(kFirstYear), lit(m.month)});
        movement.add({lit(key), lit(key), lit(m.cause), lit(m.amount), lit(0)});
    }
    credit.flush();
    movement.flush();
}

// Registry, company, activities, branches, configuration, VAT years, rights, registers'
// numbering, accounts and credits of one company.
void insertCompany(Connection &db, int c)
{
    // 00001234566 for the first company: ten digits and the check digit of a VAT number.
    const QString body = QStringLiteral("%1").arg(123455 + c, 10, 10, QLatin1Char(u'0'));
    const QString number = body + QString::number(partitaIvaCheckDigit(body));

    BatchInsert registry(db, u"Anagrafica"_qs,
                         {u"IDAnagrafica"_qs, u"Anagrafica"_qs, u"CodiceFiscale"_qs, u"PartitaIva"_qs, u"Indirizzo"_qs,
                          u"Cap"_qs, u"Comune"_qs, u"Provincia"_qs});
    registry.add({lit(companyKey(c, 2, 1)), lit(companyName(c)), lit(number), lit(number), lit(u"Via Valassina 24"_qs),
                  lit(u"20159"_qs), lit(u"Milano"_qs), lit(u"MI"_qs)});
    registry.add({lit(companyKey(c, 2, 2)), lit(u"Lombardi Marco"_qs),
                  lit(QStringLiteral("LMBMRC70A01F2%1X").arg(c % 100, 2, 10, QLatin1Char('0'))), nul(),
                  lit(u"Via Ornato 12"_qs), lit(u"20162"_qs), lit(u"Milano"_qs), lit(u"MI"_qs)});
    registry.flush();

    BatchInsert company(db, u"Azienda"_qs, {u"IDAzienda"_qs, u"Azienda"_qs, u"IDAnagrafica"_qs});
    company.add({lit(c), lit(companyName(c)), lit(companyKey(c, 2, 1))});
    company.flush();

    BatchInsert activities(db, u"AttivitaAzienda"_qs,
                           {u"IDAttivitaAzienda"_qs, u"IDAzienda"_qs, u"AttivitaAzienda"_qs});
    const char *activityNames[kActivities] = {"Negozio al dettaglio", "Commercio all'ingrosso",
                                              "Formazione professionale", "Produzione agricola"};
    for (int a = 1; a <= kActivities; ++a)
        activities.add({lit(activityKey(c, a)), lit(c), lit(QString::fromUtf8(activityNames[a - 1]))});
    activities.flush();

    BatchInsert branches(db, u"Filiale"_qs, {u"IDFiliale"_qs, u"IDAzienda"_qs, u"IDAttivitaAzienda"_qs, u"Filiale"_qs});
    const char *branchNames[kBranches] = {"Sede di Milano", "Magazzino di Bergamo", "Centro formazione di Monza",
                                          "Negozio di Como", "Azienda agricola di Lodi"};
    for (int f = 1; f <= kBranches; ++f)
        branches.add({lit(branchKey(c, f)), lit(c), lit(activityKey(c, kBranchActivity[f - 1])),
                      lit(QString::fromUtf8(branchNames[f - 1]))});
    branches.flush();

    BatchInsert bank(db, u"BancaPerAnagrafica"_qs,
                     {u"IDBancaPerAnagrafica"_qs, u"IDAnagrafica"_qs, u"IDCab"_qs, u"ContoCorrente"_qs});
    bank.add(
        {lit(c), lit(companyKey(c, 2, 1)), lit(2), lit(QStringLiteral("%1").arg(4471 + c, 12, 10, QLatin1Char('0')))});
    bank.flush();

    BatchInsert general(
        db, u"ConfigurazioneGenerale"_qs,
        {u"IDConfigurazioneGenerale"_qs, u"IDAzienda"_qs, u"IDFilialePrevalente"_qs, u"IDBancaPerAnagrafica"_qs});
    general.add({lit(c), lit(c), lit(branchKey(c, 1)), lit(c)});
    general.flush();

    BatchInsert accounting(db, u"ConfigurazioneContabile"_qs,
                           {u"IDConfigurazioneContabile"_qs, u"IDAzienda"_qs,
                            u"ImportoMinimoIvaLiquidazionePeriodica"_qs, u"ImportoMinimoIvaAcconto"_qs,
                            u"ScorporoCorrispettiviGiornaliero"_qs, u"StampaCIC"_qs, u"IDValuta"_qs});
    accounting.add({lit(c), lit(c), lit(100.0), lit(103.29), lit(0), lit(0), lit(1)});
    accounting.flush();

    BatchInsert declaration(db, u"ConfigurazioneDip"_qs,
                            {u"IDConfigurazioneDip"_qs, u"IDAzienda"_qs, u"SubFornitoriArt74"_qs,
                             u"IDAnagraficaRappresentante"_qs, u"IDCodiceCarica"_qs});
    declaration.add({lit(c), lit(c), lit(0), lit(companyKey(c, 2, 2)), lit(1)});
    declaration.flush();

    // VAT years and the activities' settings per year.
    BatchInsert years(db, u"PeriodoIva"_qs,
                      {u"IDPeriodoIva"_qs, u"IDAzienda"_qs, u"PeriodoIva"_qs, u"Anno"_qs, u"GestioneArt36"_qs,
                       u"PercInteressiLiqTrim"_qs});
    BatchInsert perYear(db, u"AttivitaAziendaPerPeriodoIva"_qs,
                        {u"IDAttivitaAziendaPerPeriodoIva"_qs, u"IDAttivitaAzienda"_qs, u"IDPeriodoIva"_qs,
                         u"IDCodiceAttivita"_qs, u"TipoLiquidazioneIva"_qs, u"CalcoloInteressi"_qs, u"Articolo34"_qs,
                         u"GestioneProRata"_qs, u"PercentualeProRata"_qs, u"Autotrasportatore"_qs,
                         u"CreditoIvaAutotrasportatori"_qs, u"AltriCrediti"_qs, u"AltriCreditiImposta"_qs});
    for (int y = kFirstYear; y <= kLastYear; ++y) {
        years.add({lit(vatYearKey(c, y)), lit(c), lit(QString::number(y)), lit(y), lit(0), lit(1.0)});
        const int quarterlyTraining = y == kFirstYear ? 1 : 0;
        const int trucks = y > kFirstYear ? 1 : 0;
        perYear.add({lit(activityYearKey(c, y, 1)), lit(activityKey(c, 1)), lit(vatYearKey(c, y)), lit(1), lit(0),
                     lit(0), lit(0), lit(0), nul(), lit(0), lit(0.0), lit(y == kLastYear ? 1 : 0),
                     lit(y == kLastYear ? 500.0 : 0.0)});
        perYear.add({lit(activityYearKey(c, y, 2)), lit(activityKey(c, 2)), lit(vatYearKey(c, y)), lit(2), lit(1),
                     lit(1), lit(0), lit(0), nul(), lit(trucks), lit(trucks ? 1200.0 : 0.0), lit(0), lit(0.0)});
        perYear.add({lit(activityYearKey(c, y, 3)), lit(activityKey(c, 3)), lit(vatYearKey(c, y)), lit(3),
                     lit(quarterlyTraining), lit(quarterlyTraining), lit(0), lit(1), lit(trainingProRata(y - 1)),
                     lit(0), lit(0.0), lit(0), lit(0.0)});
        perYear.add({lit(activityYearKey(c, y, 4)), lit(activityKey(c, 4)), lit(vatYearKey(c, y)), lit(4), lit(1),
                     lit(0), lit(1), lit(0), nul(), lit(0), lit(0.0), lit(0), lit(0.0)});
    }
    years.flush();
    perYear.flush();

    // Rights per branch: group 1 may do everything on every object type, group 2 may only
    // search settlements; user 3 holds new/save, delete and print directly (company 1 only).
    BatchInsert groupRights(
        db, u"AbilitaPerTipoOggettoPerGruppo"_qs,
        {u"IDAbilitaPerTipoOggettoPerGruppo"_qs, u"IDAzione"_qs, u"IDTipoOggetto"_qs, u"IDFiliale"_qs, u"IDGruppo"_qs});
    BatchInsert userRights(
        db, u"AbilitaPerTipoOggettoPerUtente"_qs,
        {u"IDAbilitaPerTipoOggettoPerUtente"_qs, u"IDAzione"_qs, u"IDTipoOggetto"_qs, u"IDFiliale"_qs, u"IDUtente"_qs});
    for (int f = 1; f <= kBranches; ++f) {
        groupRights.add({lit(companyKey(c, 2 * kBranches, 2 * f - 1)), lit(1), lit(1), lit(branchKey(c, f)), lit(1)});
        groupRights.add({lit(companyKey(c, 2 * kBranches, 2 * f)), lit(4), lit(200), lit(branchKey(c, f)), lit(2)});
        if (c == 1) {
            const int actions[] = {2, 3, 5};
            for (int k = 0; k < 3; ++k)
                userRights.add({lit((f - 1) * 3 + k + 1), lit(actions[k]), lit(200), lit(branchKey(c, f)), lit(3)});
        }
    }
    groupRights.flush();
    userRights.flush();

    // Page numbering of the settlement registers.
    BatchInsert numbering(db, u"NumerazionePerRegistro"_qs,
                          {u"IDNumerazionePerRegistro"_qs, u"IDRegistroIva"_qs, u"IDAzienda"_qs,
                           u"NumerazioneConStampa"_qs, u"NumerazionePerSezionale"_qs, u"StampaLiquidazioneIva"_qs,
                           u"StampaRiepilogoIva"_qs, u"StampaAnno"_qs});
    numbering.add({lit(companyKey(c, 2, 1)), lit(1), lit(c), lit(1), lit(1), lit(1), lit(1), lit(1)});
    numbering.add({lit(companyKey(c, 2, 2)), lit(5), lit(c), lit(1), lit(0), lit(1), lit(1), lit(0)});
    numbering.flush();
    BatchInsert perSectional(db, u"NumerazionePerRegistroPerSezionale"_qs,
                             {u"IDNumerazionePerRegistroPerSezionale"_qs, u"IDNumerazionePerRegistro"_qs,
                              u"IDSezionale"_qs, u"StampaLiquidazioneIva"_qs, u"StampaRiepilogoIva"_qs});
    const int sectionalFlags[4][2] = {{1, 0}, {1, 1}, {0, 1}, {1, 1}};
    for (int s = 1; s <= 4; ++s)
        perSectional.add({lit(companyKey(c, 4, s)), lit(companyKey(c, 2, 1)), lit(s), lit(sectionalFlags[s - 1][0]),
                          lit(sectionalFlags[s - 1][1])});
    perSectional.flush();
    BatchInsert pages(db, u"ProgressivoNumerazioneRegistro"_qs,
                      {u"IDProgressivoNumerazioneRegistro"_qs, u"IDNumerazionePerRegistroPerSezionale"_qs,
                       u"IDNumerazionePerRegistro"_qs, u"Anno"_qs, u"NumeroUltimaPagina"_qs});
    pages.add({lit(companyKey(c, 2, 1)), lit(companyKey(c, 4, 1)), nul(), lit(2023), lit(24)});
    pages.add({lit(companyKey(c, 2, 2)), nul(), lit(companyKey(c, 2, 2)), lit(2023), lit(12)});
    pages.flush();

    // Fiscal years, charts of accounts and the automatic accounts of the pro-rata entry.
    BatchInsert fiscal(
        db, u"Esercizio"_qs,
        {u"IDEsercizio"_qs, u"IDAzienda"_qs, u"Esercizio"_qs, u"IDTipoEsercizio"_qs, u"DataInizio"_qs, u"DataFine"_qs});
    BatchInsert charts(db, u"PianoDeiConti"_qs,
                       {u"IDPianoDeiConti"_qs, u"IDAzienda"_qs, u"IDEsercizio"_qs, u"TipoPDC"_qs, u"PianoDeiConti"_qs});
    BatchInsert elements(db, u"ElementoPDC"_qs, {u"IDElementoPDC"_qs, u"IDPianoDeiConti"_qs, u"ElementoPDC"_qs});
    BatchInsert accountsPerChart(db, u"ContoPerPDC"_qs, {u"IDContoPerPDC"_qs, u"IDContoPDC"_qs, u"IDElementoPDC"_qs});
    // accounts: code, description, element (1 assets, 2 liabilities, 3 costs)
    const struct {
        const char *code, *description;
        int element;
    } accounts[] = {{"1.05.01", "IVA su acquisti", 1},
                    {"2.04.01", "Erario c/IVA", 2},
                    {"5.08.10", "IVA indetraibile", 3},
                    {"5.08.11", "Rettifiche IVA pro-rata", 3},
                    {"1.09.01", "Banca c/c", 1}};
    const char *elementNames[] = {"Attivita'", "Passivita'", "Costi"};
    for (int y = kFirstYear; y <= kLastYear; ++y) {
        const int i = y - kFirstYear + 1;
        const int fiscalKey = companyKey(c, kYears, i);
        fiscal.add({lit(fiscalKey), lit(c), lit(QString::number(y)),
                    lit(y == kLastYear       ? 1
                        : y == kLastYear - 1 ? 2
                                             : 3),
                    litDate(y, 1, 1, db), litDate(y, 12, 31, db)});
        charts.add({lit(fiscalKey), lit(c), lit(fiscalKey), lit(1), lit(QStringLiteral("Piano dei conti %1").arg(y))});
        for (int e = 1; e <= 3; ++e)
            elements.add({lit(companyKey(c, 3 * kYears, (i - 1) * 3 + e)), lit(fiscalKey),
                          lit(QString::fromUtf8(elementNames[e - 1]))});
        for (int a = 1; a <= 5; ++a)
            accountsPerChart.add({lit(companyKey(c, 5 * kYears, (i - 1) * 5 + a)), lit(companyKey(c, 5, a)),
                                  lit(companyKey(c, 3 * kYears, (i - 1) * 3 + accounts[a - 1].element))});
    }
    fiscal.flush();
    charts.flush();
    elements.flush();
    BatchInsert accountRows(db, u"ContoPDC"_qs, {u"IDContoPDC"_qs, u"ContoPDC"_qs, u"DescrizioneConto"_qs});
    for (int a = 1; a <= 5; ++a)
        accountRows.add({lit(companyKey(c, 5, a)), lit(QString::fromUtf8(accounts[a - 1].code)),
                         lit(QString::fromUtf8(accounts[a - 1].description))});
    accountRows.flush();
    accountsPerChart.flush();
    BatchInsert automatic(db, u"ContoAutomatico"_qs,
                          {u"IDContoAutomatico"_qs, u"IDFiliale"_qs, u"IDContoPDC_CostoIvaInd"_qs,
                           u"IDContoPDC_StornoRecuperoIva"_qs, u"IDContoPDC_IvaAcquisti"_qs});
    for (int f = 1; f <= kBranches; ++f)
        automatic.add({lit(branchKey(c, f)), lit(branchKey(c, f)), lit(companyKey(c, 5, 3)), lit(companyKey(c, 5, 4)),
                       lit(companyKey(c, 5, 1))});
    automatic.flush();

    insertCompensableCredits(db, c);
}

double companyFactor(int company)
{
    return company == 1 ? 1.0 : 1.0 + 0.01 * double((company * 7) % 11 - 5);
}

} // namespace

DemoSummary createDemo(Connection &db, int scale)
{
    if (scale < 1)
        throw Refusal(QStringLiteral("Scala non valida: %1 (serve un numero intero da 1 in su).").arg(scale));
    createSchema(db);

    DemoSummary summary;
    const int companies = db.scalar(u"SELECT COUNT(*) FROM Azienda"_qs).toInt();
    if (companies > 0) {
        const QString first = db.scalar(u"SELECT Azienda FROM Azienda WHERE IDAzienda = 1"_qs).toString();
        if (first != kDemoName)
            throw Refusal(u"Il database contiene già delle aziende: l'azienda dimostrativa non è stata creata."_qs);
        if (companies < scale)
            throw Refusal(
                QStringLiteral("Il database contiene già l'azienda dimostrativa con %1 aziende: per %2 aziende "
                               "usare un database vuoto. Nulla è stato cambiato.")
                    .arg(companies)
                    .arg(scale));
        summary.companies = companies;
        summary.message = u"L'azienda dimostrativa è già presente: nulla è stato cambiato."_qs;
        return summary;
    }
    for (const char *table : {"Utente", "Iva", "ContatoreIva", "RisultatoLiquidazioneIva"})
        if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))).toInt() > 0)
            throw Refusal(
                QStringLiteral("Il database contiene già dati (tabella %1): l'azienda dimostrativa va creata in un "
                               "database vuoto. Nulla è stato cambiato.")
                    .arg(QLatin1String(table)));

    Transaction tx(db);
    insertSharedData(db);
    int nextCounter = 1;
    for (int c = 1; c <= scale; ++c) {
        insertCompany(db, c);
        const long long rows = insertCounters(db, c, companyFactor(c), nextCounter);
        nextCounter += int(rows);
        summary.counterRows += rows;
    }
    tx.commit();
    // Fresh statistics, so that the first counter queries on a large demo use the indexes
    // (PostgreSQL would otherwise scan until its autovacuum comes by). Not on SQLite: with
    // statistics its planner splits the counter queries' month alternatives (OR) into
    // separate index scans on the counter kind alone, a hundred times slower than the
    // plan it makes without them.
    if (db.engine() == Engine::Postgres)
        db.executeRaw(u"ANALYZE"_qs);

    summary.created = true;
    summary.companies = scale;
    summary.message = QStringLiteral("Azienda dimostrativa creata: %1 %2, %3 righe di contatori IVA.")
                          .arg(scale)
                          .arg(scale == 1 ? u"azienda"_qs : u"aziende"_qs)
                          .arg(summary.counterRows);
    return summary;
}

} // namespace liqiva
