#include "install/batch_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include "core/codepage.h"
#include "core/file_win.h"
#include "core/file_errors.h"
#include "core/path_win.h"
#include "core/system_error.h"
#include "core/wide_win.h"
#include "install/batch.h"
#include "install/install_log.h"
#include "install/side_effects.h"
#include "setupdata/path_variables.h"

namespace {

BatchRunMode g_mode;

void ShowBatchError(const String &message)
{
    if (!g_mode.automatic) {
        // The batch error stands alone: nothing else of the run depends on the answer.
        (void)MessageBoxW(g_mode.owner, AsWide(message), L"Error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    }
    LogStringW(message);
    LogText("\r\n");
}

bool FolderExists(const String &folder)
{
    const DWORD attributes = GetFileAttributesW(AsWide(folder));
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // A folder that exists but denies access still counts as there.
    return GetLastError() == ERROR_ACCESS_DENIED;
}

String ShortOrLong(const String &path)
{
    const String shortPath = ShortPathOf(path);
    return shortPath.Empty() ? path : shortPath;
}

} // namespace

void SetBatchRunMode(const BatchRunMode &mode) { g_mode = mode; }

String FindCommandInterpreter()
{
    // ExpandEnvironmentStringsW counts the terminator both when it fits and when it asks for more.
    String result;
    DWORD units = ExpandEnvironmentStringsW(L"%comspec%", nullptr, 0);
    while (units > 0) {
        result.Resize(static_cast<int32_t>(units) * 2);
        const DWORD got = ExpandEnvironmentStringsW(L"%comspec%", AsWide(result.MutableWide()), units);
        if (got == 0 || got <= units) {
            result.Resize(got > 0 ? static_cast<int32_t>(got - 1) * 2 : 0);
            break;
        }
        units = got;
    }
    if (!result.Empty() && !result.EqualsIgnoreCaseWide(u"%comspec%"))
        return result;
    wchar_t folder[MAX_PATH] = {};
    // CSIDL_SYSTEMX86: the 32-bit system folder; MAX_PATH is the API's own limit here.
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_SYSTEMX86, nullptr, 0, folder)))
        return JoinPath(SystemFolderPath(), String(u"cmd.exe"));
    return JoinPath(String(FromWide(folder)), String(u"cmd.exe"));
}

bool RunBatch(const String &text8, bool hide, const char *name)
{
    if (text8.Empty())
        return true;
    if (g_mode.silent)
        hide = true;
    if (name)
        LogConcat("\r\nRunning ", name, "...\r\n", nullptr);

    const String interpreter = FindCommandInterpreter();
    if (GetFileAttributesW(AsWide(interpreter)) == INVALID_FILE_ATTRIBUTES) {
        LogText("The CLI ");
        LogStringW(interpreter);
        LogText(" does not exist!\r\n");
        return false;
    }

    String wide(u"@echo off\r\n");
    wide.Append(BatchSetBlock(DefaultPathValueSource(), InstallationPathState()));
    String text = text8;
    if (g_mode.automatic || hide)
        RemovePauseLines(text);
    wide.Append(WideFromCodePage(text, kCodePageWindows1252));
    const String bytes = BatchFileBytes(wide, g_mode.olderThanWindows7);

    const String &installFolder = InstallationPathState().installFolder;
    const String folder = !installFolder.Empty() && FolderExists(installFolder)
                              ? installFolder
                              : PathVariableValue(PathVariable::Temp);
    const String batchPath = JoinPath(folder, String(kBatchFileName));
    const int written = WriteWholeFile(batchPath, bytes.Bytes(), bytes.Length());
    if (written != 0) {
        ShowBatchError(String::FormatWide(u"Unable to create batch file \"%ls\".\r\n\r\n%ls", batchPath.Wide(),
                                          WideFromCodePage(String(FileErrorText(written)), kCodePageWindows1252).Wide()));
        return false;
    }

    String command = ShortOrLong(batchPath);
    String capturePath;
    if (name) {
        capturePath = JoinPath(folder, String(kBatchCaptureFileName));
        const int created = WriteWholeFile(capturePath, "", 0);
        if (created != 0) {
            LogText("Failed to create batch output capture file.  ");
            LogText(FileErrorText(created));
            LogText("\r\n");
            capturePath.Clear();
        } else {
            command.AppendWide(u" > ").Append(ShortOrLong(capturePath));
        }
    }

    ProgramStart start;
    start.commandLine = String::FormatWide(u"\"%ls\" /c %ls", interpreter.Wide(), command.Wide());
    start.workingFolder = folder;
    start.hidden = hide;
    start.wait = true;
    const bool started = InstallSideEffects().startProgram(start);
    if (!started) {
        const DWORD error = GetLastError();
        ShowBatchError(String::FormatWide(u"Unable to launch batch file \"%ls\".\r\n\r\n%ls", batchPath.Wide(),
                                          SystemErrorText(error).Wide()));
    } else if (!capturePath.Empty()) {
        String output;
        if (ReadWholeFile(capturePath, output) == 0) {
            const String captured = CapturedBatchOutput(output);
            if (!captured.Empty()) {
                LogRaw(captured);
                LogText("\r\n");
            }
        }
    }
    // Both files are ours and temporary; a failed delete leaves only a stale copy that the next
    // run replaces.
    if (!capturePath.Empty())
        (void)DeleteFileW(AsWide(capturePath));
    (void)DeleteFileW(AsWide(batchPath));
    return started;
}

bool RunBatchDetached(const String &batchPathWide)
{
    ProgramStart start;
    start.commandLine = String(u"\"");
    start.commandLine.Append(FindCommandInterpreter()).AppendWide(u"\" /c ").Append(ShortOrLong(batchPathWide));
    start.hidden = true;
    start.newConsole = true;
    if (InstallSideEffects().startProgram(start))
        return true;
    return InstallSideEffects().shellOpen(batchPathWide, String(), String(), true);
}
