"""A crash inside a guarded step of a real silent installation: a COM server whose own registration
writes through a null pointer, in regsvr32 and then in the installer itself (the fall-back that
calls its DllRegisterServer). The crash is contained: the log says "CRASHED!", the failure summary
names the file, the next COM server is registered, the progress page is made the active window
again and the sequence goes on to its end."""
import re
import unittest

from harness import WIN32_BUILD, Prefix
from install_fixture import Product, read_lines, run_installer

# The stand-in server refuses in regsvr32 and crashes in the installer when its name holds "crash".
SERVER = (WIN32_BUILD / "test_com_server.dll").read_bytes()
FILES = {
    "a_crash.dll": SERVER,
    "b_ok.dll": SERVER,
    "plain.txt": b"plain\r\n",
}
RULES = '[[files.rule]]\nmatch = "*.dll"\ntype = "com"\nversion = "1.0"\n'


class CrashInAGuardedStep(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch="win64").__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        product = Product(uninstall_name="GuardedSteps", install=r"C:\Guarded", files=FILES, extra=RULES)
        cls.addClassCleanup(product.remove)
        cls.result, cls.trace = run_installer(cls.prefix, product.pack(), timeout=600)
        cls.folder = cls.prefix.host_path(r"C:\Guarded")
        cls.log = "\r\n".join(read_lines(cls.folder / "Uninstall" / "Install.log"))

    def test_the_crash_is_logged_and_summarised(self):
        crashed = re.search(r'Registering COM File "([^"]+\\a_crash\.dll)"\.\.\.CRASHED!\r\n', self.log)
        self.assertIsNotNone(crashed, self.log)
        summary = self.log.split("*** FAILURE SUMMARY ***\r\n", 1)
        self.assertEqual(len(summary), 2, "the failure summary is written")
        self.assertIn(f"Crashed while registering COM file {crashed.group(1)}\r\n", summary[1])

    def test_the_sequence_resumes(self):
        self.assertEqual(self.result.code, 1)
        # The next COM server, then every later step to its end.
        self.assertRegex(self.log, r'Registering COM File "[^"]+\\b_ok\.dll"\.\.\.OK\r\n')
        self.assertEqual((self.folder / "plain.txt").read_bytes(), b"plain\r\n")
        self.assertTrue((self.folder / "Uninstall" / "Uninstall.DAT").is_file())
        events = [l for l in self.trace if l.startswith(("progress ", "activate"))]
        after = events[events.index("progress 93"):]
        self.assertEqual(after, ["progress 93", "activate", "progress 95", "progress 97", "progress 98",
                                 "progress 99", "progress 100"])


if __name__ == "__main__":
    unittest.main()
