// A company of one's own, set up and settled through liqiva on both engines: the set-up file,
// its refusals (each naming its field, none writing anything), two people at once, a process
// killed half-way, and the year opened from the one before.

#include "CompanyFile.h"
#include "suite/Money.h"
#include "suite/VatNumbers.h"
#include "support/InvoiceFiles.h"
#include "support/LiqivaRun.h"
#include "support/TestDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QThread>

using namespace liqiva;
using namespace liqiva::test;

TEST(VatNumbers, CheckDigitsOfRealFormatNumbers)
{
    using Check = std::optional<QString> (*)(const QString &);
    const Check vat = partitaIvaProblem, tax = codiceFiscaleProblem;
    const struct {
        Check check;
        const char *text;
        const char *problem; // nullptr: valid; otherwise a part of the reason
    } cases[] = {
        {vat, "00488410010", nullptr},
        {vat, "00001234566", nullptr},                            // the demo company
        {vat, "00001234561", "la cifra di controllo è 6, non 1"}, // the demo company before
        {vat, "IT00488410010", "non è di 11 cifre"},
        {vat, "", "manca"},
        {tax, "RSSMRA85T10A562S", nullptr},
        {tax, "RSSMRA85T10A5R2S", "il carattere di controllo è"}, // a homonym's letter for a digit
        {tax, "RSSMRA85T10A562T", "il carattere di controllo è S, non T"},
        {tax, "RSSMRA85Z10A562S", "la lettera del mese (Z)"},
        {tax, "RSSMRA85T10A562", "16 caratteri"},
        {tax, "00488410010", nullptr},
        {tax, "00488410011", "la cifra di controllo è 0, non 1"},
    };
    for (const auto &c : cases) {
        const auto problem = c.check(QString::fromUtf8(c.text));
        if (!c.problem)
            EXPECT_FALSE(problem) << c.text << ": " << problem->toStdString();
        else
            EXPECT_TRUE(problem && problem->contains(QString::fromUtf8(c.problem)))
                << c.text << ": " << (problem ? problem->toStdString() : "accepted");
    }
}

namespace {

// The tables a set-up writes, row by row, to see that a refused one changed nothing.
const QStringList &setupTables()
{
    static const QStringList tables =
        u"Anagrafica Azienda ConfigurazioneDip ConfigurazioneContabile Iva PeriodoIva AttivitaAzienda Filiale "
        u"CodiceAttivita ConfigurazioneGenerale AttivitaAziendaPerPeriodoIva AbilitaPerTipoOggettoPerUtente "
        u"RegistroIva NumerazionePerRegistro"_qs.split(u' ');
    return tables;
}

class CompanySetUp : public EngineTest {
protected:
    void SetUp() override
    {
        if (liqivaProgram().isEmpty())
            GTEST_SKIP() << "LIQIVA_BIN_DIR does not hold liqiva";
        t = TestDatabase::create(engine(), Content::Schema);
        t->db().execute(u"INSERT INTO Utente (IDUtente, Utente) VALUES (?, ?)"_qs, {1, u"mario"_qs});
    }

    QString writeFile(const QJsonObject &o, const QString &name = u"azienda.json"_qs)
    {
        const QString path = work.filePath(name);
        EXPECT_TRUE(test::writeFile(path, QJsonDocument(o).toJson()));
        return path;
    }

    LiqivaRun create(const QJsonObject &o)
    {
        return runLiqiva(
            {u"company"_qs, u"create"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--input"_qs, writeFile(o)},
            work.path());
    }

    QStringList snapshot()
    {
        QStringList rows;
        for (const QString &table : setupTables())
            rows << table + u' ' + t->db().scalar(u"SELECT COUNT(*) FROM "_qs + table).toString();
        return rows;
    }

    int count(const QString &sql, const SqlParams &params = {}) { return t->db().scalar(sql, params).toInt(); }

    // A company whole: its two activities, their branches and settings, its configuration
    // and register; or nothing of it at all.
    void expectWholeOrAbsent(const QString &vatNumber)
    {
        const QVariant company =
            t->db().scalar(u"SELECT Azienda.IDAzienda FROM Azienda INNER JOIN Anagrafica ON "
                           u"Azienda.IDAnagrafica = Anagrafica.IDAnagrafica WHERE PartitaIva = ?"_qs,
                           {vatNumber});
        if (company.isNull())
            return;
        const int c = company.toInt();
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM Filiale WHERE IDAzienda = ?"_qs, {c}), 2) << vatNumber.toStdString();
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM AttivitaAziendaPerPeriodoIva INNER JOIN AttivitaAzienda ON "
                        u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = AttivitaAzienda.IDAttivitaAzienda WHERE "
                        u"IDAzienda = ?"_qs,
                        {c}),
                  2);
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM ConfigurazioneGenerale WHERE IDAzienda = ?"_qs, {c}), 1);
        EXPECT_EQ(count(u"SELECT COUNT(*) FROM NumerazionePerRegistro WHERE IDAzienda = ?"_qs, {c}), 1);
    }

    std::unique_ptr<TestDatabase> t;
    QTemporaryDir work;
};

} // namespace

// The journey: a company set up from its file, a month settled on it, the next year opened.
TEST_P(CompanySetUp, ACompanyOfOnesOwnIsSettledAndItsYearOpened)
{
    const LiqivaRun made = create(companyFile());
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains(u"Azienda 1 creata"_qs)) << made.out.toStdString();

    // What the engine reads.
    Connection &db = t->db();
    EXPECT_EQ(db.scalar(u"SELECT PartitaIva FROM Anagrafica INNER JOIN Azienda ON Azienda.IDAnagrafica = "
                        u"Anagrafica.IDAnagrafica WHERE IDAzienda = 1"_qs)
                  .toString(),
              u"00743110157"_qs);
    EXPECT_EQ(db.scalar(u"SELECT Provincia FROM Anagrafica WHERE PartitaIva = ?"_qs, {u"00743110157"_qs}).toString(),
              u"MI"_qs);
    Recordset config = db.openRecordset(u"SELECT ImportoMinimoIvaLiquidazionePeriodica, ImportoMinimoIvaAcconto, "
                                        u"ImportoMinimoIvaAnnuale FROM ConfigurazioneContabile WHERE IDAzienda = 1"_qs);
    ASSERT_FALSE(config.eof());
    EXPECT_EQ(Money::fromVariant(config.field(0)), Money::fromRaw(1000000));
    EXPECT_EQ(Money::fromVariant(config.field(1)), Money::fromRaw(1032900));
    EXPECT_EQ(Money::fromVariant(config.field(2)), Money::fromRaw(103300));
    config = Recordset();
    EXPECT_EQ(db.scalar(u"SELECT Filiale FROM Filiale INNER JOIN ConfigurazioneGenerale ON Filiale.IDFiliale = "
                        u"ConfigurazioneGenerale.IDFilialePrevalente WHERE ConfigurazioneGenerale.IDAzienda = 1"_qs)
                  .toString(),
              u"Impianti elettrici"_qs);
    EXPECT_EQ(db.scalar(u"SELECT CodiceFiscale FROM Anagrafica INNER JOIN ConfigurazioneDip ON "
                        u"Anagrafica.IDAnagrafica = ConfigurazioneDip.IDAnagraficaRappresentante"_qs)
                  .toString(),
              u"RSSMRA85T10A562S"_qs);
    // activity: type, interest, pro-rata, its percentage, split receipts, ATECO code
    const struct {
        const char *activity;
        int type, interest, proRata, percent, split;
        const char *ateco;
    } settings[] = {{"Impianti elettrici", 0, 0, 0, 0, 0, "43.21.01"}, {"Negozio", 1, 1, 1, 90, 1, "47.52.10"}};
    const QString settingsSql =
        u"SELECT TipoLiquidazioneIva, CalcoloInteressi, GestioneProRata, PercentualeProRata, "
        u"VentilazioneCorrispettivi, "
        u"CodiceAttivita FROM (AttivitaAziendaPerPeriodoIva INNER JOIN AttivitaAzienda ON "
        u"AttivitaAziendaPerPeriodoIva.IDAttivitaAzienda = AttivitaAzienda.IDAttivitaAzienda) INNER JOIN "
        u"CodiceAttivita "
        u"ON AttivitaAziendaPerPeriodoIva.IDCodiceAttivita = CodiceAttivita.IDCodiceAttivita INNER JOIN PeriodoIva ON "
        u"AttivitaAziendaPerPeriodoIva.IDPeriodoIva = PeriodoIva.IDPeriodoIva WHERE AttivitaAzienda = ? AND Anno = ?"_qs;
    auto expectSettings = [&](int year) {
        for (const auto &s : settings) {
            Recordset rs = db.openRecordset(settingsSql, {QString::fromUtf8(s.activity), year});
            ASSERT_FALSE(rs.eof()) << s.activity << " " << year;
            EXPECT_EQ(rs.integer(u"TipoLiquidazioneIva"_qs), s.type) << s.activity;
            EXPECT_EQ(rs.integer(u"CalcoloInteressi"_qs), s.interest) << s.activity;
            EXPECT_EQ(rs.integer(u"GestioneProRata"_qs), s.proRata) << s.activity;
            EXPECT_EQ(Money::fromVariant(rs.field(u"PercentualeProRata"_qs)), Money::units(s.percent)) << s.activity;
            EXPECT_EQ(rs.integer(u"VentilazioneCorrispettivi"_qs), s.split) << s.activity;
            EXPECT_EQ(rs.text(u"CodiceAttivita"_qs), QString::fromUtf8(s.ateco)) << s.activity;
        }
    };
    expectSettings(2025);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM Iva WHERE Iva LIKE 'N%'"_qs), 21);

    // January: sales 1000 + 220 at 22%, purchases 500 + 110, and a car's 1000 + 220 at 22%
    // deductible at 40%, whose VAT goes to the undeductible purchases.
    januaryCounters(db, {{1, 2, u"22"_qs, 1000, 220}, {2, 1, u"22"_qs, 500, 110}, {3, 1, u"22D40"_qs, 1000, 220}});
    const LiqivaRun settled = runLiqiva({u"settle"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--activity"_qs,
                                         u"1"_qs, u"--vat-year"_qs, u"2025"_qs, u"--period"_qs, u"1"_qs,
                                         u"--no-rebuild"_qs, u"--save"_qs, u"--yes"_qs, u"--json"_qs},
                                        work.path());
    ASSERT_EQ(settled.exitCode, 0) << settled.err.toStdString();
    const QJsonObject result = QJsonDocument::fromJson(settled.rawOut).object();
    EXPECT_EQ(result[u"closing"_qs][u"IvaDaVersare"_qs].toDouble(), 110.0);
    EXPECT_EQ(result[u"header"_qs][u"IvaAcquistiConIvaIndetraibile"_qs].toDouble(), 220.0);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva WHERE VirtualDelete = 0"_qs), 1);

    // The next year, with the settings of this one; once only, and only the next one.
    const QStringList open = {u"year"_qs,   u"open"_qs, u"--db"_qs,      t->url(),
                              u"--user"_qs, u"1"_qs,    u"--company"_qs, u"1"_qs};
    const LiqivaRun opened = runLiqiva(open + QStringList{u"--year"_qs, u"2026"_qs}, work.path());
    ASSERT_EQ(opened.exitCode, 0) << opened.err.toStdString();
    expectSettings(2026);
    const QStringList before = snapshot();
    const LiqivaRun again = runLiqiva(open + QStringList{u"--year"_qs, u"2026"_qs}, work.path());
    expectFailure(again, 1);
    EXPECT_TRUE(again.err.contains(u"è già aperto"_qs)) << again.err.toStdString();
    const LiqivaRun gap = runLiqiva(open + QStringList{u"--year"_qs, u"2028"_qs}, work.path());
    expectFailure(gap, 1);
    EXPECT_TRUE(gap.err.contains(u"L'anno IVA 2027 dell'azienda 1 non c'è"_qs)) << gap.err.toStdString();
    EXPECT_EQ(snapshot(), before);
}

// Each refusal names its field and writes nothing, also when the database fails half-way.
TEST_P(CompanySetUp, ARefusedSetUpNamesItsFieldAndWritesNothing)
{
    ASSERT_EQ(create(companyFile(u"00488410010"_qs)).exitCode, 0); // the database is not empty
    const QStringList before = snapshot();

    auto activity = [](const QJsonObject &o, int k, const QString &key, const QJsonValue &value) {
        QJsonArray list = o[u"activities"_qs].toArray();
        QJsonObject a = list[k].toObject();
        a[key] = value;
        list[k] = a;
        QJsonObject changed = o;
        changed[u"activities"_qs] = list;
        return changed;
    };
    auto with = [](QJsonObject o, const QString &key, const QJsonValue &value) {
        if (value.isUndefined())
            o.remove(key);
        else
            o[key] = value;
        return o;
    };
    const QJsonObject good = companyFile();
    QJsonObject address = good[u"address"_qs].toObject();
    address[u"postcode"_qs] = u"2012"_qs;
    const struct {
        const char *label;
        QJsonObject file;
        const char *expected;
    } cases[] = {
        {"wrong check digit", with(good, u"vatNumber"_qs, u"00743110158"_qs),
         "campo \"vatNumber\": la partita IVA 00743110158 non è valida: la cifra di controllo è 7, non 8"},
        {"a VAT number already used", with(good, u"vatNumber"_qs, u"00488410010"_qs),
         "campo \"vatNumber\": l'azienda 1 ha già la partita IVA 00488410010"},
        {"no declarant for a company", with(good, u"declarant"_qs, QJsonValue::Undefined),
         "campo \"declarant\": manca"},
        {"bad postcode", with(good, u"address"_qs, address), "campo \"address.postcode\""},
        {"bad ATECO code", activity(good, 1, u"ateco"_qs, u"47.5"_qs), "campo \"activities[2].ateco\""},
        {"a mistyped key", with(good, u"vatnumber"_qs, u"00743110157"_qs), "campo \"vatnumber\": campo sconosciuto"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        const LiqivaRun r = create(c.file);
        expectFailure(r, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.expected))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(u"Non è stato scritto nulla"_qs)) << r.err.toStdString();
        EXPECT_EQ(snapshot(), before);
    }

    // The database refuses the last row of the set-up: everything before it goes too.
    if (engine() == Engine::Sqlite) {
        t->db().executeRaw(u"CREATE TRIGGER refuse_register BEFORE INSERT ON NumerazionePerRegistro BEGIN "
                           u"SELECT RAISE(ABORT, 'registro rifiutato'); END"_qs);
    } else {
        t->db().executeRaw(u"CREATE FUNCTION refuse_register() RETURNS trigger AS $$ BEGIN "
                           u"RAISE EXCEPTION 'registro rifiutato'; END $$ LANGUAGE plpgsql"_qs);
        t->db().executeRaw(u"CREATE TRIGGER refuse_register BEFORE INSERT ON NumerazionePerRegistro "
                           u"FOR EACH ROW EXECUTE FUNCTION refuse_register()"_qs);
    }
    const LiqivaRun failed = create(good);
    expectFailure(failed, 1);
    EXPECT_EQ(snapshot(), before);
}

// Two people set up the same company at the same moment: one of them does, the other is
// told it is there. A set-up killed at a random moment leaves the company whole or absent.
TEST_P(CompanySetUp, TwoAtOnceAndOneKilled)
{
    const QString file = writeFile(companyFile(), u"same.json"_qs);
    auto start = [&](const QString &input) {
        auto p = std::make_unique<QProcess>();
        startLiqiva(*p,
                    {u"company"_qs, u"create"_qs, u"--db"_qs, t->url(), u"--user"_qs, u"1"_qs, u"--input"_qs, input},
                    work.path());
        return p;
    };
    auto first = start(file);
    auto second = start(file);
    ASSERT_TRUE(first->waitForFinished(120000));
    ASSERT_TRUE(second->waitForFinished(120000));
    const int done = (first->exitCode() == 0) + (second->exitCode() == 0);
    EXPECT_EQ(done, 1) << first->readAllStandardError().toStdString() << second->readAllStandardError().toStdString();
    const QString refusal =
        QString::fromUtf8(first->exitCode() ? first->readAllStandardError() : second->readAllStandardError());
    EXPECT_TRUE(refusal.contains(u"ha già la partita IVA 00743110157"_qs)) << refusal.toStdString();
    expectWholeOrAbsent(u"00743110157"_qs);
    EXPECT_EQ(count(u"SELECT COUNT(*) FROM Iva WHERE Iva = ?"_qs, {u"22"_qs}), 1);

    for (int round = 0; round < 3; ++round) {
        const QString number = QStringList{u"00488410010"_qs, u"07643520567"_qs, u"02313821007"_qs}[round];
        auto victim = start(writeFile(companyFile(number), QStringLiteral("kill%1.json").arg(round)));
        ASSERT_TRUE(victim->waitForStarted());
        QThread::msleep(QRandomGenerator::global()->bounded(20, 200));
        victim->kill();
        victim->waitForFinished();
        expectWholeOrAbsent(number);
        // whole: said so again; absent: made now
        const LiqivaRun after = create(companyFile(number));
        EXPECT_TRUE(after.exitCode == 0 || after.err.contains(u"ha già la partita IVA"_qs)) << after.err.toStdString();
        expectWholeOrAbsent(number);
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(CompanySetUp);
