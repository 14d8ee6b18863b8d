// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/AppContext.h"
#include "app/SettingsStore.h"
#include "support/FakeClock.h"
#include "support/ScriptedMessageBoxes.h"

#include <QTemporaryDir>

// A program of its own for one test: a settings file and a data directory in a fresh
// temporary directory, a fake clock and scripted message boxes.
class TestEnvironment {
public:
    TestEnvironment();

    QString dataDir() const { return dir.path() + QStringLiteral("/data/"); }
    QString userFile(int user) const { return dataDir() + QStringLiteral("u%1.usr").arg(user); }

    // Writes a message file by hand, lines joined with CR LF (and a final CR LF).
    void writeMessageFile(int user, const QStringList &lines);
    QStringList readMessageFile(int user) const;
    QByteArray readMessageFileBytes(int user) const;

    // Writes User<n> with the given name, phone address, sender address and server.
    void addUser(int n, const QString &name, const QString &cell, const QString &email = {},
        const QString &smtp = {});

    QTemporaryDir dir;
    SettingsStore settings;
    FakeClock clock;
    ScriptedMessageBoxes boxes;
    AppContext program;
};
