#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Builds the Debian package from the checkout's files, as a distribution would
# (dpkg-buildpackage with debhelper), into build-deb/tolvane_VERSION_ARCH.deb, and checks
# it: lintian with no error and no warning, the metainfo through appstreamcli and the
# launcher through desktop-file-validate, both as the package installs them. The tests
# are not run again here (./test.sh runs them; tst_autostart also validates the autostart
# entry the program writes).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup-debian.sh"

out=$root/build-deb
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
source=$out/tolvane-$version
rm -rf "$source" "$out"/*.deb "$out"/*.buildinfo "$out"/*.changes "$out/unpacked"
mkdir -p "$source"
# The checkout's files as they are in the working tree, without what git ignores (the
# build folders among them), so that nothing stray slips into the package.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  git -C "$root" ls-files -z --cached --others --exclude-standard \
    | while IFS= read -r -d '' f; do
      if [[ -e "$root/$f" || -L "$root/$f" ]]; then printf '%s\0' "$f"; fi
    done \
    | (cd "$root" && tar --null -T - -cf -) | tar -xf - -C "$source"
else
  (cd "$root" && tar --exclude='./build*' -cf - .) | tar -xf - -C "$source"
fi

# A build folder's compiler cache serves the next package build too. debhelper gives the
# build a home folder of its own, so the cache and the settings it was made with are named.
if command -v ccache >/dev/null; then
  CCACHE_DIR=$(ccache -k cache_dir)
  config=${XDG_CONFIG_HOME:-$HOME/.config}/ccache/ccache.conf
  if [[ -z "${CCACHE_CONFIGPATH:-}" && -f "$config" ]]; then
    export CCACHE_CONFIGPATH=$config
  fi
  export CCACHE_DIR CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
export DEB_BUILD_OPTIONS="parallel=2 nocheck noddebs"
(cd "$source" && dpkg-buildpackage -us -uc -b --build-profiles=nocheck) >"$out/build.log" 2>&1 || {
  tail -n 40 "$out/build.log"
  echo "check-package: the package build failed; see $out/build.log" >&2
  exit 1
}
deb=$(ls "$out"/tolvane_"$version"_*.deb)
echo "check-package: built $deb"

status=0
if ! lintian --fail-on error,warning --display-info --pedantic "$deb"; then
  echo "check-package: lintian found errors or warnings" >&2
  status=1
fi

dpkg-deb -x "$deb" "$out/unpacked"
for metainfo in "$out"/unpacked/usr/share/metainfo/*.xml; do
  appstreamcli validate --no-net --pedantic "$metainfo" || status=1
done
for entry in "$out"/unpacked/usr/share/applications/*.desktop; do
  if desktop-file-validate "$entry"; then
    echo "desktop-file-validate: ${entry#"$out"/unpacked} is clean"
  else
    status=1
  fi
done
exit $status
