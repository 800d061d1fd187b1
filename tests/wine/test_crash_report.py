"""A crash outside every guard, with the installer's crash handler in place (tests/tools/
crash_show_win.cpp): "Install.log" ends with the failure summary holding "INSTALLER CRASHED!" and the
report, "ExceptionDlg" shows the report, and the report's first line and registers are those of the
instruction that crashed."""
import re
import subprocess
import time
import unittest

from harness import LAUNCHER, WIN32_BUILD, Display, Prefix, win_path

CRASH_SHOW = WIN32_BUILD / "crash_show.exe"
ILLEGAL_INSTRUCTION = 0xC000001D
APOLOGY = ("We apologize for the inconvenience, but the program has performed an illegal operation "
           "and must close.  Please report this problem to the maker of this installer by clicking "
           "the \"Inform Us\" button below.")


class CrashReport(unittest.TestCase):
    def test_crash_writes_the_log_and_shows_the_dialog(self):
        with Prefix() as prefix, Display() as display:
            folder = "C:\\Crashing Product"
            prefix.host_path(folder).mkdir(parents=True)
            env = prefix.env()
            env["DISPLAY"] = display.name
            env["KS_CMDLINE"] = f'"{win_path(CRASH_SHOW)}" "{folder}"'
            proc = subprocess.Popen(["wine", str(LAUNCHER)], env=env, stdout=subprocess.PIPE,
                                    stderr=subprocess.DEVNULL, text=True, errors="replace")
            try:
                dialog = None
                deadline = time.time() + 120
                while not dialog:
                    self.assertIsNone(proc.poll(), "the program ended without the dialog")
                    self.assertLess(time.time(), deadline, "no crash dialog")
                    found = display.xdotool("search", "--onlyvisible", "--name", "^Illegal Operation$")
                    dialog = found.stdout.split()
                    time.sleep(0.5)
                time.sleep(1)
                display.screenshot("crash-exception-dialog")
                log = prefix.host_path(folder + "\\Uninstall\\Install.log").read_bytes()
                site_text = prefix.host_path(folder + "\\site.txt").read_text()
                # "Inform Us" is disabled without a configured sender: Return means "Exit".
                display.xdotool("windowfocus", "--sync", dialog[-1])
                display.xdotool("key", "Return")
                stdout, _ = proc.communicate(timeout=60)
            finally:
                if proc.poll() is None:
                    proc.kill()
            # The process ends with the exception's code (the launcher prints it whole; its own
            # exit status keeps only the low byte).
            self.assertIn(f"exit={ILLEGAL_INSTRUCTION}", stdout)
            self.assertIn(APOLOGY, stdout)

        text = log.decode("utf-8")
        self.assertTrue(text.startswith("\ufeff"))
        summary = text.split("*** FAILURE SUMMARY ***\r\n", 1)
        self.assertEqual(len(summary), 2, text)
        crash = summary[1]
        self.assertTrue(crash.startswith("\r\n\r\nINSTALLER CRASHED!\r\n"), crash[:80])
        report = crash[len("\r\n\r\nINSTALLER CRASHED!\r\n"):]
        site = re.fullmatch(r"site=([0-9A-F]{8})", site_text)
        self.assertTrue(site, site_text)
        site = site.group(1)
        self.assertTrue(report.startswith("Exception: Invalid instruction executed.\r\n"
                                          "Product: Kestrival Setup 36.0 "), report[:120])
        self.assertIn(f"Exception code: C000001D\r\nAddress: {site}\r\n", report)
        self.assertIn(f"\r\nCPU Registers:\r\nFlags: ", report)
        for line in ("  EAX: 11111111", "  ECX: 22222222", "  EDX: 33333333", f"  EIP: {site}"):
            self.assertIn(line + "\r\n", report)
        self.assertIn("\r\n\r\nModules:\r\n", report)
        self.assertIn("\r\nCall Stack:\r\n", report)
        # The log ends with the report: nothing follows it.
        self.assertTrue(report.endswith("\r\n"))


if __name__ == "__main__":
    unittest.main()
