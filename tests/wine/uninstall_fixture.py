"""An installation laid out by hand for the uninstaller tests: files, folders, an uninstall entry
and an "Uninstall.DAT" written byte by byte, so that the removal is checked independently of the
installer that normally leaves them behind. Mixed into a PrefixTestCase."""
import time

from harness import SETUP_EXE

UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
SHARED_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs"

STRINGS = {
    10: "Some parts could not be removed:\r\n%s",
    15: "Uninstallation complete",
    20: "Problem",
    34: "The product was removed.",
    49: "Cancel",
    53: "Remove the product and all of its parts?",
    55: "Product Uninstall",
    58: "Not deleted:",
    67: "Removing fonts...",
    68: "Removing files...",
    69: "Cleaning up the registry...",
    70: "Restoring file associations...",
    71: "The product is being removed from your computer.",
    101: "The uninstallation was cancelled.",
    104: "Remove it",
    107: "Please close %s before the product is removed.",
    109: "Would you like help with the product instead?",
    110: "Get help",
    111: "Cancelled",
}


def data_file(records, extra=b""):
    """An "Uninstall.DAT" as the installer writes it: records, the string block, then EXTRA (further
    sections, each beginning with its blank lines and header)."""
    text = b"".join(r.encode("utf-8") + b"\r\n" for r in records)
    text += b"\r\n\r\n[Strings]\r\n"
    for number, value in STRINGS.items():
        text += f"~{number}\r\n{value}\r\n".encode("utf-8")
    text += b"~999\r\nThe headline\r\n" + extra
    return text


class UninstallFixture:
    def folder(self, name):
        return f"C:\\Program Files (x86)\\{name}" if self.ARCH == "win64" else f"C:\\Program Files\\{name}"

    def lay_out(self, name, flags2="0", extra_records=(), shared=None, values=None, sections=b""):
        """Installs product NAME by hand and returns its folder (Windows path). VALUES are further
        values of the uninstall entry (text, or (kind, data)); SECTIONS are appended to the data
        file."""
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
        (host / "Uninstall" / "Uninstall.DAT").write_bytes(data_file(records, sections))
        key = f"{UNINSTALL_KEY}\\{name}"
        entry = {"DisplayName": name, "InstallLocation": folder, "UninstallSubdir": "Uninstall",
                 "ProductFlags": "4", "ProductFlags2": flags2,
                 "UninstallString": f'"{folder}\\Uninstall\\unins.exe" /u:"{name}"',
                 "QuietUninstallString": f'"{folder}\\Uninstall\\unins.exe" /a /u:"{name}"'}
        if shared:
            entry["SharedFiles"] = ";".join(f'"{path}"' for path in shared)
        entry.update(values or {})
        for value, data in entry.items():
            kind, data = data if isinstance(data, tuple) else ("REG_SZ", data)
            self.prefix.reg_add(key, value, data, kind=kind, view64=False)
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
