#include "uninstall/self_deletion.h"

#include "core/path_parts.h"

namespace {

// A path as the command interpreter reads it inside a batch file: "%" stands for "%%".
String BatchPath(const String &path)
{
    String out;
    for (int32_t i = 0; i < path.WideLength(); ++i) {
        if (path.Wide()[i] == u'%')
            out.AppendWideChar(u'%');
        out.AppendWideChar(path.Wide()[i]);
    }
    return out;
}

void AppendQuotedCommand(String &out, const char16_t *command, const String &path)
{
    out.AppendWide(command);
    out.AppendWide(u" \"");
    out.Append(BatchPath(path));
    out.AppendWide(u"\"\r\n");
}

} // namespace

String SelfDeletionScriptText(const String &programPath, const String &installFolder, const String &subfolder,
                              const String &scriptPath)
{
    const String program = BatchPath(programPath);
    // The counter is local to the script (setlocal): an inherited variable of the same name
    // cannot shorten or lengthen the retries.
    String text(u"setlocal\r\nset KsAttempts=0\r\n:Repeat\r\n");
    AppendQuotedCommand(text, u"del", programPath);
    text.AppendWide(u"if not exist \"");
    text.Append(program);
    text.AppendWide(u"\" goto Removed\r\nset /a KsAttempts+=1\r\n");
    text.Append(String::FormatWide(u"if %%KsAttempts%% GEQ %d goto Removed\r\n", kSelfDeletionAttempts));
    // The pauses are echo requests to the loopback address, one second apart: "CHOICE /T" returns
    // at once where it has no console input to wait on (Wine's console of a hidden process), and
    // the retries then ran out within moments, before a slow process end had let go of the program.
    text.AppendWide(u"ping -n 2 127.0.0.1 >nul\r\ngoto Repeat\r\n:Removed\r\nping -n 4 127.0.0.1 >nul\r\n");

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
