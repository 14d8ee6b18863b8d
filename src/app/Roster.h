// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QString>

class SettingsStore;

// The roster of up to ten users. A user number n, the settings section "User<n>" and
// the message file "u<n>.usr" always belong together.
namespace Roster {

constexpr int MaxUsers = 10;

struct User {
    int number = 0;
    QString name;
};

// "User" followed by n in decimal: User1 .. User10.
QString userSection(int n);

// A slot is used when its section holds a "Name" key, whatever the name is.
bool isConfigured(const SettingsStore &store, int n);

// The lowest number whose slot is free, or 0 when all ten are used.
int firstFreeSlot(const SettingsStore &store);

// Every configured user, in ascending number order.
QList<User> configuredUsers(const SettingsStore &store);

// Whether the text equals, exactly and case-sensitively, the "Name" of some slot 1..10,
// an absent name counting as the empty text (so an empty text is in use while any slot
// is free).
bool nameInUse(const SettingsStore &store, const QString &name);

// The same test on "CellEmail".
bool phoneAddressInUse(const SettingsStore &store, const QString &address);

// The lowest user number whose "CellEmail" is exactly the address, 0 when none.
int phoneAddressUser(const SettingsStore &store, const QString &address);

// What GetUserInfo loads: the logged-in user's number and the main window's caption.
struct UserInfo {
    int currentUser = 0;
    QString caption;
};
UserInfo getUserInfo(const SettingsStore &store);

// The main window's caption while the user of that name is logged in.
QString caption(const QString &name);

// The numeric value of a text as far as it begins with a number (0 when it does not, or
// when the number is beyond largest: a user number is a 16-bit value).
int leadingNumber(const QString &text, int largest = 32767);

} // namespace Roster
