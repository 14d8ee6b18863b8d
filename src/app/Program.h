#pragma once

#include "platform/BusyFlag.h"

#include <QString>
#include <array>

class Clock;
class MessageBoxes;
class SettingsStore;

// The program-wide state, one object created at start and handed by reference to
// every form and module. Its members carry the names the whole program uses for them.
class Program {
public:
    Program(SettingsStore &settings, Clock &clock, MessageBoxes &boxes);
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    SettingsStore &settings;
    Clock &clock;
    MessageBoxes &boxes;

    // Start-up and shutdown.
    QString ProgramPath;
    QString ProgramDir; // ends with "/"; the message files live here
    bool FirstRun = false;
    bool StartSmall = false;
    bool SplashDone = false;
    bool ShutdownRequested = false;

    // Roster and set-up.
    int CurrentUser = 0;
    int SetupUser = 0;
    bool AddingUser = false;
    bool EditingDefaults = false;
    QString PendingName;
    QString PendingEmail;
    QString PendingSMTP;
    bool AboutMode = false;

    // Message files: one reader or writer at a time.
    BusyFlag FileBusy;

    // Scheduler. NextMessage[1..10]: each user's next due record behind its two-digit
    // user code; NextMessage[0]: an instant message behind user code + 20.
    std::array<QString, 11> NextMessage;
    std::array<QString, 11> LastSent;
    bool Sending = false;
    bool ReloadNext = false;
    bool DialedUp = false;
    int LastMinute = 0; // minute of the day seen by the previous housekeeping tick

    // SMTP reply analysis.
    int SmtpReplyCode = 0;

    // Notification area.
    bool InTray = false;

    // Whether the error trap of every procedure shows its message.
    bool ShowErrors = false;

    // The error trap's report: "Error occurred in " + where, only when ShowErrors is on.
    void ReportError(const QString &where);
};
