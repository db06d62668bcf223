#pragma once

namespace liqiva {

class Connection;

// Opens the VAT year of a company: the year and, for each activity the company still carries
// on, its settings of the year before (settlement type, interest, activity code, pro-rata and
// its percentage, flat-rate compensation, truckers, receipts split by rate). The special
// credits and the last settled month are the year's own and start empty. One transaction;
// refused (Refusal) when the year is already open or the year before is not.
// Gives the key of the new VAT year.
int openVatYear(Connection &db, int company, int year, int user);

} // namespace liqiva
