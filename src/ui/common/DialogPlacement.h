// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where the splash and the dialog forms stand: half the screen's size, stretched by
// 1.015, less half the form's own size. The stretch puts a form a little right of and
// below the centre, where it has always stood.
QPoint dialogPosition(const QRect &screen, const QSize &form);

// Moves a form to its place on the screen it is on (the primary screen before it has
// been shown).
void placeDialog(QWidget &form);
