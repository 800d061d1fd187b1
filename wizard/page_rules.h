// The rules of the wizard pages that need no window: which template a layout variant selects, the
// size texts of the folder page, the Start-menu name test, the finish page's box placement, the
// greeting's link markup and the test for rich text. Portable, so that the unit tests check them.
#pragma once

#include <cstdint>

#include "core/string.h"

// Layout variants of the pages (the settings' dialog variants).
constexpr int kVariantPlain = 0;        // base name + "2": no picture
constexpr int kVariantSidePicture = 1;  // base name: side picture
constexpr int kVariantBanner = 2;       // base name + "3": banner across the top (any other value too)
constexpr int kVariantFullPicture = 3;  // base name + "4": full-height picture beside a white panel

// The template of `baseName` (wide) in `variant`.
String PageTemplateName(const char16_t *baseName, int variant);
// The variant a stored value stands for: 0, 1 and 3 as they are, anything else the banner.
int NormalisedVariant(int variant);

// "%d bytes", "%.2f KB", "%.2f MB", "%.2f GB" or "%.2f TB" (units of 1,024), wide text.
String SizeText(int64_t bytes);

// The bytes an installation needs: each file rounded up to whole clusters, plus the uninstaller
// (not rounded) and the extra space of the settings.
int64_t RequiredSpace(const int32_t *fileSizes, size_t count, int64_t clusterSize, int64_t uninstallerSize,
                      int64_t extraSpace);

// A Start-menu folder name the accept button may take (wide text): none of / " < > | * ? : ;, no
// leading backslash, no two backslashes in a row. Empty is acceptable.
bool IsAcceptableStartMenuName(const String &wide);

// Placement of the finish page's check boxes in dialog units: the left edge and the top of the
// first box (the boxes are 14 units apart, 9 high, up to x 275). In the plain variant the boxes move
// down 7 units for each missing one, so that they stay centred.
struct FinishBoxPlacement {
    int left;
    int firstTop;
};
constexpr int kFinishBoxRight = 275;
constexpr int kFinishBoxHeight = 9;
constexpr int kFinishBoxStep = 14;
FinishBoxPlacement PlaceFinishBoxes(int variant, int presentBoxes);

// The greeting's link text as the link control takes it: the anchor in any case, without attributes.
// The page opens the address itself when the link is clicked, so the anchor needs no href; and
// the SysLink control of Wine 8 takes attributes only when its font's break character is a blank,
// which the dialog font there is not (the markup with href= was drawn as raw text). Wide texts.
String GreetingLinkMarkup(const String &linkText);

// A document that begins with "{\rtf" (after an optional UTF-8 byte-order mark) is rich text;
// `start` receives the offset of the "{".
bool IsRichTextDocument(const String &document, int32_t *start);

// The password test: byte for byte, case counts.
bool PasswordMatches(const String &typed, const String &stored);

// A language row used as a format with one argument, filled without trusting the row: the first
// %s, %ls, %c or %d takes `argument` (wide text), "%%" becomes "%", and every other conversion
// (a second one included) stays as it stands. A row made by a translator can therefore never read
// arguments that are not there.
String FillRow(const String &row, const String &argument);
