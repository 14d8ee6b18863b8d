// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/MailAddress.h"

bool isMailAddress(QStringView text)
{
    const qsizetype at = text.indexOf(u'@');
    if (at <= 0 || at == text.size() - 1 || text.indexOf(u'@', at + 1) >= 0)
        return false;
    for (const QChar c : text) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c == u'<' || c == u'>'
            || c == u',' || c == u'|')
            return false;
    }
    return true;
}
