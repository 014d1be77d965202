#!/usr/bin/python3
"""The Windows installer under Wine in a fresh prefix: silent installs into a chosen folder and over it, a silent
uninstall; an install into the default folder and an uninstall through its window. Arguments: the build folder, the
version, shortcut_target.exe, clipboard_text.exe, the XML report's path."""
import functools, os, pathlib, shutil, subprocess, sys, tempfile, traceback, zipfile
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "e2e"))
import wine_session
from wine_session import check_equal, start, windows_path, reg_values as values, run_tests

BUILD, VERSION, SHORTCUT, CLIPBOARD, REPORT = os.path.abspath(sys.argv[1]), sys.argv[2], *map(os.path.abspath, sys.argv[3:6])
PREFIX = os.path.join(BUILD, "install-prefix")
os.environ.update(WINEPREFIX=PREFIX)
SETUP = os.path.join(BUILD, "dorrowin-%s-win64-setup.exe" % VERSION)
README = pathlib.Path(__file__).resolve().parents[2] / "resources" / "readme.txt"
ENTRY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dorrowin"
SETTINGS, MAKER = r"HKCU\Software\Quillmoor\Dorrowin", r"HKCU\Software\Quillmoor"
# Saved as SAV saves them (bare names of files only, and the four texts); the sample's list with them and without.
SAVED = [("Setting", "REG_DWORD", str(3 << 4 | 2 << 8 | 1 << 12 | 1 << 13))]
SAVED += [(name, "REG_SZ", text) for name, text in (("StrFF", "- "), ("StrFB", ";"), ("StrDF", "["), ("StrDB", "]"))]
SAVED_LIST, DEFAULT_LIST = "- x.txt;\r\n- z.txt;", "サブ\r\nサブ\\x.txt\r\nサブ\\y\r\nサブ\\y\\z.txt"

run = functools.partial(wine_session.run, out=subprocess.DEVNULL, timeout=120)
def wait(predicate, what):  # each silent run returns before its work may be done
    wine_session.wait(lambda _: predicate(), what, lambda: None, 60)
def host(path):  # a Windows path of the prefix's C: or the host's Z: as a host path
    drive, rest = path[0].upper(), path[2:].replace("\\", "/")
    return (os.path.join(PREFIX, "drive_c") if drive == "C" else "") + rest
def install(*options):  # through cmd, as typed there: /D= is the command line's unquoted end
    check_equal(run("wine", "cmd", "/c", " ".join([windows_path(SETUP), "/S", *options])
                    ).returncode, 0, "the installer's exit code")
    wait(lambda: (values(ENTRY) or {}).get("EstimatedSize"), "the uninstall entry")

def check_installed(folder):  # the files, the shortcuts and the entry
    files = sorted(os.listdir(host(folder)))
    check_equal(files, ["dorrowin-list.exe", "dorrowin.exe", "readme.txt", "uninstall.exe"], "the installed files")
    check_equal(pathlib.Path(host(folder), "readme.txt").read_bytes(), README.read_bytes(), "the installed readme.txt")
    check_equal(run("wine", folder + "\\dorrowin-list.exe", "--version", out=subprocess.PIPE).stdout.decode().split(),
                ["dorrowin-list", VERSION], "the installed console tool's version")
    program = folder + "\\dorrowin.exe"
    targets = run("wine", SHORTCUT, SENDTO_LINK, START_LINK, out=subprocess.PIPE).stdout.decode().splitlines()
    check_equal(targets, [program, program], "the shortcuts' targets")
    size = sum(os.path.getsize(os.path.join(host(folder), name)) for name in files) // 1024
    check_equal(values(ENTRY), {
        "DisplayName": '"Dorrowin"', "DisplayVersion": '"%s"' % VERSION, "Publisher": '"Quillmoor"',
        "InstallLocation": '"%s"' % folder.replace("\\", "\\\\"), "DisplayIcon": '"%s,0"' % program.replace("\\", "\\\\"),
        "UninstallString": r'"\"%s\\uninstall.exe\""' % folder.replace("\\", "\\\\"),
        "QuietUninstallString": r'"\"%s\\uninstall.exe\" /S"' % folder.replace("\\", "\\\\"),
        "EstimatedSize": "dword:%08x" % size, "NoModify": "dword:00000001", "NoRepair": "dword:00000001"}, "the entry")

def listed(folder):  # the clipboard after the installed program ran on the sample folder, as Send To runs it
    holder = start("wine", CLIPBOARD, "hold", "600")
    try:
        check_equal(run("wine", folder + "\\dorrowin.exe", windows_path("サブ")).returncode, 0, "the exit code")
        return run("wine", CLIPBOARD, "print", out=subprocess.PIPE).stdout.decode()
    finally:
        holder.kill()
        holder.wait()

def check_uninstalled(folder):
    wait(lambda: not os.path.exists(host(folder)) and values(ENTRY) is None, "the folder and the entry removed")
    gone = [link for link in (SENDTO_LINK, START_LINK) if os.path.exists(host(link))]
    check_equal(gone, [], "the shortcuts left")

def ASilentInstallIntoAChosenFolderMakesTheShortcutsAndTheEntry():
    install("/D=" + CHOSEN)
    check_installed(CHOSEN)
    check_equal(listed(CHOSEN), DEFAULT_LIST, "the clipboard with the default settings")

def InstallingAgainGoesThereReplacesTheProgramsAndKeepsTheSettings():
    for name, kind, data in SAVED:
        run("wine", "reg", "add", SETTINGS, "/v", name, "/t", kind, "/d", data, "/f")
    for name in ("readme.txt", "dorrowin-list.exe"):
        pathlib.Path(host(CHOSEN), name).write_text("an older version's")
    run("wine", "reg", "delete", ENTRY, "/v", "EstimatedSize", "/f")  # written again last
    install()
    check_installed(CHOSEN)
    check_equal(listed(CHOSEN), SAVED_LIST, "the clipboard with the saved settings")

def TheSilentUninstallerRemovesEverythingButTheSettings():
    run("wine", CHOSEN + "\\uninstall.exe", "/S")
    check_uninstalled(CHOSEN)
    check_equal(sorted(values(SETTINGS) or {}), sorted(name for name, _, _ in SAVED), "the settings kept")

def TheDefaultFolderAndTheUninstallerAskedInJapaneseToRemoveTheSettings():
    install()
    check_installed(DEFAULT)
    run("wine", "reg", "add", MAKER + r"\Other", "/f")  # someone else's key: the maker's stays for it
    uninstaller = start("wine", DEFAULT + "\\uninstall.exe", "/REMOVESETTINGS")
    title = "Dorrowin %s アンインストール" % VERSION  # the ticked settings are on its first page; Enter uninstalls
    window = lambda: run("xdotool", "search", "--name", title, out=subprocess.PIPE).stdout.split()
    wait(window, title)
    run("xdotool", "windowfocus", window()[0])
    run("xdotool", "key", "Return")
    check_uninstalled(DEFAULT)
    wait(lambda: values(SETTINGS) is None, "the settings removed")
    check_equal(values(MAKER + r"\Other"), {}, "the other key under the maker's")
    run("xdotool", "key", "Return")  # Close
    check_equal(uninstaller.wait(60), 0, "the uninstaller's exit code")

os.chdir(folder := tempfile.mkdtemp(prefix="dorrowin-install-"))
run("sh", "-c", "mkdir -p サブ/y && touch サブ/x.txt サブ/y/z.txt")
CHOSEN = windows_path(os.path.join(folder, "私の ツール", "Dorrowin"))
failure = None
try:
    check_equal(run("cmake", "--build", BUILD, "--target", "package").returncode, 0, "building the packages")
    with zipfile.ZipFile(os.path.join(BUILD, "dorrowin-%s-win64.zip" % VERSION)) as package:  # the zip beside it
        check_equal(sorted(package.namelist()), ["dorrowin-list.exe", "dorrowin.exe", "readme.txt"], "the zip's files")
    run("wineserver", "-k")
    shutil.rmtree(PREFIX, ignore_errors=True)
    run("wineboot", "-i")
    run("wineserver", "-p")  # the session stays between the programs; unmanaged windows close at once
    run("wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N", "/f")
    folders = run("wine", "cmd", "/c", "echo %LOCALAPPDATA%^|%APPDATA%", out=subprocess.PIPE).stdout.decode()
    local, roaming = folders.strip().split("|")
    DEFAULT = local + r"\Programs\Dorrowin"
    SENDTO_LINK = roaming + r"\Microsoft\Windows\SendTo\Dorrowin.lnk"
    START_LINK = roaming + r"\Microsoft\Windows\Start Menu\Programs\Dorrowin.lnk"
except Exception as error:
    failure = "the set-up failed: %s\n%s" % (error, traceback.format_exc())
def after_all():
    run("wineserver", "-k")
    os.chdir("/")
    shutil.rmtree(folder)
    shutil.rmtree(PREFIX, ignore_errors=True)
run_tests("Installer", (ASilentInstallIntoAChosenFolderMakesTheShortcutsAndTheEntry,
                        InstallingAgainGoesThereReplacesTheProgramsAndKeepsTheSettings,
                        TheSilentUninstallerRemovesEverythingButTheSettings,
                        TheDefaultFolderAndTheUninstallerAskedInJapaneseToRemoveTheSettings),
          REPORT, after_all=after_all, failure=failure, in_order=True)  # each on what the one before left
