#pragma once

#include "domain/engine/SettlementIdentity.h"

#include "domain/engine/AmountTypes.h"
#include "database/SqlValue.h"
#include "suite/Money.h"

#include <QMap>
#include <QString>
#include <QVector>
#include <optional>

namespace liqiva {


// The amounts of one settlement: the typed rows of RisultatoLiquidazioneIvaXTipo in memory,
// keyed by settlement type and amount type ("0-12" is the VAT of the period of settlement
// type 0), with the special credits of the activity's year and the figures the declaration
// grid derives from them.
//
// Settlement type of the keys: rows of a settlement with an activity carry no settlement
// type and live under type 0, whatever the activity's own type; rows of a settlement that
// covers all activities carry one, and LiquidationType chooses which ones the properties
// read and write. For a settlement with an activity LiquidationType is therefore ignored.
//
// Units: with ImpUnita false (lire declarations in thousands) every amount is held
// divided by 1000 and multiplied by 1000 when written. Set it before loading.
class Amounts {
public:
    Amounts(Connection &db, int idUser);

    // ---- identity --------------------------------------------------------------------
    int IDRisultatoLiquidazioneIva() const { return m_idRisultato; }
    void setIDRisultatoLiquidazioneIva(int v) { m_idRisultato = v; }
    int IDPeriodoIva() const { return m_idPeriodoIva; }
    void setIDPeriodoIva(int v) { m_idPeriodoIva = v; }
    int IDAttivitaAzienda() const { return m_idAttivita; }
    void setIDAttivitaAzienda(int v) { m_idAttivita = v; }
    // 1..12, 13 the December advance, 0 the annual settlement.
    int IDMese() const { return m_idMese; }
    void setIDMese(int v) { m_idMese = v; }
    int MetodoCalcoloAccontoIva() const { return m_metodo; }
    void setMetodoCalcoloAccontoIva(int v) { m_metodo = v; }
    // The activity's settlement type in the year (0 monthly, else quarterly); the loaders
    // read it for a settlement with an activity.
    int TipoLiquidazioneIva() const { return m_tipoLiquidazione; }
    void setTipoLiquidazioneIva(int v) { m_tipoLiquidazione = v; }
    // The settlement type whose amounts the properties read and write (see above).
    int LiquidationType() const { return m_liquidationType; }
    void setLiquidationType(int v) { m_liquidationType = v; }
    // Units (true) or thousands (false).
    bool ImpUnita() const { return m_impUnita; }
    void setImpUnita(bool v) { m_impUnita = v; }
    // The activity in the VAT year as the caller already read it, for the loaders that follow
    // (null: they read it themselves). The caller keeps it alive and sets null when done.
    void setActivityYear(const ActivitySettings *year) { m_activityYear = year; }

    // ---- the collection --------------------------------------------------------------
    // The amount of a type for the current settlement type; a missing row reads 0.
    Money Importo(int amountType) const;
    void setImporto(int amountType, Money value);
    Money Importo(int liquidationType, int amountType) const;
    void setImporto(int liquidationType, int amountType, Money value);
    // The key of the collection: settlement type and amount type ("0-12" as text).
    struct Key {
        int liquidationType = 0;
        int amountType = 0;
        auto operator<=>(const Key &) const = default;
        QString text() const { return QString::number(liquidationType) + u'-' + QString::number(amountType); }
    };
    const QMap<Key, Money> &collection() const { return m_amounts; }
    void clear();

    // ---- typed amounts ---------------------------------------------------------------
    // clang-format off
#define LIQIVA_AMOUNT(name, code)                                                                                     \
    Money name() const { return Importo(code); }                                                                      \
    void set##name(Money v) { setImporto(code, v); }
    // clang-format on
    LIQIVA_AMOUNT(IntTrimDovuti, AmountType::IntTrimDovuti)
    LIQIVA_AMOUNT(CreAutotraspUti, AmountType::CreAutotraspUti)
    LIQIVA_AMOUNT(AccontoVersato, AmountType::AccontoVersato)
    LIQIVA_AMOUNT(IvaDaVersare, AmountType::IvaDaVersare)
    LIQIVA_AMOUNT(IvaPeriodo, AmountType::IvaPeriodo)
    LIQIVA_AMOUNT(VarRavvOperoso, AmountType::VarRavvOperoso)
    LIQIVA_AMOUNT(IntLiqTrimRavv, AmountType::IntLiqTrimRavv)
    LIQIVA_AMOUNT(IntRavv, AmountType::IntRavv)
    LIQIVA_AMOUNT(AltreVarDeb, AmountType::AltreVarDeb)
    LIQIVA_AMOUNT(VarImpCre, AmountType::VarImpCre)
    LIQIVA_AMOUNT(ImpNoverPerPrec, AmountType::ImpNoverPerPrec)
    LIQIVA_AMOUNT(Int150TrimPerPrec, AmountType::Int150TrimPerPrec)
    LIQIVA_AMOUNT(IntMoraPerPrec, AmountType::IntMoraPerPrec)
    LIQIVA_AMOUNT(AltriCreImpUti, AmountType::AltriCreImpUti)
    LIQIVA_AMOUNT(IntTrimDovutiCalc, AmountType::IntTrimDovutiCalc)
    LIQIVA_AMOUNT(CreDimLiquiSucc, AmountType::CreDimLiquiSucc)
    LIQIVA_AMOUNT(VarImpCrePrec, AmountType::VarImpCrePrec)
    LIQIVA_AMOUNT(VariazioniInDiminuzione, AmountType::VariazioniInDiminuzione)
    LIQIVA_AMOUNT(DebitoPrec, AmountType::DebitoPrec)
    LIQIVA_AMOUNT(CreditoPrec, AmountType::CreditoPrec)
    LIQIVA_AMOUNT(IvaVersataEccesso, AmountType::IvaVersataEccesso)
    LIQIVA_AMOUNT(CreditoBeniAmmortizzabili, AmountType::CreditoBeniAmmortizzabili)
    LIQIVA_AMOUNT(IntAnnDovuti, AmountType::IntAnnDovuti)
    LIQIVA_AMOUNT(IntAnnDovutiCalc, AmountType::IntAnnDovutiCalc)
#undef LIQIVA_AMOUNT

    // ---- figures kept in memory: the credit windows and the credit movements set them, and
    // the loaders fill the totals of the earlier settlements of the year
    enum class Figure {
        CICInizio,
        CICUtiLiqui,
        CICUtiF24,
        CICFine,
        CreLiquiPer,
        CreCompF24,
        RimbInfrannuale,
        CredInfrannuale,
        CIEstrCompTrimIII,
        CIEstrCompTrimII,
        CIEstrCompTrimI,
        CAEstrComp,
        CIDetrazTrimIII,
        CIDetrazTrimII,
        CIDetrazTrimI,
        CADetraz,
        CIEstrLiqTrimIII,
        CIEstrLiqTrimII,
        CIEstrLiqTrimI,
        CAEstrLiqPer,
        TotIVACreditoTrim,
        TotIVACreditoPrec,
        TotIVADebitoPrec,
        VarImpCrePrecCalc,
        VarRavvOperosoPrecCalc,
        AltreVarDebPrec,
        // the infra-annual credit prospectus: total credit, credit of the quarter, increases
        CredInfraTotale,
        CredInfraTrimestre,
        CredInfraAumenti,
    };
    // clang-format off
#define LIQIVA_FIGURE(name)                                                                                           \
    Money name() const { return m_figures.value(Figure::name); }                                                      \
    void set##name(Money v) { m_figures.insert(Figure::name, v); }
    // clang-format on
    LIQIVA_FIGURE(CICInizio)
    LIQIVA_FIGURE(CICUtiLiqui)
    LIQIVA_FIGURE(CICUtiF24)
    LIQIVA_FIGURE(CICFine)
    LIQIVA_FIGURE(CreLiquiPer)
    LIQIVA_FIGURE(CreCompF24)
    LIQIVA_FIGURE(RimbInfrannuale)
    LIQIVA_FIGURE(CredInfrannuale)
    LIQIVA_FIGURE(CIEstrCompTrimIII)
    LIQIVA_FIGURE(CIEstrCompTrimII)
    LIQIVA_FIGURE(CIEstrCompTrimI)
    LIQIVA_FIGURE(CAEstrComp)
    LIQIVA_FIGURE(CIDetrazTrimIII)
    LIQIVA_FIGURE(CIDetrazTrimII)
    LIQIVA_FIGURE(CIDetrazTrimI)
    LIQIVA_FIGURE(CADetraz)
    LIQIVA_FIGURE(CIEstrLiqTrimIII)
    LIQIVA_FIGURE(CIEstrLiqTrimII)
    LIQIVA_FIGURE(CIEstrLiqTrimI)
    LIQIVA_FIGURE(CAEstrLiqPer)
    LIQIVA_FIGURE(TotIVACreditoTrim)
    LIQIVA_FIGURE(TotIVACreditoPrec)
    LIQIVA_FIGURE(TotIVADebitoPrec)
    LIQIVA_FIGURE(VarImpCrePrecCalc)
    LIQIVA_FIGURE(VarRavvOperosoPrecCalc)
    LIQIVA_FIGURE(AltreVarDebPrec)
    LIQIVA_FIGURE(CredInfraTotale)
    LIQIVA_FIGURE(CredInfraTrimestre)
    LIQIVA_FIGURE(CredInfraAumenti)
#undef LIQIVA_FIGURE
    Money figure(Figure f) const { return m_figures.value(f); }
    void setFigure(Figure f, Money v) { m_figures.insert(f, v); }

    // The figures the credit windows set are stored with the settlement as typed amounts of
    // their own (from 60 on) and read back by the loaders: the figure and its amount type.
    static const QVector<std::pair<Figure, int>> &storedFigures();

    // ---- derived amounts of the declaration grid ----------------------------------------
    // AltriCreImpUti + CreAutotraspUti.
    Money CreditiSpeciali() const
    {
        return AltriCreImpUti() + CreAutotraspUti();
    }
    // IntMoraPerPrec + Int150TrimPerPrec + ImpNoverPerPrec.
    Money IvaNoVersataPrec() const
    {
        return IntMoraPerPrec() + Int150TrimPerPrec() + ImpNoverPerPrec();
    }
    // The debit changes of earlier periods: late-payment corrections and interest, other
    // debit changes, and the annual and infra-annual credits taken out of the settlements.
    Money VarImpoPeriodoPrecDeb() const;
    // The credit changes of earlier periods: VarImpCre and the annual and infra-annual
    // credits taken out of the compensation.
    Money VarImpoPeriodoPrecCre() const;
    // The annual and infra-annual credits brought into the settlement.
    Money CreditoInDetrazione() const;

    // ---- special credits of the activity's year ----------------------------------------
    // Available to this settlement: what the year still has plus what this settlement had
    // already used when it was loaded. Zero when the activity's switch is off.
    Money CreAutotrasp() const
    {
        return m_special.value(prefix()).autotrasp;
    }
    void setCreAutotrasp(Money v)
    {
        m_special[prefix()].autotrasp = v;
    }
    Money AltriCreImp() const
    {
        return m_special.value(prefix()).altri;
    }
    void setAltriCreImp(Money v)
    {
        m_special[prefix()].altri = v;
    }
    bool ChkCreAutotrasp() const
    {
        return m_special.value(prefix()).chkAutotrasp;
    }
    void setChkCreAutotrasp(bool v)
    {
        m_special[prefix()].chkAutotrasp = v;
    }
    bool ChkAltriCreImp() const
    {
        return m_special.value(prefix()).chkAltri;
    }
    void setChkAltriCreImp(bool v)
    {
        m_special[prefix()].chkAltri = v;
    }

    // ---- flags of the settlement row -----------------------------------------------------
    bool ChkSoggRimbLiqIva() const
    {
        return m_soggRimb;
    }
    void setChkSoggRimbLiqIva(bool v)
    {
        m_soggRimb = v;
    }
    bool ChkSoggRimbLiqIvaTrim() const
    {
        return m_soggRimbTrim;
    }
    void setChkSoggRimbLiqIvaTrim(bool v)
    {
        m_soggRimbTrim = v;
    }
    bool ChkSoggRimbLiqIva7374() const
    {
        return m_soggRimb7374;
    }
    void setChkSoggRimbLiqIva7374(bool v)
    {
        m_soggRimb7374 = v;
    }
    // ConfigurazioneContabile.StampaCIC of the company of the VAT year: read and written
    // straight in the database.
    bool chkPrintCIC() const;
    void setChkPrintCIC(bool v);

    // ---- operations ------------------------------------------------------------------
    // Loads the settlement of a period: activity (0 for all activities), VAT year, month
    // (1..12, 13 the December advance, 0 the whole year) and advance method.
    void LoadByPeriod(int idAttivitaAzienda, int idPeriodoIva, int idMese, int metodoCalcoloAccontoIva = 0);
    void LoadByPeriod(const SettlementIdentity &s)
    {
        LoadByPeriod(s.idAttivitaAzienda, s.idPeriodoIva, s.idMese, s.metodoCalcoloAccontoIva);
    }
    // Loads again the settlement of IDRisultatoLiquidazioneIva.
    void Refresh();
    // The December advance summary: the year's stored amounts of every activity of the
    // company, summed by settlement type (advance rows and types 20, 21, 22, 36 left out),
    // with the special credits of the activities.
    void LoadByPeriodXRiepilogoAccontoDicembre(int idAzienda, int anno);
    // Writes the typed amounts of the settlement and books the special credits used; one
    // transaction. Nothing happens without a settlement key.
    void Save();
    // Gives the special credits used back to the activity's year and removes every typed
    // amount of the settlement; one transaction.
    void Delete();
    // The special credits used: not negative, not above what is available, together not
    // above the VAT due of the period. The reason they are refused, none when they stand.
    std::optional<QString> CheckAmounts() const;
    // The VAT on depreciable goods bought in the period, from the activity's counters.
    Money CalcolaCreditoBeniAmmortizzabili();

    // The messages of CheckAmounts.
    static QString msgCreditoUtilizzatoNegativo();
    static QString msgCreditoUtilizzatoMaggiore();
    static QString msgCreditiSpecialiMaggioriImposta();

    // The amount types Save writes: periodic settlements (the December advance included)
    // and the annual settlement.
    static const QVector<int> &periodicTypes();
    static const QVector<int> &annualTypes();

private:
    struct SpecialCredits {
        Money autotrasp;
        Money altri;
        bool chkAutotrasp = false;
        bool chkAltri = false;
    };

    int prefix() const
    {
        return m_idAttivita != 0 ? 0 : m_liquidationType;
    }
    long long unit() const
    {
        return m_impUnita ? 1 : 1000;
    }
    Money toDatabase(Money memoryValue) const;
    Money fromDatabase(const QVariant &databaseValue) const;
    bool periodic() const
    {
        return m_idMese != 0;
    }
    bool booksSpecialCredits() const
    {
        return periodic() && m_idMese != 13 && m_idAttivita != 0;
    }

    // The settlement's stored amounts and, in the same statement, the totals of the earlier
    // settlements of the year.
    void loadRows(const QString &where, const SqlParams &params);
    SqlStatement earlierTotals() const;
    void setEarlierTotal(int type, Money v);
    ActivitySettings readActivityYear();
    void loadSpecialCredits();
    void loadSpecialCredits(const ActivitySettings &year);
    // Used special credits as stored for the settlement (database units): types 4 and 23.
    QMap<int, Money> storedUsedCredits();

    Connection &m_db;
    int m_idUser;
    int m_idRisultato = 0;
    int m_idPeriodoIva = 0;
    int m_idAttivita = 0;
    int m_idMese = 0;
    int m_metodo = 0;
    int m_tipoLiquidazione = 0;
    int m_liquidationType = 0;
    bool m_impUnita = true;
    bool m_soggRimb = false;
    bool m_soggRimbTrim = false;
    bool m_soggRimb7374 = false;
    QMap<Key, Money> m_amounts;
    QMap<Figure, Money> m_figures;
    QMap<int, SpecialCredits> m_special; // by settlement type
    const ActivitySettings *m_activityYear = nullptr;
};

} // namespace liqiva
