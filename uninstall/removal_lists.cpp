#include "uninstall/removal_lists.h"

namespace {
constexpr char kTypeLibraryMarker = static_cast<char>(0xA9);
}

std::vector<String> QuotedTexts(const String &text)
{
    std::vector<String> out;
    String rest(text);
    for (;;) {
        rest.TrimLeft();
        if (!rest.StartsWith("\""))
            break;
        out.push_back(rest.CutQuoted(0));
        rest.TrimLeft();
        rest.StripLeading(';');
    }
    return out;
}

std::vector<SharedFileEntry> ParseSharedFiles(const String &text)
{
    std::vector<SharedFileEntry> entries;
    for (String &path : QuotedTexts(text)) {
        SharedFileEntry e;
        e.comServer = path.StripTrailing('^');
        e.keepFile = path.StripTrailing(' ');
        e.typeLibrary = path.StripTrailing(kTypeLibraryMarker);
        e.path = std::move(path);
        if (!e.path.Empty())
            entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<ProductFont> ParseProductFonts(const String &text)
{
    const std::vector<String> texts = QuotedTexts(text);
    std::vector<ProductFont> fonts;
    for (size_t i = 0; i + 1 < texts.size(); i += 2)
        fonts.push_back(ProductFont{texts[i], texts[i + 1]});
    return fonts;
}

bool SharedReferenceGone(int64_t count, int64_t &remaining)
{
    if (count < 1) {
        remaining = 0;
        return true;
    }
    remaining = count - 1;
    return remaining == 0;
}
