#include "uninstall/uninstall_window_win.h"

#include "app/exit.h"
#include "app/program_win.h"
#include "app/run_mode.h"
#include "core/path_parts.h"
#include "core/wide_win.h"
#include "install/progress.h"
#include "install/side_effects.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "wizard/installer_window_look_win.h"
#include "wizard/installer_window_win.h"
#include "wizard/pages.h"
#include "wizard/programs_to_close_win.h"

namespace {

constexpr char16_t kIconFile[] = u"uninstall.ico";
constexpr char16_t kSupportOfferValue[] = u"SupportOffer";
constexpr int kCloseQuestionRow = 107;
constexpr int kCloseCaptionRow = 55;
// The program names of the programs to close are in the message code page of the installation,
// which "Uninstall.DAT" does not carry; the default one is read.
constexpr int kProgramNameCodePage = 1252;

HICON LoadIconFile(const String &path, int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageW(nullptr, AsWide(path), IMAGE_ICON, GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_LOADFROMFILE));
}

bool StartsWithIgnoringCase(const String &text, const char16_t *prefix)
{
    int32_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.WideLength())
            return false;
        char16_t c = text.Wide()[i];
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// An address the browser can open: http, https or a bare "www." host.
bool IsWebAddress(const String &text)
{
    return StartsWithIgnoringCase(text, u"http://") || StartsWithIgnoringCase(text, u"https://") ||
           StartsWithIgnoringCase(text, u"www.");
}

} // namespace

void OpenUninstallerWindow(const UninstallContext &context)
{
    // A product icon of its own replaces the program's in every window and box of the run.
    const String icon = WidePathJoin(context.dataFolder, String(kIconFile));
    if (HICON large = LoadIconFile(icon, SM_CXICON, SM_CYICON))
        g_program.largeIcon = large;
    if (HICON small = LoadIconFile(icon, SM_CXSMICON, SM_CYSMICON))
        g_program.smallIcon = small;

    if (context.HasFlag(UninstallFlag::NoInstallerWindow) || context.silent)
        return;
    SetInstallerWindowLook(ReadWindowLookFromUninstallEntry(*context.entry, context.productFlags, context.dataFolder));
    // Without a window the pages centre on the work area; the removal does not depend on it.
    if (!CreateInstallerWindow(g_program.instance, nullptr, g_runMode.minimised))
        return;
    SetInstallerWindowIcons(g_program.smallIcon, g_program.largeIcon);
    SetExitAction(ExitStep::InstallerWindow, CloseInstallerWindow);
}

void CloseUninstallPrograms(uint8_t phase)
{
    ProgramsToCloseQuestion question;
    question.format = LanguageString(kCloseQuestionRow);
    question.caption = LanguageString(kCloseCaptionRow);
    question.codePage = kProgramNameCodePage;
    ClosePrograms(g_settings.ProgramsToClose, phase, question);
}

bool UserTookSupportOffer(const UninstallContext &context)
{
    String address;
    context.entry->ReadString(String(kSupportOfferValue), address);   // missing reads as empty
    address.TrimWide();
    if (!IsWebAddress(address) || ShowSupportOffer() != kPageAccept)
        return false;
    // The answer does not matter: the user chose support over removal either way.
    (void)InstallSideEffects().shellOpen(address, String(), String(), false);
    return true;
}

void OpenUninstallProgress(const UninstallContext &context)
{
    if (!context.silent)
        OpenProgressPage();
}

void CloseUninstallProgress() { CurrentProgressPage().Close(); }
