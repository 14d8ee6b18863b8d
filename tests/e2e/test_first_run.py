"""A first run: the set-up pages, filled in as a user would, end in the main window."""

import unittest

from e2e import ProgramTest, type_into, visible_windows, wait_for, xdotool

ABORT = ("Abort Tolvane Setup?\tnone\tCanceling Tolvane Setup will end the program.  "
         "Are you sure you wish to cancel Tolvane Setup?\n")


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

    def test_given_up_ends_the_program(self):
        # The question is answered Yes by the box log; the program then ends by itself,
        # with nothing set up and no window left.
        program = self.account.start()
        type_into("Tolvane - User Name", "Ada")
        window = wait_for(lambda: visible_windows("Tolvane - Email Settings"), "page 2")[0]
        xdotool("windowfocus", "--sync", window)
        xdotool("key", "Escape")

        self.assertEqual(wait_for(lambda: program.poll() is not None and [program.poll()],
                                  "the end of the program"), [0])
        self.assertEqual(self.account.box_log(), ABORT)
        self.assertNotIn("Current%20User", self.account.read_settings())
        self.assertNotIn("[User1]", self.account.read_settings())


if __name__ == "__main__":
    unittest.main()
