#include "core/text_case.h"

char16_t UpperCaseLatin1(char16_t unit)
{
    if ((unit >= u'a' && unit <= u'z') || (unit >= 224 && unit <= 254 && unit != 247))
        return static_cast<char16_t>(unit - 32);
    if (unit == 255)
        return 376;   // y with diaeresis: its capital lies outside Latin-1
    return unit;
}

char16_t FoldCaseForComparison(char16_t unit)
{
    if (unit < 0x100)
        return UpperCaseLatin1(unit);
    // Latin Extended-A: capital and small letters alternate, the capital first except in the two
    // stretches where the dotless i and the kra shift the pairing by one.
    if (unit <= 0x17F) {
        if ((unit <= 0x137 && unit != 0x130 && unit != 0x131) || (unit >= 0x14A && unit <= 0x177))
            return static_cast<char16_t>(unit & ~1u);
        if ((unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E))
            return static_cast<char16_t>((unit & 1u) ? unit : unit - 1);
        return unit;
    }
    if (unit == 0x3C2)
        return 0x3A3;   // final sigma
    if ((unit >= 0x3B1 && unit <= 0x3C9) || (unit >= 0x430 && unit <= 0x44F) || (unit >= 0xFF41 && unit <= 0xFF5A))
        return static_cast<char16_t>(unit - 32);
    if (unit >= 0x450 && unit <= 0x45F)
        return static_cast<char16_t>(unit - 80);
    return unit;
}
