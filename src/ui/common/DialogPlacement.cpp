// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/common/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QtMath>

namespace {

// 15.225 twips against 15 twips to the pixel.
constexpr double Stretch = 15.225 / 15.0;

} // namespace

QPoint dialogPosition(const QRect &screen, const QSize &form)
{
    const int left = qRound(screen.width() / 2.0 * Stretch - form.width() / 2.0);
    const int top = qRound(screen.height() / 2.0 * Stretch - form.height() / 2.0);
    // A form larger than the screen keeps its title bar on the screen.
    return screen.topLeft() + QPoint(qMax(0, left), qMax(0, top));
}

void placeDialog(QWidget &form)
{
    QScreen *screen = form.screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    form.move(dialogPosition(screen->geometry(), form.size()));
}
