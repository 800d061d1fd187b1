#include "setupdata/shell_settings.h"

#include <cstring>

#include "core/codepage.h"
#include "setupdata/settings_stream.h"

namespace {

bool KeyIs(const String &key, const char *name)
{
    const size_t n = std::strlen(name);
    return size_t(key.Length()) == n && std::memcmp(key.Data(), name, n) == 0;
}

bool ReadEntries(const String &block, ShellSettings &out)
{
    SettingsStream in(block);
    while (!in.AtEnd()) {
        String key, value;
        if (!in.ReadZeroEnded(key) || key.Empty() || !in.ReadText4(value))
            return false;
        if (KeyIs(key, kShellKeyFirewall))
            out.firewallList = value;
        else if (KeyIs(key, kShellKeyRegistryMerge))
            out.registryMerge = value;
        else if (KeyIs(key, kShellKeyRootShortcutName))
            out.rootShortcutName = WideFromCodePage(value, kCodePageUtf8);
        else if (KeyIs(key, kShellKeyRootShortcutCommand))
            out.rootShortcutCommand = WideFromCodePage(value, kCodePageUtf8);
        else if (KeyIs(key, kShellKeyDesktopFolderIcon))
            out.desktopFolderIcon = value;
    }
    return true;
}

void WriteEntry(SettingsWriter &out, const char *key, const String &value)
{
    if (value.Empty())
        return;
    out.WriteZeroEnded(String(key));
    out.WriteText4(value);
}

} // namespace

bool ReadShellSettings(const String &block, ShellSettings &out)
{
    out = ShellSettings();
    if (ReadEntries(block, out))
        return true;
    out = ShellSettings();
    return false;
}

String WriteShellSettings(const ShellSettings &settings)
{
    SettingsWriter out;
    WriteEntry(out, kShellKeyFirewall, settings.firewallList);
    WriteEntry(out, kShellKeyRegistryMerge, settings.registryMerge);
    WriteEntry(out, kShellKeyRootShortcutName, NarrowInCodePage(settings.rootShortcutName, kCodePageUtf8));
    WriteEntry(out, kShellKeyRootShortcutCommand, NarrowInCodePage(settings.rootShortcutCommand, kCodePageUtf8));
    WriteEntry(out, kShellKeyDesktopFolderIcon, settings.desktopFolderIcon);
    return out.TakeRecord();
}
