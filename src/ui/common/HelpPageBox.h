// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

class MessageBoxes;
class QWidget;

// Opens the help page in the desktop's browser, or, where that cannot be done, shows a box
// that says why and where the page is.
void openHelpPageOrSay(MessageBoxes &boxes, QWidget *parent);
