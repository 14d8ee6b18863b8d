// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The message files' single-byte code page, Windows-1252, so that files written on
// Windows read the same here. Every byte has a character, so any file reads; a
// character that the code page lacks is written as "?".
namespace CodePage {

QString decode(QByteArrayView bytes);
// The same into a text that may be reused: its storage is kept when it is large enough
// and not shared.
void decode(QByteArrayView bytes, QString &text);
QByteArray encode(QStringView text);

// Whether every character of the text survives encode() unchanged.
bool canEncode(QStringView text);

} // namespace CodePage
