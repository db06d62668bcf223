#include "domain/engine/Amounts.h"

#include "domain/engine/ActivitySettings.h"

#include "domain/engine/CounterQueries.h"
#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/RowState.h"
#include "database/SqlValue.h"
#include "suite/Money.h"

#include <QDateTime>
#include <QSet>
#include <algorithm>

namespace liqiva {

namespace {

const QString kXTipo = QStringLiteral("RisultatoLiquidazioneIvaXTipo");
const QString kXTipoKey = QStringLiteral("IDRisultatoLiquidazioneIvaXTip");

// The period of a settlement row: its month, the December advance or the whole year, of
// an activity (or of all activities) and a VAT year. Working rows count; copies do not.
QString periodCondition(int idAttivita, int idPeriodoIva, int idMese, SqlParams &params)
{
    QString w;
    if (idMese == 13) {
        w = u" RLI.AccontoIva <> 0"_qs;
    } else if (idMese >= 1) {
        w = u" RLI.IDMese = ?"_qs;
        params << idMese;
    } else {
        w = u" RLI.IDMese IS NULL AND RLI.AccontoIva = 0"_qs;
    }
    w += u" AND"_qs;
    if (idAttivita != 0) {
        w += u" RLI.IDAttivitaAzienda = ?"_qs;
        params << idAttivita;
    } else {
        w += u" RLI.IDAttivitaAzienda IS NULL"_qs;
    }
    w += u" AND RLI.IDPeriodoIva = ?"_qs;
    params << idPeriodoIva;
    w += u" AND "_qs + RowState::liveOrWorking(u"RLI"_qs);
    return w;
}

std::optional<Amounts::Figure> figureOfType(int type)
{
    for (const auto &[figure, code] : Amounts::storedFigures())
        if (code == type)
            return figure;
    return std::nullopt;
}

} // namespace

const QVector<std::pair<Amounts::Figure, int>> &Amounts::storedFigures()
{
    static const QVector<std::pair<Figure, int>> figures = {
        {Figure::CICInizio, 60},         {Figure::CICUtiLiqui, 61},       {Figure::CICUtiF24, 62},
        {Figure::CICFine, 63},           {Figure::CreLiquiPer, 64},       {Figure::CreCompF24, 65},
        {Figure::RimbInfrannuale, 66},   {Figure::CredInfrannuale, 67},   {Figure::CIEstrCompTrimI, 68},
        {Figure::CIEstrCompTrimII, 69},  {Figure::CIEstrCompTrimIII, 70}, {Figure::CAEstrComp, 71},
        {Figure::CIDetrazTrimI, 72},     {Figure::CIDetrazTrimII, 73},    {Figure::CIDetrazTrimIII, 74},
        {Figure::CADetraz, 75},          {Figure::CIEstrLiqTrimI, 76},    {Figure::CIEstrLiqTrimII, 77},
        {Figure::CIEstrLiqTrimIII, 78},  {Figure::CAEstrLiqPer, 79},      {Figure::CredInfraTotale, 80},
        {Figure::CredInfraTrimestre, 81}, {Figure::CredInfraAumenti, 82},
    };
    return figures;
}

Amounts::Amounts(Connection &db, int idUser) : m_db(db), m_idUser(idUser) {}

// ---- collection ----------------------------------------------------------------------

Money Amounts::Importo(int amountType) const
{
    return Importo(prefix(), amountType);
}

void Amounts::setImporto(int amountType, Money value)
{
    setImporto(prefix(), amountType, value);
}

Money Amounts::Importo(int liquidationType, int amountType) const
{
    return m_amounts.value(Key{liquidationType, amountType});
}

void Amounts::setImporto(int liquidationType, int amountType, Money value)
{
    m_amounts.insert(Key{liquidationType, amountType}, value);
}

void Amounts::clear()
{
    m_amounts.clear();
    m_figures.clear();
    m_special.clear();
    m_soggRimb = m_soggRimbTrim = m_soggRimb7374 = false;
}

Money Amounts::toDatabase(Money memoryValue) const
{
    return memoryValue * unit();
}

Money Amounts::fromDatabase(const QVariant &databaseValue) const
{
    const Money stored = Money::fromVariant(databaseValue);
    if (unit() == 1)
        return stored;
    // Thousands of lire: a whole amount of lire has at most three decimals here, exact.
    return Money::fromRaw(stored.raw() / unit());
}

// ---- derived amounts -------------------------------------------------------------------

Money Amounts::VarImpoPeriodoPrecDeb() const
{
    return VarRavvOperoso() + IntLiqTrimRavv() + IntRavv() + AltreVarDeb() + CAEstrLiqPer() + CIEstrLiqTrimI() +
           CIEstrLiqTrimII() + CIEstrLiqTrimIII();
}

Money Amounts::VarImpoPeriodoPrecCre() const
{
    return VarImpCre() + CAEstrComp() + CIEstrCompTrimI() + CIEstrCompTrimII() + CIEstrCompTrimIII();
}

Money Amounts::CreditoInDetrazione() const
{
    return CADetraz() + CIDetrazTrimI() + CIDetrazTrimII() + CIDetrazTrimIII();
}

// ---- company setting -------------------------------------------------------------------

namespace {
// The company of the VAT year bound to the one placeholder.
const QString companyOfYear = u" WHERE IDAzienda IN (SELECT IDAzienda FROM PeriodoIva WHERE IDPeriodoIva = ?)"_qs;
} // namespace

bool Amounts::chkPrintCIC() const
{
    Recordset rs =
        m_db.openRecordset(u"SELECT StampaCIC FROM ConfigurazioneContabile"_qs + companyOfYear, {m_idPeriodoIva});
    return !rs.eof() && rs.number(u"StampaCIC"_qs) != 0;
}

void Amounts::setChkPrintCIC(bool v)
{
    m_db.execute(u"UPDATE ConfigurazioneContabile SET StampaCIC = ?, IDUtenteUltimaVariazione = ?, "
                 u"DataUltimaVariazione = ?"_qs +
                     companyOfYear,
                 {v ? -1 : 0, m_idUser, QDateTime::currentDateTime(), m_idPeriodoIva});
}

// ---- loaders ---------------------------------------------------------------------------

void Amounts::loadRows(const QString &where, const SqlParams &params)
{
    // Part 0: the rows of the settlement; part 1: the earlier totals by type.
    Recordset rs = m_db.openRecordset(
        u"SELECT 0 AS Part, RisultatoLiquidazioneIvaXTipo.Importo, "
        "RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva, "
        "RisultatoLiquidazioneIvaXTipo.TipoLiquidazioneIva ,RLI.IDMese, RLI.AccontoIva, RLI.IDAttivitaAzienda, "
        "RLI.IDPeriodoIva, RLI.IDRisultatoLiquidazioneIva, RLI.SoggettoRimborsoLiqIva, RLI.SoggettoRimborsoLiqIvaTrim, "
        "RLI.SoggettoRimborsoLiqIva7374 FROM RisultatoLiquidazioneIvaXTipo  INNER JOIN RisultatoLiquidazioneIva AS RLI "
        "ON RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = RLI.IDRisultatoLiquidazioneIva WHERE"_qs +
        SqlStatement(where, params) + earlierTotals());
    bool first = true;
    for (; !rs.eof(); rs.moveNext()) {
        const int type = rs.integer(u"IDTipoRisultatoLiquidazioneIva"_qs);
        if (rs.integer(u"Part"_qs) != 0) {
            setEarlierTotal(type, fromDatabase(rs.field(u"Importo"_qs)));
            continue;
        }
        if (first) {
            m_idRisultato = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
            m_soggRimb = rs.number(u"SoggettoRimborsoLiqIva"_qs) != 0;
            m_soggRimbTrim = rs.number(u"SoggettoRimborsoLiqIvaTrim"_qs) != 0;
            m_soggRimb7374 = rs.number(u"SoggettoRimborsoLiqIva7374"_qs) != 0;
            first = false;
        }
        const int group = rs.integer(u"TipoLiquidazioneIva"_qs); // NULL gives 0
        if (const std::optional<Figure> figure = figureOfType(type)) {
            if (group == prefix())
                m_figures.insert(*figure, fromDatabase(rs.field(u"Importo"_qs)));
            continue;
        }
        setImporto(group, type, fromDatabase(rs.field(u"Importo"_qs)));
    }
}

void Amounts::LoadByPeriod(int idAttivitaAzienda, int idPeriodoIva, int idMese, int metodoCalcoloAccontoIva)
{
    clear();
    m_idAttivita = idAttivitaAzienda;
    m_idPeriodoIva = idPeriodoIva;
    m_idMese = idMese;
    m_metodo = metodoCalcoloAccontoIva;
    m_idRisultato = 0;
    SqlParams params;
    const QString where = periodCondition(idAttivitaAzienda, idPeriodoIva, idMese, params);
    const ActivitySettings year = readActivityYear();
    loadRows(where, params);
    if (m_idRisultato == 0) {
        // A settlement without typed amounts yet (a new one): its key and flags still come
        // from its row, so that a Save afterwards knows where to write.
        Recordset rs = m_db.openRecordset(
            u"SELECT RLI.IDRisultatoLiquidazioneIva, RLI.SoggettoRimborsoLiqIva, RLI.SoggettoRimborsoLiqIvaTrim, "
            "RLI.SoggettoRimborsoLiqIva7374 FROM RisultatoLiquidazioneIva AS RLI WHERE"_qs +
                where,
            params);
        if (!rs.eof()) {
            m_idRisultato = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
            m_soggRimb = rs.number(u"SoggettoRimborsoLiqIva"_qs) != 0;
            m_soggRimbTrim = rs.number(u"SoggettoRimborsoLiqIvaTrim"_qs) != 0;
            m_soggRimb7374 = rs.number(u"SoggettoRimborsoLiqIva7374"_qs) != 0;
        }
    }
    loadSpecialCredits(year);
}

void Amounts::Refresh()
{
    const int key = m_idRisultato;
    clear();
    if (key <= 0)
        return;
    Recordset rs = m_db.openRecordset(
        u"SELECT IDMese, AccontoIva, MetodoCalcoloAccontoIva, IDAttivitaAzienda, IDPeriodoIva, SoggettoRimborsoLiqIva, "
        "SoggettoRimborsoLiqIvaTrim, SoggettoRimborsoLiqIva7374 FROM RisultatoLiquidazioneIva WHERE "
        "IDRisultatoLiquidazioneIva = ?"_qs,
        {sqlValue(key)});
    if (rs.eof())
        return; // the settlement is gone: nothing to show
    m_idMese = rs.number(u"AccontoIva"_qs) != 0 ? 13 : rs.integer(u"IDMese"_qs);
    m_metodo = rs.integer(u"MetodoCalcoloAccontoIva"_qs);
    m_idAttivita = rs.integer(u"IDAttivitaAzienda"_qs);
    m_idPeriodoIva = rs.integer(u"IDPeriodoIva"_qs);
    m_soggRimb = rs.number(u"SoggettoRimborsoLiqIva"_qs) != 0;
    m_soggRimbTrim = rs.number(u"SoggettoRimborsoLiqIvaTrim"_qs) != 0;
    m_soggRimb7374 = rs.number(u"SoggettoRimborsoLiqIva7374"_qs) != 0;
    rs.close();
    const ActivitySettings year = readActivityYear();
    loadRows(u" RLI.IDRisultatoLiquidazioneIva = ?"_qs, {key});
    m_idRisultato = key;
    loadSpecialCredits(year);
}

void Amounts::loadSpecialCredits()
{
    loadSpecialCredits(readActivityYear());
}

// The activity's settings of the VAT year (none for all activities): they give the settlement
// type, which the earlier totals need, and the special credits.
ActivitySettings Amounts::readActivityYear()
{
    if (m_idAttivita == 0)
        return {};
    ActivitySettings year = activitySettings(m_db, m_activityYear, m_idAttivita, m_idPeriodoIva);
    if (year.found)
        m_tipoLiquidazione = year.tipoLiquidazioneIva;
    return year;
}

void Amounts::loadSpecialCredits(const ActivitySettings &year)
{
    m_special.clear();
    if (m_idAttivita != 0) {
        SpecialCredits s;
        if (year.found) {
            s.chkAutotrasp = year.autotrasportatore;
            s.chkAltri = year.altriCrediti;
            // What the year still has; a settlement that books its use also has back what
            // it had used itself, so that saving it again may use the same amount.
            const bool own = booksSpecialCredits();
            if (s.chkAutotrasp)
                s.autotrasp = fromDatabase(year.creditoIvaAutotrasportatori) +
                              (own ? Importo(0, AmountType::CreAutotraspUti) : Money());
            if (s.chkAltri)
                s.altri = fromDatabase(year.altriCreditiImposta) +
                          (own ? Importo(0, AmountType::AltriCreImpUti) : Money());
        }
        m_special.insert(0, s);
        return;
    }
    // All activities: summed by their settlement type, over the activities with the switch.
    Recordset rs = m_db.openRecordset(
        u"SELECT TipoLiquidazioneIva, CreditoIvaAutotrasportatori, AltriCreditiImposta, Autotrasportatore, "
        "AltriCrediti FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = ? AND VirtualDelete = 0"_qs,
        {sqlValue(m_idPeriodoIva)});
    for (; !rs.eof(); rs.moveNext()) {
        SpecialCredits &s = m_special[rs.integer(u"TipoLiquidazioneIva"_qs)];
        if (rs.number(u"Autotrasportatore"_qs) != 0) {
            s.chkAutotrasp = true;
            s.autotrasp += fromDatabase(rs.field(u"CreditoIvaAutotrasportatori"_qs));
        }
        if (rs.number(u"AltriCrediti"_qs) != 0) {
            s.chkAltri = true;
            s.altri += fromDatabase(rs.field(u"AltriCreditiImposta"_qs));
        }
    }
}

// The earlier settlements' totals of the year by type, as part 1 of the rows' statement (its
// columns in the same places); none for all activities.
SqlStatement Amounts::earlierTotals() const
{
    if (m_idAttivita == 0 || m_idPeriodoIva == 0)
        return {};
    // The earlier settlements are those before the first month of this period.
    int first;
    if (m_idMese < 1)
        first = 13; // the annual settlement: the whole year
    else if (m_idMese == 13)
        first = m_tipoLiquidazione != 0 ? 10 : 12;
    else
        first = m_tipoLiquidazione != 0 ? m_idMese - 2 : m_idMese;
    return SqlStatement(
        u" UNION ALL SELECT 1, SUM(RisultatoLiquidazioneIvaXTipo.Importo), "
        u"RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
        u"NULL, NULL FROM RisultatoLiquidazioneIvaXTipo INNER JOIN RisultatoLiquidazioneIva AS RLI ON "
        "RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = RLI.IDRisultatoLiquidazioneIva WHERE "
        "RLI.VirtualDelete = 0 AND RisultatoLiquidazioneIvaXTipo.VirtualDelete = 0 AND RLI.AccontoIva = 0 AND "
        "RLI.IDMese IS NOT NULL AND RLI.IDMese < ? AND RLI.IDAttivitaAzienda = ? AND RLI.IDPeriodoIva = ? AND "
        "RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva IN (13, 14, 15, 18, 19) GROUP BY "
        "RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva"_qs,
        {sqlValue(first), sqlValue(m_idAttivita), sqlValue(m_idPeriodoIva)});
}

void Amounts::setEarlierTotal(int type, Money v)
{
    switch (type) {
    case AmountType::TotIvaCredito:
        setTotIVACreditoPrec(v);
        break;
    case AmountType::TotIvaDebito:
        setTotIVADebitoPrec(v);
        break;
    case AmountType::VarRavvOperoso:
        setVarRavvOperosoPrecCalc(v);
        break;
    case AmountType::AltreVarDeb:
        setAltreVarDebPrec(v);
        break;
    case AmountType::VarImpCre:
        setVarImpCrePrecCalc(v);
        break;
    }
}

namespace {

// The company's VAT years of the calendar year, with monthly and with quarterly activities,
// by key.
QVector<int> companyVatYears(Connection &db, int idAzienda, int anno)
{
    const SqlStatement years =
        u"SELECT PeriodoIva.IDPeriodoIva FROM PeriodoIva WHERE PeriodoIva.VirtualDelete = 0 AND "
        "PeriodoIva.IDAzienda = "_qs +
        sqlParam(idAzienda) + u" AND PeriodoIva.Anno = "_qs + sqlParam(anno) +
        u" AND PeriodoIva.IDPeriodoIva IN (SELECT IDPeriodoIva FROM AttivitaAziendaPerPeriodoIva WHERE "
        "TipoLiquidazioneIva "_qs;
    QVector<int> keys;
    Recordset rs = db.openRecordset(years + u"= 0)"_qs + u" UNION "_qs + years + u"<> 0)"_qs);
    for (; !rs.eof(); rs.moveNext())
        keys.append(rs.integer(u"IDPeriodoIva"_qs));
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

void Amounts::LoadByPeriodXRiepilogoAccontoDicembre(int idAzienda, int anno)
{
    clear();
    m_idAttivita = 0;
    m_idMese = 13;
    m_idPeriodoIva = 0;
    m_idRisultato = 0;

    for (int p : companyVatYears(m_db, idAzienda, anno)) {
        if (m_idPeriodoIva == 0)
            m_idPeriodoIva = p;
        // The activities of the year: their settlement type and special credits.
        QMap<int, int> typeOfActivity;
        QMap<int, SpecialCredits> available; // residues, by settlement type
        {
            Recordset rs = m_db.openRecordset(
                u"SELECT IDAttivitaAzienda, TipoLiquidazioneIva, Autotrasportatore, AltriCrediti, ExArticolo7374, "
                "CreditoIvaAutotrasportatori, AltriCreditiImposta FROM AttivitaAziendaPerPeriodoIva WHERE "
                "IDPeriodoIva = ? AND VirtualDelete = 0"_qs,
                {sqlValue(p)});
            for (; !rs.eof(); rs.moveNext()) {
                const int group = rs.integer(u"TipoLiquidazioneIva"_qs);
                typeOfActivity.insert(rs.integer(u"IDAttivitaAzienda"_qs), group);
                SpecialCredits &s = available[group];
                if (rs.number(u"Autotrasportatore"_qs) != 0) {
                    s.chkAutotrasp = true;
                    s.autotrasp += fromDatabase(rs.field(u"CreditoIvaAutotrasportatori"_qs));
                }
                if (rs.number(u"AltriCrediti"_qs) != 0) {
                    s.chkAltri = true;
                    s.altri += fromDatabase(rs.field(u"AltriCreditiImposta"_qs));
                }
            }
        }
        Recordset rs = m_db.openRecordset(
            u" SELECT SUM(RisultatoLiquidazioneIvaXTipo.Importo) AS Importo, "
            "RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva, "
            "RisultatoLiquidazioneIvaXTipo.TipoLiquidazioneIva, "
            "RLI.IDAttivitaAzienda, RLI.IDPeriodoIva From RisultatoLiquidazioneIvaXTipo INNER JOIN "
            "RisultatoLiquidazioneIva AS RLI ON RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
            "RLI.IDRisultatoLiquidazioneIva WHERE RLI.VirtualDelete = 0 AND "
            "RisultatoLiquidazioneIvaXTipo.VirtualDelete = 0"
            " AND AccontoIva = 0 AND RLI.IDPeriodoIva = ? AND IDTipoRisultatoLiquidazioneIva NOT IN (20, 21, 22, 36) "
            "GROUP BY "
            "RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva,RisultatoLiquidazioneIvaXTipo."
            "TipoLiquidazioneIva,RLI.IDAttivitaAzienda, RLI.IDPeriodoIva"_qs,
            {sqlValue(p)});
        for (; !rs.eof(); rs.moveNext()) {
            // The settlement type of a row: its own (settlements of all activities), else the
            // one of its activity, else 0.
            int group = 0;
            if (!rs.isNull(u"TipoLiquidazioneIva"_qs))
                group = rs.integer(u"TipoLiquidazioneIva"_qs);
            else
                group = typeOfActivity.value(rs.integer(u"IDAttivitaAzienda"_qs), 0);
            const int type = rs.integer(u"IDTipoRisultatoLiquidazioneIva"_qs);
            const Key k{group, type};
            m_amounts.insert(k, m_amounts.value(k) + fromDatabase(rs.field(u"Importo"_qs)));
        }
        for (auto it = available.cbegin(); it != available.cend(); ++it) {
            SpecialCredits &s = m_special[it.key()];
            s.chkAutotrasp = s.chkAutotrasp || it->chkAutotrasp;
            s.chkAltri = s.chkAltri || it->chkAltri;
            s.autotrasp += it->autotrasp;
            s.altri += it->altri;
        }
    }
    // The credit of the year is what is left plus what the year's settlements used.
    for (auto it = m_special.begin(); it != m_special.end(); ++it) {
        if (it->chkAutotrasp)
            it->autotrasp += Importo(it.key(), AmountType::CreAutotraspUti);
        if (it->chkAltri)
            it->altri += Importo(it.key(), AmountType::AltriCreImpUti);
    }
}

// ---- writing ---------------------------------------------------------------------------

const QVector<int> &Amounts::periodicTypes()
{
    static const QVector<int> types = {15, 16, 17, 18, 19, 20, 21, 22, 36, 23, 4,
                                       3,  24, 25, 26, 27, 37, 12, 11, 28, 29};
    return types;
}

const QVector<int> &Amounts::annualTypes()
{
    static const QVector<int> types = {38, 43};
    return types;
}

QMap<int, Money> Amounts::storedUsedCredits()
{
    QMap<int, Money> used;
    Recordset rs =
        m_db.openRecordset(u"SELECT IDTipoRisultatoLiquidazioneIva, Importo FROM RisultatoLiquidazioneIvaXTipo WHERE "
                           "IDRisultatoLiquidazioneIva = ? AND IDTipoRisultatoLiquidazioneIva IN (4, 23)"_qs,
                           {sqlValue(m_idRisultato)});
    for (; !rs.eof(); rs.moveNext()) {
        const int type = rs.integer(u"IDTipoRisultatoLiquidazioneIva"_qs);
        used[type] += Money::fromVariant(rs.field(u"Importo"_qs));
    }
    return used;
}

namespace {

// The settlement types Save writes: 0 for a settlement of one activity, else one per type
// held in memory.
QVector<int> typesToWrite(const QMap<Amounts::Key, Money> &amounts, bool withActivity)
{
    if (withActivity)
        return {0};
    QSet<int> seen;
    for (auto it = amounts.cbegin(); it != amounts.cend(); ++it)
        seen.insert(it.key().liquidationType);
    QVector<int> groups(seen.cbegin(), seen.cend());
    std::sort(groups.begin(), groups.end());
    return groups;
}

// The insert of one amount: with the settlement type when the settlement has no activity.
QString amountInsertSql(bool withActivity)
{
    return withActivity
        ? u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, "
          "Importo, DataVersamento, IDConcessionarioEsattoriale, IDBancaPerAnagrafica, IDUtenteUltimaVariazione, "
          "DataUltimaVariazione, VirtualDelete) VALUES (?, ?, ?, NULL, NULL, NULL, ?, ?, 0)"_qs
        : u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, "
          "Importo, TipoLiquidazioneIva, DataVersamento, IDConcessionarioEsattoriale, IDBancaPerAnagrafica, "
          "IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES (?, ?, ?, ?, NULL, NULL, NULL, ?, ?, "
          "0)"_qs;
}

} // namespace

void Amounts::Save()
{
    if (m_idRisultato <= 0)
        return;
    const int key = m_idRisultato;
    const int user = m_idUser;
    const QDateTime now = QDateTime::currentDateTime();
    const bool withActivity = m_idAttivita != 0;

    const QVector<int> groups = typesToWrite(m_amounts, withActivity);

    Transaction tx(m_db);
    const QMap<int, Money> usedBefore = booksSpecialCredits() ? storedUsedCredits() : QMap<int, Money>();

    for (int type : periodic() ? periodicTypes() : annualTypes()) {
        m_db.execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = ? AND "
                     u"IDRisultatoLiquidazioneIva = ?"_qs,
                     {type, key});
        for (int group : groups) {
            const Money amount = toDatabase(Importo(group, type));
            if (amount.isZero())
                continue;
            nextKey(m_db, kXTipo, kXTipoKey, amountInsertSql(withActivity),
                    withActivity ? SqlParams{type, key, sqlValue(amount), user, now}
                                 : SqlParams{type, key, sqlValue(amount), group, user, now});
        }
    }

    // The figures of the credit windows, under the settlement type the properties use.
    for (const auto &[figure, type] : storedFigures()) {
        m_db.execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = ? AND "
                     u"IDRisultatoLiquidazioneIva = ?"_qs,
                     {type, key});
        const Money amount = toDatabase(m_figures.value(figure));
        if (amount.isZero())
            continue;
        const QVariant group = withActivity ? QVariant() : QVariant(m_liquidationType);
        nextKey(
            m_db, kXTipo, kXTipoKey,
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, "
            "Importo, TipoLiquidazioneIva, DataVersamento, IDConcessionarioEsattoriale, IDBancaPerAnagrafica, "
            "IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES (?, ?, ?, ?, NULL, NULL, NULL, ?, "
            "?, "
            "0)"_qs,
            {type, key, sqlValue(amount), group, user, now});
    }

    if (booksSpecialCredits()) {
        // The year's credits move by what this save uses more (or less) than the settlement
        // had used before.
        const Money changeAutotrasp = usedBefore.value(AmountType::CreAutotraspUti) - toDatabase(CreAutotraspUti());
        const Money changeAltri = usedBefore.value(AmountType::AltriCreImpUti) - toDatabase(AltriCreImpUti());
        m_db.execute(
            u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = CreditoIvaAutotrasportatori + (?),"
            u" AltriCreditiImposta = AltriCreditiImposta + (?) ,IDUtenteUltimaVariazione = ? ,DataUltimaVariazione = ?"
            u" WHERE IDPeriodoIva = ? AND IDAttivitaAzienda = ?"_qs,
            {sqlValue(changeAutotrasp), sqlValue(changeAltri), user, now, m_idPeriodoIva, m_idAttivita});
        // The credits available to the settlement are read again, now from the booked year.
        loadSpecialCredits();
    }
    tx.commit();
}

void Amounts::Delete()
{
    if (m_idRisultato <= 0)
        return;
    Transaction tx(m_db);
    if (booksSpecialCredits()) {
        const QMap<int, Money> used = storedUsedCredits();
        if (!used.value(AmountType::CreAutotraspUti).isZero() || !used.value(AmountType::AltriCreImpUti).isZero()) {
            m_db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET CreditoIvaAutotrasportatori = "
                         u"CreditoIvaAutotrasportatori + (?),"
                         u" AltriCreditiImposta = AltriCreditiImposta + (?) ,IDUtenteUltimaVariazione = ? "
                         u",DataUltimaVariazione = ?"
                         u" WHERE IDPeriodoIva = ? AND IDAttivitaAzienda = ?"_qs,
                         {sqlValue(used.value(AmountType::CreAutotraspUti)),
                          sqlValue(used.value(AmountType::AltriCreImpUti)), m_idUser, QDateTime::currentDateTime(),
                          m_idPeriodoIva, m_idAttivita});
        }
    }
    m_db.execute(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = ?"_qs,
                 {sqlValue(m_idRisultato)});
    tx.commit();
    m_amounts.clear();
}

// ---- checks ----------------------------------------------------------------------------

QString Amounts::msgCreditoUtilizzatoNegativo()
{
    return QStringLiteral("Il credito utilizzato non può essere negativo.");
}

QString Amounts::msgCreditoUtilizzatoMaggiore()
{
    return QStringLiteral("Il credito utilizzato non può essere maggiore del credito disponibile.");
}

QString Amounts::msgCreditiSpecialiMaggioriImposta()
{
    return QStringLiteral("Il totale dei crediti speciali d'imposta da detrarre nella liquidazione non può essere "
                          "superiore all'imposta dovuta per il periodo.");
}

std::optional<QString> Amounts::CheckAmounts() const
{
    const Money autotraspUti = CreAutotraspUti();
    const Money altriUti = AltriCreImpUti();
    QString problem;
    if (autotraspUti < Money() || altriUti < Money())
        problem = msgCreditoUtilizzatoNegativo();
    else if (autotraspUti > CreAutotrasp() || altriUti > AltriCreImp())
        problem = msgCreditoUtilizzatoMaggiore();
    else if (autotraspUti + altriUti > std::max(IvaPeriodo(), Money()))
        problem = msgCreditiSpecialiMaggioriImposta();
    if (problem.isEmpty())
        return std::nullopt;
    return problem;
}

// ---- depreciable goods ----------------------------------------------------------------

Money Amounts::CalcolaCreditoBeniAmmortizzabili()
{
    // The VAT of purchases booked on depreciable-goods accounts (classes 10, 11, 12, 15)
    // by the branches of the activity, in the months of the settlement.
    const CounterPeriod period{m_idAttivita, m_idPeriodoIva, m_idMese, m_metodo};
    const SqlStatement sql =
        u"SELECT SUM(ContatoreIva.Importo) AS TotIva FROM ContatoreIva INNER JOIN Filiale ON ContatoreIva.IDFiliale = "
        "Filiale.IDFiliale WHERE Filiale.IDAttivitaAzienda = "_qs +
        sqlParam(m_idAttivita) +
        u" AND ContatoreIva.RiportoSuChiusuraIVA <> 0 AND ContatoreIva.IDTipoContatoreIva = 1"
        " AND ContatoreIva.IDClassificazioneIvaConto IN (10, 11, 12, 15)"_qs +
        sqlYearCondition(m_idPeriodoIva) + sqlPeriodMonths(period) + sqlMonthRange(period, false);
    Recordset rs = m_db.openRecordset(sql);
    return rs.eof() ? Money() : fromDatabase(rs.field(u"TotIva"_qs));
}

} // namespace liqiva
