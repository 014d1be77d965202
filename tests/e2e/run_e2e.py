#!/usr/bin/python3
"""End-to-end tests of dorrowin.exe under Wine on the X display in $DISPLAY.

The real program is driven as a user drives it (command line, X11 drops,
xdotool clicks and typing, the desktop's work area); its window is read with
window_probe.exe, the clipboard with clipboard_text.exe, the registry with
`wine reg`. Results go to a GoogleTest-style XML report.
"""
import argparse
import json
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse
from xml.sax.saxutils import escape, quoteattr

from Xlib import X, Xatom, display as xdisplay
from Xlib.protocol import event

KEY = r"HKCU\Software\Quillmoor\Dorrowin"
COMPACT, FULL = "Dorrowin", "Dorrowin v1.04"
TOPMOST, ACCEPTFILES = 0x8, 0x10
IDLE_FULL = "ファイル・フォルダをドロップして下さい"
SAMPLE_FILES = ["報告 10.txt", "報告 2.txt", "a.txt", "サブ/x.txt", "サブ/y/z.txt"]
SAMPLE_INPUT = ["報告 10.txt", "a.txt", "サブ", "報告 2.txt"]
# The list with the default settings: relative paths, files first, natural order, folders scanned.
SAMPLE_LIST = "\r\n".join(["a.txt", "報告 2.txt", "報告 10.txt", "サブ", "サブ\\x.txt", "サブ\\y", "サブ\\y\\z.txt"])
# The clickable setting labels, each with its texts in click order from the default.
LABELS = [(10001, [" パス：相対パス", " パス：ツリー", " パス：なし", " パス：絶対パス"]),
          (10023, [" パス区切り文字：\\", " パス区切り文字：/"]),
          (10002, [" 拡張子：あり", " 拡張子：なし"]),
          (10008, [" 項目：ファイルとフォルダ", " 項目：ファイルのみ", " 項目：フォルダのみ"]),
          (10009, [" フォルダ内検索：する", " フォルダ内検索：しない"]),
          (10010, [" 常に手前に表示：ON", " 常に手前に表示：OFF"]),
          (10011, [" 透過表示：OFF", " 透過表示：ON"])]
# The four affix edit boxes: id, value name, typed text.
AFFIXES = [(10006, "StrFF", "F<"), (10007, "StrFB", "「後」"), (10019, "StrDF", "D["), (10020, "StrDB", "]フ")]
# Names only, slash, no extensions, folders only, no scan, translucent, not on top, full layout.
CLICKED_WORD = 0x20000 | 0x4000 | 0x300 | 0x30


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what):
    check(actual == expected, "%s: expected %r, got %r" % (what, expected, actual))


def run(*command, timeout=60, env=None):
    return subprocess.run(command, env=env or ENV, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, timeout=timeout)


def wine(*args, timeout=60):
    return run(os.path.join(ARGS.tools, "wine-run.sh"), *args, timeout=timeout)


def start(*args):
    """A Wine program in the background, its output nowhere so that the Wine
    helpers it may start hold none of our pipes."""
    process = subprocess.Popen([os.path.join(ARGS.tools, "wine-run.sh"), *args], env=ENV,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    STARTED.append(process)
    return process


def ended(process, timeout=60):
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end within %d s" % timeout)


def close(process):
    wine(ARGS.probe, "close")
    ended(process, 30)


def keep_clipboard():
    """Wine empties the clipboard once the session's last program ends: a helper stays alive."""
    global KEEPER
    if KEEPER is None or KEEPER.poll() is not None:
        KEEPER = subprocess.Popen([os.path.join(ARGS.tools, "wine-run.sh"), ARGS.clipboard, "hold", "3600"],
                                  env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        time.sleep(0.5)


def probe(command="state"):
    return json.loads(wine(ARGS.probe, command, timeout=30).stdout.decode("utf-8"))


def wait(predicate, what, get=probe, timeout=30):
    """Polls get() (the window's state) until predicate holds on its answer; returns that answer."""
    end, seen = time.monotonic() + timeout, None
    while time.monotonic() < end:
        seen = get()
        try:
            if predicate(seen):
                return seen
        except (KeyError, TypeError):
            pass
        time.sleep(0.1)
    raise Failure("timed out waiting for %s; last seen: %s" % (what, json.dumps(seen, ensure_ascii=False)[:800]))


def text(state, control):
    return state["controls"][str(control)]["text"]


def enabled(state, control):
    return state["controls"][str(control)]["enabled"]


def wait_text(control, wanted, timeout=30):
    return wait(lambda st: text(st, control) == wanted, "%r on %d" % (wanted, control), timeout=timeout)


def point(state, control):
    x, y, width, height = state["controls"][str(control)]["rect"]
    return state["origin"][0] + x + width // 2, state["origin"][1] + y + height // 2


def click(control, double=False):
    x, y = point(probe(), control)
    repeat = ["--repeat", "2", "--delay", "80"] if double else []
    run("xdotool", "mousemove", str(x), str(y), "click", *repeat, "1")


def x_windows(name):
    return [int(w) for w in run("xdotool", "search", "--name", name).stdout.split()]


def clipboard():
    result = wine(ARGS.clipboard, "print")
    return result.stdout.decode("utf-8") if result.returncode == 0 else None


def set_clipboard(value):
    wine(ARGS.clipboard, "set", value)
    check_equal(clipboard(), value, "the clipboard before the job")


def stored(folder):
    """The values under the product key as `wine reg export` writes them, or None without the key."""
    exported = os.path.join(folder, "key.reg")
    if wine("reg", "export", KEY, wine_path(exported), "/y").returncode != 0:
        return None
    with open(exported, encoding="utf-16") as file:
        return dict(re.findall(r'^"(\w+)"=(.*)$', file.read().replace("\r", ""), re.M))


def store(setting, place):
    wine("reg", "delete", KEY, "/f")
    for name, value in (("Setting", setting), ("WindowPos", (place[0] & 0xFFFF) << 16 | place[1] & 0xFFFF)):
        if value is not None:
            wine("reg", "add", KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")


def wine_path(*parts):
    return "Z:" + os.path.abspath(os.path.join(*parts)).replace("/", "\\")


def make_sample(folder):
    for relative in SAMPLE_FILES:
        os.makedirs(os.path.dirname(os.path.join(folder, relative)), exist_ok=True)
        with open(os.path.join(folder, relative), "w") as file:
            file.write("x")


def drop(paths):
    """Drops the paths onto the window's status label by XDND, as a desktop file manager does."""
    state = probe()
    target = XD.create_resource_object("window", x_windows("^%s$" % re.escape(state["title"]))[0])
    atoms = {name: XD.intern_atom(name) for name in ("XdndSelection", "XdndEnter", "XdndPosition", "XdndStatus",
                                                    "XdndDrop", "XdndFinished", "XdndActionCopy", "text/uri-list")}
    uris = "".join("file://%s\r\n" % urllib.parse.quote(path) for path in paths).encode("utf-8")
    source = XD.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(atoms["XdndSelection"], X.CurrentTime)

    def send(kind, *values):
        data = (32, [source.id, *values] + [0] * (4 - len(values)))
        target.send_event(event.ClientMessage(window=target, client_type=atoms[kind], data=data), event_mask=0)
        XD.flush()

    def wait_for(kind):  # answers Wine's requests for the URI list meanwhile
        end = time.monotonic() + 10
        while time.monotonic() < end:
            while XD.pending_events():
                ev = XD.next_event()
                if ev.type == X.SelectionRequest:
                    ev.requestor.change_property(ev.property, atoms["text/uri-list"], 8, uris)
                    ev.requestor.send_event(event.SelectionNotify(time=ev.time, requestor=ev.requestor,
                                                                  selection=ev.selection, target=ev.target,
                                                                  property=ev.property), event_mask=0)
                    XD.flush()
                elif ev.type == X.ClientMessage and ev.client_type == atoms[kind]:
                    return ev
            select.select([XD.fileno()], [], [], 0.05)
        raise Failure("no %s from the window" % kind)

    x, y = point(state, 10003)
    send("XdndEnter", 5 << 24, atoms["text/uri-list"])
    send("XdndPosition", 0, x << 16 | y, X.CurrentTime, atoms["XdndActionCopy"])
    check(wait_for("XdndStatus").data[1][1] & 1, "the window accepts the drop")
    send("XdndDrop", 0, X.CurrentTime)
    wait_for("XdndFinished")
    source.destroy()


def restart_wine():
    """A new Wine session: it reads the desktop's work area afresh."""
    for command in (["wineserver", "-k"], ["wineserver", "-w"], ["wineserver", "-p"], ["wine", "cmd", "/c", "exit"]):
        subprocess.run(command, env=ENV, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
    keep_clipboard()


TESTS = []


def test(function):
    TESTS.append(function)
    return function


@test
def TheCommandLineListsToTheClipboard(folder):
    make_sample(folder)
    set_clipboard("before")
    process = start(ARGS.program, *[wine_path(folder, p) for p in SAMPLE_INPUT])
    check_equal(ended(process), 0, "exit code")
    check_equal(clipboard(), SAMPLE_LIST, "the clipboard after a start with paths")
    check(not probe()["found"], "the window is gone")
    # From a console in the program's folder the command line holds the bare name, without quotes.
    set_clipboard("before")
    ended(start("cmd", "/c", "cd /d %s && %s %s" % (wine_path(os.path.dirname(ARGS.program)),
                                                   os.path.basename(ARGS.program),
                                                   " ".join(wine_path(folder, p) for p in ["サブ", "a.txt"]))))
    check_equal(clipboard(), "a.txt\r\nサブ\r\nサブ\\x.txt\r\nサブ\\y\r\nサブ\\y\\z.txt", "the clipboard after a console start")
    result = run("bash", os.path.join(ARGS.tools, "run.sh"), *[os.path.join(folder, p) for p in SAMPLE_INPUT],
                 timeout=300, env=dict(ENV, DORROWIN_BUILD_DIR=os.path.dirname(ARGS.program)))
    check_equal((result.returncode, result.stdout.decode("utf-8")), (0, SAMPLE_LIST + "\n"), "the run command")


@test
def TheWindowListsADropAndCancelsAJob(folder):
    make_sample(folder)
    for d in range(150):  # enough files for a listing of a few seconds
        os.makedirs(os.path.join(folder, "big", "d%03d" % d))
        for f in range(1000):
            os.close(os.open(os.path.join(folder, "big", "d%03d" % d, "f%d.txt" % f), os.O_CREAT | os.O_WRONLY))
    process = start(ARGS.program)
    state = wait(lambda st: (st["title"], st["client"], text(st, 10003)) == (COMPACT, [80, 70], "待機中"),
                 "the compact window, idle")
    check_equal(state["exStyle"] & (TOPMOST | ACCEPTFILES), TOPMOST | ACCEPTFILES, "topmost, accepting drops")
    check(not state["controls"]["10001"]["visible"], "the setting labels are hidden in the compact layout")
    set_clipboard("before")
    drop([os.path.join(folder, p) for p in SAMPLE_INPUT])
    wait_text(10003, "完了！")
    check_equal(clipboard(), SAMPLE_LIST, "the clipboard after the drop")
    click(10017)
    wait(lambda st: st["title"] == FULL and st["client"] == [230, 210], "the full layout")
    drop([os.path.join(folder, "big")])
    state = wait_text(10003, "リスト作成中...", timeout=10)
    check(enabled(state, 10013) and not enabled(state, 10001), "Cancel enabled and the labels locked in a job")
    click(10013)
    # A job that ended before the cancel would have replaced the clipboard's text.
    state = wait(lambda st: text(st, 10003) in ("作業を中断しました", IDLE_FULL), "the interrupted text")
    check_equal(clipboard(), SAMPLE_LIST, "the clipboard after the cancel")
    check(not enabled(state, 10013) and enabled(state, 10001), "Cancel disabled and the labels free after the job")
    close(process)


@test
def ClickedSettingsAreSavedLoadedAndDeleted(folder):
    # A console start: Help must find readme.txt beside a program named without its path.
    process = start("cmd", "/c", "cd /d %s && %s" % (wine_path(os.path.dirname(ARGS.program)),
                                                    os.path.basename(ARGS.program)))
    wait(lambda st: st["visible"], "the window")
    click(10017)
    state = wait(lambda st: st["title"] == FULL, "the full layout")
    check(not enabled(state, 10016), "DEL is disabled with nothing saved")
    clicked = {}
    for control, texts in LABELS:
        check_equal(text(state, control), texts[0], "the default text of %d" % control)
        for wanted in texts[1:] + texts[:1]:
            click(control)
            wait_text(control, wanted)
        double = len(texts) > 2  # a double click counts as two clicks
        click(control, double)
        clicked[control] = texts[2 if double else 1]
        state = wait_text(control, clicked[control])
    check_equal((state["alpha"], state["exStyle"] & TOPMOST), (192, 0), "alpha and topmost after the clicks")
    for control, _, typed in AFFIXES:
        click(control)
        run("xdotool", "type", typed)
        clicked[control] = typed
    run("xdotool", "windowmove", str(x_windows("^%s$" % re.escape(FULL))[0]), "333", "222")
    state = wait(lambda st: st["rect"][:2] == [333, 222] and all(text(st, c) == t for c, t in clicked.items()),
                 "the window moved and the texts typed")
    click(10018)
    viewer = wait(bool, "Help to open readme.txt", get=lambda: x_windows("readme.txt"), timeout=20)
    check_equal(probe("dialogs"), [], "message boxes after Help")
    for window in viewer:
        run("xdotool", "windowclose", str(window))
    click(10015)
    wait(lambda st: enabled(st, 10016), "DEL enabled after SAV")
    expected = {"Setting": "dword:%08x" % CLICKED_WORD, "WindowPos": "dword:%04x%04x" % (333, 222)}
    expected.update((name, '"%s"' % typed) for _, name, typed in AFFIXES)
    check_equal(stored(folder), expected, "the stored values after SAV")
    close(process)

    # A copy of the program without readme.txt beside it loads the same settings.
    os.makedirs(os.path.join(folder, "alone"))
    process = start(shutil.copy(ARGS.program, os.path.join(folder, "alone")))
    state = wait(lambda st: st["visible"] and st["rect"][:2] == [333, 222] and st["title"] == FULL,
                 "the saved place and layout", timeout=15)
    check_equal({c: text(state, c) for c in clicked}, clicked, "the texts after a restart")
    check_equal((state["alpha"], state["exStyle"] & TOPMOST), (192, 0), "alpha and topmost after a restart")
    click(10018)
    boxes = wait(bool, "the warning", get=lambda: probe("dialogs"), timeout=20)
    check(len(boxes) == 1 and boxes[0]["caption"] == FULL and "readme.txt を開けませんでした" in boxes[0]["texts"],
          "one warning that readme.txt cannot be opened: %r" % boxes)
    probe("dismiss")
    click(10016)
    wait(lambda st: not enabled(st, 10016), "DEL disabled after DEL")
    check_equal(stored(folder), None, "the stored values after DEL")
    click(10014)
    wait(lambda st: st["minimized"], "the window minimized")
    close(process)


@test
def TheWindowIsFittedIntoTheWorkArea(folder):
    root = XD.screen().root
    root.change_property(XD.intern_atom("_NET_WORKAREA"), Xatom.CARDINAL, 32, [100, 50, 800, 650])
    XD.sync()
    restart_wine()  # Wine reads the work area when its session starts
    try:
        # Stored setting (None: defaults, compact), stored place, the rectangle's fitted part.
        for setting, place, fitted in [(None, (0, 0), lambda r: r[:2] == [100, 50]),
                                       (0xB120, (890, 690), lambda r: r[2:] == [900, 700])]:
            store(setting, place)
            process = start(ARGS.program)
            wait(lambda st: st["visible"] and fitted(st["rect"]) and st["title"] == (FULL if setting else COMPACT),
                 "the window stored at %r inside the work area" % (place,), timeout=15)
            close(process)
    finally:
        root.delete_property(XD.intern_atom("_NET_WORKAREA"))
        XD.sync()
        restart_wine()


def write_report(path, results):
    failed = sum(1 for _, _, failure in results if failure)
    head = 'tests="%d" failures="%d" errors="0" time="%.3f"' % (len(results), failed, sum(r[1] for r in results))
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<testsuites %s name="AllTests">' % head,
             '  <testsuite name="EndToEnd" %s>' % head]
    for name, seconds, failure in results:
        lines.append('    <testcase name=%s status="run" result="completed" time="%.3f" classname="EndToEnd"%s'
                     % (quoteattr(name), seconds, ">" if failure else " />"))
        if failure:
            lines += ['      <failure message=%s type="">%s</failure>' % (quoteattr(failure.splitlines()[0]),
                                                                         escape(failure)), "    </testcase>"]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(lines + ["  </testsuite>", "</testsuites>", ""]))


def main():
    global ARGS, ENV, XD, KEEPER, STARTED
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("program", "probe", "clipboard", "tools", "report"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--filter", default="", help="run only the tests whose name contains this")
    ARGS = parser.parse_args()
    tests = [t for t in TESTS if ARGS.filter in t.__name__]
    if not os.environ.get("DISPLAY"):
        write_report(ARGS.report, [(t.__name__, 0.0, "no X display: DISPLAY is not set") for t in tests])
        return 1
    ENV = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="ja_JP.UTF-8")
    ENV.setdefault("WINEPREFIX", os.path.join(ARGS.tools, "..", "build", "windows", "wineprefix"))
    # An X client of our own for the whole run: without one Xvfb resets, and
    # forgets the root window's properties, whenever the last Wine program ends.
    XD, KEEPER, STARTED, results = xdisplay.Display(), None, [], []
    # Help opens readme.txt with Notepad; a fresh prefix does not tie .txt to it.
    wine("reg", "add", r"HKLM\Software\Classes\.txt", "/ve", "/d", "txtfile", "/f")
    try:
        for function in tests:
            keep_clipboard()
            wine("reg", "delete", KEY, "/f")
            folder, began, failure = tempfile.mkdtemp(prefix="dorrowin-e2e-"), time.monotonic(), None
            try:
                function(folder)
            except Failure as error:
                failure = str(error)
            except Exception:  # a broken test is a failed test
                failure = traceback.format_exc()
            for process in STARTED:
                if process.poll() is None:
                    wine(ARGS.probe, "close")
                    try:
                        process.wait(timeout=20)
                    except subprocess.TimeoutExpired:
                        process.kill()
            STARTED = []
            shutil.rmtree(folder, ignore_errors=True)
            results.append((function.__name__, time.monotonic() - began, failure))
            print("[%s] %s (%.1f s)%s" % ("FAILED" if failure else "    OK", function.__name__, results[-1][1],
                                          "\n" + failure if failure else ""), flush=True)
    finally:
        wine("reg", "delete", KEY, "/f")
        if KEEPER is not None:
            KEEPER.kill()
        write_report(ARGS.report, results)
    failed = sum(1 for r in results if r[2])
    print("e2e: %d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
