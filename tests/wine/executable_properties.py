"""Properties of the built setup program that Windows and its users rely on: a 32-bit GUI program
for i386 that needs no DLL besides those every Windows has, with the manifest that asks for
administrator rights. Reads the file only; needs no Wine."""
import os
import re
import unittest
from pathlib import Path

from pe_file import MACHINE_I386, PE32_MAGIC, RT_MANIFEST, SUBSYSTEM_WINDOWS_GUI, PeFile

WIN32_BUILD = Path(os.environ.get("KS_WIN32_BUILD", Path(__file__).resolve().parents[2] / "build" / "win32"))
SETUP_EXE = WIN32_BUILD / "kestrival-setup.exe"

# DLLs the program may import: they ship with every Windows from Vista on AND the loader always takes
# them from the system folder (KnownDLLs; comctl32 comes from WinSxS through the manifest). Any other
# system DLL (version, winmm, msimg32, winhttp, ...) imported statically would be searched for in
# the installer's own folder first, where a planted copy would run elevated: such DLLs are loaded
# at run time from the system folder instead. A DLL outside this list needs a decision, not an edit
# of the list in passing.
WINDOWS_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "comctl32.dll", "comdlg32.dll", "shlwapi.dll", "msvcrt.dll",
}
# The DLLs a mingw build needs when it is not linked statically.
TOOLCHAIN_DLL = re.compile(r"^(libgcc|libstdc\+\+|libwinpthread|zlib|libz)", re.IGNORECASE)

# Where the manifest's manifest resource must be for Windows to read it from an .exe.
CREATEPROCESS_MANIFEST_ID = 1


class ExecutableProperties(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = PeFile.load(SETUP_EXE)

    def test_is_a_32_bit_gui_program_for_i386(self):
        self.assertEqual(self.pe.machine, MACHINE_I386)
        self.assertEqual(self.pe.magic, PE32_MAGIC)
        self.assertEqual(self.pe.subsystem, SUBSYSTEM_WINDOWS_GUI)

    def test_imports_only_windows_dlls(self):
        dlls = [name.lower() for name in self.pe.imported_dlls()]
        self.assertIn("kernel32.dll", dlls)
        self.assertEqual([d for d in dlls if TOOLCHAIN_DLL.match(d)], [])
        self.assertEqual(sorted(set(dlls) - WINDOWS_DLLS), [])

    def test_manifest_asks_for_administrator_rights(self):
        manifests = self.pe.resources(RT_MANIFEST)
        self.assertEqual([name for name, _ in manifests], [CREATEPROCESS_MANIFEST_ID])
        text = manifests[0][1].decode("utf-8")
        self.assertRegex(text, r'<requestedExecutionLevel\s+level="requireAdministrator"')
        self.assertIn('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', text)


if __name__ == "__main__":
    unittest.main()
