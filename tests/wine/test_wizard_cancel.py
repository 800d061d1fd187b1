"""Cancel on each page of a packed installer's wizard, driven with the keyboard under Wine and Xvfb:
Escape on the page (on the progress page followed by Yes to its question) ends the run with exit
code 1, the right message or none, no uninstall entry and no installed file. One prefix serves
the whole table: nothing of a cancelled run stays behind to disturb the next."""
import shutil
import threading
import unittest

import harness
from install_fixture import UNINSTALL_KEY
from wizard_walk import PageDriver, drive, walk_product, walk_steps

FOLDER = r"C:\Cancel Test"
STOPPED = "The installation was stopped. Walk Sample has not been installed."
CREATED = f"The chosen folder does not exist yet. It will be created.\r\n\r\n{FOLDER}"
WRONG = "The password is not correct. Please try again."
QUESTION = "Do you really want to stop the installation of Walk Sample?"

# page cancelled -> the message boxes of the whole run, in order.
CASES = [
    ("language", []),
    ("greeting", []),
    ("password", [STOPPED]),
    ("licence", [WRONG, STOPPED]),
    ("readme", [WRONG, STOPPED]),
    ("folder", [WRONG, STOPPED]),
    ("startmenu", [WRONG, CREATED, STOPPED]),
    ("progress", [WRONG, CREATED, QUESTION, STOPPED]),
]


class CancelOnEachPage(harness.PrefixTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.product = walk_product((harness.WIN32_BUILD / "hold_file.exe").read_bytes())
        cls.addClassCleanup(cls.product.remove)
        cls.installer = cls.prefix.host_path(r"C:\setup.exe")
        shutil.copy(cls.product.pack(), cls.installer)

    def cancel_on(self, page):
        steps = walk_steps(FOLDER, "Cancelled", german=False)
        names = [name for name, _ in steps]
        before = steps[:names.index(page)]
        driver = PageDriver(self.display)
        errors = []

        def run_pages():
            try:
                drive(driver, before)
                driver.shot_prefix = "cancel"   # the page cancelled, as it stood
                driver.page(page, timeout=120)
                driver.keys("Escape")
            except Exception as e:  # reported below
                errors.append(e)

        thread = threading.Thread(target=run_pages, daemon=True)
        thread.start()
        result = self.prefix.run(program=self.installer, display=self.display, timeout=300)
        thread.join(timeout=30)
        self.assertFalse(errors, errors)
        return result

    def test_cancel_on_each_page(self):
        for page, boxes in CASES:
            with self.subTest(page=page):
                result = self.cancel_on(page)
                self.assertEqual(result.code, 1, result)
                self.assertEqual(result.box_texts, boxes)
                self.assertFalse(self.prefix.key_exists(f"{UNINSTALL_KEY}\\WalkSample", view64=False))
                folder = self.prefix.host_path(FOLDER)
                installed = [p for p in folder.rglob("*")] if folder.exists() else []
                # Cancelled during the installation, the run may have copied files already; before
                # it, nothing is there.
                if page != "progress":
                    self.assertEqual(installed, [])
                shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
