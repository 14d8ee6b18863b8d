// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/DeliveryAttempt.h"
#include "store/MessageRecord.h"

#include <QMetaType>
#include <QObject>
#include <QString>

// What the scheduler hands a due message to: one message at a time, as a job. start()
// returns at once and the end comes by finished(), once per start() unless aborted; the
// scheduler takes it whenever it comes, even before start() has returned.
class Deliverer : public QObject {
    Q_OBJECT
public:
    struct Result {
        bool sent = false;
        // A line was dialled for this message: it is hung up once the batch is over.
        bool dialledUp = false;
        // An unexpected failure for the error trap: where it happened (empty: none), and
        // the text when it is one the user must hear of whatever ShowErrors says.
        QString failureWhere;
        QString failureText;
        // Whom the message was for, over which channel, and the last reply heard (the
        // server's, the channel's, or the problem met before any).
        QList<DeliveryAttempt::Recipient> recipients;
        QString reply;
        // Some channel's server took the content: whatever else happened, the record must
        // never go out again. Marked: the record carries its "S" in its file.
        bool taken = false;
        bool marked = false;
        // The failure may pass by itself (no connection, a refused or dropped connection, a
        // time-out, a 4xx reply, a keyring that did not answer), so a later try may succeed;
        // a refusal that will stay (a 5xx reply, a refused login or certificate, a bad
        // address, no password, a record that cannot be sent) is never tried again.
        bool mayPass = false;
    };

    using QObject::QObject;

    // The sending user, the record as read (or composed, for an instant message) and
    // whether it is an instant message, which exists in no file.
    virtual void start(int user, const MessageRecord &record, bool instant) = 0;
    // Ends the delivery under way at once; no finished() follows.
    virtual void abort() = 0;

signals:
    // A problem for the user's attention, shown without waiting for anyone.
    void warning(const QString &text);
    void finished(const Deliverer::Result &result);
    // A server took the content of a scheduled record, before the record is marked sent;
    // a receiver that keeps this on disk knows of it even when the mark fails or the
    // program ends before it.
    void taken(int user, const MessageRecord &record);
};

Q_DECLARE_METATYPE(Deliverer::Result)
