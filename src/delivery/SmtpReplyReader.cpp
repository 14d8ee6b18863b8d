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
    m_pending.append(bytes);
    qsizetype newline;
    while ((newline = m_pending.indexOf('\n', m_lineStart)) >= 0) {
        const QByteArrayView line
            = QByteArrayView(m_pending).sliced(m_lineStart, newline - m_lineStart);
        m_lineStart = newline + 1;
        if (isFinalLine(line)) {
            replies.append(m_pending.first(m_lineStart));
            m_pending.remove(0, m_lineStart);
            m_lineStart = 0;
        }
    }
    if (m_pending.size() > MaxPending) {
        // Keep the unfinished line only: the lines before it can no longer end the reply.
        m_pending.remove(0, m_lineStart);
        m_lineStart = 0;
        if (m_pending.size() > MaxPending)
            m_pending.clear();
    }
    return replies;
}
