#include "core/shell_link_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include "core/com_ref_win.h"
#include "core/folders_win.h"
#include "core/path_parts.h"
#include "core/wide_win.h"

namespace {

// IShellLinkW's getters take fixed buffers; INFOTIPSIZE (1024) bounds what they hand back, and a
// longer text is cut by the shell itself, not here.
constexpr int kLinkTextUnits = 32768;

} // namespace

HRESULT SaveShellLink(const String &linkPath, const ShellLinkData &link)
{
    if (link.target.Empty())
        return E_INVALIDARG;
    ComRef<IShellLinkW> shellLink;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void **>(shellLink.Out()));
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = shellLink->SetPath(AsWide(link.target))))
        return hr;
    const String &icon = link.iconPath.Empty() ? link.target : link.iconPath;
    if (FAILED(hr = shellLink->SetIconLocation(AsWide(icon), link.iconPath.Empty() ? 0 : link.iconIndex)))
        return hr;
    if (!link.arguments.Empty() && FAILED(hr = shellLink->SetArguments(AsWide(link.arguments))))
        return hr;
    if (!link.workingFolder.Empty() && FAILED(hr = shellLink->SetWorkingDirectory(AsWide(link.workingFolder))))
        return hr;
    if (FAILED(hr = shellLink->SetShowCmd(link.showCommand)))
        return hr;
    const String folder = WidePathFolder(linkPath);
    if (!folder.Empty() && !CreateFolderPath(folder))
        return HRESULT_FROM_WIN32(GetLastError());
    ComRef<IPersistFile> file;
    if (FAILED(hr = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(file.Out()))))
        return hr;
    return file->Save(AsWide(linkPath), TRUE);
}

HRESULT LoadShellLink(const String &linkPath, ShellLinkData &link)
{
    ComRef<IShellLinkW> shellLink;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void **>(shellLink.Out()));
    if (FAILED(hr))
        return hr;
    ComRef<IPersistFile> file;
    if (FAILED(hr = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(file.Out()))) ||
        FAILED(hr = file->Load(AsWide(linkPath), STGM_READ)))
        return hr;
    String buffer;
    buffer.Resize(kLinkTextUnits * 2);
    wchar_t *text = AsWide(buffer.MutableWide());
    auto take = [&](String &out) { out = String(FromWide(text)); };
    if (FAILED(hr = shellLink->GetPath(text, kLinkTextUnits, nullptr, SLGP_RAWPATH)))
        return hr;
    take(link.target);
    if (FAILED(hr = shellLink->GetArguments(text, kLinkTextUnits)))
        return hr;
    take(link.arguments);
    if (FAILED(hr = shellLink->GetWorkingDirectory(text, kLinkTextUnits)))
        return hr;
    take(link.workingFolder);
    if (FAILED(hr = shellLink->GetIconLocation(text, kLinkTextUnits, &link.iconIndex)))
        return hr;
    take(link.iconPath);
    return shellLink->GetShowCmd(&link.showCommand);
}

bool InvokeShellVerb(const String &path, const char16_t *verb)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = AsWide(verb);
    info.lpFile = AsWide(path);
    info.nShow = SW_HIDE;
    return ShellExecuteExW(&info) != FALSE;
}
