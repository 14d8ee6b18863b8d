// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/SettingsStore.h"

#include <QCoreApplication>
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

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

QString SettingsStore::readSetting(
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

bool SettingsStore::hasSetting(const QString &section, const QString &key) const
{
    m_settings->sync();
    return m_settings->contains(fullKey(section, key));
}

void SettingsStore::writeSetting(const QString &section, const QString &key, const QString &value)
{
    forgetEarlierFailure();
    keepTypedTexts();
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

void SettingsStore::deleteSetting(const QString &section, const QString &key)
{
    const QString k = fullKey(section, key);
    if (!m_settings->contains(k))
        return;
    forgetEarlierFailure();
    keepTypedTexts();
    const QVariant old = m_settings->value(k);
    m_settings->remove(k);
    commit([&] { m_settings->setValue(k, old); });
    if (written)
        written(section, key);
}

void SettingsStore::deleteSection(const QString &section)
{
    forgetEarlierFailure();
    keepTypedTexts();
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

void SettingsStore::keepTypedTexts()
{
    // A value typed into the file with a comma reads as the text that stands there, but
    // QSettings holds it as a list and, when any write rewrites the file, writes the list
    // in its own form ("a,b" comes back as "a, b"): a write elsewhere would change it.
    // Stored as the text it reads as, it stays that text.
    for (const QString &k : m_settings->allKeys()) {
        const qsizetype slash = k.indexOf(QLatin1Char('/'));
        if (slash < 0 || m_settings->value(k).userType() != QMetaType::QStringList)
            continue;
        // Empty when the line cannot be found again (a key written with escapes): the
        // list is then left as QSettings holds it.
        const QString text = rawValue(k.left(slash), k.mid(slash + 1));
        if (!text.isEmpty())
            m_settings->setValue(k, text);
    }
}

void SettingsStore::commit(const std::function<void()> &undo)
{
    const QByteArray before = fileContent(m_path);
    m_settings->sync();
    // A file that was malformed when it was read (a broken hand edit) leaves QSettings
    // reporting FormatError although it writes the file all the same, in its own form: the
    // write reached the disk when the file changed. The next write starts with a fresh
    // QSettings that reads the file as now written.
    const bool written = m_settings->status() == QSettings::NoError
        || (m_settings->status() == QSettings::FormatError && fileContent(m_path) != before);
    if (!written) {
        // The change never reached the disk (a full disk, a read-only folder). Take it back,
        // so that nobody reads a value that a restart would lose and a later write does not
        // store it after all.
        undo();
        m_settings->sync();
        throw SettingsError(
            QCoreApplication::translate("SettingsStore", "Cannot write the settings file %1")
                .arg(m_path)
                .toStdString());
    }
    // QSettings replaces the file through a scratch file of its own; make sure the
    // replacement is as private as the original, and that the rename survives a power cut.
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    syncDirectoryOf(m_path);
}

QString SettingsStore::rawValue(const QString &section, const QString &key) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString escapedKey = key;
    escapedKey.replace(QLatin1Char(' '), QStringLiteral("%20"));
    // Read as QSettings reads the file: a CR ends a line as an LF does, and of a key given
    // twice (a section may come back further down) the last one counts.
    QString content = QString::fromUtf8(file.readAll());
    content.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QString value;
    bool inSection = false;
    for (const QStringView rawLine : QStringView(content).split(u'\n')) {
        const QString line = rawLine.trimmed().toString();
        if (line.startsWith(QLatin1Char('['))) {
            // Named as QSettings reads it: what stands between "[" and the first "]" (the
            // rest of the line when there is none), so that text after the "]" of a
            // hand-edited line does not hide the section's values.
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            inSection
                = QStringView(line).sliced(1, close < 0 ? line.size() - 1 : close - 1).trimmed()
                == section;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString name = line.left(eq).trimmed();
        if (name == key || name == escapedKey)
            value = line.mid(eq + 1).trimmed();
    }
    return value;
}
