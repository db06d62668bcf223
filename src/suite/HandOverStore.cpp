#include "suite/HandOverStore.h"

#include <QDir>
#include <QSettings>

namespace liqiva {

HandOverStore::HandOverStore(std::unique_ptr<QSettings> settings) : m_settings(std::move(settings)) {}

HandOverStore::~HandOverStore() = default;

std::unique_ptr<HandOverStore> HandOverStore::forUser(const QString &applicationName)
{
    const QString folder = qEnvironmentVariable(HandOver::SettingsDirVariable);
    if (!folder.isEmpty())
        return inFolder(applicationName, folder);
    return std::unique_ptr<HandOverStore>(new HandOverStore(
        std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, applicationName, applicationName)));
}

std::unique_ptr<HandOverStore> HandOverStore::inFolder(const QString &applicationName, const QString &folder)
{
    QDir().mkpath(folder);
    const QString file = QDir(folder).filePath(applicationName + u".ini"_qs);
    return std::unique_ptr<HandOverStore>(new HandOverStore(std::make_unique<QSettings>(file, QSettings::IniFormat)));
}

QString HandOverStore::sectionName(const QString &section) const
{
    const QStringList groups = m_settings->childGroups();
    for (const QString &g : groups) {
        if (g.compare(section, Qt::CaseInsensitive) == 0)
            return g;
    }
    return section;
}

QString HandOverStore::keyPath(const QString &section, const QString &key) const
{
    const QString group = sectionName(section);
    m_settings->beginGroup(group);
    QString name = key;
    const QStringList present = m_settings->childKeys();
    for (const QString &k : present) {
        if (k.compare(key, Qt::CaseInsensitive) == 0) {
            name = k;
            break;
        }
    }
    m_settings->endGroup();
    return group + u'/' + name;
}

QString HandOverStore::read(const QString &section, const QString &key, const QString &fallback) const
{
    const QVariant v = m_settings->value(keyPath(section, key));
    return v.isValid() ? v.toString() : fallback;
}

bool HandOverStore::contains(const QString &section, const QString &key) const
{
    return m_settings->contains(keyPath(section, key));
}

bool HandOverStore::containsSection(const QString &section) const
{
    return m_settings->childGroups().contains(section, Qt::CaseInsensitive);
}

QStringList HandOverStore::keys(const QString &section) const
{
    m_settings->beginGroup(sectionName(section));
    const QStringList out = m_settings->childKeys();
    m_settings->endGroup();
    return out;
}

void HandOverStore::write(const QString &section, const QString &key, const QString &value)
{
    m_settings->setValue(keyPath(section, key), value);
}

void HandOverStore::remove(const QString &section, const QString &key)
{
    m_settings->remove(keyPath(section, key));
}

void HandOverStore::removeSection(const QString &section)
{
    if (containsSection(section))
        m_settings->remove(sectionName(section));
}

void HandOverStore::sync()
{
    m_settings->sync();
}

QString HandOverStore::location() const
{
    return m_settings->fileName();
}

} // namespace liqiva
