// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Gathers what the server sends into whole replies. Text arrives in pieces of any size:
// a reply may be split over several arrivals, and one arrival may hold several lines of
// a multi-line reply. A reply is complete at its final line, the one whose three digits
// are followed by a space or by the line end ("250 OK", "250"); "250-..." lines and
// anything else before it belong to the same reply.
class SmtpReplyReader {
public:
    // Adds an arrival; returns the replies it completed, each with its line ends, as
    // the server sent them.
    QList<QByteArray> append(QByteArrayView bytes);

    // Forgets a partly received reply (a new connection starts afresh).
    void clear()
    {
        m_pending.clear();
        m_lineStart = 0;
        m_skipToLineEnd = false;
    }

    bool hasPartialReply() const { return !m_pending.isEmpty(); }

    // Whether a line (without its line end) ends a reply.
    static bool isFinalLine(QByteArrayView line);

    // A server that never ends its reply does not make the program hold on to all of it:
    // of a longer line only its first MaxPending bytes and its line end are kept.
    static constexpr qsizetype MaxPending = 64 * 1024;

private:
    QByteArray m_pending;
    qsizetype m_lineStart = 0; // where the first line not yet looked at begins
    bool m_skipToLineEnd = false; // the rest of an overlong line is still arriving
};
