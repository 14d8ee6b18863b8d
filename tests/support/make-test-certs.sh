#!/usr/bin/env bash
# Makes the certificates the TLS tests use, in the folder given:
#   ca.pem            the tests' own certificate authority, which the tests trust
#   server.pem/.key   signed by it, for localhost and 127.0.0.1
#   wrongname.pem/.key  signed by it, but for another host name
#   rogue.pem/.key    for localhost and 127.0.0.1, signed by nobody the tests trust
set -euo pipefail
dir=$1
cd "$dir"
days=2
subj() { printf '/CN=%s' "$1"; }

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days $days \
  -subj "$(subj 'Tolvane Test CA')" -addext basicConstraints=critical,CA:TRUE \
  -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null

sign() { # name common-name subject-alt-names
  openssl req -new -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" \
    -subj "$(subj "$2")" 2>/dev/null
  printf 'subjectAltName=%s\nextendedKeyUsage=serverAuth\nbasicConstraints=CA:FALSE\n' "$3" \
    >"$1.ext"
  openssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -out "$1.pem" \
    -days $days -extfile "$1.ext" 2>/dev/null
  rm -f "$1.csr" "$1.ext"
}
sign server localhost 'DNS:localhost,IP:127.0.0.1'
sign wrongname mail.example 'DNS:mail.example'

openssl req -x509 -newkey rsa:2048 -nodes -keyout rogue.key -out rogue.pem -days $days \
  -subj "$(subj localhost)" -addext 'subjectAltName=DNS:localhost,IP:127.0.0.1' 2>/dev/null
