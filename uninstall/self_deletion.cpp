#include "uninstall/self_deletion.h"

#include "core/codepage.h"
#include "core/path_parts.h"

namespace {

bool IsPlainAscii(const String &wide)
{
    for (int32_t i = 0; i < wide.WideLength(); ++i)
        if (wide.Wide()[i] >= 0x80)
            return false;
    return true;
}

void AppendQuotedCommand(String &out, const char16_t *command, const String &path)
{
    out.AppendWide(command);
    out.AppendWide(u" \"");
    out.Append(path);
    out.AppendWide(u"\"\r\n");
}

} // namespace

String SelfDeletionScriptText(const String &programPath, const String &installFolder, const String &subfolder,
                              const String &scriptPath)
{
    String text(u":Repeat\r\n");
    AppendQuotedCommand(text, u"del", programPath);
    text.AppendWide(u"if exist \"");
    text.Append(programPath);
    text.AppendWide(u"\" goto Repeat\r\nCHOICE /T 3 /D Y\r\n");

    String part(subfolder);
    while (WidePathStripTrailingBackslash(part)) {
    }
    for (int lines = 0; !part.Empty() && lines < kMaxSelfDeletionFolders; ++lines) {
        AppendQuotedCommand(text, u"rd", WidePathJoin(installFolder, part));
        part = WidePathFolder(part);
    }
    AppendQuotedCommand(text, u"rd", installFolder);
    AppendQuotedCommand(text, u"del", scriptPath);
    return text;
}

String SelfDeletionScriptBytes(const String &text, bool beforeWindows7)
{
    String bytes;
    if (beforeWindows7 || IsPlainAscii(text)) {
        bytes.Assign("@chcp 1252 >nul\r\n");
        String converted;
        CodePageFromWide(text, kCodePageWindows1252, "?", converted);
        bytes.Append(converted);
    } else {
        bytes.Assign("@chcp 65001 >nul\r\n");
        String converted;
        CodePageFromWide(text, kCodePageUtf8, nullptr, converted);
        bytes.Append(converted);
    }
    return bytes;
}
