#include "suite/WholeFile.h"

#include "database/SqliteFiles.h"
#include "suite/Refusal.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace liqiva {

namespace {

// The file a target names: a link's file (relative links from the link's folder).
QString resolved(const QString &target)
{
    const QFileInfo info(target);
    if (!info.isSymLink())
        return info.absoluteFilePath();
    return QFileInfo(info.symLinkTarget()).absoluteFilePath();
}

void checkTarget(const QString &shown, const QString &file, WholeFile::Replace replace)
{
    if (isOpenDatabaseFile(file) || isOpenDatabaseFile(shown))
        throw Refusal(WholeFile::msgDatabaseFile(shown));
    const QFileInfo info(file);
    if (info.exists() || info.isSymLink()) {
        if (info.isDir())
            throw Refusal(WholeFile::msgFolder(shown));
        if (!info.isFile())
            throw Refusal(WholeFile::msgNotRegular(shown));
        if (replace == WholeFile::Replace::No)
            throw Refusal(WholeFile::msgExists(shown));
    }
    const QFileInfo folder(info.absolutePath());
    if (!folder.isDir())
        throw Refusal(WholeFile::msgNoFolder(shown));
}

#ifdef Q_OS_UNIX
// The rename itself reaches the disk with its folder.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

std::filesystem::path fsPath(const QString &name)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

// What a writer writes reaches the file whole or the device fails: a file takes a short
// write at the edge of a full disk without an error, and a writer that does not look at the
// count (the PDF and the OpenDocument writers) would go on as if all had been written.
class WholeWrites : public QIODevice {
public:
    explicit WholeWrites(QFile &file) : m_file(file) { open(QIODevice::WriteOnly); }
    // Positions are the file's (a zip writer reads them for its directory).
    bool seek(qint64 pos) override { return m_file.seek(pos) && QIODevice::seek(pos); }
    qint64 size() const override { return m_file.size(); }
    bool failed() const { return m_failed; }
    QString why() const { return m_why; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        qint64 done = 0;
        while (!m_failed && done < len) {
            const qint64 n = m_file.write(data + done, len - done);
            if (n <= 0) {
                m_failed = true;
                m_why = m_file.errorString();
                break;
            }
            done += n;
        }
        if (!m_failed && !m_file.flush()) {
            m_failed = true;
            m_why = m_file.errorString();
        }
        return m_failed ? -1 : len;
    }

private:
    QFile &m_file;
    bool m_failed = false;
    QString m_why;
};

} // namespace

QString WholeFile::msgExists(const QString &file)
{
    return QStringLiteral("il file %1 esiste già: non è stato sostituito (rispondere sì con --yes).")
        .arg(QDir::toNativeSeparators(file));
}

QString WholeFile::msgFolder(const QString &file)
{
    return QStringLiteral("%1 è una cartella: indicare il nome di un file.").arg(QDir::toNativeSeparators(file));
}

QString WholeFile::msgNotRegular(const QString &file)
{
    return QStringLiteral("%1 non è un file regolare (un dispositivo, una pipe o altro): non viene scritto né "
                          "sostituito.")
        .arg(QDir::toNativeSeparators(file));
}

QString WholeFile::msgDatabaseFile(const QString &file)
{
    return QStringLiteral("%1 è un file del database aperto: non può essere scritto né sostituito.")
        .arg(QDir::toNativeSeparators(file));
}

QString WholeFile::msgNoFolder(const QString &file)
{
    return QStringLiteral("la cartella del file %1 non esiste.").arg(QDir::toNativeSeparators(file));
}

QString WholeFile::msgCannotWrite(const QString &file, const QString &why)
{
    return QStringLiteral("impossibile scrivere il file %1 (%2): il file non è stato scritto.")
        .arg(QDir::toNativeSeparators(file), why);
}

WholeFile::WholeFile(const QString &target, Replace replace) : m_target(resolved(target)), m_replace(replace)
{
    checkTarget(target, m_target, replace);
}

WholeFile::~WholeFile()
{
    m_device.reset();
    if (m_temp && !m_committed) {
        m_temp->close();
        m_temp->remove();
    }
}

void WholeFile::check(const QString &target, Replace replace)
{
    checkTarget(target, resolved(target), replace);
}

void WholeFile::fail(const QString &why)
{
    m_device.reset();
    if (m_temp) {
        m_temp->close();
        m_temp->remove();
        m_temp.reset();
    }
    throw Refusal(msgCannotWrite(m_target, why));
}

void WholeFile::start()
{
    if (m_temp)
        return;
    const QFileInfo info(m_target);
    // A hidden name beside the target, never one that is there already.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = QStringLiteral("%1/.%2.%3.part")
                                 .arg(info.absolutePath(), info.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        auto file = std::make_unique<QFile>(name);
        if (file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            m_temp = std::move(file);
            if (info.exists())
                m_temp->setPermissions(info.permissions());
            return;
        }
        if (file->error() != QFileDevice::OpenError || !QFileInfo::exists(name))
            throw Refusal(msgCannotWrite(m_target, file->errorString()));
    }
    throw Refusal(msgCannotWrite(m_target, u"nessun nome libero per il file temporaneo"_qs));
}

QIODevice &WholeFile::device()
{
    start();
    if (!m_device)
        m_device = std::make_unique<WholeWrites>(*m_temp);
    return *m_device;
}

QString WholeFile::temporaryPath()
{
    start();
    m_temp->close();
    return m_temp->fileName();
}

void WholeFile::write(const QByteArray &bytes)
{
    if (device().write(bytes) != bytes.size())
        fail(static_cast<WholeWrites &>(*m_device).why());
}

void WholeFile::finish()
{
    start();
    if (!m_temp->isOpen()) {
        // A library wrote the file by its name: opened again to reach the disk.
        if (!m_temp->open(QIODevice::ReadWrite))
            fail(m_temp->errorString());
    }
    if (m_device && static_cast<WholeWrites &>(*m_device).failed())
        fail(static_cast<WholeWrites &>(*m_device).why());
    if (m_temp->error() != QFileDevice::NoError)
        fail(m_temp->errorString());
    if (!m_temp->flush())
        fail(m_temp->errorString());
#ifdef Q_OS_UNIX
    if (::fsync(m_temp->handle()) != 0)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
#endif
    m_temp->close();
    if (m_temp->error() != QFileDevice::NoError)
        fail(m_temp->errorString());
    m_finished = true;
}

void WholeFile::commit()
{
    if (!m_finished)
        finish();
    try {
        checkTarget(m_target, m_target, m_replace);
    } catch (const Refusal &) {
        m_temp->remove();
        m_temp.reset();
        throw;
    }
    std::error_code ec;
    std::filesystem::rename(fsPath(m_temp->fileName()), fsPath(m_target), ec);
    if (ec)
        fail(QString::fromLocal8Bit(ec.message().c_str()));
    m_committed = true;
#ifdef Q_OS_UNIX
    syncFolder(QFileInfo(m_target).absolutePath());
#endif
}

void WholeFile::writeAll(const QString &target, const QByteArray &bytes, Replace replace)
{
    WholeFile file(target, replace);
    file.write(bytes);
    file.commit();
}

} // namespace liqiva
