"""Driving a packed installer's wizard under Xvfb with the keyboard: a sample product whose wizard
shows every page, and a driver that waits for each page by its window title, takes its screenshot
and presses its keys. Shared by the interactive walk, the cancel table and make demo."""
import re
import time

from install_fixture import Product

def page_titles(product_name):
    """Window titles of the pages of a product (the built-in English texts; the German language of
    the walk's sample changes only the buttons and the installer window's title)."""
    return {
        "language": "Setup Language",
        "greeting": f"{product_name} Setup",
        "password": "Password",
        "licence": "Licence Agreement",
        "readme": "Read Me",
        "folder": "Installation Folder",
        "startmenu": "Start Menu Folder",
        "progress": f"Installing {product_name}",
        "finish": "Installation Complete",
    }


PASSWORD = "Kestrel-7"
LICENCE = (rb"{\rtf1\ansi\deff0{\fonttbl{\f0 Tahoma;}}\f0\fs18 {\b Walk Sample Licence}\par\par "
           rb"You may use this {\i sample} on any number of computers.\par}")
README = b"Walk Sample 1.0\r\nRelease notes for <product>.\r\n"

PROJECT_EXTRA = r'''
[wizard]
status_time = 600
greeting_link = "https://example.org/walk"
licence = "licence.rtf"
readme = "readme.txt"
offer_view_log = true

[[shortcut]]
target = "%InstallDir%\\walk.exe"
name = "Walk Sample"
start_menu = true

[[language]]
name = "English"

[[language]]
name = "Deutsch"
[language.text]
0 = "<product> installieren"
next_button = "&Weiter >"
cancel_button = "Abbrechen"
'''


def walk_product(program: bytes) -> Product:
    """The sample product: one program (started by the finish page's launch choice), a readme,
    two languages, a password, a rich-text licence and a readme page."""
    product = Product(name="Walk Sample", uninstall_name="WalkSample", version="1.0",
                      install=r"C:\WalkSample",
                      files={"walk.exe": program, "docs/readme.txt": README}, extra=PROJECT_EXTRA)
    product.project = product.project.replace("[folders]", f'password = "{PASSWORD}"\n\n[folders]', 1)
    (product.dir / "licence.rtf").write_bytes(LICENCE)
    (product.dir / "readme.txt").write_bytes(README)
    return product


class PageDriver:
    """Waits for each page by its title (a window not used before), focuses it, screenshots it."""

    def __init__(self, display, shot_prefix=None, product_name="Walk Sample", shot_window=False,
                 shot_folder=None):
        self.display = display
        self.titles = page_titles(product_name)
        self.shot_window = shot_window
        self.shot_folder = shot_folder
        self.shot_prefix = shot_prefix
        self.used = set()
        self.shots = []
        self.screen_width = int(display.size.split("x")[0])

    def page(self, name, timeout=90, again=False):
        """The window of page `name`; `again`: the page already seen (after a message box)."""
        title = self.titles[name]
        end = time.time() + timeout
        while time.time() < end:
            found = self.display.xdotool("search", "--onlyvisible", "--name", f"^{title}$").stdout.split()
            fresh = [w for w in found if (again or w not in self.used) and not self.covers_screen(w)]
            if fresh:
                window = fresh[-1]
                self.used.add(window)
                time.sleep(1.0)   # drawn
                self.display.xdotool("windowfocus", "--sync", window)
                if self.shot_prefix and not again:
                    shot = f"{self.shot_prefix}-{name}"
                    self.shots.append(self.display.screenshot(shot, window=window if self.shot_window else None,
                                                            folder=self.shot_folder))
                return window
            time.sleep(0.25)
        raise AssertionError(f"the {name} page ({title!r}) did not appear")

    def covers_screen(self, window):
        """The installer window behind the pages (it may carry the greeting's caption)."""
        shell = self.display.xdotool("getwindowgeometry", "--shell", window).stdout
        width = re.search(r"WIDTH=(\d+)", shell)
        return bool(width) and int(width.group(1)) >= self.screen_width

    def keys(self, *keys):
        for key in keys:
            self.display.xdotool("key", key)
            time.sleep(0.3)

    def type(self, text):
        self.display.xdotool("type", "--delay", "50", text)
        time.sleep(0.3)


def walk_steps(folder, start_menu, german=True):
    """The pages of the sample in order, each with the keys of an interactive installation:
    German (or English), the password wrong then right, the licence accepted, a folder and a
    Start-menu name typed, launch and view log ticked on the finish page. Message boxes are answered
    by the harness. A list of (page, action(driver)); the driver has found the page before its
    action runs."""
    def password(d):
        d.type("kestrel-7")                      # wrong: a box, then the page again
        d.keys("Return")
        time.sleep(2.5)
        d.page("password", again=True)
        d.type(PASSWORD)
        d.keys("Return")
    return [
        ("language", lambda d: d.keys("Down", "Return") if german else d.keys("Return")),
        ("greeting", lambda d: d.keys("Return")),
        ("password", password),
        # Enter is not the licence's accept button: nothing happens until Alt+A.
        ("licence", lambda d: d.keys("Return", "alt+a")),
        ("readme", lambda d: d.keys("Return")),
        # The edit has the focus with its text selected; the "will be created" box follows.
        ("folder", lambda d: (d.type(folder), d.keys("Return"))),
        ("startmenu", lambda d: (d.type(start_menu), d.keys("Return"))),
        ("progress", lambda d: None),
        # From the Finish button backwards: view log, then launch.
        ("finish", lambda d: d.keys("shift+Tab", "space", "shift+Tab", "space", "Return")),
    ]


PAGE_TIMEOUTS = {"progress": 120, "finish": 180}


def drive(driver, steps):
    for name, action in steps:
        driver.page(name, timeout=PAGE_TIMEOUTS.get(name, 90))
        action(driver)


def full_walk(driver, folder, start_menu):
    drive(driver, walk_steps(folder, start_menu))
