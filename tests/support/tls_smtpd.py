#!/usr/bin/python3
"""aiosmtpd for the tests, without TLS, with STARTTLS or with TLS from the first byte, and a
login offered only over TLS. Arguments: port, log file, none|starttls|smtps, certificate, key,
login, password, login methods not offered (by commas; the last five may be empty). It logs
every login attempt and mail taken with whether the connection was encrypted, so that a test
can show what was said in clear text, and prints "ready" once it listens."""

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
port, log_file, tls, cert, key, login, password, excluded = sys.argv[1:]


def log(session, what):
    # aiosmtpd marks only a STARTTLS session as encrypted; with SMTPS every session is.
    with open(log_file, "a") as f:
        f.write(what.replace("%", "tls" if session.ssl or tls == "smtps" else "clear", 1) + "\n")


class Handler:
    async def handle_DATA(self, server, session, envelope):
        log(session, f"DATA % {envelope.mail_from} {envelope.rcpt_tos} {envelope.content!r}")
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
if tls == "starttls":
    smtp.update(tls_context=context, require_starttls=True)
Controller(Handler(), hostname="127.0.0.1", port=int(port), server_hostname="localhost",
           ssl_context=context if tls == "smtps" else None, **smtp).start()
print("ready", flush=True)
signal.pause()  # until the test ends it
