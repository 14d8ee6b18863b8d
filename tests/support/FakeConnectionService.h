// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/ConnectionService.h"
#include "support/FakeClock.h"

// A connection service whose flags and dialling the test chooses. Dialling moves the
// fake clock on by the seconds a real dial would take.
class FakeConnectionService final : public ConnectionService {
public:
    int flags() override { return connectionFlags; }
    bool autodial() override
    {
        if (clock)
            clock->advanceSecs(dialSeconds);
        return dialSucceeds;
    }
    void hangUp() override { ++hangUps; }

    int connectionFlags = Lan;
    bool dialSucceeds = true;
    int dialSeconds = 0;
    FakeClock *clock = nullptr;
    int hangUps = 0;
};
