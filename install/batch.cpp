#include "install/batch.h"

#include "core/codepage.h"

namespace {

struct SetLine {
    const char16_t *format;
    PathVariable variable;
};

// In the order the batch sees them; the quoted form keeps blanks and special characters of paths
// inside the value.
const SetLine kSetLines[] = {
    {u"SET \"InstallDir=%ls\"\r\n", PathVariable::InstallDir},
    {u"SET \"Bits=%ls\"\r\n", PathVariable::Bits},
    {u"SET \"UninstallDir=%ls\"\r\n", PathVariable::UninstallDir},
    {u"SET \"SharedDir=%ls\"\r\n", PathVariable::SharedDir},
    {u"SET \"InstallerFilepath=%ls\"\r\n", PathVariable::InstallerFilepath},
    {u"SET \"InstallerDir=%ls\"\r\n", PathVariable::InstallerDir},
    {u"SET \"InstallerFilename=%ls\"\r\n", PathVariable::InstallerFilename},
    {u"SET \"InstallerDrive=%ls\"\r\n", PathVariable::InstallerDrive},
    {u"SET \"SystemDir=%ls\"\r\n", PathVariable::SystemDir},
    {u"SET \"DeviceDir=%ls\"\r\n", PathVariable::DeviceDir},
    {u"SET \"MediaDir=%ls\"\r\n", PathVariable::MediaDir},
    {u"SET \"FavoritesDir=%ls\"\r\n", PathVariable::FavoritesDir},
    {u"SET \"FavoritesAllDir=%ls\"\r\n", PathVariable::FavoritesAllDir},
    {u"SET \"FontDir=%ls\"\r\n", PathVariable::FontDir},
    {u"SET \"DesktopDir=%ls\"\r\n", PathVariable::DesktopDir},
    {u"SET \"DesktopAllDir=%ls\"\r\n", PathVariable::DesktopAllDir},
    {u"SET \"DesktopShortcuts=%ls\"\r\n", PathVariable::DesktopShortcuts},
    {u"SET \"DocumentDir=%ls\"\r\n", PathVariable::DocumentDir},
    {u"SET \"DocumentAllDir=%ls\"\r\n", PathVariable::DocumentAllDir},
    {u"SET \"ProductName=%ls\"\r\n", PathVariable::ProductName},
    {u"SET \"ProgramsDir=%ls\"\r\n", PathVariable::ProgramsDir},
    {u"SET \"ProgramsDir32=%ls\"\r\n", PathVariable::ProgramsDir32},
    {u"SET \"ProgramsDir64=%ls\"\r\n", PathVariable::ProgramsDir64},
    {u"SET \"StartMenuAllDir=%ls\"\r\n", PathVariable::StartMenuAllDir},
    {u"SET \"StartMenuChosen=%ls\"\r\n", PathVariable::StartMenuChosen},
    {u"SET \"StartMenuDir=%ls\"\r\n", PathVariable::StartMenuDir},
    {u"SET \"SMProgramsDir=%ls\"\r\n", PathVariable::SMProgramsDir},
    {u"SET \"SMProgramsAllDir=%ls\"\r\n", PathVariable::SMProgramsAllDir},
    {u"SET \"StartupDir=%ls\"\r\n", PathVariable::StartupDir},
    {u"SET \"StartupAllDir=%ls\"\r\n", PathVariable::StartupAllDir},
    {u"SET \"CommonDir=%ls\"\r\n", PathVariable::CommonDir},
    {u"SET \"CommonDir32=%ls\"\r\n", PathVariable::CommonDir32},
    {u"SET \"CommonDir64=%ls\"\r\n", PathVariable::CommonDir64},
    {u"SET \"Inetpub=%ls\"\r\n", PathVariable::Inetpub},
    {u"SET \"AppDataDir=%ls\"\r\n", PathVariable::AppDataDir},
    {u"SET \"AppDataAllDir=%ls\"\r\n", PathVariable::AppDataAllDir},
    {u"SET InstallDrive=%ls\r\n", PathVariable::InstallDrive},
    {u"SET BootDrive=%ls\r\n", PathVariable::BootDrive},
    {u"SET Version=%ls\r\n", PathVariable::Version},
    {u"SET OldVersion=%ls\r\n", PathVariable::OldVersion},
    {u"SET OldVersionMajor=%ls\r\n", PathVariable::OldVersionMajor},
    {u"SET OldVersionMinor=%ls\r\n", PathVariable::OldVersionMinor},
};
static_assert(sizeof kSetLines / sizeof kSetLines[0] == 42, "one SET line per published value");

bool IsPauseLine(const char *line, int32_t length)
{
    String text(line, length);
    text.Trim(" \t\r\n");
    if (text.StripLeading('@'))
        text.TrimLeft(" \t");
    return text.EqualsIgnoreCase("PAUSE");
}

bool AllAscii(const String &wide)
{
    for (int32_t i = 0; i < wide.WideLength(); ++i)
        if (wide.Wide()[i] >= 128)
            return false;
    return true;
}

} // namespace

String BatchSetBlock(PathValueSource &source, const PathVariableState &state)
{
    String block;
    for (const SetLine &line : kSetLines) {
        String value = PathVariableValue(line.variable, source, state);
        // The batch's drive is "D:" where the path variable is the letter alone.
        if (line.variable == PathVariable::InstallerDrive && !value.Empty())
            value.AppendWideChar(u':');
        block.AppendFormatWide(line.format, value.Wide());
    }
    return block;
}

void RemovePauseLines(String &text8)
{
    String out;
    int32_t start = 0;
    while (start < text8.Length()) {
        int32_t end = text8.FindLineEnd(start, kLineEndOrTextEnd);
        int32_t content = text8.FindLineEnd(start, kLineEndOrTextEnd | kLineEndAtTerminator);
        if (end <= start)
            end = text8.Length();
        if (!IsPauseLine(text8.Bytes() + start, content - start))
            out.Append(text8.Bytes() + start, end - start);
        start = end;
    }
    text8 = out;
}

String BatchFileBytes(const String &wide, bool olderThanWindows7)
{
    String encoded;
    if (olderThanWindows7 || AllAscii(wide)) {
        encoded.Assign("@chcp 1252 >nul\r\n");
        String body;
        CodePageFromWide(wide, kCodePageWindows1252, "?", body);
        encoded.Append(body);
    } else {
        encoded.Assign("@chcp 65001 >nul\r\n");
        String body;
        CodePageFromWide(wide, kCodePageUtf8, "?", body);
        encoded.Append(body);
    }
    // Line ends: a lone LF, a lone CR and LF CR each become CR LF.
    String out;
    const char *b = encoded.Bytes();
    const int32_t n = encoded.Length();
    for (int32_t i = 0; i < n; ++i) {
        if (b[i] == '\r' || b[i] == '\n') {
            const char other = b[i] == '\r' ? '\n' : '\r';
            if (i + 1 < n && b[i + 1] == other)
                ++i;
            out.Append("\r\n", 2);
        } else {
            out.AppendByte(b[i]);
        }
    }
    if (out.Empty() || (out.Bytes()[out.Length() - 1] != '\n' && out.Bytes()[out.Length() - 1] != '\r'))
        out.Append("\r\n", 2);
    return out;
}

void AppendBatchAddition(String &text8, const String &addition8)
{
    if (addition8.Empty())
        return;
    if (!text8.Empty()) {
        const char last = text8.Bytes()[text8.Length() - 1];
        if (last != '\n' && last != '\r')
            text8.Append("\r\n", 2);
    }
    text8.Append(addition8);
}

String CapturedBatchOutput(const String &bytes)
{
    String out = bytes;
    out.TrimRight(" \t\r\n");
    if (!out.Empty())
        out.Append("\r\n", 2);
    return out;
}
