"""A start with a configured user: the message due this minute goes out and is marked
sent, an earlier one and a later one are left alone, and a second copy started meanwhile
is refused without disturbing the first."""

import datetime
import email
import os
import time
import unittest

from e2e import ProgramTest, early_in_minute, stamp, wait_for

ADA_CELL = "5551234567@txt.example.net"
BOB_CELL = "5559876543@txt.example.net"
REFUSAL = ("Tolvane\tcritical\tTolvane is already running!\\rDouble-Click on the Cellular "
           "Phone in your System Tray to display Tolvane.\n")


class Delivery(ProgramTest):
    def test_due_record_sent_once_second_copy_refused(self):
        self.configure([ADA_CELL, BOB_CELL])
        minute = early_in_minute()
        one = datetime.timedelta(minutes=1)
        recipients = "|%s,%s," % (ADA_CELL, BOB_CELL)
        earlier = stamp(minute - one) + "NToo late" + recipients
        due = stamp(minute) + "NLunch at one, caf\u00e9 on the corner" + recipients
        later = stamp(minute + 2 * one) + "NNot yet" + recipients
        self.account.write_messages(1, [earlier, due, later])

        first = self.account.start()
        wait_for(lambda: os.path.exists(self.account.lock_file), "the first copy's lock")
        second = self.account.start(box_log="second.log")
        self.assertEqual(second.wait(timeout=20), 0)
        self.assertEqual(self.account.box_log("second.log"), REFUSAL)

        # The first copy goes on and delivers.
        mails = wait_for(self.server.received, "the due mail")
        self.assertEqual(len(mails), 1)
        self.assertEqual(mails[0].mail_from, "ada@example.net")
        self.assertEqual(mails[0].rcpt_tos, [ADA_CELL, BOB_CELL])
        message = email.message_from_bytes(mails[0].original_content)
        self.assertEqual(message["Subject"], "Tolvane")
        self.assertEqual(message.get_payload(decode=True).decode("cp1252").rstrip("\r\n"),
                         "Lunch at one, caf\u00e9 on the corner")

        sent = due[:19] + "S" + due[20:]
        wait_for(lambda: self.account.read_messages(1) == [earlier, sent, later],
                 "the due record marked sent")
        # Nothing else goes out in the next few ticks: only time can show that.
        time.sleep(2.5)
        self.assertEqual(len(self.server.received()), 1)
        self.assertEqual(self.account.read_messages(1), [earlier, sent, later])
        self.assertIsNone(first.poll())
        self.assertEqual(self.account.box_log(), "")


if __name__ == "__main__":
    unittest.main()
