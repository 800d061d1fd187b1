// The wizard pages: one modal dialog each (the progress page is modeless), from the templates of
// res/pages.rc in the layout variant that the settings choose per page. Every text on a page comes
// from the language table in the active language; a page reads the settings it shows when it opens
// and writes its choice back into them when it is accepted.
//
// Results: true (or kPageAccept) when the user went on. What a cancel leads to is the caller's
// business, as the order of the pages is: the language page's and the greeting's cancel end the run
// without a message, every other page's cancel goes to AbortInstallation (wizard/message_box_win.h).
#pragma once

#include <windows.h>

#include "core/string.h"

// The two results of a modal page: the identifiers of its accept and cancel buttons.
constexpr int kPageAccept = 1001;
constexpr int kPageCancel = 1003;

// The window the pages are centred on and owned by: the installer window unless another was set;
// null: none (the pages centre on the desktop work area).
void SetWizardOwner(HWND owner);
HWND WizardOwner();

// The page shown now (owner of message boxes opened while it is up), or null.
HWND CurrentPage();

// Chooses the active language. Shown by the caller unless the table holds one language or automatic
// mode is on.
bool ShowLanguagePage();

// The greeting: `caption` and `text` (language strings 65 and 1), `variant` the greeting's layout;
// variant 0 is an OK/Cancel message box instead of a page.
bool ShowGreetingPage(HWND owner, const String &caption, const String &text, int variant);

// The installation password; true at once when the setup script carries none. No limit on attempts.
bool ShowPasswordPage();

// One licence or readme document (as stored: 8-bit, UTF-8 or rich text). An empty document counts
// as accepted without a page.
bool ShowLicencePage(const String &document);
bool ShowReadmePage(const String &document);

// The installation folder page by itself: the edit, the browse button and the two space lines;
// accepting stores the edit's text as the installation folder, unchecked.
bool ShowFolderPage();

// The whole folder choice of the wizard stage: the folder page (when automatic mode is off and the
// settings ask for it) followed by the checks of the chosen folder, each failure shown and the page
// shown again; then the folder is created and tested for writing. `earlierInstallation`: an earlier
// installation is present (no free-space question then). False: the user cancelled.
bool ChooseInstallFolder(bool earlierInstallation);

// The Start-menu folder name; accepting stores it as ProductStartMenu.
bool ShowStartMenuPage();

// The progress page (modeless; returns at once). It becomes the install sequence's progress page
// (install/progress.h) and goes away through its Close. Shown only with the settings' progress
// window bit and outside silent mode.
void OpenProgressPage();
HWND ProgressPageWindow();   // null when no progress page is open

// The finish page's offers and the choices the user made there (the finish actions read them).
struct FinishOffers {
    bool launchApplication = false;   // the application command is set
    bool openFile = false;            // the file to open is set
    bool openSecondFile = false;      // the second file to open is set
    bool viewLog = false;             // the settings offer the log
};
struct FinishChoices {
    bool openFile = false;
    bool launchApplication = false;
    bool viewLog = false;
    bool openSecondFile = false;
};
extern FinishChoices g_finishChoices;
// Shows the page and records the ticked boxes in g_finishChoices (all clear when closed by the
// close box). Always ends with 1.
int ShowFinishPage(const FinishOffers &offers);

// "MustUninstall": an earlier installation has to be removed first. kPageAccept: remove it.
int ShowMustUninstall();
// "SupportOffer" of the uninstaller: kPageAccept asks for support, kPageCancel goes on removing.
int ShowSupportOffer();
