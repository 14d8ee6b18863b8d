#pragma once

#include "delivery/Scheduler.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/TestEnvironment.h"
#include "ui/main/FrmMain.h"
#include "ui/main/Startup.h"
#include "ui/setup/SplashScreen.h"

inline const QString AdaCell = QStringLiteral("5551234567@txt.example.net");

// The program as it starts: Ada (user 1) logged in, the scheduler, the start-up and its
// windows. Ending the program is recorded.
struct StartedProgram {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    RecordingDelivery delivery { store };
    FakeConnectionService connection;
    Scheduler scheduler { env.program, store, delivery, connection };
    Startup startup { env.program, store, scheduler };
    int ends = 0;

    StartedProgram()
    {
        env.settings.WriteSetting("Options", "Current User", "1");
        env.addUser(1, "Ada", AdaCell);
        startup.endProgram = [this] { ++ends; };
    }
    Program &p() { return env.program; }
    FrmMain &w() { return startup.frmMain(); }
    // The start, with the splash handing over at once instead of after two seconds.
    void start()
    {
        startup.Run();
        startup.splashScreen().handOver();
    }
    bool delivering() const { return startup.housekeepingRunning() && scheduler.isStarted(); }
    // The message boxes shown, as "title" or "title: text".
    QStringList boxes(bool withText = false) const
    {
        QStringList out;
        for (const auto &box : env.boxes.shown)
            out << (withText ? box.title + ": " + box.text : box.title);
        return out;
    }
};
