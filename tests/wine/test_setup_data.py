"""Install mode up to the check of the program's own image, on installers written by kestrival-pack:
the setup data is found, read from the loaded image and checked, the settings are read, the install
notification is sent and the image is checked. Damaged installers end with the corruption message
and the code of the check that failed.

Each class packs its installers once, in a temporary folder, and runs them all in one prefix.
"""
import http.server
import os
import shutil
import struct
import subprocess
import tempfile
import threading
import unittest
import zlib
from pathlib import Path

from harness import SETUP_EXE, SOURCE_DIR, PrefixTestCase
from pe_file import PeFile

PACKER = Path(os.environ.get("KS_HOST_BUILD", SOURCE_DIR / "build" / "host")) / "kestrival-pack"

INFORMATION_TEXT = (
    "This program performs installations and uninstallations.\r\n"
    "There is no installation data present.\r\n"
    "No uninstallation parameters were specified.\r\n\r\n"
    "You should not delete this program or execute it directly.")

CORRUPTION_TEXT = (
    "This installation program is corrupt.  This is usually caused by a faulty download, but it can "
    "also be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
    "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem "
    "persists, check your system for viruses.\r\n\r\nError code: %d")

# The test projects' own text for the corruption message (language row 13): used once the language
# table has been read, that is for the codes raised after the settings.
TRANSLATED_CORRUPTION_TEXT = "Corrupt: %d"

VERSION_TEXT = ("The installer version (36.0) does not match the version of Kestrival Setup (%s).  "
                "Close all applications and reinstall Kestrival Setup.")

PRODUCT_VERSION = "2.5.1"


def project(extra: str = "") -> str:
    return f"""
[product]
name = "Setup Data Test"
version = "{PRODUCT_VERSION}"

[[files]]
from = "files"

[[language]]
name = "English"
[language.text]
13 = "{TRANSLATED_CORRUPTION_TEXT}"
{extra}
"""


class Workspace:
    """A temporary folder with the product's files, in which installers are packed."""

    def __init__(self):
        self.path = Path(tempfile.mkdtemp(prefix="ks-setup-data-"))
        files = self.path / "files"
        (files / "docs").mkdir(parents=True)
        (files / "hello.txt").write_text("Hello\r\n")
        (files / "docs" / "about.txt").write_text("About this product\r\n" * 50)

    def pack(self, name: str, extra: str = "") -> Path:
        project_file = self.path / f"{name}.toml"
        project_file.write_text(project(extra))
        out = self.path / f"{name}.exe"
        subprocess.run([str(PACKER), str(project_file), "-o", str(out), "--stub", str(SETUP_EXE), "--quiet"],
                       check=True, stderr=subprocess.DEVNULL if "sign =" in extra else None)
        return out

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


# ---------------------------------------------------------------------------------------------
# The setup section of an installer, as bytes to damage.

def setup_checksum(data: bytes) -> int:
    """The setup data checksum: 32-bit sum of the words, the remaining bytes signed, the length."""
    if not 1 <= len(data) <= 0x7FFFFFFF:
        return 0x79E2BC9D
    whole = len(data) // 4 * 4
    s = 0x79E2BC9D + sum(w for (w,) in struct.iter_unpack("<I", data[:whole]))
    s += sum(b - 256 if b >= 128 else b for b in data[whole:])
    return (s + len(data)) & 0xFFFFFFFF


def scramble(data: bytes, key: int) -> bytes:
    """The XOR scrambling of an unprotected script (its own inverse)."""
    out = bytearray(data)
    whole = len(out) // 4 * 4
    for i in range(0, whole, 4):
        struct.pack_into("<I", out, i, struct.unpack_from("<I", out, i)[0] ^ key)
    for j, i in enumerate(range(whole, len(out))):
        out[i] ^= (key >> (8 * j)) & 0xFF
    return bytes(out)


class SetupSection:
    """Where the fields of an installer's setup section lie (file offsets), for an unprotected one.

    Header: magic, version text + zero, ProductFlags2, script size, script checksum, image checksum,
    data end, file count, data size, data checksum, file count x size, then the script block and
    the file data block."""

    def __init__(self, data: bytes):
        self.pe = PeFile(data)
        self.entry = next(s for s in self.pe.sections if s.name == ".setup")
        start = self.entry.raw_position
        self.magic = start
        self.version = start + 4
        after_version = data.index(b"\0", self.version) + 1
        names = ["flags2", "script_size", "script_checksum", "image_checksum", "data_end", "file_count",
                 "data_size", "data_checksum"]
        for i, name in enumerate(names):
            setattr(self, name, after_version + 4 * i)
        self.size_list = after_version + 4 * len(names)
        file_count = self.int(data, self.file_count)
        self.script = self.size_list + 4 * file_count
        self.data_offset = self.script + self.int(data, self.script_size)

    @staticmethod
    def int(data, offset):
        return struct.unpack_from("<i", data, offset)[0]

    def record(self, data: bytes) -> bytes:
        stored = data[self.script:self.data_offset]
        return zlib.decompress(scramble(stored, struct.unpack_from("<I", data, self.script_checksum)[0]))

    def with_record(self, data: bytes, record: bytes) -> bytes:
        """The installer with its settings record replaced: script, sizes and checksum rewritten and
        the file data moved up behind the new script (which must not be longer than the old)."""
        checksum = setup_checksum(record)
        stored = scramble(zlib.compress(record, 9), checksum)
        old_length = self.data_offset - self.script
        if len(stored) > old_length:
            raise ValueError("the new script is longer than the old one")
        out = bytearray(data)
        block = data[self.data_offset:self.data_offset + self.int(data, self.data_size)]
        struct.pack_into("<iI", out, self.script_size, len(stored), checksum)
        struct.pack_into("<i", out, self.data_end, self.int(data, self.data_end) - (old_length - len(stored)))
        out[self.script:self.data_offset + len(block)] = stored + block + b"\0" * (old_length - len(stored))
        return bytes(out)


def put(offset_of, fmt, value):
    """A damage that stores VALUE (struct format FMT; a function of the section gives it) at the
    offset OFFSET_OF(section) gives."""
    def damage(data, section):
        out = bytearray(data)
        struct.pack_into(fmt, out, offset_of(section), value(section) if callable(value) else value)
        return bytes(out)
    return damage


def flip(offset_of):
    def damage(data, section):
        out = bytearray(data)
        out[offset_of(section)] ^= 0x5A
        return bytes(out)
    return damage


def pe_header_at_16(data, section):
    """Moves the PE headers and the section table from their place to file offset 16, inside the
    MZ header, where the loader still finds them (the 32-bit e_lfanew at 60 is the moved optional
    header's unused BaseOfCode, set to 16); the low half of the offset is then below 64."""
    pe = section.pe
    end = pe.table + (pe.section_count + 1) * 40
    block = data[pe.pe:end]
    out = bytearray(data)
    out[16:16 + len(block)] = block
    out[16 + len(block):end] = b"\0" * (end - 16 - len(block))
    struct.pack_into("<I", out, 0x3C, 16)
    return bytes(out)


def record_cut_to(length):
    def damage(data, section):
        record = section.record(data)
        return section.with_record(data, record[:length if length >= 0 else len(record) + length])
    return damage


def rename_section(data, section):
    out = bytearray(data)
    out[section.entry.offset:section.entry.offset + 8] = b".setuq\0\0"
    return bytes(out)


def header_padding_byte(section):
    """The last byte of the header padding: inside the image checksum range (PE header + 92 up to
    the setup section's raw data) and read by no loader."""
    return section.pe.size_of_headers - 1


# ---------------------------------------------------------------------------------------------

class NotificationServer:
    """An HTTP server on the loopback address that records the paths it was asked for."""

    def __init__(self):
        paths = self.paths = []

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                paths.append(self.path)
                self.send_response(200)
                self.send_header("Content-Length", "2")
                self.end_headers()
                self.wfile.write(b"ok")

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.port = self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


class InstallModeRuns(PrefixTestCase):
    """Intact installers get through the image check; the run then ends with exit code 1."""

    @classmethod
    def setUpClass(cls):
        cls.workspace = Workspace()
        cls.addClassCleanup(cls.workspace.remove)
        cls.server = NotificationServer()
        cls.addClassCleanup(cls.server.close)
        address = f"http://127.0.0.1:{cls.server.port}/installing?v=%version%"
        cls.notifying = cls.workspace.pack("notifying", f'[notify]\ninstall_url = "{address}"\n')
        # Blowfish over the script; the file data read from the file (the section then ends the
        # file, unpadded); both with the image check on.
        cls.protected = cls.workspace.pack("protected", "[package]\nencrypt = true\ncheck_image = true\n")
        cls.from_file = cls.workspace.pack(
            "from-file", "[install]\ndata_from_file = true\n[package]\ncheck_image = true\n")
        # Signed by the packer's signing step with a throwaway certificate: the certificate-table
        # entry, filled in after the image checksum was stored, counts as zero in the check.
        key, cert = cls.workspace.path / "key.pem", cls.workspace.path / "cert.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key),
                        "-out", str(cert), "-days", "2", "-subj", "/CN=Kestrival Test"],
                       check=True, capture_output=True)
        cls.signed = cls.workspace.pack(
            "signed", "[package]\ncheck_image = true\nsign = [\"osslsigncode\", \"sign\", \"-certs\", "
                      f'"{cert}", "-key", "{key}", "-in", "{{input}}", "-out", "{{output}}"]\n')
        super().setUpClass()

    def test_installers_get_through_the_image_check_without_a_message(self):
        # Any fatal error on the way would show its box: none means the run came through. Automatic
        # mode skips the wizard's pages; its boxes are still shown.
        for installer in [self.protected, self.from_file, self.signed]:
            with self.subTest(installer.name):
                result = self.prefix.run(program=installer, args="/a", display=self.display)
                self.assertEqual((result.code, result.box_texts), (1, []))

    def test_silent_run_sends_the_install_notification(self):
        self.server.paths.clear()
        result = self.prefix.run(program=self.notifying, args="/silent")
        self.assertEqual((result.code, result.box_texts), (1, []))
        self.assertEqual(self.server.paths, [f"/installing?v={PRODUCT_VERSION}"])


class InstallModeRuns32(InstallModeRuns):
    ARCH = "win32"


class DamagedInstallers(PrefixTestCase):
    """Byte-wise damage to a packed installer ends the run with the code of the failed check."""

    @classmethod
    def setUpClass(cls):
        cls.workspace = Workspace()
        cls.addClassCleanup(cls.workspace.remove)
        cls.plain = cls.workspace.pack("plain").read_bytes()
        cls.checked = cls.workspace.pack("checked", "[package]\ncheck_image = true\n").read_bytes()
        super().setUpClass()

    def run_damaged(self, name, installer, damage, args=""):
        data = damage(installer, SetupSection(installer))
        path = self.prefix.drive_c / f"{name}.exe"
        path.write_bytes(data)
        return self.prefix.run(program=path, args=args, display=self.display)

    def test_damaged_setup_data_reports_its_code(self):
        # Not provoked here, for a program that still loads: 44 (the program has more than 3 sections
        # before its setup section, and 100 would not fit its headers), 47 (only a zlib stream error
        # fails the inflation, and no stored bytes cause one), 10 (a seek beyond the end of the file
        # succeeds) and 35 (a file too short for the leading part has no setup header either: 20
        # comes first). The codes of the file data come after the wizard. Unit tests and
        # tests/win/setup_data_test.cpp cover them.
        cases = [
            # name, damage, expected message
            ("magic", flip(lambda s: s.magic), CORRUPTION_TEXT % 20),
            ("format version", put(lambda s: s.version, "<4s", b"35.0"), VERSION_TEXT % "35.0"),
            ("script size 0", put(lambda s: s.script_size, "<i", 0), CORRUPTION_TEXT % 22),
            # The checksum is also the scrambling key: the script then decodes to nothing.
            ("script checksum", flip(lambda s: s.script_checksum), CORRUPTION_TEXT % 25),
            ("negative file count", put(lambda s: s.file_count, "<i", -1), CORRUPTION_TEXT % 27),
            ("file size above 1 GiB", put(lambda s: s.size_list, "<i", 0x40000001), CORRUPTION_TEXT % 28),
            ("negative data size", put(lambda s: s.data_size, "<i", -1), CORRUPTION_TEXT % 29),
            ("negative data end", put(lambda s: s.data_end, "<i", -1), CORRUPTION_TEXT % 45),
            ("script beyond the section", put(lambda s: s.script_size, "<i", 0x31FFFFF), CORRUPTION_TEXT % 91),
            ("PE header at offset 16", pe_header_at_16, CORRUPTION_TEXT % 43),
            ("no raw data position", put(lambda s: s.entry.offset + 20, "<I", 0), CORRUPTION_TEXT % 9),
            # The uninstaller image takes what follows the section: here less than nothing.
            ("section larger than the file",
             put(lambda s: s.entry.offset + 16, "<I", lambda s: s.entry.raw_size + 0x200),
             TRANSLATED_CORRUPTION_TEXT % 42),
            # A record cut short reads as zeros from there: an early cut runs the conditional
            # deletion list past 1,000 entries before the language table is read ...
            ("record cut after 60 bytes", record_cut_to(60), CORRUPTION_TEXT % 38),
            # ... a cut of the end marker alone fails after the table, in the project's own words.
            ("record without its end marker", record_cut_to(-4), TRANSLATED_CORRUPTION_TEXT % 32),
            ("section renamed", rename_section, INFORMATION_TEXT),
        ]
        for name, damage, message in cases:
            with self.subTest(name):
                result = self.run_damaged(name.replace(" ", "-"), self.plain, damage)
                self.assertEqual((result.code, result.box_texts), (1, [message]))

    def test_image_checksum_is_compared_only_when_the_settings_ask(self):
        damage = flip(header_padding_byte)
        result = self.run_damaged("image-checked", self.checked, damage)
        self.assertEqual((result.code, result.box_texts), (1, [TRANSLATED_CORRUPTION_TEXT % 40]))
        for args in ["/a", "/silent"]:
            with self.subTest(args):
                result = self.run_damaged("image-unchecked", self.plain, damage, args)
                self.assertEqual((result.code, result.box_texts), (1, []))

    def test_silent_run_of_damaged_setup_data_shows_nothing(self):
        result = self.run_damaged("silent-magic", self.plain, flip(lambda s: s.magic), "/silent")
        self.assertEqual((result.code, result.box_texts), (1, []))


if __name__ == "__main__":
    unittest.main()
