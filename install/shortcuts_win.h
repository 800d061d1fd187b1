// The shortcut steps of the installation: the shortcut list (install/shortcut_list.h) written as
// shell links on the desktop (or the desktop folder), in the Start menu, in Startup and in chosen
// folders; the root shortcut of a removable target; the taskbar pin. Every shortcut that is not
// permanent is recorded for the uninstaller. COM must be initialised on the calling thread.
#pragma once

#include "core/string.h"
#include "install/shortcut_list.h"
#include "setupdata/windows_version.h"

struct ShortcutStepInput {
    ShortcutResolveInput resolve;   // folders, shortcut mode, language string 38, path variables
    uint64_t productFlags = 0;
    String startMenuFolder;         // wide: the product's folder in the Programs folder
    String desktopFolder;           // wide: %DesktopShortcuts% when a desktop folder is set, else empty
    String desktopFolderIcon;       // icon file image for the desktop folder; empty for none
    String failureLead;             // language string 31: the failure-summary entries' first word

    // Root shortcut and taskbar pin (settings of the product).
    String rootShortcutName;        // wide; empty: no root shortcut
    String rootCommand;             // wide
    String pinCommand;              // wide; empty: no pin
    String pinName;                 // wide; empty: the product name
    String productName;             // wide
    String afterPinStatus;          // language string 78
    WindowsVersion windows;
    bool removableTarget = false;
    void (*expandProduct)(String &wide) = nullptr;   // "<product>" placeholders
};

// The list, in order (nothing for an empty list).
void CreateShortcuts(const ShortcutStepInput &in, const ShortcutList &list);

// "<drive>:\<name>.lnk" on a removable target when a root shortcut name is set.
void CreateRootShortcut(const ShortcutStepInput &in);

// The taskbar pin, on Windows 7 to 8.1 and not on a removable target.
void PinToTaskbar(const ShortcutStepInput &in);

// The uninstaller's side: "taskbarunpin" on a recorded pin (wide path). False when the shell
// refused (the pin was removed by the user, say).
bool UnpinFromTaskbar(const String &pinnedShortcut);
