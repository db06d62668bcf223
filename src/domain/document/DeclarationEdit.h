#pragma once

#include "suite/Money.h"

#include <QString>
#include <optional>

namespace liqiva {

class Amounts;
class SettlementDocument;

// What the user may type into the declaration grid, and where it goes. The cells that hold
// an amount of the settlement (variations, unpaid VAT, special credits, quarterly interest,
// advance paid) take the typed amount into the settlement amounts, so that the save stores
// it; the rows of the period's VAT (from the report header), the carried debt or credit,
// the compensable credit (set by its own dialogs) and the two computed rows are shown only.
enum class DeclarationColumn { Debit, Credit };

bool isEditableCell(int row, DeclarationColumn column);

struct DeclarationEditOutcome {
    bool accepted = false;
    QString message; // why the edit was refused
};

// Puts a typed amount (empty = 0) into a cell of the document's declaration grid and into
// the settlement amounts behind it, then lets the document recompute the computed rows, the
// quarterly interest and the closing amounts. A refused edit changes nothing.
DeclarationEditOutcome editDeclarationCell(SettlementDocument &doc, int row, DeclarationColumn column,
                                           std::optional<Money> value);

// Why the special credits used in `amounts` are refused (negative, above what is available,
// together above the VAT of the period); empty when they are not.
QString specialCreditsFault(const Amounts &amounts);

QString msgCellNotEditable();
QString msgCellOutOfRange();
QString msgBelowRecordedPart(const QString &recorded);

} // namespace liqiva
