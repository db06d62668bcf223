#include "domain/document/NewSettlement.h"

#include "suite/Refusal.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/RowState.h"
#include "database/SqlValue.h"

#include <optional>

namespace liqiva {

namespace {
const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

} // namespace

NewSettlement::NewSettlement(Connection &db, int idAzienda, int idUser)
    : m_db(db), m_idAzienda(idAzienda), m_idUser(idUser)
{
}

std::vector<NewSettlement::Choice> NewSettlement::vatYears() const
{
    std::vector<Choice> out;
    Recordset rs = m_db.openRecordset(
        u"SELECT IDPeriodoIva, PeriodoIva FROM PeriodoIva WHERE  VirtualDelete = 0 AND IDAzienda = "_qs +
        sqlParam(m_idAzienda) + u" ORDER BY PeriodoIva DESC"_qs);
    for (; !rs.eof(); rs.moveNext())
        out.push_back({rs.integer(u"IDPeriodoIva"_qs), rs.text(u"PeriodoIva"_qs)});
    return out;
}

std::vector<NewSettlement::Choice> NewSettlement::activities() const
{
    std::vector<Choice> out;
    Recordset rs = m_db.openRecordset(
        u"SELECT IDAttivitaAzienda, AttivitaAzienda FROM AttivitaAzienda WHERE VirtualDelete = 0 AND IDAzienda = "_qs +
        sqlParam(m_idAzienda));
    for (; !rs.eof(); rs.moveNext())
        out.push_back({rs.integer(u"IDAttivitaAzienda"_qs), rs.text(u"AttivitaAzienda"_qs)});
    return out;
}

int NewSettlement::proposeYear() const
{
    const QVariant v = m_db.scalar(
        u"SELECT IDPeriodoIva FROM PeriodoIva WHERE VirtualDelete = 0 AND IDAzienda = "_qs + sqlParam(m_idAzienda) +
        u" AND Anno IN (SELECT MAX(Anno) FROM PeriodoIva WHERE VirtualDelete = 0 AND IDAzienda = "_qs +
        sqlParam(m_idAzienda) + u" )"_qs);
    return v.isNull() ? 0 : v.toInt();
}

int NewSettlement::prevailingBranchActivity() const
{
    const QVariant v = m_db.scalar(
        u"SELECT IDAttivitaAzienda FROM Filiale WHERE IDFiliale IN (SELECT IDFilialePrevalente FROM ConfigurazioneGenerale WHERE VirtualDelete = 0 AND IDAzienda = "_qs +
        sqlParam(m_idAzienda) +
        u") AND IDAttivitaAzienda IN (SELECT IDAttivitaAzienda FROM AttivitaAzienda WHERE VirtualDelete = 0 AND IDAzienda = "_qs +
        sqlParam(m_idAzienda) + u") AND VirtualDelete = 0"_qs);
    return v.isNull() ? 0 : v.toInt();
}

int NewSettlement::proposeActivity(int year) const
{
    const std::vector<Choice> list = activities();
    if (list.size() == 1)
        return list.front().key;
    int chosen = 0;
    if (!m_db.scalar(u"SELECT IDPeriodoIva FROM PeriodoIva WHERE GestioneArt36 = 0 AND IDPeriodoIva = "_qs +
                     sqlParam(year))
             .isNull())
        chosen = prevailingBranchActivity();
    if (chosen == 0) {
        const SqlStatement y = sqlParam(year);
        Recordset rs = m_db.openRecordset(
            u"SELECT IDAttivitaAzienda FROM AttivitaAzienda WHERE IDAzienda = "_qs + sqlParam(m_idAzienda) +
            u" AND VirtualDelete = 0 AND IDAttivitaAzienda IN (SELECT IDAttivitaAzienda FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs +
            y +
            u" AND (IDMeseUltimaLiquidazione IN(SELECT MAX(IDMeseUltimaLiquidazione) FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs +
            y +
            u" AND TipoLiquidazioneIva = 0 AND IDMeseUltimaLiquidazione < 12 AND VirtualDelete = 0) OR IDMeseUltimaLiquidazione IN(SELECT MAX(IDMeseUltimaLiquidazione) FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs +
            y +
            u" AND TipoLiquidazioneIva = 1 AND (IDMeseUltimaLiquidazione = 3 OR IDMeseUltimaLiquidazione = 6 OR IDMeseUltimaLiquidazione = 9 OR IDMeseUltimaLiquidazione = 0 OR IDMeseUltimaLiquidazione = NULL) AND VirtualDelete = 0)))"_qs);
        if (!rs.eof()) {
            chosen = rs.integer(u"IDAttivitaAzienda"_qs);
            rs.moveNext();
            if (!rs.eof()) // a tie: the prevailing branch decides
                chosen = prevailingBranchActivity();
        }
    }
    return chosen;
}

int NewSettlement::proposePeriodIndex(int activity, int year) const
{
    Recordset rs = m_db.openRecordset(
        u"SELECT IDMeseUltimaLiquidazione + 1 + (TipoLiquidazioneIva * 2) FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs +
        sqlParam(year) + u" AND IDAttivitaAzienda = "_qs + sqlParam(activity) +
        u" AND ((TipoLiquidazioneIva = 0 AND IDMeseUltimaLiquidazione < 12 AND VirtualDelete = 0) OR (TipoLiquidazioneIva = 1 AND (IDMeseUltimaLiquidazione = 3 OR IDMeseUltimaLiquidazione = 6 OR IDMeseUltimaLiquidazione = 9 OR IDMeseUltimaLiquidazione = 0 OR IDMeseUltimaLiquidazione = NULL))) AND VirtualDelete = 0"_qs);
    if (rs.eof())
        return -1;
    const int v = int(rs.number(0));
    return m_periods.size() > 6 ? v : v / 3;
}

int NewSettlement::tipoLiquidazione(int activity, int year) const
{
    const QVariant v = m_db.scalar(
        u"SELECT TipoLiquidazioneIva FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda = "_qs +
        sqlParam(activity) + u" AND IDPeriodoIva = "_qs + sqlParam(year) + u" AND "_qs + RowState::notCopy());
    return v.isNull() ? -1 : v.toInt();
}

QStringList NewSettlement::monthNames(Connection &db)
{
    QStringList names;
    for (Recordset rs =
             db.openRecordset(u"SELECT Mese FROM Mese WHERE IDMese >= 1 AND IDMese <= 12 ORDER BY IDMese"_qs);
         !rs.eof(); rs.moveNext())
        names << rs.text(u"Mese"_qs);
    return names;
}

const NewSettlement::Known *NewSettlement::knownOf(int activity, int year) const
{
    return m_known && m_known->idAttivitaAzienda == activity && m_known->idPeriodoIva == year ? &*m_known : nullptr;
}

int NewSettlement::sbSetComboMesi(int activity, int year, int currentIndex)
{
    const Known *known = knownOf(activity, year);
    const int tipo = known ? known->tipoLiquidazione : tipoLiquidazione(activity, year);
    int restore = m_periods.size() >= 13 ? currentIndex : 0;
    QString monthsSql;
    if (tipo == 1) {
        m_quarterly = true;
        restore = m_periods.size() < 7 ? currentIndex : 0;
        monthsSql = u"SELECT Mese FROM Mese WHERE IDMese = 3 OR IDMese = 6 OR IDMese = 9"_qs;
    } else {
        m_quarterly = false;
        monthsSql = u"SELECT Mese FROM Mese WHERE IDMese <> 12"_qs;
    }
    // The list's index stands for the month, so the months come in their order.
    monthsSql += u" ORDER BY IDMese"_qs;
    m_periods.clear();
    m_periods << u"(Tutti i mesi)"_qs;
    if (known && known->months.size() == 12) {
        for (int month = 1; month <= 11; ++month)
            if (!m_quarterly || month % 3 == 0)
                m_periods << known->months.at(month - 1);
    } else {
        for (Recordset rs = m_db.openRecordset(monthsSql); !rs.eof(); rs.moveNext())
            m_periods << rs.text(u"Mese"_qs);
    }
    m_periods << u"Dicembre Acconto"_qs << u"Dicembre"_qs;
    if (restore < 0 || restore >= m_periods.size())
        restore = 0;
    return restore;
}

int NewSettlement::monthOfIndex(int index) const
{
    if (index <= 0)
        return 0;
    if (index == advanceIndex())
        return 13;
    if (index == decemberIndex())
        return 12;
    return monthlyList() ? index : index * 3;
}

int NewSettlement::indexOfMonth(int month) const
{
    if (month <= 0)
        return 0;
    if (month == 13)
        return advanceIndex();
    if (month == 12)
        return decemberIndex();
    if (monthlyList())
        return month;
    return month % 3 == 0 ? month / 3 : -1;
}

SqlStatement NewSettlement::periodCondition(int i) const
{
    const bool monthly = monthlyList();
    if (i > 0 && i < (monthly ? 12 : 4))
        return u"IDMese = "_qs + sqlParam(monthly ? i : i * 3);
    if (i == (monthly ? 13 : 5))
        return u"IDMese = 12"_qs;
    if (i == (monthly ? 12 : 4))
        return u"IDMese IS NULL AND AccontoIva <> 0"_qs;
    return u"IDMese IS NULL AND AccontoIva = 0"_qs;
}

namespace {

// Where a new settlement would go: the activity and VAT year, the period and its shape.
struct Wanted {
    SqlStatement A, Y, P; // the activity, the VAT year and the period's condition
    int year = 0;         // calendar year of the VAT year
    int index = 0;        // the period in the list: 0 the year
    bool monthly = false;
    bool advance = false;
};

// The settlement (of any user, saved or not) that covers the period already; 0 when none.
int existingSettlement(Connection &db, const Wanted &c)
{
    Recordset rs = db.openRecordset(
        u"SELECT IDRisultatoLiquidazioneIva,IDMese FROM RisultatoLiquidazioneIva WHERE IDAttivitaAzienda = "_qs + c.A +
        u" AND IDPeriodoIva = "_qs + c.Y + u" AND "_qs + RowState::liveOrWorking() + u" AND "_qs + c.P);
    return rs.eof() ? 0 : rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
}

// The existing settlement is shown when the user wants it (asked again when another user
// worked on it last): the questions.
QList<Question> offerExisting(Connection &db, int idUser, int found, const QString &said)
{
    QList<Question> asked{Question{said + CR + u"Si desidera visionare quella già esistente?"_qs}};
    Recordset rs = db.openRecordset(
        u"SELECT Utente.Utente FROM Utente INNER JOIN RisultatoLiquidazioneIva ON Utente.IDUtente = RisultatoLiquidazioneIva.IDUtenteUltimaVariazione WHERE RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = "_qs +
        sqlParam(found) + u" AND RisultatoLiquidazioneIva.IDUtenteUltimaVariazione <> "_qs + sqlParam(idUser));
    if (rs.eof())
        return asked;
    const QString other = rs.text(u"Utente"_qs);
    rs.close();
    asked << Question{u"La liquidazione IVA esistente che si è scelto di visionare è stata"_qs + CRLF +
                      u"elaborata dall'utente '"_qs + other + u"'."_qs + CRLF +
                      u"Si desidera visionare comunque tale liquidazione IVA?"_qs};
    return asked;
}

// The period has a settlement already: the questions before it is shown.
QList<Question> existingToShow(Connection &db, int idUser, int found, const Wanted &c, int method)
{
    bool second = false;
    int storedMethod = 0;
    if (c.year < 2000) {
        second =
            !db.scalar(
                   u"SELECT IDRisultatoLiquidazioneIvaXTip FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs +
                   sqlParam(found) + u" AND IDTipoRisultatoLiquidazioneIva = 1"_qs)
                 .isNull();
    } else {
        Recordset rs = db.openRecordset(
            u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva,RisultatoLiquidazioneIva.IDMese,RisultatoLiquidazioneIva.MetodoCalcoloAccontoIva FROM RisultatoLiquidazioneIva WHERE "_qs +
            c.P + u" AND IDAttivitaAzienda = "_qs + c.A + u" AND IDPeriodoIva = "_qs + c.Y + u" AND "_qs +
            RowState::liveOrWorking());
        if (!rs.eof()) {
            second = true;
            storedMethod = rs.integer(u"MetodoCalcoloAccontoIva"_qs);
        }
    }
    if (!second) {
        // A settlement of the lire years without its result row: show it, adding the row.
        nextKey(
            db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES (1, "_qs +
                sqlParam(found) + u", "_qs + sqlParam(idUser) + u", "_qs + sqlParam(QDateTime::currentDateTime()) +
                u", 2)"_qs);
        return {};
    }
    QString text;
    if (c.index == 0)
        text = u"La liquidazione IVA annuale per l'attività selezionata è stata già effettuata."_qs;
    else if (c.year < 2000 || !c.advance || storedMethod == method)
        text = u"La liquidazione IVA per il mese selezionato è stata già effettuata."_qs;
    else
        text =
            u"La liquidazione IVA per il mese selezionato è stata già elaborata con un metodo di calcolo dell'acconto differente."_qs +
            CR +
            u"Se si vuole elaborare la liquidazione con un metodo di calcolo differente è necessario prima eliminare quella esistente."_qs;
    return offerExisting(db, idUser, found, text);
}

// The lire years: the months saved in a row from the first period on; the month the walk
// reached.
int lireMonthsInARow(Connection &db, const Wanted &c)
{
    const int stepMonths = c.monthly ? 1 : 3;
    int expected = c.monthly ? 1 : 3;
    Recordset rs = db.openRecordset(
        u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva,RisultatoLiquidazioneIva.IDMese FROM RisultatoLiquidazioneIva INNER JOIN RisultatoLiquidazioneIvaXTipo ON RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva WHERE IDAttivitaAzienda = "_qs +
        c.A + u" AND IDPeriodoIva = "_qs + c.Y + u" AND "_qs +
        RowState::equals(RowState::Live, u"RisultatoLiquidazioneIva"_qs) +
        u" AND RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva = 1 ORDER BY IDMese"_qs);
    // Rows without a month (annual, advance) neither advance nor stop the walk, so
    // both engines walk alike whatever their place of NULLs in the order.
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.isNull(u"IDMese"_qs))
            continue;
        if (rs.integer(u"IDMese"_qs) != expected)
            break;
        expected = std::min(expected + stepMonths, 12);
    }
    return expected;
}

// The previous period is settled, or the user is asked whether to go on all the same: the
// question, none when settled. `previousMonth` is the month of the period before (12 before
// the year); `wanted` the month of the period.
std::optional<Question> previousUnsettled(Connection &db, const Wanted &c, int previousMonth, int wanted)
{
    const QString goOn = CR + u"Si desidera proseguire?"_qs;
    const QString singular =
        u"La liquidazione IVA non è stata effettuata per il periodo antecedente a quello selezionato."_qs;
    if (c.year >= 2000) {
        if (c.index == 1)
            return std::nullopt;
        const bool previous =
            !db.scalar(
                   u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva,RisultatoLiquidazioneIva.IDMese FROM RisultatoLiquidazioneIva WHERE "_qs +
                   (u"IDMese = "_qs + sqlParam(previousMonth)) + u" AND IDAttivitaAzienda = "_qs + c.A +
                   u" AND IDPeriodoIva = "_qs + c.Y + u" AND "_qs + RowState::equals(RowState::Live))
                 .isNull();
        return previous ? std::nullopt : std::optional<Question>(Question{singular + goOn});
    }
    const int expected = lireMonthsInARow(db, c);
    if (c.index == 1 && expected == (c.monthly ? 1 : 3))
        return std::nullopt; // the first period
    if (c.index == 0)
        return expected == 12 ? std::nullopt
                              : std::optional<Question>(Question{
                                    u"La liquidazione IVA non è stata effettuata per i periodi antecedenti a quello "
                                    u"selezionato."_qs +
                                    goOn});
    return expected == wanted ? std::nullopt : std::optional<Question>(Question{singular + goOn});
}

// The activity's ceasing date as stored; null while it runs.
QVariant ceasingDate(Connection &db, const Wanted &c)
{
    Recordset rs = db.openRecordset(u"SELECT DataCessazione FROM AttivitaAzienda WHERE IDAttivitaAzienda = "_qs + c.A +
                                    u" AND NOT DataCessazione IS NULL"_qs);
    return rs.eof() ? QVariant() : rs.field(u"DataCessazione"_qs);
}

// The activity ceased (on `v`) before the period (before the year, for the annual settlement).
bool ceasedBefore(const QVariant &v, const Wanted &c, int month, bool quarterly)
{
    if (v.isNull())
        return false;
    QDate ceased = v.toDate();
    if (!ceased.isValid())
        ceased = QDate::fromString(v.toString().left(10), Qt::ISODate);
    if (!ceased.isValid())
        return false;
    const QDate last = ceased.addDays(-1);
    const int cy = last.year();
    int cm = last.month();
    if (cy <= 0 || cm <= 0 || cy > c.year)
        return false;
    if (quarterly)
        cm = ((cm - 1) / 3 + 1) * 3;
    return c.index == 0 ? cy < c.year : QDate(cy, cm, 1) < QDate(c.year, month, 1);
}

} // namespace

NewSettlement::Validation NewSettlement::fnValidate(int a, int y, int i, int method)
{
    Validation v{a, y, i, method, {}, 0, {}};
    Wanted c;
    c.A = sqlParam(a);
    c.Y = sqlParam(y);
    const Known *known = knownOf(a, y);
    c.year = known ? known->anno : m_db.scalar(u"SELECT Anno FROM PeriodoIva WHERE IDPeriodoIva = "_qs + c.Y).toInt();
    c.P = periodCondition(i);
    c.index = i;
    c.monthly = monthlyList();
    c.advance = isAdvanceIndex(i);

    // 1. A settlement of this period exists already (also another user's working row).
    if (const int found = existingSettlement(m_db, c); found > 0) {
        v.existing = found;
        v.questions = existingToShow(m_db, m_idUser, found, c, method);
        return v;
    }

    // 2. The previous period should be settled; the user may go on all the same.
    int previousMonth = 12;
    if (i == decemberIndex() || i == advanceIndex())
        previousMonth = c.monthly ? 11 : 9;
    else if (i != 0)
        previousMonth = c.monthly ? i - 1 : (i - 1) * 3;
    if (const std::optional<Question> q = previousUnsettled(m_db, c, previousMonth, std::min(monthOfIndex(i), 12)))
        v.questions << *q;

    // 3. Activity and year belong together (known: the caller read the activity from there).
    if (!known && m_db.scalar(u"SELECT IDAttivitaAziendaPerPeriodoIva FROM AttivitaAziendaPerPeriodoIva WHERE "
                              u"IDAttivitaAzienda = "_qs +
                              c.A + u" AND IDPeriodoIva = "_qs + c.Y + u" AND VirtualDelete = 0"_qs)
                      .isNull())
        v.refusal = u"Il periodo I.V.A. e l'attività azienda selezionati non corrispondono."_qs;
    // 4. A ceased activity.
    else if (ceasedBefore(known ? known->dataCessazione : ceasingDate(m_db, c), c, std::min(monthOfIndex(i), 12),
                          m_quarterly))
        v.refusal = u"L'attività azienda selezionata risulta cessata per il periodo I.V.A. indicato."_qs;
    return v;
}

bool NewSettlement::accept(const Validation &check, bool answeredYes)
{
    if (check.existing > 0) {
        m_currentKey = answeredYes ? check.existing : 0;
        return false;
    }
    m_currentKey = 0;
    if (!answeredYes)
        return false;
    if (!check.refusal.isEmpty())
        throw Refusal(check.refusal);
    return true;
}

QString NewSettlement::msgCreatedElsewhere()
{
    return u"La liquidazione IVA di questo periodo è stata appena creata in un'altra finestra o da un altro comando "
           u"dello stesso utente: sceglierla di nuovo per visionarla."_qs;
}

QString NewSettlement::msgCreatedMeanwhile()
{
    return u"Un altro utente ha appena creato la liquidazione IVA di questo periodo: sceglierla di nuovo per "
           u"visionarla."_qs;
}

int NewSettlement::createWorkingSettlement(int a, int y, int i, int method)
{
    SqlStatement mese = u"NULL"_qs, acconto = u"0"_qs, metodo = u"NULL"_qs;
    if (i == advanceIndex()) {
        acconto = u"1"_qs;
        metodo = sqlParam(method);
    } else if (i == decemberIndex()) {
        mese = u"12"_qs;
    } else if (i > 0) {
        mese = sqlParam(monthOfIndex(i));
    }
    const SqlStatement now = sqlParam(QVariant::fromValue(SqlTimestamp{QDateTime::currentDateTime()}));
    // A transaction of its own, or the caller's (which commits or rolls back the whole).
    std::optional<Transaction> tx;
    if (m_db.transactionDepth() == 0)
        tx.emplace(m_db);
    // The activity's year is ours until the commit: of two users creating the same period at
    // once, the second finds the first one's row and is told so.
    m_db.execute(
        u"UPDATE AttivitaAziendaPerPeriodoIva SET IDAttivitaAzienda = IDAttivitaAzienda WHERE IDAttivitaAzienda = "_qs +
        sqlParam(a) + u" AND IDPeriodoIva = "_qs + sqlParam(y));
    {
        Recordset rs = m_db.openRecordset(u"SELECT IDRisultatoLiquidazioneIva, IDUtenteUltimaVariazione FROM "
                                          u"RisultatoLiquidazioneIva WHERE IDAttivitaAzienda = "_qs +
                                          sqlParam(a) + u" AND IDPeriodoIva = "_qs + sqlParam(y) + u" AND "_qs +
                                          RowState::liveOrWorking() + u" AND "_qs + periodCondition(i));
        if (!rs.eof()) {
            // Said as it happened: the same user's other window or command, or another user.
            const bool sameUser = rs.integer(u"IDUtenteUltimaVariazione"_qs) == m_idUser;
            // Refused, not shown here: the transaction rolls back before anyone reads it.
            throw Refusal(sameUser ? msgCreatedElsewhere() : msgCreatedMeanwhile());
        }
    }
    const int key = nextKey(
        m_db, u"RisultatoLiquidazioneIva"_qs, u"IDRisultatoLiquidazioneIva"_qs,
        u"INSERT INTO RisultatoLiquidazioneIva (IDMese, AccontoIva, MetodoCalcoloAccontoIva, IDAttivitaAzienda, IDPeriodoIva, DataUltimaVariazione, IDUtenteUltimaVariazione, VirtualDelete) VALUES ("_qs +
            mese + u", "_qs + acconto + u", "_qs + metodo + u", "_qs + sqlParam(a) + u", "_qs + sqlParam(y) + u", "_qs +
            now + u", "_qs + sqlParam(m_idUser) + u", 2)"_qs);
    nextKey(
        m_db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
        u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES (1, "_qs +
            sqlParam(key) + u", "_qs + sqlParam(m_idUser) + u", "_qs + now + u", 2)"_qs);
    if (m_onCreated)
        m_onCreated(key);
    if (tx)
        tx->commit();
    m_currentKey = key;
    return key;
}

int NewSettlement::confirm(const Validation &check, bool answeredYes, bool noMakeDatiIva,
                           const std::function<void()> &beforeWrite)
{
    m_makeDatiIva = !noMakeDatiIva;
    if (!accept(check, answeredYes))
        return m_currentKey >= 1 ? 1 : 2;
    if (beforeWrite)
        beforeWrite();
    return createWorkingSettlement(check.idAttivitaAzienda, check.idPeriodoIva, check.index, check.method) > 0 ? 1 : 2;
}

NewSettlement::Answered NewSettlement::askValidation(MessageService &messages, int idAttivitaAzienda, int idPeriodoIva,
                                                     int index, int method)
{
    Answered a{fnValidate(idAttivitaAzienda, idPeriodoIva, index, method)};
    a.yes = askEach(messages, a.check.questions);
    return a;
}

int NewSettlement::confirmAsking(MessageService &messages, int idAttivitaAzienda, int idPeriodoIva, int index,
                                 int method, bool noMakeDatiIva, const std::function<void()> &beforeWrite)
{
    const Answered a = askValidation(messages, idAttivitaAzienda, idPeriodoIva, index, method);
    return confirm(a.check, a.yes, noMakeDatiIva, beforeWrite);
}

} // namespace liqiva
