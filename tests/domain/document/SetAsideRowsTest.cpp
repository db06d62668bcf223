// The rows a document sets aside while it is edited: closed without saving, every row is put
// back as it was; undo and adjust of a whole table touch only the user's own rows.

#include "domain/document/WorkingRecords.h"
#include "database/SqlValue.h"
#include "support/ChildTask.h"
#include "support/EngineFixture.h"

using namespace liqiva;
using namespace liqiva::test;

namespace {

const QString table = QStringLiteral("RisultatoLiquidazioneIvaXTipo");
const QString docKey = QStringLiteral("IDRisultatoLiquidazioneIva");

void amountRow(Connection &db, int key, int doc, double importo, int state, int user, const QString &codice = {})
{
    db.executeRaw(
        u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIvaXTip, "
        u"IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, Importo, DataVersamento, CodiceAzienda, "
        u"VirtualDelete, IDUtenteUltimaVariazione) VALUES ("_qs +
        sqlParam(key) + u", 3, "_qs + sqlParam(doc) + u", "_qs + sqlParam(importo) + u", Null, "_qs +
        (codice.isEmpty() ? u"Null"_qs : sqlParam(codice)) + u", "_qs + sqlParam(state) + u", "_qs + sqlParam(user) +
        u")"_qs);
}

// key -> (Importo, VirtualDelete, CodiceAzienda or "<null>")
QMap<int, QString> rows(Connection &db)
{
    QMap<int, QString> out;
    Recordset rs = db.openRecordset(u"SELECT IDRisultatoLiquidazioneIvaXTip, Importo, VirtualDelete, CodiceAzienda, "
                                    u"DataVersamento FROM RisultatoLiquidazioneIvaXTipo"_qs);
    for (; !rs.eof(); rs.moveNext())
        out.insert(rs.integer(u"IDRisultatoLiquidazioneIvaXTip"_qs),
                   QString::number(rs.number(u"Importo"_qs)) + u" "_qs + QString::number(rs.integer(u"VirtualDelete"_qs)) +
                       u" "_qs + (rs.isNull(u"CodiceAzienda"_qs) ? u"<null>"_qs : rs.text(u"CodiceAzienda"_qs)) +
                       (rs.isNull(u"DataVersamento"_qs) ? QString() : u" data"_qs));
    return out;
}

// An edit of the document 10 by a user: the row of the user as it was is kept as a copy with
// the negated key, the row itself is changed and set aside, a new working row is added.
void edit(Connection &db, int row, int user, double newAmount, int newRow)
{
    WorkingRecords::fnInsertDuplicateWithNegativeKey(db, table, {{u"IDRisultatoLiquidazioneIvaXTip"_qs, row}}, 3, user);
    db.executeRaw(
        u"UPDATE RisultatoLiquidazioneIvaXTipo SET VirtualDelete = 3, Importo = ? WHERE IDRisultatoLiquidazioneIvaXTip = ?"_qs,
        {sqlValue(newAmount), sqlValue(row)});
    amountRow(db, newRow, 10, 1, 2, user);
}

const ChildTask unloadTask("unload-document", [](const QStringList &args) {
    auto db = Connection::open(args.value(0));
    const int user = args.value(1).toInt();
    for (int round = 0; round < 20; ++round) {
        const int row = 700 + user;
        edit(*db, row, user, 999, 800 + user);
        WorkingRecords::sbUpdateTableWhenUnloadChild(*db, table, docKey, 10, user);
    }
    return 0;
});

class SetAsideRows : public EngineFixtureTest {};

TEST_P(SetAsideRows, ClosingWithoutSavingPutsEveryRowBackAsItWas)
{
    amountRow(db(), 501, 10, 100, 0, 1, u"L'Aquila"_qs);
    amountRow(db(), 511, 10, 40, 0, 2); // another user's row of the same document, being edited by them
    amountRow(db(), 601, 11, 7, 0, 1);  // another document
    edit(db(), 501, 1, 250, 502);
    edit(db(), 511, 2, 45, 512);
    const QMap<int, QString> otherUser = {{511, u"45 3 <null>"_qs}, {-511, u"40 3 <null>"_qs}, {512, u"1 2 <null>"_qs}};

    WorkingRecords::sbUpdateTableWhenUnloadChild(db(), table, docKey, 10, 1);
    QMap<int, QString> expected = {{501, u"100 0 L'Aquila"_qs}, {601, u"7 0 <null>"_qs}};
    expected.insert(otherUser);
    EXPECT_EQ(rows(db()), expected);
}

TEST_P(SetAsideRows, ARowDeletedMeanwhileComesBackFromItsCopy)
{
    amountRow(db(), 501, 10, 100, 0, 1, u"X"_qs);
    edit(db(), 501, 1, 250, 502);
    db().executeRaw(u"DELETE FROM RisultatoLiquidazioneIvaXTipo WHERE IDRisultatoLiquidazioneIvaXTip = 501"_qs);
    WorkingRecords::sbUpdateTableWhenUnloadChild(db(), table, docKey, 10, 1);
    EXPECT_EQ(rows(db()), (QMap<int, QString>{{501, u"100 0 X"_qs}}));
}

TEST_P(SetAsideRows, UndoAndAdjustOfATableTouchOnlyTheUsersRows)
{
    struct Case {
        const char *what;
        bool adjust;
        QMap<int, QString> expected;
    };
    const Case cases[] = {
        {"undo", false,
         {{601, u"1 0 <null>"_qs}, {602, u"2 0 <null>"_qs}, {612, u"3 3 <null>"_qs}, {621, u"8 2 <null>"_qs},
          {-9002, u"6 -601 <null>"_qs}}},
        {"adjust", true,
         {{601, u"5 0 <null>"_qs}, {612, u"3 3 <null>"_qs}, {620, u"9 0 <null>"_qs}, {621, u"8 2 <null>"_qs},
          {-9002, u"6 -601 <null>"_qs}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        db().executeRaw(u"DELETE FROM RisultatoLiquidazioneIvaXTipo"_qs);
        amountRow(db(), 601, 11, 1, 0, 1);
        amountRow(db(), 602, 11, 2, 3, 1);  // set aside by the user
        amountRow(db(), 612, 11, 3, 3, 2);  // set aside by another user
        amountRow(db(), -9001, 11, 5, -601, 1); // the user's new values of row 601
        amountRow(db(), -9002, 11, 6, -601, 2); // another user's
        amountRow(db(), 620, 11, 9, 2, 1);  // the user's working row
        amountRow(db(), 621, 11, 8, 2, 2);  // another user's working row
        if (c.adjust)
            WorkingRecords::sbAdjustTable(db(), table, 1);
        else
            WorkingRecords::sbTableUndo(db(), table, 1);
        EXPECT_EQ(rows(db()), c.expected);
    }
}

TEST_P(SetAsideRows, TwoUsersClosingTheSameDocumentAtOnceEachGetTheirRowsBack)
{
    amountRow(db(), 701, 10, 100, 0, 1);
    amountRow(db(), 702, 10, 200, 0, 2);
    auto first = startChild(u"unload-document"_qs, {t->url(), u"1"_qs});
    auto second = startChild(u"unload-document"_qs, {t->url(), u"2"_qs});
    for (auto *p : {first.get(), second.get()}) {
        ASSERT_TRUE(p->waitForFinished(300000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
    EXPECT_EQ(rows(db()), (QMap<int, QString>{{701, u"100 0 <null>"_qs}, {702, u"200 0 <null>"_qs}}));
}

LIQIVA_INSTANTIATE_ON_BOTH_ENGINES(SetAsideRows);

} // namespace
