#include "wizard/page_rules.h"

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr char kRtfStart[] = "{\\rtf";

} // namespace

int NormalisedVariant(int variant)
{
    return (variant == kVariantPlain || variant == kVariantSidePicture || variant == kVariantFullPicture)
               ? variant
               : kVariantBanner;
}

String PageTemplateName(const char16_t *baseName, int variant)
{
    String name(baseName);
    switch (NormalisedVariant(variant)) {
    case kVariantPlain:
        name.AppendWide(u"2");
        break;
    case kVariantFullPicture:
        name.AppendWide(u"4");
        break;
    case kVariantBanner:
        name.AppendWide(u"3");
        break;
    default:
        break;
    }
    return name;
}

String SizeText(int64_t bytes)
{
    constexpr double kUnit = 1024.0;
    const double value = static_cast<double>(bytes);
    if (bytes < 1024)
        return String::FormatWide(u"%d bytes", static_cast<int>(bytes));
    if (bytes < (int64_t(1) << 20))
        return String::FormatWide(u"%.2f KB", value / kUnit);
    if (bytes < (int64_t(1) << 30))
        return String::FormatWide(u"%.2f MB", value / (kUnit * kUnit));
    if (bytes < (int64_t(1) << 40))
        return String::FormatWide(u"%.2f GB", value / (kUnit * kUnit * kUnit));
    return String::FormatWide(u"%.2f TB", value / (kUnit * kUnit * kUnit * kUnit));
}

int64_t RequiredSpace(const int32_t *fileSizes, size_t count, int64_t clusterSize, int64_t uninstallerSize,
                      int64_t extraSpace)
{
    if (clusterSize <= 0)
        clusterSize = 4096;
    int64_t total = 0;
    for (size_t i = 0; i < count; ++i) {
        const int64_t size = fileSizes[i] > 0 ? fileSizes[i] : 0;
        total += (size + clusterSize - 1) / clusterSize * clusterSize;
    }
    return total + uninstallerSize + extraSpace;
}

bool IsAcceptableStartMenuName(const String &wide)
{
    const char16_t *text = wide.Wide();
    const int32_t units = wide.WideLength();
    if (units > 0 && text[0] == u'\\')
        return false;
    for (int32_t i = 0; i < units; ++i) {
        switch (text[i]) {
        case u'/': case u'"': case u'<': case u'>': case u'|': case u'*': case u'?': case u':': case u';':
            return false;
        case u'\\':
            if (i + 1 < units && text[i + 1] == u'\\')
                return false;
            break;
        default:
            break;
        }
    }
    return true;
}

FinishBoxPlacement PlaceFinishBoxes(int variant, int presentBoxes)
{
    switch (NormalisedVariant(variant)) {
    case kVariantSidePicture:
    case kVariantFullPicture:
        return {102, 52};
    case kVariantPlain:
        return {4, 32 + 7 * (4 - presentBoxes)};
    default:
        return {20, 78};
    }
}

String GreetingLinkMarkup(const String &linkText)
{
    String out;
    const char16_t *text = linkText.Wide();
    const int32_t units = linkText.WideLength();
    for (int32_t i = 0; i < units; ++i) {
        if (i + 3 <= units && text[i] == u'<' && (text[i + 1] == u'a' || text[i + 1] == u'A') && text[i + 2] == u'>') {
            out.AppendWide(u"<a>");
            i += 2;
            continue;
        }
        if (i + 4 <= units && text[i] == u'<' && text[i + 1] == u'/' && (text[i + 2] == u'a' || text[i + 2] == u'A') &&
            text[i + 3] == u'>') {
            out.AppendWide(u"</a>");
            i += 3;
            continue;
        }
        out.AppendWideChar(text[i]);
    }
    return out;
}

bool IsRichTextDocument(const String &document, int32_t *start)
{
    int32_t at = 0;
    if (document.StartsWith(kUtf8Mark))
        at = 3;
    if (document.Length() - at < 5 || String(document.Bytes() + at, 5) != String(kRtfStart))
        return false;
    if (start)
        *start = at;
    return true;
}

bool PasswordMatches(const String &typed, const String &stored) { return typed == stored; }

String FillRow(const String &row, const String &argument)
{
    String out;
    bool filled = false;
    const char16_t *text = row.Wide();
    const int32_t units = row.WideLength();
    for (int32_t i = 0; i < units; ++i) {
        if (text[i] != u'%' || i + 1 >= units) {
            out.AppendWideChar(text[i]);
            continue;
        }
        const char16_t next = text[i + 1];
        if (next == u'%') {
            out.AppendWideChar(u'%');
            ++i;
            continue;
        }
        int32_t length = 0;   // units of the conversion after the percent sign
        if (next == u's' || next == u'c' || next == u'd')
            length = 1;
        else if (next == u'l' && i + 2 < units && (text[i + 2] == u's' || text[i + 2] == u'c'))
            length = 2;
        if (length == 0 || filled) {
            out.AppendWideChar(text[i]);
            continue;
        }
        out.Append(argument);
        filled = true;
        i += length;
    }
    return out;
}
