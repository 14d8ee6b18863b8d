// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/NetworkSettings.h"

#include <QProcess>
#include <QStandardPaths>

namespace NetworkSettings {

namespace {

struct Tool {
    const char *desktop; // the XDG_CURRENT_DESKTOP name it belongs to
    bool anyDesktop; // also works, and is worth offering, on other desktops
    const char *program;
    QStringList arguments;
};

// In the order they are offered on a desktop that has none of its own. The GNOME and
// Cinnamon panels refuse to start outside their own desktops.
const QList<Tool> &tools()
{
    static const QList<Tool> list {
        { "", true, "nm-connection-editor", {} },
        { "KDE", true, "kcmshell6", { QStringLiteral("kcm_networkmanagement") } },
        { "KDE", true, "kcmshell5", { QStringLiteral("kcm_networkmanagement") } },
        { "KDE", true, "systemsettings", { QStringLiteral("kcm_networkmanagement") } },
        { "KDE", true, "systemsettings5", { QStringLiteral("kcm_networkmanagement") } },
        { "GNOME", false, "gnome-control-center", { QStringLiteral("network") } },
        { "Unity", false, "gnome-control-center", { QStringLiteral("network") } },
        { "Budgie", false, "budgie-control-center", { QStringLiteral("network") } },
        { "X-Cinnamon", false, "cinnamon-settings", { QStringLiteral("network") } },
    };
    return list;
}

} // namespace

std::optional<Command> choose(
    const QString &desktop, const std::function<QString(const QString &)> &findExecutable)
{
    const QStringList names = desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    auto onThisDesktop = [&](const Tool &tool) {
        return *tool.desktop && names.contains(QLatin1String(tool.desktop), Qt::CaseInsensitive);
    };
    auto found = [&](const Tool &tool) -> std::optional<Command> {
        const QString path = findExecutable(QString::fromLatin1(tool.program));
        if (path.isEmpty())
            return std::nullopt;
        return Command { path, tool.arguments };
    };
    for (const Tool &tool : tools()) {
        if (onThisDesktop(tool)) {
            if (auto command = found(tool))
                return command;
        }
    }
    for (const Tool &tool : tools()) {
        if (tool.anyDesktop) {
            if (auto command = found(tool))
                return command;
        }
    }
    return std::nullopt;
}

bool open()
{
    const auto command = choose(qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        [](const QString &program) { return QStandardPaths::findExecutable(program); });
    return command && QProcess::startDetached(command->program, command->arguments);
}

} // namespace NetworkSettings
