"""The Wine half of make demo: install the packed sample silently, show what it put on the machine,
uninstall it through its registered quiet uninstall command, show what is left; then install it
once more the way a person does, through the wizard on a virtual screen (Xvfb, driven with the
keyboard), saving a picture of every page under build/demo/screenshots.

Usage: demo_run.py INSTALLER"""
import re
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "wine"))
from harness import Display, Prefix  # noqa: E402
from prefix_snapshot import snapshot  # noqa: E402
from wizard_walk import PageDriver, drive  # noqa: E402

SCREENSHOTS = Path(__file__).resolve().parent.parent / "build" / "demo" / "screenshots"

PRODUCT = "Kestrival Greeter"
ENTRY = rf"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\{PRODUCT}"
PATH_KEY = r"HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment"


def reg_value(prefix, key, value=None):
    """A value (None: the key's default value) as the 32-bit sample product sees the registry (the
    WOW64 view in a 64-bit prefix); None when it is missing."""
    args = ["reg", "query", key] + (["/v", value] if value is not None else ["/ve"])
    if prefix.arch == "win64":
        args.append("/reg:32")
    for line in prefix.wine(*args).stdout.splitlines():
        parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
        if len(parts) == 3 and (value is None or parts[0].lower() == value.lower()):
            return parts[2]
    return None


def check_registered(prefix, location):
    """Shows the association, the registry value and the PATH entry of examples/demo/demo.toml;
    True when each is what the project asked for."""
    command = f'"{location}\\greet.exe" "%1"'
    path = prefix.reg_query(PATH_KEY, "Path") or ""
    checks = [
        ("file type .kgreet", reg_value(prefix, r"HKCR\.kgreet"), "Kestrival.Greeting"),
        ("  opened with", reg_value(prefix, r"HKCR\Kestrival.Greeting\shell\open\command"), command),
        ("registry value Greeting", reg_value(prefix, r"HKLM\Software\Kestrival Samples\Greeter", "Greeting"),
         "Hello"),
        ("system PATH entry", location if location.lower() in (p.lower() for p in path.split(";")) else None,
         location),
    ]
    print("   What the installation registered with Windows:")
    ok = True
    for what, found, wanted in checks:
        good = found == wanted
        ok = ok and good
        print(f"      {what:<24} {found if found is not None else '(missing)'}"
              f"{'' if good else f'   WRONG: expected {wanted}'}")
    return ok


def indent(lines, limit=25, sort=True):
    lines = sorted(lines) if sort else list(lines)
    for line in lines[:limit]:
        print("      " + line)
    if len(lines) > limit:
        print(f"      ... and {len(lines) - limit} more")


def main(installer):
    with Prefix() as prefix:
        print("1. A fresh Wine prefix stands for a fresh Windows machine.")
        files_before, registry_before = snapshot(prefix)

        print(f"2. {Path(installer).name} /silent: the installation without any user interface.")
        result = prefix.run(program=installer, args="/silent", debug="-all")
        print(f"   exit code {result.code} (an installation run always ends with 1; the results below "
              "tell whether it worked)")
        files_after, registry_after = snapshot(prefix)
        new_files = files_after - files_before
        print(f"   {len(new_files)} new files and folders under C:\\, among them:")
        indent(new_files)
        shortcuts = [f for f in new_files if f.lower().endswith(".lnk")]
        print(f"   shortcuts: {len(shortcuts)}")
        indent(shortcuts)

        quiet = prefix.reg_query(ENTRY, "QuietUninstallString", view64=False)
        if quiet is None:
            print(f"\n   The product has no uninstall entry ({ENTRY}): the installation did not register it,")
            print("   so there is nothing to uninstall. Result: FAILED (the install sequence of this build")
            print("   does not yet put the product on the machine).")
            return 1
        print("   The uninstall entry, as the list of installed programs reads it:")
        for value in ("DisplayName", "DisplayVersion", "Publisher", "InstallLocation", "UninstallString",
                      "QuietUninstallString"):
            print(f"      {value} = {prefix.reg_query(ENTRY, value, view64=False)}")
        location = prefix.reg_query(ENTRY, "InstallLocation", view64=False)
        if not check_registered(prefix, location or ""):
            print("   Result: FAILED (the installation did not register all of the above)")
            return 1
        logs = [f for f in new_files if f.lower().endswith("install.log")]
        if logs:
            print("   The installation log begins:")
            text = (prefix.drive_c / logs[0]).read_text(encoding="utf-8-sig", errors="replace")
            indent([line for line in text.splitlines() if line.strip()][:12], limit=12, sort=False)

        print(f"\n3. The registered quiet uninstall command, with /silent: {quiet} /silent")
        result = prefix.run(cmdline=f"{quiet} /silent", debug="-all")
        print(f"   exit code {result.code} (the uninstaller ends with 0; what is left below tells whether "
              "it removed everything)")
        folder = prefix.host_path(location) if location else None
        if folder is not None:
            # The uninstaller's own file and folders go with its self-deletion script, after it ended.
            end = time.time() + 60
            while folder.exists() and time.time() < end:
                time.sleep(1)
        files_end, registry_end = snapshot(prefix)
        left_files = files_end - files_before
        left_registry = registry_end - registry_before
        if not left_files and not left_registry:
            print("\n4. Nothing is left: every file, folder and registry entry of the product is gone.")
            return 0
        print(f"\n4. Left behind: {len(left_files)} files or folders and {len(left_registry)} registry entries:")
        indent(left_files)
        indent(left_registry)
        print("   Result: FAILED (the uninstallation left these behind)")
        return 1


def interactive(installer):
    """The wizard of the sample, page by page, with the keyboard only: the defaults everywhere,
    the licence accepted. Returns 0 when every page came and the product was installed."""
    print("\n5. The same installer started the way a person does, on a virtual screen: every page of")
    print("   its wizard, saved as a picture in build/demo/screenshots:")
    steps = [
        ("greeting", lambda d: d.keys("Return")),
        ("licence", lambda d: d.keys("alt+a")),
        ("readme", lambda d: d.keys("Return")),
        ("folder", lambda d: d.keys("Return")),     # the default folder; "will be created" is answered
        ("startmenu", lambda d: d.keys("Return")),
        ("progress", lambda d: None),
        ("finish", lambda d: d.keys("Return")),
    ]
    for old in SCREENSHOTS.glob("*.png"):
        old.unlink()
    with Prefix() as prefix, Display() as display:
        driver = PageDriver(display, shot_prefix="wizard", product_name=PRODUCT, shot_window=True,
                            shot_folder=SCREENSHOTS)
        errors = []

        def walk():
            try:
                drive(driver, steps)
            except Exception as e:  # told below
                errors.append(e)

        thread = threading.Thread(target=walk, daemon=True)
        thread.start()
        result = prefix.run(program=installer, display=display, timeout=420)
        thread.join(timeout=30)
        for shot in driver.shots:
            print(f"      {shot.name}")
        for box in result.box_texts:
            print(f"   message box: {box.splitlines()[0]}")
        location = prefix.reg_query(ENTRY, "InstallLocation", view64=False)
        if errors or not location:
            print(f"   Result: FAILED ({errors[0] if errors else 'the product was not installed'})")
            return 1
        print(f"   Installed in {location} through {len(driver.shots)} pages.")
        return 0


if __name__ == "__main__":
    status = main(sys.argv[1])
    sys.exit(status or interactive(sys.argv[1]))
