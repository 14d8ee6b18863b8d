#include "app/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString fullKey(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

// Creates the file empty and private before QSettings first writes it; QSettings
// keeps the permissions of an existing file when it replaces it.
void createPrivateFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

} // namespace

SettingsStore::SettingsStore(const QString &iniPath)
    : m_path(iniPath)
{
    createPrivateFile(m_path);
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::ReadSetting(
    const QString &section, const QString &key, const QString &defaultValue) const
{
    // Picks up a change made to the file by hand while the program runs.
    m_settings->sync();
    const QString k = fullKey(section, key);
    if (!m_settings->contains(k))
        return defaultValue;
    const QVariant value = m_settings->value(k);
    // An unquoted value with a comma, as a person may type it into the file, reads as a
    // list; the person meant the text as it stands in the file.
    if (value.userType() == QMetaType::QStringList)
        return rawValue(section, key);
    return value.toString();
}

bool SettingsStore::HasSetting(const QString &section, const QString &key) const
{
    m_settings->sync();
    return m_settings->contains(fullKey(section, key));
}

void SettingsStore::WriteSetting(const QString &section, const QString &key, const QString &value)
{
    m_settings->setValue(fullKey(section, key), value);
    commit();
    if (written)
        written(section, key);
}

void SettingsStore::DeleteSection(const QString &section)
{
    m_settings->remove(section);
    commit();
}

void SettingsStore::commit()
{
    m_settings->sync();
    // QSettings replaces the file through a scratch file of its own; make sure the
    // replacement is as private as the original.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
}

QString SettingsStore::rawValue(const QString &section, const QString &key) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QString escapedKey = key;
    escapedKey.replace(QLatin1Char(' '), QStringLiteral("%20"));
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line == QLatin1Char('[') + section + QLatin1Char(']');
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString name = line.left(eq).trimmed();
        if (name == key || name == escapedKey)
            return line.mid(eq + 1).trimmed();
    }
    return {};
}
