"""A first run: the set-up pages, filled in as a user would, end in the main window."""

import unittest

from e2e import ProgramTest, type_into, visible_windows, wait_for


class FirstRun(ProgramTest):
    def test_wizard_to_main_window(self):
        program = self.account.start()
        type_into("Tolvane - User Name", "Ada")
        type_into("Tolvane - Email Settings", "ada@example.net", "mail.example.net")
        type_into("Tolvane - Cellular Phone Email", "5551234567@txt.example.net")

        wait_for(lambda: visible_windows("Tolvane - Ada"), "the main window")
        self.assertEqual(visible_windows("Tolvane - User Name"), [])
        settings = self.account.read_settings()
        for line in ["Current%20User=1", "Name=Ada", "Email=ada@example.net",
                     "SMTP=mail.example.net", "CellEmail=5551234567@txt.example.net"]:
            self.assertIn(line + "\n", settings)
        self.assertIsNone(program.poll())
        self.assertEqual(self.account.box_log(), "")


if __name__ == "__main__":
    unittest.main()
