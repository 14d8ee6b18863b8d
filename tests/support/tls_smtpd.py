#!/usr/bin/python3
"""A real SMTP server for the tests: aiosmtpd without TLS, with STARTTLS or with TLS from the
first byte, and a login offered only over TLS. It logs every login attempt and mail taken with
whether the connection was encrypted, so that a test can show what was said in clear text.
Arguments: port, log file, none|starttls|smtps, certificate, key, login, password, a login
method not offered (all but the first three may be empty). Prints "ready" once it listens."""

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


def authenticate(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == login
          and auth_data.password.decode() == password)
    log(session, f"AUTH % {mechanism} {'ok' if ok else 'refused'}")
    return AuthResult(success=ok, handled=False)


context = None
if tls != "none":
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
smtp = {}
if login:
    # For the same reason its own "login only over TLS" rule would hide AUTH on an SMTPS
    # connection; the log shows what each login attempt came over.
    smtp.update(authenticator=authenticate, auth_required=True, auth_require_tls=tls != "smtps",
                auth_exclude_mechanism=[excluded] if excluded else [])
if tls == "starttls":
    smtp.update(tls_context=context, require_starttls=True)
Controller(Handler(), hostname="127.0.0.1", port=int(port), server_hostname="localhost",
           ssl_context=context if tls == "smtps" else None, **smtp).start()
print("ready", flush=True)
signal.pause()  # until the test ends it
