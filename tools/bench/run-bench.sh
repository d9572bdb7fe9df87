#!/usr/bin/env bash
# Prints every figure of BENCHMARKS.md: host logic, executable sizes, and the
# Wine figures (start-up, working set, frame and button paint), each beside
# its floor. Usage: tools/bench/run-bench.sh [host-build-dir]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
host=${1:-$root/build/host}
win=$host/windows
echo "== host logic (Google Benchmark, optimised build without sanitizers)"
rel=$root/build/bench-host
cmake -S "$root" -B "$rel" -DCMAKE_BUILD_TYPE=Release -DVOLMARK_SANITIZE=OFF -DVOLMARK_WITH_WINDOWS=OFF >/dev/null
cmake --build "$rel" --target host_bench -j2 >/dev/null
"$rel/bin/host_bench" --benchmark_min_time=0.2 2>&1 | grep -E '^(BM_|Benchmark|-)' || true
echo "== executable size (stripped)"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for exe in Volmark mindlg; do
  x86_64-w64-mingw32-strip -o "$tmp/$exe.exe" "$win/bin/$exe.exe"
  printf '%-8s %8d bytes stripped (%d as built)\n' "$exe" "$(stat -c %s "$tmp/$exe.exe")" "$(stat -c %s "$win/bin/$exe.exe")"
done
echo "== under Wine"
VOLMARK_BUILD_DIR=$win "$root/tools/wine-run" "$win/bin/volmark-bench.exe"
