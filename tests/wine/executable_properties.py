"""Properties of the built setup program that Windows and its users rely on: a 32-bit GUI program
for i386 that needs no DLL besides those every Windows has, with the manifest that asks for
administrator rights, laid out so that Windows maps it (and the installers made from it) from the
file. Reads files only; needs no Wine."""
import os
import re
import struct
import subprocess
import tempfile
import unittest
from pathlib import Path

from pe_file import MACHINE_I386, PE32_MAGIC, RT_MANIFEST, SUBSYSTEM_WINDOWS_GUI, PeFile

WIN32_BUILD = Path(os.environ.get("KS_WIN32_BUILD", Path(__file__).resolve().parents[2] / "build" / "win32"))
SETUP_EXE = WIN32_BUILD / "kestrival-setup.exe"
HOST_BUILD = Path(os.environ.get("KS_HOST_BUILD", Path(__file__).resolve().parents[2] / "build" / "host"))
SOURCE_DIR = Path(__file__).resolve().parents[2]

PAGE = 0x1000
IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x20

# DLLs the program may import: they ship with every Windows from Vista on AND the loader always takes
# them from the system folder (KnownDLLs; comctl32 comes from WinSxS through the manifest). Any other
# system DLL (version, winmm, msimg32, winhttp, ...) imported statically would be searched for in
# the installer's own folder first, where a planted copy would run elevated: such DLLs are loaded
# at run time from the system folder instead. A DLL outside this list needs a decision, not an edit
# of the list in passing.
WINDOWS_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "shlwapi.dll", "msvcrt.dll",
}
# The DLLs a mingw build needs when it is not linked statically.
TOOLCHAIN_DLL = re.compile(r"^(libgcc|libstdc\+\+|libwinpthread|zlib|libz)", re.IGNORECASE)

# Where the manifest's manifest resource must be for Windows to read it from an .exe.
CREATEPROCESS_MANIFEST_ID = 1


class ExecutableProperties(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = PeFile.load(SETUP_EXE)

    def test_is_a_32_bit_gui_program_for_i386(self):
        self.assertEqual(self.pe.machine, MACHINE_I386)
        self.assertEqual(self.pe.magic, PE32_MAGIC)
        self.assertEqual(self.pe.subsystem, SUBSYSTEM_WINDOWS_GUI)

    def test_imports_only_windows_dlls(self):
        dlls = [name.lower() for name in self.pe.imported_dlls()]
        self.assertIn("kernel32.dll", dlls)
        self.assertEqual([d for d in dlls if TOOLCHAIN_DLL.match(d)], [])
        self.assertEqual(sorted(set(dlls) - WINDOWS_DLLS), [])

    def test_manifest_asks_for_administrator_rights(self):
        manifests = self.pe.resources(RT_MANIFEST)
        self.assertEqual([name for name, _ in manifests], [CREATEPROCESS_MANIFEST_ID])
        text = manifests[0][1].decode("utf-8")
        self.assertRegex(text, r'<requestedExecutionLevel\s+level="requireAdministrator"')
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', text)

    def test_is_large_address_aware(self):
        characteristics = struct.unpack_from("<H", self.pe.data, self.pe.pe + 22)[0]
        self.assertTrue(characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE)

    # Windows (and Wine) map an image from its file only when every section starts on a page of
    # the file; otherwise the whole image, payload included, is read into private memory.
    def test_sections_and_a_packed_setup_section_start_on_pages(self):
        self.assertEqual(self.pe.file_alignment, PAGE)
        with tempfile.TemporaryDirectory() as scratch:
            installer = Path(scratch) / "hello-setup.exe"
            subprocess.run([str(HOST_BUILD / "kestrival-pack"), str(SOURCE_DIR / "examples/hello/hello.toml"),
                            "-o", str(installer), "--stub", str(SETUP_EXE), "--quiet"], check=True)
            packed = PeFile.load(installer)
        # The packer writes the PE checksum of the finished file (Windows' algorithm).
        field = packed.optional + 64
        data = packed.data[:field] + b"\0\0\0\0" + packed.data[field + 4:]
        total = sum(struct.unpack(f"<{len(data) // 2}H", data[:len(data) // 2 * 2])) + (data[-1] if len(data) % 2 else 0)
        while total >> 16:
            total = (total & 0xFFFF) + (total >> 16)
        self.assertEqual(struct.unpack_from("<I", packed.data, field)[0], total + len(data))
        offsets = {s.name: s.raw_position for s in packed.sections if s.raw_size}
        self.assertIn(".setup", offsets)
        self.assertEqual({name: at % PAGE for name, at in offsets.items() if at % PAGE}, {})

    # The packer recognises the setup program by its version resource (no warning when building
    # on it) and reads "FileVersion" from version-typed files that the project gives no version.
    def test_the_packer_reads_the_version_resource(self):
        with tempfile.TemporaryDirectory() as scratch:
            scratch = Path(scratch)
            (scratch / "payload").mkdir()
            (scratch / "payload" / "tool.dll").write_bytes(SETUP_EXE.read_bytes())
            (scratch / "p.toml").write_text('[product]\nname = "V"\n[[files]]\nfrom = "payload"\n'
                                            'type = "versioned"\n')
            packer = str(HOST_BUILD / "kestrival-pack")
            run = subprocess.run([packer, str(scratch / "p.toml"), "-o", str(scratch / "v.exe"),
                                  "--stub", str(SETUP_EXE), "--quiet", "--werror"],
                                 capture_output=True, text=True)
            self.assertEqual((run.returncode, run.stderr), (0, ""))
            dump = subprocess.run([packer, "--dump", str(scratch / "v.exe")], capture_output=True,
                                  text=True, check=True).stdout
        self.assertRegex(dump, r'version/name +\S+ +"1\.0\.0\.0"')

    # Signing as a release pipeline does it, through the project's signing command: the signed
    # installer verifies, its dump says so, and a project whose data must end the file is refused.
    def test_the_packer_signs_with_the_projects_command(self):
        with tempfile.TemporaryDirectory() as scratch:
            scratch = Path(scratch)
            key, cert = scratch / "key.pem", scratch / "cert.pem"
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key),
                            "-out", str(cert), "-days", "2", "-subj", "/CN=Kestrival Test"],
                           check=True, capture_output=True)
            (scratch / "payload").mkdir()
            (scratch / "payload" / "a.txt").write_text("a")
            sign = (f'sign = ["osslsigncode", "sign", "-certs", "{cert}", "-key", "{key}", '
                    '"-in", "{input}", "-out", "{output}"]\n')
            project = '[product]\nname = "S"\n[[files]]\nfrom = "payload"\n'
            (scratch / "p.toml").write_text(project + "[package]\n" + sign)
            (scratch / "f.toml").write_text(project + "[install]\ndata_from_file = true\n[package]\n" + sign)
            packer = str(HOST_BUILD / "kestrival-pack")
            pack = lambda name: subprocess.run(
                [packer, str(scratch / f"{name}.toml"), "-o", str(scratch / f"{name}.exe"), "--stub",
                 str(SETUP_EXE), "--quiet"], capture_output=True, text=True)
            self.assertEqual(pack("p").returncode, 0)
            verify = subprocess.run(["osslsigncode", "verify", "-CAfile", str(cert), "-in", str(scratch / "p.exe")],
                                    capture_output=True, text=True)
            self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
            dump = subprocess.run([packer, "--dump", str(scratch / "p.exe")], capture_output=True, text=True,
                                  check=True).stdout
            self.assertRegex(dump, r"Signature +present")
            refused = pack("f")
            self.assertEqual(refused.returncode, 1)
            self.assertIn("cannot be signed", refused.stderr)
            self.assertFalse((scratch / "f.exe").exists())


if __name__ == "__main__":
    unittest.main()
