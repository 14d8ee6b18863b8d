// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/MainLayout.h"

#include <cmath>

namespace MainLayout {

Result compute(const Input &in)
{
    const int W = in.width;
    const int H = in.height;
    Result r;

    r.vScrollVisible = H < NaturalHeight;
    r.hScrollVisible = W < NaturalWidth;
    r.vScrollLeft = W - 365;
    r.vScrollHeight = H - 945;
    r.hScrollWidth = W - FrameWidth; // the window's inner width
    r.hScrollTop = H - 955;
    r.vScrollMax = NaturalHeight - H;
    r.vScrollStep = static_cast<int>(std::lround(10 * in.twipsPerPixelY));
    r.hScrollMax = NaturalWidth - W;
    r.hScrollStep = static_cast<int>(std::lround(10 * in.twipsPerPixelX));

    if (W < NaturalWidth) {
        r.calendarWidth = 7160;
        r.gridWidth = 6810;
    } else {
        r.calendarWidth = W - 150;
        r.gridWidth = W - 500;
    }
    if (r.vScrollVisible) {
        r.calendarWidth -= VScrollWidth;
        r.gridWidth -= VScrollWidth;
    }

    if (H < NaturalHeight) {
        r.calendarHeight = CalendarNaturalHeight;
        r.gridHeight = GridScrolledHeight;
    } else {
        r.calendarHeight = H * CalendarShare;
    }
    const int base = static_cast<int>(std::lround(in.calendarTop + r.calendarHeight + 120));
    r.gridTop = base + 345;
    r.buttonTop = base - 135;
    r.labelTop = base - 65;
    if (H >= NaturalHeight)
        r.gridHeight = H - 900 - r.gridTop;

    // The formulas place the row of buttons for an unscrolled window; the current
    // horizontal offset is taken off, so that a resize while scrolled sideways keeps
    // them in line with the calendar and the grid.
    const double c = r.calendarWidth / 2.0;
    auto left = [&](double x) { return static_cast<int>(std::lround(x)) - in.horizontalOffset; };
    r.buttonLeft[CmdToday] = left(c - 3068);
    r.labelLeft[2] = left(c - 2628);
    r.buttonLeft[CmdPrevious] = left(c - 968);
    r.labelLeft[0] = left(c - 608);
    r.buttonLeft[CmdNext] = left(c + 592);
    r.buttonLeft[CmdPreviousYear] = left(c + 1132);
    r.labelLeft[1] = left(c + 1492);
    r.buttonLeft[CmdNextYear] = left(c + 2692);
    return r;
}

} // namespace MainLayout
