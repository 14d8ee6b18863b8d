#include "store/MessageRecord.h"

#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "store/CodePage.h"
#include "store/Stamp.h"

RecordView::RecordView(QByteArrayView line)
    : m_line(line)
{
    if (line.size() < Stamp::StampLength || line[10] != ' ')
        return;
    m_date = Stamp::parseDate(line.first(Stamp::DateLength));
    if (m_date.isValid())
        m_minute = Stamp::parseTime(line.sliced(11, Stamp::TimeLength));
}

QString RecordView::line() const
{
    return CodePage::decode(m_line);
}

QString RecordView::text() const
{
    return Record::text(line());
}

QStringList RecordView::recipients() const
{
    return Record::recipients(line());
}

namespace Record {

QString text(const QString &record)
{
    if (record.size() <= TextPos)
        return {};
    const qsizetype bar = record.indexOf(QLatin1Char('|'), TextPos);
    return bar < 0 ? record.mid(TextPos) : record.mid(TextPos, bar - TextPos);
}

QStringList recipients(const QString &record)
{
    QStringList addresses;
    if (record.size() <= TextPos)
        return addresses;
    const qsizetype bar = record.indexOf(QLatin1Char('|'), TextPos);
    if (bar < 0)
        return addresses;
    qsizetype start = bar + 1;
    for (qsizetype comma = record.indexOf(QLatin1Char(','), start); comma >= 0;
         comma = record.indexOf(QLatin1Char(','), start)) {
        addresses.append(record.mid(start, comma - start));
        start = comma + 1;
    }
    return addresses;
}

QString clean(const QString &raw)
{
    QString text = raw;
    for (QChar &c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
        else if (c == QLatin1Char('|'))
            c = QLatin1Char('!');
    }
    return text;
}

} // namespace Record

QString ComposeMessageRecord(const SettingsStore &settings, const QString &stamp,
    const QString &rawText, const RecipientList &recipients)
{
    QString record = stamp + QLatin1Char('N') + Record::clean(rawText) + QLatin1Char('|');
    for (const int user : recipients) {
        if (user < 1 || user > Roster::MaxUsers)
            continue;
        const QString address = settings.ReadSetting(
            Roster::UserSection(user), QStringLiteral("CellEmail"), QString());
        if (!address.isEmpty())
            record += address + QLatin1Char(',');
    }
    return record;
}
