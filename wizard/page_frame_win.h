// What every wizard page does the same way: creating it from its template, the common set-up (close
// item, icons, centring, texts, buttons fitted to their texts, caption and pictures) and the common
// message handling (accept and cancel, texts drawn on the pictures and the white panel).
#pragma once

#include <windows.h>

#include "core/string.h"

// The button rows most pages share.
constexpr int kNextButtonRow = 48;
constexpr int kCancelButtonRow = 49;
constexpr int kInstallerCaptionRow = 65;

// One page as the common code sees it. Rows are language-table rows; -1 leaves a text alone.
struct PageFrame {
    int variant = 1;            // normalised layout variant (page_rules.h)
    int titleRow = -1;          // caption, or the banner's second line in the banner variant
    int textRow = -1;           // the page's text (IDC_PAGE_TEXT)
    int acceptRow = -1;
    int cancelRow = -1;
    int browseRow = -1;
    const char16_t *acceptText = nullptr;   // a fixed accept text instead of a row ("OK")
    String title;               // set from titleRow; a page may set it directly instead
    // Kept by the common code.
    HWND window = nullptr;
    HBRUSH bannerBrush = nullptr;   // the banner picture, as background of the texts drawn on it
};

// Shows the modal page of `templateName`; `proc` gets `frame` (or a structure that begins with it)
// as the WM_INITDIALOG parameter and must call SetUpPage there. Returns the dialog's result, or -1
// when the template cannot be created at all.
INT_PTR RunModalPage(const String &templateName, DLGPROC proc, PageFrame *frame, HWND owner = nullptr);
// The usual wizard page: the template family `baseName` in the layout variant the settings give to
// the page's `variantSlot`, with the frame's rows (Cancel as on every page unless set). True when
// the page was accepted.
bool RunWizardPage(const char16_t *baseName, int variantSlot, PageFrame &frame, DLGPROC proc);
// The same, modeless: the window, or null.
HWND CreateModelessPage(const String &templateName, DLGPROC proc, PageFrame *frame, HWND owner = nullptr);

// The frame of a page procedure's window (the WM_INITDIALOG parameter, kept in DWLP_USER).
PageFrame *FrameOf(HWND page);

// The common set-up on WM_INITDIALOG: keeps `frame`, enables the Close item, gives the page the
// product icons when the settings ask for them, centres it, sets the texts of the frame's rows,
// fits the buttons and applies the caption, the pictures and the banner.
void SetUpPage(HWND page, PageFrame &frame);
// Sets the texts again in the active language (the language page), fits the buttons, repaints.
void RetranslatePage(HWND page, PageFrame &frame);

// Common handling after a page's own: accept and cancel end the page with their identifier; texts
// on the banner and the white panel get their backgrounds. True when the message was handled;
// `result` is then the procedure's result.
bool CommonPageHandler(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR &result);

// Centres `window` on the installer window, or on the desktop work area without one, keeping it on
// the work area.
void CentreOnOwner(HWND window);

// Sets a control's text (wide).
void SetControlText(HWND page, int control, const String &wide);
String ControlText(HWND page, int control);

// Widens buttons whose text does not fit, keeping their right edges (a button left of another
// moves left as far as its neighbour grew).
void FitButtons(HWND page);

// Repaints a control whose background is drawn by the page (a changed text on a picture).
void RefreshControl(HWND page, int control);
