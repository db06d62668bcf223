#pragma once

#include "domain/printing/PrintRequest.h"
#include "domain/printing/PrintedReport.h"

#include <functional>
#include <vector>

namespace liqiva {

class Connection;
class MessageService;
class SettlementDocument;

// Who prints, for which company.
struct PrintContext {
    Connection &db;
    MessageService &messages;
    int idUser = 0;
    int idAzienda = 0;
    int idFunction = 0;
};

// A print from start to end: the pages of the request, their numbers, the output, and for a
// definitive print the register's last page and the settlements' mark, stored in one
// transaction after the output was produced. An output that fails (it throws) or is
// cancelled changes nothing.
class PrintJob {
public:
    explicit PrintJob(const PrintContext &context) : m_ctx(context) {}

    // The pages of the request, numbered: from the start page on a definitive print, from 1
    // otherwise. A settlement print takes the documents already filled when given (the
    // window's own), else fills each settlement of the request again.
    PrintedReport build(const PrintRequest &request, const std::vector<const SettlementDocument *> &filled = {});

    // The output gets the numbered pages and returns true when it produced them, false when
    // the user cancelled; an error is thrown. A file is written whole by the output but left
    // under a temporary name: publish, when given, puts it in place. For a definitive print
    // publish runs inside the recording transaction, right before its commit: a recording
    // that is refused leaves no file, a file that cannot be put in place records nothing.
    // Returns true when the print was produced (and, when definitive, recorded). A refusal
    // by the numbering, or a settlement changed since it was read, is thrown as Refusal.
    bool run(const PrintRequest &request, PrintedReport &report,
             const std::function<bool(const PrintedReport &)> &output, const std::function<void()> &publish = {});

    // The numbering and the mark of a definitive print, in one transaction: refused when
    // another user printed on the same numbering since the print was set up, when the pages
    // would repeat pages already printed, or when a settlement of the pages is no longer the
    // one that was read (deleted, saved again, its key taken by another period).
    static void commitDefinitive(Connection &db, const PrintRequest &request, const PrintedReport &report,
                                 const std::function<void()> &publish = {});

    // The settlement's row as a print reads it (empty when it is not there).
    static QString settlementRow(Connection &db, int idRisultatoLiquidazioneIva);

    // The saved settlements the summary of a settlement lists: those of its activity and VAT
    // year, by month.
    static std::vector<int> summarySettlements(Connection &db, int idRisultatoLiquidazioneIva);

    static QString msgRegisterMovedOn(int lastPage);
    static QString msgPagesAlreadyPrinted(int startPage, int lastPage);
    static QString msgSettlementGone(int key);
    static QString msgSettlementReplaced(int key);
    static QString msgSettlementSavedAgain(int key);

private:
    void addSummaryPages(PageBuilder &pages, PrintedReport &report, const std::vector<int> &keys);

    PrintContext m_ctx;
};

} // namespace liqiva
