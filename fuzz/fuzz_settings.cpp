// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A settings file edited by hand, damaged or not INI at all: the values read from it, the
// logged-in user, the roster's scans, and one write of the input as a value, which must
// read back exactly and leave every other value as it was.

#include "FuzzSupport.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"

#include <QMap>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QTemporaryDir *dir = nullptr;
const QString Absent = u"\x01 absent"_s;

struct Value {
    QString text; // Absent when the file lacks it
    bool typedList; // typed with a comma: QSettings holds a list
};

// Every value the program reads, by "section/key".
QMap<QString, Value> readAll(const SettingsStore &store)
{
    QSettings parsed(store.path(), QSettings::IniFormat);
    QMap<QString, Value> values;
    for (const QString &section : { u"Options"_s, u"User1"_s, u"User2"_s, u"User10"_s })
        for (const QString &key : { u"Current User"_s, u"StartSmall"_s, u"Name"_s, u"Email"_s,
                 u"SMTP"_s, u"CellEmail"_s }) {
            const QString text = store.readSetting(section, key, Absent);
            FUZZ_CHECK(store.hasSetting(section, key) || text == Absent);
            const QString name = section + u'/' + key;
            values[name] = { text, parsed.value(name).userType() == QMetaType::QStringList };
        }
    return values;
}

void checkRoster(const SettingsStore &store)
{
    const QString current = store.readSetting(u"Options"_s, u"Current User"_s, u"1"_s);
    const Roster::UserInfo info = Roster::getUserInfo(store);
    FUZZ_CHECK(info.currentUser == Roster::leadingNumber(current)
        && info.caption == u"Tolvane - "_s + store.readSetting(u"User"_s + current, u"Name"_s, {}));
    // The scans agree: the users listed are the slots configured, each name in use, and
    // the first free slot is the first one not configured, 0 when every one is.
    QString listed, configured;
    for (const Roster::User &user : Roster::configuredUsers(store))
        listed += QString::number(user.number) + (Roster::nameInUse(store, user.name) ? " " : "!");
    int firstFree = 0;
    for (int n = 1; n <= Roster::MaxUsers; ++n) {
        const bool slotTaken = Roster::isConfigured(store, n);
        configured += slotTaken ? QString::number(n) + u' ' : QString();
        firstFree = firstFree || slotTaken ? firstFree : n;
    }
    FUZZ_CHECK(listed == configured && Roster::firstFreeSlot(store) == firstFree);
    // An address read from a slot is in use; an absent one counts as the empty text.
    FUZZ_CHECK(Roster::phoneAddressInUse(
        store, store.readSetting(Roster::userSection(2), u"CellEmail"_s, {})));
}

} // namespace

void setUpFuzz()
{
    dir = new QTemporaryDir;
    FUZZ_CHECK(dir->isValid());
}

void fuzzOne(const QByteArray &content)
{
    // Left out, known and still open: QSettings decodes a hand-typed "@Variant(" value
    // itself, and one that claims a huge size makes it allocate that much. The program
    // never writes one; skipping them keeps the fuzzer looking for other faults.
    if (content.contains("@Variant("))
        return;
    // One name for every run: QSettings caches what it parsed per file name (a name per
    // run would grow that cache), and reads the file again when no write is pending.
    const QString path = dir->filePath(u"Tolvane.ini"_s);
    writeFuzzFile(path, content);
    SettingsStore store(path);
    const QMap<QString, Value> before = readAll(store);
    checkRoster(store);

    // The folder is writable: whatever the file held, the write must succeed (a
    // SettingsError escaping here ends the run as a finding).
    const QString written = QString::fromUtf8(content);
    store.writeSetting(u"User1"_s, u"Name"_s, written);
    // Known to differ, still open: a value typed with a comma is found again in the file
    // line by line, while QSettings carries a value over the line end after a quote or a
    // "\\" and ends it at a ";". And it takes "/Name" or "Na//me" for "Name" but keeps both
    // lines; which one a reading finds moves with its rewrite of the file.
    static const QRegularExpression keyWithSlash(uR"((^|[\r\n])[^=\r\n]*/[^=\r\n]*=)"_s);
    const bool listsMayDiffer = content.contains('"') || content.contains('\\')
        || content.contains(';') || keyWithSlash.match(QString::fromLatin1(content)).hasMatch();
    const QMap<QString, Value> after = readAll(store);
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const Value was = before.value(it.key());
        if (it.key() == u"User1/Name")
            FUZZ_CHECK(it->text == written);
        // QSettings may find a value in a damaged file only once it has written the file
        // in its own form: nothing is lost when a value comes to light.
        else if (was.text != Absent && !(was.typedList && listsMayDiffer))
            FUZZ_CHECK(it->text == was.text);
    }
    checkRoster(store);
}
