// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

class QStyle;
class QTableWidgetItem;

// Whether a message in the day grid is still to go, went, or did not go. The row shows it
// by its colour, by a mark beside the text (colour is never the only sign), by a tooltip,
// and in what a screen reader says of the row.
enum class RowState { Waiting, Sent, NotSent };

namespace RowStates {

// WCAG's contrast ratio of two colours, 1 to 21.
double contrast(const QColor &a, const QColor &b);

// The text colour of a state on the palette's base: the text colour while waiting; for
// sent and not-sent texts a grey and a red that keep a contrast of at least 4.5:1 on light
// and dark palettes alike.
QColor colour(RowState state, const QPalette &palette);

// The palette with its selection colour darkened or lightened where the highlighted text
// would not read on it at 4.5:1, so that a selected row reads too.
QPalette withReadableSelection(QPalette palette);

// Shows a message's text in its row, in its state; time is the message's own time.
void show(QTableWidgetItem &cell, const QString &time, const QString &text, RowState state,
    const QPalette &palette, const QStyle &style);

// A message not sent yet that will be tried again: shown as waiting, with the note (why,
// and when the next try is) as its tooltip and in what a screen reader says of it.
void showPending(QTableWidgetItem &cell, const QString &time, const QString &text,
    const QString &note, const QPalette &palette, const QStyle &style);

// An empty row: no text, no mark, and a screen reader hears its time.
void clear(QTableWidgetItem &cell, const QString &time);

} // namespace RowStates
