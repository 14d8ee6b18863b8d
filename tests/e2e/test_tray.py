"""Starting small: no window, only the icon in the notification area; "Shutdown Tolvane"
from the icon's menu ends the program."""

import unittest

from e2e import ProgramTest, wait_for, xdotool

CELL = "5551234567@txt.example.net"
QUESTION = ("Shutting Down?\tnone\tShutting Down Tolvane will prevent scheduled Emails to be "
            "sent.  Exiting Tolvane would be a better choice if you have Email events "
            "scheduled.  Are you sure you wish to Shut Down Tolvane?\n")


class Tray(ProgramTest):
    def test_start_small_and_shut_down_from_menu(self):
        self.configure([CELL], StartSmall="1")
        program = self.account.start()

        icon = wait_for(self.tray.icons, "the icon in the notification area")[0]
        shown = [w for w in xdotool("search", "--onlyvisible", "--class", "^tolvane$")
                 if "%#x" % int(w) != icon]
        self.assertEqual(shown, [], "a window is shown besides the icon")

        # The icon's menu: "Show Tolvane", "Shutdown Tolvane".
        xdotool("mousemove", "--window", icon, "5", "5", "click", "3")
        wait_for(lambda: len(xdotool("search", "--onlyvisible", "--class", "^tolvane$")) > 1,
                 "the icon's menu")
        xdotool("key", "Down", "Down", "Return")
        self.assertEqual(wait_for(lambda: program.poll() is not None, "the end", 10), True)
        self.assertEqual(program.returncode, 0)
        self.assertEqual(self.account.box_log(), QUESTION)
        self.assertEqual(self.tray.icons(), [])


if __name__ == "__main__":
    unittest.main()
