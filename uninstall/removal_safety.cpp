#include "uninstall/removal_safety.h"

#include "core/text_case.h"

namespace {

// The path without a "\\?\" prefix and without trailing separators.
String Normalised(const String &wide)
{
    String path(wide);
    if (path.StartsWithWide(u"\\\\?\\UNC\\")) {
        String rest(path.Wide() + 8, path.WideLength() - 8);
        path = String(u"\\\\");
        path.Append(rest);
    } else if (path.StartsWithWide(u"\\\\?\\")) {
        path = String(path.Wide() + 4, path.WideLength() - 4);
    }
    char16_t *units = path.MutableWide();
    for (int32_t i = 0; i < path.WideLength(); ++i)
        if (units[i] == u'/')
            units[i] = u'\\';
    path.TrimWide();
    while (path.StripTrailingWide(u'\\')) {
    }
    return path;
}

} // namespace

bool IsRootPath(const String &wide)
{
    const String path = Normalised(wide);
    const int32_t n = path.WideLength();
    if (n <= 3)
        return true;
    const char16_t *text = path.Wide();
    if (text[0] == u'\\' && text[1] == u'\\') {
        // "\\server\share" has one separator after the server name.
        int separators = 0;
        for (int32_t i = 2; i < n; ++i)
            if (text[i] == u'\\')
                ++separators;
        return separators <= 1;
    }
    for (int32_t i = 0; i < n; ++i)
        if (text[i] == u'\\')
            return false;
    return true;
}

bool IsProtectedPath(const String &wide, const std::vector<String> &protectedFolders)
{
    if (IsRootPath(wide))
        return true;
    const String path = Normalised(wide);
    for (const String &folder : protectedFolders) {
        const String other = Normalised(folder);
        if (!other.Empty() &&
            WideEqualIgnoringCase(path.Wide(), path.WideLength(), other.Wide(), other.WideLength()))
            return true;
    }
    return false;
}
