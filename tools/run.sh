#!/usr/bin/env bash
# Builds Volmark for Windows and runs it under Wine: starts the program, waits
# for its "Kelvask" dialog, shows where the screenshots are, then closes it.
#
# Builds only what running needs (Volmark.exe, its skin, volmark-wintool.exe)
# with the mingw preset, in build/mingw. With a usable $DISPLAY the program
# appears there (in Wine's 1024x768 desktop window); without one it runs on
# its own Xvfb and a screenshot of that screen is saved.
#   VOLMARK_RUN_HEADLESS=1   use an own Xvfb even when $DISPLAY is usable
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$PWD

tools/deps.sh windows
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target Volmark skin volmark-wintool

build="$root/build/mingw"
bin="$build/bin"
export VOLMARK_BUILD_DIR=$build
wine_run="$root/tools/wine-run"
tool=("$wine_run" "$bin/volmark-wintool.exe")

headless=1
if [[ -z "${VOLMARK_RUN_HEADLESS:-}" && -n "${DISPLAY:-}" ]] && timeout 5 xdpyinfo >/dev/null 2>&1; then
  headless=0
  export VOLMARK_WINE_DISPLAY=host
fi

app_pid=""
finish() {
  local rc=$?
  if [[ -n "$app_pid" ]] && kill -0 "$app_pid" 2>/dev/null; then
    kill -TERM "$app_pid" 2>/dev/null   # wine-run ends the program it runs
    wait "$app_pid" 2>/dev/null || true
  fi
  "$wine_run" --stop || true
  exit "$rc"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$wine_run" --start
# shellcheck disable=SC1091
source "$build/wine-session.env"

echo "run.sh: starting Volmark.exe on display $S_DISPLAY"
"$wine_run" "$bin/Volmark.exe" &
app_pid=$!

if ! "${tool[@]}" wait-window Kelvask 30000; then
  echo "run.sh: the Kelvask window did not appear" >&2
  exit 1
fi
sleep 1   # let the dialog finish painting

shots="$build/screenshots"
mkdir -p "$shots"
"${tool[@]}" capture Kelvask "Z:${shots//\//\\}\\dialog-window.bmp" >/dev/null \
  && convert "$shots/dialog-window.bmp" "$shots/dialog-window.png" && rm -f "$shots/dialog-window.bmp" \
  && echo "run.sh: the dialog window alone: $shots/dialog-window.png"
if [[ $headless -eq 1 ]]; then
  # The Wine desktop (1024x768) in the top-left corner of the 1280x1024 screen.
  import -window root -display "$S_DISPLAY" -crop 1024x768+0+0 +repage "$shots/dialog.png"
  echo "run.sh: screenshot of the screen: $shots/dialog.png"
fi

"${tool[@]}" close-window Kelvask
if ! "${tool[@]}" wait-gone Kelvask 15000; then
  echo "run.sh: the dialog did not close" >&2
  exit 1
fi
wait "$app_pid" || true   # a plain close gives no meaningful exit code
app_pid=""
echo "run.sh: done"
