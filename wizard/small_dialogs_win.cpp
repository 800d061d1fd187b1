// The two small dialogs of the wizard family: "MustUninstall" (an earlier installation has to go
// first) and the uninstaller's "SupportOffer". The close box counts as the second button.
#include <windows.h>

#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"

namespace {

INT_PTR CALLBACK SmallDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetUpPage(page, *reinterpret_cast<PageFrame *>(lParam));
        return TRUE;   // the focus goes to the default button
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

int ShowSmallDialog(const char16_t *name, int titleRow, int textRow, int acceptRow, int cancelRow)
{
    PageFrame frame;
    frame.variant = kVariantPlain;
    frame.titleRow = titleRow;
    frame.textRow = textRow;
    frame.acceptRow = acceptRow;
    frame.cancelRow = cancelRow;
    return RunModalPage(String(name), SmallDialogProc, &frame) == kPageAccept ? kPageAccept : kPageCancel;
}

} // namespace

int ShowMustUninstall() { return ShowSmallDialog(u"MustUninstall", 21, 9, 104, kCancelButtonRow); }

int ShowSupportOffer() { return ShowSmallDialog(u"SupportOffer", 110, 109, 110, 104); }
