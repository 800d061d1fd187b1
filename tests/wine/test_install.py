"""A silent installation of a packed product, end to end: batches with their SET variables, PAUSE
removal and /b1 line, the progress positions, the shell and system steps (shortcuts in a Start-menu
subfolder and on the desktop, a registry value, a merge file, an association, a firewall port, the
PATH, folder rights), "Install.log", the uninstall entry value by value, "Uninstall.DAT" and the
uninstaller; a second installation appends to the log; a signed installer installs and writes an
uninstaller without its certificate. One prefix per class; the main scenario runs in a 64-bit and a
32-bit prefix."""
import subprocess
import time
import unittest

from harness import Display, Prefix, PrefixTestCase
from install_fixture import Product, read_lines, run_installer, uninstall_entry
from pe_file import DIRECTORY_SECURITY, PeFile

BATCHES = r'''
[batches]
pre_install = "echo pre %InstallDir%>\"%TEMP%\\pre.txt\"\n  @ pause \nset > \"%TEMP%\\set.txt\""
post_install = "echo post output\necho.\n"
exit = "echo exit>\"%TEMP%\\exit.txt\""
name_post_install = true
'''

# The shell and system steps, on targets that exist without any file of the product.
SHELL_FOLDERS = r'''
add_to_path = true
add_to_path_subfolder = "Uninstall"
grant_install_folder_rights = true
'''
SHELL = r'''
[log]
detailed = true

[install]
registry_text = """
\\HKLM\\Software\\Kestrival Tests\\Engine
\\HKLM\\Software\\Kestrival Tests\\Engine,Greeting,1,Hello %InstallDir%,3
"""

[[association]]
extension = ".kengine"
class = "Kestrival.EngineTest"
description = "Engine test document"
command = "\"%WinDir%\\notepad.exe\" \"%1\""

[[shortcut]]
target = "%WinDir%\\notepad.exe"
name = "Tools\\Engine Notes"
arguments = "--engine"
start_menu = true
desktop = true

[[firewall]]
port = 28090
name = "Engine test"

[registry]
merge = "merge.reg"

[uninstall]
msi_block = "\"C:\\Packages\\runtime.msi\",3"
'''
MERGE_FILE = b'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kestrival Tests\\Merged]\r\n"From"="regedit"\r\n'

PROGRAMS = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Engine Test"
DESKTOP = r"C:\users\Public\Desktop"
PATH_KEY = r"HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

# Positions of a run without file records: every step but the records' own.
POSITIONS_WITHOUT_FILES = [1, 2, 21, 26, 27, 91, 92, 93, 95, 97, 98, 99, 100]


class SilentInstall(unittest.TestCase):
    ARCH = "win64"

    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch=cls.ARCH).__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        cls.product = Product(extra=BATCHES + SHELL, folders=SHELL_FOLDERS)
        cls.addClassCleanup(cls.product.remove)
        (cls.product.dir / "merge.reg").write_bytes(MERGE_FILE)
        installer = cls.product.pack()
        cls.result, cls.trace = run_installer(cls.prefix, installer, '/silent /b1:"echo added>%TEMP%\\b1.txt"')
        cls.folder = cls.prefix.host_path(r"C:\EngineTest\Uninstall")

    def log_body(self):
        return "\r\n".join(read_lines(self.folder / "Install.log"))

    def reg32(self, key, value=None):
        """A value (None: the default value) in the registry view of this 32-bit product (WOW64's
        in a 64-bit prefix)."""
        args = ["reg", "query", key] + (["/v", value] if value is not None else ["/ve"])
        out = self.prefix.wine(*args, *(["/reg:32"] if self.prefix.arch == "win64" else []))
        for line in out.stdout.splitlines():
            parts = line.strip().split("    ", 2)
            if len(parts) == 3 and (value is None or parts[0].lower() == value.lower()):
                return parts[2]
        return None

    def temp_file(self, name):
        for temp in self.prefix.host_path(r"C:\users").glob("*/Temp"):
            if (temp / name).exists():
                return (temp / name).read_bytes().decode("cp1252")
        self.fail(f"{name} was not written by the batch")

    def test_exit_code_and_progress(self):
        self.assertEqual(self.result.code, 1)
        positions = [int(l.split()[1]) for l in self.trace if l.startswith("progress ")]
        self.assertEqual(positions, POSITIONS_WITHOUT_FILES)

    def test_batches(self):
        # The SET block reached the batch; the PAUSE line went (a silent run would hang on it); the
        # /b1 addition ran on its own line; the exit batch ran after the log was finished.
        self.assertEqual(self.temp_file("pre.txt").strip(), r"pre C:\EngineTest")
        variables = dict(l.split("=", 1) for l in self.temp_file("set.txt").splitlines() if "=" in l)
        self.assertEqual(variables["InstallDir"], r"C:\EngineTest")
        self.assertEqual(variables["UninstallDir"], r"C:\EngineTest\Uninstall")
        self.assertEqual(variables["Version"], "2.3")
        self.assertNotIn("OldVersion", variables)   # "SET OldVersion=" with nothing removes it
        self.assertRegex(variables["InstallerDrive"], r"^[A-Z]:$")
        self.assertEqual(self.temp_file("b1.txt").strip(), "added")
        self.assertEqual(self.temp_file("exit.txt").strip(), "exit")

    def test_install_log(self):
        raw = (self.folder / "Install.log").read_bytes()
        self.assertTrue(raw.startswith(b"\xef\xbb\xbf"))
        lines = read_lines(self.folder / "Install.log")
        self.assertEqual(lines[0], "Installation log for: Engine Test")
        self.assertRegex(lines[1], r"^Install date: \d{1,2}-[A-Z][a-z]{2}-\d{4} \d{1,2}:\d\d:\d\d[ap]$")
        self.assertEqual(lines[2:6], ["Install type: New", r"Install location: C:\EngineTest",
                                      "Installer version: 36.0", "Product version: 2.3"])
        self.assertRegex(lines[6], r"^Operating system: Windows ")
        self.assertEqual(lines[7], "")
        body = "\r\n".join(lines[8:])
        self.assertIn("\r\nRunning Post-Installation Batch...\r\npost output\r\n\r\n", body)
        # No failure: the summary heading is absent and the completion text ends the log.
        self.assertNotIn("*** FAILURE SUMMARY ***", body)

    def test_shortcuts(self):
        # The script's shortcut in the Start-menu folder's subfolder and on the all-users desktop
        # (shortcuts for all users is the default), then the uninstall shortcut.
        body = self.log_body()
        for label, folder in [("Desktop Shortcut", DESKTOP), ("Start Menu Shortcut", PROGRAMS)]:
            link = folder + r"\Tools\Engine Notes.lnk"
            with self.subTest(label):
                self.assertTrue(self.prefix.host_path(link).is_file())
                self.assertIn(f"{label}(Tools\\Engine Notes) >>> {link}\r\n", body)
        self.assertTrue(self.prefix.host_path(PROGRAMS + r"\Uninstall Engine Test.lnk").is_file())

    def test_registry_and_merge_file(self):
        self.assertEqual(self.reg32(r"HKLM\Software\Kestrival Tests\Engine", "Greeting"), r"Hello C:\EngineTest")
        self.assertIn("Merging registry file...OK\r\n", self.log_body())
        # regedit runs without being waited for.
        for _ in range(60):
            merged = self.prefix.reg_query(r"HKCU\Software\Kestrival Tests\Merged", "From")
            if merged is not None:
                break
            time.sleep(0.5)
        self.assertEqual(merged, "regedit")

    def test_association(self):
        command = r'"C:\windows\notepad.exe" "%1"'
        self.assertEqual(self.reg32(r"HKCR\.kengine"), "Kestrival.EngineTest")
        self.assertEqual(self.reg32(r"HKCR\Kestrival.EngineTest\shell\open\command"), command)
        self.assertIn(f"Associated .kengine with {command}\r\n", self.log_body())

    def test_firewall_path_and_folder_rights(self):
        body = self.log_body()
        self.assertIn("Added firewall exception: TCP port 28090\r\n", body)
        path = self.prefix.reg_query(PATH_KEY, "Path")
        self.assertTrue(path.endswith(r";C:\EngineTest\Uninstall"), path)
        self.assertIn('Added "C:\\EngineTest\\Uninstall" to the PATH.\r\n', body)
        self.assertIn('Granting rights to directory "C:\\EngineTest"...OK\r\n', body)

    def test_uninstall_entry(self):
        values = uninstall_entry(self.prefix, "EngineTest")
        uninstaller = r"C:\EngineTest\Uninstall\Uninstall.exe"
        expected = {
            "UninstallString": ("REG_SZ", f'"{uninstaller}" /u:"EngineTest"'),
            "QuietUninstallString": ("REG_SZ", f'"{uninstaller}" /a /u:"EngineTest"'),
            "DisplayName": ("REG_SZ", "Engine Test"),
            "Publisher": ("REG_SZ", "Kestrival Tests"),
            "Bitness": ("REG_DWORD", "0x0"),
            "DisplayVersion": ("REG_SZ", "2.3"),
            "VersionMajor": ("REG_DWORD", "0x2"),
            "VersionMinor": ("REG_DWORD", "0x3"),
            "UninstallSubdir": ("REG_SZ", "Uninstall"),
            "InstallLocation": ("REG_SZ", r"C:\EngineTest"),
            "AddToPathSubfolder": ("REG_SZ", "Uninstall"),
        }
        for name, value in expected.items():
            with self.subTest(name):
                self.assertEqual(values.get(name), value)
        self.assertRegex(values["InstallDate"][1], r"^20\d{6}$")
        self.assertRegex(values["ProductFlags"][1], r"^\d+$")
        self.assertEqual(int(values["ProductFlags"][1]) & 0x4, 0x4)
        self.assertRegex(values["InstallSource"][1], r"setup\.exe$")
        for absent in ["NoDowngradeBelow", "ProductFonts", "SharedFiles", "UninstallBatch1", "EstimatedSize"]:
            self.assertNotIn(absent, values)

    def test_windows_lists_the_product(self):
        out = self.prefix.wine("uninstaller", "--list")
        self.assertIn("Engine Test", out.stdout)

    def test_uninstall_data_file(self):
        lines = read_lines(self.folder / "Uninstall.DAT", "cp1252")
        strings = lines.index("[Strings]")
        records = [l for l in lines[:strings] if l]
        # The folders in the order they were created (the shared folder under Common Files, named
        # for the publisher), the uninstall shortcut in the Start menu, then the uninstaller.
        self.assertEqual(records[:2], [r"~C:\EngineTest", r"~C:\EngineTest\Uninstall"])
        self.assertRegex(records[2], r"^~C:\\Program Files( \(x86\))?\\Common Files\\Kestrival Tests$")
        # Then the shortcuts with their subfolders in list order, and the uninstaller.
        self.assertEqual(records[3:], [
            DESKTOP + r"\Tools\Engine Notes.lnk", "~" + DESKTOP + r"\Tools",
            PROGRAMS + r"\Tools\Engine Notes.lnk", "~" + PROGRAMS + r"\Tools",
            PROGRAMS + r"\Uninstall Engine Test.lnk",
            r"C:\EngineTest\Uninstall\Uninstall.exe"])
        self.assertEqual(lines[strings + 1], "~10")
        self.assertIn("~999", lines)
        # The sections the uninstaller undoes the association, the firewall port, the MSI packages
        # and the registry entries from.
        def section(name):
            start = lines.index(name) + 1
            end = next((i for i in range(start, len(lines)) if lines[i].startswith("[")), len(lines))
            return [l for l in lines[start:end] if l]
        self.assertEqual(section("[Associations]"), [".kengine~!~Kestrival.EngineTest~!~open~!~"])
        self.assertEqual(section("[Firewall]"), ["28090;Engine test;1;0"])
        self.assertEqual(section("[MSI]"), [r'"C:\Packages\runtime.msi",3'])   # the script's MSI block
        self.assertEqual(section("[Registry2]"), [r"\HKLM\Software\Kestrival Tests\Engine",
                                                  r"\HKLM\Software\Kestrival Tests\Engine,Greeting,1,Hello %InstallDir%,3"])
        self.assertTrue((self.folder / "Uninstall.exe").is_file())

    def test_the_uninstaller_starts(self):
        # The written uninstaller is a program that runs: asked to remove nothing, or a product
        # that is not there, it says so.
        uninstaller = self.folder / "Uninstall.exe"
        # A command line without the name is refused (exit code 1); uninstall mode ends with 0.
        cases = [("/u", 1, "Product name required"),
                 ('/u:"Not Installed"', 0, "No product named 'Not Installed' is installed.")]
        with Display() as display:
            for args, code, text in cases:
                with self.subTest(args):
                    result = self.prefix.run(program=uninstaller, args=args, display=display)
                    self.assertEqual(result.code, code)
                    self.assertEqual(len(result.box_texts), 1, result.box_texts)
                    self.assertTrue(result.box_texts[0].startswith(text), result.box_texts[0])


class SilentInstall32(SilentInstall):
    ARCH = "win32"


if __name__ == "__main__":
    unittest.main()


class ProgressWithFiles(unittest.TestCase):
    """The file step's positions: 28 + i x 62 / n before record i, for one file and for 62."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch="win64").__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)

    def install(self, count):
        files = {f"sub/f{i:02}.txt": f"file {i}\r\n".encode() for i in range(count)}
        product = Product(uninstall_name=f"Progress{count}", install=rf"C:\Progress{count}", files=files)
        self.addCleanup(product.remove)
        result, trace = run_installer(self.prefix, product.pack())
        self.assertEqual(result.code, 1)
        return [int(l.split()[1]) for l in trace if l.startswith("progress ")]

    def test_positions(self):
        for count, file_positions in [(1, [28]), (62, list(range(28, 90)))]:
            with self.subTest(files=count):
                positions = self.install(count)
                self.assertEqual(positions, POSITIONS_WITHOUT_FILES[:5] + file_positions + POSITIONS_WITHOUT_FILES[5:])
                folder = self.prefix.host_path(rf"C:\Progress{count}\sub")
                self.assertEqual((folder / "f00.txt").read_bytes(), b"file 0\r\n")


class SignedInstall(PrefixTestCase):
    """An installer signed by the packer's signing step (osslsigncode, a throwaway certificate), with
    its image check on, installs silently; the uninstaller it writes is a program of its own with the
    certificate removed: it starts, and says so when no product has the name it is given."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.product = Product(name="Signed Test", uninstall_name="SignedTest", install=r"C:\SignedTest",
                              files={"readme.txt": b"signed\r\n"})
        cls.addClassCleanup(cls.product.remove)
        key, cert = cls.product.dir / "key.pem", cls.product.dir / "cert.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", str(key),
                        "-out", str(cert), "-days", "2", "-subj", "/CN=Signing Round Trip"],
                       check=True, capture_output=True)
        cls.product.project += ("[package]\ncheck_image = true\nsign = [\"osslsigncode\", \"sign\", \"-certs\", "
                                f'"{cert}", "-key", "{key}", "-in", "{{input}}", "-out", "{{output}}"]\n')
        cls.installer = cls.product.pack()
        cls.result, cls.trace = run_installer(cls.prefix, cls.installer)
        cls.uninstaller = cls.prefix.host_path(r"C:\SignedTest\Uninstall\Uninstall.exe")

    def test_the_signed_installer_installs(self):
        self.assertNotEqual(PeFile.load(self.installer).directory(DIRECTORY_SECURITY), (0, 0))
        self.assertEqual((self.result.code, self.result.box_texts), (1, []))
        self.assertEqual(self.prefix.host_path(r"C:\SignedTest\readme.txt").read_bytes(), b"signed\r\n")
        self.assertIn("DisplayName", uninstall_entry(self.prefix, "SignedTest"))

    def test_the_uninstaller_has_no_certificate_and_runs(self):
        data = self.uninstaller.read_bytes()
        pe = PeFile(data)
        self.assertEqual(pe.directory(DIRECTORY_SECURITY), (0, 0))
        self.assertNotIn(b"Signing Round Trip", data)
        result = self.prefix.run(program=self.uninstaller, args='/u:"Nobody Here"', display=self.display)
        self.assertEqual((result.code, result.box_texts), (0, ["No product named 'Nobody Here' is installed."]))
