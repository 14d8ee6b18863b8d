#include "app/Roster.h"

#include "app/SettingsStore.h"

namespace Roster {

namespace {

const QString Name = QStringLiteral("Name");

bool ValueInUse(const SettingsStore &store, const QString &key, const QString &text)
{
    for (int n = 1; n <= MaxUsers; ++n) {
        if (store.ReadSetting(UserSection(n), key, QString()) == text)
            return true;
    }
    return false;
}

} // namespace

QString UserSection(int n)
{
    return QStringLiteral("User") + QString::number(n);
}

bool IsConfigured(const SettingsStore &store, int n)
{
    return store.HasSetting(UserSection(n), Name);
}

int FirstFreeSlot(const SettingsStore &store)
{
    for (int n = 1; n <= MaxUsers; ++n) {
        if (!IsConfigured(store, n))
            return n;
    }
    return 0;
}

QList<User> ConfiguredUsers(const SettingsStore &store)
{
    QList<User> users;
    for (int n = 1; n <= MaxUsers; ++n) {
        if (IsConfigured(store, n))
            users.append({ n, store.ReadSetting(UserSection(n), Name, QString()) });
    }
    return users;
}

bool NameInUse(const SettingsStore &store, const QString &name)
{
    return ValueInUse(store, Name, name);
}

bool PhoneAddressInUse(const SettingsStore &store, const QString &address)
{
    return ValueInUse(store, QStringLiteral("CellEmail"), address);
}

int LeadingNumber(const QString &text, int largest)
{
    // Like Val(): leading blanks are skipped, then an optional sign and digits.
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > largest)
            return 0;
        ++i;
    }
    return int(negative ? -value : value);
}

UserInfo GetUserInfo(const SettingsStore &store)
{
    const QString t = store.ReadSetting(
        QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
    UserInfo info;
    info.currentUser = LeadingNumber(t);
    // The section is built from the text as read, not from the number.
    const QString name = store.ReadSetting(QStringLiteral("User") + t, Name, QString());
    info.caption = QStringLiteral("Tolvane - ") + name;
    return info;
}

} // namespace Roster
