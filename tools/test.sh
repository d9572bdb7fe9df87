#!/usr/bin/env bash
# The test command: installs what is missing, builds the host side (plain
# logic under ASan+UBSan) and, through it, the Windows side (mingw-w64), then
# runs every test: host tests natively, Windows tests under Wine inside one
# Xvfb + wineserver session opened and closed by the wine.start / wine.stop
# fixtures. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

tools/deps.sh
cmake --preset host
cmake --build --preset host -j2

# The fixture closes the Wine session; this covers a ctest that was cut short.
win_build="$PWD/build/host/windows"
trap '[[ -d "$win_build" ]] && VOLMARK_BUILD_DIR="$win_build" tools/wine-run --stop || true' EXIT
# Serial: every Wine test shares one desktop and the one "Kelvask" title.
figures="$win_build/reliability.txt"
rm -f "$figures"
status=0
ctest --preset host || status=$?
echo
echo "Reliability figures:"
if [[ -f "$figures" ]]; then cat "$figures"; else echo "(none were recorded)"; fi
exit $status
