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

void openHelpPage()
{
    const QString page = findHelpPage(QCoreApplication::applicationDirPath());
    if (!page.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}
