#pragma once

#include "suite/Money.h"

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

namespace liqiva {

class Connection;

// How an activity settles its VAT: monthly; quarterly by option, with the 1% interest on each
// of the first three quarters; quarterly as a special category (no interest).
enum class Periodicity { Monthly, Quarterly, SpecialQuarterly };

struct ActivitySetup {
    QString name;             // the activity as the lists show it
    QString atecoCode;        // "47.52.10"
    QString atecoDescription; // as the declaration prints it
    QString branch;           // the branch of the activity (its name)
    Periodicity periodicity = Periodicity::Monthly;
    std::optional<int> proRata;        // the deductible percentage, when the pro-rata applies
    bool flatRateCompensation = false; // the flat-rate compensation of farmers
    bool truckers = false;             // road haulage: the truckers' credit
    bool receiptsByRate = false;       // receipts split by rate in proportion to purchases
};

// The person who signs the communication and the declaration for a company.
struct DeclarantSetup {
    QString name;
    QString taxCode;
    int office = 1; // CodiceCarica
};

// Everything a company of one's own needs before its first settlement.
struct CompanySetup {
    QString name;
    QString vatNumber;
    QString taxCode;
    QString street, postcode, city, province;
    std::optional<DeclarantSetup> declarant;
    Money minimumPeriodic = Money::fromRaw(1000000); // 100,00
    Money minimumAdvance = Money::fromRaw(1032900);  // 103,29
    Money minimumAnnual = Money::fromRaw(103300);    // 10,33
    int firstYear = 0;
    QString registerName = u"Registro liquidazioni IVA"_qs;
    std::vector<ActivitySetup> activities;

    // Reads and checks a set-up (the file of `liqiva company create`). Every field is checked;
    // the first problem is refused (Refusal) with the field's name and what is wrong.
    static CompanySetup fromJson(const QJsonObject &object);
};

// A VAT code of a new company: the code, the description the register prints, the rate,
// the undeductible percentage and the kind (1 non-taxable, 2 out of scope, 3 exempt, 0 taxable).
struct VatCodeSetup {
    QString code;
    QString description;
    int rate;
    int undeductible;
    int kind;
    bool outsideProRata; // out of scope: neither in the pro-rata nor in the declarations
};

// The codes every company gets: the rates 22, 10, 5 and 4, the natures N1 to N7 with their
// sub-codes, and 22% deductible at 40%.
const std::vector<VatCodeSetup> &standardVatCodes();

// What createCompany wrote.
struct CreatedCompany {
    int company = 0;
    int vatYear = 0;
    std::vector<int> activities; // in the order of the set-up
    std::vector<int> branches;   // one per activity
};

// Writes the company in one transaction: registry data, company, declarant, configuration,
// activities and their branches, the first VAT year with each activity's settings, the
// numbered settlement register, the VAT codes that are missing (the codes are shared by the
// companies of a database) and, for the user, every right in the new branches. A refusal or
// a failure writes nothing.
CreatedCompany createCompany(Connection &db, const CompanySetup &setup, int user);

} // namespace liqiva
