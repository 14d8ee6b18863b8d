// A settings file edited by hand, damaged or not INI at all: the values read from it, the
// logged-in user, the roster's scans, and one write of the input as a value, which must
// read back exactly and leave every other value as it was.

#include "FuzzSupport.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

QTemporaryDir *dir = nullptr;

const QString Absent = QStringLiteral("\x01 absent");

struct Value {
    QString section;
    QString key;
    QString value;
    bool typedList = false; // typed with a comma: QSettings holds a list
};

QList<Value> readAll(const SettingsStore &store)
{
    QSettings parsed(store.path(), QSettings::IniFormat);
    static const QStringList sections { QStringLiteral("Options"), QStringLiteral("User1"),
        QStringLiteral("User2"), QStringLiteral("User10") };
    static const QStringList keys { QStringLiteral("Current User"), QStringLiteral("StartSmall"),
        QStringLiteral("Name"), QStringLiteral("Email"), QStringLiteral("SMTP"),
        QStringLiteral("CellEmail") };
    QList<Value> values;
    for (const QString &section : sections) {
        for (const QString &key : keys) {
            const bool present = store.HasSetting(section, key);
            const QString value = store.ReadSetting(section, key, Absent);
            if (!present)
                FUZZ_CHECK(value == Absent);
            const bool typedList = parsed.value(section + QLatin1Char('/') + key).userType()
                == QMetaType::QStringList;
            values.append({ section, key, present ? value : Absent, typedList });
        }
    }
    return values;
}

void checkRoster(const SettingsStore &store)
{
    const QString current = store.ReadSetting(
        QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
    const Roster::UserInfo info = Roster::GetUserInfo(store);
    FUZZ_CHECK(info.currentUser == Roster::LeadingNumber(current));
    FUZZ_CHECK(info.caption
        == QStringLiteral("Tolvane - ")
            + store.ReadSetting(QStringLiteral("User") + current, QStringLiteral("Name"), {}));

    const QList<Roster::User> users = Roster::ConfiguredUsers(store);
    int next = 0;
    for (int n = 1; n <= Roster::MaxUsers; ++n) {
        const bool listed = next < users.size() && users[next].number == n;
        FUZZ_CHECK(listed == Roster::IsConfigured(store, n));
        if (listed) {
            FUZZ_CHECK(Roster::NameInUse(store, users[next].name));
            ++next;
        }
    }
    FUZZ_CHECK(next == users.size());

    const int free = Roster::FirstFreeSlot(store);
    FUZZ_CHECK(free == 0 ? users.size() == Roster::MaxUsers : !Roster::IsConfigured(store, free));
    for (int n = 1; n < (free == 0 ? Roster::MaxUsers + 1 : free); ++n)
        FUZZ_CHECK(Roster::IsConfigured(store, n));

    // An address read from a slot is in use; an absent one counts as the empty text.
    FUZZ_CHECK(Roster::PhoneAddressInUse(
        store, store.ReadSetting(Roster::UserSection(2), QStringLiteral("CellEmail"), {})));
}

// Whether some line has a "/" before its first "=": a key typed with a slash.
bool keyWithSlash(const QByteArray &content)
{
    QByteArray lines = content;
    lines.replace('\r', '\n');
    for (const QByteArray &line : lines.split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0 && line.left(eq).contains('/'))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    StartFuzzProcess(argc, argv);
    dir = new QTemporaryDir;
    FUZZ_CHECK(dir->isValid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    // Known and still open: QSettings decodes a hand-typed "@Variant(" value itself, and
    // one that claims a huge size makes it try to allocate that much. The program never
    // writes such a value; until the store keeps QSettings from decoding them, the
    // fuzzer leaves them out so that it keeps looking for other faults.
    if (content.contains("@Variant("))
        return 0;
    // One name for every run: QSettings keeps what it parsed per file name, and a name
    // per run would grow that cache without end. It reads the file again at every
    // reading that has no write pending, so nothing of a run before is left over.
    const QString path = dir->filePath(QStringLiteral("Tolvane.ini"));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(content) == content.size());
    }
    {
        SettingsStore store(path);
        const QList<Value> before = readAll(store);
        checkRoster(store);

        const QString written = QString::fromUtf8(content);
        const QString section = QStringLiteral("User1");
        const QString key = QStringLiteral("Name");
        // The disk has room and the folder is writable: whatever the file held, the write
        // must succeed (a SettingsError escaping here ends the run as a finding).
        store.WriteSetting(section, key, written);
        const QList<Value> after = readAll(store);
        const bool hasQuotingMarks
            = content.contains('"') || content.contains('\\') || content.contains(';');
        // Also known and still open: QSettings takes "/Name" (or "Na//me") for the same key
        // as "Name" when it looks one up, but keeps both lines; which of them a reading
        // finds depends on where each stands, and its rewrite of the file moves them.
        const bool hasKeySlashes = keyWithSlash(content);
        FUZZ_CHECK(after.size() == before.size());
        for (qsizetype i = 0; i < after.size(); ++i) {
            const bool target = after[i].section == section && after[i].key == key;
            const QString expected = target ? written : before[i].value;
            // Known to differ: the text of a value typed with a comma is found again in the
            // file line by line, while QSettings lets quotes and a "\\" carry a value over
            // the line end and ends it at a ";".
            if (!target && before[i].typedList && (hasQuotingMarks || hasKeySlashes))
                continue;
            // QSettings may find a value in a damaged file only once it has written the
            // file in its own form: nothing is lost when a value comes to light.
            if (!target && before[i].value == Absent)
                continue;
            if (after[i].value != expected)
                std::fprintf(stderr, "[%s] %s: \"%s\" expected, \"%s\" read\n",
                    qPrintable(after[i].section), qPrintable(after[i].key),
                    expected.toUtf8().toPercentEncoding(" ").constData(),
                    after[i].value.toUtf8().toPercentEncoding(" ").constData());
            FUZZ_CHECK(after[i].value == expected);
        }
        checkRoster(store);
    }
    return 0;
}
