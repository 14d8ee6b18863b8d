#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs what is missing, builds Tolvane and runs the whole test suite.
#   ./test.sh              the normal build
#   ./test.sh --sanitize   the same tests built with AddressSanitizer and UBSan
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/setup-debian.sh"
if [[ "${1:-}" == "--sanitize" ]]; then
  dir=build-sanitize
  "$root/scripts/build.sh" "$dir" -DTOLVANE_SANITIZE=ON -DTOLVANE_BUILD_BENCH=OFF
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
else
  dir=build
  "$root/scripts/build.sh" "$dir"
fi
ctest --test-dir "$root/$dir" --output-on-failure -j2
