#include "domain/communication/PeriodicCommunication.h"
#include "domain/communication/SchemaValidator.h"
#include "domain/engine/AmountTypes.h"
#include "database/SqlValue.h"
#include "suite/Refusal.h"

#include "support/DemoDocumentTest.h"
#include "support/InvoiceFiles.h"
#include "support/MoneyText.h"

#include <QFile>

using namespace liqiva;
using namespace liqiva::test;

namespace {

// The schema's amounts: a comma, exactly two decimals, the cent rounded half away from zero.
TEST(CommunicationAmount, CommaAndTwoDecimals)
{
    const struct {
        const char *value;
        const char *written;
    } cases[] = {
        {"0", "0,00"},          {"1234.5", "1234,50"},      {"0.005", "0,01"},     {"-0.005", "-0,01"},
        {"0.0049", "0,00"},     {"2.675", "2,68"},          {"1234567.891", "1234567,89"},
        {"-3", "-3,00"},        {"99999999.995", "100000000,00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(communicationAmount(m(c.value)), QString::fromLatin1(c.written)) << c.value;
}

class DemoCommunication : public DemoDocumentTest {
protected:
    // What the saved settlements of a month (or the quarter's last month) of some activities
    // leave to pay, less the credit they carry on: the amount VP14 must come to.
    Money closingOf(int month, const char *activities)
    {
        auto sum = [&](int type) {
            return Money::fromVariant(db().scalar(
                u"SELECT SUM(Importo) FROM RisultatoLiquidazioneIvaXTipo INNER JOIN RisultatoLiquidazioneIva ON "
                u"RisultatoLiquidazioneIvaXTipo.IDRisultatoLiquidazioneIva = "
                u"RisultatoLiquidazioneIva.IDRisultatoLiquidazioneIva "
                u"WHERE RisultatoLiquidazioneIva.IDMese = "_qs +
                sqlParam(month) + u" AND RisultatoLiquidazioneIva.IDAttivitaAzienda IN ("_qs +
                QString::fromLatin1(activities) +
                u") AND RisultatoLiquidazioneIva.VirtualDelete = 0 "
                u"AND IDTipoRisultatoLiquidazioneIva = "_qs +
                sqlParam(type)));
        };
        return sum(AmountType::IvaDaVersare) - sum(AmountType::CreDimLiquiSucc);
    }
};

// The first quarter of 2024: three monthly modules (shop and training) and one quarterly
// module (wholesale with interest and farm); the file validates, and each module's VP14
// is what its settlements closed with.
TEST_P(DemoCommunication, FirstQuarterValidatesAndClosesAsTheSettlements)
{
    saveQuarter(1);
    const PeriodicCommunicationData data = loadPeriodicCommunication(db(), 1, 2024, 1);
    ASSERT_TRUE(data.missing.isEmpty()) << data.missing.join(u" | "_qs).toStdString();
    EXPECT_EQ(data.codiceFiscale, u"00001234566"_qs);
    EXPECT_EQ(data.cfDichiarante, u"LMBMRC70A01F201X"_qs);

    const struct {
        std::optional<int> mese, trimestre;
        int closingMonth;
        const char *activities;
        bool interest;
    } expected[] = {
        {1, {}, 1, "1, 3", false},
        {2, {}, 2, "1, 3", false},
        {3, {}, 3, "1, 3", false},
        {{}, 1, 3, "2, 4", true},
    };
    ASSERT_EQ(data.modules.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const CommunicationModule &m = data.modules[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(m.numeroModulo, int(i) + 1);
        EXPECT_EQ(m.mese, expected[i].mese);
        EXPECT_EQ(m.trimestre, expected[i].trimestre);
        const Money vp14 = m.importoDaVersare.value_or(Money()) - m.importoACredito.value_or(Money());
        EXPECT_EQ(vp14.toString(), closingOf(expected[i].closingMonth, expected[i].activities).toString());
        EXPECT_EQ(m.interessiDovuti.has_value(), expected[i].interest);
        // VP6 is VP4 less VP5, in one of its two columns only
        EXPECT_NE(m.ivaDovuta.has_value(), m.ivaCredito.has_value());
        EXPECT_EQ((m.ivaDovuta.value_or(Money()) - m.ivaCredito.value_or(Money())).toString(),
                  (*m.ivaEsigibile - *m.ivaDetratta).toString());
        // no credit of an earlier period in the first period of the year
        EXPECT_FALSE(m.creditoPeriodoPrecedente.has_value());
    }
    // The shop's March alone is worked out by hand in the document tests: VAT 7345.49 due,
    // 5817.45 deducted; the module adds the training activity's March to it.
    EXPECT_GT(*data.modules[2].ivaEsigibile, m("7345.49"));

    const QString path = folder.filePath(u"q1.xml"_qs);
    writePeriodicCommunication(data, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray xml = file.readAll();
    EXPECT_EQ(SchemaValidator::periodicCommunication().validate(xml), QStringList());
    EXPECT_TRUE(xml.contains("<iv:CodiceFornitura>IVP18</iv:CodiceFornitura>"));
    EXPECT_TRUE(xml.contains("<iv:InteressiDovuti>43,18</iv:InteressiDovuti>"));
}

// The fourth quarter: the months of the monthly activities (December with the advance and
// its method code), the special quarterly farm as quarter 4 with its balance, and the
// wholesale activity, quarterly by option, as quarter 5 without interest and balance.
TEST_P(DemoCommunication, FourthQuarterTakesTheAdvanceAndQuarterFive)
{
    save(1, 13, 1); // the shop's advance, historical method
    saveQuarter(4);
    const PeriodicCommunicationData data = loadPeriodicCommunication(db(), 1, 2024, 4);
    ASSERT_TRUE(data.missing.isEmpty()) << data.missing.join(u" | "_qs).toStdString();
    ASSERT_EQ(data.modules.size(), 5u);
    EXPECT_EQ(data.modules[0].mese, 10);
    EXPECT_EQ(data.modules[2].mese, 12);
    EXPECT_EQ(data.modules[3].trimestre, 4);
    EXPECT_EQ(data.modules[4].trimestre, 5);
    for (int i : {0, 1})
        EXPECT_FALSE(data.modules[i].acconto.has_value()) << i;
    // The shop's historical advance: 88% of its December 2023 debt of 2607.55 is 2294.644,
    // due whether paid or not, and taken off the month's balance.
    const CommunicationModule &december = data.modules[2];
    EXPECT_EQ(december.metodo, 1);
    ASSERT_TRUE(december.acconto.has_value());
    EXPECT_EQ(communicationAmount(*december.acconto), u"2294,64"_qs);
    EXPECT_EQ((*december.ivaDovuta - *december.acconto).toString(), december.importoDaVersare->toString());
    const CommunicationModule &five = data.modules[4];
    EXPECT_FALSE(five.importoDaVersare || five.importoACredito || five.interessiDovuti || five.creditiImposta);
    EXPECT_TRUE(data.modules[3].importoDaVersare || data.modules[3].importoACredito);
    EXPECT_FALSE(data.modules[3].interessiDovuti.has_value());

    const QString path = folder.filePath(u"q4.xml"_qs);
    writePeriodicCommunication(data, path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(SchemaValidator::periodicCommunication().validate(file.readAll()), QStringList());
}

// Broken data: each case gets its message and no file; a file already there stays as it was.
TEST_P(DemoCommunication, BrokenDataIsRefusedWithoutAFile)
{
    saveQuarter(1);
    const struct {
        const char *name;
        const char *change;  // a statement that breaks the data
        const char *message; // a piece of the refusal
    } cases[] = {
        {"no VAT number", "UPDATE Anagrafica SET PartitaIva = NULL WHERE IDAnagrafica = 1", "non ha la partita IVA"},
        {"VAT number of five digits", "UPDATE Anagrafica SET PartitaIva = '12345' WHERE IDAnagrafica = 1",
         "Elemento 'PartitaIVA'"},
        {"no declarant", "UPDATE ConfigurazioneDip SET IDAnagraficaRappresentante = NULL WHERE IDAzienda = 1",
         "Manca il dichiarante"},
        {"a month not saved",
         "UPDATE RisultatoLiquidazioneIva SET VirtualDelete = 2 WHERE IDAttivitaAzienda = 1 AND IDMese = 2",
         "febbraio 2024 dell'attività 'Negozio al dettaglio' non è salvata"},
        {"a negative previous debt",
         "UPDATE CampoReportLiquidazioneIva SET DebitoPeriodoPrec = -50 WHERE IDRisultatoLiquidazioneIva IN "
         "(SELECT IDRisultatoLiquidazioneIva FROM RisultatoLiquidazioneIva WHERE IDAttivitaAzienda = 1 AND IDMese = 3)",
         "Elemento 'DebitoPrecedente'"},
    };
    const QString fresh = folder.filePath(u"fresh.xml"_qs);
    const QString existing = folder.filePath(u"existing.xml"_qs);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeFile(existing, "before"));
        Transaction tx(db()); // rolled back at the end of the case
        db().execute(QString::fromUtf8(c.change));
        for (const QString &path : {fresh, existing}) {
            try {
                writePeriodicCommunication(loadPeriodicCommunication(db(), 1, 2024, 1), path);
                ADD_FAILURE() << "written";
            } catch (const Refusal &r) {
                EXPECT_TRUE(r.message().contains(QString::fromUtf8(c.message))) << r.message().toStdString();
            }
        }
        EXPECT_FALSE(QFile::exists(fresh));
        QFile f(existing);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("before"));
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(DemoCommunication);

} // namespace
