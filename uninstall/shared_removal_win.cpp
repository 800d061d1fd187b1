#include "uninstall/shared_removal_win.h"

#include <windows.h>
#include <oleauto.h>

#include "core/codepage.h"
#include "core/com_server_win.h"
#include "core/format.h"
#include "core/guard_win.h"
#include "core/system_library_win.h"
#include "core/file_ops_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "core/wide_win.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "uninstall/removal_lists.h"
#include "uninstall/uninstall_messages_win.h"
#include "wizard/installer_window_win.h"
#include "wizard/pages.h"

namespace {

constexpr char16_t kSharedDllsKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char16_t kFontsKey[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char16_t kProductFontsValue[] = u"ProductFonts";
constexpr char16_t kSharedFilesValue[] = u"SharedFiles";


String Formatted(const String &format, const String &argument)
{
    // The formats come from "Uninstall.DAT" (language strings 56 and 59): never a printf format.
    return FormatWithText(format, argument);
}

void UnregisterComServer(const String &path)
{
    if (RunRegsvr32(path, true) == 0)
        return;
    // regsvr32 is missing or refused: the server unregisters itself through its own export. A
    // server that cannot leaves its keys; the removal goes on.
    (void)CallServerExport(path, "DllUnregisterServer");
}

void UnregisterTypeLibrary(const String &path)
{
    using Load = HRESULT(WINAPI *)(LPCOLESTR, REGKIND, ITypeLib **);
    using Unregister = HRESULT(WINAPI *)(REFGUID, WORD, WORD, LCID, SYSKIND);
    const auto load = GetSystemFunctionAs<Load>(L"oleaut32.dll", "LoadTypeLibEx");
    const auto unregister = GetSystemFunctionAs<Unregister>(L"oleaut32.dll", "UnRegisterTypeLib");
    ITypeLib *library = nullptr;
    if (!load || !unregister || FAILED(load(AsWide(path), REGKIND_NONE, &library)) || library == nullptr)
        return;
    TLIBATTR *attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes)) && attributes != nullptr) {
        unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                   attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }
    library->Release();
}

// A server's own code runs in this process: a crash in it ends only its unregistration. Windows
// the server opened may have queued messages; the uninstaller's window takes the focus back.
void Unregister(const SharedFileEntry &entry, const String &path)
{
    if (!entry.comServer && !entry.typeLibrary)
        return;
    const GuardResult guarded = RunGuardedCall([&] {
        if (entry.comServer)
            UnregisterComServer(path);
        if (entry.typeLibrary)
            UnregisterTypeLibrary(path);
    });
    if (guarded.crashed) {
        // The crash left the server loaded in this process, and a loaded library's file cannot be
        // deleted. Its own detach code may crash as well: guarded too.
        if (HMODULE loaded = GetModuleHandleW(AsWide(path)))
            RunGuardedCall([loaded] { FreeLibrary(loaded); });
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (HWND main = ProgressPageWindow() ? ProgressPageWindow() : InstallerWindow())
        SetForegroundWindow(main);
}

} // namespace

void RemoveProductFonts(UninstallContext &context)
{
    if (context.productFonts.Empty())
        return;
    RegistryKey fonts;
    const bool fontsOpen = fonts.Open(HKEY_LOCAL_MACHINE, String(kFontsKey), KEY_SET_VALUE | KEY_QUERY_VALUE,
                                      context.View()) == ERROR_SUCCESS;
    String fontFolder(u"%FontDir%");
    ExpandPathVariables(fontFolder);
    bool removed = false;
    for (const ProductFont &font : ParseProductFonts(context.productFonts)) {
        String name;
        CodePageToWide(font.name, kCodePageUtf8, name);
        if (!context.automatic && context.HasFlag(UninstallFlag::AskBeforeFonts) &&
            !AskUninstallQuestion(context, Formatted(LanguageString(UninstallText::FontQuestion), name),
                                  LanguageString(UninstallText::FontCaption)))
            continue;
        if (fontsOpen)
            fonts.DeleteValue(name);   // a missing value counts as deleted
        const String file = PathTextToWide(font.file);
        const String fileName = WidePathFileName(file);
        RemoveFontResourceW(AsWide(fileName));
        RemoveFile(WidePathJoin(fontFolder, fileName), 0);
        removed = true;
    }
    context.entry->DeleteValue(String(kProductFontsValue));
    if (removed)
        SendMessageTimeoutW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
}

void ReleaseSharedFiles(UninstallContext &context, const String &sharedFiles)
{
    if (sharedFiles.Empty())
        return;
    RegistryKey counts;
    if (counts.Open(HKEY_LOCAL_MACHINE, String(kSharedDllsKey), KEY_QUERY_VALUE | KEY_SET_VALUE, context.View()) !=
        ERROR_SUCCESS) {
        context.AddFailure(String(u"REGISTRY ERROR:  Unable to adjust shared file reference counts.\r\n\r\n"));
        return;
    }
    for (const SharedFileEntry &entry : ParseSharedFiles(sharedFiles)) {
        const String path = PathTextToWide(entry.path);
        DWORD count = 0;
        if (counts.ReadDword(path, count) != ERROR_SUCCESS)
            continue;   // a file without its count is not ours to remove
        int64_t remaining = 0;
        const bool gone = SharedReferenceGone(int64_t(int32_t(count)), remaining);
        if (remaining == 0)
            counts.DeleteValue(path);
        else
            counts.WriteDword(path, DWORD(remaining));
        if (!gone || entry.keepFile)
            continue;
        Unregister(entry, path);
        if (GetFileAttributesW(AsWide(path)) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (!context.automatic && context.HasFlag(UninstallFlag::AskBeforeSharedFiles) &&
            !AskUninstallQuestion(context, Formatted(LanguageString(UninstallText::SharedFileQuestion), path),
                                  LanguageString(UninstallText::SharedFileCaption)))
            continue;
        RemoveFile(path, 0);
    }
    context.entry->DeleteValue(String(kSharedFilesValue));
}
