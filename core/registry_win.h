// Thin wrapper over the registry: one open key, closed when the object goes. Every call returns the
// system's error code (ERROR_SUCCESS = 0) so that callers can name what failed and why; the code is
// a SystemError as it stands (core/system_error.h), so a failure goes to StepFailed unchanged.
//
// The view matters: the setup program is a 32-bit process, so on 64-bit Windows an unqualified
// HKLM\Software path lands in the WOW6432Node subtree. A 64-bit installation writes and reads the
// 64-bit view (KEY_WOW64_64KEY); everything else uses the process's own view.
#pragma once

#include <windows.h>

#include "core/string.h"

enum class RegistryView { Native, Bits64, Bits32 };

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey &) = delete;
    RegistryKey &operator=(const RegistryKey &) = delete;
    RegistryKey(RegistryKey &&other) noexcept;
    RegistryKey &operator=(RegistryKey &&other) noexcept;
    ~RegistryKey();

    // `path` is wide text (String holding UTF-16).
    LONG Open(HKEY root, const String &path, REGSAM access, RegistryView view = RegistryView::Native);
    LONG Create(HKEY root, const String &path, REGSAM access, RegistryView view = RegistryView::Native);
    void Close();
    bool IsOpen() const { return key_ != nullptr; }
    HKEY Handle() const { return key_; }

    // Values. Names are wide text; an empty name is the key's default value.
    LONG ReadString(const String &name, String &value) const;        // REG_SZ / REG_EXPAND_SZ
    LONG ReadMultiString(const String &name, String &value) const;   // raw REG_MULTI_SZ bytes
    LONG ReadDword(const String &name, DWORD &value) const;
    LONG ReadBinary(const String &name, String &value) const;        // any type, raw bytes
    LONG WriteString(const String &name, const String &value, DWORD type = REG_SZ);
    LONG WriteMultiString(const String &name, const String &value);  // value: raw, double-NUL ended
    LONG WriteDword(const String &name, DWORD value);
    LONG DeleteValue(const String &name);

private:
    LONG ReadRaw(const String &name, DWORD *type, String &value) const;

    HKEY key_ = nullptr;
};

// The access flag that selects a view.
REGSAM RegistryViewFlag(RegistryView view);
