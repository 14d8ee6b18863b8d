// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a server sends, in arrivals of any size, gathered into replies, their codes read,
// and read as a list of the server's capabilities.
//
// Input: a header byte (low 3 bits: how many piece lengths follow, high 5 bits: how many
// times the text is sent, less one), the piece lengths (a byte each, 1 to 256; none: the
// text arrives whole), then the server's text. The arrivals cycle through the lengths.
// Sending the text many times lets a few kilobytes of input grow past the reader's cap.

#include "FuzzSupport.h"
#include "delivery/SmtpReplyReader.h"
#include "delivery/SmtpWire.h"
#include "store/CodePage.h"

namespace {

// Where the reply that begins at start ends (after the LF of its final line), or -1.
qsizetype replyEnd(QByteArrayView arrived, qsizetype start)
{
    for (qsizetype lf; (lf = arrived.indexOf('\n', start)) >= 0; start = lf + 1) {
        QByteArrayView line = arrived.sliced(start, lf - start);
        if (line.endsWith('\r'))
            line.chop(1);
        const auto digit = [&](int i) { return line[i] >= '0' && line[i] <= '9'; };
        if (line.size() >= 3 && digit(0) && digit(1) && digit(2)
            && (line.size() == 3 || line[3] == ' '))
            return lf + 1;
    }
    return -1;
}

} // namespace

void setUpFuzz() { }

void fuzzOne(const QByteArray &input)
{
    const int header = input.isEmpty() ? 0 : uchar(input[0]), lengthCount = header & 7;
    if (input.size() < 1 + lengthCount)
        return;
    QList<qsizetype> lengths;
    for (int i = 1; i <= lengthCount; ++i)
        lengths.append(qsizetype(uchar(input[i])) + 1);
    const QByteArray stream = input.sliced(1 + lengthCount).repeated((header >> 3) + 1);
    if (lengths.isEmpty())
        lengths.append(stream.size()); // the text arrives whole

    SmtpReplyReader reader;
    // A model of what the reader holds: the text from base up to what has arrived. As
    // long as that stays under the cap, the reader hands over the text itself; once it
    // has had to cut an overlong line, only what every reply must be is checked.
    qsizetype base = 0, arrived = 0;
    bool exact = true;
    for (int piece = 0; arrived < stream.size(); ++piece) {
        const qsizetype n = qMin(lengths[piece % lengths.size()], stream.size() - arrived);
        exact = exact && arrived + n - base <= SmtpReplyReader::MaxPending;
        const QList<QByteArray> replies = reader.append(QByteArrayView(stream).sliced(arrived, n));
        arrived += n;
        const QByteArrayView received = QByteArrayView(stream).first(arrived);
        for (const QByteArray &reply : replies) {
            // Whole lines, the last of which ends the reply.
            FUZZ_CHECK(reply.endsWith('\n'));
            QByteArrayView last = QByteArrayView(reply).chopped(1);
            last = last.sliced(last.lastIndexOf('\n') + 1);
            FUZZ_CHECK(SmtpReplyReader::isFinalLine(last));
            // Each reply is the next stretch of the text, in order: none is skipped and
            // none comes twice.
            if (exact) {
                const qsizetype end = replyEnd(received, base);
                FUZZ_CHECK(end > base && reply == received.sliced(base, end - base));
                base = end;
            }
            // Its code is that of its final line. Read as an answer to EHLO: login methods
            // are single upper-case words, and come only from a line that offers AUTH.
            const QString text = CodePage::decode(reply);
            FUZZ_CHECK(SmtpWire::replyCode(SmtpWire::finalLine(text)) == last.first(3).toInt());
            const QStringList methods = SmtpWire::authMethods(text);
            for (const QString &method : methods)
                FUZZ_CHECK(
                    !method.isEmpty() && method == method.toUpper() && !method.contains(u' '));
            FUZZ_CHECK(methods.isEmpty() || SmtpWire::offers(text, u"AUTH"));
        }
        if (exact)
            FUZZ_CHECK(
                replyEnd(received, base) < 0 && reader.hasPartialReply() == (arrived > base));
    }
}
