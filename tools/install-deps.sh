#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test Dorrowin:
# the native toolchain pieces, the MinGW-w64 cross compiler, Wine, a virtual
# X display with the helpers the window tests drive it with, the Japanese
# locale and font, NSIS (makensis) for the Windows installer, and what the
# Linux package's test uses (dpkg-shlibdeps, man, file). Idempotent and
# quiet: a second run does almost nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  nsis wine wine64 xvfb xdotool xclip x11-utils python3-xlib imagemagick
  fonts-ipafont-gothic fonts-wine locales
  tree git
  dpkg-dev man-db file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's ANSI code page follows the locale: ja_JP.UTF-8 gives code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "install-deps: generating the ja_JP.UTF-8 locale"
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
