"""The uninstaller on an installation the test lays out itself: files, folders, an uninstall entry,
shared-file counts and an "Uninstall.DAT" written byte by byte, so that the removal is checked
independently of the installer that normally leaves them behind.

One prefix serves the module; each test lays out its own product under its own name."""
import subprocess
import unittest

from harness import WIN32_BUILD, PrefixTestCase
from uninstall_fixture import SHARED_KEY, STRINGS, UninstallFixture


class Uninstall(UninstallFixture, PrefixTestCase):
    def test_silent_uninstall_removes_everything_and_itself(self):
        folder = self.lay_out("Silent Product")
        host = self.prefix.host_path(folder)
        result = self.uninstall("Silent Product", display=False)
        self.assertEqual(result.code, 0)
        self.assertEqual(result.box_texts, [])
        self.assertFalse(self.entry_exists("Silent Product"))
        for gone in ("app.txt", "docs", "Uninstall/Install.log", "Uninstall/Uninstall.DAT"):
            self.assertFalse((host / gone).exists(), gone)
        self.assertTrue(self.wait_gone(host), "the self-deletion script left the product folder")

    def test_interactive_messages_no_keeps_everything_and_yes_completes(self):
        folder = self.lay_out("Asked Product", flags2=str(0x40000))
        host = self.prefix.host_path(folder)

        def say_no(box, display):
            ids = display.wait_for_window()
            if ids:
                display.xdotool("windowfocus", "--sync", ids[-1])
            display.xdotool("key", "Tab", "Return")
            return True

        result = self.uninstall("Asked Product", args="", on_box=say_no)
        self.assertEqual(result.code, 1)
        self.assertEqual(result.box_texts, [STRINGS[53]])
        self.assertTrue((host / "app.txt").exists())
        self.assertTrue(self.entry_exists("Asked Product"))

        result = self.uninstall("Asked Product", args="")
        self.assertEqual(result.code, 0)
        self.assertEqual(result.box_texts, [STRINGS[53], STRINGS[34]])
        self.assertFalse((host / "app.txt").exists())
        self.assertFalse(self.entry_exists("Asked Product"))

        result = self.prefix.run(args='/u:"Asked Product"', display=self.display)
        self.assertEqual(result.code, 0)
        self.assertEqual(result.box_texts, ["No product named 'Asked Product' is installed."])
        # Automatic mode (the entry's QuietUninstallString) shows no error boxes.
        result = self.prefix.run(args='/a /u:"Asked Product"', display=self.display)
        self.assertEqual((result.code, result.box_texts), (0, []))

    def test_shared_counts_drop_and_the_last_reference_removes_the_file(self):
        common = self.prefix.host_path("C:\\Shared Parts")
        common.mkdir()
        (common / "kept.dat").write_text("kept\n")
        (common / "last.dat").write_text("last\n")
        # COM servers whose last reference goes: one unregisters through regsvr32, the other
        # refuses there and crashes when the uninstaller calls its export itself.
        for name in ("server.dll", "crash-server.dll"):
            (common / name).write_bytes((WIN32_BUILD / "test_com_server.dll").read_bytes())
        kept, last = "C:\\Shared Parts\\kept.dat", "C:\\Shared Parts\\last.dat"
        server, crashing = "C:\\Shared Parts\\server.dll", "C:\\Shared Parts\\crash-server.dll"
        self.prefix.reg_add(SHARED_KEY, kept, "3", kind="REG_DWORD", view64=False)
        for path in (last, server, crashing):
            self.prefix.reg_add(SHARED_KEY, path, "1", kind="REG_DWORD", view64=False)
        self.lay_out("Sharing Product", shared=[kept, last, server + "^", crashing + "^"])
        result = self.uninstall("Sharing Product", display=False)
        self.assertEqual(result.code, 0)
        self.assertFalse(self.entry_exists("Sharing Product"))
        self.assertEqual(self.prefix.reg_query(SHARED_KEY, kept, view64=False), "0x2")
        for path in (last, server, crashing):
            self.assertIsNone(self.prefix.reg_query(SHARED_KEY, path, view64=False), path)
        self.assertTrue((common / "kept.dat").exists())
        for gone in ("last.dat", "server.dll", "crash-server.dll"):
            self.assertFalse((common / gone).exists(), gone)
        self.assertEqual((common / "server.dll.log").read_text().split(), ["regsvr32"])
        self.assertEqual((common / "crash-server.dll.log").read_text().split(), ["regsvr32", "in-process"])

    def test_records_naming_the_system_are_refused_and_the_rest_is_removed(self):
        windows = self.prefix.host_path("C:\\windows")
        victim = self.prefix.host_path("C:\\users\\Public\\Emptied")
        (victim / "x").mkdir(parents=True, exist_ok=True)
        hostile = ["~C:\\", "~C:\\windows", "C:\\windows\\system32", "~C:\\Program Files",
                   "~C:\\users\\Public", "~C:\\users\\Public\\Emptied\\x"]
        folder = self.lay_out("Hostile Product", extra_records=hostile)
        host = self.prefix.host_path(folder)
        result = self.uninstall("Hostile Product", args="", display=True)
        self.assertEqual(result.code, 0)
        self.assertTrue((windows / "system32").is_dir())
        self.assertTrue(self.prefix.host_path("C:\\users\\Public").is_dir())
        # Refusals are reported in the closing message; the product's own files are gone.
        self.assertEqual(len(result.boxes), 2, result.box_texts)
        summary = result.boxes[1].text
        for refused in ("C:\\windows\\system32", "C:\\Program Files"):
            self.assertIn(refused, summary)
        self.assertFalse((host / "app.txt").exists())
        self.assertFalse((host / "docs").exists())
        # An empty folder below a protected one goes, with its empty parents up to the protected one.
        self.assertFalse(victim.exists())
        # The entry survives the failure; the rewritten data file holds no refused record, so a
        # second run completes.
        self.assertTrue(self.entry_exists("Hostile Product"))
        rewritten = (host / "Uninstall" / "Uninstall.DAT").read_bytes()
        self.assertNotIn(b"C:\\windows", rewritten.split(b"[Strings]")[0])
        result = self.uninstall("Hostile Product", display=False)
        self.assertEqual(result.code, 0)
        self.assertFalse(self.entry_exists("Hostile Product"))

    def test_a_package_that_fails_to_uninstall_stays_listed_and_drivers_report_nothing(self):
        folder = self.lay_out("Packaged Product", sections=(
            b"\r\n\r\n[INF]\r\nC:\\windows\\inf\\oem-none.inf\r\n"
            b"\r\n\r\n[MSI]\r\n\"C:\\Packages\\missing.msi\",2\r\n"))
        host = self.prefix.host_path(folder)
        result = self.uninstall("Packaged Product", display=False)
        self.assertEqual(result.code, 0)
        # Everything else went; the package failed, so the entry and the data file stay for
        # another run, which is asked to remove only that package.
        self.assertFalse((host / "app.txt").exists())
        self.assertTrue(self.entry_exists("Packaged Product"))
        rewritten = (host / "Uninstall" / "Uninstall.DAT").read_bytes()
        self.assertIn(b"\r\n[MSI]\r\n\"C:\\Packages\\missing.msi\",2\r\n", rewritten)
        self.assertNotIn(b"[INF]", rewritten)
        # The failure summary names the package with its code (the interactive run shows it).
        result = self.uninstall("Packaged Product", args="")
        self.assertEqual(result.code, 0)
        self.assertEqual(len(result.boxes), 2, result.box_texts)
        self.assertRegex(result.boxes[1].text, r"Failed to uninstall missing\.msi, code [1-9][0-9]*: ")

    def test_a_locked_file_stays_listed_and_a_second_run_finishes(self):
        folder = self.lay_out("Locked Product")
        host = self.prefix.host_path(folder)
        signals = self.prefix.host_path("C:\\hold-signals")
        signals.mkdir()
        env = self.prefix.env()
        env["DISPLAY"] = self.display.name   # the prefix's desktop must know the display
        holder = subprocess.Popen(["wine", str(WIN32_BUILD / "hold_file.exe"), f"{folder}\\app.txt",
                                   "C:\\hold-signals"], env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            self.assertTrue(self.wait_for(signals / "held"), "the file was not held")
            result = self.uninstall("Locked Product", display=False)
            self.assertEqual(result.code, 0)
            self.assertTrue(self.entry_exists("Locked Product"))
            self.assertTrue((host / "app.txt").exists())
            self.assertFalse((host / "docs").exists())
            rewritten = (host / "Uninstall" / "Uninstall.DAT").read_bytes().decode("utf-8")
            records = rewritten.split("\r\n\r\n\r\n[Strings]")[0].split("\r\n")
            self.assertEqual(records, [f"{folder}\\app.txt", f"~{folder}\\Uninstall"])
        finally:
            (signals / "release").write_text("")
            holder.wait(timeout=120)
        result = self.uninstall("Locked Product", display=False)
        self.assertEqual(result.code, 0)
        self.assertFalse(self.entry_exists("Locked Product"))
        self.assertFalse((host / "app.txt").exists())


if __name__ == "__main__":
    unittest.main()
