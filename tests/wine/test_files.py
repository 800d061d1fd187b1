"""The file step of a silent installation, end to end: nested folders, a non-ASCII name, an empty
file and a record large enough to be streamed through a temporary file land with their bytes;
the progress positions of the records; the files in "Uninstall.DAT"; a second installation of the
same product keeps what is up to date. One prefix per class; the main scenario also runs in a
32-bit prefix."""
import calendar
import unittest

from harness import Prefix
from install_fixture import Product, run_installer

LARGE = bytes(range(256)) * (6 * 4096)            # 6 MiB: above the streaming threshold
FILES = {
    "docs/deep/readme.txt": b"nested\r\n",
    "na\u00efve \u00fc.txt".encode("utf-8").decode("utf-8"): b"non-ASCII name",
    "empty.dat": b"",
    "big.bin": LARGE,
    "kept/settings.ini": b"[read-only]\r\n",
}
# The read-only and hidden file with a date of its own; the other records keep the date the packer
# read from the file.
SET_DATE = (2021, 3, 4, 5, 6, 8)
RULES = f'''
[[files.rule]]
match = "kept/settings.ini"
attributes = ["read-only", "hidden"]
date = {"%04d-%02d-%02dT%02d:%02d:%02d" % SET_DATE}
'''


class FilesInstall(unittest.TestCase):
    ARCH = "win64"

    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch=cls.ARCH).__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        cls.product = Product(files=FILES, extra=RULES)
        cls.addClassCleanup(cls.product.remove)
        installer = cls.product.pack()
        cls.result, cls.trace = run_installer(cls.prefix, installer)
        cls.folder = cls.prefix.host_path(r"C:\EngineTest")

    def attributes(self, path):
        """The letters `attrib` shows for PATH (R, H, S, A)."""
        out = self.prefix.wine("cmd", "/c", "attrib", path).stdout
        return set("".join(out.split(path)[0].split())) if path in out else None

    def test_files_land_with_their_bytes(self):
        self.assertEqual(self.result.code, 1)
        for rel, data in FILES.items():
            self.assertEqual((self.folder / rel).read_bytes(), data, rel)
        self.assertEqual(list(self.folder.glob("~ks*.tmp")), [], "no temporary file is left")

    def test_times_and_attributes(self):
        # The set date (UTC, as the packer takes it) and the attributes of the record (Wine's attrib
        # also shows the archive bit it keeps on every file); a record without attributes leaves
        # the written file's own.
        kept = self.folder / "kept" / "settings.ini"
        self.assertEqual(kept.stat().st_mtime, calendar.timegm(SET_DATE))
        payload = self.product.dir / "files" / "empty.dat"
        self.assertEqual(int((self.folder / "empty.dat").stat().st_mtime), int(payload.stat().st_mtime))
        self.assertLessEqual({"R", "H"}, self.attributes(r"C:\EngineTest\kept\settings.ini"))
        self.assertEqual({"R", "H"} & self.attributes(r"C:\EngineTest\empty.dat"), set())

    def test_progress_of_the_records(self):
        positions = [int(l.split()[1]) for l in self.trace if l.startswith("progress ")]
        records = [p for p in positions if 28 <= p <= 90]
        self.assertEqual(records, [28 + i * 62 // len(FILES) for i in range(len(FILES))])

    def test_files_are_recorded_for_removal(self):
        data = (self.folder / "Uninstall" / "Uninstall.DAT").read_bytes().decode("latin-1")
        self.assertIn("C:\\EngineTest\\docs\\deep\\readme.txt\r\n", data)
        self.assertIn("~C:\\EngineTest\\docs\\deep\r\n", data)
        self.assertIn("C:\\EngineTest\\big.bin\r\n", data)


class FilesInstall32(FilesInstall):
    ARCH = "win32"


GIB = 1 << 30
PATTERN = bytes((i * 7) & 0xFF for i in range(1 << 16))   # low entropy: the installer stays small


class LargestFile(unittest.TestCase):
    """A file of the format's largest size (1 GiB) beside ordinary ones installs without running
    out of memory: the record is streamed, never held whole."""
    ARCH = "win64"

    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch=cls.ARCH).__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        cls.product = Product(files={"small.txt": b"small", "z.txt": b"after"}, extra='[package]\nlevel = 1\n')
        cls.addClassCleanup(cls.product.remove)
        with open(cls.product.dir / "files" / "huge.bin", "wb") as out:
            for _ in range(GIB // len(PATTERN)):
                out.write(PATTERN)
        installer = cls.product.pack()
        (cls.product.dir / "files" / "huge.bin").unlink()
        cls.result, cls.trace = run_installer(cls.prefix, installer, timeout=3000)
        cls.folder = cls.prefix.host_path(r"C:\EngineTest")

    def test_installs_with_its_bytes(self):
        self.assertEqual(self.result.code, 1)
        self.assertEqual((self.folder / "small.txt").read_bytes(), b"small")
        self.assertEqual((self.folder / "z.txt").read_bytes(), b"after")
        huge = self.folder / "huge.bin"
        self.assertEqual(huge.stat().st_size, GIB)
        with open(huge, "rb") as f:
            for _ in range(GIB // len(PATTERN)):
                if f.read(len(PATTERN)) != PATTERN:
                    self.fail("huge.bin differs")
        self.assertEqual(list(self.folder.glob("~ks*.tmp")), [])


class LargestFile32(LargestFile):
    ARCH = "win32"


if __name__ == "__main__":
    unittest.main()
