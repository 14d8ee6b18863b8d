// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringView>

// A phone address ("CellEmail") is either an e-mail address, mailed through the sender's
// SMTP server, or a notification URL that Apprise understands (ntfy://ntfy.sh/my-topic,
// twilio://..., json://host/path), handed to the apprise program.
namespace PhoneAddress {

// Whether the address is a notification URL: it begins with a scheme (a letter, then
// letters, digits, "+", "-" or ".") and "://". Anything else is an e-mail address.
bool isNotificationUrl(QStringView address);

// Whether the address holds a character that would break a message file's record: "|"
// ends the text, "," each recipient.
bool breaksRecord(QStringView address);

// Whether a notification URL can be stored and handed over as it is: something after
// "://", and no blank or control character, which no URL holds.
bool isUsableUrl(QStringView address);

} // namespace PhoneAddress
