// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/PhoneAddress.h"

namespace PhoneAddress {

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

bool isNotificationUrl(QStringView address)
{
    const qsizetype separator = address.indexOf(u"://");
    if (separator < 1 || !isAsciiLetter(address.at(0)))
        return false;
    for (const QChar c : address.first(separator)) {
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return false;
    }
    return true;
}

bool breaksRecord(QStringView address)
{
    return address.contains(u'|') || address.contains(u',');
}

bool isUsableUrl(QStringView address)
{
    if (!isNotificationUrl(address) || address.endsWith(u"://"))
        return false;
    for (const QChar c : address) {
        if (c.isSpace() || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

} // namespace PhoneAddress
