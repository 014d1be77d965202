#!/usr/bin/python3
"""dorrowin.exe under Wine on $DISPLAY, driven as a user drives it, a Wine session per test. Arguments: dorrowin.exe,
window_probe.exe, clipboard_text.exe, the XML report's path, clipboard_holder.exe."""
import fnmatch, json, os, shutil, subprocess, sys, tempfile, urllib.parse
from Xlib import X, display as xdisplay
from Xlib.protocol import event
from wine_session import check_equal, run, start, windows_path, reg_values, run_tests
import wine_session

PROGRAM, PROBE, CLIPBOARD, REPORT, HOLDER = map(os.path.abspath, sys.argv[1:6])
os.environ.setdefault("WINEPREFIX", os.path.join(os.path.dirname(PROGRAM), "wineprefix"))  # the build's own
KEY, FULL = r"HKCU\Software\Quillmoor\Dorrowin", "Dorrowin v1.04"  # the settings' key, the full layout's title
SAMPLE_INPUT = ["報告 10.txt", "a.txt", "サブ", "報告 2.txt"]
# Their list with the default settings: relative paths, files first, natural order, folders scanned.
SAMPLE_LIST = "\r\n".join(["a.txt", "報告 2.txt", "報告 10.txt", "サブ", "サブ\\x.txt", "サブ\\y", "サブ\\y\\z.txt"])
# Label clicks and the text each leads to: the path form once around and on to the tree, slash, no extensions.
CLICKS = [(10001, " パス：ツリー"), (10001, " パス：なし"), (10001, " パス：絶対パス"), (10001, " パス：相対パス"),
          (10001, " パス：ツリー"), (10023, " パス区切り文字：/"), (10002, " 拡張子：なし")]
# "Setting" after them: slash, on top, folder scan, files and folders, tree; the full layout (no compact bit).
CLICKED_WORD = "dword:0002a140"
STORED_NAMES = ["Setting", "StrDB", "StrDF", "StrFB", "StrFF", "WindowPos"]
LIST = os.path.join(os.path.dirname(PROGRAM), "dorrowin-list.exe")  # the console tool, built beside the program
# A stored "Setting" and the console tool's options for the same listing; the texts of both.
CONSOLE_CASES = [(0x3110, ["-f", "absolute"]), (0x22220, ["-frelative", "--items=files", "-x", "-s", "slash"]),
                 (0x3330, ["--form", "name", "-i", "folders"]), (0x23240, ["-f", "tree", "-i", "files", "-s", "slash"])]
TEXTS = {"StrFF": "- ", "StrFB": ";", "StrDF": "[\\", "StrDB": "]"}
TEXT_OPTIONS = ["--file-prefix=- ", "--file-suffix=;", "--folder-prefix=[\\", "--folder-suffix=]"]

def wait(predicate, what, get=lambda: json.loads(run("wine", PROBE).stdout)):  # by default on the window's state
    return wine_session.wait(predicate, what, get)

def click(control, then=None):  # and waits for the text `then` on it; no --sync: it hangs when the pointer is there
    x, y = wait(lambda st: st[str(control)]["at"], "control %d" % control)
    run("xdotool", "mousemove", str(x), str(y), "click", "1")
    wait(lambda st: then is None or st[str(control)]["text"] == then, "%r on %d" % (then, control))

def start_full(program):  # starts it, idle in the compact layout, and switches to the full one with every label
    start("wine", program)
    wait(lambda st: st["10003"]["text"] == "待機中", "the idle window")
    click(10017)
    wait(lambda st: st["title"] == FULL, "the full layout")

def drop(paths):  # onto the window's status label by XDND, as a desktop file manager drops
    xd, (x, y) = xdisplay.Display(), wait(lambda st: st["10003"]["at"], "the window")
    target = xd.create_resource_object("window", int(run("xdotool", "search", "--name", FULL).stdout.split()[0]))
    atom, uris = xd.intern_atom, "".join("file://%s\r\n" % urllib.parse.quote(p) for p in paths).encode("utf-8")
    source = xd.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
    def send(kind, *values):
        data = (32, [source.id, *values, 0, 0, 0][:5])
        target.send_event(event.ClientMessage(window=target, client_type=atom(kind), data=data), event_mask=0)
        xd.flush()
    def next_event():  # or None; hands Wine the list when it asks (at XdndEnter)
        ev = xd.next_event() if xd.pending_events() else None
        if ev and ev.type == X.SelectionRequest:
            ev.requestor.change_property(ev.property, atom("text/uri-list"), 8, uris)
            fields = {name: getattr(ev, name) for name in ("time", "requestor", "target", "property", "selection")}
            ev.requestor.send_event(event.SelectionNotify(**fields), event_mask=0)
        return ev
    send("XdndEnter", 5 << 24, atom("text/uri-list"))
    send("XdndPosition", 0, x << 16 | y, X.CurrentTime, atom("XdndActionCopy"))
    wait(lambda ev: getattr(ev, "client_type", None) == atom("XdndStatus") and ev.data[1][1] & 1,
         "an XdndStatus accepting the drop", get=next_event)
    send("XdndDrop", 0, X.CurrentTime)

def ADropIsListedAndClickedLabelsAreSavedAndDeleted():
    start_full(PROGRAM)
    drop(map(os.path.abspath, SAMPLE_INPUT))
    wait(lambda st: st["10003"]["text"] == "リスト作成完了！貼り付けられます", "the listing done")
    check_equal(run("wine", CLIPBOARD, "print").stdout.decode(), SAMPLE_LIST, "the clipboard after the drop")
    for control, text in CLICKS:
        click(control, text)
    click(10015)  # SAV
    values = wait(lambda v: sorted(v) == STORED_NAMES and v, "the values SAV stores", get=lambda: reg_values(KEY))
    check_equal(values["Setting"], CLICKED_WORD, "Setting after SAV")
    click(10016)  # DEL
    wait(lambda v: v is None, "the key deleted by DEL", get=lambda: reg_values(KEY))

def hold_clipboard(ms, *paths):  # until killed or ms end; with paths as Explorer's Copy puts files there
    holder = start("wine", HOLDER, str(ms), *paths, out=subprocess.PIPE)
    check_equal(holder.stdout.readline().strip(), b"held", "the clipboard held")
    return holder

def PastedFilesAreListedAsTheirDrop():  # keys through the X server; text still pastes into an edit box
    paths = [windows_path(path) for path in SAMPLE_INPUT]
    start_full(PROGRAM)
    run("wine", CLIPBOARD, "set", "txt")
    click(10006)  # the file prefix's edit box has the focus from here on
    run("xdotool", "key", "ctrl+v")
    wait(lambda st: st["10006"]["text"] == "txt", "text pasted into the edit box")
    listed = "\r\n".join("txt" * line.endswith(".txt") + line for line in SAMPLE_LIST.split("\r\n"))  # files prefixed
    for key in ("ctrl+v", "shift+Insert"):  # the clipboard has no text until the job's list replaces the files
        hold_clipboard(600000, *paths)
        run("xdotool", "key", key)
        wait(lambda text: text == listed, "the list after " + key, get=lambda: run("wine", CLIPBOARD, "print").stdout.decode())
    check_equal(wait(lambda st: st["10006"]["text"], "the edit box"), "txt", "the edit box after the pastes")
    hold_clipboard(600000, *paths)
    check_equal(run("wine", LIST, "--paste", "--copy").returncode, 0, "--paste --copy's exit code")
    check_equal(run("wine", CLIPBOARD, "print").stdout.decode(), SAMPLE_LIST, "the clipboard after --paste --copy")
    for args, status, message in ((["--paste"], 1, "no files on the clipboard"),
                                  (["--paste", paths[0]], 2, "--paste takes no path")):
        done = subprocess.run(["wine", LIST, *args], stdin=subprocess.DEVNULL, capture_output=True, timeout=60)
        check_equal((done.returncode, "dorrowin-list: " + message in done.stderr.decode().splitlines()), (status, True),
                    "dorrowin-list %s: %r" % (" ".join(args), done.stderr))

def TheConsoleToolPrintsWhatTheWindowCopies():  # for the same settings and texts, given or saved with SAV's values
    paths = [windows_path(path) for path in SAMPLE_INPUT + ["混合"]]
    for word, options in CONSOLE_CASES:
        run("wine", "reg", "add", KEY, "/v", "Setting", "/t", "REG_DWORD", "/d", str(word), "/f")
        for name, text in TEXTS.items():
            run("wine", "reg", "add", KEY, "/v", name, "/d", text, "/f")
        check_equal(start("wine", PROGRAM, *paths).wait(60), 0, "the window's exit code")
        copied = run("wine", CLIPBOARD, "print").stdout.decode()
        given = run("wine", LIST, "--utf16", *options, *TEXT_OPTIONS, *paths).stdout.decode("utf-16-le")
        check_equal(given, copied, "dorrowin-list %s" % " ".join(options))
        check_equal(run("wine", LIST, "--saved", *paths).stdout.decode(), copied + "\r\n", "--saved, as UTF-8 lines")

def TheConsoleToolFiltersARepositoryMadeOnLinux():  # -g, -L 2 and -E (letters in either case) against git's files
    run("sh", "-c", "git init -q repo && cd repo && mkdir -p a/b build && touch x.o y.txt notes.md a/z.o a/k.txt a/b/m.txt "
        "build/out && printf '*.o\\n/build/\\n' > .gitignore && printf '!z.o\\r\\n' > a/.gitignore")
    repo = windows_path("repo")
    files = run("git", "-C", "repo", "ls-files", "--others", "--exclude-standard", "-z").stdout.decode().split("\0")
    expected = sorted(repo + "\\" + f.replace("/", "\\") for f in files
                      if f and f.count("/") < 2 and not fnmatch.fnmatch(os.path.basename(f), "*.md"))
    listed = run("wine", LIST, "-g", "-L", "2", "-E", "*.MD", "-f", "absolute", "-i", "files", repo).stdout.decode()
    check_equal(sorted(listed.split("\r\n")[:-1]), expected, "dorrowin-list.exe -g -L 2 -E *.MD")

def ClosingMidScanEndsTheJobAtOnceAndKeepsTheClipboard():  # the window closed, or the session ending, mid-scan
    run("python3", "-c", "import os\nfor d in range(300):\n os.makedirs('big/%d' % d)\n for f in range(500): "
        "open('big/%d/%d' % (d, f), 'w')", timeout=600)  # 150,000 files
    for how in ("close", "endsession"):
        for _ in range(5):  # until it lands mid-scan: a scan that ended first copied the whole list
            run("wine", CLIPBOARD, "set", "kept")
            start("wine", PROBE, how, "scanning")  # ends the window as soon as it shows the scan
            check_equal(start("wine", PROGRAM, windows_path("big")).wait(120), 0, "the exit code")
            if (text := run("wine", CLIPBOARD, "print").stdout.decode()) == "kept":
                break
            check_equal(len(text.splitlines()), 150301, "the clipboard after " + how + " (kept, or the whole list)")
        check_equal(text, "kept", "the clipboard after " + how + " mid-scan, in one of five runs")

def ClosingWhileAnotherProgramHoldsTheClipboardEndsAndKeepsIt():  # closed in the copy phase, waiting for the clipboard
    path = windows_path("サブ")
    for _ in range(5):  # until the close lands in the copy phase, which lasts as long as the program waits
        run("wine", CLIPBOARD, "set", "kept")
        holder = hold_clipboard(3600000)
        probe = start("wine", PROBE, "close", "copying", out=subprocess.PIPE)
        check_equal(start("wine", PROGRAM, path).wait(120), 0, "the exit code")
        landed = probe.communicate(timeout=120)[0].decode().strip()
        holder.kill(), holder.wait()
        check_equal(run("wine", CLIPBOARD, "print").stdout.decode(), "kept", "the clipboard after the close")
        if landed == "closed":
            return
    raise AssertionError("the close never landed in the copy phase; last: %r" % landed)

def TheWindowIsMadeForEachDpiAndRemadeInPlace():  # at each LogPixels; after a WM_DPICHANGED to another DPI and back
    desktop, changes, seen = r"HKCU\Control Panel\Desktop", {96: 144, 120: 192, 144: 96, 192: 120}, {}
    try:
        for dpi, new in changes.items():  # a new session for each: the Wine server reads the DPI as it starts
            run("sh", "-c", f"wine reg add '{desktop}' /v LogPixels /t REG_DWORD /d {dpi} /f; wineserver -k; wineserver -w;"
                " wineserver -p; wine cmd /c exit", out=subprocess.DEVNULL)
            seen[dpi] = json.loads(run("wine", PROBE, "dpi", str(new)).stdout)
    finally:  # the next test's session is at 96 DPI again
        run("wine", "reg", "add", desktop, "/v", "LogPixels", "/t", "REG_DWORD", "/d", "96", "/f")
    controls = lambda layout: {id: control for id, control in layout.items() if id.isdigit()}
    same = lambda layout, but=(): {k: v for k, v in layout.items() if k not in ("rect", "suggested", "gdi", *but)}
    off = lambda got, at96, dpi: [(g, a) for g, a in zip(got, at96) if abs(g - a * dpi / 96) > 1]
    fits, at96 = lambda text: text[0] <= text[2] and text[1] <= text[3], seen[96]
    check_equal([at96[0]["client"], at96[1]["client"]], [[80, 70], [230, 210]], "the client areas at 96 DPI")
    fitting = {(id, t[4]) for layout in at96 for id, c in controls(layout).items() for t in c["texts"] if fits(t)}
    for dpi, layouts in seen.items():  # compact, full; full and compact at the new DPI; compact and full back; full
        for i, layout in enumerate(layouts[:6]):
            check_equal(layout["minimum"], layouts[[0, 0, 3, 3, 4, 4][i]]["window"], "the smallest size")
            cut = [(id, t) for id, c in controls(layout).items() for t in c["texts"] if (id, t[4]) in fitting and not fits(t)]
            check_equal(cut, [], "the texts cut at %d DPI" % layout["dpi"])
        for layout, reference in zip(layouts[:2], at96):  # 96 DPI's places, client area, tooltip and fonts in proportion
            sizes = {id: off(c["at"], controls(reference)[id]["at"], dpi) for id, c in controls(layout).items()}
            sizes.update(window=off(layout["client"] + [layout["tooltip"]], reference["client"] + [reference["tooltip"]], dpi))
            check_equal(sizes, dict.fromkeys(sizes, []), "the controls, client area and tooltip at %d DPI" % dpi)
            fonts = {id: c["font"] - controls(reference)[id]["font"] * dpi / 96 for id, c in controls(layout).items()}
            check_equal({id: d for id, d in fonts.items() if not -2 <= d <= 0.5}, {}, "fonts against 96 DPI's scaled")
        check_equal([layouts[2]["rect"], layouts[4]["rect"]], [layouts[2]["suggested"], layouts[4]["suggested"]],
                    "the window on the rectangles suggested at %d DPI" % dpi)
        # Wine makes objects of its own for a DPI the first time it meets it: the second change and back makes none.
        check_equal(layouts[6]["gdi"], layouts[5]["gdi"], "GDI objects at %d DPI after another change and back" % dpi)
        new = changes[dpi]
        check_equal([same(l, ["client"]) for l in layouts[2:4]], [same(l, ["client"]) for l in seen[new][1::-1]],
                    "remade for %d DPI" % new)
        check_equal([same(l) for l in layouts[4:6]], [same(l) for l in layouts[:2]],
                    "the window remade for %d DPI again" % dpi)

os.chdir(folder := tempfile.mkdtemp(prefix="dorrowin-e2e-"))  # the sample tree; the tests add key.reg
run("sh", "-c", "mkdir -p サブ/y && touch '報告 10.txt' '報告 2.txt' a.txt サブ/x.txt サブ/y/z.txt")
run("sh", "-c", "mkdir -p 混合/Ab 混合/がく && touch 混合/ab2.txt 混合/AB10.TXT 混合/Ab/ｶﾞ3 混合/がく/カク1.md 混合/ｶｸ.c")
# Unmanaged windows close at once (with no window manager Wine waits 2 s for one).
run("wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f", out=subprocess.DEVNULL)
def before_each():  # a new session, ending what the last test left running
    run("sh", "-c", f"wineserver -k; wineserver -w; wineserver -p; wine reg delete '{KEY}' /f", out=subprocess.DEVNULL)
    start("wine", CLIPBOARD, "hold", "3600")  # Wine empties the clipboard once the session's last program ends
def after_all():  # no program left running, and a session started for the Wine programs after this one
    os.chdir("/")
    shutil.rmtree(folder)
    run("sh", "-c", "wineserver -k; wineserver -w; wineserver -p; wine cmd /c exit", out=subprocess.DEVNULL)
run_tests("EndToEnd", (ADropIsListedAndClickedLabelsAreSavedAndDeleted, PastedFilesAreListedAsTheirDrop,
                       TheConsoleToolPrintsWhatTheWindowCopies, TheConsoleToolFiltersARepositoryMadeOnLinux,
                       ClosingMidScanEndsTheJobAtOnceAndKeepsTheClipboard,
                       ClosingWhileAnotherProgramHoldsTheClipboardEndsAndKeepsIt,
                       TheWindowIsMadeForEachDpiAndRemadeInPlace), REPORT, before_each, after_all)
