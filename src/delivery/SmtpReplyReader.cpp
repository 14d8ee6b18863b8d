// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/SmtpReplyReader.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

bool SmtpReplyReader::isFinalLine(QByteArrayView line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]))
        return false;
    return line.size() == 3 || line[3] == ' ';
}

QList<QByteArray> SmtpReplyReader::append(QByteArrayView bytes)
{
    QList<QByteArray> replies;
    if (m_skipToLineEnd) {
        // The rest of an overlong line is dropped; its line end still ends the line.
        const qsizetype end = bytes.indexOf('\n');
        if (end < 0)
            return replies;
        bytes = bytes.sliced(end > 0 && bytes[end - 1] == '\r' ? end - 1 : end);
        m_skipToLineEnd = false;
    }
    m_pending.append(bytes);
    qsizetype newline;
    while ((newline = m_pending.indexOf('\n', m_lineStart)) >= 0) {
        // A line longer than MaxPending keeps its beginning, which carries the code, and
        // its line end: forgetting it would turn a server's answer into silence.
        const qsizetype end
            = newline > m_lineStart && m_pending[newline - 1] == '\r' ? newline - 1 : newline;
        const qsizetype excess = end - m_lineStart - MaxPending;
        if (excess > 0) {
            m_pending.remove(m_lineStart + MaxPending, excess);
            newline -= excess;
        }
        const QByteArrayView line
            = QByteArrayView(m_pending).sliced(m_lineStart, newline - m_lineStart);
        m_lineStart = newline + 1;
        if (isFinalLine(line)) {
            replies.append(m_pending.first(m_lineStart));
            m_pending.remove(0, m_lineStart);
            m_lineStart = 0;
        }
    }
    // The same for an unfinished line: the rest of it is dropped as it arrives.
    if (m_pending.size() - m_lineStart > MaxPending) {
        m_pending.truncate(m_lineStart + MaxPending);
        m_skipToLineEnd = true;
    }
    // Keep the unfinished line only: the lines before it can no longer end the reply.
    if (m_pending.size() > MaxPending) {
        m_pending.remove(0, m_lineStart);
        m_lineStart = 0;
    }
    return replies;
}
