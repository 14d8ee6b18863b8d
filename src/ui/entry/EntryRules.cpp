#include "ui/entry/EntryRules.h"

#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "store/CodePage.h"
#include "store/Stamp.h"

#include <algorithm>

namespace EntryRules {

int TextLimit(const SettingsStore &settings)
{
    qsizetype longest = 0;
    for (int n = 1; n <= Roster::MaxUsers; ++n) {
        longest = std::max(longest,
            settings.ReadSetting(Roster::UserSection(n), QStringLiteral("Email"), QString())
                .size());
    }
    return int(std::max<qsizetype>(MessageRoom - longest, MinimumTextLimit));
}

bool SlotIsAhead(const QDateTime &slot, const QDateTime &now)
{
    if (slot.date() != now.date())
        return slot.date() > now.date();
    return Stamp::minuteOfDay(slot.time()) > Stamp::minuteOfDay(now.time());
}

QString ReplacedCharacters(QStringView text)
{
    QString replaced;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (!CodePage::canEncode(one) && !replaced.contains(one))
            replaced += one;
    }
    return replaced;
}

QString StoredText(const QString &typed)
{
    return CodePage::decode(CodePage::encode(typed));
}

MessageRecord ComposeRecord(const SettingsStore &settings, const QDateTime &due,
    const QString &text, const QList<int> &recipientUsers)
{
    QStringList addresses;
    for (const int user : recipientUsers) {
        if (user < 1 || user > Roster::MaxUsers)
            continue;
        const QString address = settings.ReadSetting(
            Roster::UserSection(user), QStringLiteral("CellEmail"), QString());
        if (!address.isEmpty())
            addresses.append(address);
    }
    return MessageRecord::compose(due, text, addresses);
}

} // namespace EntryRules
