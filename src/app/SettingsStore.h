// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/UserFacingError.h"

#include <QString>
#include <functional>
#include <memory>

class QSettings;

// A write that did not reach the settings file; the store holds what the file holds.
class SettingsError : public UserFacingError {
public:
    using UserFacingError::UserFacingError;
};

// The settings store: text values addressed by section and key in one INI file that
// only its owner can read. Texts come back exactly as they were written, and every
// write is on disk before the call returns; a write that cannot be made throws
// SettingsError.
class SettingsStore {
public:
    explicit SettingsStore(const QString &iniPath);
    ~SettingsStore();

    QString readSetting(
        const QString &section, const QString &key, const QString &defaultValue) const;
    void writeSetting(const QString &section, const QString &key, const QString &value);
    void deleteSection(const QString &section);
    // Takes one key away, so that it reads as absent again.
    void deleteSetting(const QString &section, const QString &key);

    // Whether the key is present at all; a present key may hold the empty text.
    bool hasSetting(const QString &section, const QString &key) const;

    QString path() const { return m_path; }

    // Called after every write with its section and key, in the order of the writes; the
    // order matters where a reader may look between two of them.
    std::function<void(const QString &section, const QString &key)> written;

private:
    QString rawValue(const QString &section, const QString &key) const;
    void forgetEarlierFailure();
    void keepTypedTexts();
    void commit(const std::function<void()> &undo);

    QString m_path;
    std::unique_ptr<QSettings> m_settings;
};
