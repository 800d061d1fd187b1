"""The walker's pages at 144 DPI, in a test of its own so that it runs beside test_wizard_pages."""
import unittest

import test_wizard_pages


class WizardPagesAt144Dpi(test_wizard_pages.WizardPages):
    """The same pages at 144 DPI (the prefix's LogPixels): screenshots to check that nothing is
    clipped and buttons still fit their texts."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        for key in ("HKCU\\Control Panel\\Desktop",
                    "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"):
            cls.prefix.reg_add(key, "LogPixels", "144", kind="REG_DWORD")

    # The side-picture and banner variants only, and only the walk: the checks of the other tests
    # do not depend on the resolution.
    WALK_VARIANTS = (1, 2)
    SHOT_PREFIX = "dpi144-"
    test_cancel_on_each_page = None
    test_folder_checks = None


if __name__ == "__main__":
    unittest.main()
