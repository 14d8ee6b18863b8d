// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/MailServerOptions.h"
#include "app/Roster.h"

#include <QString>
#include <optional>

// What one opening of the set-up wizard is for, and what its pages have confirmed with
// Next so far. Only Finish writes what was confirmed; Cancel drops it with the run.
struct SetupRun {
    enum class Mode {
        FirstRun, // user 1, all three pages; the first user's mail settings become the defaults
        AddUser, // a free slot, all three pages
        EditName, // the user's name alone, with Apply
        EditMailServer, // the user's own e-mail settings alone
        EditPhoneAddress, // the user's phone address alone
        EditDefaults, // the e-mail settings offered to every new user, page 2 alone
    };

    Mode mode = Mode::FirstRun;
    int user = 1; // the user set up or edited; none for the defaults

    QString name;
    QString email;
    QString smtp;
    // Page 2's mail server options; none while page 2 has not been confirmed in this run.
    std::optional<MailServerOptions> server;
    // None: leave the stored password as it is; empty: remove it.
    std::optional<QString> password;

    // Whether the pages lead one to the next up to Finish, rather than one page with Apply.
    bool isWizard() const { return mode == Mode::FirstRun || mode == Mode::AddUser; }
    QString section() const { return Roster::userSection(user); }

    // Drops what the pages confirmed.
    void clearConfirmed()
    {
        name.clear();
        email.clear();
        smtp.clear();
        server.reset();
        password.reset();
    }
};
