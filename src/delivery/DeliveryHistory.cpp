// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/DeliveryHistory.h"

#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/Paths.h"
#include "store/Stamp.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QTimer>
#include <array>

namespace {

using Outcome = DeliveryAttempt::Outcome;
using Channel = DeliveryAttempt::Channel;

// A rewrite keeps this much, so that the next one is far off.
constexpr qsizetype KeptLines = DeliveryHistory::MaxLines * 9 / 10;
constexpr qint64 KeptBytes = DeliveryHistory::MaxBytes * 9 / 10;

constexpr std::array<std::pair<Outcome, const char *>, 3> Results { { { Outcome::Sent, "sent" },
    { Outcome::WillRetry, "will retry" }, { Outcome::Failed, "failed" } } };

// A JSON string written by hand: QJsonObject would sort the keys, and a line read by
// people keeps the order of the attempt.
QByteArray quoted(const QString &text)
{
    QByteArray out = "\"";
    for (const char c : text.toUtf8()) {
        if (c == '"' || c == '\\')
            out += '\\' + QByteArray(1, c);
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (uchar(c) < 0x20)
            out += "\\u00" + QByteArray::number(uchar(c), 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out + '"';
}

// With the offset, to the second; the same moment written twice gives the same text.
QString isoTime(const QDateTime &moment)
{
    return moment.isValid() ? moment.toOffsetFromUtc(moment.offsetFromUtc()).toString(Qt::ISODate)
                            : QString();
}

QDateTime parseTime(const QJsonValue &value)
{
    const QDateTime moment = QDateTime::fromString(value.toString(), Qt::ISODate);
    return moment.isValid() ? moment.toLocalTime() : moment;
}

} // namespace

DeliveryHistory::DeliveryHistory(
    const QString &path, const SettingsStore &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_path(path)
{
}

QByteArray DeliveryHistory::line(const Entry &entry)
{
    const DeliveryAttempt &attempt = entry.attempt;
    QByteArray out = "{\"time\":" + quoted(isoTime(attempt.at)) + ",\"user\":"
        + QByteArray::number(attempt.user) + ",\"userName\":" + quoted(entry.userName)
        + ",\"stamp\":" + quoted(Stamp::formatStamp(attempt.due))
        + ",\"instant\":" + (attempt.instant ? "true" : "false") + ",\"recipients\":[";
    for (const DeliveryAttempt::Recipient &recipient : attempt.recipients) {
        out += (out.endsWith('[') ? "" : ",") + QByteArray("{\"address\":")
            + quoted(recipient.address) + ",\"channel\":"
            + (recipient.channel == Channel::Mail ? "\"mail\"}" : "\"notification\"}");
    }
    for (const auto &[outcome, name] : Results)
        if (outcome == attempt.outcome)
            out += QByteArray("],\"result\":\"") + name + '"';
    out += ",\"reply\":" + quoted(attempt.reply);
    if (attempt.outcome == Outcome::WillRetry)
        out += ",\"nextTry\":" + quoted(isoTime(attempt.nextTry));
    return out + '}';
}

std::optional<DeliveryHistory::Entry> DeliveryHistory::parse(QByteArrayView line)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    Entry entry;
    DeliveryAttempt &attempt = entry.attempt;
    const QString result = object.value(u"result").toString();
    const auto known = std::find_if(Results.begin(), Results.end(),
        [&](const auto &named) { return result == QLatin1String(named.second); });
    attempt.at = parseTime(object.value(u"time"));
    if (known == Results.end() || !attempt.at.isValid())
        return std::nullopt;
    attempt.outcome = known->first;
    attempt.user = object.value(u"user").toInt();
    entry.userName = object.value(u"userName").toString();
    const QString stamp = object.value(u"stamp").toString();
    attempt.due = QDateTime(Stamp::parseDate(QStringView(stamp).left(Stamp::DateLength)),
        Stamp::timeOfMinute(qMax(0, Stamp::parseTime(QStringView(stamp).mid(11)))));
    attempt.instant = object.value(u"instant").toBool();
    for (const QJsonValue &value : object.value(u"recipients").toArray()) {
        const QJsonObject recipient = value.toObject();
        attempt.recipients.append({ recipient.value(u"address").toString(),
            recipient.value(u"channel").toString() == u"notification" ? Channel::Notification
                                                                      : Channel::Mail });
    }
    attempt.reply = object.value(u"reply").toString();
    attempt.nextTry = parseTime(object.value(u"nextTry"));
    return entry;
}

QList<DeliveryHistory::Entry> DeliveryHistory::read() const
{
    QList<Entry> entries;
    QFile file(m_path);
    if (!m_path.isEmpty() && file.open(QIODevice::ReadOnly)) {
        const QByteArray content = file.readAll();
        for (qsizetype from = 0, end = 0; from < content.size(); from = end + 1) {
            end = content.indexOf('\n', from);
            end = end < 0 ? content.size() : end;
            if (const auto entry = parse(QByteArrayView(content).sliced(from, end - from)))
                entries.append(*entry);
        }
    }
    if (!m_unwritten.isEmpty()) {
        entries += m_unwritten;
        std::stable_sort(entries.begin(), entries.end(),
            [](const Entry &a, const Entry &b) { return a.attempt.at < b.attempt.at; });
    }
    return entries;
}

void DeliveryHistory::append(const DeliveryAttempt &attempt)
{
    const QString section = Roster::userSection(attempt.user);
    const Entry entry { attempt, m_settings.readSetting(section, QStringLiteral("Name"), {}) };
    if (!m_path.isEmpty()) {
        const QString problem = write(line(entry));
        if (!problem.isEmpty()) {
            m_unwritten.append(entry);
            if (m_unwritten.size() > MaxLines)
                m_unwritten.removeFirst();
        }
        if (problem != std::exchange(m_problem, problem))
            emit problemChanged(m_problem);
    }
    emit appended(entry);
}

void DeliveryHistory::countLines()
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return; // none yet, or none to be had: the write says which
    char last = '\n';
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(1 << 16);
        m_lines += chunk.count('\n');
        last = chunk.isEmpty() ? last : chunk.back();
    }
    m_endsMidLine = last != '\n';
}

QString DeliveryHistory::write(const QByteArray &line)
{
    QFile file(m_path);
    const auto open = [&] {
        // Straight to the file, so that a failed write says why.
        return file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered,
            QFile::ReadOwner | QFile::WriteOwner);
    };
    if (!open()) {
        // The folder is made when first needed, and again when it was removed meanwhile.
        Paths::makePrivateDir(QFileInfo(m_path).path());
        file.setFileName(m_path); // a new look at the path
        if (!open())
            return file.errorString();
    }
    if (!std::exchange(m_counted, true))
        countLines();
    const QByteArray bytes = (m_endsMidLine ? "\n" : "") + line + '\n';
    // Half a line written leaves the next one to begin on a line of its own.
    m_endsMidLine = true;
    // A short write is followed by another, which says why it fell short.
    for (qsizetype done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return file.errorString();
        done += written;
    }
    m_endsMidLine = false;
    ++m_lines;
    // The rewrite waits for the event loop, so that the scheduler hands over its next
    // message first: it holds up no delivery.
    if ((m_lines > MaxLines || file.size() > MaxBytes) && !std::exchange(m_trimDue, true))
        QTimer::singleShot(0, this, &DeliveryHistory::trim);
    return {};
}

void DeliveryHistory::trim()
{
    m_trimDue = false;
    QFile old(m_path);
    if (!old.open(QIODevice::ReadOnly))
        return;
    const QByteArray content = old.readAll();
    // The newest lines, back from the end, as many as stay under the lower mark. One that
    // fails is tried again after the next append.
    qsizetype from = content.size(), kept = 0;
    while (from > 0 && kept < KeptLines) {
        const qsizetype start = from >= 2 ? content.lastIndexOf('\n', from - 2) + 1 : 0;
        if (kept > 0 && content.size() - start > KeptBytes)
            break;
        from = start;
        ++kept;
    }
    QSaveFile scratch(m_path);
    if (!scratch.open(QIODevice::WriteOnly))
        return;
    scratch.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    scratch.write(content.constData() + from, content.size() - from);
    if (scratch.commit())
        m_lines = kept;
}
