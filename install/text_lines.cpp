#include "install/text_lines.h"

#include "core/ascii_text.h"

std::vector<String> NonBlankWideLines(const String &text)
{
    std::vector<String> lines;
    int32_t at = 0;
    const int32_t units = text.WideLength();
    while (at < units) {
        const int32_t end = text.FindLineEndWide(at, kLineEndAtTerminator | kLineEndOrTextEnd);
        int32_t next = text.FindLineEndWide(at, kLineEndOrTextEnd);
        if (next <= at)
            next = units;   // never read the same line twice
        String line(text.Wide() + at, end - at);
        at = next;
        if (!IsBlankWide(line))
            lines.push_back(line);
    }
    return lines;
}
