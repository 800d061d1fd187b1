// Control identifiers of the wizard pages and their small dialogs, shared by res/pages.rc and the
// pages in wizard/. The same identifier has the same role on every page.
#pragma once

#define IDC_SEPARATOR 66             // sunken line above the buttons
#define IDC_ACCEPT 1001              // OK / Next / Install (kPageAccept)
#define IDC_CANCEL 1003              // Cancel (kPageCancel)
#define IDC_DOCUMENT 1005            // licence or readme text
#define IDC_PROGRESS_BAR 1007
#define IDC_PAGE_TEXT 1009           // the page's prompt or headline
#define IDC_STATUS_TEXT 1011         // progress status line
#define IDC_BROWSE 1013
#define IDC_FOLDER_EDIT 1015         // installation folder or Start-menu folder name
#define IDC_LANGUAGE_LIST 1017
#define IDC_PASSWORD_EDIT 1019
#define IDC_SIDE_PICTURE 1021
#define IDC_FINISH_OPEN_FILE 1023
#define IDC_FINISH_LAUNCH 1025
#define IDC_FINISH_VIEW_LOG 1027
#define IDC_FINISH_OPEN_SECOND_FILE 1029
#define IDC_BANNER_PICTURE 1032
#define IDC_BANNER_HEADLINE 1034     // first banner line: the setup script's headline
#define IDC_BANNER_TITLE 1035        // second banner line: the page title
#define IDC_SPACE_REQUIRED 1036
#define IDC_SPACE_FREE 1037
#define IDC_PASSWORD_LABEL 1039
#define IDC_GREETING_LINK 1040
#define IDC_WHITE_PANEL 1042

// Bitmaps of the program (a setup builder may replace them to brand an installer).
#define IDB_SIDE_PICTURE 2
#define IDB_BANNER 3
#define IDB_BUTTON_ACCEPT 4
#define IDB_BUTTON_CANCEL 5
#define IDB_BUTTON_BROWSE 6
#define IDB_BUTTON_RETRY 7
