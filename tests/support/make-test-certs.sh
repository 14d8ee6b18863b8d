#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Makes the certificates the TLS tests use, in the folder given: ca.pem, the tests' own
# authority, which they trust; server.pem/.key signed by it for localhost and 127.0.0.1;
# wrongname signed by it for another host; rogue for localhost, signed by nobody trusted.
set -euo pipefail
cd "$1"
req() { openssl req -x509 -newkey rsa:2048 -nodes -days 2 "$@" 2>/dev/null; }
req -keyout ca.key -out ca.pem -subj "/CN=Tolvane Test CA"
sign() { # name subject-alt-names [the authority's options]
  req -keyout "$1.key" -out "$1.pem" -subj "/CN=$1" -addext "subjectAltName=$2" "${@:3}"
}
leaf=(-addext basicConstraints=CA:FALSE -addext extendedKeyUsage=serverAuth -CA ca.pem
  -CAkey ca.key)
sign server DNS:localhost,IP:127.0.0.1 "${leaf[@]}"
sign wrongname DNS:mail.example "${leaf[@]}"
sign rogue DNS:localhost,IP:127.0.0.1
