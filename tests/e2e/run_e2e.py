#!/usr/bin/python3
"""End-to-end tests of dorrowin.exe under Wine on the X display in $DISPLAY, driven from outside as a user
drives it; the window is read with window_probe.exe, the clipboard with clipboard_text.exe."""
import argparse, json, os, re, select, shutil, subprocess, sys, tempfile, time, traceback, urllib.parse
import xml.etree.ElementTree as ET
from Xlib import X, Xatom, display as xdisplay
from Xlib.protocol import event

KEY = r"HKCU\Software\Quillmoor\Dorrowin"
COMPACT, FULL, IDLE_FULL = "Dorrowin", "Dorrowin v1.04", "ファイル・フォルダをドロップして下さい"
TOPMOST, ACCEPTFILES = 0x8, 0x10  # extended window styles
SAMPLE_FILES = ["報告 10.txt", "報告 2.txt", "a.txt", "サブ/x.txt", "サブ/y/z.txt"]
SAMPLE_INPUT = ["報告 10.txt", "a.txt", "サブ", "報告 2.txt"]
# The list with the default settings: relative paths, files first, natural order, folders scanned.
SAMPLE_LIST = "\r\n".join(["a.txt", "報告 2.txt", "報告 10.txt", "サブ", "サブ\\x.txt", "サブ\\y", "サブ\\y\\z.txt"])
# The clickable setting labels, each with its texts in click order from the default.
LABELS = [(10001, [" パス：相対パス", " パス：ツリー", " パス：なし", " パス：絶対パス"]),
          (10023, [" パス区切り文字：\\", " パス区切り文字：/"]), (10002, [" 拡張子：あり", " 拡張子：なし"]),
          (10008, [" 項目：ファイルとフォルダ", " 項目：ファイルのみ", " 項目：フォルダのみ"]),
          (10009, [" フォルダ内検索：する", " フォルダ内検索：しない"]),
          (10010, [" 常に手前に表示：ON", " 常に手前に表示：OFF"]), (10011, [" 透過表示：OFF", " 透過表示：ON"])]
# The four affix edit boxes: id, value name, typed text.
AFFIXES = [(10006, "StrFF", "F<"), (10007, "StrFB", ">f"), (10019, "StrDF", "D["), (10020, "StrDB", "]d")]
# Names only, slash, no extensions, folders only, no scan, translucent, not on top, full layout.
CLICKED_WORD = 0x20000 | 0x4000 | 0x300 | 0x30

class Failure(Exception):
    """A failed expectation."""

def check(condition, message):
    if not condition:
        raise Failure(message)

def check_equal(actual, expected, what):
    check(actual == expected, "%s: expected %.900r, got %.900r" % (what, expected, actual))

def run(*command, timeout=60, env=None, out=subprocess.PIPE):
    return subprocess.run(command, env=env or ENV, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
                          timeout=timeout)

def wine(*args, timeout=60):
    return run(os.path.join(ARGS.tools, "wine-run.sh"), *args, timeout=timeout)

def start(*args):
    """A Wine program in the background, its output nowhere: Wine helpers it starts hold none of our pipes."""
    return subprocess.Popen([os.path.join(ARGS.tools, "wine-run.sh"), *args], env=ENV, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

def ended(process, close=False):  # its exit code; a program still running after 60 s fails the test
    if close:
        wine(ARGS.probe, "close")
    return process.wait(timeout=60)

def restart_wine(keeper=True):
    """A new Wine session, ending whatever a test left running and reading the work area afresh. Wine empties
    the clipboard once the session's last program ends: a helper program stays alive."""
    run("sh", "-c", "wineserver -k; wineserver -w; wineserver -p", out=subprocess.DEVNULL)
    if keeper:
        start(ARGS.clipboard, "hold", "3600")
    run("wine", "cmd", "/c", "exit", out=subprocess.DEVNULL)

def probe(command="state"):
    return json.loads(wine(ARGS.probe, command, timeout=30).stdout.decode("utf-8"))

def wait(predicate, what, get=probe, timeout=30):
    """Polls get() (the window's state) until predicate holds on its answer; returns that answer."""
    end, seen = time.monotonic() + timeout, None
    while time.monotonic() < end:
        try:  # an answer that is not there yet or cut short is polled again
            seen = get()
            if predicate(seen):
                return seen
        except (KeyError, TypeError, ValueError):
            pass
        time.sleep(0.1)
    raise Failure("timed out waiting for %s; last seen: %s" % (what, json.dumps(seen, ensure_ascii=False)[:800]))

def ctl(state, control):
    return state["controls"][str(control)]

def wait_text(control, wanted, timeout=30):
    return wait(lambda st: ctl(st, control)["text"] == wanted, "%r on %d" % (wanted, control), timeout=timeout)

def point(state, control):
    x, y, width, height = ctl(state, control)["rect"]
    return state["origin"][0] + x + width // 2, state["origin"][1] + y + height // 2

def click(control, double=False, state=None):
    x, y = point(state or probe(), control)
    run("xdotool", "mousemove", str(x), str(y), "click", *(["--repeat", "2", "--delay", "80"] if double else []), "1")

def x_window(title):
    return int(run("xdotool", "search", "--name", "^%s$" % re.escape(title)).stdout.split()[0])

def clipboard():
    result = wine(ARGS.clipboard, "print")
    return result.stdout.decode("utf-8") if result.returncode == 0 else None

def set_clipboard(value):
    wine(ARGS.clipboard, "set", value)
    check_equal(clipboard(), value, "the clipboard before the job")

def stored(folder):
    """The values under the product key as `wine reg export` writes them, or None without the key."""
    if wine("reg", "export", KEY, wine_path(folder, "key.reg"), "/y").returncode != 0:
        return None
    with open(os.path.join(folder, "key.reg"), encoding="utf-16") as file:
        return dict(re.findall(r'^"(\w+)"=(.*)$', file.read().replace("\r", ""), re.M))

def wine_path(*parts):
    return "Z:" + os.path.abspath(os.path.join(*parts)).replace("/", "\\")

def drop(paths):
    """Drops the paths onto the window's status label by XDND, as a desktop file manager does."""
    state = probe()
    target = XD.create_resource_object("window", x_window(state["title"]))
    atom = XD.intern_atom
    uris = "".join("file://%s\r\n" % urllib.parse.quote(path) for path in paths).encode("utf-8")
    source = XD.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
    def send(kind, *values):
        data = (32, [source.id, *values] + [0] * (4 - len(values)))
        target.send_event(event.ClientMessage(window=target, client_type=atom(kind), data=data), event_mask=0)
        XD.flush()
    def wait_for(kind):  # hands Wine the URI list when it asks
        end = time.monotonic() + 10
        while time.monotonic() < end:
            while XD.pending_events():
                ev = XD.next_event()
                if ev.type == X.SelectionRequest:
                    ev.requestor.change_property(ev.property, atom("text/uri-list"), 8, uris)
                    notify = event.SelectionNotify(time=ev.time, requestor=ev.requestor, target=ev.target,
                                                   property=ev.property, selection=ev.selection)
                    ev.requestor.send_event(notify, event_mask=0)
                    XD.flush()
                elif ev.type == X.ClientMessage and ev.client_type == atom(kind):
                    return ev
            select.select([XD.fileno()], [], [], 0.05)
        raise Failure("no %s from the window" % kind)

    x, y = point(state, 10003)
    send("XdndEnter", 5 << 24, atom("text/uri-list"))
    send("XdndPosition", 0, x << 16 | y, X.CurrentTime, atom("XdndActionCopy"))
    check(wait_for("XdndStatus").data[1][1] & 1, "the window accepts the drop")
    send("XdndDrop", 0, X.CurrentTime)
    wait_for("XdndFinished")
    source.destroy()

def TheCommandLineListsToTheClipboard(folder):
    set_clipboard("before")
    check_equal(ended(start(ARGS.program, *[wine_path(folder, p) for p in SAMPLE_INPUT])), 0, "exit code")
    check_equal(clipboard(), SAMPLE_LIST, "the clipboard after a start with paths")
    check(not probe()["found"], "the window is gone")
    # From a console in the program's folder the command line holds the bare name, without quotes.
    set_clipboard("before")
    ended(start("cmd", "/c", "cd /d %s && %s %s" % (wine_path(os.path.dirname(ARGS.program)),
                                                   os.path.basename(ARGS.program), wine_path(folder, "サブ"))))
    check_equal(clipboard(), "サブ\r\nサブ\\x.txt\r\nサブ\\y\r\nサブ\\y\\z.txt", "the clipboard after a console start")
    result = run("bash", os.path.join(ARGS.tools, "run.sh"), *[os.path.join(folder, p) for p in SAMPLE_INPUT],
                 timeout=300, env=dict(ENV, DORROWIN_BUILD_DIR=os.path.dirname(ARGS.program)))
    check_equal((result.returncode, result.stdout.decode("utf-8")), (0, SAMPLE_LIST + "\n"), "the run command")

def TheWindowListsADropAndCancelsAJob(folder):
    for d in range(200):  # enough files for a listing of more than a second
        os.makedirs(os.path.join(folder, "big", "d%03d" % d))
        for f in range(1000):
            os.close(os.open(os.path.join(folder, "big", "d%03d" % d, "f%d.txt" % f), os.O_CREAT | os.O_WRONLY))
    process = start(ARGS.program)
    compact = (COMPACT, [80, 70], "待機中", False, TOPMOST | ACCEPTFILES)
    wait(lambda st: (st["title"], st["client"], ctl(st, 10003)["text"], ctl(st, 10001)["visible"],
                     st["exStyle"] & (TOPMOST | ACCEPTFILES)) == compact, "the compact window, idle, on top")
    set_clipboard("before")
    drop([os.path.join(folder, p) for p in SAMPLE_INPUT])
    wait_text(10003, "完了！")
    check_equal(clipboard(), SAMPLE_LIST, "the clipboard after the drop")
    click(10017)
    full = wait(lambda st: st["title"] == FULL and st["client"] == [230, 210], "the full layout")
    drop([os.path.join(folder, "big")])
    state = wait_text(10003, "リスト作成中...", timeout=10)
    click(10013, state=full)  # at once, while the job runs
    check(ctl(state, 10013)["enabled"] and not ctl(state, 10001)["enabled"], "Cancel enabled, labels locked in a job")
    # A job that ended before the cancel would have replaced the clipboard's text.
    state = wait(lambda st: ctl(st, 10003)["text"] in ("作業を中断しました", IDLE_FULL), "the interrupted text")
    check_equal(clipboard(), SAMPLE_LIST, "the clipboard after the cancel")
    check(not ctl(state, 10013)["enabled"] and ctl(state, 10001)["enabled"], "Cancel disabled, labels free after it")
    ended(process, close=True)

def ClickedSettingsAreSavedLoadedAndDeleted(folder):
    # A console start: Help must find readme.txt beside a program named without its path.
    process = start("cmd", "/c", "cd /d %s && %s" % (wine_path(os.path.dirname(ARGS.program)),
                                                    os.path.basename(ARGS.program)))
    wait(lambda st: st["visible"], "the window")
    click(10017)
    state = wait(lambda st: st["title"] == FULL, "the full layout")
    check(not ctl(state, 10016)["enabled"], "DEL is disabled with nothing saved")
    clicked = {}
    for control, texts in LABELS:
        check_equal(ctl(state, control)["text"], texts[0], "the default text of %d" % control)
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
    run("xdotool", "windowmove", str(x_window(FULL)), "333", "222")
    wait(lambda st: st["rect"][:2] == [333, 222] and all(ctl(st, c)["text"] == t for c, t in clicked.items()),
         "the window moved and the texts typed")
    click(10018)
    wait(bool, "Help to open readme.txt", timeout=20,
         get=lambda: run("xdotool", "search", "--name", "readme.txt").stdout.split())
    check_equal(probe("dialogs"), [], "message boxes after Help")
    run("xdotool", "search", "--name", "readme.txt", "windowclose", "%@")
    click(10015)
    wait(lambda st: ctl(st, 10016)["enabled"], "DEL enabled after SAV")
    expected = {"Setting": "dword:%08x" % CLICKED_WORD, "WindowPos": "dword:%04x%04x" % (333, 222)}
    expected.update((name, '"%s"' % typed) for _, name, typed in AFFIXES)
    check_equal(stored(folder), expected, "the stored values after SAV")
    ended(process, close=True)
    # A copy of the program without readme.txt beside it loads the same settings.
    os.makedirs(os.path.join(folder, "alone"))
    process = start(shutil.copy(ARGS.program, os.path.join(folder, "alone")))
    state = wait(lambda st: st["visible"] and st["rect"][:2] == [333, 222] and st["title"] == FULL,
                 "the saved place and layout", timeout=15)
    check_equal({c: ctl(state, c)["text"] for c in clicked}, clicked, "the texts after a restart")
    check_equal((state["alpha"], state["exStyle"] & TOPMOST), (192, 0), "alpha and topmost after a restart")
    click(10018)
    boxes = wait(bool, "the warning", get=lambda: probe("dialogs"), timeout=20)
    check_equal(boxes, [[FULL, "readme.txt を開けませんでした"]], "the message boxes after Help")
    probe("dismiss")
    click(10016)
    wait(lambda st: not ctl(st, 10016)["enabled"], "DEL disabled after DEL")
    check_equal(stored(folder), None, "the stored values after DEL")
    click(10014)
    wait(lambda st: st["minimized"], "the window minimized")
    ended(process, close=True)

def TheWindowIsFittedIntoTheWorkArea(folder):
    XD.screen().root.change_property(XD.intern_atom("_NET_WORKAREA"), Xatom.CARDINAL, 32, [100, 50, 800, 650])
    XD.sync()
    restart_wine()
    try:
        # Stored setting (None: defaults, compact; 0xB120: defaults, full), stored place, the two sides fitted.
        for setting, place, fitted in [(None, (20, 690), lambda r: (r[0], r[3]) == (100, 700)),
                                       (0xB120, (890, 10), lambda r: (r[1], r[2]) == (50, 900))]:
            for name, value in (("Setting", setting), ("WindowPos", place[0] << 16 | place[1])):
                if value is not None:
                    wine("reg", "add", KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")
            process = start(ARGS.program)
            wait(lambda st: st["visible"] and fitted(st["rect"]) and st["title"] == (FULL if setting else COMPACT),
                 "the window stored at %r inside the work area" % (place,), timeout=15)
            ended(process, close=True)
    finally:
        XD.screen().root.delete_property(XD.intern_atom("_NET_WORKAREA"))
        XD.sync()

TESTS = [TheCommandLineListsToTheClipboard, TheWindowListsADropAndCancelsAJob, ClickedSettingsAreSavedLoadedAndDeleted,
         TheWindowIsFittedIntoTheWorkArea]

def write_report(path, results):
    counts = {"tests": str(len(results)), "failures": str(sum(1 for r in results if r[2])), "errors": "0"}
    root = ET.Element("testsuites", counts, name="AllTests")
    suite = ET.SubElement(root, "testsuite", counts, name="EndToEnd")
    for name, seconds, failure in results:
        case = ET.SubElement(suite, "testcase", name=name, status="run", result="completed", time="%.3f" % seconds,
                             classname="EndToEnd")
        if failure:
            ET.SubElement(case, "failure", message=failure.splitlines()[0], type="").text = failure
    os.makedirs(os.path.dirname(path), exist_ok=True)
    ET.ElementTree(root).write(path, encoding="utf-8", xml_declaration=True)

def main():
    global ARGS, ENV, XD
    parser = argparse.ArgumentParser(description=__doc__)
    for option in ("program", "probe", "clipboard", "tools", "report"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--filter", default="", help="run only the tests whose name contains this")
    ARGS = parser.parse_args()
    ENV = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="ja_JP.UTF-8")
    ENV.setdefault("WINEPREFIX", os.path.join(ARGS.tools, "..", "build", "windows", "wineprefix"))
    # An X client of our own for the whole run: without one Xvfb resets, forgetting the root window's
    # properties, whenever the last Wine program ends.
    XD, results = xdisplay.Display(), []
    # Help opens readme.txt with Notepad; a fresh prefix does not tie .txt to it.
    wine("reg", "add", r"HKLM\Software\Classes\.txt", "/ve", "/d", "txtfile", "/f")
    for function in [t for t in TESTS if ARGS.filter in t.__name__]:
        restart_wine()
        wine("reg", "delete", KEY, "/f")
        shm = "/dev/shm" if os.access("/dev/shm", os.W_OK) else None  # in memory: large trees are made fast
        folder, began, failure = tempfile.mkdtemp(prefix="dorrowin-e2e-", dir=shm), time.monotonic(), None
        for relative in SAMPLE_FILES:  # the sample tree every test may use
            os.makedirs(os.path.dirname(os.path.join(folder, relative)), exist_ok=True)
            open(os.path.join(folder, relative), "w").close()
        try:
            function(folder)
        except Exception as error:  # a broken test is a failed test too, told by its traceback
            failure = str(error) if isinstance(error, Failure) else traceback.format_exc()
        wine("reg", "delete", KEY, "/f")
        shutil.rmtree(folder, ignore_errors=True)
        results.append((function.__name__, time.monotonic() - began, failure))
        print("[%s] %s (%.1f s)%s" % ("FAILED" if failure else "    OK", function.__name__, results[-1][1],
                                      "\n" + failure if failure else ""), flush=True)
    restart_wine(keeper=False)
    write_report(ARGS.report, results)
    failed = sum(1 for r in results if r[2])
    print("e2e: %d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0

if __name__ == "__main__":
    sys.exit(main())
