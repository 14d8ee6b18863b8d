#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Configures and builds Tolvane into a build directory (default: build).
#   scripts/build.sh [build-dir] [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}
shift || true
cmake -S "$root" -B "$root/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$root/$dir" -j2
