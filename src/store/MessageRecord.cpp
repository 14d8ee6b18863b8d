// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/MessageRecord.h"

#include "store/CodePage.h"
#include "store/Stamp.h"

QDateTime MessageRecord::due() const
{
    return isReadable() ? QDateTime(date, Stamp::timeOfMinute(minuteOfDay)) : QDateTime();
}

qint64 MessageRecord::dueMSecs() const
{
    return Stamp::dueMoment(date, minuteOfDay).toMSecsSinceEpoch();
}

MessageRecord MessageRecord::parse(QByteArrayView line)
{
    MessageRecord record;
    record.assign(line);
    return record;
}

void MessageRecord::assign(QByteArrayView bytes)
{
    line.resize(bytes.size());
    std::copy(bytes.begin(), bytes.end(), line.begin());
    date = QDate();
    minuteOfDay = -1;
    Stamp::parseStamp(bytes, date, minuteOfDay);
    sent = bytes.size() > StatusPos && bytes[StatusPos] == 'S';
    // The code page gives each byte one character, so the bytes can be cut as the text.
    const QByteArrayView rest = bytes.size() > TextPos ? bytes.sliced(TextPos) : QByteArrayView();
    const qsizetype bar = rest.indexOf('|');
    hasRecipientList = bar >= 0;
    CodePage::decode(hasRecipientList ? rest.first(bar) : rest, text);
    qsizetype count = 0;
    if (hasRecipientList) {
        qsizetype start = bar + 1;
        for (qsizetype comma = rest.indexOf(',', start); comma >= 0;
             comma = rest.indexOf(',', start), ++count) {
            const QByteArrayView address = rest.sliced(start, comma - start);
            if (count < recipients.size())
                CodePage::decode(address, recipients[count]);
            else
                recipients.append(CodePage::decode(address));
            start = comma + 1;
        }
    }
    recipients.resize(count);
}

MessageRecord MessageRecord::compose(
    const QDateTime &due, const QString &text, const QStringList &recipientAddresses)
{
    QString composed = Stamp::formatStamp(due) + QLatin1Char('N');
    composed.reserve(composed.size() + text.size() + 1);
    for (const QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            composed += QLatin1Char(' ');
        else if (c == QLatin1Char('|'))
            composed += QLatin1Char('!');
        else
            composed += c;
    }
    composed += QLatin1Char('|');
    for (const QString &address : recipientAddresses)
        composed += address + QLatin1Char(',');
    return parse(CodePage::encode(composed));
}
