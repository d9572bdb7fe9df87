#!/usr/bin/env bash
# The bounded libFuzzer run over the request copy and split, as a figure:
# runs the fuzzer with the given arguments, reads the number of executions
# from its closing "Done N runs" line and counts the sanitizer reports in its
# output. Passes only when the fuzzer ended normally, said how much it ran,
# and reported nothing.
#
#   fuzz-figure.sh <figures file> <fuzzer> [libFuzzer arguments and corpus folders]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd -P)
# shellcheck source=figures.sh
source "$here/figures.sh"

figures=$1
fuzzer=$2
shift 2
[[ -x "$fuzzer" ]] || { echo "fuzz-figure: no fuzzer at $fuzzer" >&2; exit 1; }

log=$(mktemp)
trap 'rm -f "$log"' EXIT
started=${EPOCHREALTIME/[.,]/}
"$fuzzer" "$@" >"$log" 2>&1
rc=$?
elapsed_ms=$(( (${EPOCHREALTIME/[.,]/} - started) / 1000 ))

runs=$(grep -oE '^Done [0-9]+ runs' "$log" | tail -1 | grep -oE '[0-9]+')
# One finding ends in one sanitizer SUMMARY line, and libFuzzer adds its own
# for the crash that follows; a finding without a sanitizer (an abort, a
# time-out, out of memory) has only libFuzzer's.
sanitizer=$(grep -cE '^SUMMARY: [A-Za-z]+Sanitizer' "$log")
fuzzer_only=$(grep -cE '^SUMMARY: libFuzzer' "$log")
reports=$(( sanitizer > 0 ? sanitizer : fuzzer_only ))
corpus=$(grep -oE 'stat::new_units_added: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)

if [[ $rc -ne 0 || $reports -ne 0 || -z "$runs" ]]; then
  cat "$log"
else
  tail -n 12 "$log"
fi
record_figure "$figures" "fuzz" \
  "${runs:-no} executions, $reports sanitizer reports ($((elapsed_ms / 1000)) s, ${corpus:-0} new inputs)"
[[ $rc -eq 0 && $reports -eq 0 && -n "$runs" ]] || { echo "fuzz-figure: the fuzzer exited $rc" >&2; exit 1; }
exit 0
