// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The desktop's own network settings, where a known tool for them is installed: what
// stands in for the Internet Options of the control panel.
namespace NetworkSettings {

struct Command {
    QString program; // a full path
    QStringList arguments;
};

// The tool to start. desktop is XDG_CURRENT_DESKTOP ("KDE", "ubuntu:GNOME", ...);
// findExecutable gives a program's full path, or empty text when it is not installed.
// The desktop's own tool comes first; failing that, a tool that works on any desktop.
std::optional<Command> choose(
    const QString &desktop, const std::function<QString(const QString &)> &findExecutable);

// Starts the tool chosen for this session on its own, without a shell and without waiting
// for it. False when no tool is known or it could not be started.
bool open();

} // namespace NetworkSettings
