// Wide case rules of the host build: the library's own tables.
#include "core/text_case.h"

void WideToUpperCase(char16_t *text, int32_t units)
{
    for (int32_t i = 0; i < units; ++i)
        text[i] = UpperCaseLatin1(text[i]);
}

bool WideEqualIgnoringCase(const char16_t *a, int32_t aUnits, const char16_t *b, int32_t bUnits)
{
    if (aUnits != bUnits)
        return false;
    for (int32_t i = 0; i < aUnits; ++i)
        if (FoldCaseForComparison(a[i]) != FoldCaseForComparison(b[i]))
            return false;
    return true;
}
