#!/usr/bin/python3
"""End-to-end tests of dorrowin.exe under Wine on the X display in $DISPLAY.

Each test starts the real program as a user would (with paths, without, from
a console without quotes), acts on it from outside (X11 drops, xdotool
clicks, the desktop's work area) and checks what it shows (window_probe.exe)
and what it leaves on the clipboard (clipboard_text.exe). Screenshots of both
layouts and of a job in progress are written for people to look at. The
results go to a GoogleTest-style XML report.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback
from xml.sax.saxutils import escape, quoteattr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xdnd_drop  # noqa: E402

from Xlib import Xatom, display as xdisplay  # noqa: E402

IDLE_COMPACT = "待機中"
IDLE_FULL = "ファイル・フォルダをドロップして下さい"
DONE_COMPACT = "完了！"
LISTING_FULL = "リスト作成中..."
INTERRUPTED_FULL = "作業を中断しました"
PRODUCT_KEY = r"HKCU\Software\Quillmoor\Dorrowin"
FULL_ONLY = [10001, 10023, 10002, 10008, 10009, 10004, 10005, 10021, 10022,
             10006, 10007, 10019, 10020, 10010, 10011, 10012, 10016, 10018]
COMPACT_PLACES = {10003: [5, 5, 70, 20], 10013: [5, 25, 70, 20], 10015: [5, 50, 30, 15],
                  10017: [40, 50, 15, 15], 10014: [60, 50, 15, 15]}
FULL_PLACES = {10003: [5, 125, 220, 20], 10013: [30, 145, 170, 20], 10015: [5, 170, 30, 15],
               10017: [60, 190, 15, 15], 10014: [80, 190, 15, 15]}
WS_EX_TOPMOST = 0x8
WS_EX_ACCEPTFILES = 0x10


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def check_equal(actual, expected, what, state=None):
    if actual != expected:
        detail = "" if state is None else "; window: %s" % json.dumps(
            {k: state.get(k) for k in ("title", "rect", "client", "visible")}, ensure_ascii=False)
        raise Failure("%s: expected %r, got %r%s" % (what, expected, actual, detail))


class Session:
    """The programs under test and the Wine session they run in."""

    def __init__(self, args):
        self.program = args.program
        self.probe_exe = args.probe
        self.clipboard_exe = args.clipboard
        self.wine_run = args.wine
        self.screenshots = args.screenshots
        here = os.path.dirname(os.path.abspath(args.wine))
        self.prefix = os.environ.get("WINEPREFIX") or os.path.join(here, "..", "build", "windows", "wineprefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="ja_JP.UTF-8")
        self.keeper = None
        self.started = []
        # An X client of our own for the whole run: without one, Xvfb resets
        # (and forgets the root window's properties) whenever the last Wine
        # program disconnects.
        self.x = xdisplay.Display()

    # --- Wine ---------------------------------------------------------------

    def wine(self, *args, timeout=60, cwd=None):
        return subprocess.run([self.wine_run, *args], env=self.env, cwd=cwd, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=timeout)

    def start(self, *args, cwd=None):
        """Starts a Wine program in the background; its output goes nowhere, so
        helper processes it starts cannot hold the test runner's pipes."""
        process = subprocess.Popen([self.wine_run, *args], env=self.env, cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.started.append(process)
        return process

    def restart_wine(self):
        """A new Wine session: it reads the desktop's work area afresh."""
        subprocess.run(["wineserver", "-k"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run(["wineserver", "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.wine("cmd", "/c", "exit")
        self.keep_alive()

    def keep_alive(self):
        """Wine empties the clipboard once the last program of a session has
        ended: a helper stays alive so that the clipboard outlives each program."""
        if self.keeper is not None and self.keeper.poll() is None:
            return
        self.keeper = self.start(self.clipboard_exe, "hold", "1800")
        time.sleep(0.5)

    def reg(self, *args):
        return self.wine("reg", *args)

    def forget_settings(self):
        self.reg("delete", PRODUCT_KEY, "/f")

    def store_settings(self, setting=None, position=None):
        self.forget_settings()
        if setting is not None:
            self.reg("add", PRODUCT_KEY, "/v", "Setting", "/t", "REG_DWORD", "/d", str(setting), "/f")
        if position is not None:
            left, top = position
            value = ((left & 0xFFFF) << 16) | (top & 0xFFFF)
            self.reg("add", PRODUCT_KEY, "/v", "WindowPos", "/t", "REG_DWORD", "/d", str(value), "/f")

    # --- The program's window ------------------------------------------------

    def probe(self, command="state"):
        result = self.wine(self.probe_exe, command, timeout=30)
        return json.loads(result.stdout.decode("utf-8"))

    def wait(self, predicate, what, timeout=30.0):
        """Polls the window's state until predicate holds; returns that state."""
        end = time.monotonic() + timeout
        state = None
        while time.monotonic() < end:
            state = self.probe()
            try:
                if predicate(state):
                    return state
            except (KeyError, TypeError):
                pass
            time.sleep(0.1)
        raise Failure("timed out waiting for %s; last state: %s" % (what, json.dumps(state, ensure_ascii=False)[:600]))

    def wait_window(self):
        return self.wait(lambda s: s["found"] and s["visible"], "the main window")

    def wait_place(self, predicate, what):
        """Waits for the window to reach a place. Under Wine without a window
        manager a window placed before it is first shown can show for a moment
        at the place it was created at before the X server reports the
        program's own placement."""
        return self.wait(lambda st: st["found"] and st["visible"] and predicate(st), what, timeout=10)

    def wait_gone(self, process, timeout=60):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s" % timeout)

    def close(self, process):
        if process.poll() is None:
            self.wine(self.probe_exe, "dismiss")
            self.wine(self.probe_exe, "close")
            try:
                process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def point(self, state, control_id):
        """The screen point at the middle of a control."""
        x, y, width, height = state["controls"][str(control_id)]["rect"]
        ox, oy = state["origin"]
        return ox + x + width // 2, oy + y + height // 2

    def click(self, control_id, double=False):
        x, y = self.point(self.probe(), control_id)
        command = ["xdotool", "mousemove", "--sync", str(x), str(y), "click"]
        if double:
            command += ["--repeat", "2", "--delay", "80"]
        subprocess.run(command + ["1"], check=True)

    def text(self, state, control_id):
        return state["controls"][str(control_id)]["text"]

    def screenshot(self, name):
        os.makedirs(self.screenshots, exist_ok=True)
        path = os.path.join(self.screenshots, name)
        subprocess.run(["import", "-window", "root", path], check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    # --- The clipboard -------------------------------------------------------

    def clipboard(self):
        result = self.wine(self.clipboard_exe, "print")
        return result.stdout.decode("utf-8") if result.returncode == 0 else None

    def set_clipboard(self, text):
        self.wine(self.clipboard_exe, "set", text)
        check_equal(self.clipboard(), text, "the clipboard before the job")

    # --- The desktop -----------------------------------------------------------

    def set_work_area(self, area):
        """Sets (x, y, width, height) as the desktop's work area, or removes it."""
        root = self.x.screen().root
        atom = self.x.intern_atom("_NET_WORKAREA")
        if area is None:
            root.delete_property(atom)
        else:
            root.change_property(atom, Xatom.CARDINAL, 32, list(area))
        self.x.sync()

    def cleanup(self):
        for process in self.started:
            if process is not self.keeper and process.poll() is None:
                process.kill()
                process.wait()
        if self.keeper is not None and self.keeper.poll() is None:
            self.keeper.kill()
            self.keeper.wait()


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def make_tree(root, files):
    for relative in files:
        full = os.path.join(root, relative)
        if relative.endswith("/"):
            os.makedirs(full, exist_ok=True)
        else:
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as out:
                out.write("x")


# Paths in the drop or on the command line, and the list the program makes of
# them with the default settings (relative paths, files before folders, the
# natural order, folders searched).
SAMPLE_FILES = ["報告 10.txt", "報告 2.txt", "a.txt", "サブ/x.txt", "サブ/y/", "サブ/y/z.txt"]
SAMPLE_INPUT = ["報告 10.txt", "a.txt", "サブ", "報告 2.txt"]
SAMPLE_LIST = "\r\n".join(["a.txt", "報告 2.txt", "報告 10.txt", "サブ", "サブ\\x.txt", "サブ\\y",
                           "サブ\\y\\z.txt"])

TESTS = []


def test(function):
    TESTS.append(function)
    return function


@test
def StartedWithPathsListsThemToTheClipboardAndExits(s, folder):
    make_tree(folder, SAMPLE_FILES)
    s.forget_settings()
    s.set_clipboard("before")
    process = s.start(s.program, *[wine_path(os.path.join(folder, p)) for p in SAMPLE_INPUT])
    check_equal(s.wait_gone(process), 0, "exit code")
    check_equal(s.clipboard(), SAMPLE_LIST, "the clipboard")
    check(not s.probe()["found"], "the window is gone")


@test
def AConsoleStartWithoutQuotesListsToo(s, folder):
    make_tree(folder, SAMPLE_FILES)
    s.forget_settings()
    s.set_clipboard("before")
    # From a console in the program's folder the command line holds the bare
    # program name, without quotes; paths without spaces need none either.
    program_folder = wine_path(os.path.dirname(s.program))
    paths = " ".join(wine_path(os.path.join(folder, p)) for p in ["サブ", "a.txt"])
    process = s.start("cmd", "/c", "cd /d %s && %s %s" % (program_folder, os.path.basename(s.program), paths))
    s.wait_gone(process)
    s.wait(lambda st: not st["found"], "the window to close")
    check_equal(s.clipboard(), "a.txt\r\nサブ\r\nサブ\\x.txt\r\nサブ\\y\r\nサブ\\y\\z.txt", "the clipboard")


@test
def TheRunCommandPrintsTheListOfItsPaths(s, folder):
    make_tree(folder, SAMPLE_FILES)
    s.forget_settings()
    run = os.path.join(os.path.dirname(os.path.abspath(s.wine_run)), "run.sh")
    env = dict(s.env, DORROWIN_BUILD_DIR=os.path.dirname(os.path.abspath(s.program)))
    result = subprocess.run(["bash", run] + [os.path.join(folder, p) for p in SAMPLE_INPUT], env=env,
                            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
    check_equal(result.returncode, 0, "exit code (%s)" % result.stderr.decode("utf-8", "replace").strip())
    check_equal(result.stdout.decode("utf-8"), SAMPLE_LIST + "\n", "what the run command printed")


@test
def StartedWithoutPathsShowsTheCompactLayoutAndEndsWhenClosed(s, folder):
    s.forget_settings()
    process = s.start(s.program)
    state = s.wait_place(lambda st: s.text(st, 10003) == IDLE_COMPACT and st["client"] == [80, 70],
                         "the compact window with the idle text")
    check_equal(state["title"], "Dorrowin", "title")
    for control in FULL_ONLY:
        check(not state["controls"][str(control)]["visible"], "%d hidden" % control)
    for control, place in COMPACT_PLACES.items():
        info = state["controls"][str(control)]
        check(info["visible"], "%d shown" % control)
        check_equal(info["rect"], place, "place of %d" % control)
    check(not state["controls"]["10013"]["enabled"], "Cancel is disabled")
    check(state["exStyle"] & WS_EX_ACCEPTFILES, "drops are accepted")
    check(state["exStyle"] & WS_EX_TOPMOST, "always on top")
    check_equal(state["alpha"], 255, "alpha")
    s.screenshot("compact.png")
    check(process.poll() is None, "the program still runs: no job was started")
    s.wine(s.probe_exe, "close")
    check_equal(s.wait_gone(process, 20), 0, "exit code after closing")


@test
def ClicksOnTheLabelsChangeTheirTexts(s, folder):
    s.forget_settings()
    process = s.start(s.program)
    s.wait_window()
    s.click(10017)
    state = s.wait(lambda st: st["title"] == "Dorrowin v1.04", "the full layout")
    check_equal(state["client"], [230, 210], "client size")
    for control in FULL_ONLY:
        check(state["controls"][str(control)]["visible"], "%d shown" % control)
    for control, place in FULL_PLACES.items():
        check_equal(state["controls"][str(control)]["rect"], place, "place of %d" % control)
    state = s.wait(lambda st: s.text(st, 10003) == IDLE_FULL, "the idle text in full")
    s.screenshot("full.png")

    def click_and_wait(control, text, double=False):
        s.click(control, double)
        return s.wait(lambda st: s.text(st, control) == text, "%r on %d" % (text, control))

    click_and_wait(10001, " パス：ツリー")
    click_and_wait(10001, " パス：なし")
    click_and_wait(10008, " 項目：フォルダのみ", double=True)  # two steps
    click_and_wait(10023, " パス区切り文字：/")
    click_and_wait(10002, " 拡張子：なし")
    click_and_wait(10009, " フォルダ内検索：しない")
    state = click_and_wait(10011, " 透過表示：ON")
    check_equal(state["alpha"], 192, "alpha when translucent")
    state = click_and_wait(10010, " 常に手前に表示：OFF")
    check(not state["exStyle"] & WS_EX_TOPMOST, "no longer topmost")
    s.screenshot("full-clicked.png")
    # Clicks on a label without an action change nothing.
    s.click(10003)
    s.click(10004)
    time.sleep(0.3)
    after = s.probe()
    check_equal(s.text(after, 10003), IDLE_FULL, "status after a click on it")
    check_equal(after["title"], "Dorrowin v1.04", "title after clicks without action")
    s.click(10014)
    s.wait(lambda st: st["minimized"], "the window minimized")
    s.close(process)


@test
def HoveringOverSaveShowsItsTooltip(s, folder):
    s.forget_settings()
    process = s.start(s.program)
    state = s.wait_window()
    x, y = s.point(state, 10015)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x + 200), str(y + 200)], check=True)
    time.sleep(0.3)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
    end = time.monotonic() + 10
    tips = []
    while time.monotonic() < end and "現在の状態を保存" not in tips:
        tips = s.probe("tooltip")
        time.sleep(0.2)
    check("現在の状態を保存" in tips, "tooltip over SAV, saw %r" % tips)
    s.screenshot("tooltip.png")
    # Over the status label there is none.
    x, y = s.point(state, 10003)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
    time.sleep(1.5)
    check_equal(s.probe("tooltip"), [], "tooltips over the status label")
    s.close(process)


@test
def AnX11DropPutsTheListOnTheClipboard(s, folder):
    make_tree(folder, SAMPLE_FILES)
    s.forget_settings()
    process = s.start(s.program)
    state = s.wait_window()
    s.set_clipboard("before")
    window = int(subprocess.run(["xdotool", "search", "--name", "^Dorrowin$"], check=True,
                                stdout=subprocess.PIPE).stdout.split()[0])
    x, y = s.point(state, 10003)
    xdnd_drop.drop([os.path.join(folder, p) for p in SAMPLE_INPUT], window, x, y, dpy=s.x)
    s.wait(lambda st: s.text(st, 10003) == DONE_COMPACT, "the done text")
    check_equal(s.clipboard(), SAMPLE_LIST, "the clipboard")
    state = s.probe()
    check(state["exStyle"] & WS_EX_ACCEPTFILES, "drops are accepted again")
    check(process.poll() is None, "a drop does not end the program")
    # The idle text returns with the status timer.
    s.wait(lambda st: s.text(st, 10003) == IDLE_COMPACT, "the idle text after the outcome", timeout=15)
    s.close(process)


@test
def AJobInTheFullLayoutCanBeWatchedAndCancelled(s, folder):
    # Enough files for the listing to take a few seconds.
    for d in range(150):
        sub = os.path.join(folder, "big", "d%03d" % d)
        os.makedirs(sub)
        for f in range(1000):
            os.close(os.open(os.path.join(sub, "f%d.txt" % f), os.O_CREAT | os.O_WRONLY, 0o644))
    s.forget_settings()
    process = s.start(s.program)
    s.wait_window()
    s.click(10017)
    state = s.wait(lambda st: st["title"] == "Dorrowin v1.04", "the full layout")
    s.set_clipboard("before")
    window = int(subprocess.run(["xdotool", "search", "--name", "^Dorrowin v1.04$"], check=True,
                                stdout=subprocess.PIPE).stdout.split()[0])
    x, y = s.point(state, 10003)
    xdnd_drop.drop([os.path.join(folder, "big")], window, x, y, dpy=s.x)
    state = s.wait(lambda st: s.text(st, 10003) == LISTING_FULL, "the listing text", timeout=10)
    s.screenshot("full-job.png")
    state = s.probe()
    check_equal(s.text(state, 10003), LISTING_FULL, "status after the screenshot (the job was still running)")
    check(state["controls"]["10013"]["enabled"], "Cancel is enabled during the job")
    for control in (10001, 10023, 10002, 10008, 10009, 10006, 10007, 10019, 10020):
        check(not state["controls"][str(control)]["enabled"], "%d is locked during the job" % control)
    s.click(10013)
    # The outcome text stays 4 s; on a loaded machine the poll can miss it
    # and see the idle text that follows. A job that was not cancelled would
    # have replaced the clipboard's text.
    state = s.wait(lambda st: s.text(st, 10003) in (INTERRUPTED_FULL, IDLE_FULL),
                   "the interrupted text or the idle text after it")
    check_equal(s.clipboard(), "before", "the clipboard after a cancel")
    check(not state["controls"]["10013"]["enabled"], "Cancel is disabled after the job")
    check(state["controls"]["10001"]["enabled"], "the labels are unlocked after the job")
    s.close(process)


def find_windows(name):
    result = subprocess.run(["xdotool", "search", "--name", name], stdout=subprocess.PIPE)
    return result.stdout.split()


@test
def HelpOpensTheReadmeBesideTheProgramAfterAConsoleStart(s, folder):
    s.forget_settings()
    check(os.path.exists(os.path.join(os.path.dirname(s.program), "readme.txt")), "readme.txt beside the program")
    # The command line then starts with the bare name, not a quoted path.
    process = s.start("cmd", "/c", "cd /d %s && %s" % (wine_path(os.path.dirname(s.program)),
                                                      os.path.basename(s.program)))
    s.wait_window()
    s.click(10017)
    s.wait(lambda st: st["title"] == "Dorrowin v1.04", "the full layout")
    s.click(10018)
    end = time.monotonic() + 20
    viewers = []
    while time.monotonic() < end and not viewers:
        viewers = find_windows("readme.txt")
        time.sleep(0.2)
    check(viewers, "a window shows readme.txt")
    s.screenshot("help.png")
    check_equal(s.probe("dialogs"), [], "message boxes")
    for viewer in viewers:
        subprocess.run(["xdotool", "windowclose", viewer])
    s.close(process)
    s.wait_gone(process, 20)


@test
def HelpWithoutAReadmeWarns(s, folder):
    s.forget_settings()
    lonely = os.path.join(folder, "alone")
    os.makedirs(lonely)
    program = shutil.copy(s.program, lonely)
    process = s.start(program)
    s.wait_window()
    s.click(10017)
    s.wait(lambda st: st["title"] == "Dorrowin v1.04", "the full layout")
    s.click(10018)
    end = time.monotonic() + 20
    boxes = []
    while time.monotonic() < end and not boxes:
        boxes = s.probe("dialogs")
        time.sleep(0.2)
    check_equal(len(boxes), 1, "message boxes")
    check_equal(boxes[0]["caption"], "Dorrowin v1.04", "caption")
    check_equal(boxes[0]["owner"], "Dorrowin", "owner's class")
    check("readme.txt を開けませんでした" in boxes[0]["texts"], "the warning text in %r" % boxes[0]["texts"])
    s.screenshot("help-warning.png")
    s.probe("dismiss")
    s.wait(lambda st: not s.probe("dialogs"), "the warning to close", timeout=10)
    s.close(process)


# The work area is read when a Wine session starts: each case sets it, starts
# a new session and the program with a stored place, and checks the fit.

FULL_SETTING = 0x1B120 & ~(1 << 16)  # the defaults with the full layout


def outer_size(state):
    left, top, right, bottom = state["rect"]
    return right - left, bottom - top


@test
def WorkAreaBottomRightEdgesHoldTheWindow(s, folder):
    s.set_work_area((0, 0, 1000, 700))
    s.restart_wine()
    s.store_settings(position=(990, 690))
    process = s.start(s.program)
    state = s.wait_place(lambda st: st["rect"][2:] == [1000, 700], "the compact window against the right and bottom")
    check_equal(state["title"], "Dorrowin", "title")
    s.click(10017)
    state = s.wait(lambda st: st["title"] == "Dorrowin v1.04", "the full layout")
    width, height = outer_size(state)
    check_equal(state["rect"], [1000 - width, 700 - height, 1000, 700], "full window in the corner", state)
    s.close(process)


@test
def WorkAreaAwayFromTheOriginHoldsTheWindowOnAllSides(s, folder):
    s.set_work_area((100, 50, 800, 650))  # 100, 50 to 900, 700
    s.restart_wine()
    s.store_settings(position=(0, 0))
    process = s.start(s.program)
    s.wait_place(lambda st: st["rect"][:2] == [100, 50] and st["title"] == "Dorrowin",
                 "the compact window at the work area's left and top")
    s.close(process)
    s.store_settings(setting=FULL_SETTING, position=(890, 20))
    process = s.start(s.program)
    s.wait_place(lambda st: st["rect"] == [900 - outer_size(st)[0], 50, 900, 50 + outer_size(st)[1]]
                 and st["title"] == "Dorrowin v1.04", "the full window at the right edge, below the top")
    s.close(process)


@test
def AWorkAreaNarrowerThanTheWindowPutsItsLeftEdgeOffScreen(s, folder):
    s.set_work_area((0, 0, 200, 700))
    s.restart_wine()
    s.store_settings(setting=FULL_SETTING, position=(50, 100))
    process = s.start(s.program)
    state = s.wait_place(lambda st: st["rect"][2] == 200 and st["rect"][1] == 100,
                         "the full window against the right edge")
    width, height = outer_size(state)
    check(width > 200, "the full window is wider than the work area")
    check_equal(state["rect"], [200 - width, 100, 200, 100 + height], "window against the right edge", state)
    s.close(process)


@test
def AWindowStoredAboveTheScreenComesToTheTop(s, folder):
    s.set_work_area(None)
    s.restart_wine()
    s.store_settings(position=(300, -40))
    process = s.start(s.program)
    s.wait_place(lambda st: st["rect"][:2] == [300, 0], "the window at the top edge")
    s.close(process)


def write_report(path, results):
    failures = sum(1 for _, _, failure in results if failure)
    total_time = sum(seconds for _, seconds, _ in results)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<testsuites tests="%d" failures="%d" errors="0" time="%.3f" name="AllTests">'
             % (len(results), failures, total_time),
             '  <testsuite name="EndToEnd" tests="%d" failures="%d" errors="0" time="%.3f">'
             % (len(results), failures, total_time)]
    for name, seconds, failure in results:
        lines.append('    <testcase name=%s status="run" result="completed" time="%.3f" classname="EndToEnd"%s'
                     % (quoteattr(name), seconds, ">" if failure else " />"))
        if failure:
            first = failure.strip().splitlines()[0] if failure.strip() else "failed"
            lines.append('      <failure message=%s type="">%s</failure>' % (quoteattr(first), escape(failure)))
            lines.append("    </testcase>")
    lines += ["  </testsuite>", "</testsuites>", ""]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as out:
        out.write("\n".join(lines))


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("program", "probe", "clipboard", "wine", "screenshots", "report"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--filter", default="", help="run only tests whose name contains this")
    args = parser.parse_args()

    results = []
    if not os.environ.get("DISPLAY"):
        for function in TESTS:
            results.append((function.__name__, 0.0, "no X display: DISPLAY is not set"))
        write_report(args.report, results)
        print("e2e: DISPLAY is not set", file=sys.stderr)
        return 1

    session = Session(args)
    # Text files open in Notepad, as on Windows (a fresh Wine prefix has the
    # type but does not tie the extension to it), and Japanese text is drawn
    # in a proportional face, as Windows draws it.
    associated = session.reg("query", r"HKLM\Software\Classes\.txt").returncode == 0
    if not associated:
        session.reg("add", r"HKLM\Software\Classes\.txt", "/ve", "/d", "txtfile", "/f")
    session.reg("add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", "MS UI Gothic", "/d", "IPAPGothic", "/f")
    session.keep_alive()
    work_area_changed = False
    try:
        for function in TESTS:
            if args.filter and args.filter not in function.__name__:
                continue
            work_area_changed |= function.__name__.startswith(("WorkArea", "AWorkArea", "AWindowStored"))
            folder = tempfile.mkdtemp(prefix="dorrowin-e2e-")
            began = time.monotonic()
            failure = None
            try:
                function(session, folder)
            except Failure as error:
                failure = str(error)
            except Exception:  # a broken test is a failed test
                failure = traceback.format_exc()
            finally:
                shutil.rmtree(folder, ignore_errors=True)
                for process in session.started:
                    if process is not session.keeper and process.poll() is None:
                        session.close(process)
                session.started = [p for p in session.started if p.poll() is None]
            seconds = time.monotonic() - began
            results.append((function.__name__, seconds, failure))
            print("[%s] %s (%.1f s)%s" % ("FAILED" if failure else "    OK", function.__name__, seconds,
                                          "\n" + failure if failure else ""), flush=True)
    finally:
        session.forget_settings()
        if not associated:
            session.reg("delete", r"HKLM\Software\Classes\.txt", "/f")
        if work_area_changed:
            session.set_work_area(None)
            session.restart_wine()
        session.cleanup()
        write_report(args.report, results)
    failed = sum(1 for _, _, failure in results if failure)
    print("e2e: %d passed, %d failed; screenshots in %s" % (len(results) - failed, failed, args.screenshots))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
