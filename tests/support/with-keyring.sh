#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs one test program on a private session bus with a real secret store: GNOME
# Keyring, unlocked with a login keyring of its own in a scratch home. Nothing of the
# machine's own keyring is touched, and the bus and the store end with the test.
#   with-keyring.sh program args...
#   with-keyring.sh --none program args...   no secret store at all: a bus that nobody
#                                             runs, as on a desktop without one
set -euo pipefail
if [[ "${1:-}" == "--none" ]]; then
  shift
  DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/tolvane-test-bus exec "$@"
fi
if [[ -z "${TOLVANE_IN_KEYRING:-}" ]]; then
  home=$(mktemp -d)
  trap 'rm -rf "$home"' EXIT
  mkdir -m 700 "$home/run"
  export TOLVANE_IN_KEYRING=1 HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
  # set -e ends here with the test's status when it fails; the trap still runs.
  dbus-run-session -- "$0" "$@"
  exit
fi
# --unlock makes the login keyring with this password when there is none yet.
printf '%s' tolvane-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
"$@"
