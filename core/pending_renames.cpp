#include "core/pending_renames.h"

#include "core/path_text.h"

namespace {

String StripNtPrefix(const String &wideName)
{
    const char16_t *w = wideName.Wide();
    const int32_t units = wideName.WideLength();
    int32_t start = 0;
    while (start < units && (w[start] == u'\\' || w[start] == u'?' || w[start] == u'!'))
        ++start;
    return String(w + start, units - start);
}

void LowerAscii(String &text)
{
    char *bytes = text.MutableBytes();
    for (int32_t i = 0; i < text.Length(); ++i)
        if (bytes[i] >= 'A' && bytes[i] <= 'Z')
            bytes[i] = static_cast<char>(bytes[i] + ('a' - 'A'));
}

void LogRemoval(PendingLogSink log, bool &logged, const String &name, const char *listName)
{
    if (!log)
        return;
    if (!logged) {
        log("\r\n");
        logged = true;
    }
    String line("File \"");
    line.Append(name).Append("\" was removed from the list of ").Append(listName).Append(".\r\n");
    log(line.Bytes());
}

} // namespace

Array<String> SplitMultiString(const String &raw)
{
    Array<String> elements;
    const char16_t *w = raw.Wide();
    const int32_t units = raw.WideLength();
    int32_t start = 0;
    for (int32_t i = 0; i < units; ++i) {
        if (w[i] == 0) {
            elements.Add(String(w + start, i - start));
            start = i + 1;
        }
    }
    if (start < units)   // a last string without its terminator
        elements.Add(String(w + start, units - start));
    else if (elements.Count() > 0 && elements.Last().Empty())
        elements.Remove(elements.Count() - 1);   // the list's own terminator
    return elements;
}

String JoinMultiString(const Array<String> &elements)
{
    String raw;
    for (int32_t i = 0; i < elements.Count(); ++i)
        raw.Append(elements[i]).AppendWideChar(0);
    raw.AppendWideChar(0);
    return raw;
}

String PendingRenameKey(const String &wideName)
{
    String key = PathTextFromWide(StripNtPrefix(wideName));
    LowerAscii(key);
    return key;
}

int CleanPendingRenameList(Array<String> &entries, const PathTextSet &set, PendingLogSink log,
                           Array<String> &recycle)
{
    if (entries.Count() % 2)
        entries.Add();
    bool logged = false;
    int removed = 0;
    int32_t i = 0;
    while (i + 1 < entries.Count()) {
        const String target = PendingRenameKey(entries[i + 1]);
        if (!target.Empty()) {
            if (set.Contains(target)) {
                LogRemoval(log, logged, target, "pending moves");
                recycle.Add(StripNtPrefix(entries[i]));
                entries.RemoveRange(i, i + 1);
                ++removed;
                continue;
            }
        } else {
            const String source = PendingRenameKey(entries[i]);
            if (source.Empty() || set.Contains(source)) {
                if (!source.Empty())
                    LogRemoval(log, logged, source, "pending deletions");
                entries.RemoveRange(i, i + 1);
                ++removed;
                continue;
            }
        }
        i += 2;
    }
    return removed;
}
