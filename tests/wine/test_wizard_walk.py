"""An interactive installation of a packed sample product under Wine and Xvfb, driven with the
keyboard through every page of its wizard (tests/wine/wizard_walk.py): the result on disk and in
the registry is the same as that of a silent run of the same installer, the finish page's two
choices start the product and the log, and the pages look right at 96 and at 144 DPI (screenshots
under build/artifacts).

The keyboard is the only input: the language list, the password and folder edits and the Start-menu
edit take keys without a click (the first useful control has the focus), Enter accepts every page
but the licence (whose accept button is not the default), Tab reaches the finish page's boxes.
"""
import re
import shutil
import threading
import unittest

import harness
from install_fixture import TRACE_VARIABLE, UNINSTALL_KEY, uninstall_entry
from wizard_walk import PASSWORD, PageDriver, full_walk, walk_product

FOLDER = r"C:\Walk Test"
START_MENU = r"Walk\Tools"
DEFAULT_FOLDER = r"C:\WalkSample"
# ProductFlags in silent mode: (word & SILENT_KEEP) | SILENT_SET (setupdata/settings_flags.h).
SILENT_KEEP = 0xFFF7EDE37FFFFF7F
SILENT_SET = 0x80030600000


# The rows of the German language that differ from the built-in English ones: "Uninstall.DAT" keeps
# the texts of the language chosen, for the uninstaller.
GERMAN_ROWS = {"Abbrechen": "Cancel", "&Weiter >": "&Next >", "Walk Sample installieren": "Walk Sample Setup"}


def tree(root, folder, menu, german=False):
    """Relative path -> bytes (None for folders) of everything under `root`; the log's content
    differs from run to run (dates) and is left out, and "Uninstall.DAT" names the run's folder and
    Start-menu folder, which stand as <folder> and <menu>, and holds the chosen language's texts
    (`german`: put back in English)."""
    out = {}
    for path in sorted(root.rglob("*")):
        rel = str(path.relative_to(root))
        data = None if path.is_dir() or path.name == "Install.log" else path.read_bytes()
        if path.name == "Uninstall.DAT":
            # The Start-menu folder appears inside shortcut paths and, as a folder the shortcut
            # step made, as a folder record of its own.
            marks = [(folder, "<folder>"), (f"\\{menu}\\", "\\<menu>\\"),
                     (f"\\{menu}\r\n", "\\<menu>\r\n")]
            if german:
                marks += list(GERMAN_ROWS.items())
            for text, mark in marks:
                for encoding in ("utf-16-le", "cp1252"):
                    data = data.replace(text.encode(encoding), mark.encode(encoding))
        out[rel] = data
    return out


def shortcuts(prefix, folder_name):
    menus = [p for p in prefix.drive_c.rglob("*") if p.is_dir() and p.name.lower() == "programs"]
    found = set()
    for menu in menus:
        base = prefix.host_path("C:\\") / menu.relative_to(prefix.drive_c) / folder_name.replace("\\", "/")
        if base.is_dir():
            found |= {p.name for p in base.iterdir()}
    return found


class InteractiveWalk(harness.PrefixTestCase):
    """One prefix: the interactive run into FOLDER, then (its uninstall entry moved out of the way,
    so that the second run meets no earlier installation) a silent run into the default folder."""
    DPI = None
    SHOTS = "walk"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        if cls.DPI:
            for key in ("HKCU\\Control Panel\\Desktop",
                        "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"):
                cls.prefix.reg_add(key, "LogPixels", str(cls.DPI), kind="REG_DWORD")
        cls.product = walk_product((harness.WIN32_BUILD / "hold_file.exe").read_bytes())
        cls.addClassCleanup(cls.product.remove)
        installer = cls.product.pack()
        target = cls.prefix.host_path(r"C:\setup.exe")
        shutil.copy(installer, target)
        cls.trace_file = cls.prefix.host_path(r"C:\trace.txt")

        driver = PageDriver(cls.display, shot_prefix=f"{cls.SHOTS}-{cls.DPI or 96}dpi")
        errors = []

        def drive():
            try:
                full_walk(driver, FOLDER, START_MENU)
            except Exception as e:  # reported by the tests
                errors.append(e)

        thread = threading.Thread(target=drive, daemon=True)
        thread.start()
        cls.result = cls.prefix.run(program=target, display=cls.display, timeout=420,
                                    extra_env={TRACE_VARIABLE: r"C:\trace.txt"})
        thread.join(timeout=30)
        cls.errors = errors
        cls.shots = driver.shots
        cls.trace = cls.trace_file.read_text(encoding="utf-8").splitlines() if cls.trace_file.exists() else []
        cls.entry = uninstall_entry(cls.prefix, "WalkSample")
        cls.tree = tree(cls.prefix.host_path(FOLDER), FOLDER, START_MENU, german=True)
        cls.menu = shortcuts(cls.prefix, START_MENU)

    def test_walk_reached_every_page(self):
        self.assertFalse(self.errors, self.errors)
        self.assertEqual(self.result.code, 1, self.result)   # an installation run ends with 1
        self.assertEqual(self.result.box_texts, [
            "The password is not correct. Please try again.",
            f"The chosen folder does not exist yet. It will be created.\r\n\r\n{FOLDER}"])
        self.assertEqual(len(self.shots), 9)

    def test_finish_choices_start_the_product_and_the_log(self):
        self.assertIn(f"open {FOLDER}\\walk.exe", self.trace)
        self.assertIn(f'start notepad.exe "{FOLDER}\\Uninstall\\Install.log"', self.trace)
        log = self.prefix.host_path(FOLDER + r"\Uninstall\Install.log").read_text(encoding="utf-8-sig")
        self.assertIn(f"Install location: {FOLDER}", log)
        self.assertNotIn("Failed to launch", log)

    def test_same_result_as_a_silent_run(self):
        self.assertEqual(self.entry.get("InstallLocation"), ("REG_SZ", FOLDER))
        self.assertEqual(self.entry.get("ProductStartMenu"), ("REG_SZ", START_MENU))
        # The same installer once more, silently, with no earlier installation in its way.
        key = f"{UNINSTALL_KEY}\\WalkSample"
        self.prefix.wine("reg", "delete", key, "/f", "/reg:32")
        # The password page is the one page a silent run shows: a switch does not lift the protection.
        driver = PageDriver(self.display)
        typist = threading.Thread(target=lambda: (driver.page("password"), driver.type(PASSWORD),
                                                  driver.keys("Return")), daemon=True)
        typist.start()
        silent = self.prefix.run(program=self.prefix.host_path(r"C:\setup.exe"), args="/silent",
                                 display=self.display)
        typist.join(timeout=30)
        self.assertEqual(silent.code, 1, silent)
        self.assertEqual(silent.box_texts, [])
        silent_entry = uninstall_entry(self.prefix, "WalkSample")
        silent_tree = tree(self.prefix.host_path(DEFAULT_FOLDER), DEFAULT_FOLDER, "Walk Sample")

        self.assertEqual(sorted(self.tree), sorted(silent_tree))
        for name in self.tree:
            self.assertEqual(self.tree[name], silent_tree[name], name)
        self.assertIn("walk.exe", self.tree)
        self.assertIn("Uninstall/Install.log", self.tree)
        # The uninstaller speaks the language chosen on the language page.
        raw = self.prefix.host_path(FOLDER + r"\Uninstall\Uninstall.DAT").read_bytes()
        self.assertIn(b"Abbrechen", raw)

        def normalised(entry, folder, menu, silent):
            out = {}
            for name, (kind, data) in entry.items():
                if name == "InstallDate":
                    continue
                if name == "ProductFlags" and not silent:
                    # A silent run stores the option word as silent mode forced it: no pages, no
                    # questions, no windows.
                    data = str((int(data) & SILENT_KEEP) | SILENT_SET)
                data = data.replace(folder, "<folder>")
                if name == "ProductStartMenu":
                    data = data.replace(menu, "<menu>")
                out[name] = (kind, data)
            return out
        self.assertEqual(normalised(self.entry, FOLDER, START_MENU, silent=False),
                         normalised(silent_entry, DEFAULT_FOLDER, "Walk Sample", silent=True))
        # The shortcuts are the same, each run's in its own Start-menu folder.
        self.assertEqual(self.menu, shortcuts(self.prefix, "Walk Sample"))


if __name__ == "__main__":
    unittest.main()
