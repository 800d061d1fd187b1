"""The installer window under Xvfb: one program start shows it in every test look (flat colour,
gradient, each title position, a title too wide for the window, the background picture in each
stretch mode) and the test keeps a screenshot of each under build/artifacts, with cheap pixel
checks on the ones where a pixel can say whether the painting is right."""
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from harness import LAUNCHER, WIN32_BUILD, Display, Prefix, win_path

WINDOW_SHOW = WIN32_BUILD / "window_show.exe"
LOOKS = ["flat", "gradient", "title-1", "title-2", "title-3", "title-4", "title-5", "title-6",
         "title-too-wide", "picture-mode-0", "picture-mode-1", "picture-mode-2", "picture-mode-3"]
SCREEN = (1024, 768)


class Image:
    """A screenshot's pixels, read through ImageMagick as a binary PPM."""

    def __init__(self, png: Path):
        data = subprocess.run(["convert", str(png), "ppm:-"], capture_output=True, check=True).stdout
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[pos + 1:]

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def row(self, y):
        return [self.at(x, y) for x in range(self.width)]

    def column(self, x):
        return [self.at(x, y) for y in range(self.height)]


def close_to(colour, expected, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


class InstallerWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.shots = {}
        with Prefix() as prefix, Display(size=f"{SCREEN[0]}x{SCREEN[1]}x24") as display, \
                tempfile.TemporaryDirectory() as folder:
            env = prefix.env()
            env["DISPLAY"] = display.name
            env["KS_CMDLINE"] = f'"{win_path(WINDOW_SHOW)}" "{win_path(folder)}"'
            proc = subprocess.Popen(["wine", str(LAUNCHER)], env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL)
            try:
                for name in LOOKS:
                    ready = Path(folder) / f"ready-{name}"
                    deadline = time.time() + 120
                    while not ready.exists():
                        if proc.poll() is not None or time.time() > deadline:
                            raise AssertionError(f"the window did not show look {name} "
                                                 f"(exit code {proc.poll()})")
                        time.sleep(0.1)
                    time.sleep(0.5)   # let X draw what the program blitted
                    cls.shots[name] = display.screenshot(f"installer-window-{name}")
                    (Path(folder) / f"shot-{name}").write_text("")
                cls.exit_code = proc.wait(timeout=60)
            finally:
                if proc.poll() is None:
                    proc.kill()

    def image(self, name):
        return Image(self.shots[name])

    def test_program_went_through_every_look(self):
        self.assertEqual(self.exit_code, 0)

    def test_flat_colour_is_flat(self):
        img = self.image("flat")
        self.assertEqual((img.width, img.height), SCREEN)
        colours = {img.at(x, y) for x in range(0, img.width, 37) for y in range(0, img.height, 29)}
        self.assertEqual(colours, {(0, 64, 128)})

    def test_gradient_runs_from_top_colour_to_bottom_colour(self):
        img = self.image("gradient")
        top, bottom = (200, 40, 0), (0, 0, 64)
        self.assertTrue(close_to(img.at(10, 0), top, 2), img.at(10, 0))
        self.assertTrue(close_to(img.at(10, img.height - 1), bottom, 2), img.at(10, img.height - 1))
        # The colour changes steadily down the window and not across it.
        column = img.column(500)
        reds = [c[0] for c in column]
        self.assertEqual(reds, sorted(reds, reverse=True))
        self.assertEqual(len(set(img.row(img.height // 2))), 1)

    def text_pixels(self, img, colour=(255, 255, 255)):
        return [(x, y) for y in range(0, img.height, 2) for x in range(0, img.width, 2)
                if img.at(x, y) == colour]

    def test_each_title_position_puts_the_title_in_its_corner(self):
        expected = {1: ("left", "top"), 2: ("centre", "top"), 3: ("right", "top"),
                    4: ("left", "bottom"), 5: ("centre", "bottom"), 6: ("right", "bottom")}
        for position, (across, down) in expected.items():
            with self.subTest(position=position):
                img = self.image(f"title-{position}")
                points = self.text_pixels(img)
                self.assertTrue(points, "no title pixels")
                xs = [p[0] for p in points]
                ys = [p[1] for p in points]
                middle = (min(xs) + max(xs)) / 2
                if across == "left":
                    self.assertLess(min(xs), 40)
                elif across == "right":
                    self.assertGreater(max(xs), img.width - 60)
                else:
                    self.assertLess(abs(middle - img.width / 2), 30)
                if down == "top":
                    self.assertLess(max(ys), img.height // 4)
                else:
                    self.assertGreater(min(ys), img.height * 3 // 4)
                # The shadow is black, below and right of the text.
                shadow = [(x, y) for x, y in points if img.at(x + 4, y + 4) == (0, 0, 0)]
                self.assertTrue(shadow, "no shadow next to the title")

    def test_copyright_line_is_painted_in_its_own_corner(self):
        img = self.image("title-5")
        yellow = self.text_pixels(img, (255, 255, 0))
        self.assertTrue(yellow)
        self.assertLess(max(p[0] for p in yellow), img.width // 2)
        self.assertLess(max(p[1] for p in yellow), img.height // 4)

    def test_a_title_too_wide_shrinks_to_fit(self):
        img = self.image("title-too-wide")
        xs = [p[0] for p in self.text_pixels(img)]
        self.assertTrue(xs)
        self.assertGreater(min(xs), 0)
        self.assertLess(max(xs), img.width - 1)
        # Shrunk: 3 x 26 points would be about 100 pixels high; the fitted title is much lower.
        ys = [p[1] for p in self.text_pixels(img)]
        self.assertLess(max(ys) - min(ys), 60)

    def picture_box(self, img, colour=(255, 0, 0)):
        """The bounding box of the picture's red frame."""
        points = [(x, y) for y in range(img.height) for x in range(0, img.width)
                  if img.at(x, y) == colour]
        self.assertTrue(points, "no picture pixels")
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        return min(xs), min(ys), max(xs) + 1, max(ys) + 1

    def test_picture_in_each_stretch_mode(self):
        w, h = SCREEN
        # Mode 0: the centred half of the window; mode 1: the same with the picture's 4:3 ratio
        # (the area 512 x 384 is 4:3 already); mode 2: 40 x 30 times the largest whole factor
        # (12: 480 x 360), centred.
        expected = {
            0: (w // 4, h // 4, w // 4 + w // 2, h // 4 + h // 2),
            1: (w // 4, h // 4, w // 4 + w // 2, h // 4 + h // 2),
            2: ((w - 480) // 2, (h - 360) // 2, (w - 480) // 2 + 480, (h - 360) // 2 + 360),
        }
        for mode, box in expected.items():
            with self.subTest(mode=mode):
                got = self.picture_box(self.image(f"picture-mode-{mode}"))
                for a, b in zip(got, box):
                    self.assertLessEqual(abs(a - b), 1, (got, box))
        # Transparent index 0 (mode 1): the magenta middle shows the background instead.
        img = self.image("picture-mode-1")
        self.assertNotIn((255, 0, 255), [img.at(x, h // 2) for x in range(w // 4, 3 * w // 4)])
        self.assertNotIn((255, 0, 255), [img.at(x, 15) for x in range(0, 40)])
        # Mode 1 in the untransparent mode 0 shows the magenta.
        img0 = self.image("picture-mode-0")
        self.assertEqual(img0.at(w // 2, h // 2), (255, 0, 255))
        # Mode 3: tiles at the picture's own size from the top-left corner, over the whole window.
        img3 = self.image("picture-mode-3")
        for x, y in [(0, 0), (40, 30), (w // 40 * 40 - 40, 0)]:
            self.assertEqual(img3.at(x, y), (255, 0, 0), (x, y))
        # The last, partly visible tiles: their frame starts at the next multiple of the size.
        self.assertEqual(img3.at(w // 40 * 40, h // 30 * 30), (255, 0, 0))


if __name__ == "__main__":
    unittest.main()
