#include "uninstall/uninstall_messages_win.h"

namespace {

const wchar_t *W(const String &text) { return reinterpret_cast<const wchar_t *>(text.Wide()); }

int Box(const String &text, const String &caption, UINT style)
{
    // The answer is all the caller wants; a box that cannot be shown (0) counts as no.
    return MessageBoxW(nullptr, W(text), W(caption), style | MB_SETFOREGROUND | MB_TOPMOST);
}

} // namespace

bool AskUninstallQuestion(const UninstallContext &context, const String &text, const String &caption)
{
    if (context.silent)
        return true;
    return Box(text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ShowUninstallInformation(const UninstallContext &context, const String &text, const String &caption)
{
    if (!context.silent)
        Box(text, caption, MB_OK | MB_ICONINFORMATION);
}

void ShowUninstallWarning(const UninstallContext &context, const String &text, const String &caption)
{
    if (!context.silent)
        Box(text, caption, MB_OK | MB_ICONWARNING);
}

void ShowUninstallErrorBox(const UninstallContext &context, const String &text)
{
    if (context.silent || (context.automatic && !context.HasFlag(UninstallFlag::ErrorBoxesWhenAutomatic)))
        return;
    // Language string 21 is not carried in "Uninstall.DAT": the caption is fixed.
    Box(text, String(u"Error"), MB_OK | MB_ICONERROR);
}
