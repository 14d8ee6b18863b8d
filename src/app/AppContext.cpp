// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/AppContext.h"

#include "app/AppTitle.h"
#include "platform/KeychainSecretStore.h"
#include "platform/MessageBoxes.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QTimer>

AppContext::AppContext(SettingsStore &settings, Clock &clock, MessageBoxes &boxes)
    : settings(settings)
    , clock(clock)
    , boxes(boxes)
    , secrets(std::make_unique<KeychainSecretStore>())
{
}

AppContext::~AppContext() = default;

void AppContext::reportError(const QString &where)
{
    if (showErrors)
        // The procedure's name stays as the program knows it, in every language.
        showOnce(QCoreApplication::translate("ErrorTrap", "Error occurred in %1").arg(where));
}

void AppContext::reportFailure(const QString &text)
{
    showOnce(text);
}

void AppContext::reportLater(const QString &where, const QString &text)
{
    QTimer::singleShot(0, &m_context, [this, where, text] {
        if (text.isEmpty())
            reportError(where);
        else
            reportFailure(text);
    });
}

void AppContext::showOnce(const QString &text)
{
    // A box waits for the user while timers go on; the failure that opened it, met again
    // meanwhile, must not stack a second box on the first.
    if (m_failuresShown.contains(text))
        return;
    m_failuresShown.append(text);
    const auto shown = qScopeGuard([&] { m_failuresShown.removeOne(text); });
    boxes.show(AppTitle, text, MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}
