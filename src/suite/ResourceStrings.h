#pragma once

#include <QString>

namespace liqiva {

// The suite's texts by number. Callers name a text by its number, as the suite does; the
// texts themselves are ours. A number without a text gives a visible placeholder rather than
// an empty string, so a missing text never turns into a blank message box.
class ResourceStrings {
public:
    // The first-level name of the per-user settings of the whole suite.
    static constexpr int RegistryApplicationName = 1368;
    // Start-up refused: no user (IDUser -1) or no company (lIDFirm -1) handed over.
    static constexpr int NoUserOrCompany = 237;
    // The save question; the caller follows it with the document's caption in double quotes.
    static constexpr int SaveChangesQuestion = 240;
    // Start-up refused: the database type of the installation is missing or not valid.
    static constexpr int DatabaseTypeMissing = 1369;
    // A launched module did not show its window in time.
    static constexpr int ModuleDidNotStart = 1370;

    QString text(int number) const;
    bool has(int number) const;

    // Text 1368, trimmed: the application name of every settings access.
    QString registryApplicationName() const { return text(RegistryApplicationName).trimmed(); }
};

} // namespace liqiva
