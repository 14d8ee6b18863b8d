#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

class SettingsStore;

// One line of a message file, in the file's own bytes: a 19-character stamp
// "YYYY/MM/DD HH:MM AMPM", a status flag ("N" or "S"), the text, "|", and the
// recipients' phone addresses, each followed by ",".
class RecordView {
public:
    explicit RecordView(QByteArrayView line);

    // A line whose stamp is not a real date and time cannot be read: readers pass it
    // over and rewrites keep it as it is.
    bool isReadable() const { return m_minute >= 0; }

    QByteArrayView raw() const { return m_line; }
    QByteArrayView stamp() const { return m_line.first(qMin<qsizetype>(m_line.size(), 19)); }
    QDate date() const { return m_date; }
    int minuteOfDay() const { return m_minute; }
    bool isSent() const { return m_line.size() >= 20 && m_line[19] == 'S'; }

    QString line() const;
    QString text() const;
    QStringList recipients() const;

private:
    QByteArrayView m_line;
    QDate m_date;
    int m_minute = -1;
};

// Field access on a record held as text (as the scheduler and the entry form hold it).
namespace Record {

constexpr qsizetype StatusPos = 19; // 0-based; character 20
constexpr qsizetype TextPos = 20; // 0-based; character 21

// From character 21 up to the first "|" (to the end of the line when there is none).
QString text(const QString &record);

// Everything after that "|", cut into the runs of characters ended by ",".
QStringList recipients(const QString &record);

// Each CR and each LF becomes a space, each "|" an "!".
QString clean(const QString &raw);

} // namespace Record

// The recipient user numbers of a message: entries 0 to 9, 0 = empty, filled first.
using RecipientList = std::array<int, 10>;

// stamp + "N" + cleaned text + "|" + each recipient's "CellEmail" followed by ","
// (a recipient without a phone address adds nothing).
QString ComposeMessageRecord(const SettingsStore &settings, const QString &stamp,
    const QString &rawText, const RecipientList &recipients);
