#include "wizard/installer_window_look_win.h"

#include <cstdlib>
#include <cstring>

#include "core/codepage.h"
#include "core/file_win.h"
#include "core/path_parts.h"
#include "setupdata/settings_flags.h"

namespace {

String Name(const char *ascii) { return WideFromAscii(ascii); }

bool ReadNumber(const RegistryKey &key, const char *name, int64_t &value)
{
    DWORD number = 0;
    if (key.ReadDword(Name(name), number) == ERROR_SUCCESS) {
        value = static_cast<int32_t>(number);
        return true;
    }
    String text;
    if (key.ReadString(Name(name), text) != ERROR_SUCCESS || text.Empty())
        return false;
    value = text.ParseIntegerWide();
    return true;
}

uint32_t Number(const RegistryKey &key, const char *name, uint32_t fallback)
{
    int64_t value = 0;
    return ReadNumber(key, name, value) ? static_cast<uint32_t>(value) : fallback;
}

double Real(const RegistryKey &key, const char *name, double fallback)
{
    String raw;
    if (key.ReadBinary(Name(name), raw) == ERROR_SUCCESS && raw.Length() == 8) {
        double value = 0;
        std::memcpy(&value, raw.Bytes(), sizeof(value));
        return value;
    }
    String text;
    if (key.ReadString(Name(name), text) != ERROR_SUCCESS || text.Empty())
        return fallback;
    const String narrow = NarrowInCodePage(text, kCodePageAnsi);
    char *end = nullptr;
    const double value = std::strtod(narrow.Bytes(), &end);
    return end == narrow.Bytes() ? fallback : value;
}

String Wide(const RegistryKey &key, const char *name, const char16_t *fallback)
{
    String value;
    if (key.ReadString(Name(name), value) != ERROR_SUCCESS)
        return String(fallback);
    return value;
}

String Narrow(const RegistryKey &key, const char *name)
{
    String value;
    if (key.ReadString(Name(name), value) != ERROR_SUCCESS)
        return String();
    return NarrowInCodePage(value, kCodePageAnsi);
}

} // namespace

WindowLook ReadWindowLookFromUninstallEntry(const RegistryKey &entry, uint64_t productFlags,
                                            const String &uninstallFolder)
{
    WindowLook look;
    look.TaskbarText = Wide(entry, "TaskbarText", u"Setup");
    look.DisplayTitle = Wide(entry, "DisplayTitle", u"");
    look.TitleSize = Real(entry, "TitleSize", 1.0);
    look.TitleColor = Number(entry, "TitleColor", GetSysColor(COLOR_WINDOWTEXT));
    look.TitleShadow = static_cast<uint8_t>(Number(entry, "TitleShadow", 1));
    look.TitlePosition = static_cast<uint8_t>(Number(entry, "TitlePosition", 0));
    look.TitleFont = Narrow(entry, "TitleFont");
    look.TopColor = Number(entry, "TopColor", GetSysColor(COLOR_WINDOW));
    look.BottomColor = Number(entry, "BottomColor", 0);
    look.MonoColor = Number(entry, "MonoColor", 1) != 0;
    look.CopyrightText = Wide(entry, "CopyrightText", u"");
    look.CopyrightFont = Narrow(entry, "CopyrightFont");
    look.CopyrightSize = Real(entry, "CopyrightSize", 0.0);
    look.CopyrightColor = Number(entry, "CopyrightColor", 0);
    look.CopyrightPos = static_cast<uint8_t>(Number(entry, "CopyrightPos", 0));
    if (productFlags & ProductFlag::BackgroundBitmap) {
        look.BitmapTPI = static_cast<int32_t>(Number(entry, "BitmapTPI", static_cast<uint32_t>(-1)));
        look.StretchMode = static_cast<int32_t>(Number(entry, "StretchMode", 0));
        look.BitmapSize = static_cast<int32_t>(Number(entry, "BitmapSize", 0));
        // A picture that cannot be read is simply not shown.
        if (ReadWholeFile(WidePathJoin(uninstallFolder, String(kBackgroundPictureFile)), look.BackgroundBitmap) != 0)
            look.BackgroundBitmap.Clear();
    }
    return look;
}
