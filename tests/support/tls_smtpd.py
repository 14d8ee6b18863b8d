#!/usr/bin/python3
"""A real SMTP server for the tests: aiosmtpd without TLS, with STARTTLS or with TLS from the
first byte, and a login offered only over TLS. It logs every MAIL, RCPT, login attempt and
mail taken with whether the connection was encrypted, so that a test can show what was said in
clear text. Prints "ready" once it listens."""

import argparse
import logging
import signal
import ssl
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

# aiosmtpd's notices about its own deprecations and the SMTPS login rule below would only
# clutter the test output.
warnings.simplefilter("ignore")
logging.getLogger("mail.log").setLevel(logging.ERROR)
ap = argparse.ArgumentParser()
for option in ("--log", "--cert", "--key", "--login", "--password"):
    ap.add_argument(option, default="")
ap.add_argument("--port", type=int, required=True)
ap.add_argument("--tls", choices=["none", "starttls", "smtps"], default="none")
ap.add_argument("--exclude-method", action="append", default=[])
args = ap.parse_args()


def log(session, what):
    # aiosmtpd marks only a STARTTLS session as encrypted; with SMTPS every session is.
    tls = "tls" if session.ssl or args.tls == "smtps" else "clear"
    with open(args.log, "a") as f:
        f.write(what.replace("%", tls, 1) + "\n")


class Handler:
    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        log(session, f"MAIL % {address}")
        envelope.mail_from = address
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        log(session, f"RCPT % {address}")
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        log(session, f"DATA % {envelope.content!r}")
        return "250 OK"


def authenticate(server, session, envelope, mechanism, auth_data):
    ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == args.login
          and auth_data.password.decode() == args.password)
    log(session, f"AUTH % {mechanism} {'ok' if ok else 'refused'}")
    return AuthResult(success=ok, handled=False)


context = None
if args.tls != "none":
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
smtp = {}
if args.login:
    # For the same reason its own "login only over TLS" rule would hide AUTH on an SMTPS
    # connection; the log shows what each login attempt came over.
    smtp.update(authenticator=authenticate, auth_required=True,
                auth_require_tls=args.tls != "smtps", auth_exclude_mechanism=args.exclude_method)
if args.tls == "starttls":
    smtp.update(tls_context=context, require_starttls=True)
controller = Controller(Handler(), hostname="127.0.0.1", port=args.port,
                        ssl_context=context if args.tls == "smtps" else None,
                        server_hostname="localhost", **smtp)
controller.start()
print("ready", flush=True)
signal.pause()  # until the test ends it
