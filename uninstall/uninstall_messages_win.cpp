#include "uninstall/uninstall_messages_win.h"

#include "wizard/message_box_win.h"

// The uninstaller's boxes are the installer's: centred on the installer window or the progress
// page, with the product icons when asked for, buttons named from the language strings carried in
// "Uninstall.DAT". Without a user interface nothing is shown (ShowMessage's own rule).

bool AskUninstallQuestion(const UninstallContext &context, const String &text, const String &caption)
{
    if (context.silent)
        return true;
    return AskYesNo(text, caption);
}

void ShowUninstallInformation(const UninstallContext &context, const String &text, const String &caption)
{
    if (!context.silent)
        ShowMessage(text, caption, MB_OK | MB_ICONINFORMATION);
}

void ShowUninstallWarning(const UninstallContext &context, const String &text, const String &caption)
{
    if (!context.silent)
        ShowMessage(text, caption, MB_OK | MB_ICONWARNING);
}

void ShowUninstallErrorBox(const UninstallContext &context, const String &text)
{
    if (context.automatic && !context.HasFlag(UninstallFlag::ErrorBoxesWhenAutomatic))
        return;
    // Language string 21 is not carried in "Uninstall.DAT": the caption is fixed.
    ShowErrorBox(text, context.silent, String(u"Error"));
}
