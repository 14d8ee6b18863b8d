# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A first run: the set-up pages, filled in as a user would, end in the main window;
given up, they end the program."""

import unittest

from e2e import ProgramTest

ABORT = ("Abort Tolvane Setup?\tnone\tCanceling Tolvane Setup will end the program.  "
         "Are you sure you wish to cancel Tolvane Setup?\n")


class FirstRun(ProgramTest):
    def test_wizard_to_main_window(self):
        program = self.start()
        self.type_into("Tolvane - User Name", "Ada")
        self.type_into("Tolvane - Email Settings", "ada@example.net", "mail.example.net")
        self.type_into("Tolvane - Cellular Phone Email", "5551234567@txt.example.net")
        self.wait_for(lambda: self.shown("--name", "Tolvane - Ada"), "the main window")
        self.assertEqual(self.shown("--name", "Tolvane - User Name"), [])
        for line in ["Current%20User=1", "Name=Ada", "Email=ada@example.net",
                     "SMTP=mail.example.net", "CellEmail=5551234567@txt.example.net"]:
            self.assertIn(line + "\n", self.settings_file.read_text())
        self.assertIsNone(program.poll())
        self.assertEqual(self.box_log(), "")

    def test_given_up_ends_the_program(self):
        # The question is answered Yes by the box log; the program then ends by itself,
        # with nothing set up.
        program = self.start()
        self.type_into("Tolvane - User Name", "Ada")
        self.type_into("Tolvane - Email Settings", end="Escape")
        self.assertEqual(program.wait(timeout=20), 0)
        self.assertEqual(self.box_log(), ABORT)
        self.assertNotRegex(self.settings_file.read_text(), r"Current%20User|\[User1\]")


if __name__ == "__main__":
    unittest.main()
