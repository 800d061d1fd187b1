// The finish page: what the installation offers to do now, as up to four check boxes placed by the
// layout variant. OK records the ticks; the close box declines them all.
#include <windows.h>

#include "res/page_ids.h"
#include "setupdata/language.h"
#include "setupdata/settings.h"
#include "wizard/page_frame_win.h"
#include "wizard/page_rules.h"
#include "wizard/pages.h"
#include "wizard/wizard_flags.h"

FinishChoices g_finishChoices;

namespace {

constexpr int kTitleRow = 43;
constexpr int kTextRow = 42;
constexpr int kFinishRow = 95;

struct FinishBox {
    int control;
    int row;
    bool offered;
    bool ticked;
};

struct FinishPage {
    PageFrame frame;
    FinishBox boxes[4];   // in order from the top
};

void PlaceBoxes(HWND page, FinishPage &finish)
{
    int present = 0;
    for (const FinishBox &box : finish.boxes)
        present += box.offered ? 1 : 0;
    const FinishBoxPlacement placement = PlaceFinishBoxes(finish.frame.variant, present);
    int top = placement.firstTop;
    for (const FinishBox &box : finish.boxes) {
        HWND window = GetDlgItem(page, box.control);
        if (!box.offered) {
            ShowWindow(window, SW_HIDE);
            CheckDlgButton(page, box.control, BST_UNCHECKED);
            continue;
        }
        RECT rect = {placement.left, top, kFinishBoxRight, top + kFinishBoxHeight};
        MapDialogRect(page, &rect);
        SetWindowPos(window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetControlText(page, box.control, LanguageString(box.row));
        CheckDlgButton(page, box.control, box.ticked ? BST_CHECKED : BST_UNCHECKED);
        top += kFinishBoxStep;
    }
}

bool Ticked(HWND page, int control) { return IsDlgButtonChecked(page, control) == BST_CHECKED; }

INT_PTR CALLBACK FinishProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        FinishPage &finish = *reinterpret_cast<FinishPage *>(lParam);
        SetUpPage(page, finish.frame);
        PlaceBoxes(page, finish);
        SetFocus(GetDlgItem(page, IDC_ACCEPT));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_ACCEPT || LOWORD(wParam) == IDOK) {
            g_finishChoices.openFile = Ticked(page, IDC_FINISH_OPEN_FILE);
            g_finishChoices.launchApplication = Ticked(page, IDC_FINISH_LAUNCH);
            g_finishChoices.viewLog = Ticked(page, IDC_FINISH_VIEW_LOG);
            g_finishChoices.openSecondFile = Ticked(page, IDC_FINISH_OPEN_SECOND_FILE);
            EndDialog(page, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            g_finishChoices = FinishChoices();
            EndDialog(page, 1);
            return TRUE;
        }
        break;
    default:
        break;
    }
    INT_PTR result = FALSE;
    return CommonPageHandler(page, message, wParam, lParam, result) ? result : FALSE;
}

} // namespace

int ShowFinishPage(const FinishOffers &offers)
{
    FinishPage finish{};
    finish.frame.variant = NormalisedVariant(g_settings.DialogVariants[kVariantSummary]);
    finish.frame.titleRow = kTitleRow;
    finish.frame.textRow = kTextRow;
    finish.frame.acceptRow = kFinishRow;
    const uint32_t flags2 = g_settings.ProductFlags2;
    finish.boxes[0] = {IDC_FINISH_LAUNCH, 84, offers.launchApplication, (flags2 & WizardFlag2::LaunchTicked) != 0};
    finish.boxes[1] = {IDC_FINISH_OPEN_FILE, 83, offers.openFile, (flags2 & WizardFlag2::OpenFileTicked) != 0};
    finish.boxes[2] = {IDC_FINISH_OPEN_SECOND_FILE, 87, offers.openSecondFile,
                       (flags2 & WizardFlag2::OpenSecondFileTicked) != 0};
    finish.boxes[3] = {IDC_FINISH_VIEW_LOG, 85, offers.viewLog, false};
    g_finishChoices = FinishChoices();
    RunModalPage(PageTemplateName(u"SummaryDlg", finish.frame.variant), FinishProc, &finish.frame);
    return 1;
}
