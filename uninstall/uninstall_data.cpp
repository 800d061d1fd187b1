#include "uninstall/uninstall_data.h"

#include "core/codepage.h"
#include "core/csv.h"
#include "core/path_text.h"

UninstallState g_uninstall;

namespace {

constexpr char kCrLf[] = "\r\n";
constexpr char kSectionGap[] = "\r\n\r\n";

enum class Section { None, Strings, AutoClose, Associations, Firewall, Drivers, Msi, Registry, ConditionalDelete };

struct SectionName {
    const char *name;
    Section section;
};

constexpr SectionName kSections[] = {
    {kSectionStrings, Section::Strings},
    {kSectionAssociations, Section::Associations},
    {kSectionAutoClose, Section::AutoClose},
    {kSectionFirewall, Section::Firewall},
    {kSectionDrivers, Section::Drivers},
    {kSectionRegistry, Section::Registry},
    {kSectionMsi, Section::Msi},
    {kSectionConditionalDelete, Section::ConditionalDelete},
};

bool HoldsLineBreak(const String &text) { return CsvHoldsLineBreak(text); }

String Utf8FromWide(const String &wide)
{
    String bytes;
    CodePageFromWide(wide, kCodePageUtf8, nullptr, bytes);
    return bytes;
}

String WideFromUtf8(const String &bytes)
{
    String wide;
    CodePageToWide(bytes, kCodePageUtf8, wide);
    return wide;
}

void AppendSectionHeader(String &out, const char *name)
{
    out.Append(kSectionGap);
    out.Append(name);
    out.Append(kCrLf);
}

// Appends one CSV record, or names it in `refused` when a field holds a line break.
void AppendCsvRecord(String &out, const std::vector<String> &fields, const char *what,
                     std::vector<String> *refused)
{
    for (const String &field : fields) {
        if (HoldsLineBreak(field)) {
            if (refused != nullptr) {
                String line = String::Format("The %s record \"", what);
                line.Append(CsvRecord(fields));
                line.Append("\" was not written to the uninstall data: a field holds a line break.");
                refused->push_back(std::move(line));
            }
            return;
        }
    }
    out.Append(CsvRecord(fields));
    out.Append(kCrLf);
}

void AppendLines(String &out, const char *section, const std::vector<String> &lines)
{
    if (lines.empty())
        return;
    AppendSectionHeader(out, section);
    for (const String &line : lines) {
        out.Append(line);
        out.Append(kCrLf);
    }
}

// The registry text as it reads back: each line trimmed, trailing empty lines dropped, every line
// ended by CR LF (the reader trims its lines, so writing them trimmed keeps rewrites stable).
String RegistryLinesUtf8(const String &wide)
{
    const String bytes = Utf8FromWide(wide);
    std::vector<String> lines;
    int32_t at = 0;
    while (at < bytes.Length()) {
        int32_t end = bytes.FindLineEnd(at, kLineEndOrTextEnd);
        const int32_t stop = bytes.FindLineEnd(at, kLineEndAtTerminator | kLineEndOrTextEnd);
        String line(bytes.Bytes() + at, stop - at);
        lines.push_back(line.Trim());
        at = end;
    }
    while (!lines.empty() && lines.back().Empty())
        lines.pop_back();
    String out;
    for (const String &line : lines) {
        out.Append(line);
        out.Append(kCrLf);
    }
    return out;
}

// The line's kind when it names a section exactly (after trimming).
bool SectionOf(const String &trimmed, Section &section)
{
    for (const SectionName &s : kSections) {
        if (trimmed.Equals(s.name)) {
            section = s.section;
            return true;
        }
    }
    return false;
}

// A raw line that ends the text of a string record: it begins with "~" or with a section name
// other than "[Strings]".
bool EndsStringText(const String &raw)
{
    if (raw.StartsWith("~"))
        return true;
    for (const SectionName &s : kSections)
        if (s.section != Section::Strings && raw.StartsWith(s.name))
            return true;
    return false;
}

void DropTrailingEmpty(std::vector<String> &lines)
{
    while (!lines.empty() && lines.back().Empty())
        lines.pop_back();
}

// Row `id` of the active language with the product placeholders replaced (empty when missing).
String ActiveLanguageString(const Settings &settings, int id)
{
    return LanguageString(settings.Languages, id, RunPlaceholderExpander());
}

} // namespace

UninstallRecordKind UninstallRecordKindOf(const String &line)
{
    if (line.Empty())
        return kUninstallFile;
    switch (line.Bytes()[0]) {
    case kUninstallFolderMarker: return kUninstallFolder;
    case kUninstallValueMarker: return kUninstallRegistryValue;
    case kUninstallKeyMarker: return kUninstallRegistryKey;
    case kUninstallKey64Marker: return kUninstallRegistryKey64;
    default: return kUninstallFile;
    }
}

String UninstallRecordItem(const String &line)
{
    if (UninstallRecordKindOf(line) == kUninstallFile)
        return line;
    return String(line.Bytes() + 1, line.Length() - 1);
}

String MsiUninstallLine(const String &packagePath, int uiLevel)
{
    String line("\"");
    line.Append(packagePath);
    line.AppendFormat("\",%d", uiLevel);
    return line;
}

String FormatUninstallData(const UninstallDataContent &content, std::vector<String> *refused)
{
    String out;
    for (const String &record : content.uninstallList) {
        out.Append(record);
        out.Append(kCrLf);
    }

    AppendSectionHeader(out, kSectionStrings);
    for (const UninstallString &s : content.strings) {
        out.AppendFormat("~%d\r\n", s.number);
        out.Append(Utf8FromWide(s.text));
        out.Append(kCrLf);
    }
    out.AppendFormat("~%d\r\n", kHeadlineStringId);
    out.Append(Utf8FromWide(content.headline));
    out.Append(kCrLf);

    if (!content.autoClose.empty()) {
        AppendSectionHeader(out, kSectionAutoClose);
        for (const AutoCloseEntry &e : content.autoClose)
            AppendCsvRecord(out, {e.windowClass, e.windowTitle, e.programName, String::Format("%d", e.mode)},
                            "auto-close", refused);
    }
    AppendLines(out, kSectionAssociations, content.associations);
    AppendLines(out, kSectionFirewall, content.firewall);
    AppendLines(out, kSectionDrivers, content.drivers);
    AppendLines(out, kSectionMsi, content.msi);
    const String registry = RegistryLinesUtf8(content.registryText);
    if (!registry.Empty()) {
        AppendSectionHeader(out, kSectionRegistry);
        out.Append(registry);
    }

    String deletions;
    for (const FileDeletion &d : content.conditionalDeletions)
        if (d.flags & kDeleteAtUninstall)
            AppendCsvRecord(deletions,
                            {d.path, String::Format("%d", d.condition), d.value, String::Format("%d", d.flags)},
                            "conditional deletion", refused);
    if (!deletions.Empty()) {
        AppendSectionHeader(out, kSectionConditionalDelete);
        out.Append(deletions);
    }
    return out;
}

void ParseUninstallData(const String &bytes, UninstallDataContent &content)
{
    content = UninstallDataContent();

    // Raw lines with their line ends (string texts keep them), and their trimmed forms.
    std::vector<String> raw;
    for (int32_t at = 0; at < bytes.Length();) {
        const int32_t end = bytes.FindLineEnd(at, kLineEndOrTextEnd);
        raw.emplace_back(bytes.Bytes() + at, end - at);
        at = end;
    }

    std::vector<String> registryLines;
    Section section = Section::None;
    for (size_t i = 0; i < raw.size();) {
        String line(raw[i]);
        line.Trim();
        Section named;
        if (SectionOf(line, named)) {
            section = named;
            ++i;
            continue;
        }
        switch (section) {
        case Section::None:
            content.uninstallList.push_back(line);
            break;
        case Section::Strings:
            if (line.StartsWith("~")) {
                const int64_t number = String(line.Bytes() + 1, line.Length() - 1).ParseInteger();
                String text;
                size_t next = i + 1;
                for (; next < raw.size() && !EndsStringText(raw[next]); ++next)
                    text.Append(raw[next]);
                text.TrimRight();
                if (number == kHeadlineStringId)
                    content.headline = WideFromUtf8(text);
                else if (number >= 1 && number <= kMaxStringRecordId)
                    content.strings.push_back(UninstallString{static_cast<int>(number), WideFromUtf8(text)});
                i = next;   // the line that ended the text is read again
                continue;
            }
            break;
        case Section::AutoClose: {
            const std::vector<String> f = CsvSplit(line);
            if (f.size() == 4) {
                AutoCloseEntry e;
                e.windowClass = f[0];
                e.windowTitle = f[1];
                e.programName = f[2];
                e.mode = static_cast<int32_t>(f[3].ParseInteger());
                e.phase = e.mode == 2 ? 4 : 2;
                content.autoClose.push_back(std::move(e));
            }
            break;
        }
        case Section::Associations: content.associations.push_back(line); break;
        case Section::Firewall: content.firewall.push_back(line); break;
        case Section::Drivers: content.drivers.push_back(line); break;
        case Section::Msi: content.msi.push_back(line); break;
        case Section::Registry: registryLines.push_back(line); break;
        case Section::ConditionalDelete: {
            const std::vector<String> f = CsvSplit(line);
            if (f.size() == 4) {
                FileDeletion d;
                d.path = f[0];
                d.condition = static_cast<uint8_t>(f[1].ParseInteger());
                d.value = f[2];
                d.flags = static_cast<uint8_t>(f[3].ParseInteger());
                content.conditionalDeletions.push_back(std::move(d));
            }
            break;
        }
        }
        ++i;
    }

    DropTrailingEmpty(content.uninstallList);
    DropTrailingEmpty(content.associations);
    DropTrailingEmpty(content.firewall);
    DropTrailingEmpty(content.drivers);
    DropTrailingEmpty(content.msi);
    DropTrailingEmpty(registryLines);
    for (const String &line : registryLines) {
        content.registryText.Append(WideFromUtf8(line));
        content.registryText.AppendWide(u"\r\n");
    }
}

bool UninstallList::Add(const String &item, int kind)
{
    static const char kMarkers[] = {0, kUninstallFolderMarker, kUninstallValueMarker, kUninstallKeyMarker,
                                    kUninstallKey64Marker};
    if (kind < kUninstallFile || kind > kUninstallRegistryKey64 || item.Length() <= 3 || HoldsLineBreak(item))
        return false;
    if (kind == kUninstallFolder) {
        String key = PathTextToWide(item);
        key.ToUpperWide();
        if (folders_.Contains(key))
            return false;
        folders_.Set(key, true);
    }
    String record;
    if (kind != kUninstallFile)
        record.AppendByte(kMarkers[kind]);
    record.Append(item);
    records_.push_back(std::move(record));
    return true;
}

void UninstallList::AddLine(const String &line) { records_.push_back(line); }

void UninstallList::Clear()
{
    records_.clear();
    folders_.Clear(folders_.BucketCount());
}

bool AddUninstallRecord(const String &item, int kind) { return g_uninstall.list.Add(item, kind); }

namespace {
bool AddLineRecord(std::vector<String> &lines, const String &line)
{
    if (HoldsLineBreak(line))
        return false;
    lines.push_back(line);
    return true;
}
} // namespace

bool AddAssociationRecord(const String &line)
{
    String record(line);
    if (record.StripTrailing('\n'))
        record.StripTrailing('\r');
    return AddLineRecord(g_uninstall.associations, record);
}

bool AddFirewallRecord(const String &line) { return AddLineRecord(g_uninstall.firewall, line); }
bool AddDriverRecord(const String &infPath) { return AddLineRecord(g_uninstall.drivers, infPath); }
bool AddMsiRecord(const String &packagePath, int uiLevel)
{
    return AddLineRecord(g_uninstall.msi, MsiUninstallLine(packagePath, uiLevel));
}

namespace {
// A decimal level, optionally negative; false for anything else.
bool ParseLevel(const String &wide, int &level)
{
    const char16_t *w = wide.Wide();
    const int32_t n = wide.WideLength();
    int32_t i = n > 0 && w[0] == u'-' ? 1 : 0;
    if (i == n || n - i > 9)
        return false;
    int value = 0;
    for (; i < n; ++i) {
        if (w[i] < u'0' || w[i] > u'9')
            return false;
        value = value * 10 + (w[i] - u'0');
    }
    level = w[0] == u'-' ? -value : value;
    return true;
}
} // namespace

int AddMsiBlock(const String &wideBlock)
{
    int added = 0;
    const char16_t *w = wideBlock.Wide();
    const int32_t n = wideBlock.WideLength();
    for (int32_t start = 0; start < n;) {
        int32_t end = start;
        while (end < n && w[end] != u'\r' && w[end] != u'\n')
            ++end;
        std::vector<String> fields;
        SplitCsvFieldsWide(String(w + start, end - start), fields);
        start = end + 1;
        if (fields.size() != 2)
            continue;
        int level = 0;
        if (fields[0].TrimWide().Empty() || !ParseLevel(fields[1].TrimWide(), level))
            continue;
        if (AddMsiRecord(PathTextFromWide(fields[0]), level))
            ++added;
    }
    return added;
}

UninstallDataContent CollectUninstallData(const Settings &settings, const UninstallState &state)
{
    UninstallDataContent c;
    c.uninstallList = state.list.Records();
    for (int id : kUninstallStringIds)
        c.strings.push_back(UninstallString{id, ActiveLanguageString(settings, id)});
    c.headline = settings.BannerHeadline;
    c.autoClose = settings.ProgramsToClose;
    c.associations = state.associations;
    c.firewall = state.firewall;
    c.drivers = state.drivers;
    c.msi = state.msi;
    if (state.registryTextRead)
        c.registryText = state.registryText;
    else
        c.registryText = PathTextToWide(settings.RegistryText);
    c.conditionalDeletions = settings.ConditionalDeletions;
    return c;
}

void ApplyUninstallData(const UninstallDataContent &content, Settings &settings, UninstallState &state)
{
    LanguageTable &table = settings.Languages;
    if (table.names.empty())
        table.names.emplace_back();
    table.active = 0;
    for (const UninstallString &s : content.strings) {
        if (table.rows.size() <= size_t(s.number))
            table.rows.resize(size_t(s.number) + 1);
        std::vector<String> &row = table.rows[size_t(s.number)];
        if (row.empty())
            row.emplace_back();
        row[0] = s.text;
    }
    settings.BannerHeadline = content.headline;
    settings.ProgramsToClose = content.autoClose;
    settings.ConditionalDeletions = content.conditionalDeletions;
    state.registryText = content.registryText;
    state.registryTextRead = true;
}
