// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>

class QProcess;

// Hands one text to one notification URL through the apprise program, as a job: the
// process runs without a shell, with the title "Tolvane", the URL after "--" (so that no
// URL can become an option) and the text on its standard input (so that no character of
// it can become an option or a command). Nothing waits: start() returns at once, the
// process's own signals bring the end, and one single-shot timer is its time limit, at
// which the process is killed. The end comes as finished(), once per start(), never from
// inside start() itself.
class AppriseSender : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultTimeLimit = std::chrono::seconds(20);

    explicit AppriseSender(QObject *parent = nullptr);
    ~AppriseSender() override;

    // The apprise program as QStandardPaths::findExecutable found it; empty when it is not
    // installed, which fails with a sentence saying which package to install.
    void start(const QString &program, const QString &url, const QString &text);
    // Ends the run at once; the process is killed and no finished() follows.
    void abort();

    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }

    // The sentence for a missing apprise program.
    static QString notInstalled();

    // Once finished: apprise's last line of output, and whether a failure may pass by
    // itself (a time-out, a service that could not be reached or answered with a server
    // error); a missing apprise or a refusal of the request itself (HTTP 4xx) stays.
    QString lastLine() const;
    bool failureMayPass() const { return m_mayPass; }

signals:
    // The text was accepted (apprise ended with status 0), or why not, in words a user can
    // read: apprise's last warning or error, a time-out, or why it could not run.
    void finished(bool sent, const QString &reason);

private:
    void processEnded(int exitCode, bool crashed);
    // The time limit, or the event loop's turn after a run that could not begin.
    void timedOut();
    // apprise's last warning or error line, without its time stamp and level.
    QString lastComplaint() const;
    void finish(bool sent, const QString &reason);
    void stop();

    QPointer<QProcess> m_process;
    QTimer m_deadline;
    std::chrono::milliseconds m_timeLimit = DefaultTimeLimit;
    QByteArray m_output;
    QString m_startFailure; // why the run could not begin, told at the loop's next turn
    bool m_mayPass = false;
};
