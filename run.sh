#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds Tolvane and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh" build
exec "$root/build/src/tolvane" "$@"
