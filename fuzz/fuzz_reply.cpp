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

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the reply that begins at start ends (after the LF of its final line), or -1.
qsizetype replyEnd(const QByteArray &stream, qsizetype start, qsizetype available)
{
    for (qsizetype lineStart = start; lineStart < available;) {
        const qsizetype lf = stream.indexOf('\n', lineStart);
        if (lf < 0 || lf >= available)
            return -1;
        QByteArrayView line = QByteArrayView(stream).sliced(lineStart, lf - lineStart);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.size() >= 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2])
            && (line.size() == 3 || line[3] == ' '))
            return lf + 1;
        lineStart = lf + 1;
    }
    return -1;
}

// The first three bytes of the reply's final line as a number.
int finalCode(QByteArrayView reply)
{
    reply.chop(1); // its LF
    const qsizetype lf = reply.lastIndexOf('\n');
    const QByteArrayView line = lf < 0 ? reply : reply.sliced(lf + 1);
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

// A reply the reader hands over: its code is that of its final line.
void judge(QByteArrayView reply)
{
    const QString text = CodePage::decode(reply);
    FUZZ_CHECK(SmtpWire::ReplyCode(SmtpWire::FinalLine(text)) == finalCode(reply));

    // Read as an answer to EHLO: login methods are single upper-case words, and come only
    // from a line that offers AUTH.
    const QStringList methods = SmtpWire::AuthMethods(text);
    for (const QString &method : methods)
        FUZZ_CHECK(!method.isEmpty() && method == method.toUpper() && !method.contains(u' '));
    FUZZ_CHECK(methods.isEmpty() || SmtpWire::Offers(text, u"AUTH"));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    StartFuzzProcess(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const auto *bytes = reinterpret_cast<const char *>(data);
    const int lengthCount = data[0] & 7;
    const int repeats = (data[0] >> 3) + 1;
    if (size < size_t(1 + lengthCount))
        return 0;
    QList<qsizetype> lengths;
    for (int i = 0; i < lengthCount; ++i)
        lengths.append(qsizetype(data[1 + i]) + 1);
    const QByteArray stream
        = QByteArray(bytes + 1 + lengthCount, qsizetype(size) - 1 - lengthCount).repeated(repeats);

    SmtpReplyReader reader;
    // A model of what the reader holds: the text from base up to what has arrived. As
    // long as that stays under the cap, the reader hands over the text itself; once it
    // has had to cut an overlong line, only what every reply must be is checked.
    qsizetype base = 0;
    qsizetype arrived = 0;
    bool exact = true;
    for (int piece = 0; arrived < stream.size(); ++piece) {
        const qsizetype n = lengths.isEmpty()
            ? stream.size()
            : qMin(lengths[piece % lengths.size()], stream.size() - arrived);
        if (arrived + n - base > SmtpReplyReader::MaxPending)
            exact = false;
        const QList<QByteArray> replies = reader.append(QByteArrayView(stream).sliced(arrived, n));
        arrived += n;
        for (const QByteArray &reply : replies) {
            // Whole lines, the last of which ends the reply.
            FUZZ_CHECK(reply.endsWith('\n'));
            QByteArrayView last = QByteArrayView(reply).chopped(1);
            last = last.sliced(last.lastIndexOf('\n') + 1);
            FUZZ_CHECK(SmtpReplyReader::isFinalLine(last));
            // Each reply is the next stretch of the text, in order: none is skipped and
            // none comes twice.
            if (exact) {
                const qsizetype end = replyEnd(stream, base, arrived);
                FUZZ_CHECK(end > base);
                FUZZ_CHECK(reply == QByteArrayView(stream).sliced(base, end - base));
                base = end;
            }
            judge(reply);
        }
        if (exact) {
            FUZZ_CHECK(replyEnd(stream, base, arrived) < 0);
            FUZZ_CHECK(reader.hasPartialReply() == (arrived > base));
        }
    }
    return 0;
}
