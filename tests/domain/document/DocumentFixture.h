#pragma once

#include "database/Connection.h"
#include "database/SqlValue.h"
#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "support/Answering.h"
#include "support/EngineFixture.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

namespace liqiva::test {

// A small company for the document tests: company 1 with users 1 "anna" and 2 "bruno",
// VAT years 10 (2024) and 5 (1999), a monthly activity 1 (branch 1, the prevailing one)
// and a quarterly activity 2 (branch 2).
inline void addSmallCompany(Connection &db)
{
    const char *rows[] = {
        "INSERT INTO Azienda (IDAzienda, Azienda) VALUES (1, 'Rossi S.r.l.')",
        "INSERT INTO Utente (IDUtente, Utente) VALUES (1, 'anna')",
        "INSERT INTO Utente (IDUtente, Utente) VALUES (2, 'bruno')",
        "INSERT INTO PeriodoIva (IDPeriodoIva, IDAzienda, PeriodoIva, Anno) VALUES (10, 1, 'IVA 2024', 2024)",
        "INSERT INTO PeriodoIva (IDPeriodoIva, IDAzienda, PeriodoIva, Anno) VALUES (5, 1, 'IVA 1999', 1999)",
        "INSERT INTO AttivitaAzienda (IDAttivitaAzienda, IDAzienda, AttivitaAzienda) VALUES (1, 1, 'Negozio')",
        "INSERT INTO AttivitaAzienda (IDAttivitaAzienda, IDAzienda, AttivitaAzienda) VALUES (2, 1, 'Servizi')",
        "INSERT INTO Filiale (IDFiliale, IDAzienda, IDAttivitaAzienda, Filiale) VALUES (1, 1, 1, 'Sede')",
        "INSERT INTO Filiale (IDFiliale, IDAzienda, IDAttivitaAzienda, Filiale) VALUES (2, 1, 2, 'Ufficio')",
        "INSERT INTO ConfigurazioneGenerale (IDConfigurazioneGenerale, IDAzienda, IDFilialePrevalente) VALUES (1, 1, 1)",
        "INSERT INTO AttivitaAziendaPerPeriodoIva (IDAttivitaAziendaPerPeriodoIva, IDAttivitaAzienda, IDPeriodoIva, "
        "TipoLiquidazioneIva) VALUES (1, 1, 10, 0)",
        "INSERT INTO AttivitaAziendaPerPeriodoIva (IDAttivitaAziendaPerPeriodoIva, IDAttivitaAzienda, IDPeriodoIva, "
        "TipoLiquidazioneIva) VALUES (2, 2, 10, 1)",
        "INSERT INTO AttivitaAziendaPerPeriodoIva (IDAttivitaAziendaPerPeriodoIva, IDAttivitaAzienda, IDPeriodoIva, "
        "TipoLiquidazioneIva) VALUES (3, 1, 5, 0)",
    };
    for (const char *r : rows)
        db.execute(QString::fromUtf8(r));
}

// A stored settlement row: month 0 for the annual one, 13 for the December advance.
inline void addSettlement(Connection &db, int key, int activity, int year, int month, int virtualDelete = 0,
                          int user = 1, int method = 0)
{
    const SqlStatement mese = (month == 0 || month == 13) ? u"NULL"_qs : sqlParam(month);
    const QString acconto = month == 13 ? u"1"_qs : u"0"_qs;
    const SqlStatement metodo = month == 13 ? sqlParam(method) : u"NULL"_qs;
    db.execute(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, IDAttivitaAzienda, IDPeriodoIva, "
               u"IDMese, AccontoIva, MetodoCalcoloAccontoIva, VirtualDelete, IDUtenteUltimaVariazione) VALUES ("_qs +
               sqlParam(key) + u", "_qs + sqlParam(activity) + u", "_qs + sqlParam(year) + u", "_qs + mese + u", "_qs +
               acconto + u", "_qs + metodo + u", "_qs + sqlParam(virtualDelete) + u", "_qs + sqlParam(user) + u")"_qs);
}

// A company of the engine fixture with user 1 ("anna"), and its settlements filled as the
// window fills them, every question answered yes unless the test scripts another answer.
class FixtureDocumentTest : public EngineTest {
protected:
    void SetUp() override
    {
        t = TestDatabase::create(engine(), Content::Schema);
        f = std::make_unique<EngineFixture>(db());
        company = f->company();
        db().execute(u"INSERT INTO Utente (IDUtente, Utente) VALUES (1, 'anna')"_qs);
    }
    Connection &db() { return t->db(); }

    // "Nuovo" and OK for a period (13 the December advance, 0 the year), then filled.
    std::unique_ptr<SettlementDocument> fill(int activity, int vatYear, int month, int method = 0)
    {
        const int key = newWorkingSettlement(db(), messages, company, 1, activity, vatYear, month, method);
        EXPECT_NE(key, 0);
        auto doc = std::make_unique<SettlementDocument>(DocumentContext{db(), messages, 1, company, 1, true});
        doc->sbChildFill(key, false);
        return doc;
    }

    std::unique_ptr<TestDatabase> t;
    std::unique_ptr<EngineFixture> f;
    ScriptedMessages messages;
    int company = 0;
};

} // namespace liqiva::test
