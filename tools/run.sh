#!/usr/bin/env bash
# Runs Dorrowin under Wine, building it first when needed.
#
#   bash tools/run.sh              opens the window on your display ($DISPLAY),
#                                  or on a virtual one when there is none
#   bash tools/run.sh PATH ...     lists the paths with the command-line job and
#                                  prints the text the program put on the clipboard
#
# Linux paths are handed to the program as Wine sees them (/home/a -> Z:\home\a);
# paths that already look like Windows paths (C:\..., \\server\...) pass as
# they are. The program runs in a Wine prefix of its own (build/windows/run-prefix,
# or $WINEPREFIX), so settings saved with SAV stay apart from the tests'. On a
# virtual display the prefix leaves Wine's windows unmanaged (see below).
# DORROWIN_BUILD_DIR chooses another build folder than build/windows.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${DORROWIN_BUILD_DIR:-$root/build/windows}
exe=$build/dorrowin.exe
clipboard=$build/tools/clipboard-text/clipboard_text.exe

say() { printf 'run: %s\n' "$*" >&2; }

# The build: the tools first when the machine lacks them, then an
# incremental build of the program and the clipboard helper.
for tool in cmake ninja wine x86_64-w64-mingw32-g++-posix Xvfb xdpyinfo; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    bash "$root/tools/install-deps.sh" || { say "installing the tools failed"; exit 1; }
    break
  fi
done
if [ ! -f "$build/CMakeCache.txt" ]; then
  (cd "$root" && cmake --preset windows -B "$build" >/dev/null) || { say "configuring failed"; exit 1; }
fi
cmake --build "$build" --target dorrowin clipboard_text >/dev/null 2>&1 ||
  { cmake --build "$build" --target dorrowin clipboard_text; say "building failed"; exit 1; }

# A display: the user's, or a virtual one of our own.
xvfb_pid=
cleanup() {
  [ -n "${keeper_pid:-}" ] && kill "$keeper_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  n=70
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  say "no display found: running on the virtual display $DISPLAY"
fi

export WINEPREFIX=${WINEPREFIX:-$build/run-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=ja_JP.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  say "creating the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Japanese text in a proportional face, as Windows shows it; and text
  # files opened by Notepad (a fresh prefix does not tie ".txt" to its type),
  # so that the Help button finds a program for readme.txt.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d 'IPAPGothic' /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f >/dev/null 2>&1
fi
# Without a window manager (our virtual display) Wine waits 2 s for one to
# withdraw every window the program hides or closes; there its windows are
# left unmanaged. On your display the window manager manages them as usual.
x11='HKCU\Software\Wine\X11 Driver'
if [ -n "$xvfb_pid" ]; then
  wine reg add "$x11" /v Managed /d N /f >/dev/null 2>&1
else
  wine reg delete "$x11" /v Managed /f >/dev/null 2>&1
fi
wine=("$root/tools/wine-run.sh")

if [ "$#" -eq 0 ]; then
  "${wine[@]}" "$exe" 2>/dev/null
  exit 0
fi

# A path as the program sees it under Wine.
wine_path() {
  case "$1" in
    [A-Za-z]:\\* | \\\\*) printf '%s' "$1" ;;
    *)
      local full
      full=$(realpath -m -- "$1")
      printf 'Z:%s' "${full//\//\\}"
      ;;
  esac
}
paths=()
for arg in "$@"; do paths+=("$(wine_path "$arg")"); done

# Wine empties the clipboard once the last program of the session ends: a
# helper stays alive until the text has been read. The clipboard is emptied
# first so that a job that places nothing there is told apart.
"${wine[@]}" "$clipboard" hold 3600 >/dev/null 2>&1 &
keeper_pid=$!
"${wine[@]}" "$clipboard" clear >/dev/null 2>&1
"${wine[@]}" "$exe" "${paths[@]}" 2>/dev/null
if ! "${wine[@]}" "$clipboard" print 2>/dev/null; then
  say "the program placed no text on the clipboard (the job failed)"
  exit 1
fi
echo
