#!/usr/bin/env bash
# Builds Volmark for Windows and plays its whole story under Wine: a companion
# (volmark-send) starts the program and hands it the connection request for
# user "kim" on host "fileserver"; a drive letter is chosen, Connect maps
# \\fileserver\kim, the success box shows, the program exits with 18, and the
# new drive is listed.
#
# The Wine prefix (build/mingw/wine-prefix, made by tools/wine-run) has a demo
# network provider that maps \\fileserver\kim to the folder
# wine-prefix/dosdevices/unc/fileserver/kim, where this script puts a few
# demo files first.
#
# With a usable $DISPLAY the Wine desktop opens there and you choose the letter
# and press Connect yourself. Without one everything runs on an own Xvfb:
# volmark-demo.exe plays the user's part and four screenshots are saved in
# build/mingw/screenshots/ (idle, pointer over close, Connect pressed, success).
#
#   VOLMARK_RUN_HEADLESS=1     run headless even when $DISPLAY is usable
#   VOLMARK_DEMO_LETTER=K:     the letter the headless run picks (default K:,
#                              else the first free one)
#   VOLMARK_DEMO_PASSWORD=...  the password sent (never printed)
#
# Exit status: 0 when the drive was mapped (exit code 18) and listed, else 1.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD
t0=${EPOCHREALTIME/[.,]/}

# Seconds since start, with tenths.
elapsed() {
  local us=$(( ${EPOCHREALTIME/[.,]/} - t0 ))
  printf '%d.%d' $((us / 1000000)) $((us / 100000 % 10))
}
say() { echo "run.sh: $*"; }
# Prints the lines of log $1 not shown yet (complete lines only).
declare -A shown=()
show_new() {
  local file=$1 total
  [[ -f "$file" ]] || return 0
  total=$(grep -c '' "$file" || true)
  # A last line still being written has no line break yet.
  [[ -n "$(tail -c 1 "$file")" ]] && total=$((total - 1))
  if ((total > ${shown[$file]:-0})); then
    sed -n "$((${shown[$file]:-0} + 1)),${total}p" "$file" | sed 's/^/run.sh: /'
    shown[$file]=$total
  fi
}
die() { echo "run.sh: $*" >&2; exit 1; }

user=kim
host=fileserver
remote="\\\\$host\\$user"
letter=${VOLMARK_DEMO_LETTER:-K:}
password=${VOLMARK_DEMO_PASSWORD:-kelvask-demo-2024}

tools/deps.sh windows
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 \
  --target Volmark skin volmark-send volmark-wintool volmark_testnp volmark-demo
say "built in $(elapsed) s"

build="$root/build/mingw"
bin="$build/bin"
export VOLMARK_BUILD_DIR=$build
wine_run="$root/tools/wine-run"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

headless=1
if [[ -z "${VOLMARK_RUN_HEADLESS:-}" && -n "${DISPLAY:-}" ]] && timeout 5 xdpyinfo >/dev/null 2>&1; then
  headless=0
  export VOLMARK_WINE_DISPLAY=host
fi

work="$build/demo"
sync="$work/sync"
shots="$build/screenshots"
send_log="$work/send.log"
demo_log="$work/play.log"
np_log="$work/provider.log"
rm -rf "$work"
mkdir -p "$sync" "$shots"

send_pid="" demo_pid="" session=0
# Ends what is still running (wine-run ends the program it runs on TERM),
# drops the demo mapping so the prefix is as before, closes the session.
finish() {
  local rc=$?
  local pid
  for pid in $demo_pid $send_pid; do
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null || true
    fi
  done
  if [[ $session -eq 1 ]]; then
    VOLMARK_WINE_TIMEOUT=30 "$wine_run" "$bin/volmark-demo.exe" forget "$remote" >/dev/null 2>&1 || true
    "$wine_run" --stop || true
  fi
  exit "$rc"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

session=1
"$wine_run" --start
# shellcheck disable=SC1091
source "$build/wine-session.env"
say "Wine session ready at $(elapsed) s (display $S_DISPLAY)"

# A mapping left by an interrupted run would keep its letter out of the list.
VOLMARK_WINE_TIMEOUT=30 "$wine_run" "$bin/volmark-demo.exe" forget "$remote" | sed 's/^/run.sh: /'

# What the share holds: the provider maps \\fileserver\kim to this folder.
share="$S_PREFIX/dosdevices/unc/$host/$user"
mkdir -p "$share/reports" "$share/보고서"
printf 'Welcome to \\\\%s\\%s.\r\nThis folder is the demo share that tools/run.sh maps.\r\n' "$host" "$user" \
  > "$share/readme.txt"
printf 'month,files\r\njanuary,12\r\nfebruary,17\r\n' > "$share/reports/2024-q1.csv"
printf '드라이브 연결 데모\r\n' > "$share/보고서/메모.txt"
say "demo share: $share"

# The provider accepts only this password: a mapping proves it arrived intact.
export VOLMARK_NP_PASSWORD=$password
export VOLMARK_NP_LOG
VOLMARK_NP_LOG=$(winpath "$np_log")
if [[ $headless -eq 1 ]]; then
  send_limit=120
else
  send_limit=900
  say "in the Kelvask window: choose a drive letter, press 연결 (Connect), then OK;"
  say "waiting up to $((send_limit / 60)) minutes"
fi

say "volmark-send --launch Volmark.exe --user $user --host $host --password-stdin"
printf '%s\n' "$password" |
  VOLMARK_WINE_TIMEOUT=$((send_limit + 30)) "$wine_run" "$bin/volmark-send.exe" \
    --launch "$(winpath "$bin/Volmark.exe")" --user "$user" --host "$host" --password-stdin \
    --window-timeout 60000 --exit-timeout $((send_limit * 1000)) >"$send_log" 2>&1 &
send_pid=$!

# The request first, then the user's part.
deadline=$((SECONDS + 90))
until grep -q "request delivered" "$send_log" 2>/dev/null; do
  show_new "$send_log"
  if ! kill -0 "$send_pid" 2>/dev/null || ((SECONDS >= deadline)); then
    show_new "$send_log" >&2
    die "the request was not delivered"
  fi
  sleep 0.1
done
show_new "$send_log"
say "the dialog is open and has the request ($(elapsed) s)"

if [[ $headless -eq 1 ]]; then
  VOLMARK_WINE_TIMEOUT=120 "$wine_run" "$bin/volmark-demo.exe" play "$(winpath "$sync")" "$letter" \
    >"$demo_log" 2>&1 &
  demo_pid=$!
  # Takes each picture the driver asks for: "x y w h" of the Wine desktop,
  # which sits in the top-left corner of the X screen.
  deadline=$((SECONDS + 150))
  while kill -0 "$demo_pid" 2>/dev/null && ((SECONDS < deadline)); do
    for want in "$sync"/*.want; do
      [[ -e "$want" ]] || continue
      name=$(basename "$want" .want)
      read -r x y w h < "$want" || true
      rm -f "$want"
      if import -window root -display "$S_DISPLAY" -crop "${w}x${h}+${x}+${y}" +repage -strip \
           "$shots/$name.png" 2>>"$work/import.log"; then
        say "screenshot: $shots/$name.png"
      else
        say "screenshot $name failed (see $work/import.log)" >&2
      fi
      : > "$sync/$name.done"
    done
    show_new "$demo_log"
    sleep 0.05
  done
  play_rc=0
  wait "$demo_pid" || play_rc=$?
  demo_pid=""
  show_new "$demo_log"
  [[ $play_rc -eq 0 ]] || die "the demo driver failed (exit code $play_rc)"
fi

send_rc=0
wait "$send_pid" || send_rc=$?
send_pid=""
show_new "$send_log"
if [[ -s "$np_log" ]]; then
  say "the network provider was asked:"
  sed 's/^/run.sh:   /' "$np_log"
fi
say "Volmark exit code: $send_rc"
[[ $send_rc -eq 18 ]] || die "no drive was mapped (expected exit code 18)"

say "the mapped drive:"
if ! VOLMARK_WINE_TIMEOUT=30 "$wine_run" "$bin/volmark-demo.exe" list "$remote" | sed 's/^/run.sh:   /'; then
  die "the mapped drive could not be listed"
fi
if [[ $headless -eq 1 ]]; then
  say "screenshots are in $shots/"
fi
say "done in $(elapsed) s"
