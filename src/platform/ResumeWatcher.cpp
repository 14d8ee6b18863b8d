// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/ResumeWatcher.h"

#include <QDBusConnection>
#include <QNetworkInformation>

ResumeWatcher::ResumeWatcher(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    m_sleep = bus.isConnected()
        && bus.connect(QStringLiteral("org.freedesktop.login1"),
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
            this, SLOT(prepareForSleep(bool)));
    // The connection service has loaded the backend already where one exists.
    QNetworkInformation *network = QNetworkInformation::instance();
    if (!network && QNetworkInformation::loadDefaultBackend())
        network = QNetworkInformation::instance();
    m_network = network && network->supports(QNetworkInformation::Feature::Reachability);
    if (m_network) {
        connect(network, &QNetworkInformation::reachabilityChanged, this,
            [this, was = network->reachability()](QNetworkInformation::Reachability now) mutable {
                using R = QNetworkInformation::Reachability;
                const bool back = was == R::Disconnected && now != R::Disconnected;
                was = now;
                if (back)
                    emit resumed();
            });
    }
}

void ResumeWatcher::prepareForSleep(bool sleeping)
{
    if (!sleeping)
        emit resumed();
}
