#pragma once

// Rows of the suite's tables for the tests of the amounts, the pro-rata, the other
// operations and the declarations: a company with VAT years, activities, branches, VAT
// codes, counters and settlements, inserted with explicit keys.

#include "database/Connection.h"
#include "database/SqlValue.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace liqiva::test {

struct CounterRow {
    int idIva = 1;
    int tipo = 2; // IDTipoContatoreIva
    int anno = 2024;
    int mese = 1;
    int filiale = 1;
    double imponibile = 0;
    double importo = 0;
    int riporto = 1; // RiportoSuChiusuraIVA
    int soloVentilazione = 0;
    std::optional<int> classeConto;
    std::optional<int> classeCF;
    int acconto = 0;
    int fatturaInRitardo = 0;
};

struct RateRow {
    int id = 1;
    QString code = QStringLiteral("22");
    double aliquota = 22;
    std::optional<int> tipoIva; // IDTipoIva: 1 non-taxable, 3 exempt
    int noCalcoloProRata = 0;
    int noRiportoInDichiarazione = 0;
    double percIndetraibilita = 0;
};

class SuiteRows {
public:
    explicit SuiteRows(Connection &db) : m_db(db) {}

    void exec(const SqlStatement &sql) { m_db.execute(sql); }

    static SqlStatement opt(const std::optional<int> &v) { return v ? sqlParam(*v) : QStringLiteral("NULL"); }

    void vatYear(int id, int anno, int company = 1)
    {
        exec(
            u"INSERT INTO PeriodoIva (IDPeriodoIva, PeriodoIva, Anno, IDAzienda, GestioneArt36, VirtualDelete) VALUES ("_qs +
            sqlParam(id) + u", "_qs + sqlParam(QString::number(anno)) + u", "_qs + sqlParam(anno) + u", "_qs +
            sqlParam(company) + u", 1, 0)"_qs);
    }

    void activity(int id, int company = 1)
    {
        exec(u"INSERT INTO AttivitaAzienda (IDAttivitaAzienda, AttivitaAzienda, IDAzienda, VirtualDelete) VALUES ("_qs +
             sqlParam(id) + u", "_qs + sqlParam(u"Attività "_qs + QString::number(id)) + u", "_qs + sqlParam(company) +
             u", 0)"_qs);
    }

    // The activity's settings for a VAT year; extra assignments ("GestioneProRata = 1, ...")
    // are applied afterwards.
    void activityYear(int id, int activity, int year, int tipoLiquidazione, const QString &extra = {})
    {
        exec(u"INSERT INTO AttivitaAziendaPerPeriodoIva (IDAttivitaAziendaPerPeriodoIva, IDAttivitaAzienda, "
             u"IDPeriodoIva, "
             "TipoLiquidazioneIva, VirtualDelete) VALUES ("_qs +
             sqlParam(id) + u", "_qs + sqlParam(activity) + u", "_qs + sqlParam(year) + u", "_qs +
             sqlParam(tipoLiquidazione) + u", 0)"_qs);
        if (!extra.isEmpty())
            exec(u"UPDATE AttivitaAziendaPerPeriodoIva SET "_qs + extra +
                 u" WHERE IDAttivitaAziendaPerPeriodoIva = "_qs + sqlParam(id));
    }

    void branch(int id, int activity)
    {
        exec(u"INSERT INTO Filiale (IDFiliale, IDAttivitaAzienda, VirtualDelete) VALUES ("_qs + sqlParam(id) +
             u", "_qs + sqlParam(activity) + u", 0)"_qs);
    }

    void rate(const RateRow &r)
    {
        exec(u"INSERT INTO Iva (IDIva, Iva, DescrizioneSuRegistroIVA, AliquotaIva, PercIndetraibilita, IDTipoIva, "
             "NoCalcoloProRata, NoRiportoInDichiarazione, VirtualDelete) VALUES ("_qs +
             sqlParam(r.id) + u", "_qs + sqlParam(r.code) + u", "_qs + sqlParam(u"Aliquota "_qs + r.code) + u", "_qs +
             sqlParam(r.aliquota) + u", "_qs + sqlParam(r.percIndetraibilita) + u", "_qs + opt(r.tipoIva) + u", "_qs +
             sqlParam(r.noCalcoloProRata) + u", "_qs + sqlParam(r.noRiportoInDichiarazione) + u", 0)"_qs);
    }

    void counter(const CounterRow &c)
    {
        ++m_counterKey;
        exec(u"INSERT INTO ContatoreIva (IDContatoreIva, IDIva, IDTipoContatoreIva, Anno, IDMese, IDFiliale, "
             u"Imponibile, "
             "Importo, RiportoSuChiusuraIVA, AcquistiSolaVentilazione, IDClassificazioneIvaConto, "
             "IDClassificazioneIvaCF, "
             "AccontoIva, FatturaInRitardo) VALUES ("_qs +
             sqlParam(m_counterKey) + u", "_qs + sqlParam(c.idIva) + u", "_qs + sqlParam(c.tipo) + u", "_qs +
             sqlParam(c.anno) + u", "_qs + sqlParam(c.mese) + u", "_qs + sqlParam(c.filiale) + u", "_qs +
             sqlParam(c.imponibile) + u", "_qs + sqlParam(c.importo) + u", "_qs + sqlParam(c.riporto) + u", "_qs +
             sqlParam(c.soloVentilazione) + u", "_qs + opt(c.classeConto) + u", "_qs + opt(c.classeCF) + u", "_qs +
             sqlParam(c.acconto) + u", "_qs + sqlParam(c.fatturaInRitardo) + u")"_qs);
    }

    // A settlement row; month as the engine numbers it (0 the year, 13 the December advance).
    void settlement(int id, std::optional<int> activity, int year, int month, int metodo = 0, int virtualDelete = 0)
    {
        const bool advance = month == 13;
        const SqlStatement mese = month >= 1 && month <= 12 ? sqlParam(month) : u"NULL"_qs;
        exec(u"INSERT INTO RisultatoLiquidazioneIva (IDRisultatoLiquidazioneIva, IDAttivitaAzienda, IDPeriodoIva, "
             u"IDMese, "
             "AccontoIva, MetodoCalcoloAccontoIva, VirtualDelete) VALUES ("_qs +
             sqlParam(id) + u", "_qs + opt(activity) + u", "_qs + sqlParam(year) + u", "_qs + mese + u", "_qs +
             sqlParam(advance ? 1 : 0) + u", "_qs + (advance ? sqlParam(metodo) : u"NULL"_qs) + u", "_qs +
             sqlParam(virtualDelete) + u")"_qs);
    }

    // A typed amount written straight, as the document's save or another module would.
    void typedAmount(int settlement, int type, double amount, std::optional<int> tipoLiquidazione = std::nullopt)
    {
        const int key =
            m_db.scalar(u"SELECT MAX(IDRisultatoLiquidazioneIvaXTip) FROM RisultatoLiquidazioneIvaXTipo"_qs).toInt() +
            1;
        exec(u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDRisultatoLiquidazioneIvaXTip, "
             u"IDTipoRisultatoLiquidazioneIva, "
             "IDRisultatoLiquidazioneIva, Importo, TipoLiquidazioneIva, VirtualDelete) VALUES ("_qs +
             sqlParam(key) + u", "_qs + sqlParam(type) + u", "_qs + sqlParam(settlement) + u", "_qs + sqlParam(amount) +
             u", "_qs + opt(tipoLiquidazione) + u", 0)"_qs);
    }

    double number(const SqlStatement &sql) { return fieldToNumber(m_db.scalar(sql)); }
    int count(const SqlStatement &sql) { return m_db.scalar(sql).toInt(); }

private:
    Connection &m_db;
    int m_counterKey = 0;
};

} // namespace liqiva::test
