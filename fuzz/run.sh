#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UBSan), or brings them up to date,
# then runs each in turn for the given seconds on a scratch copy of its committed corpus.
#   fuzz/run.sh [seconds] [target...]      30 seconds and all three targets by default
# A crash, leak, undefined behaviour or broken property stops that run, keeps its scratch
# folder with the input (crash-*, leak-*, timeout-*) and fails the script.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TOLVANE_FUZZ_BUILD:-$root/build-fuzz}
seconds=${1:-30}
shift || true
(($#)) || set -- fuzz_record fuzz_reply fuzz_settings
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DTOLVANE_FUZZ=ON -DTOLVANE_BUILD_TESTS=OFF \
    -DTOLVANE_BUILD_BENCH=OFF >/dev/null
fi
# Always brought up to date: a stale target would fuzz yesterday's code and miss what
# clang alone refuses to compile.
cmake --build "$build" -j2 --target "$@"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp QT_QPA_PLATFORM=offscreen
failed=0
for t; do
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/$t.XXXXXX")
  cp -r "$root/fuzz/corpus/$t" "$scratch/corpus"
  echo "== $t: $seconds s"
  # One process on one core (the machine is shared); a run stuck for 10 s counts as a hang.
  if "$build/fuzz/$t" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$scratch/" "$scratch/corpus" >"$scratch/log" 2>&1; then
    grep -E '^(#[0-9]+[[:space:]]+DONE|Done |stat::)' "$scratch/log" || true
    rm -rf "$scratch"
  else
    tail -n 60 "$scratch/log"
    echo "$t FAILED: input and log kept in $scratch" >&2
    failed=1
  fi
done
exit $failed
