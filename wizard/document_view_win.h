// The text of a licence or readme page: plain text in the page's edit, rich text in a rich-edit
// control ("RichEdit20W" from the system folder) that takes the edit's place.
#pragma once

#include <windows.h>

#include "core/string.h"
#include "wizard/page_frame_win.h"

// A licence or readme page: its frame and the document it shows.
struct DocumentPage {
    PageFrame frame;
    const String *document = nullptr;
};

// The page procedure of both: the document shown, the focus on it, its timers and links.
INT_PTR CALLBACK DocumentPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Shows `document` (as stored) in the page's IDC_DOCUMENT.
void ShowDocument(HWND page, const String &document);
