#include "uninstall/shared_removal_win.h"

#include <windows.h>
#include <oleauto.h>

#include "core/codepage.h"
#include "core/file_ops_win.h"
#include "core/path_parts.h"
#include "core/path_text.h"
#include "setupdata/language.h"
#include "setupdata/path_variables.h"
#include "uninstall/removal_lists.h"
#include "uninstall/uninstall_messages_win.h"

namespace {

constexpr char16_t kSharedDllsKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char16_t kFontsKey[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
constexpr char16_t kProductFontsValue[] = u"ProductFonts";
constexpr char16_t kSharedFilesValue[] = u"SharedFiles";

const wchar_t *W(const String &text) { return reinterpret_cast<const wchar_t *>(text.Wide()); }

String Formatted(const String &format, const String &argument)
{
    // The formats carry one %s (language strings 56 and 59).
    return String::FormatWide(format.Wide(), argument.Wide());
}

void UnregisterComServer(const String &path)
{
    HMODULE library = LoadLibraryExW(W(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (library == nullptr)
        return;   // nothing to unregister with; the file is still deleted below
    using Unregister = HRESULT(STDAPICALLTYPE *)();
    const auto unregister =
        reinterpret_cast<Unregister>(reinterpret_cast<void *>(GetProcAddress(library, "DllUnregisterServer")));
    if (unregister != nullptr)
        unregister();   // a server that fails to unregister leaves its keys; removal goes on
    FreeLibrary(library);
}

void UnregisterTypeLibrary(const String &path)
{
    ITypeLib *library = nullptr;
    if (FAILED(LoadTypeLibEx(W(path), REGKIND_NONE, &library)) || library == nullptr)
        return;
    TLIBATTR *attributes = nullptr;
    if (SUCCEEDED(library->GetLibAttr(&attributes)) && attributes != nullptr) {
        UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum, attributes->lcid,
                          attributes->syskind);
        library->ReleaseTLibAttr(attributes);
    }
    library->Release();
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
        RemoveFontResourceW(W(fileName));
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
        if (entry.comServer)
            UnregisterComServer(path);
        if (entry.typeLibrary)
            UnregisterTypeLibrary(path);
        if (GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES)
            continue;
        if (!context.automatic && context.HasFlag(UninstallFlag::AskBeforeSharedFiles) &&
            !AskUninstallQuestion(context, Formatted(LanguageString(UninstallText::SharedFileQuestion), path),
                                  LanguageString(UninstallText::SharedFileCaption)))
            continue;
        RemoveFile(path, 0);
    }
    context.entry->DeleteValue(String(kSharedFilesValue));
}
