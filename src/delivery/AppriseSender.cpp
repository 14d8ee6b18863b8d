// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/AppriseSender.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace {

// What apprise's log lines look like with -v: "2026-12-24 09:30:00,123 - WARNING - Failed
// to send ntfy notification to topic 'x': forbidden, error=40301."
const QByteArray Complaints[] { " - WARNING - ", " - ERROR - " };
constexpr qsizetype LongestReason = 200;
constexpr qsizetype KeptOutput = 16 * 1024; // apprise says little; a flood keeps its end

} // namespace

AppriseSender::AppriseSender(QObject *parent)
    : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &AppriseSender::timedOut);
}

AppriseSender::~AppriseSender()
{
    stop();
}

QString AppriseSender::notInstalled()
{
    return tr("Notification addresses need the program apprise, which is not installed: "
              "install the package apprise (sudo apt-get install apprise)");
}

void AppriseSender::start(const QString &program, const QString &url, const QString &text)
{
    stop();
    m_output.clear();
    m_startFailure.clear();
    m_mayPass = false;
    // Even a run that cannot begin is told from the event loop, so that whoever called
    // start() is never re-entered from inside it.
    if (program.isEmpty()) {
        m_startFailure = notInstalled();
        m_deadline.start(0);
        return;
    }
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    // The text goes in as UTF-8, whatever the desktop's locale would make Python expect.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PYTHONIOENCODING"), QStringLiteral("utf-8"));
    m_process->setProcessEnvironment(environment);
    connect(m_process, &QProcess::readyRead, this, [this] {
        m_output += m_process->readAll();
        if (m_output.size() > KeptOutput)
            m_output.remove(0, m_output.size() - KeptOutput);
    });
    connect(
        m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
            processEnded(exitCode, status == QProcess::CrashExit);
        });
    // Qt may say so from inside QProcess::start().
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        m_startFailure = tr("apprise could not be started: %1").arg(m_process->errorString());
        m_deadline.start(0);
    });
    // No body option: apprise reads the body from its standard input.
    m_process->start(program,
        { QStringLiteral("-v"), QStringLiteral("--title"), QStringLiteral("Tolvane"),
            QStringLiteral("--"), url });
    if (!m_startFailure.isEmpty())
        return;
    m_process->write(text.toUtf8());
    m_process->closeWriteChannel();
    m_deadline.start(m_timeLimit);
}

void AppriseSender::abort()
{
    stop();
}

void AppriseSender::stop()
{
    m_deadline.stop();
    if (!m_process)
        return;
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Gone once it has ended, also when this sender is gone before; nobody waits for that.
    // The application keeps it meanwhile, so that none is left behind at the end.
    process->setParent(QCoreApplication::instance());
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

void AppriseSender::processEnded(int exitCode, bool crashed)
{
    if (m_process)
        m_output += m_process->readAll();
    if (!crashed && exitCode == 0)
        return finish(true, {});
    QString reason = lastComplaint();
    // apprise names the service's HTTP status ("error=500", ntfy's "error=40301"): a
    // request refused as such (4xx, but for "too many requests") is refused again.
    static const QRegularExpression status(QStringLiteral("error=(\\d{3})"));
    const int code = status.match(reason).captured(1).toInt();
    m_mayPass = !crashed && (code / 100 != 4 || code == 429);
    if (reason.isEmpty())
        reason = crashed ? tr("apprise ended unexpectedly")
                         : tr("apprise ended with status %1").arg(exitCode);
    finish(false, reason);
}

void AppriseSender::timedOut()
{
    if (!m_startFailure.isEmpty())
        return finish(false, m_startFailure);
    m_mayPass = true;
    const qint64 seconds = std::chrono::duration_cast<std::chrono::seconds>(m_timeLimit).count();
    finish(false, tr("no answer within %n seconds", nullptr, int(seconds)));
}

QString AppriseSender::lastComplaint() const
{
    const QList<QByteArray> lines = m_output.split('\n');
    QByteArray found;
    for (auto line = lines.rbegin(); line != lines.rend() && found.isEmpty(); ++line) {
        for (const QByteArray &marker : Complaints) {
            if (const qsizetype at = line->indexOf(marker); at >= 0) {
                found = line->mid(at + marker.size());
                break;
            }
        }
    }
    // Without a line of its own log, the last thing it said (a Python traceback ends with
    // the error).
    for (auto line = lines.rbegin(); line != lines.rend() && found.trimmed().isEmpty(); ++line)
        found = *line;
    QString reason = QString::fromUtf8(found).simplified();
    if (reason.size() > LongestReason)
        reason = reason.left(LongestReason - 3) + QStringLiteral("...");
    return reason;
}

QString AppriseSender::lastLine() const
{
    const QList<QByteArray> lines = m_output.trimmed().split('\n');
    return QString::fromUtf8(lines.last()).simplified().left(LongestReason);
}

void AppriseSender::finish(bool sent, const QString &reason)
{
    // Over before anyone hears of it: a receiver may start the next run at once.
    stop();
    emit finished(sent, reason);
}
