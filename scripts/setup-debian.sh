#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the Debian packages that building, running and testing Tolvane need, and
# nothing when they are all there already. Safe to run any number of times.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  qtkeychain-qt6-dev
  # build: the translations (lupdate, lrelease and their CMake functions)
  qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
  # run: the Qt platform plugins for X11 and Wayland desktops, SVG icons, the keyring
  # client library and the Secret Service library it loads at run time
  qt6-qpa-plugins qt6-wayland libqt6svg6 libqt6keychain1 libsecret-1-0
  # run: Apprise, which takes the text to phone addresses that are notification URLs
  apprise
  # run: Qt's own texts (the boxes' standard buttons) in the user's language
  qt6-translations-l10n
  # tests: a real SMTP server, a virtual display with a notification-area host, and
  # GLib's launcher (gio) that starts the autostart entry as a desktop session does
  python3 python3-aiosmtpd xvfb xauth trayer x11-utils xdotool libglib2.0-bin
  # tests: certificates of a test authority, a real secret store on a private bus
  openssl gnome-keyring dbus-daemon
  # tests: libfaketime, which moves the clock of the program under an end-to-end test, and
  # ImageMagick's import, which takes a picture of its window
  libfaketime imagemagick
  # the Debian package (scripts/check-package.sh): debhelper builds it, the icons are
  # drawn from the SVG, and lintian, appstreamcli and desktop-file-validate check it
  dpkg-dev debhelper file librsvg2-bin lintian appstream desktop-file-utils
  # sanitizer and fuzzing runs
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  [[ "$p" == \#* ]] && continue
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
