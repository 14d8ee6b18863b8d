// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/HelpPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace {
const QString PageInShare = QStringLiteral("tolvane/Tolvane.html");
}

QString findHelpPage(const QString &executableDir)
{
    const QFileInfo beside(
        QDir::cleanPath(executableDir + QStringLiteral("/../share/") + PageInShare));
    if (beside.isFile())
        return beside.absoluteFilePath();
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, PageInShare);
}

QString openHelpPage()
{
    const QString page = findHelpPage(QCoreApplication::applicationDirPath());
    if (page.isEmpty())
        return QCoreApplication::translate("HelpPage", "The help page (%1) is not installed.")
            .arg(PageInShare);
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        return {};
    return QCoreApplication::translate("HelpPage",
        "No program to show the help page was found.  You can open it in any web browser:\n\n%1")
        .arg(QDir::toNativeSeparators(page));
}
