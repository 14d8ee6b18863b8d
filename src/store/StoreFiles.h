// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/StoreError.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <string>

// What the message files and the series file share: reading only regular files, and
// replacing a file whole so that a crash leaves the old content or the new.
namespace StoreFiles {

// A failure in the user's language (context "MessageStore"), as the UTF-8 text a
// StoreError carries.
std::string told(const char *text, const QString &a = {}, const QString &b = {});
// what: "Cannot ... %1: %2", given the file and the system's reason (errno).
std::string describe(const char *what, const QString &path);

StoreError notRegularFile(const QString &path);

// The whole content of the file, or none when there is no file. Only a regular file is
// opened: opening a pipe for reading would wait for a writer that may never come, and a
// device is nobody's file.
std::optional<QByteArray> readRegularFile(const QString &path);

// Writes the content to the scratch file (made anew, owner-only), flushes it to disk,
// renames it over the file and flushes the folder. On any failure the scratch file is
// removed and the file is left as it was.
void replaceFile(const QString &path, const QString &scratch, const QByteArray &content);

} // namespace StoreFiles
