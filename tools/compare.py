#!/usr/bin/env python3
"""dorrowin-list against the tools people use, on the anchor tree.

The anchor tree: 1,000 folders of 200 files (200,000 files), folders and
files created in random order, made once and kept. Each command runs several
times, whole process, output to /dev/null; the table gives the medians side by
side and the ratios the console tool is held to:

  Linux:   dorrowin-list -f absolute  <= 0.5 x  find DIR | sort -V   (wall time)
           and <= fd -u (parallel and unsorted; wall time);
           tree -a -v -f --noreport DIR as a second reference
  Windows: dorrowin-list.exe -f absolute <= 1.15 x a bare FindFirstFileExW walk
           (CPU time under Wine) and cmd /c dir /s /b as a second reference

A chain of 3,000 folders (each holding one file), far deeper than PATH_MAX,
is listed against find too: every item, in at most 2 x find's time.
--before TOOL adds an earlier build's row on the 200,000 files, measured in
the same runs (an earlier build may not read the whole chain); --before-exe
EXE the same under Wine.

  compare.py NATIVE_TOOL [WINDOWS_TOOL WALKER] [--runs N] [--tree DIR] [--before TOOL] [--before-exe EXE]
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

parser = argparse.ArgumentParser()
parser.add_argument("native")
parser.add_argument("windows", nargs="?")
parser.add_argument("walker", nargs="?")
parser.add_argument("--runs", type=int, default=5)
parser.add_argument("--tree", default=os.path.join("/dev/shm" if os.path.isdir("/dev/shm") else "/tmp",
                                                   "dorrowin-anchor"))
parser.add_argument("--before")
parser.add_argument("--before-exe")
args = parser.parse_args()


def make_tree(root):
    if os.path.isfile(os.path.join(root, ".complete")):
        return
    shutil.rmtree(root, ignore_errors=True)
    rng = random.Random(2026)
    folders = [f"folder{i}" for i in range(1000)]
    rng.shuffle(folders)
    for folder in folders:
        os.makedirs(os.path.join(root, "tree", folder))
        files = [f"file{j}.txt" for j in range(200)]
        rng.shuffle(files)
        for name in files:
            open(os.path.join(root, "tree", folder, name), "w").close()
    open(os.path.join(root, ".complete"), "w").close()


def make_chain(root, depth=3000):
    """Folders made one below the other through descriptors: the paths pass PATH_MAX."""
    if os.path.isfile(os.path.join(root, ".complete")):
        return
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, "chain"))
    fd = os.open(os.path.join(root, "chain"), os.O_RDONLY | os.O_DIRECTORY)
    for _ in range(depth):
        os.close(os.open("file.txt", os.O_CREAT | os.O_WRONLY, dir_fd=fd))
        os.mkdir("level", dir_fd=fd)
        below = os.open("level", os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
        os.close(fd)
        fd = below
    os.close(fd)
    open(os.path.join(root, ".complete"), "w").close()


def run(command, env=None):
    """Wall and CPU seconds of one whole process (its children included)."""
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        process = subprocess.Popen(command, stdout=null, stderr=subprocess.DEVNULL, env=env)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"compare: {command} failed")
    return wall, usage.ru_utime + usage.ru_stime


def measure(rows, env=None):
    """Medians of interleaved runs, one warm-up run each first."""
    for command in rows.values():
        run(command, env)
    samples = {name: [] for name in rows}
    for _ in range(args.runs):
        for name, command in rows.items():
            samples[name].append(run(command, env))
    return {name: (statistics.median(s[0] for s in runs), statistics.median(s[1] for s in runs))
            for name, runs in samples.items()}


def table(title, results):
    print(f"\n{title} (median of {args.runs} runs)")
    print(f"  {'command':<44} {'wall s':>8} {'cpu s':>8}")
    for name, (wall, cpu) in results.items():
        print(f"  {name:<44} {wall:8.3f} {cpu:8.3f}")


def compare(results, name, other, what, column=0, target=None, digits=2):
    """Prints name's time over other's (column 0: wall, 1: CPU); true when it misses the target."""
    value = results[name][column] / results[other][column]
    print(f"  {what}: {value:.{digits}f}" + (f" (target <= {target:.2f})" if target is not None else ""))
    return target is not None and value > target


make_tree(args.tree)
tree = os.path.join(args.tree, "tree")
status = 0

rows = {
    "dorrowin-list -f absolute DIR": [args.native, "-f", "absolute", tree],
    "find DIR | sort -V": ["bash", "-c", 'find "$0" | sort -V', tree],
}
if shutil.which("tree"):
    rows["tree -a -v -f --noreport DIR"] = ["tree", "-a", "-v", "-f", "--noreport", tree]
fd = shutil.which("fdfind") or shutil.which("fd")
if fd:
    rows["fd -u . DIR"] = [fd, "-u", ".", tree]
if args.before:
    rows["before: dorrowin-list -f absolute DIR"] = [args.before, "-f", "absolute", tree]
linux = measure(rows)
table("Linux, 200,000 files", linux)
ME = "dorrowin-list -f absolute DIR"
status |= compare(linux, ME, "find DIR | sort -V", "ratio to find | sort -V", target=0.5)
if "fd -u . DIR" in linux:
    status |= compare(linux, ME, "fd -u . DIR", "ratio to fd -u", target=1.0)
if args.before:
    status |= compare(linux, ME, "before: " + ME, "CPU ratio to the earlier build", 1, 1.1)
if "tree -a -v -f --noreport DIR" in linux:
    compare(linux, ME, "tree -a -v -f --noreport DIR", "ratio to tree")

chain_root = args.tree + "-chain"
make_chain(chain_root)
chain = os.path.join(chain_root, "chain")
rows = {"dorrowin-list -f absolute CHAIN": [args.native, "-f", "absolute", chain], "find CHAIN": ["find", chain]}
deep = measure(rows)
table("Linux, a chain of 3,000 folders", deep)
status |= compare(deep, "dorrowin-list -f absolute CHAIN", "find CHAIN", "ratio to find", target=2.0)
listed = subprocess.run([args.native, "-f", "absolute", chain], capture_output=True).stdout.count(b"\n")
found = subprocess.run(["find", chain], capture_output=True).stdout.count(b"\n")
print(f"  lines: {listed}, find: {found}")
status |= listed != found

if args.windows:
    env = dict(os.environ, WINEDEBUG="-all", LC_ALL="ja_JP.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=")
    wine_tree = "Z:" + tree.replace("/", "\\")
    rows = {
        "dorrowin-list.exe -f absolute DIR": ["wine", args.windows, "-f", "absolute", wine_tree],
        "FindFirstFileExW walk": ["wine", args.walker, wine_tree],
    }
    if args.before_exe:
        rows["before: dorrowin-list.exe -f absolute DIR"] = ["wine", args.before_exe, "-f", "absolute", wine_tree]
    windows = measure(rows, env)
    # dir's work is done by the console host, another process: its wall time
    # is what counts. It runs apart, as the host keeps busy after it ends.
    windows.update(measure({"cmd /c dir /s /b DIR": ["wine", "cmd", "/c", "dir", "/s", "/b", wine_tree]}, env))
    table("Windows build under Wine, 200,000 files", windows)
    EXE = "dorrowin-list.exe -f absolute DIR"
    status |= compare(windows, EXE, "FindFirstFileExW walk", "CPU ratio to the bare walk", 1, 1.15)
    if args.before_exe:
        compare(windows, EXE, "before: " + EXE, "CPU ratio to the earlier build", 1)
    compare(windows, EXE, "cmd /c dir /s /b DIR", "wall ratio to dir /s /b", digits=3)
sys.exit(status)
