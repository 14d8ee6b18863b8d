// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/MessageRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringView>

class SettingsStore;

// The rules of the message entry dialog that do not depend on its widgets.
namespace EntryRules {

// A text message carries the sender's address and the text in about 145 characters, so
// the text gets what the longest sender address of the roster leaves over.
constexpr int MessageRoom = 145;

// The least the text box ever accepts. With a sender address of 126 characters or more
// the room above would leave a text too short to say anything, or none at all; the form
// must still take a short message, which the carrier may then split or cut.
constexpr int MinimumTextLimit = 20;

// MessageRoom less the longest "Email" of users 1 to 10 (a missing one counts as
// empty), never less than MinimumTextLimit.
int textLimit(const SettingsStore &settings);

// Whether a slot is still ahead: later than the present time cut to the minute.
bool slotIsAhead(const QDateTime &slot, const QDateTime &now);

// Each distinct character of the text that the message file's code page cannot hold,
// in the order they first appear. These become "?" when the message is stored or sent.
QString replacedCharacters(QStringView text);

// The text as the message file and the mail will carry it.
QString storedText(const QString &typed);

// The record of a message for the chosen users: each user's phone address, their
// "CellEmail", in the order chosen; a user without one adds nothing.
// The names of the chosen users whose phone address holds "|" or "," (edited by hand in
// the settings file), which the record could not keep.
QStringList unkeepableRecipients(const SettingsStore &settings, const QList<int> &recipientUsers);

MessageRecord composeRecord(const SettingsStore &settings, const QDateTime &due,
    const QString &text, const QList<int> &recipientUsers);

} // namespace EntryRules
