#!/usr/bin/env bash
# The listing on a real network file system: sshfs to an SSH server on
# 127.0.0.1, reached through a proxy that holds every byte 0.5 ms in each
# direction (tools/netbench/latency_proxy.py; the kernels here have no
# netem). sshfs's directory cache expires after a second and each run waits
# longer than that, so no run reads the answers of the one before. Three
# trees of about 25,000 entries with Japanese names: wide (40 folders of 30
# folders of 18 files), bushy (5 to 10 subfolders a folder over four levels,
# 13 files in each) and deep (75 chains of 30 folders, 10 files in each).
# Prints, per tree, the median wall time of each command and the ratios,
# and checks that every build of dorrowin-list printed the same bytes.
# Not part of the test command: it installs openssh-server and sshfs and
# mounts with FUSE (root).
#
#   bash tools/netbench.sh [--windows] [--runs N] [--delay MS] [--shapes "wide bushy deep"] [-- EXTRA OPTIONS]
#
# With DORROWIN_BEFORE set to an earlier build of dorrowin-list (and
# DORROWIN_BEFORE_EXE to its dorrowin-list.exe, with --windows), that build
# runs in the same rounds, for a comparison on equal terms.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
windows=0 runs=3 delay=0.5 shapes="wide bushy deep" extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --windows) windows=1 ;;
    --runs) runs=$2; shift ;;
    --delay) delay=$2; shift ;;
    --shapes) shapes=$2; shift ;;
    --) shift; extra=("$@"); break ;;
    *) echo "netbench: unknown argument $1" >&2; exit 2 ;;
  esac
  shift
done

missing=()
for p in openssh-server sshfs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

work=$root/build/netbench
mkdir -p "$work/mnt" /run/sshd
[ -f "$work/host_key" ] || ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
[ -f "$work/user_key" ] || ssh-keygen -q -t ed25519 -N '' -f "$work/user_key"
cat > "$work/sshd_config" <<CONF
Port 2222
ListenAddress 127.0.0.1
HostKey $work/host_key
AuthorizedKeysFile $work/user_key.pub
PermitRootLogin prohibit-password
PasswordAuthentication no
UsePAM no
StrictModes no
PidFile $work/sshd.pid
Subsystem sftp internal-sftp
CONF

cleanup() {
  fusermount -u "$work/mnt" 2>/dev/null || umount -l "$work/mnt" 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
  [ -n "${proxy:-}" ] && kill "$proxy" 2>/dev/null
  [ -f "$work/sshd.pid" ] && kill "$(cat "$work/sshd.pid")" 2>/dev/null
  true
}
trap cleanup EXIT
cleanup
/usr/sbin/sshd -f "$work/sshd_config"
python3 tools/netbench/latency_proxy.py 2223 2222 "$delay" &
proxy=$!

python3 - "$work/trees" <<'PY'
import os, random, sys
root = sys.argv[1]
def files(folder, count):
    os.makedirs(folder, exist_ok=True)
    for c in range(count):
        open(os.path.join(folder, "ファイル_%02d.txt" % c), "w").close()
def bushy(folder, depth, rng):
    files(folder, 13)
    if depth < 4:
        for b in range(6 if depth == 0 else rng.randint(5, 10) if depth < 3 else rng.randint(3, 6)):
            bushy(os.path.join(folder, "分類_%02d" % b), depth + 1, rng)
if not os.path.isfile(os.path.join(root, ".complete")):
    for a in range(40):
        for b in range(30):
            files(os.path.join(root, "wide", "資料%02d" % a, "報告_%02d" % b), 18)
    bushy(os.path.join(root, "bushy"), 0, random.Random(23))
    for a in range(5):
        for b in range(15):
            folder = os.path.join(root, "deep", "系列%d" % a, "鎖_%02d" % b)
            for level in range(30):
                files(folder, 10)
                folder = os.path.join(folder, "段%02d" % level)
    open(os.path.join(root, ".complete"), "w").close()
PY

sleep 0.5
sshfs -p 2223 "root@127.0.0.1:$work/trees" "$work/mnt" \
  -o IdentityFile="$work/user_key",StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null \
  -o dcache_timeout=1,max_conns=8

cmake --preset bench >/dev/null
cmake --build --preset bench --target dorrowin-list >/dev/null
# Each command: its name, then its arguments, separated by tabs.
t=$'\t'
extras=""
for option in "${extra[@]}"; do extras+="$t$option"; done
# SHAPE in a command stands for the tree's folder.
commands=("find${t}find${t}$work/mnt/SHAPE"
          "dorrowin-list${t}build/bench/dorrowin-list${t}-f${t}absolute$extras${t}$work/mnt/SHAPE")
if [ -n "${DORROWIN_BEFORE:-}" ]; then
  commands+=("before: dorrowin-list${t}$DORROWIN_BEFORE${t}-f${t}absolute$extras${t}$work/mnt/SHAPE")
fi
if [ "$windows" = 1 ]; then
  [ -f build/windows/CMakeCache.txt ] || cmake --preset windows >/dev/null
  cmake --build build/windows --target dorrowin dorrowin-list find_walker >/dev/null
  # The window's command-line job needs a display; without a window manager
  # Wine's windows are left unmanaged, as in the tests.
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    n=80
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix} WINEDEBUG=-all LC_ALL=ja_JP.UTF-8
  wineserver -p 2>/dev/null || true
  wine cmd /c exit >/dev/null 2>&1 || true
  [ -n "${xvfb:-}" ] && wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  z="Z:${work//\//\\}\\mnt\\SHAPE"
  commands+=("walker (Wine)${t}wine${t}build/windows/bench/find_walker.exe${t}$z"
             "dorrowin-list.exe (Wine)${t}wine${t}build/windows/dorrowin-list.exe${t}-f${t}absolute$extras${t}$z"
             "dorrowin.exe command-line job (Wine)${t}wine${t}build/windows/dorrowin.exe${t}$z")
  if [ -n "${DORROWIN_BEFORE_EXE:-}" ]; then
    commands+=("before: dorrowin-list.exe (Wine)${t}wine${t}$DORROWIN_BEFORE_EXE${t}-f${t}absolute$extras${t}$z")
  fi
fi

python3 - "$runs" "$shapes" "${commands[@]}" <<'PY'
import hashlib, statistics, subprocess, sys, time
runs, shapes = int(sys.argv[1]), sys.argv[2].split()
commands = [(c.split("\t")[0], c.split("\t")[1:]) for c in sys.argv[3:]]
for shape in shapes:
    times = {name: [] for name, _ in commands}
    outputs = {}
    for _ in range(runs):
        for name, command in commands:  # interleaved, each after the directory cache has expired
            time.sleep(1.5)
            began = time.monotonic()
            done = subprocess.run([a.replace("SHAPE", shape) for a in command], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, check=False)
            times[name].append(time.monotonic() - began)
            if "dorrowin-list" in name and "Wine" not in name:
                outputs.setdefault(name, set()).add(hashlib.sha256(done.stdout).hexdigest())
    medians = {name: statistics.median(t) for name, t in times.items()}
    print("\n%s tree:\n\n| | wall s (median of %d) | ratio |" % (shape, runs))
    print("|---|---|---|")
    for name, median in medians.items():
        base = medians["walker (Wine)"] if "Wine" in name and name != "walker (Wine)" else medians["find"]
        ratio = "" if name in ("find", "walker (Wine)") else "%.2f" % (median / base)
        print("| `%s` | %.2f | %s |" % (name, median, ratio))
    texts = set().union(*outputs.values())
    print("same bytes from every dorrowin-list run: %s" % ("yes" if len(texts) == 1 else "NO"))
PY
