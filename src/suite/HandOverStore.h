#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QSettings;

namespace liqiva {

// The per-user settings store through which the suite's launcher hands the work context to
// a program: sections of keys under the suite's registry application name. It is the
// registry on Windows and an INI file elsewhere (QSettings). Section and key names are
// matched without regard to case, as registry names are.
//
// Both sides of the hand-over (liqiva launch and the program) open the store with
// forUser(); when the environment variable LIQIVA_SETTINGS_DIR names a folder, they use an
// INI file there instead of the user's store, so that a trial run leaves the real one alone.
class HandOverStore {
public:
    static std::unique_ptr<HandOverStore> forUser(const QString &applicationName);
    // An INI file named after the application inside folder.
    static std::unique_ptr<HandOverStore> inFolder(const QString &applicationName, const QString &folder);

    ~HandOverStore();
    HandOverStore(const HandOverStore &) = delete;
    HandOverStore &operator=(const HandOverStore &) = delete;

    // A key that does not exist reads as the fallback.
    QString read(const QString &section, const QString &key, const QString &fallback = {}) const;
    bool contains(const QString &section, const QString &key) const;
    bool containsSection(const QString &section) const;
    QStringList keys(const QString &section) const;

    void write(const QString &section, const QString &key, const QString &value);
    // Removing what does not exist does nothing.
    void remove(const QString &section, const QString &key);
    void removeSection(const QString &section);

    // Writes pending changes through, so that another process sees them.
    void sync();
    QString location() const;

private:
    explicit HandOverStore(std::unique_ptr<QSettings> settings);
    QString sectionName(const QString &section) const;
    QString keyPath(const QString &section, const QString &key) const;

    std::unique_ptr<QSettings> m_settings;
};

// The sections and keys of the hand-over.
namespace HandOver {
inline const QString MenuSettings = QStringLiteral("MenuSettings");
inline const QString Path = QStringLiteral("PATH");
inline const QString DBType = QStringLiteral("DBType");
// Ours: the SQLite file path (DBType 1) or the PostgreSQL connection string.
inline const QString Database = QStringLiteral("Database");

inline const QString UserName = QStringLiteral("UserName");
inline const QString Password = QStringLiteral("Password");
inline const QString IDUser = QStringLiteral("IDUser");
inline const QString lIDFirm = QStringLiteral("lIDFirm");
inline const QString lIDBranch = QStringLiteral("lIDBranch");
inline const QString IDFunction = QStringLiteral("IDFunction");
inline const QString lIDActivity = QStringLiteral("lIDActivity");
inline const QString FirmName = QStringLiteral("FirmName");
inline const QString Branch = QStringLiteral("Branch");
inline const QString TableName = QStringLiteral("TableName");
inline const QString Client = QStringLiteral("Client");
inline const QString IDField = QStringLiteral("IDField");
inline const QString hExe = QStringLiteral("hExe");

// The environment variable that moves the store into a folder.
inline const char *const SettingsDirVariable = "LIQIVA_SETTINGS_DIR";
} // namespace HandOver

} // namespace liqiva
