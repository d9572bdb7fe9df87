#!/usr/bin/env bash
# Runs the reliability group of a build and prints its figures at the end.
#
#   tests/reliability/run-group.sh <build dir> [more ctest arguments]
#
# The build dir is the host build (which drives the Windows build in its
# windows/ folder) or a Windows build itself. Figures of an earlier run are
# cleared first, so the list shows this run's. Exit status: ctest's.
set -uo pipefail
build=$(cd "${1:?usage: run-group.sh <build dir> [ctest arguments]}" && pwd -P) || exit 2
shift
files=("$build/reliability.txt" "$build/windows/reliability.txt")
rm -f "${files[@]}"
ctest --test-dir "$build" -L reliability --output-on-failure "$@"
rc=$?
echo
echo "Reliability figures:"
found=""
for f in "${files[@]}"; do
  [[ -f "$f" ]] && { cat "$f"; found=1; }
done
[[ -n "$found" ]] || echo "(none were recorded)"
exit $rc
