// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/common/HelpPageBox.h"

#include "app/AppTitle.h"
#include "platform/HelpPage.h"
#include "platform/MessageBoxes.h"

void openHelpPageOrSay(MessageBoxes &boxes, QWidget *parent)
{
    if (const QString problem = openHelpPage(); !problem.isEmpty())
        boxes.show(
            AppTitle, problem, MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, parent);
}
