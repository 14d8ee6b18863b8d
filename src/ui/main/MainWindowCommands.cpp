// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/AppContext.h"
#include "app/AppTitle.h"
#include "app/ErrorTrap.h"
#include "app/SettingsStore.h"
#include "app/Website.h"
#include "platform/MessageBoxes.h"
#include "platform/NetworkSettings.h"
#include "ui/common/HelpPageBox.h"
#include "ui/main/KeyPreview.h"
#include "ui/main/LateSendingDialog.h"
#include "ui/main/MainWindow.h"

#include <QAction>
#include <QDesktopServices>
#include <QUrl>

namespace {

const QString ShowErrorsCommand = QStringLiteral("show errors");
const QString NoErrorsCommand = QStringLiteral("no errors");

// The character at a 0-based position, or a null character past the text's end, which
// differs from every character that can be typed.
QChar at(const QString &text, qsizetype i)
{
    return i < text.size() ? text.at(i) : QChar();
}

} // namespace

void MainWindow::connectCommands()
{
    new KeyPreview(*this, [this](QChar c) { keyTyped(c); });
    const std::pair<QAction *, void (MainWindow::*)()> commands[] = {
        { m_instantMessageAction, &MainWindow::sendInstantMessageNow },
        { m_historyAction, &MainWindow::openDeliveryHistory },
        { m_networkSettingsAction, &MainWindow::openNetworkSettings },
        { m_lateSendingAction, &MainWindow::openLateSending },
        { m_helpAction, &MainWindow::openHelp },
        { m_websiteAction, &MainWindow::openWebsite },
        { m_aboutAction, &MainWindow::openAbout },
    };
    for (const auto &[action, handler] : commands)
        connect(action, &QAction::triggered, this, handler);
}

void MainWindow::keyTyped(QChar key)
{
    trap(m_context, "frmMain.Form_KeyPress", [&] {
        m_typedKeys += key;
        auto switchErrors = [&](bool on, const QString &text) {
            m_typedKeys.clear();
            m_context.boxes.show(
                AppTitle, text, MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok, this);
            m_context.showErrors = on;
            m_context.settings.writeSetting(
                QStringLiteral("Options"), QStringLiteral("Error"), QString::number(on ? 1 : 0));
        };
        if (m_typedKeys.toLower() == ShowErrorsCommand) {
            switchErrors(true,
                tr("Tolvane will now display all errors that may occur in the program.  If you "
                   "wish to turn this feature off, type: \"%1\"")
                    .arg(NoErrorsCommand));
        }
        if (m_typedKeys.toLower() == NoErrorsCommand) {
            switchErrors(false,
                tr("Tolvane will no longer display every type of error that may occur in the "
                   "program.  If you wish to turn this feature back on, type: \"%1\"")
                    .arg(ShowErrorsCommand));
        }

        // A run of characters that can no longer become either command is dropped whole,
        // the character that broke it included.
        const QString typed = m_typedKeys.toLower();
        const QString second
            = typed.size() > 9 ? NoErrorsCommand + QStringLiteral("no") : NoErrorsCommand;
        for (qsizetype i = 0; i < typed.size(); ++i) {
            if (typed.at(i) != at(ShowErrorsCommand, i) && typed.at(i) != at(second, i)) {
                m_typedKeys.clear();
                break;
            }
        }
    });
}

void MainWindow::sendInstantMessageNow()
{
    trap(m_context, "frmMain.mnuInstantMessage_Click", [&] {
        if (!composeInstantMessage)
            return;
        // Sent for the user logged in when Send was pressed.
        if (const auto message = composeInstantMessage(); message && sendInstantMessage)
            sendInstantMessage(m_context.currentUser, *message);
    });
}

void MainWindow::openDeliveryHistory()
{
    trap(m_context, "frmMain.mnuDeliveryHistory_Click", [&] {
        if (showDeliveryHistory)
            showDeliveryHistory();
    });
}

void MainWindow::openNetworkSettings()
{
    // This command tells of its failure whatever ShowErrors says, so it has its own trap.
    bool opened = false;
    try {
        opened = NetworkSettings::open();
    } catch (...) {
    }
    if (!opened) {
        m_context.boxes.show(AppTitle, tr("Internet Options are not available from here."),
            MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
    }
}

void MainWindow::openLateSending()
{
    trap(m_context, "frmMain.mnuLateMessages_Click", [&] {
        LateSendingDialog dialog(m_context.settings, this);
        // The scheduler reads the window when it refills its slots.
        if (dialog.exec() == QDialog::Accepted && reloadScheduler)
            reloadScheduler();
    });
}

void MainWindow::openHelp()
{
    trap(m_context, "frmMain.mnuHelpMe_Click", [&] { openHelpPageOrSay(m_context.boxes, this); });
}

void MainWindow::openWebsite()
{
    // Whether a browser could be started is not asked: there is nothing the user could do.
    trap(m_context, "frmMain.mnuWebsite_Click",
        [&] { QDesktopServices::openUrl(QUrl(WebsiteAddress)); });
}

void MainWindow::openAbout()
{
    trap(m_context, "frmMain.mnuAbout_Click", [&] {
        if (showAbout)
            showAbout();
    });
}
