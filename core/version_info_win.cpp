#include "core/version_info_win.h"

#include <windows.h>

#include "core/system_library_win.h"

namespace {
using SizeFn = DWORD(WINAPI *)(LPCWSTR, LPDWORD);
using InfoFn = BOOL(WINAPI *)(LPCWSTR, DWORD, DWORD, LPVOID);
using QueryFn = BOOL(WINAPI *)(LPCVOID, LPCWSTR, LPVOID *, PUINT);
}

bool ReadFileVersionBlock(const String &path, String &block)
{
    const auto size = GetSystemFunctionAs<SizeFn>(L"version.dll", "GetFileVersionInfoSizeW");
    const auto info = GetSystemFunctionAs<InfoFn>(L"version.dll", "GetFileVersionInfoW");
    if (!size || !info)
        return false;
    const wchar_t *name = reinterpret_cast<const wchar_t *>(path.Wide());
    DWORD ignored = 0;
    const DWORD bytes = size(name, &ignored);
    if (bytes == 0)
        return false;
    if (!block.TryResize(static_cast<int32_t>(bytes)))
        return false;
    return info(name, 0, bytes, block.MutableBytes()) != FALSE;
}

bool ReadFileVersionNumber(const String &path, uint64_t &version)
{
    const auto query = GetSystemFunctionAs<QueryFn>(L"version.dll", "VerQueryValueW");
    String block;
    if (!query || !ReadFileVersionBlock(path, block))
        return false;
    void *fixed = nullptr;
    UINT length = 0;
    if (!query(block.Bytes(), L"\\", &fixed, &length) || fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    const auto *v = static_cast<const VS_FIXEDFILEINFO *>(fixed);
    version = uint64_t(v->dwFileVersionMS) << 32 | v->dwFileVersionLS;
    return true;
}
