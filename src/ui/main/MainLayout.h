// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>

// Where Form_Resize puts the main window's controls for a window size, in twips. The
// window is W x H twips as the formulas understand it: its content area plus a fixed
// allowance for the borders, the caption and the menu bar (FrameWidth, FrameHeight),
// so that the window looks the same whatever frame the desktop draws.
namespace MainLayout {

// The natural size is also the default one. It fits a screen of 540 pixels' height (1920 x
// 1080 scaled twice) with a desktop's panel, the window's title bar and its menu bar.
constexpr int NaturalWidth = 7160;
constexpr int NaturalHeight = 7200;
constexpr int FrameWidth = 110;
constexpr int FrameHeight = 690;

// The calendar's height at the natural size, and its share of a higher window: the day
// grid takes the rest, ten rows of an ordinary font at the natural size.
constexpr int CalendarNaturalHeight = 2952;
constexpr double CalendarShare = double(CalendarNaturalHeight) / NaturalHeight;
// Below the natural height the content keeps its natural layout and scrolls; the grid is
// a little lower there, above the horizontal bar.
constexpr int GridScrolledHeight = NaturalHeight - CalendarNaturalHeight - 1350;

// Design sizes that resizing keeps.
constexpr int CalendarDesignTop = -120;
constexpr int GridDesignLeft = 200;
constexpr int ButtonSize = 375;
constexpr int LabelWidth = 1215;
constexpr int LabelHeight = 195;
constexpr int VScrollWidth = 255;
constexpr int HScrollHeight = 265;

enum Button { CmdToday, CmdPrevious, CmdNext, CmdPreviousYear, CmdNextYear, ButtonCount };
// lblInfo indexes: 0 "Change Month", 1 "Change Year", 2 "Today".
constexpr int LabelCount = 3;

struct Input {
    int width = NaturalWidth; // W
    int height = NaturalHeight; // H
    double calendarTop = CalendarDesignTop; // includes the vertical scroll offset
    int horizontalOffset = 0; // the horizontal scroll value the controls reflect
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
};

struct Result {
    bool vScrollVisible = false;
    bool hScrollVisible = false;
    int vScrollLeft = 0;
    int vScrollHeight = 0;
    int vScrollMax = 0;
    int vScrollStep = 0; // SmallChange and LargeChange
    int hScrollWidth = 0;
    int hScrollTop = 0;
    int hScrollMax = 0;
    int hScrollStep = 0;

    int calendarWidth = 0;
    double calendarHeight = 0;
    int gridWidth = 0;
    double gridHeight = 0;
    int gridTop = 0;

    int buttonTop = 0;
    int labelTop = 0;
    std::array<int, ButtonCount> buttonLeft {};
    std::array<int, LabelCount> labelLeft {};
};

Result compute(const Input &in);

} // namespace MainLayout
