#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when missing.
#   tools/deps.sh [all|host|windows]...   (default: all)
# host:    native build and host tests (compiler, GoogleTest, benchmark, libFuzzer)
# windows: mingw-w64 cross build and the Wine test session (Wine, Xvfb, X tools, fonts)
# Fast when everything is present: one dpkg-query, no network.
set -euo pipefail

host_pkgs=(cmake g++ libgtest-dev libgmock-dev googletest libbenchmark-dev clang libclang-rt-14-dev)
windows_pkgs=(cmake googletest g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
              wine wine64 xvfb x11-utils xdotool imagemagick fonts-nanum
              # Installed without recommends, Wine still loads these X and font
              # libraries at run time; without them drawing differs (no XRender).
              libxrender1 libxcursor1 libxi6 libxrandr2 libxinerama1 libxcomposite1
              libxfixes3 libxxf86vm1 libfreetype6 libfontconfig1)

[[ $# -eq 0 ]] && set -- all
wanted=()
for group in "$@"; do
  case "$group" in
    all)     wanted+=("${host_pkgs[@]}" "${windows_pkgs[@]}") ;;
    host)    wanted+=("${host_pkgs[@]}") ;;
    windows) wanted+=("${windows_pkgs[@]}") ;;
    *) echo "deps.sh: unknown group '$group' (all, host, windows)" >&2; exit 2 ;;
  esac
done
mapfile -t wanted < <(printf '%s\n' "${wanted[@]}" | sort -u)

# dpkg-query prints one line per known package; unknown ones only go to stderr.
declare -A installed=()
while read -r name status; do
  [[ "$status" == installed ]] && installed["$name"]=1
done < <(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${wanted[@]}" 2>/dev/null || true)

missing=()
for p in "${wanted[@]}"; do
  [[ -n "${installed[$p]:-}" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "deps.sh: installing ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}"
