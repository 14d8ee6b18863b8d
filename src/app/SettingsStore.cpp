#include "app/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
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

void syncDirectoryOf(const QString &path)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
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
    forgetEarlierFailure();
    const QString k = fullKey(section, key);
    const bool had = m_settings->contains(k);
    const QVariant old = m_settings->value(k);
    m_settings->setValue(k, value);
    commit([&] {
        if (had)
            m_settings->setValue(k, old);
        else
            m_settings->remove(k);
    });
    if (written)
        written(section, key);
}

void SettingsStore::DeleteSection(const QString &section)
{
    forgetEarlierFailure();
    QList<std::pair<QString, QVariant>> old;
    m_settings->beginGroup(section);
    for (const QString &key : m_settings->allKeys())
        old.append({ section + QLatin1Char('/') + key, m_settings->value(key) });
    m_settings->endGroup();
    m_settings->remove(section);
    commit([&] {
        for (const auto &[key, value] : old)
            m_settings->setValue(key, value);
    });
}

void SettingsStore::forgetEarlierFailure()
{
    // QSettings keeps reporting its first error for ever; a fresh one tells whether this
    // write reaches the disk.
    if (m_settings->status() != QSettings::NoError)
        m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
}

void SettingsStore::commit(const std::function<void()> &undo)
{
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError) {
        // The change never reached the disk (a full disk, a read-only folder). Take it back,
        // so that nobody reads a value that a restart would lose and a later write does not
        // store it after all.
        undo();
        m_settings->sync();
        throw SettingsError(
            "Cannot write the settings file " + QFile::encodeName(m_path).toStdString());
    }
    // QSettings replaces the file through a scratch file of its own; make sure the
    // replacement is as private as the original, and that the rename survives a power cut.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    syncDirectoryOf(m_path);
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
