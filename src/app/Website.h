// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The address "Quillmark Website" opens: the one place it is written. It is a page about
// carriers' e-mail-to-text gateways, which is what a user most often needs to look up.
inline const QString WebsiteAddress = QStringLiteral("https://en.wikipedia.org/wiki/SMS_gateway");
