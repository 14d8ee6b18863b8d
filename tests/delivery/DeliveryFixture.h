#pragma once

#include "delivery/SmtpDelivery.h"
#include "support/FakeConnectionService.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <chrono>
#include <functional>

// What a scripted server does in one data row.
using Script = std::function<void(ScriptedSmtpServer &)>;
Q_DECLARE_METATYPE(Script)
using S = ScriptedSmtpServer;

// The warnings as the user reads them.
inline const QString Responded = QStringLiteral("SMTP Server responded: ");
inline const QString NoGreeting = QStringLiteral("SMTP server connected but did not respond");
inline const QString NoResponse = QStringLiteral("No response from SMTP server: timeout");
inline const QString UnableToConnect = QStringLiteral("Unable to connect to SMTP server");
inline const QString ServerClosed = QStringLiteral("SMTP server closed the connection");
inline const QString Unsolicited
    = QStringLiteral("The SMTP server sent a reply that no command asked for: ");
inline const QString Misfit
    = QStringLiteral("The SMTP server's reply does not fit the command it answers: ");

inline const QString Record
    = QStringLiteral("2026/03/14 09:30 PMNHello there|ann@phone.example,bob@phone.example,");
inline const QString Ann = QStringLiteral("ann@home.example");
inline const QString Bob = QStringLiteral("bob@phone.example");
constexpr std::chrono::milliseconds ReplyTimeout { 1500 };

// One program with two users, Ann's message file holding the record, and a delivery aimed
// at the given server.
struct DeliveryFixture {
    explicit DeliveryFixture(const QString &server = {})
    {
        env.addUser(1, "Ann", "ann@phone.example", Ann, server);
        env.addUser(2, "Bob", Bob);
        env.writeMessageFile(1, { Record });
        connection.clock = &env.clock;
        delivery.setReplyTimeout(ReplyTimeout);
    }

    // Runs one delivery; true when it ended as sent.
    bool deliver(const QString &entry = "01" + Record)
    {
        QSignalSpy rows(&delivery, &SmtpDelivery::rowColoured);
        QSignalSpy warnings(&delivery, &SmtpDelivery::warning);
        QElapsedTimer timer;
        timer.start();
        env.program.Sending = true;
        delivery.ProcessMessage(entry);
        elapsedMs = timer.elapsed();
        for (const QList<QVariant> &warning : warnings)
            shown.append(warning.at(0).toString());
        // Every delivery ends with exactly one colouring and Sending cleared.
        endedOnce = rows.size() == 1 && !env.program.Sending;
        row = rows.isEmpty() ? QList<QVariant>() : rows.last();
        return !rows.isEmpty() && rows.last().at(4).toBool();
    }

    TestEnvironment env;
    FakeConnectionService connection;
    SmtpDelivery delivery { env.program, connection };
    QStringList shown; // the warnings, in order
    QList<QVariant> row; // the colouring: code, date, time, text, sent
    qint64 elapsedMs = 0;
    bool endedOnce = false;
};
