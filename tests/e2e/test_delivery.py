# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A small start (only the icon in the tray) with a configured user: the message due this
minute goes out at its minute, as a mail to Ada's phone and through apprise to Bob's ntfy
topic titled "Tolvane", is marked sent and written into the delivery history; an earlier one and a later one are left alone,
and a second copy started meanwhile is refused without disturbing the first. No window shows,
only the icon in the notification area, and "Shutdown Tolvane" from its menu ends the
program."""

import datetime
import email
import json
import pathlib
import sys
import threading
import time
import unittest

from e2e import ProgramTest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from notify_server import Server  # noqa: E402

CELL = "5551234567@txt.example.net"
TEXT = "Lunch at one, caf\u00e9 on the corner"
REFUSAL = ("Tolvane\tcritical\tTolvane is already running!\\rDouble-Click on the Cellular "
           "Phone in your System Tray to display Tolvane.\n")
QUESTION = ("Shutting Down?\tnone\tShutting Down Tolvane will prevent scheduled Emails to be "
            "sent.  Exiting Tolvane would be a better choice if you have Email events "
            "scheduled.  Are you sure you wish to Shut Down Tolvane?\n")


class Delivery(ProgramTest):
    def test_small_start_delivers_and_shuts_down_from_the_tray(self):
        ntfy = Server(0)
        threading.Thread(target=ntfy.serve_forever, daemon=True).start()
        self.addCleanup(ntfy.server_close)
        self.addCleanup(ntfy.shutdown)
        url = "ntfy://127.0.0.1:%d/bob-phone" % ntfy.server_address[1]
        self.configure([CELL, url], StartSmall="1")
        # A minute with enough of it left for a start and a delivery.
        self.wait_for(lambda: datetime.datetime.now().second < 40, "an early second", 30)
        minute = datetime.datetime.now().replace(second=0, microsecond=0)
        records = []
        for offset, text in [(-1, "Too late"), (0, TEXT), (2, "Not yet")]:
            due = minute + datetime.timedelta(minutes=offset)
            records.append(due.strftime("%Y/%m/%d %I:%M ") + ("AM" if due.hour < 12 else "PM")
                           + "N" + text + "|" + CELL + "," + url + ",")
        self.write(self.message_file, records, "\r\n", "cp1252")

        first = self.start()
        self.wait_for(self.lock_file.exists, "the first copy's lock")
        second = self.start(box_log="second.log")
        self.assertEqual(second.wait(timeout=20), 0)
        self.assertEqual(self.box_log("second.log"), REFUSAL)

        # The first copy goes on and delivers.
        mails = self.wait_for(lambda: self.mails[:], "the due mail")
        self.assertEqual([(m.mail_from, m.rcpt_tos) for m in mails], [("ada@example.net", [CELL])])
        message = email.message_from_bytes(mails[0].original_content)
        self.assertEqual(message["Subject"], "Tolvane")
        self.assertEqual(message.get_payload(decode=True).decode("utf-8").rstrip("\r\n"), TEXT)
        posts = self.wait_for(lambda: ntfy.received[:], "the text at the ntfy server", 30)
        self.assertEqual(posts, [{"topic": "bob-phone", "title": "Tolvane", "message": TEXT}])
        self.assertLess(ntfy.arrivals[0], minute.timestamp() + 60)
        records[1] = records[1][:19] + "S" + records[1][20:]
        marked = "".join(line + "\r\n" for line in records).encode("cp1252")
        self.wait_for(lambda: self.message_file.read_bytes() == marked, "the record marked sent")
        # Nothing else goes out in the next few ticks: only time can show that.
        time.sleep(2.5)
        self.assertEqual((len(self.mails), len(ntfy.received)), (1, 1))
        self.assertEqual(self.message_file.read_bytes(), marked)
        history = self.root / "state/Tolvane/deliveries.log"
        attempts = [json.loads(line) for line in history.read_text(encoding="utf-8").splitlines()]
        self.assertEqual([(a["user"], a["userName"], a["stamp"], a["instant"], a["result"])
                          for a in attempts], [(1, "Ada", records[1][:19], False, "sent")])
        self.assertIsNone(first.poll())
        self.assertEqual(self.box_log(), "")

        icon = self.wait_for(self.tray_icons, "the icon in the notification area")[0]
        windows = [w for w in self.shown("--class", "tolvane") if "%#x" % int(w) != icon]
        self.assertEqual(windows, [], "a window is shown besides the icon")
        # The icon's menu: "Show Tolvane", "Shutdown Tolvane".
        self.xdotool("mousemove", "--window", icon, "5", "5", "click", "3")
        self.wait_for(lambda: len(self.shown("--class", "tolvane")) > 1, "the icon's menu")
        self.xdotool("key", "Down", "Down", "Return")
        self.assertEqual(first.wait(timeout=10), 0)
        self.assertEqual(self.box_log(), QUESTION)
        self.assertEqual(self.tray_icons(), [])


if __name__ == "__main__":
    unittest.main()
