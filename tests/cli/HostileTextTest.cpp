// liqiva settle --input --save with hostile texts in the fields a file gives, on both
// engines: each text is either refused before anything is written, naming its field, or
// stored and read back exactly as given.

#include "support/DemoCommandTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace liqiva;
using namespace liqiva::test;

namespace {

class HostileText : public DemoCommandTest {
protected:
    // A lone surrogate as the file gives it: an escape that the writer would not make.
    LiqivaRun settleWith(int activity, int period, const QJsonObject &input)
    {
        return settle(activity, period, QJsonDocument(input).toJson().replace("@LONE@", "\\ud800"));
    }
    // Every row the settlements and their entries leave, saved or working.
    int rowsLeft()
    {
        return count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIva"_qs) +
               count(u"SELECT COUNT(*) FROM RisultatoLiquidazioneIvaXTipo"_qs) +
               count(u"SELECT COUNT(*) FROM TestataMovimentoContabile"_qs) +
               count(u"SELECT COUNT(*) FROM RigaMovimentoContabile"_qs) +
               count(u"SELECT COUNT(*) FROM AltreOperazioniPerAcconto"_qs);
    }
};

// Where a text goes: the member that carries it, the activity and period that take it, and
// where it is stored.
struct Field {
    const char *name; // as the refusal names it
    int activity, period;
    QJsonObject (*input)(const QString &text);
    const char *stored; // the statement that reads it back
    int length;         // the column's length, 0 for a note without a bound
};

const Field kFields[] = {
    {"accountingEntry.note", 3, 0,
     [](const QString &text) {
         return QJsonObject{{u"prorata"_qs, QJsonObject{{u"taxableOperations"_qs, 800}, {u"exemptOperations"_qs, 200}}},
                            {u"accountingEntry"_qs, QJsonObject{{u"date"_qs, u"2024-12-31"_qs},
                                                                {u"number"_qs, 7},
                                                                {u"cause"_qs, u"RPR"_qs},
                                                                {u"note"_qs, text}}}};
     },
     "SELECT r.DescrizioneAggiuntiva FROM RigaMovimentoContabile r INNER JOIN RisultatoLiquidazioneIva s ON "
     "s.IDOggettoProRata = r.IDTestataMovimentoContabile WHERE r.Segno = 'D' AND s.IDRisultatoLiquidazioneIva = ?",
     255},
    {"payment.companyCode", 1, 3,
     [](const QString &text) {
         return QJsonObject{
             {u"payment"_qs,
              QJsonObject{{u"place"_qs, u"agent"_qs}, {u"agentCode"_qs, 69}, {u"companyCode"_qs, text}}}};
     },
     "SELECT CodiceAzienda FROM RisultatoLiquidazioneIvaXTipo WHERE IDTipoRisultatoLiquidazioneIva = 8 AND "
     "IDRisultatoLiquidazioneIva = ?",
     20},
    {"otherOperations[1].note", 1, 13,
     [](const QString &text) {
         return QJsonObject{{u"otherOperations"_qs,
                             QJsonArray{QJsonObject{{u"rate"_qs, u"22"_qs}, {u"taxable"_qs, 100}},
                                        QJsonObject{{u"rate"_qs, u"22"_qs}, {u"taxable"_qs, 10}, {u"note"_qs, text}}}}};
     },
     "SELECT Annotazioni FROM AltreOperazioniPerAcconto WHERE IDAltreOperazioniPerAcconto = 2 AND "
     "IDRisultatoLiquidazioneIva = ?",
     0},
};

// A text of n characters, with a pair of surrogates (one character) and an accented letter.
QString ofLength(int n)
{
    return u"\U0001F600è"_qs + QString(n - 2, u'x');
}

TEST_P(HostileText, EachTextIsRefusedNamingItsFieldOrStoredExactly)
{
    for (const Field &field : kFields) {
        const int bound = field.length ? field.length : 300;
        const struct {
            QString text;
            const char *refusal; // nullptr: stored as it is
        } cases[] = {
            {u"nota"_qs + QChar(0) + u"tagliata"_qs, "carattere di controllo (U+0000)"},
            {u"a@LONE@b"_qs, "surrogato"},
            {ofLength(bound + 1), field.length ? "al massimo" : nullptr},
            {ofLength(bound), nullptr},
            {uR"(l'IVA "22" \ \\ \n)"_qs, nullptr},
            {u"'); DROP TABLE Iva;--"_qs.left(field.length ? field.length : 100), nullptr},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(field.name) + ": " + c.text.left(40).toStdString());
            const int before = rowsLeft();
            const LiqivaRun r = settleWith(field.activity, field.period, field.input(c.text));
            if (c.refusal) {
                expectFailure(r, 1);
                EXPECT_TRUE(r.err.contains(QString::fromUtf8(field.name))) << r.err.toStdString();
                EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.refusal))) << r.err.toStdString();
                EXPECT_EQ(rowsLeft(), before) << "a refused text left rows behind";
                continue;
            }
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
            const int id = QJsonDocument::fromJson(r.rawOut).object().value(u"id"_qs).toInt();
            EXPECT_EQ(t->db().scalar(QString::fromUtf8(field.stored), {id}).toString(), c.text);
            ASSERT_EQ(remove(id).exitCode, 0);
            EXPECT_GT(count(u"SELECT COUNT(*) FROM Iva"_qs), 0);
        }
    }
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(HostileText);

} // namespace
