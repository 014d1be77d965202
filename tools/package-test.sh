#!/usr/bin/env bash
# The Linux package from end to end: builds dorrowin-list with the release
# preset, makes the Debian package and the archive with cpack, installs the
# package with dpkg, runs the installed program and finds its manual page,
# removes the package and checks that nothing of it is left. Needs root (for
# dpkg) and a machine where dorrowin-list is not installed otherwise.
# Prints one line, "package: ok", "package: skipped <why>" or
# "package: FAILED <why>" (the steps' output is in build/package-test.log),
# and exits 0 unless it failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
mkdir -p build
log="$root/build/package-test.log"
: > "$log"
page=/usr/share/man/man1/dorrowin-list.1.gz
installed=0

fail() {
  echo "package: FAILED $*"
  exit 1
}
# Whatever happens after the install, the machine is left without the package.
cleanup() {
  [ "$installed" = 1 ] && dpkg -r dorrowin-list >>"$log" 2>&1
  [ -n "${scratch:-}" ] && rm -rf "$scratch"
}
trap cleanup EXIT

[ "$(id -u)" = 0 ] || { echo "package: skipped dpkg needs root"; exit 0; }
if dpkg-query -W -f='${Status}' dorrowin-list 2>/dev/null | grep -q 'ok installed' || [ -e /usr/bin/dorrowin-list ]; then
  echo "package: skipped dorrowin-list is installed here already"
  exit 0
fi

# The tool and its manual page only: cpack packs what the build made.
{ cmake --preset release && cmake --build --preset release --target dorrowin-list manual_page; } >>"$log" 2>&1 ||
  fail "the release build"
rm -f build/release/*.deb build/release/*.tar.gz
(cd build/release && cpack -G DEB && cpack -G TGZ) >>"$log" 2>&1 || fail "cpack"
version=$(build/release/dorrowin-list --version | sed -n 's/^dorrowin-list //p')
deb=build/release/dorrowin-list_${version}_$(dpkg --print-architecture).deb
tgz=build/release/dorrowin-list-${version}-linux-$(uname -m).tar.gz
[ -n "$version" ] && [ -f "$deb" ] && [ -f "$tgz" ] || fail "no $deb or $tgz for version '$version'"

# The package's fields, and the archive's files under one folder.
[ "$(dpkg-deb -f "$deb" Package)" = dorrowin-list ] || fail "the package's name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no maintainer"
dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "the dependencies: '$(dpkg-deb -f "$deb" Depends)'"
contents=$(tar tzf "$tgz" | grep -v '/$' | sort | tr '\n' ' ')
top=dorrowin-list-${version}-linux-$(uname -m)
[ "$contents" = "$top/bin/dorrowin-list $top/share/man/man1/dorrowin-list.1.gz " ] ||
  fail "the archive holds $contents"

# Every option the help names is in the manual page.
for option in $(build/release/dorrowin-list --help | grep -o -- '--[a-z0-9-]*' | sort -u); do
  zcat build/release/dorrowin-list.1.gz | grep -qF -- "${option//-/\\-}" || fail "the manual page lacks $option"
done

# Debian images made small (docker's slim ones) tell dpkg to leave manual
# pages out (path-exclude in /etc/dpkg/dpkg.cfg.d/); an option given on the
# command line comes after those and wins, so the page is kept.
grep -ls 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d/* >>"$log" &&
  echo "this machine's dpkg leaves manual pages out; the page is included by name" >>"$log"
dpkg --path-include="$page" -i "$deb" >>"$log" 2>&1 || fail "dpkg -i"
installed=1
[ "$(command -v dorrowin-list)" = /usr/bin/dorrowin-list ] || fail "dorrowin-list is not /usr/bin/dorrowin-list"
[ "$(dorrowin-list --version)" = "dorrowin-list $version" ] || fail "dorrowin-list --version: $(dorrowin-list --version 2>&1)"
file -b /usr/bin/dorrowin-list | grep -q 'ELF.*, stripped' || fail "the program: $(file -b /usr/bin/dorrowin-list)"
scratch=$(mktemp -d)
mkdir "$scratch/d" && touch "$scratch/d/file10" "$scratch/d/file2"
[ "$(cd "$scratch" && dorrowin-list d | tr '\n' ' ')" = "d d/file2 d/file10 " ] || fail "the installed program's listing"
[ "$(man -w dorrowin-list 2>>"$log")" = "$page" ] || fail "man -w dorrowin-list: '$(man -w dorrowin-list 2>&1)'"
man -P cat dorrowin-list 2>>"$log" | grep -q 'max-depth' || fail "man dorrowin-list shows no page"

dpkg -r dorrowin-list >>"$log" 2>&1 || fail "dpkg -r"
installed=0
! dpkg-query -W -f='${Status}' dorrowin-list 2>/dev/null | grep -q 'ok installed' || fail "still installed after dpkg -r"
[ ! -e /usr/bin/dorrowin-list ] && [ ! -e "$page" ] || fail "files left after dpkg -r"
man -w dorrowin-list >/dev/null 2>&1 && fail "man -w still finds a page after dpkg -r"
echo "package: ok"
