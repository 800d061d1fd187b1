"""The wizard pages under Wine, driven by the keyboard through xdotool: every page in every layout
variant (with a screenshot of each under build/artifacts), the choices they hand back, the first
focused control and the Tab order of each page, the folder checks and cancel on each page (the
pages at 144 DPI: test_wizard_pages_144dpi.py).

The pages are shown by wizard-walk.exe (tests/tools/wizard_walk_win.cpp) with a sample product's
settings; it writes each page's result and the choices made into a file of the prefix.
"""
import os
import threading
import time
import unittest

import harness

WALK = harness.WIN32_BUILD / "wizard-walk.exe"
VARIANTS = {1: "side", 0: "plain", 2: "banner", 3: "full"}

# The keyboard on each page of the side-picture variant, as the walker reports it once the page has
# settled: the control with the focus (the first useful one), then the Tab order. Identifiers of
# res/page_ids.h: 1017 language list, 1040 greeting link, 1019 password, 1005 document, 1015 folder
# or Start-menu name, 1013 browse, 1025/1023/1029/1027 finish boxes from the top, 1001 accept,
# 1003 cancel.
KEYS = [
    "keys Setup Language: 1017 | 1017 1001 1003",
    "keys Kestrival Sample Installation: 1001 | 1040 1001 1003",
    "keys Password: 1019 | 1019 1001 1003",
    "keys Licence Agreement: 1005 | 1005 1001 1003",
    "keys Read Me: 1005 | 1005 1001 1003",
    "keys Installation Folder: 1015 | 1015 1013 1001 1003",
    "keys Start Menu Folder: 1015 | 1015 1013 1001 1003",
    "keys Installing Kestrival Sample: 1003 | 1003",
    "keys Installation Complete: 1001 | 1025 1023 1029 1027 1001",
    "keys Get Support: 1001 | 1001 1003",
]


class PageDriver:
    """Waits for each new page (a window not seen before), screenshots it and presses its keys."""

    def __init__(self, display):
        self.display = display
        self.seen = set()

    def next_page(self, timeout=60):
        end = time.time() + timeout
        while time.time() < end:
            found = self.display.xdotool("search", "--onlyvisible", "--name", ".").stdout.split()
            new = [w for w in found if w not in self.seen]
            if new:
                self.seen.update(new)
                time.sleep(1.2)   # drawn
                return new[-1]
            time.sleep(0.3)
        raise AssertionError("no new page appeared")

    def keys(self, *keys):
        for key in keys:
            self.display.xdotool("key", key)
            time.sleep(0.4)

    def type(self, text):
        self.display.xdotool("type", "--delay", "60", text)
        time.sleep(0.4)


def results(prefix):
    path = prefix.drive_c / "walk.txt"
    return path.read_text().splitlines() if path.exists() else []


class WizardPages(harness.PrefixTestCase):
    WALK_VARIANTS = (1, 0, 2, 3)
    SHOT_PREFIX = ""

    def walk(self, args, steps, name):
        """Runs the walker; `steps` is a list of (shot name or None, action(driver)); a step whose
        shot is "-" acts on the page already shown (after a message box closed) instead of waiting
        for a new one."""
        (self.prefix.drive_c / "walk.txt").unlink(missing_ok=True)
        driver = PageDriver(self.display)
        errors = []

        def drive():
            try:
                for shot, action in steps:
                    if shot == "-":
                        time.sleep(2)
                    else:
                        driver.next_page()
                    if shot and shot != "-":
                        self.display.screenshot(f"{name}-{shot}")
                    action(driver)
            except Exception as e:  # reported after the run
                errors.append(e)

        thread = threading.Thread(target=drive, daemon=True)
        thread.start()
        result = self.prefix.run(program=WALK, args=f"/out:C:\\walk.txt {args}", display=self.display,
                                 timeout=300)
        thread.join(timeout=30)
        self.assertFalse(errors, errors)
        return result, results(self.prefix)

    def test_every_page_in_every_variant(self):
        pages = "language,greeting,password,licence,readme,folder,startmenu,progress,finish,mustuninstall,supportoffer"
        # KS_WIZARD_VARIANTS=13 limits a run by hand to some variants.
        only = os.environ.get("KS_WIZARD_VARIANTS")
        for variant in self.WALK_VARIANTS:
            label = VARIANTS[variant]
            if only and str(variant) not in only:
                continue
            with self.subTest(variant=label):
                steps = [
                    ("language", lambda d: d.keys("Down", "Return")),           # Deutsch
                    # The plain variant's greeting is a message box (answered by the harness).
                    ("greeting", lambda d: d.keys("Return")),
                    ("password", lambda d: (d.type("kestrel-7"), d.keys("Return"))),
                    (None, lambda d: None),                                      # wrong password box
                    ("-", lambda d: (d.type("Kestrel-7"), d.keys("Return"))),
                    ("licence", lambda d: d.keys("Return", "alt+a")),            # Enter does not accept
                    ("readme", lambda d: d.keys("Return")),
                    ("folder", lambda d: (d.type("C:\\Kestrival Test"), d.keys("Return"))),
                    ("startmenu", lambda d: (d.type("Kestrival\\Tools"), d.keys("Return"))),
                    ("progress", lambda d: None),
                    ("finish", lambda d: d.keys(*["shift+Tab", "space"] * 4, "Return")),
                    ("mustuninstall", lambda d: d.keys("Escape")),
                    ("supportoffer", lambda d: d.keys("Return")),
                ]
                if variant == 0:
                    # No page to find for the greeting's box: the harness answers it.
                    steps[1] = (None, lambda d: None)
                result, lines = self.walk(f"/variant:{variant} /pages:{pages}", steps,
                                          f"{self.SHOT_PREFIX}wizard-{label}")
                self.assertEqual(result.code, 0, result)
                self.assertIn("The password is not correct. Please try again.", result.box_texts)
                for line in ["language 1", "greeting 1", "password 1", "licence 1", "readme 1", "folder 1",
                             "startmenu 1", "progress open", "progress closed", "finish 1", "mustuninstall 1003",
                             "supportoffer 1001", "chosen folder C:\\Kestrival Test",
                             "chosen startmenu Kestrival\\Tools", "chosen language 1"]:
                    self.assertIn(line, lines)
                # Launch was ticked by the settings and ticked off; open file, second file and the
                # log ticked on: launch, open file, second file, view log.
                self.assertIn("chosen finish 0111", lines)
                if variant == 1:
                    for line in KEYS:
                        self.assertIn(line, lines)

    def test_cancel_on_each_page(self):
        # Escape is each page's cancel; the progress page asks first (Yes is the default answer)
        # and then ends the run through the cancellation message.
        pages = "language,greeting,password,licence,readme,folder,startmenu,mustuninstall,finish,progress"
        steps = [(name, lambda d: d.keys("Escape")) for name in pages.split(",")]
        steps[-1] = ("progress", lambda d: d.keys("Escape"))
        steps.append((None, lambda d: None))   # the question, answered yes
        result, lines = self.walk(f"/variant:1 /pages:{pages}", steps, "wizard-cancel")
        for line in ["language 0", "greeting 0", "password 0", "licence 0", "readme 0", "folder 0",
                     "startmenu 0", "mustuninstall 1003", "finish 1", "progress open"]:
            self.assertIn(line, lines)
        self.assertNotIn("progress closed", lines)
        self.assertEqual(result.code, 1, result)
        self.assertEqual(result.box_texts, [
            "Do you really want to stop the installation of Kestrival Sample?",
            "The installation was stopped. Kestrival Sample has not been installed."])

    def test_folder_checks(self):
        # Each bad folder shows its message and brings the page back; the last one is confirmed,
        # announced as new, created and accepted.
        cases = [
            ("relative\\path", "The folder name is not valid:\r\n\r\nrelative\\path"),
            ("Q:\\Kestrival", "Drive Q: is not available. Please choose another folder."),
            ("\\\\server\\share\\app",
             "Kestrival Sample cannot be installed on a network drive. Please choose a folder on this computer."),
            ("C:\\", "Please choose a folder, not the top folder of a drive."),
            ("C:\\Program Files",
             "C:\\Program Files is the folder for all programs. Please choose a folder of its own for "
             "Kestrival Sample."),
        ]
        steps = []
        for i, (folder, _) in enumerate(cases):
            steps.append((f"check-{i}", lambda d, f=folder: (d.type(f), d.keys("Return"))))
            steps.append((None, lambda d: None))   # the message, answered by the harness
        steps.append(("check-good", lambda d: (d.type("C:\\Checked Folder"), d.keys("Return"))))
        flags = "2480000080"   # folder page, confirmation, no network folders, Start-menu page next
        result, lines = self.walk(f"/variant:1 /flags:{flags} /pages:choosefolder", steps, "wizard-folder")
        self.assertEqual(result.code, 0, result)
        expected = [text for _, text in cases] + [
            "Kestrival Sample will be installed in the chosen folder. Do you want to continue?"
            "\r\n\r\nC:\\Checked Folder",
            "The chosen folder does not exist yet. It will be created.\r\n\r\nC:\\Checked Folder"]
        self.assertEqual(result.box_texts, expected)
        self.assertIn("choosefolder 1", lines)
        self.assertIn("chosen folder C:\\Checked Folder", lines)
        self.assertTrue(self.prefix.host_path("C:\\Checked Folder").is_dir())


if __name__ == "__main__":
    unittest.main()
