"""Runs Windows programs of the project under Wine, each test in a clean prefix.

The pieces every Wine test uses:

- template(arch): a prefix made once per run with wineboot (win64 is the default; win32 makes a
  32-bit prefix); tests never touch it, they copy it.
- Prefix: a fresh copy of a template for one test or one group of tests, with helpers that map C:\\
  paths to the prefix's drive_c, read its registry and run programs in it.
- Prefix.run(): starts a program through the launcher (tests/tools/launch.c) with an exact command
  line, waits for it and returns its exit code together with the text of every message box it
  showed (read from Wine's message-box trace; a text the trace cut is completed from what the
  launcher read from the box itself). Message boxes are answered with Return when the run has a
  display.
- Display: a private Xvfb server for runs that show windows, with screenshots.

This machine's kernel cannot run 32-bit code natively; Wine's 32-bit side (the setup program is a
32-bit program) runs under qemu-i386 user emulation, registered for 32-bit ELF files through
binfmt_misc by tools/install-deps. `ensure_i386_binfmt()` checks that registration before anything
starts.

Command line use:
  harness.py template [win64|win32]   make the template prefix(es)
  harness.py gtest PROGRAM [ARGS]     run a cross-compiled GoogleTest program in a fresh prefix
"""

import fcntl
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("KS_SOURCE_DIR", Path(__file__).resolve().parents[2]))
WIN32_BUILD = Path(os.environ.get("KS_WIN32_BUILD", SOURCE_DIR / "build" / "win32"))
WORK_DIR = Path(os.environ.get("KS_WINE_WORK", SOURCE_DIR / "build" / "wine"))
ARTIFACTS = Path(os.environ.get("KS_ARTIFACTS", SOURCE_DIR / "build" / "artifacts"))
SETUP_EXE = WIN32_BUILD / "kestrival-setup.exe"
LAUNCHER = WIN32_BUILD / "launch.exe"

TEMPLATE_STAMP = "ks-template-ready"


def ensure_i386_binfmt():
    """Fails with a clear message when 32-bit programs cannot run (see tools/install-deps)."""
    probe = subprocess.run(["/usr/lib/wine/wineserver32", "--version"], capture_output=True)
    if probe.returncode != 0:
        raise RuntimeError(
            "32-bit programs do not run on this machine: run `make deps` (it registers qemu-i386 "
            "for 32-bit ELF files through binfmt_misc)")


def base_env(prefix: Path, arch: str = "win64") -> dict:
    env = dict(os.environ)
    env.update({
        "WINEPREFIX": str(prefix),
        "WINEARCH": arch,
        "WINEDEBUG": "-all",
        # No Mono or Gecko installer dialogs: the tests need neither. No winemenubuilder: it turns
        # every shortcut a test makes into menu and desktop entries of the host user (under
        # ~/.config/menus and the home folder, which the prefix's Desktop links to).
        "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
        "LC_ALL": "C.UTF-8",
        # Wine keeps the Recycle Bin and its menu entries under the XDG data folder: inside the
        # prefix, so that tests never touch the home folder of the user who runs them.
        "XDG_DATA_HOME": str(prefix / "xdg-data"),
    })
    env.pop("DISPLAY", None)
    return env


def template(arch: str = "win64") -> Path:
    """The template prefix for `arch`, made on first use (safe against concurrent callers)."""
    WORK_DIR.mkdir(parents=True, exist_ok=True)
    path = WORK_DIR / f"template-{arch}"
    with open(WORK_DIR / f"template-{arch}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if (path / TEMPLATE_STAMP).exists():
            return path
        ensure_i386_binfmt()
        shutil.rmtree(path, ignore_errors=True)
        env = base_env(path, arch)
        subprocess.run(["wine", "wineboot", "-i"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
        subprocess.run(["wineserver", "-w"], env=env, check=True, timeout=600)
        (path / TEMPLATE_STAMP).write_text("ok\n")
        return path


def win_path(host_path) -> str:
    """The Windows path under which Wine sees a host path (through its Z: drive)."""
    return "Z:" + str(Path(host_path).resolve()).replace("/", "\\")


_MSGBOX_LINE = re.compile(r'trace:msgbox:MSGBOX_OnInit L"(.*)"(\.\.\.)?\s*$')


def decode_debugstr(text: str) -> str:
    """Undoes the escaping of Wine's debugstr_w (\\r \\n \\t \\\\ \\" \\xXXXX)."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            if n in "rnt":
                out.append({"r": "\r", "n": "\n", "t": "\t"}[n])
                i += 2
                continue
            if n == "x":
                digits = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:i + 6])
                if digits:
                    out.append(chr(int(digits.group(0), 16)))
                    i += 2 + len(digits.group(0))
                    continue
            out.append(n)
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


class MessageBox:
    """One message box the program showed. Wine's trace cuts long texts: `complete` tells."""

    def __init__(self, text: str, complete: bool):
        self.text = text
        self.complete = complete

    def __repr__(self):
        return f"MessageBox({self.text!r}{'' if self.complete else ' ...'})"


_BOX_TEXT_LINE = re.compile(r"^box-text: (.*?)\r?$", re.M)


def complete_boxes(boxes, launcher_stdout: str):
    """Gives each box whose trace was cut the whole text the launcher read from the box itself
    (its "box-text:" lines, in the order the boxes opened)."""
    whole = [decode_debugstr(m.group(1)) for m in _BOX_TEXT_LINE.finditer(launcher_stdout)]
    for box in boxes:
        if box.complete:
            continue
        for i, text in enumerate(whole):
            if text.startswith(box.text):
                box.text, box.complete = text, True
                del whole[i]
                break


class Result:
    def __init__(self, code, boxes, stdout, stderr):
        self.code = code
        self.boxes = boxes
        self.stdout = stdout
        self.stderr = stderr

    @property
    def box_texts(self):
        return [b.text for b in self.boxes]

    def __repr__(self):
        return f"Result(code={self.code}, boxes={self.boxes!r})"


class Display:
    """A private Xvfb server. Use as a context manager; `.name` is the DISPLAY value."""

    def __init__(self, size="1024x768x24"):
        self.size = size
        self.proc = None
        self.name = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.size, "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number
        return self

    def __exit__(self, *exc):
        if self.proc:
            self.proc.terminate()
            self.proc.wait(timeout=10)

    def xdotool(self, *args, timeout=20):
        env = dict(os.environ, DISPLAY=self.name)
        return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                              timeout=timeout)

    def wait_for_window(self):
        """Waits until a window is on screen and drawn; returns the visible windows' ids."""
        found = self.xdotool("search", "--sync", "--onlyvisible", "--class", "", timeout=30)
        time.sleep(0.3)
        return found.stdout.split()

    def screenshot(self, name: str, window: str = None, folder: Path = None) -> Path:
        """Saves the whole screen (or one window, by its X id) as build/artifacts/NAME.png (for a
        person to look at), or in `folder`."""
        folder = folder or ARTIFACTS
        folder.mkdir(parents=True, exist_ok=True)
        out = folder / f"{name}.png"
        env = dict(os.environ, DISPLAY=self.name)
        subprocess.run(["import", "-window", window or "root", str(out)], env=env, check=False,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        return out


class Prefix:
    """A clean copy of a template prefix; removed again when the `with` block ends."""

    def __init__(self, arch: str = "win64", windows_version: str = None, keep: bool = None):
        self.arch = arch
        self.windows_version = windows_version
        self.keep = keep if keep is not None else bool(os.environ.get("KS_KEEP_PREFIX"))
        self.path = None

    def __enter__(self):
        source = template(self.arch)
        runs = WORK_DIR / "run"
        runs.mkdir(parents=True, exist_ok=True)
        self.path = Path(tempfile.mkdtemp(prefix=f"{self.arch}-", dir=runs))
        os.rmdir(self.path)
        subprocess.run(["cp", "-a", str(source), str(self.path)], check=True)
        if self.windows_version:
            self.wine("winecfg", "-v", self.windows_version)
        return self

    def __exit__(self, *exc):
        subprocess.run(["wineserver", "-k"], env=self.env(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        if not self.keep:
            shutil.rmtree(self.path, ignore_errors=True)

    def env(self, debug: str = "-all") -> dict:
        env = base_env(self.path, self.arch)
        env["WINEDEBUG"] = debug
        return env

    # Paths -------------------------------------------------------------------------------------

    @property
    def drive_c(self) -> Path:
        return self.path / "drive_c"

    def host_path(self, windows_path: str) -> Path:
        """Maps C:\\... (any case) to the file inside the prefix."""
        m = re.match(r"^[cC]:[\\/]?(.*)$", windows_path)
        if not m:
            raise ValueError(f"not a C: path: {windows_path}")
        path = self.drive_c
        for part in re.split(r"[\\/]+", m.group(1)):
            if not part:
                continue
            # Wine matches names ignoring case; so do we.
            match = None
            if path.is_dir():
                for entry in path.iterdir():
                    if entry.name.lower() == part.lower():
                        match = entry
                        break
            path = match if match else path / part
        return path

    def program_files_x86(self) -> Path:
        return self.host_path("C:\\Program Files (x86)" if self.arch == "win64" else
                              "C:\\Program Files")

    # Programs ----------------------------------------------------------------------------------

    def wine(self, *args, timeout=120, debug="-all", check=False, **kwargs):
        """Runs `wine ARGS` in this prefix and returns the completed process (text output)."""
        return subprocess.run(["wine", *args], env=self.env(debug), capture_output=True,
                              text=True, errors="replace", timeout=timeout, check=check, **kwargs)

    def run(self, program=None, args: str = "", cmdline: str = None, display: Display = None,
            answer: bool = True, timeout: float = 180, debug: str = "+msgbox",
            extra_env: dict = None, on_box=None) -> Result:
        """Starts PROGRAM (default: the setup program) with the literal command line
        `"PROGRAM" ARGS` (or CMDLINE as given, program included) and waits for it.

        With a display, every message box is answered with Return unless `answer` is false or
        `on_box(box, display)` (called for each box) returns True to say it handled the box.
        """
        program = Path(program) if program else SETUP_EXE
        if cmdline is None:
            cmdline = f'"{win_path(program)}"' + (f" {args}" if args else "")
        env = self.env(debug)
        env["KS_CMDLINE"] = cmdline
        if display:
            env["DISPLAY"] = display.name
        if extra_env:
            env.update(extra_env)
        proc = subprocess.Popen(["wine", str(LAUNCHER)], env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE)
        boxes = []
        stderr_lines = []

        def read_stderr():
            for raw in proc.stderr:
                line = raw.decode("utf-8", "replace")
                stderr_lines.append(line)
                m = _MSGBOX_LINE.search(line)
                if not m:
                    continue
                box = MessageBox(decode_debugstr(m.group(1)), complete=not m.group(2))
                boxes.append(box)
                try:
                    if display and answer and not (on_box and on_box(box, display)):
                        answer_box(display)
                except subprocess.TimeoutExpired:
                    # A box that could not be answered in time: keep reading, so that the run
                    # ends at its own time-out instead of hanging.
                    stderr_lines.append("harness: a message box was not answered in time\n")

        stdout_chunks = []
        reader = threading.Thread(target=read_stderr, daemon=True)
        reader.start()

        def read_stdout():
            for raw in proc.stdout:
                stdout_chunks.append(raw)

        # stdout is read on a thread of its own: reading it here would wait for the end of the
        # output, and with it for the program, past the time-out.
        stdout_reader = threading.Thread(target=read_stdout, daemon=True)
        stdout_reader.start()
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            subprocess.run(["wineserver", "-k"], env=env)
            proc.kill()
            raise
        stdout_reader.join(timeout=10)
        reader.join(timeout=10)
        # A program the run started (the finish page's choices) keeps Wine's copies of the pipes
        # open until the prefix ends: a pipe still being read is left to its daemon thread, as
        # closing it would wait for that read.
        for pipe, thread in ((proc.stdout, stdout_reader), (proc.stderr, reader)):
            if not thread.is_alive():
                pipe.close()
        stdout = b"".join(stdout_chunks).decode("utf-8", "replace")
        complete_boxes(boxes, stdout)
        return Result(code, boxes, stdout, "".join(stderr_lines))

    # Registry ----------------------------------------------------------------------------------

    def reg_query(self, key: str, value: str = None, view64: bool = True):
        """The data of a registry value as `reg query` prints it, or None when it is missing."""
        args = ["reg", "query", key]
        args += ["/v", value] if value is not None else ["/ve"]
        if view64 and self.arch == "win64":
            args.append("/reg:64")
        out = self.wine(*args)
        if out.returncode != 0:
            return None
        for line in out.stdout.splitlines():
            parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
            if len(parts) == 3 and (value is None or parts[0].lower() == value.lower()):
                return parts[2]
            if len(parts) == 2 and value is not None and parts[0].lower() == value.lower():
                return ""
        return None

    def reg_add(self, key: str, value: str, data: str, kind: str = "REG_SZ", view64: bool = True):
        args = ["reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f"]
        if view64 and self.arch == "win64":
            args.append("/reg:64")
        self.wine(*args, check=True)

    def key_exists(self, key: str, view64: bool = True) -> bool:
        args = ["reg", "query", key]
        if view64 and self.arch == "win64":
            args.append("/reg:64")
        return self.wine(*args).returncode == 0


class PrefixTestCase(unittest.TestCase):
    """A test class whose tests share one prefix (of the class's ARCH) and one display: program
    starts are slow under emulation, so a class runs its cases in one place."""
    ARCH = "win64"

    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch=cls.ARCH).__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        cls.display = Display().__enter__()
        cls.addClassCleanup(cls.display.__exit__, None, None, None)


def answer_box(display: Display, key: str = "Return"):
    """Presses KEY in the message box that has just opened."""
    ids = display.wait_for_window()
    if ids:
        display.xdotool("windowfocus", "--sync", ids[-1])
    display.xdotool("key", key)


def run_gtest(program: str, args):
    """Runs a cross-compiled GoogleTest program in a fresh prefix; exit status as the program's."""
    with Prefix() as prefix:
        cmdline = f'"{win_path(program)}"' + "".join(f" {a}" for a in args)
        result = prefix.run(program=program, cmdline=cmdline, debug="-all", timeout=600)
        sys.stdout.write(result.stdout)
        sys.stderr.write(result.stderr)
        return result.code


def main(argv):
    if len(argv) >= 2 and argv[1] == "template":
        for arch in argv[2:] or ["win64"]:
            start = time.time()
            template(arch)
            print(f"template {arch}: ready ({time.time() - start:.0f} s)")
        return 0
    if len(argv) >= 3 and argv[1] == "gtest":
        return run_gtest(argv[2], argv[3:])
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
