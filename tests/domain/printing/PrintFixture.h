#pragma once

// A demo database with saved settlements of the shop, for the print tests.

#include "domain/document/NewSettlement.h"
#include "domain/document/SettlementDocument.h"
#include "domain/printing/PrintJob.h"
#include "domain/printing/PrintOptions.h"
#include "database/SqlValue.h"
#include "support/Answering.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabase.h"

#include <QProcess>

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

// What a tool of the system prints on standard output (pdftotext, unzip), empty when it fails.
inline QString toolOutput(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int settlementFunction(Connection &db)
{
    return db.scalar(u"SELECT IDFunzione FROM ProcessoPerFunzione WHERE IDProcesso = 59 ORDER BY IDFunzione"_qs)
        .toInt();
}

// Saves the settlement of a month (a quarter by its last month) and returns its key.
inline int saveSettlement(Connection &db, int activity, int month, int vatYear = Year2024)
{
    ScriptedMessages messages;
    NewSettlement ns(db, Company, 1);
    ns.sbSetComboMesi(activity, vatYear, 0);
    EXPECT_EQ(confirmAnswering(ns, messages, activity, vatYear, ns.indexOfMonth(month), 0, true), 1)
        << messages.texts().join(u'\n').toStdString();
    const int key = ns.currentKey();
    SettlementDocument doc(DocumentContext{db, messages, 1, Company, settlementFunction(db), true, {}});
    doc.sbChildFill(key, false);
    EXPECT_TRUE(saveAnswering(doc)) << messages.texts().join(u'\n').toStdString();
    return key;
}

inline int scalarInt(Connection &db, const QString &sql)
{
    return db.scalar(sql).toInt();
}

// The last page stored for a numbering and year; -1 when there is no row.
inline int storedLastPage(Connection &db, const NumberingKeys &keys, int year)
{
    const SqlStatement where = keys.perSectional > 0
                                   ? u" WHERE IDNumerazionePerRegistroPerSezionale = "_qs + sqlParam(keys.perSectional)
                                   : u" WHERE IDNumerazionePerRegistro = "_qs + sqlParam(keys.perRegister);
    const QVariant v = db.scalar(u"SELECT NumeroUltimaPagina FROM ProgressivoNumerazioneRegistro"_qs + where +
                                 u" AND Anno = "_qs + sqlParam(year));
    return v.isNull() ? -1 : v.toInt();
}

inline int rowsOf(Connection &db, const NumberingKeys &keys, int year)
{
    const SqlStatement where = keys.perSectional > 0
                                   ? u" WHERE IDNumerazionePerRegistroPerSezionale = "_qs + sqlParam(keys.perSectional)
                                   : u" WHERE IDNumerazionePerRegistro = "_qs + sqlParam(keys.perRegister);
    return db
        .scalar(u"SELECT COUNT(*) FROM ProgressivoNumerazioneRegistro"_qs + where + u" AND Anno = "_qs + sqlParam(year))
        .toInt();
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

} // namespace liqiva::test
