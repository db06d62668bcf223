#pragma once

// A demo database with saved settlements of the shop, for the print tests.

#include "database/SqlValue.h"
#include "domain/printing/PrintJob.h"
#include "domain/printing/PrintOptions.h"
#include "support/LiqivaRun.h"
#include "support/SavedSettlement.h"
#include "support/TestDatabase.h"

#include <QTemporaryDir>

namespace liqiva::test {

// The demo company: the shop (activity 1, monthly) in VAT year 2 (2024); the wholesaler
// (activity 2, quarterly). Registers: 1 numbered per sectional (numbering 1; sectionals 1-3
// live, 4 deleted; last page of 2023 on sectional 1: 24), 5 numbered as a whole (numbering 2;
// last page of 2023: 12).
constexpr int Company = 1;
constexpr int Shop = 1;
constexpr int Wholesaler = 2;
constexpr int Year2024 = 2;
constexpr int SectionalRegister = 1;
constexpr int PlainRegister = 5;

inline int scalarInt(Connection &db, const QString &sql)
{
    return db.scalar(sql).toInt();
}

// The value of a box of a printed form, by its label.
inline QString boxOf(const PrintedReport &r, const QString &label)
{
    for (const PrintedPage &p : r.pages)
        for (const PrintLine &l : p.lines)
            if (l.kind == PrintLine::Row && l.cells.size() == 2 && l.cells[0].text == label)
                return l.cells[1].text;
    return u"<missing>"_qs;
}

// The register's numbering row of a year.
inline SqlStatement numberingOf(const NumberingKeys &keys, int year)
{
    const SqlStatement key = keys.perSectional > 0
                                 ? u" WHERE IDNumerazionePerRegistroPerSezionale = "_qs + sqlParam(keys.perSectional)
                                 : u" WHERE IDNumerazionePerRegistro = "_qs + sqlParam(keys.perRegister);
    return key + u" AND Anno = "_qs + sqlParam(year);
}

// The last page stored for a numbering and year; -1 when there is no row.
inline int storedLastPage(Connection &db, const NumberingKeys &keys, int year)
{
    const QVariant v =
        db.scalar(u"SELECT NumeroUltimaPagina FROM ProgressivoNumerazioneRegistro"_qs + numberingOf(keys, year));
    return v.isNull() ? -1 : v.toInt();
}

inline int rowsOf(Connection &db, const NumberingKeys &keys, int year)
{
    return db.scalar(u"SELECT COUNT(*) FROM ProgressivoNumerazioneRegistro"_qs + numberingOf(keys, year)).toInt();
}

inline bool markedPrinted(Connection &db, int key)
{
    return RegisterNumbering::printedDefinitively(db, key);
}

// The options of a definitive print on a register (and sectional) as a person sets them.
inline PrintRequest definitiveRequest(Connection &db, MessageService &messages, int key, int reg, int sectional,
                                      PrintReport report = PrintReport::Settlement)
{
    PrintOptions options(db, Company, report, key, PrintOperation::Printer);
    options.setDefinitive(true);
    options.chooseRegister(reg);
    if (sectional > 0)
        options.chooseSectional(sectional);
    EXPECT_TRUE(options.okEnabled());
    EXPECT_TRUE(askEach(messages, options.questions()) && options.confirm());
    return options.request();
}

// The demo with the shop's January saved, for the tests that run the built liqiva on it.
class SavedJanuaryTest : public EngineTest {
protected:
    void SetUp() override
    {
        if (liqivaProgram().isEmpty())
            GTEST_SKIP() << "liqiva not built";
        t = TestDatabase::create(engine(), Content::Demo);
        january = saveSettlement(t->db(), Shop, 1);
    }
    std::unique_ptr<TestDatabase> t;
    QTemporaryDir dir;
    int january = 0;
};

} // namespace liqiva::test
