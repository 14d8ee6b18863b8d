// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/Scheduler.h"
#include "program/Application.h"
#include "store/SeriesStore.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/TestEnvironment.h"
#include "ui/main/DayGrid.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MarkedCalendar.h"
#include "ui/setup/SplashScreen.h"

#include <QAction>

inline const QString AdaCell = QStringLiteral("5551234567@txt.example.net");
inline const QString ToAda = "|" + AdaCell + ","; // the end of Ada's records

// A setting named "Section/Key", "<absent>" when it is not there.
inline QString setting(TestEnvironment &env, const QString &key)
{
    return env.settings.readSetting(key.section('/', 0, 0), key.section('/', 1), "<absent>");
}

// The program as it starts: Ada (user 1) logged in, the scheduler with a recording
// delivery, the start-up and its windows. Ending the program is recorded. The main
// window's controls are reached by their object names, as a user reaches them.
struct StartedProgram {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    RecordingDelivery delivery { store };
    FakeConnectionService connection;
    SeriesStore series { env.dataDir(), store, env.clock };
    Scheduler scheduler { env.program, store, delivery, connection };
    Application app { env.program, store, series, scheduler };
    int ends = 0;

    StartedProgram()
    {
        env.settings.writeSetting("Options", "Current User", "1");
        env.addUser(1, "Ada", AdaCell);
        app.endProgram = [this] { ++ends; };
    }
    AppContext &p() { return env.program; }
    MainWindow &w() { return app.mainWindow(); }
    template<class T = QWidget> T *child(const char *name)
    {
        return w().findChild<T *>(QString::fromLatin1(name));
    }
    void trigger(const char *action) { child<QAction>(action)->trigger(); }
    DayGrid *grid() { return child<DayGrid>("dayGrid"); }
    MarkedCalendar *calendar() { return child<MarkedCalendar>("calendar"); }
    QTableWidgetItem *cell(int row) { return grid()->cell(row, 1); }
    QString setting(const QString &key) { return ::setting(env, key); }

    // Ada's message file holds these lines; the window is loaded and shown.
    void open(const QStringList &records = {})
    {
        env.writeMessageFile(1, records);
        w().load();
        w().show();
    }
    // The start, with the splash handing over at once instead of after two seconds.
    void start()
    {
        app.start();
        app.splashScreen().handOver();
    }
};
