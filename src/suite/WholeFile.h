#pragma once

#include <QFile>
#include <QString>
#include <memory>

namespace liqiva {

// A file written whole or not at all. What is written goes to a temporary file in the
// target's folder; finish() flushes it to the disk and closes it, and only when every step
// succeeded does commit() rename it to the target's name. A failure at any step throws
// Refusal with the file's name and the system's reason, and the temporary file goes away with
// the object: no partial file is ever left under the user's name, and an existing file stays
// as it was.
//
// The target is checked before anything is written and again just before the rename: a
// folder, a device, a pipe or anything else that is not a regular file is refused and never
// replaced; so is a file of a database open in this process; an existing regular file is
// replaced only when the caller says so. A link is followed: its file is replaced, the link
// stays.
class WholeFile {
public:
    enum class Replace { No, Yes };

    // Checks the target (Refusal); the temporary file is made when writing starts.
    WholeFile(const QString &target, Replace replace);
    ~WholeFile();
    WholeFile(const WholeFile &) = delete;
    WholeFile &operator=(const WholeFile &) = delete;

    // The checks of the constructor, for a refusal before any work is done.
    static void check(const QString &target, Replace replace);

    // The temporary file, open for writing.
    QIODevice &device();
    // For a library that writes a file by its name: the temporary file's name (the file is
    // there, empty and closed); finish() then checks what the library left.
    QString temporaryPath();
    void write(const QByteArray &bytes);

    // Flushes, syncs and closes the temporary file; Refusal when any of it fails.
    void finish();
    // Puts the finished file in place under the target's name; Refusal when it cannot.
    void commit();

    // The name the file is written under (a link's file when the target is a link).
    QString target() const { return m_target; }
    bool committed() const { return m_committed; }

    // Writes bytes whole to a file in one call.
    static void writeAll(const QString &target, const QByteArray &bytes, Replace replace);

    static QString msgExists(const QString &file);
    static QString msgFolder(const QString &file);
    static QString msgNotRegular(const QString &file);
    static QString msgDatabaseFile(const QString &file);
    static QString msgNoFolder(const QString &file);
    static QString msgCannotWrite(const QString &file, const QString &why);

private:
    void start();
    [[noreturn]] void fail(const QString &why);

    QString m_target;
    Replace m_replace;
    std::unique_ptr<QFile> m_temp;
    std::unique_ptr<QIODevice> m_device; // writes to m_temp whole or fails
    bool m_finished = false;
    bool m_committed = false;
};

} // namespace liqiva
