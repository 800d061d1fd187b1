#include "core/registry_win.h"
#include "core/registry_tree_win.h"
#include "core/wide_win.h"

namespace {

} // namespace

REGSAM RegistryViewFlag(RegistryView view)
{
    switch (view) {
    case RegistryView::Bits64:
        return KEY_WOW64_64KEY;
    case RegistryView::Bits32:
        return KEY_WOW64_32KEY;
    default:
        return 0;
    }
}

RegistryKey::RegistryKey(RegistryKey &&other) noexcept : key_(other.key_) { other.key_ = nullptr; }

RegistryKey &RegistryKey::operator=(RegistryKey &&other) noexcept
{
    if (this != &other) {
        Close();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

RegistryKey::~RegistryKey() { Close(); }

void RegistryKey::Close()
{
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

LONG RegistryKey::Open(HKEY root, const String &path, REGSAM access, RegistryView view)
{
    Close();
    return RegOpenKeyExW(root, AsWide(path), 0, access | RegistryViewFlag(view), &key_);
}

LONG RegistryKey::Create(HKEY root, const String &path, REGSAM access, RegistryView view)
{
    Close();
    return RegCreateKeyExW(root, AsWide(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access | RegistryViewFlag(view), nullptr, &key_, nullptr);
}

LONG RegistryKey::ReadRaw(const String &name, DWORD *type, String &value) const
{
    value.Clear();
    if (!key_)
        return ERROR_INVALID_HANDLE;
    return RegistryReadValue(key_, name, *type, value);
}

LONG RegistryKey::ReadString(const String &name, String &value) const
{
    DWORD type = 0;
    LONG rc = ReadRaw(name, &type, value);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        value.Clear();
        return ERROR_UNSUPPORTED_TYPE;
    }
    // Stored strings may or may not carry their terminator: keep the text only.
    if (value.Length() % 2)
        value.Resize(value.Length() - 1);
    int32_t units = value.WideLength();
    const char16_t *w = value.Wide();
    int32_t n = 0;
    while (n < units && w[n])
        ++n;
    value.Resize(n * 2);
    return ERROR_SUCCESS;
}

LONG RegistryKey::ReadMultiString(const String &name, String &value) const
{
    DWORD type = 0;
    LONG rc = ReadRaw(name, &type, value);
    if (rc == ERROR_SUCCESS && type != REG_MULTI_SZ) {
        value.Clear();
        return ERROR_UNSUPPORTED_TYPE;
    }
    return rc;
}

LONG RegistryKey::ReadDword(const String &name, DWORD &value) const
{
    DWORD type = 0;
    String raw;
    LONG rc = ReadRaw(name, &type, raw);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (type != REG_DWORD || raw.Length() != 4)
        return ERROR_UNSUPPORTED_TYPE;
    value = *reinterpret_cast<const DWORD *>(raw.Bytes());
    return ERROR_SUCCESS;
}

LONG RegistryKey::ReadBinary(const String &name, String &value) const
{
    DWORD type = 0;
    return ReadRaw(name, &type, value);
}

LONG RegistryKey::WriteString(const String &name, const String &value, DWORD type)
{
    if (!key_)
        return ERROR_INVALID_HANDLE;
    // Stored with its terminating zero character, as Windows' own tools do.
    return RegSetValueExW(key_, AsWide(name), 0, type, reinterpret_cast<const BYTE *>(value.Bytes()),
                          static_cast<DWORD>(value.Length() + 2));
}

LONG RegistryKey::WriteMultiString(const String &name, const String &value)
{
    if (!key_)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExW(key_, AsWide(name), 0, REG_MULTI_SZ, reinterpret_cast<const BYTE *>(value.Bytes()),
                          static_cast<DWORD>(value.Length()));
}

LONG RegistryKey::WriteDword(const String &name, DWORD value)
{
    if (!key_)
        return ERROR_INVALID_HANDLE;
    return RegSetValueExW(key_, AsWide(name), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value);
}

LONG RegistryKey::DeleteValue(const String &name)
{
    if (!key_)
        return ERROR_INVALID_HANDLE;
    return RegDeleteValueW(key_, AsWide(name));
}
