# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Starting small: no window, only the icon in the notification area; "Shutdown Tolvane"
from the icon's menu ends the program."""

import unittest

from e2e import ProgramTest

QUESTION = ("Shutting Down?\tnone\tShutting Down Tolvane will prevent scheduled Emails to be "
            "sent.  Exiting Tolvane would be a better choice if you have Email events "
            "scheduled.  Are you sure you wish to Shut Down Tolvane?\n")


class Tray(ProgramTest):
    def test_start_small_and_shut_down_from_menu(self):
        self.configure(["5551234567@txt.example.net"], StartSmall="1")
        program = self.start()
        icon = self.wait_for(self.tray_icons, "the icon in the notification area")[0]
        windows = [w for w in self.shown("--class", "tolvane") if "%#x" % int(w) != icon]
        self.assertEqual(windows, [], "a window is shown besides the icon")
        # The icon's menu: "Show Tolvane", "Shutdown Tolvane".
        self.xdotool("mousemove", "--window", icon, "5", "5", "click", "3")
        self.wait_for(lambda: len(self.shown("--class", "tolvane")) > 1, "the icon's menu")
        self.xdotool("key", "Down", "Down", "Return")
        self.assertEqual(program.wait(timeout=10), 0)
        self.assertEqual(self.box_log(), QUESTION)
        self.assertEqual(self.tray_icons(), [])


if __name__ == "__main__":
    unittest.main()
