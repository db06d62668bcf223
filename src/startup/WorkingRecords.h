#pragma once

namespace liqiva {

class Connection;

// Removes the user's unconfirmed working rows (VirtualDelete 2) of the settlements and of
// their typed amounts, as left by a program that did not close normally. Run at start-up and
// when the program ends; the statements run as written, without the dialect translator.
void removeUserWorkingRows(Connection &db, int idUser);

} // namespace liqiva
