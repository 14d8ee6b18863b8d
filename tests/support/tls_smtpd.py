#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""aiosmtpd for the tests, without TLS, with STARTTLS or with TLS from the first byte, and a
login offered only over TLS. Arguments: port, log file, none|starttls|smtps, certificate, key,
login, password, login methods not offered (by commas; the last five may be empty), and
"7bit" to leave 8BITMIME unannounced and refuse any content that is not ASCII. It logs
every login attempt and mail taken with whether the connection was encrypted, so that a test
can show what was said in clear text, and each mail as Python's strict e-mail parser reads
it to the log file's name with ".mime" added, one JSON object a line. It refuses recipients
at "nobody@" and prints "ready" once it listens."""

import email
import email.policy
import json
import logging
import signal
import ssl
import sys
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

# aiosmtpd's notices about its own deprecations and the SMTPS login rule below would only
# clutter the test output.
warnings.simplefilter("ignore")
logging.getLogger("mail.log").setLevel(logging.ERROR)
port, log_file, tls, cert, key, login, password, excluded, *flags = sys.argv[1:]


def log(session, what):
    # aiosmtpd marks only a STARTTLS session as encrypted; with SMTPS every session is.
    with open(log_file, "a") as f:
        f.write(what.replace("%", "tls" if session.ssl or tls == "smtps" else "clear", 1) + "\n")


def parsed(envelope):
    data = envelope.original_content
    message = email.message_from_bytes(data, policy=email.policy.SMTP)
    return {"defects": [repr(d) for part in message.walk() for d in part.defects],
            "headers": {name: str(value) for name, value in message.items()},
            "text": message.get_content(), "mail options": envelope.mail_options,
            "longest line": max(len(line) for line in data.split(b"\r\n"))}


class Handler:
    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("nobody@"):
            return "550 5.1.1 No such user"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        log(session, f"DATA % {envelope.mail_from} {envelope.rcpt_tos} {envelope.content!r}")
        with open(log_file + ".mime", "a") as f:
            f.write(json.dumps(parsed(envelope)) + "\n")
        return "250 OK"


def authenticate(server, session, envelope, mechanism, data):
    ok = isinstance(data, LoginPassword) and (data.login, data.password) == (
        login.encode(), password.encode())
    log(session, f"AUTH % {mechanism} {'ok' if ok else 'refused'}")
    return AuthResult(success=ok, handled=False)


context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
if tls != "none":
    context.load_cert_chain(cert, key)
# Its own "login only over TLS" rule would hide AUTH on an SMTPS connection; the log shows
# what each login attempt came over.
smtp = dict(authenticator=authenticate, auth_required=True, auth_require_tls=tls != "smtps",
            auth_exclude_mechanism=excluded.split(",")) if login else {}
if "7bit" in flags:
    smtp.update(decode_data=True)
if tls == "starttls":
    smtp.update(tls_context=context, require_starttls=True)
Controller(Handler(), hostname="127.0.0.1", port=int(port), server_hostname="localhost",
           ssl_context=context if tls == "smtps" else None, **smtp).start()
print("ready", flush=True)
signal.pause()  # until the test ends it
