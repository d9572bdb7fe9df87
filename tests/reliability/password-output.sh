#!/usr/bin/env bash
# No password in any output: one whole run with a sentinel password and Wine's
# tracing of MPR and of debugger output turned on. volmark-send starts
# Volmark and hands it the request (the password on its standard input),
# volmark-drive picks the letter, presses Connect and closes the success box,
# and the program exits 18 after mapping through the test provider. The
# driver attaches to the program as a debugger and collects its debugger
# output (Wine's trace shows OutputDebugStringW text in no channel). Then
# every output (standard output and error of volmark-send and of the program
# it started, with all of Wine's trace lines; the debugger output; the
# driver's output) and the provider's log are searched for the sentinel as
# UTF-8, UTF-16LE and UTF-16BE.
#
#   password-output.sh <windows build dir> <tools/wine-run>
#
# Uses the build's Wine session when one is open, else opens its own. With
# VOLMARK_RELIABILITY_KEEP=1 the captured outputs are kept (their folder is
# named at the end); they hold no password when the run passed.
# Exit status: 0 when the run mapped and the sentinel was found nowhere.
set -uo pipefail

build=$(cd "$1" && pwd -P) || exit 2
wine_run=$2
here=$(cd "$(dirname "$0")" && pwd -P)
# shellcheck source=figures.sh
source "$here/figures.sh"

bin=$build/bin
letter=V
# Never printed: only its length and where it was found are.
sentinel='S3ntinel-Pw-7731'
export VOLMARK_BUILD_DIR=$build

fail() { echo "password-output: $*" >&2; exit 1; }
# The last lines of files for a failure message, the sentinel masked.
show() { cat "$@" 2>/dev/null | sed "s/$sentinel/<password>/g" | tail -5; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

work=$(mktemp -d "$build/reliability-password.XXXXXX") || exit 2
own_session=""
send_pid=""
cleanup() {
  if [[ -n "$send_pid" ]] && kill -0 "$send_pid" 2>/dev/null; then
    kill -TERM "$send_pid" 2>/dev/null
    wait "$send_pid" 2>/dev/null
  fi
  "$wine_run" "$bin/volmark-drive.exe" forget "$letter" >/dev/null 2>&1
  [[ -n "$own_session" ]] && "$wine_run" --stop >/dev/null 2>&1
  if [[ "${VOLMARK_RELIABILITY_KEEP:-}" == 1 ]]; then
    echo "password-output: outputs kept in $work" >&2
  else
    rm -rf "$work"
  fi
}
trap cleanup EXIT

for f in volmark-send.exe volmark-drive.exe Volmark.exe volmark_testnp.dll; do
  [[ -f "$bin/$f" ]] || fail "missing $bin/$f"
done

if ! "$wine_run" --status >/dev/null 2>&1; then
  "$wine_run" --start >/dev/null 2>&1 || fail "no Wine session could be opened"
  own_session=1
fi
S_DISPLAY="" S_PREFIX=""
eval "$("$wine_run" --status | grep -E '^S_(DISPLAY|PREFIX)=')"
[[ -n "$S_PREFIX" ]] || fail "the session reports no prefix"

# Untraced, first: the session's own helper processes (started on first use)
# must not inherit the traced run's output files, and the letter starts free.
"$wine_run" "$bin/volmark-drive.exe" forget "$letter" >/dev/null 2>&1

started=${EPOCHREALTIME/[.,]/}
(
  export DISPLAY=$S_DISPLAY WINEPREFIX=$S_PREFIX WINEARCH=win64
  export WINEDEBUG=+mpr,+debugstr
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
  export VOLMARK_NP_LOG; VOLMARK_NP_LOG=$(winpath "$work/np.log")
  export VOLMARK_NP_PASSWORD=$sentinel
  unset VOLMARK_NP_FAIL
  printf '%s\n' "$sentinel" |
    exec timeout -k 5 120 "${WINE:-wine}" "$bin/volmark-send.exe" --launch "$(winpath "$bin/Volmark.exe")" \
      --user kim --host fileserver --password-stdin --window-timeout 30000 --exit-timeout 60000 \
      >"$work/send.out" 2>"$work/send.err"
) &
send_pid=$!

for ((i = 0; i < 600; i++)); do
  grep -q "request delivered" "$work/send.out" 2>/dev/null && break
  kill -0 "$send_pid" 2>/dev/null || break
  sleep 0.05
done
grep -q "request delivered" "$work/send.out" 2>/dev/null || fail "the request was not delivered: $(show "$work/send.out" "$work/send.err")"

"$wine_run" "$bin/volmark-drive.exe" connect "$letter" 30000 "$(winpath "$work/debug.out")" >"$work/drive.out" 2>&1
drive_rc=$?
wait "$send_pid"
send_rc=$?
send_pid=""
elapsed_ms=$(( (${EPOCHREALTIME/[.,]/} - started) / 1000 ))

[[ $drive_rc -eq 0 ]] || fail "the driver failed ($drive_rc): $(show "$work/drive.out")"
grep -q "box: 드라이브 연결에 성공하였습니다" "$work/drive.out" || fail "no success box: $(show "$work/drive.out")"
[[ $send_rc -eq 18 ]] || fail "volmark-send returned $send_rc, not 18"
grep -qF "NPAddConnection3 type=1 local=$letter: remote=\\\\fileserver\\kim provider=null user=kim password=len:${#sentinel},match flags=0x1 result=0" \
  "$work/np.log" || fail "the provider saw no mapping with the password: $(show "$work/np.log")"
# The capture holds what it should: Wine's MPR trace and the program's own
# debugger output, or the search below proves nothing.
grep -q "trace:mpr:WNetUseConnectionW" "$work/send.err" || fail "no MPR trace of the mapping was captured"
grep -q "Volmark: connect mapped: local=$letter:" "$work/debug.out" || fail "the program's debugger output was not captured"

# Counts the sentinel's UTF-8, UTF-16LE and UTF-16BE forms in the files:
# prints "<occurrences> <bytes searched> <where>".
count_sentinel() {
  SENTINEL=$sentinel perl -e '
    use strict;
    my $s = $ENV{SENTINEL};
    my @forms = ($s, join("", map { $_ . "\0" } split //, $s), join("", map { "\0" . $_ } split //, $s));
    my ($bytes, $hits, @where) = (0, 0);
    for my $f (@ARGV) {
      open(my $h, "<:raw", $f) or die "cannot read $f\n";
      local $/; my $data = <$h> // ""; close $h;
      $bytes += length $data;
      for my $form (@forms) {
        my $n = () = $data =~ /\Q$form\E/g;
        if ($n) { $hits += $n; push @where, "$f ($n)"; }
      }
    }
    print "$hits $bytes ", join(", ", @where), "\n";
  ' "$@"
}

# The search finds each form: a file that holds all three once.
SENTINEL=$sentinel perl -e 'my $s = $ENV{SENTINEL}; print $s, "\n", join("", map { $_ . "\0" } split //, $s),
  "\n", join("", map { "\0" . $_ } split //, $s);' > "$work/control.bin"
read -r control _ <<<"$(count_sentinel "$work/control.bin")"
rm -f "$work/control.bin"
[[ "$control" == 3 ]] || fail "the search does not find the sentinel's forms ($control of 3)"

files=("$work/send.out" "$work/send.err" "$work/debug.out" "$work/drive.out" "$work/np.log")
result=$(count_sentinel "${files[@]}") || fail "the search failed"
read -r hits bytes where <<<"$result"

record_figure "$build/reliability.txt" "password in output" \
  "$hits occurrences in $bytes bytes (${#files[@]} outputs of a traced run, WINEDEBUG=+mpr,+debugstr; $((elapsed_ms / 1000)).$(printf '%03d' $((elapsed_ms % 1000))) s)"
[[ "$hits" -eq 0 ]] || fail "the password was found in: $where"
exit 0
