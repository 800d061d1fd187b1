"""The uninstaller on an installation the test lays out itself: files, folders, an uninstall entry,
shared-file counts and an "Uninstall.DAT" written byte by byte, so that the removal is checked
independently of the installer that normally leaves them behind.

One prefix serves the module; each test lays out its own product under its own name."""
import subprocess
import time
import unittest

from harness import SETUP_EXE, WIN32_BUILD, PrefixTestCase

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
SHARED_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"

STRINGS = {
    10: "Some parts could not be removed:\r\n%s",
    15: "Uninstallation complete",
    20: "Problem",
    34: "The product was removed.",
    53: "Remove the product and all of its parts?",
    55: "Product Uninstall",
    58: "Not deleted:",
}


def data_file(records, extra=b""):
    """An "Uninstall.DAT" as the installer writes it: records, then the string block."""
    text = b"".join(r.encode("utf-8") + b"\r\n" for r in records)
    text += b"\r\n\r\n[Strings]\r\n"
    for number, value in STRINGS.items():
        text += f"~{number}\r\n{value}\r\n".encode("utf-8")
    text += b"~999\r\nThe headline\r\n" + extra
    return text


class Uninstall(PrefixTestCase):
    def folder(self, name):
        return f"C:\\Program Files (x86)\\{name}" if self.ARCH == "win64" else f"C:\\Program Files\\{name}"

    def lay_out(self, name, flags2="0", extra_records=(), shared=None):
        """Installs product NAME by hand and returns its folder (Windows path)."""
        folder = self.folder(name)
        host = self.prefix.host_path(folder)
        (host / "docs" / "deep").mkdir(parents=True)
        (host / "Uninstall").mkdir()
        (host / "app.txt").write_text("app\n")
        (host / "docs" / "readme.txt").write_text("readme\n")
        (host / "docs" / "deep" / "notes.txt").write_text("notes\n")
        (host / "Uninstall" / "Install.log").write_text("log\n")
        uninstaller = host / "Uninstall" / "unins.exe"
        uninstaller.write_bytes(SETUP_EXE.read_bytes())
        records = [f"{folder}\\app.txt", f"~{folder}\\docs", f"{folder}\\docs\\readme.txt",
                   f"~{folder}\\docs\\deep", f"{folder}\\docs\\deep\\notes.txt", f"~{folder}\\Uninstall",
                   f"{folder}\\Uninstall\\unins.exe", *extra_records]
        (host / "Uninstall" / "Uninstall.DAT").write_bytes(data_file(records))
        key = f"{UNINSTALL_KEY}\\{name}"
        values = {"DisplayName": name, "InstallLocation": folder, "UninstallSubdir": "Uninstall",
                  "ProductFlags": "4", "ProductFlags2": flags2,
                  "UninstallString": f'"{folder}\\Uninstall\\unins.exe" /u:"{name}"',
                  "QuietUninstallString": f'"{folder}\\Uninstall\\unins.exe" /a /u:"{name}"'}
        if shared:
            values["SharedFiles"] = ";".join(f'"{path}"' for path in shared)
        for value, data in values.items():
            self.prefix.reg_add(key, value, data, view64=False)
        return folder

    def uninstall(self, name, args="/silent", display=True, **kwargs):
        # Started by its C: path, as the uninstall entry names it.
        folder = self.folder(name)
        cmdline = f'"{folder}\\Uninstall\\unins.exe" ' + (f"{args} " if args else "") + f'/u:"{name}"'
        return self.prefix.run(cmdline=cmdline, display=self.display if display else None, **kwargs)

    def entry_exists(self, name):
        return self.prefix.key_exists(f"{UNINSTALL_KEY}\\{name}", view64=False)

    def wait_for(self, path, seconds=60):
        end = time.time() + seconds
        while not path.exists() and time.time() < end:
            time.sleep(0.5)
        return path.exists()

    def wait_gone(self, path, seconds=60):
        """The self-deletion script runs after the uninstaller's process has ended."""
        end = time.time() + seconds
        while path.exists() and time.time() < end:
            time.sleep(1)
        return not path.exists()

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

    def test_shared_counts_drop_and_the_last_reference_removes_the_file(self):
        common = self.prefix.host_path("C:\\Shared Parts")
        common.mkdir()
        (common / "kept.dat").write_text("kept\n")
        (common / "last.dat").write_text("last\n")
        kept, last = "C:\\Shared Parts\\kept.dat", "C:\\Shared Parts\\last.dat"
        self.prefix.reg_add(SHARED_KEY, kept, "3", kind="REG_DWORD", view64=False)
        self.prefix.reg_add(SHARED_KEY, last, "1", kind="REG_DWORD", view64=False)
        self.lay_out("Sharing Product", shared=[kept, last])
        result = self.uninstall("Sharing Product", display=False)
        self.assertEqual(result.code, 0)
        self.assertEqual(self.prefix.reg_query(SHARED_KEY, kept, view64=False), "0x2")
        self.assertIsNone(self.prefix.reg_query(SHARED_KEY, last, view64=False))
        self.assertTrue((common / "kept.dat").exists())
        self.assertFalse((common / "last.dat").exists())

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
