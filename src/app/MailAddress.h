// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QStringView>

// Whether a text is a mail address of the form local@domain that the program can store
// and send: one "@" with something on either side, and no blank, line break or other
// control character, nor "<", ">", "," or "|", which would break a command to the mail
// server or a message file's list of recipients.
bool isMailAddress(QStringView text);
