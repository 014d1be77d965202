"""What the tests under Wine share: checks, programs, the registry, Windows paths, the report; and the environment."""
import contextlib, os, pathlib, re, subprocess, sys, time, traceback
import xml.etree.ElementTree as ET

os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="ja_JP.UTF-8")

def check_equal(actual, expected, what):
    if actual != expected:
        raise AssertionError("%s: expected %.900r, got %.900r" % (what, expected, actual))
def run(*command, out=subprocess.PIPE, timeout=60):
    return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
def start(*command, out=subprocess.DEVNULL):  # in the background; Wine helpers it starts hold none of our pipes
    return subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL)
def windows_path(path):  # a host path as the Z: drive's
    return "Z:" + os.path.abspath(path).replace("/", "\\")

def wait(predicate, what, get, seconds=30):  # polls get() until predicate gives a true value on it; returns that
    end, seen = time.monotonic() + seconds, None
    while time.monotonic() < end:
        with contextlib.suppress(KeyError, TypeError, ValueError):  # not there yet (no window: null) or cut short
            if value := predicate(seen := get()):
                return value
        time.sleep(0.1)
    raise AssertionError("timed out waiting for %s; last seen: %.800r" % (what, seen))

def reg_values(key):  # the values under a key as `wine reg export` writes them (UTF-16); None without the key
    if run("wine", "reg", "export", key, "key.reg", "/y", out=subprocess.DEVNULL).returncode == 0:
        return dict(re.findall(r'^"(\w+)"=(.*)$', pathlib.Path("key.reg").read_text(encoding="utf-16"), re.M))

def run_tests(name, tests, report, before_each=lambda: None, after_all=lambda: None, failure=None, in_order=False):
    """Runs the tests, each after before_each(), then after_all(); writes a GoogleTest XML report and exits failed if
    one failed. Given a failure none runs; in order, a failure leaves the rest not run."""
    root = ET.Element("testsuites", name="AllTests")
    suite = ET.SubElement(root, "testsuite", name=name)
    for test in tests:
        began, failed = time.monotonic(), failure and "not run: " + failure.splitlines()[0]
        if not failed:
            before_each()
            try:
                test()
            except Exception as error:  # a broken test is a failed test too, told by its traceback
                failed = str(error) if isinstance(error, AssertionError) else traceback.format_exc()
            if in_order:
                failure = failed
        case = ET.SubElement(suite, "testcase", name=test.__name__, time="%.3f" % (time.monotonic() - began))
        if failed:
            ET.SubElement(case, "failure", message=failed.splitlines()[0]).text = failed
        print("[%s] %s%s" % ("FAILED" if failed else "    OK", test.__name__, "\n" + failed if failed else ""))
    after_all()
    root.attrib.update(tests=str(len(suite)), failures=str(len(suite.findall("testcase/failure"))))
    os.makedirs(os.path.dirname(report), exist_ok=True)
    ET.ElementTree(root).write(report, encoding="utf-8", xml_declaration=True)
    sys.exit(root.get("failures") != "0")
