#pragma once

#include <QString>
#include <vector>

namespace liqiva {

class Connection;

// The two prints that go on a numbered VAT register, and the declaration forms, which do not.
enum class PrintReport { Settlement, Summary, Declaration };

// The suite function of a print ("TARVESCO" for the settlement, "RIEPIIVA" for the summary)
// and the column of the numbering tables that enables the print on a register.
QString functionCode(PrintReport report);
QString numberingColumn(PrintReport report);
// The title of the report as it is printed.
QString reportTitle(PrintReport report);

struct NamedKey {
    int id = 0;
    QString name;
};

// The numbering a definitive print continues: the per-register key, and the per-sectional
// key when the register is numbered per sectional (0 otherwise).
struct NumberingKeys {
    int perRegister = 0;
    int perSectional = 0;
    bool valid() const { return perRegister > 0 || perSectional > 0; }
};

// The statements of the register numbering of one company for one print: the registers and
// sectionals a print may go on, the last page printed in a year, and the two updates of a
// definitive print.
class RegisterNumbering {
public:
    RegisterNumbering(Connection &db, int idAzienda, PrintReport report);

    // Settlement registers with numbering on print that carry this print (directly or
    // through a sectional), by name.
    std::vector<NamedKey> registers();
    // Is the register numbered per sectional?
    bool numberedPerSectional(int idRegistroIva);
    // The live sectionals of the register enabled for this print, by name.
    std::vector<NamedKey> sectionals(int idRegistroIva);
    // Does the register print the year with the page number?
    bool printTheYear(int idRegistroIva);
    // The numbering of the register, or of its sectional when one is given (> 0).
    NumberingKeys keys(int idRegistroIva, int idSezionale);
    // The last page printed on the numbering in the year; 0 when nothing was printed yet.
    int lastPage(const NumberingKeys &keys, int year);
    QString registerName(int idRegistroIva);
    QString sectionalName(int idSezionale);

    // The VAT year of a settlement (0 when the settlement does not exist).
    static int settlementYear(Connection &db, int idRisultatoLiquidazioneIva);
    static bool printedDefinitively(Connection &db, int idRisultatoLiquidazioneIva);
    static int lastPage(Connection &db, const NumberingKeys &keys, int year);

    // Stores the last page of a definitive print: start + pages - 1, in the row of the
    // numbering and year (created on the first print of the year). A last page beyond the
    // 32-bit range is refused (Refusal) and nothing is written.
    static void sbUpdateProgressiviNumReg(Connection &db, int pagesPrinted, int year, int startPage,
                                          const NumberingKeys &keys);
    // Marks the settlement as printed definitively.
    static void sbUpdateStampatoDefinitivo(Connection &db, int idRisultatoLiquidazioneIva);
    // The last page a print of that many pages from that start would reach; Refusal when
    // it does not fit the page counter.
    static int lastPageOf(int startPage, int pagesPrinted);

    static QString msgPageCounterOverflow();

private:
    Connection &m_db;
    int m_company;
    PrintReport m_report;
};

} // namespace liqiva
