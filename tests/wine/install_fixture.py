"""Packed products for the installation tests: a project folder with files, packed by kestrival-pack
into an installer that a test runs in its prefix, and readers of what an installation leaves
(the uninstall entry with its value types, "Install.log", "Uninstall.DAT", the test trace).

Shared by the install engine's tests and the file step's tests: `Product(files=..., extra=...)`
takes a dict of relative path -> bytes, extra project text and extra [folders] keys; `pack()`
returns the installer.
"""
import os
import re
import shutil
import subprocess
import tempfile
from pathlib import Path

from harness import SETUP_EXE, SOURCE_DIR

PACKER = Path(os.environ.get("KS_HOST_BUILD", SOURCE_DIR / "build" / "host")) / "kestrival-pack"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
TRACE_VARIABLE = "KESTRIVAL_TEST_TRACE"


class Product:
    def __init__(self, name="Engine Test", uninstall_name="EngineTest", version="2.3",
                 install=r"C:\EngineTest", files=None, extra="", folders=""):
        self.name = name
        self.uninstall_name = uninstall_name
        self.install = install
        self.dir = Path(tempfile.mkdtemp(prefix="ks-product-"))
        payload = self.dir / "files"
        payload.mkdir()
        for rel, data in (files or {}).items():
            path = payload / rel
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
        files_block = '[[files]]\nfrom = "files"\n' if files else ""
        self.project = f"""
[product]
name = "{name}"
version = "{version}"
publisher = "Kestrival Tests"
uninstall_name = "{uninstall_name}"

[folders]
install = "{install.replace(chr(92), chr(92) * 2)}"
uninstall_subfolder = "Uninstall"
{folders}
{files_block}
{extra}
"""

    def pack(self, name="setup") -> Path:
        project = self.dir / f"{name}.toml"
        project.write_text(self.project, encoding="utf-8")
        out = self.dir / f"{name}.exe"
        subprocess.run([str(PACKER), str(project), "-o", str(out), "--stub", str(SETUP_EXE), "--quiet"],
                       check=True)
        return out

    def remove(self):
        shutil.rmtree(self.dir, ignore_errors=True)


def run_installer(prefix, installer: Path, args="/silent", trace=True, timeout=300, **run_options):
    """Copies the installer into the prefix and runs it (`run_options` go to Prefix.run); returns
    (result, trace lines)."""
    target = prefix.host_path(r"C:\setup.exe")
    shutil.copy(installer, target)
    trace_file = prefix.host_path(r"C:\trace.txt")
    if trace_file.exists():
        trace_file.unlink()
    extra = {TRACE_VARIABLE: r"C:\trace.txt"} if trace else None
    result = prefix.run(program=target, args=args, extra_env=extra, timeout=timeout, **run_options)
    lines = trace_file.read_text(encoding="utf-8").splitlines() if trace_file.exists() else []
    return result, lines


def uninstall_entry(prefix, uninstall_name: str, view64=False) -> dict:
    """name -> (type, data) of every value of the product's uninstall entry, as `reg query` shows."""
    args = ["reg", "query", f"{UNINSTALL_KEY}\\{uninstall_name}"]
    if prefix.arch == "win64":
        args.append("/reg:64" if view64 else "/reg:32")
    out = prefix.wine(*args)
    values = {}
    for line in out.stdout.splitlines():
        parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) == 3 else "")
    return values


def read_lines(path: Path, encoding="utf-8-sig"):
    return path.read_bytes().decode(encoding).split("\r\n")
