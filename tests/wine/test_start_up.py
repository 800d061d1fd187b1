"""The start of the setup program: command line, run modes, the fatal path and the uninstall
entry check. One prefix and one display for the whole module keep the program starts few."""
import unittest

from harness import SETUP_EXE, PrefixTestCase
from pe_file import PeFile

INFORMATION_TEXT = (
    "This program performs installations and uninstallations.\r\n"
    "There is no installation data present.\r\n"
    "No uninstallation parameters were specified.\r\n\r\n"
    "You should not delete this program or execute it directly.")

USAGE = (
    "\r\n\r\nUsage:\r\nkestrival-setup.exe [/a] [/b1:\"commands\"] [/b2:\"commands\"] [/b3:\"commands\"] "
    "[/d:\"dir\"] [/n:\"name\"] [/u:\"name\"] [/r:\"program\"] [/silent]\r\n\r\n"
    "/a                  \tAutomatic mode.\r\n"
    "/d:\"dir\"        \tOverride installation path.\r\n"
    "/b1:\"commands\"\tAdd commands to the end of the Pre-Installation Batch.\r\n"
    "/b2:\"commands\"\tAdd commands to the end of the Post-Installation Batch.\r\n"
    "/b3:\"commands\"\tAdd commands to the end of the Installation-Exit Batch.\r\n"
    "/n:\"name\"\tOverride product name.\r\n"
    "/u:\"name\"\tUninstall product by name.\r\n"
    "/r:\"program\"\tRun the specified program after a successful installation.\r\n"
    "/silent\tDisplay no user interface.")

CORRUPTION_TEXT = (
    "This installation program is corrupt.  This is usually caused by a faulty download, but it can "
    "also be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
    "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem "
    "persists, check your system for viruses.\r\n\r\nError code: %d")

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"


class StartUp(PrefixTestCase):
    def run_setup(self, args="", program=None):
        return self.prefix.run(program=program, args=args, display=self.display)

    def assert_box(self, box, expected):
        """Wine's trace cuts long texts; what it shows must be the start of the expected text."""
        if box.complete:
            self.assertEqual(box.text, expected)
        else:
            self.assertGreater(len(box.text), 200)
            self.assertEqual(box.text, expected[:len(box.text)])

    def add_uninstall_value(self, product, name, data, view):
        self.prefix.wine("reg", "add", f"{UNINSTALL_KEY}\\{product}", "/v", name, "/d", data, "/f",
                         f"/reg:{view}", check=True)

    def test_runs_without_setup_data_end_in_information_mode(self):
        cases = {
            "no arguments": "",
            "every installation option": '/d:"C:\\My Folder" /n:"My Product" /r:"notepad.exe `a b`" '
                                         '/b1:"echo one~~echo two" /b2:"x" /b3:"y" -A /MIN',
            "a twentieth atom is not read": "/a " * 19 + "/zz",
        }
        for name, args in cases.items():
            with self.subTest(name):
                result = self.run_setup(args)
                self.assertEqual(result.code, 1)
                self.assertEqual(result.box_texts, [INFORMATION_TEXT])

    def test_unusable_command_lines_show_the_usage(self):
        cases = {
            "/ab": "Illegal command line atom:\r\n/ab",
            "/a foo": "Unexpected command line parameter:\r\nfoo",
            "/u": "Product name required",
        }
        for args, message in cases.items():
            with self.subTest(args):
                result = self.run_setup(args)
                self.assertEqual(result.code, 1)
                self.assertEqual(len(result.boxes), 1)
                self.assert_box(result.boxes[0], message + USAGE)

    def test_silent_mode_shows_no_fatal_error(self):
        for args in ["/silent /ab", "-SILENT /u"]:
            with self.subTest(args):
                result = self.run_setup(args)
                self.assertEqual(result.code, 1)
                self.assertEqual(result.boxes, [])

    def test_uninstall_mode_checks_the_product_entry_and_ends_with_0(self):
        self.add_uninstall_value("Broken Product", "DisplayName", "Broken Display", 32)
        self.add_uninstall_value("Broken Product", "InstallLocation", " \t ", 32)
        self.add_uninstall_value("Present", "InstallLocation", "C:\\Present", 32)
        # The entry is read in the program's own (32-bit) view, where a 32-bit installer wrote it.
        self.add_uninstall_value("Only64", "InstallLocation", "C:\\Only64", 64)
        cases = {
            "/u:Nothing": ["No product named 'Nothing' is installed."],
            "/u:Only64": ["No product named 'Only64' is installed."],
            '/u:"Broken Product"': ["The uninstall information for Broken Display is corrupt.\r\n\r\n"
                                    "The uninstallation cannot be performed."],
            # Past the entry check the uninstall data file is read: here there is none.
            "/u:Present": ["The uninstall information for Present could not be loaded.\r\n\r\n"
                           "Filepath: C:\\Present\\Uninstall.DAT\r\nCode 4: The directory does not exist."],
        }
        for args, boxes in cases.items():
            with self.subTest(args):
                result = self.run_setup(args)
                self.assertEqual(result.code, 0)
                self.assertEqual(result.box_texts, boxes)

    def test_setup_section_is_located(self):
        # Installers with setup data: test_setup_data.py.
        pe = PeFile.load(SETUP_EXE)
        no_raw_data = self.prefix.drive_c / "no-raw-data.exe"
        no_raw_data.write_bytes(pe.with_section(".setup", b"", raw_position=0))

        result = self.run_setup(program=no_raw_data)
        self.assertEqual(result.code, 1)
        self.assertEqual(len(result.boxes), 1)
        self.assert_box(result.boxes[0], CORRUPTION_TEXT % 9)

        result = self.run_setup("/silent", program=no_raw_data)
        self.assertEqual((result.code, result.boxes), (1, []))


if __name__ == "__main__":
    unittest.main()
