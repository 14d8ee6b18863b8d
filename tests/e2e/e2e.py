"""What the end-to-end tests share: the built program started as a user would start it,
with settings and messages of its own, a real SMTP server (aiosmtpd), and the X tools
that find, type into and click its windows. They run under xvfb-run; the notification
area host (trayer) is started here."""

import datetime
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import unittest

from aiosmtpd.controller import Controller

BINARY = os.environ["TOLVANE_BINARY"]


def wait_for(condition, what, timeout=20.0):
    """Waits until condition() is true; fails with what after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def stamp(moment):
    """A message record's stamp: "YYYY/MM/DD HH:MM AMPM"."""
    return moment.strftime("%Y/%m/%d %I:%M ") + ("AM" if moment.hour < 12 else "PM")


def early_in_minute():
    """Waits for a minute with enough of it left for a start and a delivery, and gives
    that minute."""
    wait_for(lambda: datetime.datetime.now().second < 40, "an early second", 30)
    return datetime.datetime.now().replace(second=0, microsecond=0)


def xdotool(*args):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return result.stdout.split() if result.returncode == 0 else []


def visible_windows(name):
    """Ids of the shown windows whose title is name."""
    return xdotool("search", "--onlyvisible", "--name", "^" + name + "$")


def type_into(title, *fields):
    """Waits for the window, gives it the keyboard, and fills its boxes from the first one
    on (each replacing what the box held, Tab between them), then presses Enter."""
    window = wait_for(lambda: visible_windows(title), "the window " + title)[0]
    xdotool("windowfocus", "--sync", window)
    for i, text in enumerate(fields):
        if i:
            xdotool("key", "Tab")
        xdotool("key", "ctrl+a", "BackSpace")
        xdotool("type", "--delay", "5", text)
    xdotool("key", "Return")


class TrayHost:
    """trayer, the notification area of the virtual display."""

    def __init__(self):
        self.process = None
        self.panel = wait_for(self._panel, "the tray host")

    def _panel(self):
        # A trayer that came up before the display was ready has ended: start another.
        if self.process is None or self.process.poll() is not None:
            self.process = subprocess.Popen(
                ["trayer", "--edge", "top", "--widthtype", "request"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        panels = xdotool("search", "--name", "^panel$")
        return panels[0] if panels else None

    def icons(self, title="Tolvane"):
        """Ids of the windows of that title embedded in the tray."""
        tree = subprocess.run(["xwininfo", "-tree", "-id", self.panel],
                              capture_output=True, text=True).stdout
        return [line.split()[0] for line in tree.splitlines()
                if '"%s":' % title in line]

    def stop(self):
        self.process.kill()
        self.process.wait()


class MailServer:
    """aiosmtpd on a free loopback port, keeping every mail it accepts."""

    def __init__(self):
        self.mails = []
        self.lock = threading.Lock()
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            self.port = probe.getsockname()[1]
        self.controller = Controller(self, hostname="127.0.0.1", port=self.port)
        self.controller.start()

    async def handle_DATA(self, server, session, envelope):
        with self.lock:
            self.mails.append(envelope)
        return "250 OK"

    def received(self):
        with self.lock:
            return list(self.mails)

    def stop(self):
        self.controller.stop()


class Account:
    """One operating-system account's worth of Tolvane: its own home and XDG folders."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="tolvane-e2e-")
        self.config = os.path.join(self.root, "config")
        self.data = os.path.join(self.root, "data")
        self.settings_file = os.path.join(self.config, "Tolvane", "Tolvane.ini")
        self.lock_file = os.path.join(self.config, "Tolvane", "Tolvane.lock")
        self.processes = []

    def write_settings(self, sections):
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        with open(self.settings_file, "w", encoding="utf-8") as out:
            for section, keys in sections.items():
                out.write("[%s]\n" % section)
                for key, value in keys.items():
                    out.write("%s=%s\n" % (key.replace(" ", "%20"), value))

    def read_settings(self):
        with open(self.settings_file, encoding="utf-8") as settings:
            return settings.read()

    def message_file(self, user):
        return os.path.join(self.data, "Tolvane", "u%d.usr" % user)

    def write_messages(self, user, lines):
        os.makedirs(os.path.dirname(self.message_file(user)), exist_ok=True)
        with open(self.message_file(user), "wb") as out:
            out.write("".join(line + "\r\n" for line in lines).encode("cp1252"))

    def read_messages(self, user):
        with open(self.message_file(user), "rb") as messages:
            return messages.read().decode("cp1252").split("\r\n")[:-1]

    def box_log(self, name="boxes.log"):
        path = os.path.join(self.root, name)
        if not os.path.exists(path):
            return ""
        with open(path, encoding="utf-8") as log:
            return log.read()

    def start(self, box_log="boxes.log"):
        env = dict(os.environ)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.update({
            "HOME": self.root,
            "XDG_CONFIG_HOME": self.config,
            "XDG_DATA_HOME": self.data,
            "QT_QPA_PLATFORM": "xcb",
            "TOLVANE_BOX_LOG": os.path.join(self.root, box_log),
        })
        with open(os.path.join(self.root, box_log + ".err"), "w") as errors:
            process = subprocess.Popen([BINARY], env=env, stdout=subprocess.DEVNULL,
                                       stderr=errors)
        self.processes.append(process)
        return process

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait()
        shutil.rmtree(self.root, ignore_errors=True)


class ProgramTest(unittest.TestCase):
    """Each test: a tray host, a mail server and an account of its own."""

    def setUp(self):
        self.tray = TrayHost()
        self.addCleanup(self.tray.stop)
        self.server = MailServer()
        self.addCleanup(self.server.stop)
        self.account = Account()
        self.addCleanup(self.account.close)

    def configure(self, cells, **options):
        """Users Ada, Bob, ... with these phone addresses, sending through the test's
        server; Ada logged in."""
        sections = {"Options": {"Current User": "1", **options}}
        for n, (name, cell) in enumerate(zip(["Ada", "Bob"], cells), 1):
            sections["User%d" % n] = {"Name": name, "Email": name.lower() + "@example.net",
                                      "SMTP": "127.0.0.1:%d" % self.server.port,
                                      "CellEmail": cell}
        self.account.write_settings(sections)
