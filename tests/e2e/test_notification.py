# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A user whose only phone address is an ntfy topic: the message due this minute reaches the
topic through apprise at its minute, titled "Tolvane", and is marked sent; no mail goes out
and nothing is said."""

import datetime
import pathlib
import sys
import threading
import time
import unittest

from e2e import ProgramTest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from notify_server import Server  # noqa: E402

TEXT = "Lunch at one, caf\u00e9 on the corner"


class Notification(ProgramTest):
    def test_ntfy_topic_gets_the_due_text(self):
        server = Server(0)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        url = "ntfy://127.0.0.1:%d/ada-phone" % server.server_address[1]
        self.configure([url], StartSmall="1")
        self.wait_for(lambda: datetime.datetime.now().second < 40, "an early second", 30)
        minute = datetime.datetime.now().replace(second=0, microsecond=0)
        record = (minute.strftime("%Y/%m/%d %I:%M ") + ("AM" if minute.hour < 12 else "PM")
                  + "N" + TEXT + "|" + url + ",")
        self.write(self.message_file, [record], "\r\n", "cp1252")

        program = self.start()
        posts = self.wait_for(lambda: server.received[:], "the text at the ntfy server", 30)
        self.assertEqual(posts, [{"topic": "ada-phone", "title": "Tolvane", "message": TEXT}])
        self.assertLess(server.arrivals[0], minute.timestamp() + 60)
        marked = (record[:19] + "S" + record[20:] + "\r\n").encode("cp1252")
        self.wait_for(lambda: self.message_file.read_bytes() == marked, "the record marked sent")
        # Nothing else goes out in the next few ticks: only time can show that.
        time.sleep(2.5)
        self.assertEqual(len(server.received), 1)
        self.assertEqual(self.mails, [])
        self.assertIsNone(program.poll())
        self.assertEqual(self.box_log(), "")


if __name__ == "__main__":
    unittest.main()
