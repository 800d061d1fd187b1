// Wide case rules through the system.
#include <windows.h>

#include "core/text_case.h"

namespace {

using IsCharLowerFunction = BOOL(WINAPI *)(WCHAR);
using CharUpperFunction = LPWSTR(WINAPI *)(LPWSTR);

struct CaseFunctions {
    IsCharLowerFunction isCharLower = nullptr;
    CharUpperFunction charUpper = nullptr;
};

// user32 is loaded in the setup program (it shows windows), but not necessarily in a process that
// only uses the core library; it is then loaded from the system folder only. Where neither works
// (LOAD_LIBRARY_SEARCH_SYSTEM32 needs KB2533623 on Vista and 7), the Latin-1 rule stands in.
HMODULE User32()
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32)
        user32 = LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return user32;
}

// Looked up once, by name.
const CaseFunctions &LookUpCaseFunctions()
{
    static const CaseFunctions functions = [] {
        CaseFunctions found;
        if (HMODULE user32 = User32()) {
            auto isCharLower = reinterpret_cast<IsCharLowerFunction>(
                reinterpret_cast<void (*)()>(GetProcAddress(user32, "IsCharLowerW")));
            auto charUpper = reinterpret_cast<CharUpperFunction>(
                reinterpret_cast<void (*)()>(GetProcAddress(user32, "CharUpperW")));
            if (isCharLower && charUpper) {
                found.isCharLower = isCharLower;
                found.charUpper = charUpper;
            }
        }
        return found;
    }();
    return functions;
}

} // namespace

void WideToUpperCase(char16_t *text, int32_t units)
{
    const CaseFunctions &functions = LookUpCaseFunctions();
    for (int32_t i = 0; i < units; ++i) {
        if (!functions.charUpper) {
            text[i] = UpperCaseLatin1(text[i]);
        } else if (functions.isCharLower(text[i])) {
            // CharUpperW converts a single character passed in the low word of the pointer and
            // returns the result the same way.
            const ULONG_PTR upper = reinterpret_cast<ULONG_PTR>(
                functions.charUpper(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(text[i]))));
            text[i] = static_cast<char16_t>(upper & 0xFFFF);
        }
    }
}

bool WideEqualIgnoringCase(const char16_t *a, int32_t aUnits, const char16_t *b, int32_t bUnits)
{
    // 0 means the call failed; such texts are not taken for equal.
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE | SORT_STRINGSORT, reinterpret_cast<LPCWSTR>(a),
                          aUnits, reinterpret_cast<LPCWSTR>(b), bUnits) == CSTR_EQUAL;
}
