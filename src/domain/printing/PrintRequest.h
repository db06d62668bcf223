#pragma once

#include "domain/printing/RegisterNumbering.h"

#include <vector>

namespace liqiva {

// Where the print goes: to the printer, or elsewhere (preview, file, mail). A definitive
// print that does not go to the printer is asked about first.
enum class PrintOperation { Other = 0, Printer = 1 };

// Everything a print needs to know: what to print and, for a definitive print, on which
// numbering it continues.
struct PrintRequest {
    PrintReport report = PrintReport::Settlement;
    std::vector<int> settlements; // keys, in print order (the summary lists them all)
    bool definitive = false;
    int idRegistroIva = 0;
    int idSezionale = 0;
    NumberingKeys keys;
    int year = 0;
    bool printTheYear = false;
    // The register's last page when the print was set up, and the number of the first
    // printed page (storedLastPage + 1 unless the user continues further on).
    int storedLastPage = 0;
    int startPage = 1;
};

} // namespace liqiva
