// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/QtConnectionService.h"

#include <QNetworkInformation>

QtConnectionService::QtConnectionService()
{
    m_haveBackend = QNetworkInformation::loadDefaultBackend()
        && QNetworkInformation::instance()->supports(QNetworkInformation::Feature::Reachability);
}

int QtConnectionService::flags()
{
    if (!m_haveBackend)
        return Lan;
    switch (QNetworkInformation::instance()->reachability()) {
    case QNetworkInformation::Reachability::Disconnected:
        return 0;
    case QNetworkInformation::Reachability::Unknown:
    case QNetworkInformation::Reachability::Local:
    case QNetworkInformation::Reachability::Site:
    case QNetworkInformation::Reachability::Online:
        return Lan;
    }
    return Lan;
}
