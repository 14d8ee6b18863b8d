#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs one test program on a virtual X display that has a notification area: Xvfb
# through xvfb-run, with trayer as the notification-area host. The test itself waits
# until the host has claimed the tray before it starts. Everything started here ends
# with the test.
set -euo pipefail
[[ -n "${TOLVANE_IN_XVFB:-}" ]] ||
  TOLVANE_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
# A desktop bus with a status-notifier host would take the icon instead of trayer.
unset DBUS_SESSION_BUS_ADDRESS
export QT_QPA_PLATFORM=xcb
trayer --edge top --widthtype request >/dev/null 2>&1 &
trap "kill $! 2>/dev/null || true; wait $! 2>/dev/null || true" EXIT
"$@"
