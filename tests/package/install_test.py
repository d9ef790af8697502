#!/usr/bin/env python3
"""The Windows Installer package under Wine, in a fresh prefix of its own and on a display of
its own:
    install_test.py PREFIX PACKAGE OLDER_PACKAGE BINDIR DOCUMENT
An older version, then this one over it with the built-in engine (one product remains), the
installed programs at work, the window from the Start menu, a removal that leaves nothing,
and the engine's install where another server owns "Word.Application"."""
import filecmp
import os
import re
import shutil
import subprocess
import sys
import time

prefix, package, older, bindir, document = (os.path.abspath(a) for a in sys.argv[1:6])
VERSION = os.path.basename(package).split("-")[1]
INSTALLED = os.path.join(prefix, "drive_c/Program Files/Quillory")
PROGRAMS = ["Quillory.exe", "Quillory.com", "drag.ico", "HAND-M.CUR", "QuilloryStandin.exe"]
OURS = "{9316297D-C0C4-4205-BE09-10E01EFA1F4D}"
OTHER = "{0E1D2C3B-4A59-4687-9A8B-7C6D5E4F3A21}"
CLASSES = r"HKLM\Software\Classes"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
ENVIRONMENT = r"HKLM\System\CurrentControlSet\Control\Session Manager\Environment"
# What running the programs leaves is the user's: their settings and reports stay.
USER_DATA = ("hkcu\\software\\quillory", "/appdata/local/quillory")
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEARCH="win64", LC_ALL="C.UTF-8",
           WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
failures = []


def check(ok, what):
    print(("ok     " if ok else "FAILED ") + what, flush=True)
    if not ok:
        failures.append(what)


def wine(*args, timeout=120):
    """Runs a Windows program; returns its exit code and what it printed. Wine's helpers keep
    inherited pipes open, so output goes through a file."""
    out = os.path.join(prefix, "output.txt")
    with open(out, "wb") as sink:
        code = subprocess.run(["wine", *args], stdin=subprocess.DEVNULL, stdout=sink, stderr=sink,
                              env=env, timeout=timeout).returncode
    with open(out, "rb") as source:
        return code, source.read().decode("utf-8", "replace").replace("\r", "")


def settle():
    """Waits until Wine's server has ended, so the registry files hold everything."""
    subprocess.run(["wineserver", "-w"], env=env, timeout=120)


def registry():
    """Keys (lower case, from hklm\\ or hkcu\\) of the machine's and the user's registry, each
    with its values as name (lower case; "@" the default) to text."""
    keys = {}
    for hive, root in (("system.reg", "hklm\\"), ("user.reg", "hkcu\\")):
        values = None
        with open(os.path.join(prefix, hive), encoding="utf-8", errors="replace") as lines:
            for line in lines:
                line = line.rstrip("\n")
                if line.startswith("["):
                    name = root + line[1:line.rindex("]")].replace("\\\\", "\\").lower()
                    values = keys.setdefault(name, {})
                elif values is not None and "=" in line and line[0] in '"@':
                    name, _, text = line.partition("=") if line[0] == "@" else \
                        (line[1:line.index('"', 1)], "", line[line.index('"', 1) + 2:])
                    text = text.split(":", 1)[1] if text.startswith("str(") else text
                    text = text[1:-1] if len(text) > 1 and text[0] == text[-1] == '"' else text
                    values[name.lower()] = re.sub(r"\\(.)", r"\1", text)
    return keys


def value(keys, key, name="@"):
    return keys.get(key.lower(), {}).get(name.lower())


def products(keys):
    prefix_key = UNINSTALL.lower() + "\\"
    return [v.get("displayversion") for k, v in keys.items()
            if k.startswith(prefix_key) and v.get("displayname") == "Quillory"]


def path_entries(keys):
    return [e for e in (value(keys, ENVIRONMENT, "PATH") or "").split(";") if e]


def msiexec(*args):
    code, _ = wine("msiexec", *args, "/qn", timeout=300)
    settle()
    return code


def windows_path(path):
    return "C:\\" + os.path.relpath(path, os.path.join(prefix, "drive_c")).replace("/", "\\")


def shortcuts():
    found = {}
    for folder, _, files in os.walk(os.path.join(prefix, "drive_c")):
        for name in files:
            if name.lower() == "quillory.lnk":
                found[os.path.basename(folder)] = os.path.join(folder, name)
    return found


def ours_left():
    names = [os.path.join(folder, name) for folder, dirs, files in os.walk(os.path.join(prefix, "drive_c"))
             for name in dirs + files if "quillory" in name.lower()]
    keys = registry()
    entries = [k for k, v in keys.items()
               if "quillory" in k or OURS.lower() in k or any("quillory" in t.lower() for t in v.values())]
    names = [n for n in names if not any(u in n.lower() for u in USER_DATA)]
    entries = [k for k in entries if not k.startswith(USER_DATA[0])]
    return names + entries + [e for e in path_entries(keys) if "quillory" in e.lower()]


def cached_packages():
    folder = os.path.join(prefix, "drive_c/windows/Installer")
    return sorted(os.listdir(folder)) if os.path.isdir(folder) else []


def start_display():
    """A virtual display of this test's own: Xvfb picks a free number and writes it once ready."""
    server = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    env["DISPLAY"] = ":" + server.stdout.readline().strip()
    return server


def window_shown(title, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        tree = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True, text=True).stdout
        for line in tree.splitlines():
            if f'"{title}"' in line:
                window = line.split()[0]
                info = subprocess.run(["xwininfo", "-id", window], env=env, capture_output=True, text=True).stdout
                if "IsViewable" in info:
                    return True
        time.sleep(0.1)
    return False


def main():
    shutil.rmtree(prefix, ignore_errors=True)
    os.makedirs(prefix)
    display = start_display()
    try:
        subprocess.run(["wineboot", "-i"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
        settle()
        installers = cached_packages()
        path_before = path_entries(registry())

        code = msiexec("/i", older)
        keys = registry()
        check(code == 0 and os.path.exists(os.path.join(INSTALLED, "Quillory.exe")) and
              not os.path.exists(os.path.join(INSTALLED, "QuilloryStandin.exe")) and
              not value(keys, CLASSES + r"\Word.Application\CLSID"), "the older version installs without the engine")

        code = msiexec("/i", package, "ADDLOCAL=ALL")
        keys = registry()
        check(code == 0 and products(keys) == [VERSION], f"the upgrade leaves one product, {VERSION}: {products(keys)}")
        check(value(keys, CLASSES + r"\Word.Application\CLSID") == OURS and
              value(keys, CLASSES + rf"\CLSID\{OURS}\LocalServer32") == r'"C:\Program Files\Quillory\QuilloryStandin.exe"',
              "the engine is registered as Word.Application where no server held it")
        installed = sorted(os.listdir(INSTALLED))
        check(installed == sorted(PROGRAMS) and filecmp.cmpfiles(INSTALLED, bindir, PROGRAMS, shallow=False)[0] ==
              PROGRAMS, f"the new version's files are installed: {installed}")
        links = shortcuts()
        check(sorted(links) == ["Programs", "SendTo"] and all(
              b"Program Files\\Quillory\\Quillory.exe" in open(link, "rb").read() for link in links.values()),
              f"Start menu and Send to shortcuts name the program: {links}")
        check(path_entries(keys) == ["C:\\Program Files\\Quillory\\"] + path_before, "PATH names the folder")

        # A new prompt takes PATH from the registry as Wine's session builds it; now and then the
        # first prompt after an install still misses it, so a few, each in a session of its own.
        for _ in range(5):
            settle()
            code, text = wine("cmd", "/c", "quillory /?")
            if code == 0 and "Quillory.com [/dot | /dotx]" in text:
                break
        check(code == 0 and "Quillory.com [/dot | /dotx | /dotm]" in text, "quillory /? in a new prompt: " + text[:80])
        folder = os.path.join(prefix, "drive_c/documents")
        os.makedirs(folder)
        shutil.copy(document, folder)
        name = os.path.basename(document)
        code, text = wine(os.path.join(INSTALLED, "Quillory.com"), "/dot", windows_path(os.path.join(folder, name)))
        check(code == 0 and os.path.exists(os.path.join(folder, os.path.splitext(name)[0] + ".dot")),
              "the installed Quillory.com converts a document with the engine: " + text.strip()[-200:])

        subprocess.Popen(["wine", "start", windows_path(links["Programs"])], env=env, stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        check(window_shown("Quillory", 60), "the Start menu shortcut opens the window")
        subprocess.run(["wineserver", "-k"], env=env, timeout=60)
        settle()

        code = msiexec("/x", package)
        check(code == 0 and not ours_left(), f"nothing is left after removal: {ours_left()[:5]}")
        check(cached_packages() == installers, "no cached package is left")

        wine("reg", "add", rf"{CLASSES}\Word.Application\CLSID", "/ve", "/d", OTHER, "/f")
        wine("reg", "add", rf"{CLASSES}\CLSID\{OTHER}\LocalServer32", "/ve", "/d",
                       r"C:\Other\server.exe", "/f")
        settle()
        code = msiexec("/i", package, "ADDLOCAL=ALL")
        keys = registry()
        check(code == 0 and os.path.exists(os.path.join(INSTALLED, "QuilloryStandin.exe")) and
              value(keys, CLASSES + r"\Word.Application\CLSID") == OTHER and
              CLASSES.lower() + rf"\clsid\{OURS.lower()}" not in keys,
              "the engine installs but leaves another server's Word.Application alone")
        code = msiexec("/x", package)
        keys = registry()
        check(code == 0 and value(keys, CLASSES + r"\Word.Application\CLSID") == OTHER and not ours_left(),
              "its removal leaves the other server's registration")
    finally:
        subprocess.run(["wineserver", "-k"], env=env, timeout=60)
        display.kill()
        display.wait()
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
