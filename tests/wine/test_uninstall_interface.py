"""What the uninstaller shows and whom it talks to: the installer window and progress page it
shares with the installer, the support offer, the programs to close, the uninstall notification
and the program started after it (/r:). The installation is laid out by hand (uninstall_fixture).

One prefix and one display serve the module; each test lays out its own product."""
import http.server
import subprocess
import threading
import unittest

from harness import PrefixTestCase
from uninstall_fixture import STRINGS, UninstallFixture

TRACE = "C:\\ks-uninstall-trace.txt"
WINDOW_TEXT = "Sample Removal Window"
# A flat colour of our own (COLORREF 0x00BBGGRR) and what a screenshot shows of it.
FLAT_COLOUR = 0x00336699
FLAT_RGB = (0x99, 0x66, 0x33)


def pixel(png, x, y):
    out = subprocess.run(["convert", str(png), "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
                          f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:"],
                         capture_output=True, text=True, check=True)
    return tuple(int(v) for v in out.stdout.split(","))


def auto_close_section(*entries):
    lines = "".join(f"{cls},{title},{name},{mode}\r\n" for cls, title, name, mode in entries)
    return b"\r\n\r\n[AutoClose]\r\n" + lines.encode("ascii")


class UninstallInterface(UninstallFixture, PrefixTestCase):
    def trace_lines(self):
        path = self.prefix.host_path(TRACE)
        lines = path.read_text(encoding="utf-8").splitlines() if path.exists() else []
        path.unlink(missing_ok=True)
        return lines

    def visible_windows(self):
        """(name, x, y, width, height) of every visible top-level window."""
        windows = []
        for wid in self.display.xdotool("search", "--onlyvisible", "--name", ".*").stdout.split():
            name = self.display.xdotool("getwindowname", wid).stdout.strip()
            geometry = self.display.xdotool("getwindowgeometry", "--shell", wid).stdout
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            windows.append((name, int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                            int(values["HEIGHT"])))
        return windows

    def start_notepad(self):
        env = self.prefix.env()
        env["DISPLAY"] = self.display.name
        notepad = subprocess.Popen(["wine", "notepad"], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: notepad.poll() is None and notepad.kill())
        self.display.xdotool("search", "--sync", "--onlyvisible", "--name", "Notepad", timeout=60)
        return notepad

    def test_window_and_progress_page_come_from_the_entry_and_stay_until_the_last_message(self):
        values = {"TaskbarText": WINDOW_TEXT, "TopColor": ("REG_DWORD", str(FLAT_COLOUR)),
                  "BottomColor": ("REG_DWORD", str(FLAT_COLOUR)), "TitlePosition": ("REG_DWORD", "0")}
        folder = self.lay_out("Shown Product", flags2=str(0x40000), values=values)
        seen = {}

        def at_completion(box, display):
            if box.text != STRINGS[34]:
                return False
            display.wait_for_window()   # drawn
            seen["shot"] = display.screenshot("uninstaller-window-progress-completion")
            seen["windows"] = self.visible_windows()
            return False   # the harness answers it

        result = self.uninstall("Shown Product", args="", on_box=at_completion)
        self.assertEqual(result.code, 0)
        self.assertEqual(result.box_texts, [STRINGS[53], STRINGS[34]])
        self.assertFalse(self.prefix.host_path(folder + "\\app.txt").exists())
        windows = seen["windows"]
        self.assertIn((WINDOW_TEXT, 1024, 768), [(n, w, h) for n, x, y, w, h in windows], windows)
        # The progress page (its caption is drawn in its banner): the one other window besides the
        # box, in the middle of the screen and painted, not showing the window's colour.
        pages = [(x, y, w, h) for n, x, y, w, h in windows
                 if n not in (WINDOW_TEXT, STRINGS[15]) and (w, h) != (1024, 768)]
        self.assertEqual(len(pages), 1, windows)
        x, y, w, h = pages[0]
        self.assertTrue(200 < w < 1024 and 100 < h < 768, pages)
        self.assertNotEqual(pixel(seen["shot"], x + 8, y + h - 8), FLAT_RGB)
        # The window covers the screen in the entry's flat colour (the box and the page sit in the
        # middle; the corners are the window's).
        for x, y in ((4, 4), (1019, 4), (4, 763)):
            self.assertEqual(pixel(seen["shot"], x, y), FLAT_RGB, (x, y))

    def test_support_offer_opens_the_address_instead_of_removing_or_is_declined(self):
        address = "https://help.example.invalid/product"
        folder = self.lay_out("Helped Product", values={"SupportOffer": f"  {address} \t"})
        host = self.prefix.host_path(folder)

        def answer_offer(key, name):
            def act():
                found = self.display.xdotool("search", "--sync", "--onlyvisible", "--name",
                                             f"^{STRINGS[110]}$", timeout=90)
                ids = found.stdout.split()
                if ids:
                    self.display.screenshot(name)
                    self.display.xdotool("windowfocus", "--sync", ids[-1])
                    self.display.xdotool("key", key)
            thread = threading.Thread(target=act, daemon=True)
            thread.start()
            return thread

        # The first button: the address opens in the browser and nothing is removed.
        helper = answer_offer("Return", "uninstaller-support-offer")
        result = self.uninstall("Helped Product", args="", extra_env={"KESTRIVAL_TEST_TRACE": TRACE})
        helper.join(timeout=30)
        self.assertEqual(result.code, 0)
        self.assertEqual(result.box_texts, [STRINGS[53]])
        self.assertIn(f"open {address}", self.trace_lines())
        self.assertTrue((host / "app.txt").exists())
        self.assertTrue(self.entry_exists("Helped Product"))

        # The second button: the removal goes on.
        helper = answer_offer("Escape", "uninstaller-support-offer-declined")
        result = self.uninstall("Helped Product", args="", extra_env={"KESTRIVAL_TEST_TRACE": TRACE})
        helper.join(timeout=30)
        self.assertEqual(result.code, 0)
        self.assertNotIn(f"open {address}", self.trace_lines())
        self.assertFalse((host / "app.txt").exists())
        self.assertFalse(self.entry_exists("Helped Product"))

    def test_programs_to_close_are_closed_or_asked_for(self):
        # Asked for: Cancel ends the run through the cancel message, and nothing is removed.
        folder = self.lay_out("Asking Product",
                              sections=auto_close_section(("Notepad", "", "Notepad Editor", 2)))
        notepad = self.start_notepad()

        def cancel_question(box, display):
            if not box.text.startswith("Please close"):
                return False
            display.screenshot("uninstaller-close-program-question")
            ids = display.wait_for_window()
            if ids:
                display.xdotool("windowfocus", "--sync", ids[-1])
            display.xdotool("key", "Escape")
            return True

        result = self.uninstall("Asking Product", args="", on_box=cancel_question)
        self.assertEqual(result.code, 1)
        self.assertEqual(result.box_texts, [STRINGS[53], STRINGS[107] % "Notepad Editor", STRINGS[101]])
        self.assertTrue(self.prefix.host_path(folder + "\\app.txt").exists())
        self.assertIsNone(notepad.poll(), "a program that asks first was closed without asking")

        # Closed by request, before the confirmation and also without a user interface.
        self.lay_out("Closing Product", sections=auto_close_section(("", "*Notepad", "Notepad Editor", 0)))
        result = self.uninstall("Closing Product", display=False)
        self.assertEqual(result.code, 0)
        self.assertEqual(notepad.wait(timeout=60), 0)
        self.assertFalse(self.entry_exists("Closing Product"))

    def test_a_completed_uninstallation_notifies_and_starts_the_program_after_it(self):
        requests = []

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                requests.append(self.path)
                self.send_response(200)
                self.end_headers()

            def log_message(self, *args):
                pass

        server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.shutdown)
        port = server.server_address[1]
        self.lay_out("Noted Product", values={"NotifyURL": f"http://127.0.0.1:{port}/gone?v=%version%",
                                              "DisplayVersion": "4.5"})
        run_after = "C:\\windows\\system32\\cmd.exe /c exit 0"
        result = self.uninstall("Noted Product", args=f'/silent /r:"{run_after}"', display=False,
                                extra_env={"KESTRIVAL_TEST_TRACE": TRACE})
        self.assertEqual(result.code, 0)
        # The process end waited for the request.
        self.assertEqual(requests, ["/gone?v=4.5"])
        self.assertIn(f"start {run_after}", self.trace_lines())


if __name__ == "__main__":
    unittest.main()
