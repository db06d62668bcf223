#include "domain/companies/CompanySetup.h"

#include "database/Connection.h"
#include "domain/companies/RowWriter.h"
#include "domain/companies/UserGroups.h"
#include "suite/Refusal.h"
#include "suite/VatNumbers.h"

#include <QJsonArray>
#include <QSet>

namespace liqiva {

namespace {

[[noreturn]] void refuse(const QString &field, const QString &problem)
{
    throw Refusal(
        QStringLiteral("Azienda non creata, campo \"%1\": %2. Non è stato scritto nulla.").arg(field, problem));
}

// Reads one JSON object strictly: a key it does not know is refused, so that a mistyped
// name never leaves a field at its default unnoticed.
class Fields {
public:
    Fields(const QJsonObject &object, QString path, const QStringList &known)
        : m_object(object), m_path(std::move(path))
    {
        for (auto it = object.begin(); it != object.end(); ++it)
            if (!known.contains(it.key()))
                refuse(name(it.key()), u"campo sconosciuto (campi ammessi: "_qs + known.join(u", "_qs) + u')');
    }

    QString name(const QString &key) const { return m_path.isEmpty() ? key : m_path + u'.' + key; }
    bool has(const QString &key) const { return m_object.contains(key) && !m_object.value(key).isNull(); }

    // A text of at most maxLength characters, trimmed, without control characters.
    QString text(const QString &key, int maxLength, bool required = true, const QString &fallback = {}) const
    {
        if (!has(key)) {
            if (required)
                refuse(name(key), u"manca"_qs);
            return fallback;
        }
        const QJsonValue v = m_object.value(key);
        if (!v.isString())
            refuse(name(key), u"deve essere un testo tra virgolette"_qs);
        const QString t = v.toString().trimmed();
        if (required && t.isEmpty())
            refuse(name(key), u"è vuoto"_qs);
        if (t.size() > maxLength)
            refuse(name(key), QStringLiteral("è lungo %1 caratteri, al massimo %2").arg(t.size()).arg(maxLength));
        for (QChar c : t)
            if (c.category() == QChar::Other_Control || c.isSurrogate())
                refuse(name(key), u"contiene caratteri di controllo"_qs);
        return t;
    }

    bool flag(const QString &key) const
    {
        if (!has(key))
            return false;
        if (!m_object.value(key).isBool())
            refuse(name(key), u"deve essere true o false"_qs);
        return m_object.value(key).toBool();
    }

    int integer(const QString &key, int min, int max) const
    {
        if (!has(key))
            refuse(name(key), u"manca"_qs);
        const double d = m_object.value(key).toDouble(-1e18);
        if (!m_object.value(key).isDouble() || d != double(qint64(d)) || d < min || d > max)
            refuse(name(key), QStringLiteral("deve essere un numero intero da %1 a %2").arg(min).arg(max));
        return int(d);
    }

    // An amount as "100.00" or 100, from 0 to a million, at most two decimals.
    Money amount(const QString &key, Money fallback) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_object.value(key);
        const QString t = v.isString()   ? v.toString()
                          : v.isDouble() ? QString::number(v.toDouble(), 'f', 4)
                                         : QString();
        const std::optional<Money> m = Money::parse(t);
        if (!m || *m < Money() || *m > Money::units(1000000) || m->raw() % 100 != 0)
            refuse(name(key),
                   u"deve essere un importo in euro da 0 a 1000000 con al più due decimali, come \"100.00\""_qs);
        return *m;
    }

    QJsonObject object(const QString &key) const
    {
        if (!m_object.value(key).isObject())
            refuse(name(key), u"deve essere un oggetto { ... }"_qs);
        return m_object.value(key).toObject();
    }

    QJsonArray array(const QString &key) const
    {
        if (!m_object.value(key).isArray())
            refuse(name(key), u"deve essere un elenco [ ... ]"_qs);
        return m_object.value(key).toArray();
    }

private:
    QJsonObject m_object;
    QString m_path;
};

// "47.52.10" or "475210": six digits, kept in the dotted form.
QString atecoCode(const Fields &f, const QString &key)
{
    QString t = f.text(key, 10);
    QString digits = t;
    digits.remove(u'.');
    bool allDigits = digits.size() == 6;
    for (QChar c : digits)
        allDigits = allDigits && c.isDigit();
    const bool dotted = t.size() == 6 || (t.size() == 8 && t[2] == u'.' && t[5] == u'.');
    if (!allDigits || !dotted)
        refuse(f.name(key), QStringLiteral("il codice ATECO \"%1\" non è di sei cifre come 47.52.10").arg(t));
    return digits.left(2) + u'.' + digits.mid(2, 2) + u'.' + digits.mid(4, 2);
}

ActivitySetup activityOf(const QJsonValue &value, const QString &path)
{
    if (!value.isObject())
        refuse(path, u"ogni attività deve essere un oggetto { ... }"_qs);
    const Fields f(value.toObject(), path,
                   {u"name"_qs, u"ateco"_qs, u"atecoDescription"_qs, u"branch"_qs, u"settlement"_qs, u"proRata"_qs,
                    u"flatRateCompensation"_qs, u"truckers"_qs, u"receiptsByRate"_qs});
    ActivitySetup a;
    a.name = f.text(u"name"_qs, 100);
    a.atecoCode = atecoCode(f, u"ateco"_qs);
    a.atecoDescription = f.text(u"atecoDescription"_qs, 255);
    a.branch = f.text(u"branch"_qs, 100, false, a.name);
    const QString settlement = f.text(u"settlement"_qs, 30);
    if (settlement == u"monthly")
        a.periodicity = Periodicity::Monthly;
    else if (settlement == u"quarterly")
        a.periodicity = Periodicity::Quarterly;
    else if (settlement == u"special-quarterly")
        a.periodicity = Periodicity::SpecialQuarterly;
    else
        refuse(
            f.name(u"settlement"_qs),
            QStringLiteral("\"%1\" non è una liquidazione: monthly (mensile), quarterly (trimestrale per opzione, con "
                           "gli interessi) o special-quarterly (trimestrale speciale, senza interessi)")
                .arg(settlement));
    if (f.has(u"proRata"_qs))
        a.proRata = f.integer(u"proRata"_qs, 0, 100);
    a.flatRateCompensation = f.flag(u"flatRateCompensation"_qs);
    a.truckers = f.flag(u"truckers"_qs);
    a.receiptsByRate = f.flag(u"receiptsByRate"_qs);
    return a;
}

} // namespace

CompanySetup CompanySetup::fromJson(const QJsonObject &object)
{
    const Fields f(object, {},
                   {u"name"_qs, u"vatNumber"_qs, u"taxCode"_qs, u"address"_qs, u"declarant"_qs, u"minimumPayments"_qs,
                    u"firstYear"_qs, u"register"_qs, u"activities"_qs});
    CompanySetup s;
    s.name = f.text(u"name"_qs, 100);
    s.vatNumber = f.text(u"vatNumber"_qs, 20);
    if (auto problem = partitaIvaProblem(s.vatNumber))
        refuse(u"vatNumber"_qs, *problem);
    s.taxCode = f.text(u"taxCode"_qs, 16, false, s.vatNumber).toUpper();
    if (auto problem = codiceFiscaleProblem(s.taxCode))
        refuse(u"taxCode"_qs, *problem);

    const Fields address(f.object(u"address"_qs), u"address"_qs,
                         {u"street"_qs, u"postcode"_qs, u"city"_qs, u"province"_qs});
    s.street = address.text(u"street"_qs, 100);
    s.postcode = address.text(u"postcode"_qs, 5);
    if (s.postcode.size() != 5 ||
        !std::all_of(s.postcode.begin(), s.postcode.end(), [](QChar c) { return c.isDigit(); }))
        refuse(address.name(u"postcode"_qs), QStringLiteral("il CAP \"%1\" non è di cinque cifre").arg(s.postcode));
    s.city = address.text(u"city"_qs, 60);
    s.province = address.text(u"province"_qs, 2).toUpper();
    if (s.province.size() != 2 || !s.province[0].isLetter() || !s.province[1].isLetter())
        refuse(address.name(u"province"_qs), QStringLiteral("la sigla \"%1\" non è di due lettere").arg(s.province));

    if (f.has(u"declarant"_qs)) {
        const Fields d(f.object(u"declarant"_qs), u"declarant"_qs, {u"name"_qs, u"taxCode"_qs, u"office"_qs});
        DeclarantSetup declarant;
        declarant.name = d.text(u"name"_qs, 100);
        declarant.taxCode = d.text(u"taxCode"_qs, 16).toUpper();
        if (auto problem = codiceFiscaleProblem(declarant.taxCode))
            refuse(d.name(u"taxCode"_qs), *problem);
        declarant.office = d.integer(u"office"_qs, 1, 15);
        s.declarant = declarant;
    } else if (s.taxCode.size() == 11) {
        refuse(u"declarant"_qs, u"manca: una società comunica e dichiara per mano di chi la rappresenta (nome, codice "
                                u"fiscale e codice di carica)"_qs);
    }

    if (f.has(u"minimumPayments"_qs)) {
        const Fields m(f.object(u"minimumPayments"_qs), u"minimumPayments"_qs,
                       {u"periodic"_qs, u"advance"_qs, u"annual"_qs});
        s.minimumPeriodic = m.amount(u"periodic"_qs, s.minimumPeriodic);
        s.minimumAdvance = m.amount(u"advance"_qs, s.minimumAdvance);
        s.minimumAnnual = m.amount(u"annual"_qs, s.minimumAnnual);
    }
    s.firstYear = f.integer(u"firstYear"_qs, 2000, 2100);
    s.registerName = f.text(u"register"_qs, 100, false, s.registerName);

    if (!f.has(u"activities"_qs))
        refuse(u"activities"_qs, u"manca: serve almeno un'attività"_qs);
    const QJsonArray activities = f.array(u"activities"_qs);
    if (activities.isEmpty())
        refuse(u"activities"_qs, u"è vuoto: serve almeno un'attività"_qs);
    if (activities.size() > 50)
        refuse(u"activities"_qs, u"al più 50 attività"_qs);
    QSet<QString> names, branches;
    for (qsizetype k = 0; k < activities.size(); ++k) {
        const QString path = QStringLiteral("activities[%1]").arg(k + 1);
        ActivitySetup a = activityOf(activities[k], path);
        if (names.contains(a.name.toLower()))
            refuse(path + u".name"_qs, QStringLiteral("l'attività \"%1\" è già nell'elenco").arg(a.name));
        if (branches.contains(a.branch.toLower()))
            refuse(path + u".branch"_qs, QStringLiteral("la filiale \"%1\" è già di un'altra attività").arg(a.branch));
        names.insert(a.name.toLower());
        branches.insert(a.branch.toLower());
        s.activities.push_back(std::move(a));
    }
    return s;
}

const std::vector<VatCodeSetup> &standardVatCodes()
{
    static const std::vector<VatCodeSetup> codes = {
        {u"22"_qs, u"Aliquota ordinaria 22%"_qs, 22, 0, 0, false},
        {u"10"_qs, u"Aliquota ridotta 10%"_qs, 10, 0, 0, false},
        {u"5"_qs, u"Aliquota ridotta 5%"_qs, 5, 0, 0, false},
        {u"4"_qs, u"Aliquota minima 4%"_qs, 4, 0, 0, false},
        {u"22D40"_qs, u"22% detraibile al 40%"_qs, 22, 60, 0, false},
        {u"N1"_qs, u"N1 Escluse ex art. 15"_qs, 0, 0, 2, true},
        {u"N2.1"_qs, u"N2.1 Non soggette ad IVA ai sensi degli artt. da 7 a 7-septies"_qs, 0, 0, 2, true},
        {u"N2.2"_qs, u"N2.2 Non soggette - altri casi"_qs, 0, 0, 2, true},
        {u"N3.1"_qs, u"N3.1 Non imponibili - esportazioni"_qs, 0, 0, 1, false},
        {u"N3.2"_qs, u"N3.2 Non imponibili - cessioni intracomunitarie"_qs, 0, 0, 1, false},
        {u"N3.3"_qs, u"N3.3 Non imponibili - cessioni verso San Marino"_qs, 0, 0, 1, false},
        {u"N3.4"_qs, u"N3.4 Non imponibili - operazioni assimilate alle cessioni all'esportazione"_qs, 0, 0, 1, false},
        {u"N3.5"_qs, u"N3.5 Non imponibili - a seguito di dichiarazioni d'intento"_qs, 0, 0, 1, false},
        {u"N3.6"_qs, u"N3.6 Non imponibili - altre operazioni che non concorrono al plafond"_qs, 0, 0, 1, false},
        {u"N4"_qs, u"N4 Esenti"_qs, 0, 0, 3, false},
        {u"N5"_qs, u"N5 Regime del margine / IVA non esposta in fattura"_qs, 0, 0, 1, false},
        {u"N6.1"_qs, u"N6.1 Inversione contabile - rottami e altri materiali di recupero"_qs, 0, 0, 1, false},
        {u"N6.2"_qs, u"N6.2 Inversione contabile - oro e argento"_qs, 0, 0, 1, false},
        {u"N6.3"_qs, u"N6.3 Inversione contabile - subappalto nel settore edile"_qs, 0, 0, 1, false},
        {u"N6.4"_qs, u"N6.4 Inversione contabile - cessione di fabbricati"_qs, 0, 0, 1, false},
        {u"N6.5"_qs, u"N6.5 Inversione contabile - cessione di telefoni cellulari"_qs, 0, 0, 1, false},
        {u"N6.6"_qs, u"N6.6 Inversione contabile - cessione di prodotti elettronici"_qs, 0, 0, 1, false},
        {u"N6.7"_qs, u"N6.7 Inversione contabile - prestazioni comparto edile e settori connessi"_qs, 0, 0, 1, false},
        {u"N6.8"_qs, u"N6.8 Inversione contabile - operazioni settore energetico"_qs, 0, 0, 1, false},
        {u"N6.9"_qs, u"N6.9 Inversione contabile - altri casi"_qs, 0, 0, 1, false},
        {u"N7"_qs, u"N7 IVA assolta in altro stato UE"_qs, 0, 0, 2, true},
    };
    return codes;
}

namespace {

// The key of a live row whose column equals the value, or 0.
int liveKey(Connection &db, const QString &table, const QString &keyColumn, const QString &column,
            const QVariant &value, const QString &extra = {})
{
    const QVariant key = db.scalar(u"SELECT MIN("_qs + keyColumn + u") FROM "_qs + table + u" WHERE "_qs + column +
                                       u" = ? AND VirtualDelete = 0"_qs + extra,
                                   {value});
    return key.isNull() ? 0 : key.toInt();
}

// The VAT codes a company needs that the database does not hold yet (by their code).
void insertMissingVatCodes(RowWriter &w, const CompanySetup &setup)
{
    const QStringList columns = {u"Iva"_qs,
                                 u"DescrizioneSuRegistroIVA"_qs,
                                 u"AliquotaIva"_qs,
                                 u"PercIndetraibilita"_qs,
                                 u"IDTipoIva"_qs,
                                 u"NoCalcoloProRata"_qs,
                                 u"NoRiportoInDichiarazione"_qs,
                                 u"IDIvaVentilazione"_qs};
    auto add = [&](const VatCodeSetup &c, const QVariant &ventilation) {
        if (liveKey(w.db(), u"Iva"_qs, u"IDIva"_qs, u"Iva"_qs, c.code))
            return;
        w.insert(u"Iva"_qs, u"IDIva"_qs, columns,
                 {c.code, c.description, c.rate, c.undeductible,
                  c.kind ? QVariant(c.kind) : QVariant(QMetaType::fromType<int>()), c.outsideProRata ? 1 : 0,
                  c.outsideProRata ? 1 : 0, ventilation});
    };
    for (const VatCodeSetup &c : standardVatCodes())
        add(c, QVariant(QMetaType::fromType<int>()));
    // Receipts split by rate: the receipts to split, and purchases of goods for resale that
    // point to the rate the receipts take.
    const bool splits = std::any_of(setup.activities.begin(), setup.activities.end(),
                                    [](const ActivitySetup &a) { return a.receiptsByRate; });
    if (splits) {
        add({u"VENT"_qs, u"Corrispettivi da ventilare"_qs, 0, 0, 0, false}, QVariant(QMetaType::fromType<int>()));
        for (int rate : {22, 10, 5, 4})
            add({QStringLiteral("%1V").arg(rate), QStringLiteral("%1% acquisti merci da ventilare").arg(rate), rate, 0,
                 0, false},
                liveKey(w.db(), u"Iva"_qs, u"IDIva"_qs, u"Iva"_qs, QString::number(rate)));
    }
}

int periodicityType(Periodicity p)
{
    return p == Periodicity::Monthly ? 0 : 1;
}

} // namespace

namespace {

// The registry data, the company and its declarant, its configurations.
int writeCompanyRows(RowWriter &w, const CompanySetup &setup)
{
    Connection &db = w.db();
    const QVariant none(QMetaType::fromType<int>());
    const QVariant twin = db.scalar(u"SELECT MIN(Azienda.IDAzienda) FROM Azienda INNER JOIN Anagrafica ON "
                                    u"Azienda.IDAnagrafica = Anagrafica.IDAnagrafica WHERE Anagrafica.PartitaIva = ? "
                                    u"AND Azienda.VirtualDelete = 0"_qs,
                                    {setup.vatNumber});
    if (!twin.isNull())
        refuse(u"vatNumber"_qs,
               QStringLiteral("l'azienda %1 ha già la partita IVA %2").arg(twin.toInt()).arg(setup.vatNumber));

    const QStringList registryColumns = {u"Anagrafica"_qs, u"CodiceFiscale"_qs, u"PartitaIva"_qs, u"Indirizzo"_qs,
                                         u"Cap"_qs,        u"Comune"_qs,        u"Provincia"_qs};
    const int registry = w.insert(
        u"Anagrafica"_qs, u"IDAnagrafica"_qs, registryColumns,
        {setup.name, setup.taxCode, setup.vatNumber, setup.street, setup.postcode, setup.city, setup.province});
    const int company =
        w.insert(u"Azienda"_qs, u"IDAzienda"_qs, {u"Azienda"_qs, u"IDAnagrafica"_qs}, {setup.name, registry});

    QVariant declarant = none;
    QVariant office = none;
    if (setup.declarant) {
        if (!liveKey(db, u"CodiceCarica"_qs, u"IDCodiceCarica"_qs, u"IDCodiceCarica"_qs, setup.declarant->office))
            refuse(u"declarant.office"_qs,
                   QStringLiteral("il codice di carica %1 non è tra quelli del database").arg(setup.declarant->office));
        declarant = w.insert(u"Anagrafica"_qs, u"IDAnagrafica"_qs, {u"Anagrafica"_qs, u"CodiceFiscale"_qs},
                             {setup.declarant->name, setup.declarant->taxCode});
        office = setup.declarant->office;
    }
    w.insert(u"ConfigurazioneDip"_qs, u"IDConfigurazioneDip"_qs,
             {u"IDAzienda"_qs, u"SubFornitoriArt74"_qs, u"IDAnagraficaRappresentante"_qs, u"IDCodiceCarica"_qs},
             {company, 0, declarant, office});
    w.insert(u"ConfigurazioneContabile"_qs, u"IDConfigurazioneContabile"_qs,
             {u"IDAzienda"_qs, u"ImportoMinimoIvaLiquidazionePeriodica"_qs, u"ImportoMinimoIvaAcconto"_qs,
              u"ImportoMinimoIvaAnnuale"_qs, u"ScorporoCorrispettiviGiornaliero"_qs, u"StampaCIC"_qs, u"IDValuta"_qs},
             {company, sqlValue(setup.minimumPeriodic), sqlValue(setup.minimumAdvance), sqlValue(setup.minimumAnnual),
              0, 0, 1});
    return company;
}

// One activity in the first VAT year, with its branch, where the user and the groups get
// their rights.
void writeActivity(RowWriter &w, UserGroups &groups, CreatedCompany &made, const ActivitySetup &a)
{
    Connection &db = w.db();
    const QVariant none(QMetaType::fromType<int>());
    const int activity = w.insert(u"AttivitaAzienda"_qs, u"IDAttivitaAzienda"_qs,
                                  {u"IDAzienda"_qs, u"AttivitaAzienda"_qs}, {made.company, a.name});
    const int branch =
        w.insert(u"Filiale"_qs, u"IDFiliale"_qs, {u"IDAzienda"_qs, u"IDAttivitaAzienda"_qs, u"Filiale"_qs},
                 {made.company, activity, a.branch});
    int code = liveKey(db, u"CodiceAttivita"_qs, u"IDCodiceAttivita"_qs, u"CodiceAttivita"_qs, a.atecoCode);
    if (!code)
        code = w.insert(u"CodiceAttivita"_qs, u"IDCodiceAttivita"_qs, {u"CodiceAttivita"_qs, u"DescrizioneAttivita"_qs},
                        {a.atecoCode, a.atecoDescription});
    w.insert(u"AttivitaAziendaPerPeriodoIva"_qs, u"IDAttivitaAziendaPerPeriodoIva"_qs,
             {u"IDAttivitaAzienda"_qs, u"IDPeriodoIva"_qs, u"IDCodiceAttivita"_qs, u"TipoLiquidazioneIva"_qs,
              u"CalcoloInteressi"_qs, u"Articolo34"_qs, u"GestioneProRata"_qs, u"PercentualeProRata"_qs,
              u"Autotrasportatore"_qs, u"VentilazioneCorrispettivi"_qs},
             {activity, made.vatYear, code, periodicityType(a.periodicity),
              a.periodicity == Periodicity::Quarterly ? 1 : 0, a.flatRateCompensation ? 1 : 0, a.proRata ? 1 : 0,
              a.proRata ? sqlValue(Money::units(*a.proRata)) : none, a.truckers ? 1 : 0, a.receiptsByRate ? 1 : 0});
    groups.grantInBranch(w, branch);
    // The one who sets the company up may do everything in it.
    w.insert(u"AbilitaPerTipoOggettoPerUtente"_qs, u"IDAbilitaPerTipoOggettoPerUtente"_qs,
             {u"IDAzione"_qs, u"IDTipoOggetto"_qs, u"IDFiliale"_qs, u"IDUtente"_qs}, {1, 1, branch, w.user()});
    made.activities.push_back(activity);
    made.branches.push_back(branch);
}

// The numbered register of the settlements: the register is shared by the companies of the
// database, its numbering is the company's.
void writeRegister(RowWriter &w, const CompanySetup &setup, int company)
{
    int reg = liveKey(w.db(), u"RegistroIva"_qs, u"IDRegistroIva"_qs, u"RegistroIva"_qs, setup.registerName,
                      u" AND TipoRegistro = 1"_qs);
    if (!reg)
        reg = w.insert(u"RegistroIva"_qs, u"IDRegistroIva"_qs, {u"RegistroIva"_qs, u"TipoRegistro"_qs},
                       {setup.registerName, 1});
    w.insert(u"NumerazionePerRegistro"_qs, u"IDNumerazionePerRegistro"_qs,
             {u"IDRegistroIva"_qs, u"IDAzienda"_qs, u"NumerazioneConStampa"_qs, u"NumerazionePerSezionale"_qs,
              u"StampaLiquidazioneIva"_qs, u"StampaRiepilogoIva"_qs, u"StampaAnno"_qs},
             {reg, company, 1, 0, 1, 1, 0});
}

} // namespace

CreatedCompany createCompany(Connection &db, const CompanySetup &setup, int user)
{
    Transaction tx(db);
    // Two people setting up companies at once: the second waits, so that it sees the first's
    // VAT number and the shared codes and registers the first has just added. SQLite's
    // transactions already run one at a time.
    if (db.engine() == Engine::Postgres)
        db.executeRaw(u"LOCK TABLE Azienda, Iva, CodiceAttivita, RegistroIva IN EXCLUSIVE MODE"_qs);
    RowWriter w(db, user);
    UserGroups groups(db);
    CreatedCompany made;
    made.company = writeCompanyRows(w, setup);
    insertMissingVatCodes(w, setup);
    groups.ensureGroups(w);
    made.vatYear =
        w.insert(u"PeriodoIva"_qs, u"IDPeriodoIva"_qs,
                 {u"IDAzienda"_qs, u"PeriodoIva"_qs, u"Anno"_qs, u"GestioneArt36"_qs, u"PercInteressiLiqTrim"_qs},
                 {made.company, QString::number(setup.firstYear), setup.firstYear, 0, 1.0});
    for (const ActivitySetup &a : setup.activities)
        writeActivity(w, groups, made, a);
    w.insert(u"ConfigurazioneGenerale"_qs, u"IDConfigurazioneGenerale"_qs,
             {u"IDAzienda"_qs, u"IDFilialePrevalente"_qs, u"IDBancaPerAnagrafica"_qs},
             {made.company, made.branches.front(), QVariant(QMetaType::fromType<int>())});
    writeRegister(w, setup, made.company);
    tx.commit();
    return made;
}

} // namespace liqiva
