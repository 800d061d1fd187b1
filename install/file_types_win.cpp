#include "install/file_types_win.h"

#include <windows.h>

#include "core/codepage.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/registry_win.h"
#include "core/system_error_win.h"
#include "core/system_library_win.h"
#include "core/wide_win.h"
#include "install/file_step_log.h"
#include "install/files_win.h"
#include "setupdata/corruption.h"
#include "setupdata/language.h"

namespace {

constexpr int kRegistrationStatusRow = 77;
constexpr char16_t kFontsKeyNT[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char16_t kFontsKey9x[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
constexpr char16_t kClsidKey[] = u"Software\\Classes\\CLSID\\";
constexpr char16_t kNameSpaceKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ControlPanel\\NameSpace\\";
constexpr unsigned kMsiMissing = 120;        // no library or no function: ERROR_CALL_NOT_IMPLEMENTED
constexpr unsigned kMsiCrashed = 0x8000FFFF;
constexpr int kMsiSilentLevel = 2;           // INSTALLUILEVEL_NONE


String Utf8ToWide(const String &utf8)
{
    String wide;
    CodePageToWide(utf8, kCodePageUtf8, wide);
    return wide;
}

void InstallFont(FileStepInput &input, FileStepLists &lists, const FileRecord &record, const String &destination)
{
    StepStatus(input, RegistrationStatus(PathTextToWide(record.name)));
    RegistryKey key;
    const LONG opened = key.Create(HKEY_LOCAL_MACHINE, String(input.windows9x ? kFontsKey9x : kFontsKeyNT),
                                   KEY_SET_VALUE);
    const LONG stored = opened == ERROR_SUCCESS
                            ? key.WriteString(Utf8ToWide(record.version), WidePathFileName(destination))
                            : opened;
    if (stored != ERROR_SUCCESS)
        StepLogWide(input, String::FormatWide(u"Failed to register font \"%ls\": %ls\r\n", destination.Wide(),
                                              SystemErrorText(DWORD(stored)).Wide()));
    if (AddFontResourceW(AsWide(destination)) == 0)
        StepLogWide(input, String::FormatWide(u"Failed to load font \"%ls\".\r\n", destination.Wide()));
    lists.fontsChanged = true;
}

struct MsiRun {
    const String *path;
    int level;
    unsigned result;
};

void RunMsi(void *context)
{
    MsiRun &run = *static_cast<MsiRun *>(context);
    using SetUi = int(WINAPI *)(int, HWND *);
    using Install = UINT(WINAPI *)(const wchar_t *, const wchar_t *);
    const auto setUi = GetSystemFunctionAs<SetUi>(L"msi.dll", "MsiSetInternalUI");
    const auto install = GetSystemFunctionAs<Install>(L"msi.dll", "MsiInstallProductW");
    if (!setUi || !install) {
        run.result = kMsiMissing;
        return;
    }
    setUi(run.level, nullptr);
    run.result = install(AsWide(*run.path), L"REBOOT=R");
}

void InstallMsiPackage(FileStepInput &input, FileStepLists &lists, const FileRecord &record,
                       const String &destination)
{
    StepStatus(input, RegistrationStatus(destination));
    String line = String::FormatWide(u"Installing MSI package \"%ls\"...", destination.Wide());
    StepLogWide(input, line);
    MsiRun run{&destination, input.silent ? kMsiSilentLevel : record.msiUiLevel, 0};
    if (!StepGuarded(input, RunMsi, &run))
        run.result = kMsiCrashed;
    if (run.result == 0) {
        StepLog(input, "OK\r\n");
        if (record.flags & kFileFlagMsiUninstallList)
            lists.msiPackages.emplace_back(destination, int(record.msiUiLevel));
        return;
    }
    const String tail = String::FormatWide(u"FAILED code %u: %ls\r\n", run.result,
                                           SystemErrorText(DWORD(run.result)).Wide());
    StepLogWide(input, tail);
    StepFailure(input, line.Append(tail));
}

LONG CreateWithDefault(HKEY root, const String &path, const String &value, RegistryView view)
{
    RegistryKey key;
    LONG result = key.Create(root, path, KEY_SET_VALUE, view);
    if (result == ERROR_SUCCESS)
        result = key.WriteString(String(), value);
    return result;
}

void RegisterApplet(FileStepInput &input, const FileRecord &record, const String &destination)
{
    String name, classId;
    AppletIdentity(record, name, classId);
    String what(u"Control Panel extension \"");
    what.Append(name).AppendWideChar(u'"');
    StepStatus(input, RegistrationStatus(what));
    StepLogWide(input, String::FormatWide(u"Registering control panel applet \"%ls\"...", name.Wide()));

    const RegistryView view = input.bits64 ? RegistryView::Bits64 : RegistryView::Native;
    const UninstallRecordKind kind = input.bits64 ? kUninstallRegistryKey64 : kUninstallRegistryKey;
    String clsid(kClsidKey);
    clsid.Append(classId);
    LONG result = CreateWithDefault(HKEY_LOCAL_MACHINE, clsid, name, view);
    if (result == ERROR_SUCCESS) {
        StepUninstallRecord(input, String(u"\\HKLM\\").Append(clsid), kind);
        // The icon is a nicety: Explorer falls back to the applet's own.
        CreateWithDefault(HKEY_LOCAL_MACHINE, String(clsid).AppendWide(u"\\DefaultIcon"), destination, view);
        String command = String(u"\"").Append(destination).AppendWideChar(u'"');
        if (!record.arguments.Empty()) {
            String arguments;
            CodePageToWide(record.arguments, kCodePageWindows1252, arguments);
            command.AppendWideChar(u' ').Append(arguments);
        }
        result = CreateWithDefault(HKEY_LOCAL_MACHINE, String(clsid).AppendWide(u"\\Shell\\Open\\Command"), command, view);
    }
    if (result == ERROR_SUCCESS) {
        String nameSpace(kNameSpaceKey);
        nameSpace.Append(classId);
        result = CreateWithDefault(HKEY_LOCAL_MACHINE, nameSpace, name, view);
        if (result == ERROR_SUCCESS)
            StepUninstallRecord(input, String(u"\\HKLM\\").Append(nameSpace), kind);
    }
    if (result == ERROR_SUCCESS)
        StepLog(input, "OK\r\n");
    else
        StepLogWide(input, String(u"FAILED!\r\n").Append(SystemErrorText(DWORD(result))).AppendWide(u"\r\n"));
}

} // namespace

String RegistrationStatus(const String &whatWide)
{
    String status = LanguageString(kRegistrationStatusRow);
    const char16_t kPlaceholder[] = u"<file>";
    const int32_t units = 6;
    for (int32_t i = 0; i + units <= status.WideLength(); ++i) {
        if (String(status.Wide() + i, units) == String(kPlaceholder)) {
            status.ReplaceRange(i * 2, units * 2, whatWide.Bytes(), whatWide.Length());
            break;
        }
    }
    return status.Empty() ? whatWide : status;
}

void AppletIdentity(const FileRecord &record, String &displayName, String &classId)
{
    displayName = Utf8ToWide(record.version);
    if (displayName.Empty()) {
        displayName = WidePathFileName(PathTextToWide(record.name));
        for (int32_t i = displayName.WideLength() - 1; i > 0; --i)
            if (displayName.Wide()[i] == u'.') {
                displayName.Resize(i * 2);
                break;
            }
    }
    if (displayName.Empty())
        ReportCorruption(kCorruptionAppletName);
    classId = PathTextToWide(record.workingFolder);
    if (classId.Empty())
        ReportCorruption(kCorruptionAppletClass);
}

void InstallByType(FileStepInput &input, FileStepLists &lists, const FileRecord &record,
                   const String &destination, bool written)
{
    if (record.type == kFileTypeControlPanel) {
        RegisterApplet(input, record, destination);
        return;
    }
    if (!written)
        return;
    switch (record.type) {
    case kFileTypeFont:
        InstallFont(input, lists, record, destination);
        break;
    case kFileTypeDriver:
        lists.drivers.push_back(destination);
        break;
    case kFileTypeMsiPackage:
        InstallMsiPackage(input, lists, record, destination);
        break;
    default:
        break;
    }
}
