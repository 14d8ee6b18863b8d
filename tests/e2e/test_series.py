# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Repeating messages through the form, with the program's clock moved by libfaketime: a
daily message saved once goes out on two days in a row, is carried on at each roll-over,
and "This and All Later Ones" deletes the rest of it; a weekly one marks its weekday on the
calendar. A series file that cannot be read is set aside with a warning at the start."""

import datetime
import email
import subprocess
import time
import unittest

from e2e import ProgramTest

CELL = "5551234567@txt.example.net"


def stamp(moment):
    return moment.strftime("%Y/%m/%d %I:%M ") + ("AM" if moment.hour < 12 else "PM")


class Series(ProgramTest):
    def setUp(self):
        super().setUp()
        self.configure([CELL])
        self.clock = self.root / "clock"
        self.first = datetime.datetime.combine(datetime.date.today(), datetime.time(9))
        self.first += datetime.timedelta(days=1)

    def save_at_nine(self, rule_downs):
        """The main window on the first day; the form for 9:00 opened from the keyboard
        (from the calendar, where the focus starts, back to the grid's first row in view,
        8:00, and four rows down), its text "Pill", the rule chosen that many places below
        Never, saved."""
        self.set_clock(self.clock, self.first - datetime.timedelta(minutes=10))
        self.start(box_log=None, clock=self.clock)
        window = self.wait_for(lambda: self.shown("--name", "Tolvane - Ada"), "the main window")[0]
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "shift+Tab", *["Down"] * 4, "Return")
        self.type_into("Tolvane - Message for " + stamp(self.first), "Pill", end="alt+p")
        self.xdotool("key", *["Down"] * rule_downs, "alt+s")
        self.wait_for(lambda: self.message_file.exists() and len(self.records()) > 50,
                      "the series' records")
        return window

    def records(self):
        return self.message_file.read_bytes().decode("cp1252").splitlines()

    def test_daily_delivered_twice_then_the_rest_deleted(self):
        window = self.save_at_nine(1)
        line = "Pill|" + CELL + ","
        days = [self.first + datetime.timedelta(days=n) for n in range(3)]
        self.assertEqual(self.records()[:3], [stamp(d) + "N" + line for d in days])
        self.assertEqual(len(self.records()), 366)
        # Shortly before each of two days' nine o'clock: each sends its own. Then the clock
        # runs through the day's end: at the roll-over the series reaches a day further.
        for n, day in enumerate(days[:2], 1):
            self.set_clock(self.clock, day - datetime.timedelta(seconds=3))
            self.wait_for(lambda: len(self.mails) == n, "the mail of day %d" % n, 15)
            self.set_clock(self.clock, day.replace(hour=23, minute=59, second=58))
            time.sleep(3)
            self.wait_for(lambda: len(self.records()) == 366 + n, "the series extended")
        self.assertEqual([(m.rcpt_tos, email.message_from_bytes(m.original_content)
                           .get_payload(decode=True).decode().strip()) for m in self.mails],
                         [([CELL], "Pill")] * 2)
        # The third day is on show, the grid's row still at 9:00: Delete, "This and All
        # Later Ones" (its access key).
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("key", "Return")
        self.type_into("Tolvane - Message for " + stamp(days[2]), end="alt+d")
        box = self.wait_for(lambda: self.shown("--name", "Tolvane"), "the question")[0]
        self.xdotool("windowfocus", "--sync", box)
        self.xdotool("key", "a")
        self.wait_for(lambda: len(self.records()) == 2, "the later ones deleted")
        self.assertEqual(self.records(), [stamp(d) + "S" + line for d in days[:2]])

    def test_weekly_marks_its_weekday(self):
        window = self.save_at_nine(3)
        # The calendar's page: six weeks from the Sunday before the 1st (a whole week
        # earlier when the 1st is a Sunday).
        first_of_month = self.first.date().replace(day=1)
        page = first_of_month - datetime.timedelta(days=(first_of_month.isoweekday() % 7) or 7)
        weeks = [d for d in (self.first.date() + datetime.timedelta(weeks=n) for n in range(7))
                 if d < page + datetime.timedelta(days=42)]
        marks = self.wait_for(lambda: len(m := self.check_marks(window)) == len(weeks) and m,
                              "%d marks" % len(weeks), 10)
        # One column, the first day's weekday: a row apart each.
        self.assertEqual(len({x for x, _ in marks}), 1, marks)

    def test_damaged_series_file_set_aside_with_a_warning(self):
        series_file = self.message_file.with_name("series.ini")
        self.write(series_file, ["not a file of series"])
        record = stamp(self.first) + "NPill|" + CELL + ","
        self.write(self.message_file, [record], "\r\n", "cp1252")
        self.start()
        self.wait_for(lambda: self.shown("--name", "Tolvane Warning"), "the warning")
        self.assertEqual([p.name.startswith("series.ini.damaged-")
                          for p in series_file.parent.glob("series.ini*")], [True])
        self.assertEqual(self.records(), [record])

    def check_marks(self, window):
        """Where the green checks of the calendar's marks are in the window: (x, y) of each
        one's top left pixel, x to the nearest 4 pixels."""
        shot = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"],
                              capture_output=True).stdout
        _, size, _, pixels = shot.split(b"\n", 3)
        width = int(size.split()[0])
        checks = []
        for i in range(0, len(pixels) - 2, 3):
            (r, g, b), x, y = pixels[i:i + 3], i // 3 % width, i // 3 // width
            if r < 40 and 100 < g < 150 and b < 40 and not any(
                    abs(x - cx) < 20 and abs(y - cy) < 24 for cx, cy in checks):
                checks.append((x // 4 * 4, y))
        return checks


if __name__ == "__main__":
    unittest.main()
