// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/entry/EntryRules.h"

#include "app/PhoneAddress.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "store/CodePage.h"
#include "store/Stamp.h"

#include <algorithm>

namespace EntryRules {

int textLimit(const SettingsStore &settings)
{
    qsizetype longest = 0;
    for (int n = 1; n <= Roster::MaxUsers; ++n) {
        longest = std::max(longest,
            settings.readSetting(Roster::userSection(n), QStringLiteral("Email"), QString())
                .size());
    }
    return int(std::max<qsizetype>(MessageRoom - longest, MinimumTextLimit));
}

bool slotIsAhead(const QDateTime &slot, const QDateTime &now)
{
    if (slot.date() != now.date())
        return slot.date() > now.date();
    return Stamp::minuteOfDay(slot.time()) > Stamp::minuteOfDay(now.time());
}

QString replacedCharacters(QStringView text)
{
    QString replaced;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!CodePage::canEncode(one) && !replaced.contains(one))
            replaced += one;
    }
    return replaced;
}

QString storedText(const QString &typed)
{
    return CodePage::decode(CodePage::encode(typed));
}

QStringList unkeepableRecipients(const SettingsStore &settings, const QList<int> &recipientUsers)
{
    QStringList names;
    for (const int user : recipientUsers) {
        if (user < 1 || user > Roster::MaxUsers)
            continue;
        const QString section = Roster::userSection(user);
        if (PhoneAddress::breaksRecord(
                settings.readSetting(section, QStringLiteral("CellEmail"), QString())))
            names.append(settings.readSetting(section, QStringLiteral("Name"), QString()));
    }
    return names;
}

MessageRecord composeRecord(const SettingsStore &settings, const QDateTime &due,
    const QString &text, const QList<int> &recipientUsers)
{
    QStringList addresses;
    for (const int user : recipientUsers) {
        if (user < 1 || user > Roster::MaxUsers)
            continue;
        const QString address = settings.readSetting(
            Roster::userSection(user), QStringLiteral("CellEmail"), QString());
        if (!address.isEmpty())
            addresses.append(address);
    }
    return MessageRecord::compose(due, text, addresses);
}

} // namespace EntryRules
