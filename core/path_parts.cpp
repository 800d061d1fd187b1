#include "core/path_parts.h"

namespace {

int32_t LastBackslash(const String &path)
{
    const char16_t *w = path.Wide();
    for (int32_t i = path.WideLength() - 1; i >= 0; --i)
        if (w[i] == u'\\')
            return i;
    return -1;
}

} // namespace

String WidePathFolder(const String &path)
{
    const int32_t at = LastBackslash(path);
    return at < 0 ? String() : String(path.Wide(), at);
}

String WidePathFileName(const String &path)
{
    const int32_t at = LastBackslash(path);
    return String(path.Wide() + at + 1, path.WideLength() - at - 1);
}

String WidePathJoin(const String &folder, const String &name)
{
    String joined(folder);
    const int32_t units = folder.WideLength();
    if (units > 0 && folder.Wide()[units - 1] != u'\\')
        joined.AppendWideChar(u'\\');
    joined.Append(name);
    return joined;
}

bool WidePathStripTrailingBackslash(String &path)
{
    const int32_t units = path.WideLength();
    if (units == 0 || path.Wide()[units - 1] != u'\\')
        return false;
    path.Resize((units - 1) * 2);
    return true;
}
