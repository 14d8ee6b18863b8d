# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""What the end-to-end tests share: the built program started as a user would start it,
with settings and messages of its own, a real SMTP server (aiosmtpd), a notification area
(trayer) and the X tools that find, type into and click its windows, under xvfb-run."""

import datetime
import os
import pathlib
import socket
import subprocess
import tempfile
import time
import unittest

from aiosmtpd.controller import Controller

# Debian's libfaketime: moves the clock of the program it is preloaded into.
FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"


class MailServer(list):
    """aiosmtpd's handler: keeps every mail it accepts."""

    async def handle_DATA(self, server, session, envelope):
        self.append(envelope)
        return "250 OK"


class ProgramTest(unittest.TestCase):
    """Each test: a tray host, a mail server, and a home and XDG folders of its own."""

    def setUp(self):
        self.tray = None
        self.panel = self.wait_for(self._tray_panel, "the tray host")
        self.addCleanup(lambda: (self.tray.kill(), self.tray.wait()))
        self.mails = MailServer()
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        self.server = Controller(self.mails, hostname="127.0.0.1", port=self.port)
        self.server.start()
        self.addCleanup(lambda: self.server.stop())
        self.root = pathlib.Path(self.enterContext(tempfile.TemporaryDirectory()))
        self.settings_file = self.root / "config/Tolvane/Tolvane.ini"
        self.lock_file = self.root / "config/Tolvane/Tolvane.lock"
        self.message_file = self.root / "data/Tolvane/u1.usr"

    def _tray_panel(self):
        # A trayer that came up before the display was ready has ended: start another.
        if self.tray is None or self.tray.poll() is not None:
            self.tray = subprocess.Popen(["trayer", "--edge", "top", "--widthtype", "request"],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return (self.xdotool("search", "--name", "^panel$") or [None])[0]

    def tray_icons(self):
        """Ids of the program's windows embedded in the tray."""
        tree = subprocess.run(["xwininfo", "-tree", "-id", self.panel],
                              capture_output=True, text=True).stdout
        return [line.split()[0] for line in tree.splitlines() if '"Tolvane":' in line]

    def wait_for(self, condition, what, timeout=20.0):
        """Waits until condition() is true and gives its value; fails after timeout seconds."""
        deadline = time.monotonic() + timeout
        while not (value := condition()):
            if time.monotonic() > deadline:
                self.fail("timed out waiting for " + what)
            time.sleep(0.05)
        return value

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], capture_output=True, text=True)
        return result.stdout.split() if result.returncode == 0 else []

    def shown(self, option, value):
        """Ids of the shown windows whose name (option "--name") or class is value."""
        return self.xdotool("search", "--onlyvisible", option, "^%s$" % value)

    def type_into(self, title, *fields, end="Return"):
        """Waits for the window, gives it the keyboard, and fills its boxes from the first
        one on (each replacing what the box held, Tab between them), then presses end."""
        window = self.wait_for(lambda: self.shown("--name", title), title)[0]
        self.xdotool("windowfocus", "--sync", window)
        for i, text in enumerate(fields):
            self.xdotool("key", *(["Tab"] if i else []), "ctrl+a", "BackSpace")
            self.xdotool("type", "--delay", "5", text)
        self.xdotool("key", end)

    def start(self, box_log="boxes.log", clock=None):
        """The test build: boxes answered and logged to box_log (shown when it is None); with
        clock, a file, its clock moved by libfaketime to what set_clock() writes."""
        env = dict(os.environ, HOME=str(self.root), XDG_CONFIG_HOME=str(self.root / "config"),
                   XDG_DATA_HOME=str(self.root / "data"), XDG_STATE_HOME=str(self.root / "state"),
                   QT_QPA_PLATFORM="xcb")
        if box_log:
            env["TOLVANE_BOX_LOG"] = str(self.root / box_log)
        if clock:
            # Read again at every look at the clock, so that a change takes at once.
            env.update(LD_PRELOAD=FAKETIME, FAKETIME_TIMESTAMP_FILE=str(clock),
                       FAKETIME_NO_CACHE="1")
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        process = subprocess.Popen([os.environ["TOLVANE_BINARY"]], env=env,
                                   stdout=subprocess.DEVNULL)
        self.addCleanup(process.wait)
        self.addCleanup(process.kill)
        return process

    @staticmethod
    def set_clock(clock, moment):
        """The program's clock reads moment (a datetime) from now on, and goes on from it."""
        clock.write_text("%+d\n" % round((moment - datetime.datetime.now()).total_seconds()))

    def box_log(self, name="boxes.log"):
        path = self.root / name
        return path.read_text(encoding="utf-8") if path.exists() else ""

    def write(self, path, lines, line_end="\n", encoding="utf-8"):
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes("".join(line + line_end for line in lines).encode(encoding))

    def configure(self, cells, **options):
        """Users Ada, Bob, ... with these phone addresses, sending through the test's
        server; Ada logged in."""
        lines = ["[Options]", "Current%20User=1"] + ["%s=%s" % kv for kv in options.items()]
        for n, (name, cell) in enumerate(zip(["Ada", "Bob"], cells), 1):
            lines += ["[User%d]" % n, "Name=" + name, "Email=%s@example.net" % name.lower(),
                      "SMTP=127.0.0.1:%d" % self.port, "CellEmail=" + cell]
        self.write(self.settings_file, lines)
