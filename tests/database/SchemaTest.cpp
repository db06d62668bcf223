#include "database/Schema.h"
#include "database/Connection.h"
#include "database/DbError.h"
#include "database/SqlValue.h"
#include "support/TestDatabase.h"

#include <QSet>
#include <map>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// ---------------------------------------------------------------------------------------
// The script reader and the type mapping, without a database.

TEST(SchemaScript, SplitsStatementsAtSemicolonsThatEndALine)
{
    struct {
        const char *text;
        QStringList expected;
    } cases[] = {
        {"CREATE TABLE A (IDA KEY);\nCREATE TABLE B (IDB KEY);\n",
         {u"CREATE TABLE A (IDA KEY)"_qs, u"CREATE TABLE B (IDB KEY)"_qs}},
        // comment lines vanish, also inside a statement
        {"-- heading; with a semicolon;\nCREATE TABLE A (\n    -- the key;\n    IDA KEY\n);\n",
         {u"CREATE TABLE A (\n    IDA KEY\n)"_qs}},
        // a semicolon inside a line does not end the statement
        {"INSERT INTO M (IDM, M) VALUES (1, 'a;b');\n", {u"INSERT INTO M (IDM, M) VALUES (1, 'a;b')"_qs}},
        // trailing blanks after the semicolon, a last statement without one
        {"SELECT 1;   \r\nSELECT 2", {u"SELECT 1"_qs, u"SELECT 2"_qs}},
        {"\n\n-- only comments\n", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitSchemaScript(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(SchemaScript, MapsTheTypeWordsToEachEngine)
{
    const QString portable =
        u"CREATE TABLE IF NOT EXISTS T (IDT KEY, Nome TEXT(20) NOT NULL, Importo MONEY DEFAULT -1, "
        "Perc DOUBLE, Flag BOOL DEFAULT 0, Anno SHORT, Chiave LONG, Note MEMO, Data DATETIME, ROWSTATE)"_qs;
    const QString sqlite =
        u"CREATE TABLE IF NOT EXISTS T (\n    IDT INTEGER NOT NULL PRIMARY KEY,\n    Nome VARCHAR(20) NOT NULL,\n"
        "    Importo TEXT COLLATE IMPORTO DEFAULT -1,\n    Perc REAL,\n    Flag SMALLINT DEFAULT 0,\n    Anno "
        "SMALLINT,\n"
        "    Chiave INTEGER,\n    Note TEXT,\n    Data TEXT,\n    VirtualDelete SMALLINT NOT NULL DEFAULT 0,\n"
        "    DataUltimaVariazione TEXT,\n    IDUtenteUltimaVariazione INTEGER\n)"_qs;
    const QString postgres =
        u"CREATE TABLE IF NOT EXISTS T (\n    IDT INTEGER NOT NULL PRIMARY KEY,\n    Nome VARCHAR(20) NOT NULL,\n"
        "    Importo NUMERIC(19,4) DEFAULT -1,\n    Perc DOUBLE PRECISION,\n    Flag SMALLINT DEFAULT 0,\n"
        "    Anno SMALLINT,\n    Chiave INTEGER,\n    Note TEXT,\n    Data TIMESTAMP,\n"
        "    VirtualDelete SMALLINT NOT NULL DEFAULT 0,\n    DataUltimaVariazione TIMESTAMP,\n"
        "    IDUtenteUltimaVariazione INTEGER\n)"_qs;
    EXPECT_EQ(translateSchemaStatement(portable, Engine::Sqlite), sqlite);
    EXPECT_EQ(translateSchemaStatement(portable, Engine::Postgres), postgres);

    // A composite key stays a table constraint; the word KEY in it is not a type.
    EXPECT_EQ(
        translateSchemaStatement(u"create table X (A LONG NOT NULL, B LONG NOT NULL, PRIMARY KEY (A, B))"_qs,
                                 Engine::Postgres),
        u"CREATE TABLE IF NOT EXISTS X (\n    A INTEGER NOT NULL,\n    B INTEGER NOT NULL,\n    PRIMARY KEY (A, B)\n)"_qs);
    // Statements other than CREATE TABLE pass unchanged.
    const QString index = u"CREATE INDEX IF NOT EXISTS IX ON T (A, B)"_qs;
    EXPECT_EQ(translateSchemaStatement(index, Engine::Postgres), index);
}

TEST(SchemaScript, RefusesDefinitionsItCannotMapWithAClearMessage)
{
    struct {
        const char *statement;
        const char *expectedInMessage;
    } cases[] = {
        {"CREATE TABLE T (IDT KEY, Nome VARCHAR(20))", "VARCHAR"},
        {"CREATE TABLE T (IDT KEY, Nome TEXT)", "TEXT(n)"},
        {"CREATE TABLE T (Nome TEXT(20))", "non ha una chiave"},
        {"CREATE TABLE T (IDT KEY, IDU KEY)", "due chiavi"},
        {"CREATE TABLE T (IDT KEY, Nome TEXT(5), nome LONG)", "due volte"},
        {"CREATE TABLE T (A LONG, PRIMARY KEY (B))", "non e' una colonna"},
        {"CREATE TABLE T (IDT KEY", "parentesi"},
    };
    for (const auto &c : cases) {
        try {
            translateSchemaStatement(QString::fromUtf8(c.statement), Engine::Sqlite);
            ADD_FAILURE() << "accepted: " << c.statement;
        } catch (const DbError &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.expectedInMessage))) << e.message().toStdString();
        }
    }
}

const SchemaTable *findTable(const std::vector<SchemaTable> &tables, const QString &name)
{
    for (const SchemaTable &t : tables)
        if (t.name == name)
            return &t;
    return nullptr;
}

TEST(SchemaScript, DeclaresTheKeysAsTheProgramUsesThem)
{
    const auto tables = schemaTables();
    ASSERT_GT(tables.size(), 60u);
    struct {
        const char *table;
        QStringList key;
    } cases[] = {
        {"RisultatoLiquidazioneIva", {u"IDRisultatoLiquidazioneIva"_qs}},
        {"RisultatoLiquidazioneIvaXTipo", {u"IDRisultatoLiquidazioneIvaXTip"_qs}},
        {"ErroreNativoPerBaseDati", {u"IDBaseDati"_qs, u"IDErroreBrevanto"_qs}},
        {"AltreOperazioniPerAcconto", {u"IDRisultatoLiquidazioneIva"_qs, u"IDAltreOperazioniPerAcconto"_qs}},
        {"StampaTotaleRegistroIva", {u"IDUtente"_qs, u"IDOggetto"_qs, u"IDTipoOggetto"_qs, u"IDRiga"_qs}},
        {"ContatoreIva", {u"IDContatoreIva"_qs}},
        {"Mese", {u"IDMese"_qs}},
    };
    for (const auto &c : cases) {
        const SchemaTable *t = findTable(tables, QString::fromUtf8(c.table));
        ASSERT_NE(t, nullptr) << c.table;
        EXPECT_EQ(t->keyColumns, c.key) << c.table;
    }
    // A single key is always named ID + table; every table carries the row state.
    for (const SchemaTable &t : tables) {
        if (t.keyColumns.size() == 1 && t.name != u"RisultatoLiquidazioneIvaXTipo"_qs)
            EXPECT_EQ(t.keyColumns.first(), u"ID"_qs + t.name);
        EXPECT_TRUE(t.columns.contains(u"VirtualDelete"_qs)) << t.name.toStdString();
        EXPECT_TRUE(t.columns.contains(u"IDUtenteUltimaVariazione"_qs)) << t.name.toStdString();
    }
}

// Tables that the program's statements join without qualifying some columns: a column of
// the same name in both would make those statements ambiguous on both engines.
TEST(SchemaScript, JoinedTablesShareNoUnqualifiedColumn)
{
    const auto tables = schemaTables();
    struct {
        const char *a, *b;
        QStringList allowed; // columns the statements always qualify
    } cases[] = {
        {"ContatoreIva", "Iva", {u"IDIva"_qs}},
        {"RisultatoLiquidazioneIva", "RisultatoLiquidazioneIvaXTipo", {u"IDRisultatoLiquidazioneIva"_qs, u"IDCab"_qs}},
        {"ConfigurazioneDip", "Anagrafica", {}},
        {"Gestore", "TipoOggetto", {u"IDGestore"_qs}},
        {"Funzione", "TipoOggetto", {u"IDTipoOggetto"_qs}},
        {"Gestore", "Funzione", {}},
        {"AltreOperazioniPerAcconto", "Iva", {u"IDIva"_qs}},
        {"MovimentoCredito", "Credito", {u"IDCredito"_qs}},
        {"Abi", "Cab", {u"IDAbi"_qs}},
        {"CampoReportLiquidazioneIva", "AttivitaAziendaPerPeriodoIva", {}},
        {"NumerazionePerRegistro", "RegistroIva", {u"IDRegistroIva"_qs}},
    };
    const QStringList rowState = {u"VirtualDelete"_qs, u"DataUltimaVariazione"_qs, u"IDUtenteUltimaVariazione"_qs};
    for (const auto &c : cases) {
        const SchemaTable *a = findTable(tables, QString::fromUtf8(c.a));
        const SchemaTable *b = findTable(tables, QString::fromUtf8(c.b));
        ASSERT_TRUE(a && b) << c.a << " " << c.b;
        for (const QString &col : a->columns)
            if (!rowState.contains(col) && !c.allowed.contains(col))
                EXPECT_FALSE(b->columns.contains(col, Qt::CaseInsensitive))
                    << c.a << "/" << c.b << ": " << col.toStdString();
    }
}

// ---------------------------------------------------------------------------------------
// On both engines.

class Schema : public EngineTest {};

long long rowCount(Connection &db, const QString &table)
{
    return db.scalar(u"SELECT COUNT(*) FROM "_qs + table).toLongLong();
}

TEST_P(Schema, RunsTwiceWithoutDuplicatingReferenceRows)
{
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    createSchema(db);
    std::map<QString, long long> first;
    for (const SchemaTable &table : schemaTables())
        first[table.name] = rowCount(db, table.name);
    createSchema(db);
    for (const SchemaTable &table : schemaTables())
        EXPECT_EQ(rowCount(db, table.name), first[table.name]) << table.name.toStdString();
    EXPECT_EQ(first[u"Mese"_qs], 12);
    EXPECT_EQ(first[u"ErroreNativoPerBaseDati"_qs], 2);
    EXPECT_EQ(first[u"ContatoreIva"_qs], 0);
}

// A row can be inserted naming only its key: every other column is nullable or defaulted.
TEST_P(Schema, InsertNamingOnlyTheKeyWorksForEveryTable)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    for (const SchemaTable &table : schemaTables()) {
        QStringList values;
        for (int k = 0; k < table.keyColumns.size(); ++k)
            values << QString::number(900001 + k);
        db.executeRaw(u"INSERT INTO "_qs + table.name + u" ("_qs + table.keyColumns.join(u", "_qs) + u") VALUES ("_qs +
                      values.join(u", "_qs) + u")"_qs);
        EXPECT_EQ(db.scalar(u"SELECT VirtualDelete FROM "_qs + table.name + u" WHERE "_qs + table.keyColumns.first() +
                            u" = 900001"_qs)
                      .toInt(),
                  0)
            << table.name.toStdString();
    }
}

// Flags that the counter and settlement statements test with "= 0" / "<> 0" read 0 on a
// row that did not name them: a NULL would drop the row from both alternatives.
TEST_P(Schema, FlagsTestedAgainstZeroDefaultToZero)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    struct {
        const char *table, *column;
    } cases[] = {
        {"ContatoreIva", "RiportoSuChiusuraIVA"},
        {"ContatoreIva", "AcquistiSolaVentilazione"},
        {"ContatoreIva", "FatturaInRitardo"},
        {"ContatoreIva", "AccontoIva"},
        {"Iva", "EsclusaDallaCompensazioneIva"},
        {"Iva", "NoCalcoloProRata"},
        {"Iva", "NoRiportoInDichiarazione"},
        {"Iva", "IvaSuAcquistiInDetrazione"},
        {"AttivitaAziendaPerPeriodoIva", "TipoLiquidazioneIva"},
        {"AttivitaAziendaPerPeriodoIva", "CalcoloInteressi"},
        {"AttivitaAziendaPerPeriodoIva", "CreditoIvaAutotrasportatori"},
        {"AttivitaAziendaPerPeriodoIva", "AltriCreditiImposta"},
        {"PeriodoIva", "GestioneArt36"},
        {"RisultatoLiquidazioneIva", "AccontoIva"},
        {"MovimentoCredito", "Automatico"},
        {"NumerazionePerRegistro", "NumerazioneConStampa"},
    };
    int key = 70;
    for (const auto &c : cases) {
        const QString table = QString::fromUtf8(c.table);
        const QString id = QString::number(++key);
        db.executeRaw(u"INSERT INTO "_qs + table + u" (ID"_qs + table + u") VALUES ("_qs + id + u")"_qs);
        const QString where = u" WHERE ID"_qs + table + u" = "_qs + id;
        EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM "_qs + table + where + u" AND "_qs + QString::fromUtf8(c.column) +
                            u" = 0"_qs)
                      .toInt(),
                  1)
            << c.table << "." << c.column;
    }
}

// Columns read by name with the spellings the statements use.
TEST_P(Schema, ColumnsCarryTheirExactSpelling)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    const char *queries[] = {
        "SELECT TotAcquistMerciiImp, TotAltroAcquistiImp, TotVenditeInCorrDaVentImpReverse, "
        "TotVenditeComplessivoIvaSplit, "
        "Art34DPRn63372, IntLiquiAnnualiDovuti FROM CampoReportLiquidazioneIva",
        "SELECT IDRisultatoLiquidazioneIvaXTip, IDTipoRisultatoLiquidazioneIva, IDBancaPerAnagrafica, CodiceAzienda "
        "FROM RisultatoLiquidazioneIvaXTipo",
        "SELECT ContribuentiLiqTrim, ContribuentiLiqTrimestraleTrim, SoggettoRimborsoLiqIva7374, "
        "AcquistoBeniAmmortizzabiliLettCTrim, IDOggettoProRata, StampatoDefinitivo FROM RisultatoLiquidazioneIva",
        "SELECT VenditeInCorrDaVentilareImpReverse, PercRipCorrDaVentilare, IvaCorrispettivi FROM "
        "RigaReportLiquidazioneIva",
        "SELECT IDContoPDC_CostoIvaInd, IDContoPDC_StornoRecuperoIva, IDContoPDC_IvaAcquisti FROM ContoAutomatico",
        "SELECT Codice_IVA_1, Campo39 FROM StampaTotaleRegistroIva",
        "SELECT ImportoMinimoIvaLiquidazionePeriodica, ImportoMinimoIvaAcconto, ScorporoCorrispettiviGiornaliero, "
        "StampaCIC "
        "FROM ConfigurazioneContabile",
        "SELECT Abi.Cap, Abi.Abi, Abi.Banca, Cab.Cab, Cab.Dipendenza FROM Abi INNER JOIN Cab ON Abi.IDAbi = Cab.IDAbi",
        // the counter statements join ContatoreIva and Iva without qualifying most columns
        "SELECT ContatoreIva.IDIva, DescrizioneSuRegistroIVA, SUM(Imponibile) AS IMP, SUM(Importo) AS IVA FROM "
        "ContatoreIva, Iva "
        "WHERE AcquistiSolaVentilazione = 0 AND RiportoSuChiusuraIVA <> 0 AND ContatoreIva.IDIva = Iva.IDIva "
        "AND IDTipoContatoreIva = 1 AND Anno = 2024 AND IDMese = 3 AND AccontoIva = 0 AND FatturaInRitardo = 0 "
        "AND IDFiliale IN (SELECT IDFiliale FROM Filiale WHERE IDAttivitaAzienda = 1) "
        "GROUP BY ContatoreIva.IDIva, DescrizioneSuRegistroIVA",
        "SELECT Gestore.IDGestore, Gestore, Entita, Funzione,Funzione.IDTipoOggetto, TipoOggetto.Oggetto FROM Gestore, "
        "TipoOggetto, "
        "Funzione WHERE Funzione.IDFunzione = 90 AND Funzione.IDTipoOggetto = TipoOggetto.IDTipoOggetto "
        "AND TipoOggetto.IDGestore = Gestore.IDGestore",
        "SELECT IDAnagraficaRappresentante, IDCodiceCarica, CodiceFiscale FROM ConfigurazioneDip LEFT JOIN Anagrafica "
        "ON ConfigurazioneDip.IDAnagraficaRappresentante = Anagrafica.IDAnagrafica WHERE IDAzienda = 1",
    };
    for (const char *q : queries)
        EXPECT_NO_THROW(db.openRecordset(QString::fromUtf8(q))) << q;
}

TEST_P(Schema, ReferenceRowsAreThereForTheStartUpAndTheErrors)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();

    QStringList months;
    for (Recordset rs = db.openRecordset(u"SELECT Mese FROM Mese ORDER BY IDMese"_qs); !rs.eof(); rs.moveNext())
        months << rs.text(u"Mese"_qs);
    EXPECT_EQ(months.first(), u"Gennaio"_qs);
    EXPECT_EQ(months.last(), u"Dicembre"_qs);
    EXPECT_EQ(months.size(), 12);

    // The native error of the duplicate key, read as the key reservation reads it.
    for (int engineType : {1, 2}) {
        const QVariant native = db.scalar(
            u"SELECT ErroreNativoPerBaseDati.ErroreNativo FROM ErroreBrevanto INNER JOIN (BaseDati INNER JOIN "
            u"ErroreNativoPerBaseDati "
            "ON BaseDati.IDBaseDati = ErroreNativoPerBaseDati.IDBaseDati) ON ErroreBrevanto.IDErroreBrevanto = "
            "ErroreNativoPerBaseDati.IDErroreBrevanto WHERE BaseDati.IDBaseDati = "_qs +
            QString::number(engineType) + u" AND ErroreBrevanto.IDErroreBrevanto = 1"_qs);
        EXPECT_EQ(native.toInt(), engineType == 1 ? 1555 : 23505);
    }

    // The settlement function: its object type and help context, and process 59.
    Recordset f = db.openRecordset(
        u"SELECT Funzione.IDTipoOggetto, TipoOggetto.ContextHelpID FROM Funzione INNER JOIN TipoOggetto "
        "ON Funzione.IDTipoOggetto = TipoOggetto.IDTipoOggetto WHERE Funzione.IDFunzione = 1"_qs);
    ASSERT_FALSE(f.eof());
    EXPECT_EQ(f.integer(u"IDTipoOggetto"_qs), 200);
    EXPECT_GT(f.integer(u"ContextHelpID"_qs), 0);
    EXPECT_EQ(
        db.scalar(u"SELECT IDProcesso FROM ProcessoPerFunzione WHERE IDFunzione = 1 ORDER BY Sequenza"_qs).toInt(), 59);

    // The object types the start-up registers, and the launched functions' executables.
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM TipoOggetto WHERE IDTipoOggetto IN (16, 19, 148, 123, 20, 227, 304)"_qs)
                  .toInt(),
              7);
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM Funzione WHERE IDFunzione IN (90, 196, 199, 200, 306)"_qs).toInt(), 5);
    EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM CausaleCredito WHERE IDTipoCreditoIVA IN (1, 2)"_qs).toInt(),
              rowCount(db, u"CausaleCredito"_qs));
    EXPECT_EQ(rowCount(db, u"TipoContatoreIva"_qs), 15);
}

// Amounts, percentages and dates keep their values on both engines.
TEST_P(Schema, StoresAmountsAndDatesFaithfully)
{
    auto t = TestDatabase::create(engine(), Content::Schema);
    Connection &db = t->db();
    const double amounts[] = {1234567.89, -0.01, 0.005, 99999999999.99, 0.0};
    int key = 1;
    for (double a : amounts) {
        db.executeRaw(u"INSERT INTO ContatoreIva (IDContatoreIva, Imponibile) VALUES (?, ?)"_qs,
                      {sqlValue(key++), sqlValue(a)});
        const double back =
            db.scalar(u"SELECT Imponibile FROM ContatoreIva WHERE IDContatoreIva = ?"_qs, {sqlValue(key - 1)})
                .toDouble();
        EXPECT_NEAR(back, a, 1e-6) << a;
    }
    EXPECT_NEAR(db.scalar(u"SELECT SUM(Imponibile) FROM ContatoreIva"_qs).toDouble(),
                1234567.89 - 0.01 + 0.005 + 99999999999.99, 1e-3);

    // A cessation date compares as a date, earlier and later than the neighbouring days.
    db.executeRaw(u"INSERT INTO AttivitaAzienda (IDAttivitaAzienda, DataCessazione) VALUES (1, ?)"_qs,
                  {QDate(2024, 4, 1)});
    const QString count = u"SELECT COUNT(*) FROM AttivitaAzienda WHERE DataCessazione "_qs;
    EXPECT_EQ(db.scalar(count + u"< "_qs + sqlParam(QDate(2024, 4, 2))).toInt(), 1);
    EXPECT_EQ(db.scalar(count + u"> "_qs + sqlParam(QDate(2024, 3, 31))).toInt(), 1);
    EXPECT_EQ(db.scalar(count + u"< "_qs + sqlParam(QDate(2024, 4, 1))).toInt(), 0);
}

// A database made by an earlier version gets the columns it lacks and, on SQLite, its
// amounts kept as binary doubles become exact decimals; its rows stay, the indexes too.
TEST_P(Schema, AddsMissingColumnsToAnExistingTable)
{
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Iva (IDIva INTEGER NOT NULL PRIMARY KEY, Iva VARCHAR(10))"_qs);
    db.executeRaw(u"INSERT INTO Iva (IDIva, Iva) VALUES (22, '22')"_qs);
    db.executeRaw(engine() == Engine::Sqlite
                      ? u"CREATE TABLE ContatoreIva (IDContatoreIva INTEGER NOT NULL PRIMARY KEY, Imponibile REAL, "
                        u"Importo REAL, Anno SMALLINT)"_qs
                      : u"CREATE TABLE ContatoreIva (IDContatoreIva INTEGER NOT NULL PRIMARY KEY, "
                        u"Imponibile NUMERIC(19,4), Importo NUMERIC(19,4), Anno SMALLINT)"_qs);
    const char *const before[] = {"1234.56", "0.1 + 0.2", "-0.01", "100", "NULL"};
    for (int k = 0; k < 5; ++k)
        db.executeRaw(QStringLiteral("INSERT INTO ContatoreIva (IDContatoreIva, Imponibile, Importo, Anno) "
                                     "VALUES (%1, %2, %2, 2024)")
                          .arg(k + 1)
                          .arg(QLatin1String(before[k])));
    createSchema(db);
    auto decimal = [](const QVariant &v) { // "0.3000" -> "0.3"
        QString s = v.toString();
        while (s.contains(u'.') && (s.endsWith(u'0') || s.endsWith(u'.')))
            s.chop(1);
        return s;
    };
    QStringList after;
    for (Recordset c = db.openRecordset(u"SELECT Imponibile FROM ContatoreIva WHERE Anno = 2024 AND "
                                        u"Importo IS NOT NULL ORDER BY Importo"_qs);
         !c.eof(); c.moveNext())
        after << decimal(c.field(0));
    EXPECT_EQ(after.join(u' ').toStdString(), "-0.01 0.3 100 1234.56");
    EXPECT_EQ(decimal(db.scalar(u"SELECT SUM(Importo) FROM ContatoreIva"_qs)), u"1334.85"_qs);
    if (engine() == Engine::Sqlite)
        EXPECT_EQ(db.scalar(u"SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'ContatoreIva'"_qs)
                      .toInt(),
                  2);
    Recordset rs =
        db.openRecordset(u"SELECT Iva, AliquotaIva, NoCalcoloProRata, VirtualDelete FROM Iva WHERE IDIva = 22"_qs);
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.text(u"Iva"_qs), u"22"_qs);
    EXPECT_TRUE(rs.isNull(u"AliquotaIva"_qs));
    EXPECT_EQ(rs.integer(u"NoCalcoloProRata"_qs), 0);
    EXPECT_EQ(rs.integer(u"VirtualDelete"_qs), 0);
}

// A table of the same name with another key is not ours: the schema stops with a message
// naming it, and nothing of the run remains.
TEST_P(Schema, StopsWithoutChangesOnAForeignTable)
{
    auto t = TestDatabase::create(engine(), Content::Empty);
    Connection &db = t->db();
    db.executeRaw(u"CREATE TABLE Mese (Codice INTEGER)"_qs);
    try {
        createSchema(db);
        FAIL() << "a foreign Mese table was accepted";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(u"Mese"_qs)) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(u"IDMese"_qs)) << e.message().toStdString();
    }
    EXPECT_THROW(db.scalar(u"SELECT COUNT(*) FROM PeriodoIva"_qs), DbError); // created earlier in the run, rolled back
    EXPECT_EQ(rowCount(db, u"Mese"_qs), 0);
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(Schema);

} // namespace
