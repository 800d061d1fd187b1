"""A setup program without setup data explains what it is and ends with exit code 1."""
import unittest

from harness import Display, Prefix

INFORMATION_TEXT = (
    "This program performs installations and uninstallations.\r\n"
    "There is no installation data present.\r\n"
    "No uninstallation parameters were specified.\r\n\r\n"
    "You should not delete this program or execute it directly.")


class InformationMode(unittest.TestCase):
    def test_no_arguments_shows_the_information_text(self):
        with Prefix() as prefix, Display() as display:
            result = prefix.run(display=display)
        self.assertEqual(result.code, 1)
        self.assertEqual(result.box_texts, [INFORMATION_TEXT])


if __name__ == "__main__":
    unittest.main()
