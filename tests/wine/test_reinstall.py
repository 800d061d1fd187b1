"""A second installation over a first one, through the program with /silent: the replacement mode,
the time stamps (1 and 3 seconds apart; less than 2 seconds counts as equal) and the versions of
the existing files decide per file, with the log texts of each rule; the log gets the separator and
a second header; shared-file counts rise once per installation of a product, not per run. A file
held open by another process during the second run is registered for replacement at restart (the
product's post-installation batch saves the system's pending renames before the end of the run:
under Wine the restart itself carries them out); in automatic mode the restart is then asked for
without a question (the test reads the request from the trace). One prefix serves the whole
group."""
import contextlib
import os
import re
import subprocess
import time
import unittest

from harness import WIN32_BUILD, Prefix
from install_fixture import Product, read_lines, run_installer, uninstall_entry

FOLDER = r"C:\Reinstall"
DATE = "2024-05-01T12:00:10"
SEPARATOR = "\r\n\r\n" + "*" * 46 + "\r\n"
SHARED_DLLS = r"HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"


def library(version):
    return (WIN32_BUILD / f"versioned-{version}.dll").read_bytes()


# name, type, replace mode of the second run, the existing file's time against the record's (s),
# the second run's record version and content, whether the second run replaces the file, and the
# log text after the destination path (None: the file is not named in the log).
NEW = b"new content\r\n"
CASES = [
    ("always.txt", "file", "always", +3, None, NEW, True, None),
    ("ifexists.txt", "file", "if-exists", 0, None, NEW, True, None),
    ("ifmissing.txt", "file", "if-missing", 0, None, NEW, False, " was not installed because it already exists.\r\n"),
    ("newer3.txt", "file", "unless-newer", +3, None, NEW, False,
     " was not installed because the existing file is newer.\r\n"),
    ("newer1.txt", "file", "unless-newer", +1, None, NEW, True, None),
    ("shared_later1.dat", "shared", "always", +1, None, NEW, False, " is up to date.\r\n"),
    ("shared_earlier1.dat", "shared", "always", -1, None, NEW, False, " is up to date.\r\n"),
    ("shared_earlier3.dat", "shared", "always", -3, None, NEW, True, " is out of date and will be replaced.\r\n"),
    ("v_older.dll", "versioned", "always", -3, "1.5.0.0", library("1.5.0.0"), False,
     " was not installed because its version (1.5.0.0) is not newer than 2.0.0.0\r\n"),
    ("v_equal.dll", "versioned", "always", -3, "2.0.0.0", library("2.0.0.0"), False,
     " was not installed because its version (2.0.0.0) is not newer than 2.0.0.0\r\n"),
    ("v_newer_earlier3.dll", "versioned", "always", -3, "2.0.0.1", library("2.0.0.1"), True,
     " needs replacement because its version (2.0.0.1) is newer than 2.0.0.0 and its date "
     "(2024/05/01 12:00:10) is newer than 2024/05/01 12:00:07\r\n"),
    ("v_newer_earlier1.dll", "versioned", "always", -1, "2.0.0.1", library("2.0.0.1"), False,
     " was not installed because its date (2024/05/01 12:00:10) is not newer than 2024/05/01 12:00:09.\r\n"),
    ("v_newer_later3.dll", "versioned", "always", +3, "2.0.0.1", library("2.0.0.1"), False,
     " was not installed because its date (2024/05/01 12:00:10) is not newer than 2024/05/01 12:00:13.\r\n"),
]
OLD_TEXT = b"old content\r\n"
# Placed by the test, not by the first run: a "never" record leaves it alone and says nothing.
NEVER = ("never.txt", b"the user's own\r\n")
LOCKED = "locked.txt"


# Run before the restart decision: what the system will rename at the next start.
SAVE_PENDING = r'''
[batches]
post_install = "reg query \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\" /v PendingFileRenameOperations > \"%TEMP%\\pending.txt\""
'''


@contextlib.contextmanager
def held(prefix, path, signals):
    """The file at PATH (Windows path) held open by a helper process in the prefix meanwhile."""
    folder = prefix.host_path(signals)
    folder.mkdir()
    holder = subprocess.Popen(["wine", str(WIN32_BUILD / "hold_file.exe"), path, signals], env=prefix.env(),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(600):
            if (folder / "held").exists() or holder.poll() is not None:
                break
            time.sleep(0.1)
        assert (folder / "held").exists(), f"the helper could not hold {path}"
        yield
    finally:
        (folder / "release").write_text("")
        holder.wait(timeout=120)


def rules(entries):
    """[[files.rule]] tables: the date of every record first, then type, replacement and version."""
    out = f'[[files.rule]]\nmatch = "*"\ndate = {DATE}\n'
    for name, kind, replace, version in entries:
        out += f'[[files.rule]]\nmatch = "{name}"\ntype = "{kind}"\nreplace = "{replace}"\n'
        if version:
            out += f'version = "{version}"\n'
    return out


def first_product():
    files = {c[0]: library("2.0.0.0") if c[1] == "versioned" else OLD_TEXT for c in CASES}
    files[LOCKED] = OLD_TEXT
    entries = [(c[0], c[1], "always", "2.0.0.0" if c[1] == "versioned" else None) for c in CASES]
    return Product(name="Reinstall Test", uninstall_name="Reinstall", install=FOLDER, files=files,
                   extra=rules(entries))


def second_product():
    files = {c[0]: c[5] for c in CASES}
    files[LOCKED] = NEW
    files[NEVER[0]] = NEW
    files["ifexists_missing.txt"] = NEW
    entries = [(c[0], c[1], c[2], c[4]) for c in CASES]
    entries += [(NEVER[0], "file", "never", None), ("ifexists_missing.txt", "file", "if-exists", None)]
    return Product(name="Reinstall Test", uninstall_name="Reinstall", install=FOLDER, files=files,
                   extra=rules(entries) + SAVE_PENDING)


class Reinstall(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch="win64").__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        products = [first_product(), second_product()]
        for product in products:
            cls.addClassCleanup(product.remove)
        first, second = (p.pack(f"setup{i}") for i, p in enumerate(products))

        cls.first_result, _ = run_installer(cls.prefix, first)
        cls.folder = cls.prefix.host_path(FOLDER)
        cls.counts_after_first = cls.shared_counts()
        cls.shared_folder = cls.prefix.program_files_x86() / "Common Files" / "Kestrival Tests"
        for name, kind, _, offset, *_ in CASES:
            path = (cls.shared_folder if kind == "shared" else cls.folder) / name
            written = path.stat().st_mtime
            os.utime(path, (written + offset, written + offset))
        (cls.folder / NEVER[0]).write_bytes(NEVER[1])

        with held(cls.prefix, f"{FOLDER}\\{LOCKED}", r"C:\hold-1"):
            cls.result, cls.trace = run_installer(cls.prefix, second)
        # What the second run left, read before anything else runs in the prefix.
        cls.log = (cls.folder / "Uninstall" / "Install.log").read_bytes()
        cls.entry = uninstall_entry(cls.prefix, "Reinstall")
        cls.pending = next(cls.prefix.host_path(r"C:\users").glob("*/Temp/pending.txt")).read_bytes().decode("latin-1")
        cls.counts_after_second = cls.shared_counts()

        # Another product with the same shared file.
        other = Product(name="Reinstall Other", uninstall_name="ReinstallOther", install=r"C:\ReinstallOther",
                        files={"shared_later1.dat": NEW},
                        extra=rules([("shared_later1.dat", "shared", "always", None)]))
        cls.addClassCleanup(other.remove)
        cls.other_result, cls.other_trace = run_installer(cls.prefix, other.pack())
        cls.counts_after_other = cls.shared_counts()

    @classmethod
    def shared_counts(cls):
        """Path -> count of the SharedDLLs values (the 32-bit view: a 32-bit product)."""
        out = cls.prefix.wine("reg", "query", SHARED_DLLS, "/reg:32").stdout
        counts = {}
        for line in out.splitlines():
            parts = re.split(r"\s{4}", line.strip())
            if len(parts) == 3 and parts[1] == "REG_DWORD":
                counts[parts[0].lower()] = int(parts[2], 16)
        return counts

    def destination(self, name, kind="file"):
        base = r"C:\Program Files (x86)\Common Files\Kestrival Tests" if kind == "shared" else FOLDER
        return f"{base}\\{name}"

    def second_body(self):
        text = self.log.decode("utf-8-sig")
        self.assertEqual(text.count(SEPARATOR), 1, "one separator between the two installations")
        return text.split(SEPARATOR)[1]

    def test_both_runs_end_normally(self):
        self.assertEqual((self.first_result.code, self.result.code, self.other_result.code), (1, 1, 1))

    def test_each_rule_decides_its_file(self):
        body = self.second_body()
        for name, kind, replace, offset, version, content, replaced, log_text in CASES:
            with self.subTest(name):
                folder = self.shared_folder if kind == "shared" else self.folder
                old = library("2.0.0.0") if kind == "versioned" else OLD_TEXT
                self.assertEqual((folder / name).read_bytes(), content if replaced else old)
                path = self.destination(name, kind)
                if log_text:
                    self.assertIn(path + log_text, body)
                else:
                    self.assertNotIn(path + " ", body)
        self.assertEqual((self.folder / NEVER[0]).read_bytes(), NEVER[1])
        self.assertNotIn(NEVER[0], body)
        self.assertFalse((self.folder / "ifexists_missing.txt").exists())
        self.assertIn(self.destination("ifexists_missing.txt") + " was not installed because it does not already exist.\r\n",
                      body)

    def test_kept_files_still_belong_to_the_product(self):
        records = (self.folder / "Uninstall" / "Uninstall.DAT").read_bytes().decode("cp1252").split("\r\n")
        # Skipped by modes if-missing and unless-newer and by the version rule: still removed at
        # uninstall; a "never" record has no entry.
        for name in ["ifmissing.txt", "newer3.txt", "v_older.dll", "v_newer_later3.dll"]:
            self.assertIn(self.destination(name), records)
        self.assertNotIn(self.destination(NEVER[0]), records)

    def test_the_log_gets_a_second_header(self):
        raw = self.log
        self.assertTrue(raw.startswith(b"\xef\xbb\xbf"))
        self.assertEqual(raw.count(b"\xef\xbb\xbf"), 1, "the byte-order mark only at the very start")
        second = self.second_body().split("\r\n")
        self.assertEqual(second[0], "Installation log for: Reinstall Test")
        self.assertEqual(second[2], "Install type: Reinstall")
        first = raw.decode("utf-8-sig").split(SEPARATOR)[0].split("\r\n")
        self.assertEqual(first[2], "Install type: New")

    def test_shared_counts_rise_once_per_installation(self):
        for name, kind, *_ in CASES:
            if kind != "shared":
                continue
            with self.subTest(name):
                key = self.destination(name, "shared").lower()
                expected_other = 2 if name == "shared_later1.dat" else 1
                self.assertEqual((self.counts_after_first.get(key), self.counts_after_second.get(key),
                                  self.counts_after_other.get(key)), (1, 1, expected_other))

    def test_a_locked_file_is_replaced_at_restart(self):
        self.assertEqual((self.folder / LOCKED).read_bytes(), OLD_TEXT)
        body = self.second_body()
        path = f"{FOLDER}\\{LOCKED}"
        match = re.search(re.escape(f'"{path}" was successfully registered for replacement.\r\nTemporary file is "')
                          + r'([^"]+)"\r\nReboot will be required\.\r\n\r\n', body)
        self.assertIsNotNone(match, body)
        temporary = match.group(1)
        self.assertTrue(self.prefix.host_path(temporary).exists(), temporary)
        # The pair: the temporary file, then "!" and the destination (replace an existing file).
        pending = self.pending.replace("\\0", "\n")
        self.assertIn(f"\\??\\{temporary}\n!\\??\\{path}", pending)
        self.assertEqual(int(self.entry["ProductFlags"][1]) & 0x4000, 0x4000)
        self.assertNotIn("FAILURE SUMMARY", body)

    def test_the_restart_is_asked_for_without_a_question(self):
        # /silent is automatic mode, and the product does not ask before restarting; the run that
        # registered nothing asks for no restart.
        self.assertEqual(self.result.box_texts, [])
        self.assertEqual(self.trace[-1], "restart")
        self.assertNotIn("restart", self.other_trace)


if __name__ == "__main__":
    unittest.main()
