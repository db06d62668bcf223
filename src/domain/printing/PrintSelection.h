#pragma once

#include <vector>

namespace liqiva {

class Connection;

// The user's selection of settlements to print, kept for the print in the work tables
// TabellaRicorsione and TabellaRicorsione2 of the user and the function.
class PrintSelection {
public:
    PrintSelection(Connection &db, int idUser, int idFunction) : m_db(db), m_user(idUser), m_function(idFunction) {}

    // sbSetPrintOperation: the settlements in print order, with their activity code and the
    // register they go on.
    void sbSetPrintOperation(const std::vector<int> &settlements, int idRegistroIva);
    // The selected settlements, in their order.
    std::vector<int> selected();
    // sbDeletePrintOperation: removes the user's selection.
    void sbDeletePrintOperation();

private:
    Connection &m_db;
    int m_user;
    int m_function;
};

} // namespace liqiva
