#!/usr/bin/python3
"""Compares dorrowin-list --gitignore with git on random repositories: random folders and files, random .gitignore
files (nested, CR LF) and info/exclude made of patterns of every kind. The test command runs it on 30.

    python3 tools/gitignore-fuzz.py [SEED [COUNT [DORROWIN_LIST]]]

Prints each repository where the files differ (and keeps the last in build/gitignore-fuzz-mismatch), then a count."""
import os, random, shutil, subprocess, sys, tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SEED, COUNT = (int(sys.argv[i]) if len(sys.argv) > i else d for i, d in ((1, 1), (2, 200)))
TOOL = sys.argv[3] if len(sys.argv) > 3 else os.path.join(ROOT, "build/native/dorrowin-list")
NAMES = ["a", "b", "ab", "a.o", "b.o", "x.txt", "foo", "bar", "Foo", "a b", "c", "[x]", "d.log", "e*", "q?", "!n", "#h",
         "sp ", "a\\b"]
ATOMS = ["*", "?", "a", "b", "o", ".", "**", "/", "[ab]", "[!a]", "[a-c]", "[[:alpha:]]", "\\*", "foo", "bar", "x", "t",
         "l", "g", "\\ ", " ", "a**", "**b", "[", "]", "-", "[a-]", "[]a]", "[!]a]", "[^b]", "\\", "[[:digit:]]", "[x-z]",
         "o/", "/**/", "*/", "[[:foo:]]", "\\[", "[\\]]"]
rnd = random.Random(SEED)

def pattern():
    text = "".join(rnd.choice(ATOMS) for _ in range(rnd.randint(1, 5)))
    for chance, before, after in ((0.2, "!", ""), (0.2, "/", ""), (0.15, "", "/"), (0.1, "**/", ""), (0.1, "", "/**")):
        if rnd.random() < chance:
            text = before + text + after
    return text

def files_of(output, root):
    return sorted(os.path.join(root, path) for path in output.decode("utf-8", "surrogateescape").split("\0") if path)

def compare(root):
    """Makes a random repository at root; True when the tool lists git's files."""
    shutil.rmtree(root, ignore_errors=True)
    subprocess.run(["git", "init", "-q", root], check=True)
    folders = [""]
    for _ in range(rnd.randint(3, 12)):
        folder = os.path.join(rnd.choice(folders), rnd.choice(NAMES))
        if not os.path.exists(os.path.join(root, folder)):
            os.makedirs(os.path.join(root, folder))
            folders.append(folder)
    for _ in range(rnd.randint(5, 30)):
        path = os.path.join(root, rnd.choice(folders), rnd.choice(NAMES))
        if not os.path.exists(path):
            open(path, "w").close()
    for folder in rnd.sample(folders, min(len(folders), rnd.randint(1, 3))):
        with open(os.path.join(root, folder, ".gitignore"), "w", newline="") as out:
            out.write("\n".join(pattern() for _ in range(rnd.randint(1, 6))) + ("\r\n" if rnd.random() < 0.3 else "\n"))
    if rnd.random() < 0.3:
        with open(os.path.join(root, ".git/info/exclude"), "w") as out:
            out.write(pattern() + "\n")
    git = subprocess.run(["git", "-C", root, "ls-files", "--others", "--exclude-standard", "-z"], capture_output=True)
    ours = subprocess.run([TOOL, "-g", "-f", "absolute", "-i", "files", "-0", root], capture_output=True)
    expected, listed = files_of(git.stdout, root), files_of(ours.stdout, "")
    if expected == listed:
        return True
    for folder in folders:
        if os.path.exists(os.path.join(root, folder, ".gitignore")):
            print("  %s/.gitignore: %r" % (folder or ".", open(os.path.join(root, folder, ".gitignore"), newline="").read()))
    print("  git only:", sorted(set(expected) - set(listed)), "\n  dorrowin-list only:", sorted(set(listed) - set(expected)))
    keep = os.path.join(ROOT, "build/gitignore-fuzz-mismatch")
    shutil.rmtree(keep, ignore_errors=True)
    shutil.copytree(root, keep, symlinks=True)
    return False

with tempfile.TemporaryDirectory() as home:  # no user's git settings
    os.environ.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
    mismatches = 0
    for number in range(COUNT):
        if not compare(os.path.join(home, "repo")):
            mismatches += 1
            print("mismatch in repository %d of seed %d" % (number, SEED))
    print("%d of %d repositories agree with git" % (COUNT - mismatches, COUNT))
    sys.exit(1 if mismatches else 0)
