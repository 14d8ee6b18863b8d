# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""With messages allowed to go an hour late, a mail server that is down at the due minute
and up again a few seconds later gets the message at the next try, a minute after the
first, once; the record is marked sent, no box is shown, and the delivery history holds
the try that will be repeated and the one that sent it."""

import datetime
import json
import time
import unittest

from aiosmtpd.controller import Controller

from e2e import ProgramTest

CELL = "5551234567@txt.example.net"


class LateDelivery(ProgramTest):
    def test_server_back_after_the_due_minute(self):
        self.server.stop()
        self.configure([CELL], StartSmall="1", LateMinutes="60")
        self.wait_for(lambda: datetime.datetime.now().second < 45, "an early second", 30)
        due = datetime.datetime.now().replace(second=0, microsecond=0)
        record = (due.strftime("%Y/%m/%d %I:%M ") + ("AM" if due.hour < 12 else "PM") + "N"
                  + "Call the garage|" + CELL + ",")
        self.write(self.message_file, [record], "\r\n", "cp1252")

        started = time.time()
        program = self.start()
        self.wait_for(self.lock_file.exists, "the program's lock")
        time.sleep(5)  # the first try has found nobody listening
        self.server = Controller(self.mails, hostname="127.0.0.1", port=self.port)
        self.server.start()

        mails = self.wait_for(lambda: self.mails[:], "the mail at the next try", 90)
        arrived = time.time()
        self.assertEqual([(m.mail_from, m.rcpt_tos) for m in mails], [("ada@example.net", [CELL])])
        self.assertGreater(arrived - started, 55, "sent before the next try was due")
        marked = (record[:19] + "S" + record[20:] + "\r\n").encode("cp1252")
        self.wait_for(lambda: self.message_file.read_bytes() == marked, "the record marked sent")
        time.sleep(2.5)
        self.assertEqual(len(self.mails), 1)
        self.assertIsNone(program.poll())
        self.assertEqual(self.box_log(), "")

        # The history holds both tries with what the real delivery reports of each (the
        # lines' form and the pause between tries: tst_deliveryhistory, tst_scheduler).
        history = self.root / "state/Tolvane/deliveries.log"
        lines = [json.loads(line) for line in history.read_text(encoding="utf-8").splitlines()]
        self.assertEqual([(a["result"], a["stamp"], a["recipients"]) for a in lines],
                         [(result, record[:19], [{"address": CELL, "channel": "mail"}])
                          for result in ("will retry", "sent")])


if __name__ == "__main__":
    unittest.main()
