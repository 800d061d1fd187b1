#include "install/path_env.h"

#include <vector>

#include "core/path_parts.h"

namespace {

struct Span {
    int32_t start;
    int32_t end;   // exclusive
};

std::vector<Span> Entries(const String &path)
{
    std::vector<Span> spans;
    const char16_t *w = path.Wide();
    const int32_t n = path.WideLength();
    int32_t start = 0;
    for (int32_t i = 0; i <= n; ++i) {
        if (i == n || w[i] == u';') {
            spans.push_back({start, i});
            start = i + 1;
        }
    }
    return spans;
}

// The entry as a folder: blanks, then quotes, then one trailing backslash taken off.
String Comparable(const char16_t *w, int32_t length)
{
    String entry(w, length);
    entry.TrimWide();
    if (entry.WideLength() >= 2 && entry.Wide()[0] == u'"' && entry.Wide()[entry.WideLength() - 1] == u'"') {
        entry = String(entry.Wide() + 1, entry.WideLength() - 2);
        entry.TrimWide();
    }
    // "C:\" stays a drive root, so that it never equals the bare "C:" of a relative drive path.
    if (entry.WideLength() > 3)
        WidePathStripTrailingBackslash(entry);
    return entry;
}

bool Matches(const String &path, const Span &span, const String &folder)
{
    return Comparable(path.Wide() + span.start, span.end - span.start).EqualsIgnoreCaseWide(folder);
}

bool IsBlankEntry(const String &path, const Span &span)
{
    return Comparable(path.Wide() + span.start, span.end - span.start).Empty();
}

} // namespace

bool PathListHasFolder(const String &path, const String &folder)
{
    const String wanted = Comparable(folder.Wide(), folder.WideLength());
    if (wanted.Empty())
        return false;
    for (const Span &span : Entries(path))
        if (Matches(path, span, wanted))
            return true;
    return false;
}

bool PathListWithFolder(const String &path, const String &folder, String &out)
{
    if (path.Empty() || folder.Empty() || PathListHasFolder(path, folder))
        return false;
    out = path;
    if (path.Wide()[path.WideLength() - 1] != u';')
        out.AppendWideChar(u';');
    out.Append(folder);
    return true;
}

bool PathListWithoutFolder(const String &path, const String &folder, String &out)
{
    const String wanted = Comparable(folder.Wide(), folder.WideLength());
    if (wanted.Empty())
        return false;
    const std::vector<Span> spans = Entries(path);
    std::vector<bool> keep(spans.size(), true);
    bool found = false;
    bool othersRemain = false;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (Matches(path, spans[i], wanted)) {
            keep[i] = false;
            found = true;
        } else if (!IsBlankEntry(path, spans[i])) {
            othersRemain = true;
        }
    }
    if (!found || !othersRemain)
        return false;
    // Rebuild from the kept entries; a text that ended with ";" still does.
    String result;
    bool first = true;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (!keep[i])
            continue;
        const bool last = i + 1 == spans.size();
        if (last && spans[i].start == spans[i].end && !first) {
            result.AppendWideChar(u';');   // the text's own trailing ";"
            break;
        }
        if (!first)
            result.AppendWideChar(u';');
        result.AppendWide(path.Wide() + spans[i].start, spans[i].end - spans[i].start);
        first = false;
    }
    out = result;
    return true;
}

String PathFolderFor(const String &installFolder, const String &subfolder)
{
    String sub(subfolder);
    sub.TrimWide();
    if (sub.Empty())
        return installFolder;
    const char16_t *w = sub.Wide();
    const bool absolute = (sub.WideLength() >= 2 && w[1] == u':') ||
                          (sub.WideLength() >= 2 && w[0] == u'\\' && w[1] == u'\\');
    if (absolute)
        return sub;
    while (sub.StripLeadingWide(u'\\')) {
    }
    return WidePathJoin(installFolder, sub);
}
