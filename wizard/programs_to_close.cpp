#include "wizard/programs_to_close.h"

#include <cstring>

namespace {

bool TextMatches(const String &pattern, const String &text)
{
    if (pattern.Length() > 0 && pattern.Bytes()[0] == '*') {
        const char *needle = pattern.Bytes() + 1;
        const int32_t n = pattern.Length() - 1;
        if (n == 0)
            return true;
        for (int32_t i = 0; i + n <= text.Length(); ++i)
            if (std::memcmp(text.Bytes() + i, needle, size_t(n)) == 0)
                return true;
        return false;
    }
    return pattern.Length() == text.Length() && std::memcmp(pattern.Bytes(), text.Bytes(), size_t(text.Length())) == 0;
}

} // namespace

bool ProgramEntryMatches(const AutoCloseEntry &entry, const String &windowClass, const String &windowTitle)
{
    if (entry.windowClass.Empty() && entry.windowTitle.Empty())
        return false;   // an entry naming nothing would match every window
    if (!entry.windowClass.Empty() && !TextMatches(entry.windowClass, windowClass))
        return false;
    return entry.windowTitle.Empty() || TextMatches(entry.windowTitle, windowTitle);
}

int FirstMatchingProgramEntry(const std::vector<AutoCloseEntry> &entries, uint8_t phase,
                              const String &windowClass, const String &windowTitle)
{
    for (size_t i = 0; i < entries.size(); ++i)
        if ((entries[i].phase & phase) != 0 && ProgramEntryMatches(entries[i], windowClass, windowTitle))
            return int(i);
    return -1;
}
