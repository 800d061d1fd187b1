"""What a prefix holds, as sets that two moments can be compared by: every file and folder under
drive_c, and every registry key and value of the machine and user hives, less the keys Wine itself
rewrites on every start (they say nothing about a product). Used by the round-trip tests and by
make demo to show that an uninstallation leaves the machine as the installation found it."""
import re
import subprocess

# Keys Wine itself rewrites on every start or program run (and the console's settings, which Wine
# writes the first time a console window opens, as for a batch file). The SharedDLLs key is part of every
# Windows installation (a fresh Wine prefix lacks it until a first installer opens it); its values,
# the product's shared files, are still compared.
VOLATILE = re.compile(r"^(Software\\\\Wine|System\\\\CurrentControlSet\\\\Control\\\\(Session Manager\\\\Memory|"
                      r"DeviceClasses|Class)|Hardware|System\\\\CurrentControlSet\\\\Enum|Software\\\\Microsoft\\\\"
                      r"Windows\\\\CurrentVersion\\\\(Explorer|Run)|Software\\\\Microsoft\\\\Cryptography|"
                      r"DynData|.*MountPoints|.*Wow6432Node\\\\Microsoft\\\\Cryptography|Console$)", re.I)


def snapshot(prefix):
    """(files, registry): the relative paths under drive_c, and "hive: key" and "hive: key: value
    line" texts of system.reg and user.reg, after Wine has written its registry out."""
    subprocess.run(["wineserver", "-w"], env=prefix.env(), check=False)
    files = {str(p.relative_to(prefix.drive_c)) for p in prefix.drive_c.rglob("*")}
    registry = set()
    for hive in ("system.reg", "user.reg"):
        key = None
        for line in (prefix.path / hive).read_text(errors="replace").splitlines():
            if line.startswith("["):
                key = line[1:line.rfind("]")]
                if not VOLATILE.match(key) and not key.endswith("\\\\SharedDLLs"):
                    registry.add(f"{hive[:-4]}: {key}")
            elif key and line and not line.startswith("#") and not VOLATILE.match(key):
                registry.add(f"{hive[:-4]}: {key}: {line}")
    return files, registry
