# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""aiosmtpd's Maildir handler, refusing the content of every n-th message with 550.

Run as: python3 -m aiosmtpd -n -l HOST:PORT -c soak_server.RefusingMailbox MAILDIR N
with this folder on PYTHONPATH; N = 0 refuses nothing.
"""

from aiosmtpd.handlers import Mailbox


class RefusingMailbox(Mailbox):
    def __init__(self, mail_dir, every):
        super().__init__(mail_dir)
        self.every = every
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        if self.every and self.count % self.every == 0:
            return "550 refused by the soak server"
        return await super().handle_DATA(server, session, envelope)

    @classmethod
    def from_cli(cls, parser, *args):
        if len(args) != 2:
            parser.error("a Maildir folder and a number are required")
        return cls(args[0], int(args[1]))
