"""The code page of a batch file by Windows version, through silent installations in one prefix whose
Windows version the test sets between runs: a batch with a character beyond ASCII is written as
UTF-8 behind "@chcp 65001" from Windows 7 on, and as Windows-1252 behind "@chcp 1252" before it; a
plain ASCII batch takes Windows-1252 everywhere. Each batch copies its own file for the test."""
import unittest

from harness import Prefix
from install_fixture import Product, run_installer

BATCHES = r'''
[batches]
pre_install = "rem caf\u00e9\ncopy /y \"%~f0\" \"%TEMP%\\pre.bat\" >nul"
post_install = "copy /y \"%~f0\" \"%TEMP%\\post.bat\" >nul"
'''

UTF8 = b"@chcp 65001 >nul\r\n@echo off\r\n"
ANSI = b"@chcp 1252 >nul\r\n@echo off\r\n"


class BatchCodePage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch="win64").__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        cls.product = Product(uninstall_name="BatchCodePage", install=r"C:\BatchCodePage", extra=BATCHES)
        cls.addClassCleanup(cls.product.remove)
        cls.installer = cls.product.pack()

    def copies(self):
        found = {}
        for temp in self.prefix.host_path(r"C:\users").glob("*/Temp"):
            for name in ("pre.bat", "post.bat"):
                if (temp / name).exists():
                    found[name] = (temp / name).read_bytes()
                    (temp / name).unlink()
        return found

    def test_code_page_by_windows_version(self):
        # Windows version, first line and encoding of "café" in the batch with the non-ASCII text.
        cases = [("vista", ANSI, b"rem caf\xe9\r\n"),
                 ("win7", UTF8, b"rem caf\xc3\xa9\r\n"),
                 ("win10", UTF8, b"rem caf\xc3\xa9\r\n")]
        for version, start, text in cases:
            with self.subTest(version):
                self.prefix.wine("winecfg", "-v", version, check=True)
                result, _ = run_installer(self.prefix, self.installer)
                self.assertEqual(result.code, 1)
                copies = self.copies()
                self.assertEqual(set(copies), {"pre.bat", "post.bat"})
                self.assertTrue(copies["pre.bat"].startswith(start), copies["pre.bat"][:40])
                self.assertIn(text, copies["pre.bat"])
                self.assertTrue(copies["post.bat"].startswith(ANSI), copies["post.bat"][:40])


if __name__ == "__main__":
    unittest.main()
