// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/CodePage.h"

#include <QList>
#include <array>
#include <cstring>

namespace CodePage {

namespace {

// 0x80..0x9F; the five bytes Windows-1252 leaves undefined map to the C1 controls of
// the same value, as Windows itself does, so that every byte survives a round trip.
constexpr std::array<char16_t, 32> High = {
    0x20AC,
    0x0081,
    0x201A,
    0x0192,
    0x201E,
    0x2026,
    0x2020,
    0x2021,
    0x02C6,
    0x2030,
    0x0160,
    0x2039,
    0x0152,
    0x008D,
    0x017D,
    0x008F,
    0x0090,
    0x2018,
    0x2019,
    0x201C,
    0x201D,
    0x2022,
    0x2013,
    0x2014,
    0x02DC,
    0x2122,
    0x0161,
    0x203A,
    0x0153,
    0x009D,
    0x017E,
    0x0178,
};

int byteFor(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < int(High.size()); ++i) {
        if (High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

// Eight bytes at a time: most lines are plain ASCII.
bool isAscii(QByteArrayView bytes)
{
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    quint64 any = 0;
    for (; left >= 8; p += 8, left -= 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        any |= word;
    }
    for (; left > 0; --left)
        any |= static_cast<unsigned char>(*p++);
    return !(any & 0x8080808080808080ULL);
}

} // namespace

QString decode(QByteArrayView bytes)
{
    QString text;
    decode(bytes, text);
    return text;
}

void decode(QByteArrayView bytes, QString &text)
{
    // Windows-1252 is Latin-1 but for 0x80..0x9F. Qt's own Latin-1 conversion is many times
    // faster than a loop over the bytes, and the scheduler decodes every line of every
    // file; the bytes it gets wrong are looked for only where a byte is not ASCII.
    text.truncate(0);
    text.append(QLatin1String(bytes.data(), bytes.size()));
    if (isAscii(bytes))
        return;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x80 && b < 0xA0)
            text[i] = QChar(High[b - 0x80]);
    }
}

QByteArray encode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const int b = byteFor(c);
        bytes.append(b < 0 ? '?' : char(b));
    }
    return bytes;
}

bool canEncode(QStringView text)
{
    for (const char32_t c : text.toUcs4()) {
        if (byteFor(c) < 0)
            return false;
    }
    return true;
}

} // namespace CodePage
