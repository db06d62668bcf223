#include "domain/document/NewSettlement.h"

#include "database/Connection.h"
#include "database/KeyReservation.h"
#include "database/RowState.h"
#include "database/SqlValue.h"
#include "suite/Messages.h"

namespace liqiva {

namespace {
const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");

SqlStatement n(int value)
{
    return sqlParam(value);
}
} // namespace

NewSettlement::NewSettlement(Connection &db, MessageService &messages, int idAzienda, int idUser)
    : m_db(db), m_messages(messages), m_idAzienda(idAzienda), m_idUser(idUser)
{
}

std::vector<NewSettlement::Choice> NewSettlement::vatYears() const
{
    std::vector<Choice> out;
    Recordset rs = m_db.openRecordset(u"SELECT IDPeriodoIva, PeriodoIva FROM PeriodoIva WHERE  VirtualDelete = 0 AND IDAzienda = "_qs
                                      + n(m_idAzienda) + u" ORDER BY PeriodoIva DESC"_qs);
    for (; !rs.eof(); rs.moveNext())
        out.push_back({rs.integer(u"IDPeriodoIva"_qs), rs.text(u"PeriodoIva"_qs)});
    return out;
}

std::vector<NewSettlement::Choice> NewSettlement::activities() const
{
    std::vector<Choice> out;
    Recordset rs = m_db.openRecordset(u"SELECT IDAttivitaAzienda, AttivitaAzienda FROM AttivitaAzienda WHERE VirtualDelete = 0 AND IDAzienda = "_qs
                                      + n(m_idAzienda));
    for (; !rs.eof(); rs.moveNext())
        out.push_back({rs.integer(u"IDAttivitaAzienda"_qs), rs.text(u"AttivitaAzienda"_qs)});
    return out;
}

int NewSettlement::proposeYear() const
{
    const QVariant v = m_db.scalar(u"SELECT IDPeriodoIva FROM PeriodoIva WHERE VirtualDelete = 0 AND IDAzienda = "_qs
                                   + n(m_idAzienda)
                                   + u" AND Anno IN (SELECT MAX(Anno) FROM PeriodoIva WHERE VirtualDelete = 0 AND IDAzienda = "_qs
                                   + n(m_idAzienda) + u" )"_qs);
    return v.isNull() ? 0 : v.toInt();
}

int NewSettlement::prevailingBranchActivity() const
{
    const QVariant v = m_db.scalar(
        u"SELECT IDAttivitaAzienda FROM Filiale WHERE IDFiliale IN (SELECT IDFilialePrevalente FROM ConfigurazioneGenerale WHERE VirtualDelete = 0 AND IDAzienda = "_qs
        + n(m_idAzienda)
        + u") AND IDAttivitaAzienda IN (SELECT IDAttivitaAzienda FROM AttivitaAzienda WHERE VirtualDelete = 0 AND IDAzienda = "_qs
        + n(m_idAzienda) + u") AND VirtualDelete = 0"_qs);
    return v.isNull() ? 0 : v.toInt();
}

int NewSettlement::proposeActivity(int year) const
{
    const std::vector<Choice> list = activities();
    if (list.size() == 1)
        return list.front().key;
    int chosen = 0;
    if (!m_db.scalar(u"SELECT IDPeriodoIva FROM PeriodoIva WHERE GestioneArt36 = 0 AND IDPeriodoIva = "_qs + n(year)).isNull())
        chosen = prevailingBranchActivity();
    if (chosen == 0) {
        const SqlStatement y = n(year);
        Recordset rs = m_db.openRecordset(
            u"SELECT IDAttivitaAzienda FROM AttivitaAzienda WHERE IDAzienda = "_qs + n(m_idAzienda)
            + u" AND VirtualDelete = 0 AND IDAttivitaAzienda IN (SELECT IDAttivitaAzienda FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs
            + y
            + u" AND (IDMeseUltimaLiquidazione IN(SELECT MAX(IDMeseUltimaLiquidazione) FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs
            + y
            + u" AND TipoLiquidazioneIva = 0 AND IDMeseUltimaLiquidazione < 12 AND VirtualDelete = 0) OR IDMeseUltimaLiquidazione IN(SELECT MAX(IDMeseUltimaLiquidazione) FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs
            + y
            + u" AND TipoLiquidazioneIva = 1 AND (IDMeseUltimaLiquidazione = 3 OR IDMeseUltimaLiquidazione = 6 OR IDMeseUltimaLiquidazione = 9 OR IDMeseUltimaLiquidazione = 0 OR IDMeseUltimaLiquidazione = NULL) AND VirtualDelete = 0)))"_qs);
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
        u"SELECT IDMeseUltimaLiquidazione + 1 + (TipoLiquidazioneIva * 2) FROM AttivitaAziendaPerPeriodoIva WHERE IDPeriodoIva = "_qs
        + n(year) + u" AND IDAttivitaAzienda = "_qs + n(activity)
        + u" AND ((TipoLiquidazioneIva = 0 AND IDMeseUltimaLiquidazione < 12 AND VirtualDelete = 0) OR (TipoLiquidazioneIva = 1 AND (IDMeseUltimaLiquidazione = 3 OR IDMeseUltimaLiquidazione = 6 OR IDMeseUltimaLiquidazione = 9 OR IDMeseUltimaLiquidazione = 0 OR IDMeseUltimaLiquidazione = NULL))) AND VirtualDelete = 0"_qs);
    if (rs.eof())
        return -1;
    const int v = int(rs.number(0));
    return m_periods.size() > 6 ? v : v / 3;
}

int NewSettlement::tipoLiquidazione(int activity, int year) const
{
    const QVariant v = m_db.scalar(u"SELECT TipoLiquidazioneIva FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda = "_qs
                                   + n(activity) + u" AND IDPeriodoIva = "_qs + n(year) + u" AND "_qs + RowState::notCopy());
    return v.isNull() ? -1 : v.toInt();
}

int NewSettlement::sbSetComboMesi(int activity, int year, int currentIndex)
{
    const int tipo = tipoLiquidazione(activity, year);
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
    for (Recordset rs = m_db.openRecordset(monthsSql); !rs.eof(); rs.moveNext())
        m_periods << rs.text(u"Mese"_qs);
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
        return u"IDMese = "_qs + n(monthly ? i : i * 3);
    if (i == (monthly ? 13 : 5))
        return u"IDMese = 12"_qs;
    if (i == (monthly ? 12 : 4))
        return u"IDMese IS NULL AND AccontoIva <> 0"_qs;
    return u"IDMese IS NULL AND AccontoIva = 0"_qs;
}

bool NewSettlement::fnValidate(int a, int y, int i, int method)
{
    const bool monthly = monthlyList();
    const SqlStatement A = n(a), Y = n(y);
    const int year = m_db.scalar(u"SELECT Anno FROM PeriodoIva WHERE IDPeriodoIva = "_qs + Y).toInt();
    const SqlStatement P = periodCondition(i);

    // 1. A settlement of this period exists already (also another user's working row).
    int found = 0;
    {
        Recordset rs = m_db.openRecordset(u"SELECT IDRisultatoLiquidazioneIva,IDMese FROM RisultatoLiquidazioneIva WHERE IDAttivitaAzienda = "_qs
                                          + A + u" AND IDPeriodoIva = "_qs + Y
                                          + u" AND "_qs + RowState::liveOrWorking() + u" AND "_qs + P);
        if (!rs.eof())
            found = rs.integer(u"IDRisultatoLiquidazioneIva"_qs);
    }
    if (found > 0) {
        bool second = false;
        int storedMethod = 0;
        if (year < 2000) {
            second = !m_db.scalar(u"SELECT IDRisultatoLiquidazioneIvaXTip FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIva = "_qs
                                  + n(found) + u" AND IDTipoRisultatoLiquidazioneIva = 1"_qs)
                          .isNull();
        } else {
            Recordset rs = m_db.openRecordset(
                u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva,RisultatoLiquidazioneIva.IDMese,RisultatoLiquidazioneIva.MetodoCalcoloAccontoIva FROM RisultatoLiquidazioneIva WHERE "_qs
                + P + u" AND IDAttivitaAzienda = "_qs + A + u" AND IDPeriodoIva = "_qs + Y
                + u" AND "_qs + RowState::liveOrWorking());
            if (!rs.eof()) {
                second = true;
                storedMethod = rs.integer(u"MetodoCalcoloAccontoIva"_qs);
            }
        }
        if (second) {
            QString text;
            if (i == 0)
                text = u"La liquidazione IVA annuale per l'attività selezionata è stata già effettuata."_qs;
            else if (year < 2000 || !isAdvanceIndex(i) || storedMethod == method)
                text = u"La liquidazione IVA per il mese selezionato è stata già effettuata."_qs;
            else
                text = u"La liquidazione IVA per il mese selezionato è stata già elaborata con un metodo di calcolo dell'acconto differente."_qs
                    + CR
                    + u"Se si vuole elaborare la liquidazione con un metodo di calcolo differente è necessario prima eliminare quella esistente."_qs;
            text += CR + u"Si desidera visionare quella già esistente?"_qs;
            m_currentKey = 0;
            if (m_messages.askYesNo(text)) {
                m_currentKey = found;
                Recordset rs = m_db.openRecordset(
                    u"SELECT Utente.Utente FROM Utente INNER JOIN RisultatoLiquidazioneIva ON Utente.IDUtente = RisultatoLiquidazioneIva.IDUtenteUltimaVariazione WHERE RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva = "_qs
                    + n(found) + u" AND RisultatoLiquidazioneIva.IDUtenteUltimaVariazione <> "_qs + n(m_idUser));
                if (!rs.eof()) {
                    const QString other = rs.text(u"Utente"_qs);
                    rs.close();
                    if (!m_messages.askYesNo(u"La liquidazione IVA esistente che si è scelto di visionare è stata"_qs + CRLF
                                             + u"elaborata dall'utente '"_qs + other + u"'."_qs + CRLF
                                             + u"Si desidera visionare comunque tale liquidazione IVA?"_qs))
                        m_currentKey = 0;
                }
            }
        } else {
            // A settlement of the lire years without its result row: show it, adding the row.
            m_currentKey = found;
            nextKey(
                m_db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
                u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES (1, "_qs +
                    n(found) + u", "_qs + n(m_idUser) + u", "_qs + sqlParam(QDateTime::currentDateTime()) + u", 2)"_qs);
        }
        return false;
    }

    // 2. The previous period should be settled; the user may go on all the same.
    m_currentKey = 0;
    const QString goOn = CR + u"Si desidera proseguire?"_qs;
    const QString singular = u"La liquidazione IVA non è stata effettuata per il periodo antecedente a quello selezionato."_qs;
    if (year >= 2000) {
        if (i != 1) {
            SqlStatement Q;
            if (i == 0)
                Q = u"IDMese = 12"_qs;
            else if (i == decemberIndex() || i == advanceIndex())
                Q = monthly ? u"IDMese = 11"_qs : u"IDMese = 9"_qs;
            else
                Q = u"IDMese = "_qs + n(monthly ? i - 1 : (i - 1) * 3);
            const bool previous = !m_db.scalar(u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva,RisultatoLiquidazioneIva.IDMese FROM RisultatoLiquidazioneIva WHERE "_qs
                                               + Q + u" AND IDAttivitaAzienda = "_qs + A + u" AND IDPeriodoIva = "_qs + Y
                                               + u" AND "_qs + RowState::equals(RowState::Live))
                                       .isNull();
            if (!previous && !m_messages.askYesNo(singular + goOn))
                return false;
        }
    } else {
        const int first = monthly ? 1 : 3;
        const int stepMonths = monthly ? 1 : 3;
        int expected = first;
        Recordset rs = m_db.openRecordset(
            u"SELECT RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva,RisultatoLiquidazioneIva.IDMese FROM RisultatoLiquidazioneIva INNER JOIN RisultatoLiquidazioneIvaXTipo ON RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva WHERE IDAttivitaAzienda = "_qs
            + A + u" AND IDPeriodoIva = "_qs + Y + u" AND "_qs + RowState::equals(RowState::Live, u"RisultatoLiquidazioneIva"_qs)
            + u" AND RisultatoLiquidazioneIvaXTipo.IDTipoRisultatoLiquidazioneIva = 1 ORDER BY IDMese"_qs);
        // Rows without a month (annual, advance) neither advance nor stop the walk, so
        // both engines walk alike whatever their place of NULLs in the order.
        for (; !rs.eof(); rs.moveNext()) {
            if (rs.isNull(u"IDMese"_qs))
                continue;
            if (rs.integer(u"IDMese"_qs) != expected)
                break;
            expected = std::min(expected + stepMonths, 12);
        }
        rs.close();
        const bool firstPeriod = i == 1 && expected == first;
        if (!firstPeriod) {
            if (i == 0) {
                if (expected != 12
                    && !m_messages.askYesNo(u"La liquidazione IVA non è stata effettuata per i periodi antecedenti a quello selezionato."_qs
                                            + goOn))
                    return false;
            } else {
                const int wanted = std::min(monthOfIndex(i), 12);
                if (expected != wanted && !m_messages.askYesNo(singular + goOn))
                    return false;
            }
        }
    }

    // 3. Activity and year belong together.
    if (m_db.scalar(u"SELECT IDAttivitaAziendaPerPeriodoIva FROM AttivitaAziendaPerPeriodoIva WHERE IDAttivitaAzienda = "_qs + A
                    + u" AND IDPeriodoIva = "_qs + Y + u" AND VirtualDelete = 0"_qs)
            .isNull()) {
        m_messages.inform(u"Il periodo I.V.A. e l'attività azienda selezionati non corrispondono."_qs);
        return false;
    }

    // 4. A ceased activity.
    {
        Recordset rs = m_db.openRecordset(u"SELECT DataCessazione FROM AttivitaAzienda WHERE IDAttivitaAzienda = "_qs + A
                                          + u" AND NOT DataCessazione IS NULL"_qs);
        if (!rs.eof()) {
            const QVariant v = rs.field(u"DataCessazione"_qs);
            QDate ceased = v.toDate();
            if (!ceased.isValid())
                ceased = QDate::fromString(v.toString().left(10), Qt::ISODate);
            if (ceased.isValid()) {
                const QDate last = ceased.addDays(-1);
                const int cy = last.year();
                int cm = last.month();
                if (cy > 0 && cm > 0 && cy <= year) {
                    if (m_quarterly)
                        cm = ((cm - 1) / 3 + 1) * 3;
                    const int m = std::min(monthOfIndex(i), 12);
                    const bool isCeased = i == 0 ? cy < year : QDate(cy, cm, 1) < QDate(year, m, 1);
                    if (isCeased) {
                        m_messages.inform(u"L'attività azienda selezionata risulta cessata per il periodo I.V.A. indicato."_qs);
                        return false;
                    }
                }
            }
        }
    }
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
        metodo = n(method);
    } else if (i == decemberIndex()) {
        mese = u"12"_qs;
    } else if (i > 0) {
        mese = n(monthOfIndex(i));
    }
    const SqlStatement now = sqlParam(QVariant::fromValue(SqlTimestamp{QDateTime::currentDateTime()}));
    Transaction tx(m_db);
    // The activity's year is ours until the commit: of two users creating the same period at
    // once, the second finds the first one's row and is told so.
    m_db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET IDAttivitaAzienda = IDAttivitaAzienda WHERE IDAttivitaAzienda = "_qs
                 + n(a) + u" AND IDPeriodoIva = "_qs + n(y));
    {
        Recordset rs = m_db.openRecordset(u"SELECT IDRisultatoLiquidazioneIva, IDUtenteUltimaVariazione FROM "
                                          u"RisultatoLiquidazioneIva WHERE IDAttivitaAzienda = "_qs
                                          + n(a) + u" AND IDPeriodoIva = "_qs + n(y) + u" AND "_qs
                                          + RowState::liveOrWorking() + u" AND "_qs + periodCondition(i));
        if (!rs.eof()) {
            // Said as it happened: the same user's other window or command, or another user.
            const bool sameUser = rs.integer(u"IDUtenteUltimaVariazione"_qs) == m_idUser;
            rs.close();
            m_messages.inform(sameUser ? msgCreatedElsewhere() : msgCreatedMeanwhile());
            return 0;
        }
    }
    const int key = nextKey(m_db, u"RisultatoLiquidazioneIva"_qs, u"IDRisultatoLiquidazioneIva"_qs,
                            u"INSERT INTO RisultatoLiquidazioneIva (IDMese, AccontoIva, MetodoCalcoloAccontoIva, IDAttivitaAzienda, IDPeriodoIva, DataUltimaVariazione, IDUtenteUltimaVariazione, VirtualDelete) VALUES ("_qs
                                + mese + u", "_qs + acconto + u", "_qs + metodo + u", "_qs + n(a) + u", "_qs + n(y)
                                + u", "_qs + now + u", "_qs + n(m_idUser) + u", 2)"_qs);
    nextKey(m_db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, IDUtenteUltimaVariazione, DataUltimaVariazione, VirtualDelete) VALUES (1, "_qs
                + n(key) + u", "_qs + n(m_idUser) + u", "_qs + now + u", 2)"_qs);
    if (m_onCreated)
        m_onCreated(key);
    tx.commit();
    m_currentKey = key;
    return key;
}

int NewSettlement::confirm(int a, int y, int i, int method, bool noMakeDatiIva)
{
    m_makeDatiIva = !noMakeDatiIva;
    if (fnValidate(a, y, i, method))
        return createWorkingSettlement(a, y, i, method) > 0 ? 1 : 2;
    return m_currentKey >= 1 ? 1 : 2;
}

} // namespace liqiva
