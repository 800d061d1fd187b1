"""The interactive walk of test_wizard_walk at 144 DPI (the prefix's LogPixels), in a test of its
own so that it runs beside the 96 DPI walk: the screenshots under build/artifacts are for a person
to check that nothing is cut off or overlaps; the installation's result must not depend on the
resolution."""
import unittest

import test_wizard_walk


class InteractiveWalkAt144Dpi(test_wizard_walk.InteractiveWalk):
    DPI = 144


if __name__ == "__main__":
    unittest.main()
