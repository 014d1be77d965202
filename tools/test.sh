#!/usr/bin/env bash
# Builds both builds and runs every test: the native build (POSIX layer,
# AddressSanitizer and UndefinedBehaviorSanitizer), the ThreadSanitizer
# build, the fuzz targets, --gitignore against git on random repositories,
# the Linux package of dorrowin-list (installed and
# removed again), and the Windows build under Wine on a virtual display. Ends
# with one summary line over all of them: "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash tools/install-deps.sh || { echo "install-deps failed"; exit 1; }

results="$root/build/test-results"
rm -rf "$results" build/native/test-results build/tsan/test-results build/windows/test-results
mkdir -p "$results"
status=0

step() { printf '\n== %s ==\n' "$*"; }

run_preset() {
  local preset=$1
  step "$preset: configure and build"
  cmake --preset "$preset" >/dev/null || { status=1; return 1; }
  cmake --build --preset "$preset" || { status=1; return 1; }
  step "$preset: tests"
  ctest --preset "$preset" || status=1
  mkdir -p "$results/$preset"
  cp build/"$preset"/test-results/*.xml "$results/$preset/" 2>/dev/null || true
  # A test program that crashed or never ran wrote no report: count it as
  # one failure so that the summary cannot look green.
  local name
  for name in $(ctest --preset "$preset" -N 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: //p'); do
    if [ ! -s "$results/$preset/$name.xml" ]; then
      printf '<testsuites><testsuite name="%s"><testcase name="%s"><failure message="no report"/></testcase></testsuite></testsuites>\n' \
        "$name" "$name" > "$results/$preset/$name.xml"
    fi
  done
}

# A virtual display for Wine's windows, and a Wine session started before the
# build so that its helper processes do not hold the test runner's pipes.
start_display() {
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

start_wine() {
  export WINEPREFIX="$root/build/windows/wineprefix"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=ja_JP.UTF-8
  mkdir -p "$root/build/windows"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1
  fi
  wineserver -p >/dev/null 2>&1
  wine cmd /c exit >/dev/null 2>&1
}

cleanup() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# Each fuzz target runs for a bounded time; each counts as one test.
run_fuzz() {
  step "fuzz: 30 s per target"
  mkdir -p "$results/fuzz"
  local line name verdict
  while IFS= read -r line; do
    echo "$line"
    name=${line%%:*}
    verdict=${line#*: }
    case "$verdict" in
      ok*) printf '<testsuites><testsuite name="fuzz"><testcase name="%s"/></testsuite></testsuites>\n' "$name" ;;
      *) printf '<testsuites><testsuite name="fuzz"><testcase name="%s"><failure message="%s"/></testcase></testsuite></testsuites>\n' "$name" "$verdict"; status=1 ;;
    esac > "$results/fuzz/$name.xml"
  done < <(bash tools/fuzz.sh 30)
  ls "$results/fuzz/"*.xml >/dev/null 2>&1 || {
    printf '<testsuites><testsuite name="fuzz"><testcase name="build"><failure message="no fuzz target ran"/></testcase></testsuite></testsuites>\n' > "$results/fuzz/build.xml"
    status=1
  }
}

# dorrowin-list --gitignore against git on 30 random repositories, a new
# seed each run (told, to repeat a failure): one test.
run_gitignore_fuzz() {
  step "gitignore fuzz: 30 random repositories"
  mkdir -p "$results/gitignore-fuzz"
  local seed=$(date +%s) out
  out=$(python3 tools/gitignore-fuzz.py "$seed" 30 build/native/dorrowin-list 2>&1)
  local code=$?
  echo "$out" | tail -n 20
  if [ $code -eq 0 ]; then
    printf '<testsuites><testsuite name="gitignore-fuzz"><testcase name="gitignore fuzz"/></testsuite></testsuites>\n'
  else
    printf '<testsuites><testsuite name="gitignore-fuzz"><testcase name="gitignore fuzz"><failure message="mismatch with git, seed %s"/></testcase></testsuite></testsuites>\n' "$seed"
    status=1
  fi > "$results/gitignore-fuzz/gitignore-fuzz.xml"
}

# The Linux package built, installed with dpkg, run and removed: one test.
run_package() {
  step "package: build, install, run, remove"
  mkdir -p "$results/package"
  local line verdict
  line=$(bash tools/package-test.sh)
  echo "$line"
  verdict=${line#package: }
  verdict=${verdict//'&'/'&amp;'} verdict=${verdict//'<'/'&lt;'} verdict=${verdict//'"'/'&quot;'}
  case "$verdict" in
    ok) printf '<testsuites><testsuite name="package"><testcase name="dorrowin-list package"/></testsuite></testsuites>\n' ;;
    skipped*) printf '<testsuites><testsuite name="package"><testcase name="dorrowin-list package"><skipped message="%s"/></testcase></testsuite></testsuites>\n' "${verdict#skipped }" ;;
    *) printf '<testsuites><testsuite name="package"><testcase name="dorrowin-list package"><failure message="%s"/></testcase></testsuite></testsuites>\n' "$verdict"
       tail -n 20 build/package-test.log >&2
       status=1 ;;
  esac > "$results/package/package.xml"
}

run_preset native
run_preset tsan
run_fuzz
run_gitignore_fuzz
run_package

start_display
start_wine
run_preset windows

step "summary"
python3 - "$results" <<'PY' || status=1
import glob, sys, xml.etree.ElementTree as ET
passed = failed = skipped = 0
for path in sorted(glob.glob(sys.argv[1] + "/*/*.xml")):
    for case in ET.parse(path).getroot().iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.get("result") == "skipped" or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
sys.exit(1 if failed or passed == 0 else 0)
PY
exit $status
