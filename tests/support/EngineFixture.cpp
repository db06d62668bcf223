#include "support/EngineFixture.h"

#include "database/KeyReservation.h"
#include "database/SqlValue.h"

#include <gtest/gtest.h>

namespace liqiva::test {

namespace {

SqlStatement n(double v)
{
    return sqlParam(v);
}
SqlStatement n(int v)
{
    return sqlParam(v);
}
QString b(bool v)
{
    return v ? u"1"_qs : u"0"_qs;
}
SqlStatement opt(std::optional<int> v)
{
    return v ? sqlParam(*v) : u"NULL"_qs;
}

void expectNear(std::optional<double> got, std::optional<double> expected)
{
    ASSERT_EQ(got.has_value(), expected.has_value()) << (got ? *got : 0);
    if (got)
        EXPECT_NEAR(*got, *expected, 1e-6);
}

} // namespace

int EngineFixture::company(bool splitReceiptsDaily)
{
    const int id = nextKey(m_db, u"Azienda"_qs, u"IDAzienda"_qs, u"INSERT INTO Azienda (Azienda) VALUES ('Prova')"_qs);
    nextKey(m_db, u"ConfigurazioneContabile"_qs, u"IDConfigurazioneContabile"_qs,
            u"INSERT INTO ConfigurazioneContabile (IDAzienda, ScorporoCorrispettiviGiornaliero) VALUES ("_qs + n(id) +
                u", "_qs + b(splitReceiptsDaily) + u")"_qs);
    return id;
}

int EngineFixture::vatYear(int company, int anno, std::optional<double> percInteressi, bool art36)
{
    return nextKey(
        m_db, u"PeriodoIva"_qs, u"IDPeriodoIva"_qs,
        u"INSERT INTO PeriodoIva (IDAzienda, PeriodoIva, Anno, GestioneArt36, PercInteressiLiqTrim) VALUES ("_qs +
            n(company) + u", '"_qs + QString::number(anno) + u"', "_qs + n(anno) + u", "_qs + b(art36) + u", "_qs +
            (percInteressi ? n(*percInteressi) : u"NULL"_qs) + u")"_qs);
}

int EngineFixture::activity(int company)
{
    return nextKey(m_db, u"AttivitaAzienda"_qs, u"IDAttivitaAzienda"_qs,
                   u"INSERT INTO AttivitaAzienda (IDAzienda, AttivitaAzienda) VALUES ("_qs + n(company) +
                       u", 'Attivita')"_qs);
}

int EngineFixture::activityYear(int activity, int vatYear, const ActivityYear &f)
{
    const int id = nextKey(
        m_db, u"AttivitaAziendaPerPeriodoIva"_qs, u"IDAttivitaAziendaPerPeriodoIva"_qs,
        u"INSERT INTO AttivitaAziendaPerPeriodoIva (IDAttivitaAzienda, IDPeriodoIva, TipoLiquidazioneIva, "
        u"CalcoloInteressi, Articolo34, CreditoIvaAutotrasportatori) VALUES ("_qs +
            n(activity) + u", "_qs + n(vatYear) + u", "_qs + n(f.tipoLiquidazione) + u", "_qs + b(f.calcoloInteressi) +
            u", "_qs + b(f.articolo34) + u", "_qs + n(f.creditoAutotrasportatori) + u")"_qs);
    if (!f.extra.isEmpty())
        m_db.execute(u"UPDATE AttivitaAziendaPerPeriodoIva SET "_qs + f.extra +
                     u" WHERE IDAttivitaAziendaPerPeriodoIva = "_qs + n(id));
    return id;
}

int EngineFixture::branch(int company, int activity)
{
    return nextKey(m_db, u"Filiale"_qs, u"IDFiliale"_qs,
                   u"INSERT INTO Filiale (IDAzienda, IDAttivitaAzienda, Filiale) VALUES ("_qs + n(company) + u", "_qs +
                       n(activity) + u", 'Sede')"_qs);
}

int EngineFixture::vatCode(const QString &description, double rate, double percIndetraibilita, int ventilationCode,
                           int compensation, bool inDetrazione)
{
    return nextKey(m_db, u"Iva"_qs, u"IDIva"_qs,
                   u"INSERT INTO Iva (Iva, DescrizioneSuRegistroIVA, AliquotaIva, PercIndetraibilita, "
                   u"IDIvaVentilazione, IDCompensazioneIva, IvaSuAcquistiInDetrazione) VALUES ('X', "_qs +
                       sqlParam(description) + u", "_qs + n(rate) + u", "_qs + n(percIndetraibilita) + u", "_qs +
                       (ventilationCode ? n(ventilationCode) : u"NULL"_qs) + u", "_qs +
                       (compensation ? n(compensation) : u"NULL"_qs) + u", "_qs + b(inDetrazione) + u")"_qs);
}

int EngineFixture::vatCode(const VatCode &c)
{
    return nextKey(m_db, u"Iva"_qs, u"IDIva"_qs,
                   u"INSERT INTO Iva (Iva, DescrizioneSuRegistroIVA, AliquotaIva, IDTipoIva, NoCalcoloProRata, "
                   u"NoRiportoInDichiarazione) VALUES ("_qs +
                       sqlParam(c.code) + u", "_qs + sqlParam(u"Aliquota "_qs + c.code) + u", "_qs + n(c.rate) +
                       u", "_qs + opt(c.tipoIva) + u", "_qs + b(c.noProRata) + u", "_qs + b(c.notDeclared) + u")"_qs);
}

int EngineFixture::compensationClass(double percent)
{
    return nextKey(m_db, u"CompensazioneIva"_qs, u"IDCompensazioneIva"_qs,
                   u"INSERT INTO CompensazioneIva (CompensazioneIva, PercentualeCompensazione) VALUES ('C', "_qs +
                       n(percent) + u")"_qs);
}

void EngineFixture::counter(const Counter &c)
{
    nextKey(m_db, u"ContatoreIva"_qs, u"IDContatoreIva"_qs,
            u"INSERT INTO ContatoreIva (IDTipoContatoreIva, IDIva, Anno, IDMese, IDFiliale, Imponibile, Importo, "
            u"RiportoSuChiusuraIVA, AcquistiSolaVentilazione, IDClassificazioneIvaConto, IDClassificazioneIvaCF, "
            u"FatturaInRitardo, AccontoIva) VALUES ("_qs +
                n(c.kind) + u", "_qs + n(c.idIva) + u", "_qs + n(c.anno) + u", "_qs + n(c.mese) + u", "_qs +
                n(c.idFiliale) + u", "_qs + n(c.imponibile) + u", "_qs + n(c.importo) + u", "_qs + b(c.riporto) +
                u", "_qs + b(c.soloVentilazione) + u", "_qs + opt(c.classeConto) + u", "_qs + opt(c.classeCF) +
                u", "_qs + b(c.ritardo) + u", "_qs + b(c.acconto) + u")"_qs);
}

int EngineFixture::settlement(std::optional<int> activity, int vatYear, std::optional<int> mese, bool acconto,
                              int metodo, int virtualDelete)
{
    return nextKey(m_db, u"RisultatoLiquidazioneIva"_qs, u"IDRisultatoLiquidazioneIva"_qs,
                   u"INSERT INTO RisultatoLiquidazioneIva (IDAttivitaAzienda, IDPeriodoIva, IDMese, AccontoIva, "
                   u"MetodoCalcoloAccontoIva, VirtualDelete) VALUES ("_qs +
                       opt(activity) + u", "_qs + n(vatYear) + u", "_qs + opt(mese) + u", "_qs + b(acconto) + u", "_qs +
                       n(metodo) + u", "_qs + n(virtualDelete) + u")"_qs);
}

void EngineFixture::amount(int settlement, int type, double importo, std::optional<int> tipoLiquidazione)
{
    nextKey(m_db, u"RisultatoLiquidazioneIvaXTipo"_qs, u"IDRisultatoLiquidazioneIvaXTip"_qs,
            u"INSERT INTO RisultatoLiquidazioneIvaXTipo (IDTipoRisultatoLiquidazioneIva, IDRisultatoLiquidazioneIva, "
            u"Importo, TipoLiquidazioneIva, VirtualDelete) VALUES ("_qs +
                n(type) + u", "_qs + n(settlement) + u", "_qs + n(importo) + u", "_qs + opt(tipoLiquidazione) +
                u", 0)"_qs);
}

std::optional<double> EngineFixture::value(const SqlStatement &sql)
{
    const QVariant v = m_db.scalar(sql);
    if (v.isNull())
        return std::nullopt;
    return v.toDouble();
}

QVariant EngineFixture::headerValue(int settlement, const QString &column)
{
    return m_db.scalar(u"SELECT "_qs + column +
                       u" FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs + n(settlement));
}

std::optional<double> EngineFixture::header(int settlement, const QString &column)
{
    return value(u"SELECT "_qs + column + u" FROM CampoReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs +
                 n(settlement));
}

std::optional<double> EngineFixture::row(int settlement, int idIva, const QString &column)
{
    return value(u"SELECT "_qs + column + u" FROM RigaReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs +
                 n(settlement) + u" AND IDIva = "_qs + n(idIva));
}

int EngineFixture::rowCount(int settlement)
{
    return int(m_db.scalar(u"SELECT COUNT(*) FROM RigaReportLiquidazioneIva WHERE IDRisultatoLiquidazioneIva = "_qs +
                           n(settlement))
                   .toLongLong());
}

void EngineFixture::expectHeader(int settlement, const char *column, std::optional<double> expected)
{
    SCOPED_TRACE(column);
    expectNear(header(settlement, QString::fromLatin1(column)), expected);
}

void EngineFixture::expectRow(int settlement, int idIva, const char *column, std::optional<double> expected)
{
    SCOPED_TRACE(column);
    expectNear(row(settlement, idIva, QString::fromLatin1(column)), expected);
}

SettlementIdentity identity(int settlement, int activity, int vatYear, int mese, int anno, int company, int metodo)
{
    SettlementIdentity id;
    id.idRisultatoLiquidazioneIva = settlement;
    id.idAttivitaAzienda = activity;
    id.idPeriodoIva = vatYear;
    id.idMese = mese;
    id.anno = anno;
    id.idAzienda = company;
    id.metodoCalcoloAccontoIva = metodo;
    return id;
}

} // namespace liqiva::test
