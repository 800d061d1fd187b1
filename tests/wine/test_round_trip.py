"""Install and uninstall round trip: a product that uses every install step Wine can carry out is
installed with /silent into a prefix whose files and registry were noted before; each effect is
checked; the product is then removed the way a user removes it, and the prefix is noted again. The
difference must be exactly what the product declared permanent, and the association it took over
must have its old value back.

The 64-bit prefix removes the product through Wine's own client of the list of installed programs
(`uninstaller --remove` with the product's key, which runs the entry's UninstallString and so the
uninstaller's questions, answered on a virtual screen); the 32-bit prefix removes it through the
entry's QuietUninstallString with /silent.

Left out: the taskbar pin (Wine has no "taskbarpin" verb) and the root shortcut (only on removable
targets). The type library and the Windows Installer package are made in the test with widl and
wixl (tools/install-deps installs them)."""
import re
import shutil
import subprocess
import time
import unittest
from pathlib import Path

from harness import SOURCE_DIR, WIN32_BUILD, Display, Prefix
from install_fixture import Product, read_lines, run_installer, uninstall_entry
from prefix_snapshot import snapshot

NAME = "Round Trip"
KEY = "RoundTrip"
# Wine's own Tahoma (an outline font) under a family name of its own: Wine skips a font resource
# whose family it already has, and the test wants a font that loads.
WINE_FONT = "/usr/share/wine/fonts/tahoma.ttf"

PROJECT = r'''
[product]
name = "Round Trip"
version = "1.4"
publisher = "Kestrival Tests"
uninstall_name = "RoundTrip"
registry_key = "Kestrival Tests\\Round Trip"

[folders]
install = "%ProgramsDir%\\Round Trip"
uninstall_subfolder = "Uninstall"
start_menu = "Kestrival Tests\\Round Trip"
desktop = "Round Trip"
add_to_path = true
add_to_path_subfolder = "bin"
grant_install_folder_rights = true

[log]
detailed = true
start_menu_shortcut = true

[uninstall]
desktop_shortcut = true

[install]
registry_text = """
\\HKLM\\Software\\Kestrival Tests\\Round Trip\\Values
\\HKLM\\Software\\Kestrival Tests\\Round Trip\\Values,Text,1,%InstallDir%,3
\\HKLM\\Software\\Kestrival Tests\\Round Trip\\Values,Expandable,2,%SystemRoot%\\rt,3
\\HKLM\\Software\\Kestrival Tests\\Round Trip\\Values,Binary,3,01 02 fe,3
\\HKLM\\Software\\Kestrival Tests\\Round Trip\\Values,Number,4,305419896,3
\\HKLM\\Software\\Kestrival Tests\\Round Trip\\Values,Large,11,81985529216486895,3
\\HKLM\\Software\\Kestrival Round Trip Extra
\\HKLM\\Software\\Kestrival Round Trip Extra,Note,1,extra,3
\\HKAU\\Software\\Kestrival Round Trip User
\\HKAU\\Software\\Kestrival Round Trip User,Seen,4,1,3
\\HKLM\\Software\\Kestrival Round Trip Kept
\\HKLM\\Software\\Kestrival Round Trip Kept,Note,1,kept,1
"""

[registry]
merge = "merge.reg"

[shortcuts]
desktop_folder_icon = "product.ico"

[[association]]
extension = ".rtdoc"
class = "RoundTrip.Document"
description = "Round trip document"
command = "\"%InstallDir%\\bin\\tool.exe\" \"%1\""
icon = "%InstallDir%\\bin\\tool.exe,0"

[[shortcut]]
target = "%InstallDir%\\bin\\tool.exe"
name = "Tools\\Round Trip Tool"
start_menu = true
desktop = true
startup = true

[[shortcut]]
target = "%InstallDir%\\docs\\readme.txt"
name = "Round Trip Readme"
folder = "%InstallDir%\\Links"

[[shortcut]]
target = "%InstallDir%\\docs\\readme.txt"
name = "Kept Readme"
folder = "C:\\Round Trip Kept Links"
permanent = true

[[firewall]]
port = 28091
protocols = ["tcp", "udp"]
name = "Round trip port"

[[firewall]]
program = "bin\\tool.exe"

[[delete]]
path = "%InstallDir%\\bin\\*.log"
install = false
uninstall = true

[[files]]
from = "files"

[[files]]
from = "kept.txt"
permanent = true

[[files]]
from = "shared.dat"
type = "shared"

[[files]]
from = "roundtrip.ttf"
type = "font"
display_name = "Round Trip Mono (TrueType)"

[[files]]
from = "agent.exe"
type = "startup"
shortcut_name = "Round Trip Agent"

[[files]]
from = "rthelper.dll"
type = "system"
version = "1.5.0.0"

[[files]]
from = "rtserver.dll"
type = "com"
version = "1.0"

[[files]]
from = "engine.dll"
type = "versioned"
version = "2.0.0.0"
to = "bin"

[[files]]
from = "rttypes.tlb"
type = "typelib"
version = "1.0"

[[files]]
from = "rtdriver.inf"
type = "driver"
to = "drivers"

[[files]]
from = "rtruntime.msi"
type = "msi"
msi_ui_level = "none"
msi_uninstall_list = true

[[files]]
from = "rtapplet.cpl"
type = "control-panel"
display_name = "Round Trip Settings"
class_id = "{5B0C3F7E-9A21-4D6B-8C3E-1F2A3B4C5D6E}"
'''

MERGE = (b'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kestrival Tests\\Round Trip\\Merged]\r\n'
         b'"From"="regedit"\r\n')

# The class that owns .rtdoc before the installation: the product takes the extension over and
# gives it back at removal.
OLD_CLASS = "Other.Document"
APPLET_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\ControlPanel\NameSpace" \
             r"\{5B0C3F7E-9A21-4D6B-8C3E-1F2A3B4C5D6E}"
PATH_KEY = r"HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
WINDOWS_CONTAINER_KEYS = re.compile(
    r"^system: Software\\\\(Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\"
    r"ControlPanel\\\\NameSpace|Classes\\\\Installer\\\\(Products|Features|UpgradeCodes)|"
    r"Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer\\\\(UpgradeCodes|"
    r"UserData\\\\S-1-5-18\\\\(Products|Components)))$")
DESKTOP_FOLDER = r"C:\users\Public\Desktop\Round Trip"


# A type library, a driver package and a Windows Installer package, made for the test by the
# tools of the mingw-w64 and msitools packages (widl, wixl).
TYPE_LIBRARY_IDL = """
[uuid(7D1E2A4B-3C5F-4E6A-9B8C-0D1E2F3A4B5C), version(1.0), helpstring("Round Trip Types")]
library RoundTripTypes
{
    typedef [uuid(8E2F3B5C-4D6A-4F7B-8C9D-1E2F3A4B5C6D)] enum RoundTripKind { RoundTripOne = 1 } RoundTripKind;
}
"""
TYPE_LIBRARY_KEY = r"HKCR\TypeLib\{7D1E2A4B-3C5F-4E6A-9B8C-0D1E2F3A4B5C}"
DRIVER_INF = (b'[Version]\r\nSignature="$Windows NT$"\r\nClass=RoundTrip\r\n'
              b'ClassGuid={3A4B5C6D-7E8F-4A0B-9C1D-2E3F4A5B6C7D}\r\nProvider=%Tests%\r\n'
              b'DriverVer=05/01/2024,1.0.0.0\r\n\r\n[Strings]\r\nTests="Kestrival Tests"\r\n')
MSI_PRODUCT = "{9F3A4B5C-6D7E-4F80-A1B2-C3D4E5F60718}"
MSI_SOURCE = f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{MSI_PRODUCT}" Name="Round Trip Runtime" Language="1033" Version="1.0.0"
           Manufacturer="Kestrival Tests" UpgradeCode="{{0A1B2C3D-4E5F-4061-8293-A4B5C6D7E8F9}}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="runtime.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="Round Trip Runtime">
          <Component Id="Runtime" Guid="{{1B2C3D4E-5F60-4172-93A4-B5C6D7E8F90A}}">
            <File Id="RuntimeText" Name="runtime.txt" Source="runtime.txt" KeyPath="yes"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="Runtime"/></Feature>
  </Product>
</Wix>
"""


def product_files(folder):
    (folder / "files" / "bin").mkdir(parents=True)
    (folder / "files" / "docs").mkdir()
    (folder / "files" / "bin" / "tool.exe").write_bytes((WIN32_BUILD / "hold_file.exe").read_bytes())
    (folder / "files" / "docs" / "readme.txt").write_bytes(b"Round trip\r\n")
    (folder / "kept.txt").write_bytes(b"kept at removal\r\n")
    (folder / "shared.dat").write_bytes(b"shared\r\n")
    font = Path(WINE_FONT).read_bytes()
    font = font.replace(b"Tahoma", b"Kestra").replace("Tahoma".encode("utf-16-be"), "Kestra".encode("utf-16-be"))
    (folder / "roundtrip.ttf").write_bytes(font)
    (folder / "agent.exe").write_bytes((WIN32_BUILD / "hold_file.exe").read_bytes())
    (folder / "rthelper.dll").write_bytes((WIN32_BUILD / "versioned-1.5.0.0.dll").read_bytes())
    (folder / "rtserver.dll").write_bytes((WIN32_BUILD / "test_com_server.dll").read_bytes())
    (folder / "engine.dll").write_bytes((WIN32_BUILD / "versioned-2.0.0.0.dll").read_bytes())
    (folder / "rtapplet.cpl").write_bytes((WIN32_BUILD / "versioned-1.5.0.0.dll").read_bytes())
    (folder / "merge.reg").write_bytes(MERGE)
    (folder / "rttypes.idl").write_text(TYPE_LIBRARY_IDL)
    subprocess.run(["i686-w64-mingw32-widl", "-t", "-o", str(folder / "rttypes.tlb"), str(folder / "rttypes.idl")],
                   check=True)
    (folder / "rtdriver.inf").write_bytes(DRIVER_INF)
    (folder / "runtime.txt").write_bytes(b"runtime\r\n")
    (folder / "rtruntime.wxs").write_text(MSI_SOURCE)
    subprocess.run(["wixl", "-o", str(folder / "rtruntime.msi"), str(folder / "rtruntime.wxs")], check=True,
                   cwd=folder)
    shutil.copy(SOURCE_DIR / "examples" / "everything" / "product.ico", folder / "product.ico")


class RoundTrip(unittest.TestCase):
    """Installs, checks, removes and compares in one prefix; the steps share their findings."""
    ARCH = "win64"
    # The uninstaller's question, answered Yes, and its completion message.
    REMOVAL_BOXES = [f"Do you want to remove {NAME} and all of its parts from your computer?",
                     f"{NAME} has been removed from your computer."]

    @classmethod
    def setUpClass(cls):
        cls.prefix = Prefix(arch=cls.ARCH).__enter__()
        cls.addClassCleanup(cls.prefix.__exit__, None, None, None)
        cls.product = Product()
        cls.product.project = PROJECT
        cls.addClassCleanup(cls.product.remove)
        product_files(cls.product.dir)
        installer = cls.product.pack()

        # An association that exists before the product: the product takes it over.
        cls.reg_add(r"HKCR\.rtdoc", None, OLD_CLASS)
        cls.reg_add(rf"HKCR\{OLD_CLASS}\shell\open\command", None, r'"C:\windows\notepad.exe" "%1"')
        cls.before = snapshot(cls.prefix)
        cls.result, _ = run_installer(cls.prefix, installer, trace=False)
        cls.location = uninstall_entry(cls.prefix, KEY).get("InstallLocation", ("", ""))[1]
        cls.installed = snapshot(cls.prefix)
        cls.install_log = "\r\n".join(read_lines(cls.host(r"Uninstall\Install.log")))
        cls.registered = {(key, value): cls.reg32(key, value) for key, value, _ in cls.registry_cases()}
        cls.path = cls.prefix.reg_query(PATH_KEY, "Path")
        cls.applet = cls.prefix.key_exists(APPLET_KEY, view64=False)
        ini = cls.prefix.host_path(DESKTOP_FOLDER + r"\desktop.ini").read_bytes()
        cls.desktop_ini = ini.decode("utf-16") if ini[:2] == b"\xff\xfe" else ini.decode("cp1252")
        # The product at work: it writes a log file that the conditional deletion removes again.
        cls.host(r"bin\tool.log").write_bytes(b"written by the product\r\n")
        cls.systemdir = r"C:\windows\syswow64" if cls.ARCH == "win64" else r"C:\windows\system32"
        cls.removal = cls.remove()
        # The uninstaller and its folder go with the self-deletion script once its process ended.
        end = time.time() + 120
        while cls.host("Uninstall").exists() and time.time() < end:
            time.sleep(1)
        cls.after = snapshot(cls.prefix)

    @classmethod
    def host(cls, relative):
        return cls.prefix.host_path(cls.location + "\\" + relative)

    @classmethod
    def reg_add(cls, key, value, data, kind="REG_SZ"):
        args = ["reg", "add", key] + (["/v", value] if value else ["/ve"]) + ["/t", kind, "/d", data, "/f"]
        cls.prefix.wine(*args, *(["/reg:32"] if cls.ARCH == "win64" else []), check=True)

    @classmethod
    def remove(cls):
        """Wine's list of installed programs removes the product by its key, through the entry's
        UninstallString: the confirmation is answered Yes."""
        with Display() as display:
            return cls.prefix.run(cmdline=f"uninstaller.exe --remove {KEY}", display=display, timeout=600)

    @classmethod
    def reg32(cls, key, value=None):
        """A value (None: the default) as the 32-bit product sees the registry; None when missing."""
        args = ["reg", "query", key] + (["/v", value] if value is not None else ["/ve"])
        out = cls.prefix.wine(*args, *(["/reg:32"] if cls.ARCH == "win64" else []))
        for line in out.stdout.splitlines():
            parts = line.strip().split("    ", 2)
            if len(parts) == 3 and (value is None or parts[0].lower() == value.lower()):
                return parts[2]
        return None

    # While installed ---------------------------------------------------------------------------

    def test_installation_made_every_effect(self):
        self.assertEqual((self.result.code, self.result.box_texts), (1, []))
        self.assertNotIn("*** FAILURE SUMMARY ***", self.install_log)
        self.assertNotIn("Failed", self.install_log)
        new_files = {f.lower().replace("/", "\\") for f in self.installed[0] - self.before[0]}
        location = self.location.lower()[3:]
        system = self.systemdir.lower()[3:]
        expected = [
            location + r"\bin\tool.exe", location + r"\docs\readme.txt", location + r"\kept.txt",
            location + r"\agent.exe", location + r"\bin\engine.dll", location + r"\rtapplet.cpl",
            location + r"\links\round trip readme.lnk", location + r"\uninstall\uninstall.exe",
            location + r"\uninstall\uninstall.dat", location + r"\uninstall\install.log",
            system + r"\rthelper.dll", system + r"\rtserver.dll", system + r"\rttypes.tlb",
            r"windows\inf\rtdriver.inf",
            location.rsplit("\\", 1)[0] + r"\round trip runtime\runtime.txt",
            r"windows\fonts\roundtrip.ttf",
            r"round trip kept links\kept readme.lnk",
            r"users\public\desktop\round trip\tools\round trip tool.lnk",
            r"users\public\desktop\round trip\desktop.ini",
            r"programdata\microsoft\windows\start menu\programs\kestrival tests\round trip\tools"
            r"\round trip tool.lnk",
            r"programdata\microsoft\windows\start menu\programs\startup\round trip agent.lnk",
            r"programdata\microsoft\windows\start menu\programs\startup\tools\round trip tool.lnk",
            location + r"\uninstall\desktop icon.ico",
        ]
        for path in expected:
            with self.subTest(path):
                self.assertIn(path, new_files)
        self.assertIn("IconFile=" + self.location + r"\Uninstall\Desktop Icon.ico", self.desktop_ini)

    @classmethod
    def registry_cases(cls):
        values = r"HKLM\Software\Kestrival Tests\Round Trip\Values"
        return [(values, "Text", cls.location), (values, "Expandable", r"%SystemRoot%\rt"),
                (values, "Binary", "0102FE"), (values, "Number", "0x12345678"),
                (r"HKLM\Software\Kestrival Round Trip Kept", "Note", "kept"),
                (r"HKCU\Software\Kestrival Round Trip User", "Seen", "0x1"),
                (r"HKCU\Software\Kestrival Tests\Round Trip\Merged", "From", "regedit"),
                (r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts", "Round Trip Mono (TrueType)",
                 "roundtrip.ttf"),
                (TYPE_LIBRARY_KEY + r"\1.0", None, "Round Trip Types"),
                (r"HKCR\.rtdoc", None, "RoundTrip.Document"),
                (r"HKCR\.rtdoc", f"{NAME} Backup", OLD_CLASS),
                (r"HKCR\RoundTrip.Document\shell\open\command", None,
                 f'"{cls.location}\\bin\\tool.exe" "%1"')]

    def test_registry_effects_while_installed(self):
        for key, value, data in self.registry_cases():
            with self.subTest(key=key, value=value):
                self.assertEqual(self.registered[(key, value)], data)
        # Wine's reg.exe shows no data for a 64-bit number: the hive has it.
        self.assertTrue(any(line.endswith('"Large"=hex(b):ef,cd,ab,89,67,45,23,01') for line in self.installed[1]))
        self.assertIn(self.location + r"\bin", self.path.split(";"))
        self.assertTrue(self.applet)
        for line in ['Installing MSI package "' + self.location + r'\rtruntime.msi"...OK',
                     'Registering Type Library "' + self.systemdir.replace("syswow64", "system32") + r'\rttypes.tlb"...OK',
                     "Final driver location: C:\\windows\\inf\\rtdriver.inf",
                     "Added firewall exception: TCP port 28091", "Added firewall exception: UDP port 28091",
                     f"Added firewall exception: {self.location}\\bin\\tool.exe",
                     'Registering control panel applet "Round Trip Settings"...OK']:
            self.assertIn(line + "\r\n", self.install_log)

    # After the removal -------------------------------------------------------------------------

    def test_removal_ended_well(self):
        self.assertEqual(self.removal.code, 0, self.removal.box_texts)
        self.assertEqual(self.removal.box_texts, self.REMOVAL_BOXES)
        self.assertFalse(self.prefix.key_exists(
            rf"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{KEY}", view64=False))

    def test_the_association_has_its_old_value_back(self):
        self.assertEqual(self.reg32(r"HKCR\.rtdoc"), OLD_CLASS)
        self.assertIsNone(self.reg32(r"HKCR\.rtdoc", f"{NAME} Backup"))
        self.assertFalse(self.prefix.key_exists(r"HKCR\RoundTrip.Document", view64=False))

    def test_what_is_left_is_exactly_what_was_declared_permanent(self):
        files_before, registry_before = self.before
        files_after, registry_after = self.after
        location = self.location[3:]
        system = self.systemdir[3:]
        # Kept: the permanent payload file (so its folder stays), the permanent shortcut in its
        # folder, the system file (system files are never removed), the stand-in COM server's
        # own note of its unregistration, and the registry value written without removal. Wine's
        # own: the Windows Installer's cache folder, which every Windows has, and the precompiled
        # form of the driver's INF, which Wine's SetupUninstallOEMInf leaves beside the INF it
        # deletes.
        expected_files = {location, location + r"\kept.txt", "Round Trip Kept Links",
                          r"Round Trip Kept Links\Kept Readme.lnk", system + r"\rthelper.dll",
                          system + r"\rtserver.dll.log", r"windows\Installer", r"windows\inf\rtdriver.pnf"}
        # (setup.exe is the test's own copy of the installer.)
        self.assertEqual({f.lower().replace("/", "\\") for f in files_after - files_before},
                         {f.lower() for f in expected_files | {"setup.exe"}})
        self.assertEqual(files_before - files_after, set())
        # The COM server was registered at installation and unregistered before it went.
        note = self.prefix.host_path(self.systemdir + r"\rtserver.dll.log").read_text()
        self.assertEqual(note.split(), ["regsvr32", "regsvr32"])
        added = {line for line in registry_after - registry_before}
        removed = {line for line in registry_before - registry_after}
        self.assertEqual(removed, set())
        # Kept: the value written without removal, with its key. The applet's key and the Windows
        # Installer's records of the package went; the empty keys that hold such records, which
        # every Windows has (a fresh Wine prefix makes them on first use), stay.
        kept = {line for line in added if "Kestrival Round Trip Kept" in line}
        self.assertEqual(len(kept), 2, kept)
        self.assertTrue(any(line.endswith('"Note"="kept"') for line in kept), kept)
        self.assertEqual({line for line in added - kept if not WINDOWS_CONTAINER_KEYS.match(line)}, set())
        self.assertFalse(self.prefix.key_exists(APPLET_KEY))


class RoundTrip32(RoundTrip):
    """The 32-bit prefix removes the product through its QuietUninstallString with /silent."""
    ARCH = "win32"
    REMOVAL_BOXES = []

    @classmethod
    def remove(cls):
        quiet = uninstall_entry(cls.prefix, KEY)["QuietUninstallString"][1]
        return cls.prefix.run(cmdline=f"{quiet} /silent", timeout=600)


if __name__ == "__main__":
    unittest.main()
