// Finishing the installation log: the outcome told to the user, the header, body and failure
// summary appended to "Install.log" in the uninstall data folder, and the offer to open it.
#pragma once

#include "core/date_time.h"
#include "core/string.h"

struct Settings;

// The messages of the outcome; the wizard's message box and finish page fill them in. A null
// question counts as answered yes; null messages show nothing.
struct LogOutcomeHooks {
    bool (*askYesNo)(const String &text, const String &caption) = nullptr;   // question icon
    void (*showInformation)(const String &text, const String &caption) = nullptr;
    void (*showFinishPage)() = nullptr;
};

// What the log needs of the run, wired once by the start-up.
struct InstallLogContext {
    const Settings *settings = nullptr;
    bool automatic = false;
    String operatingSystem;         // "Windows 10 Pro" and the like
    String installerFolder;         // wide: the working folder for opening the log
    // The finish page's offers, for the choice between message and page.
    bool finishOpenFile = false;
    bool finishLaunchApp = false;
    bool finishOpenSecondFile = false;
    LogOutcomeHooks hooks;
};

void SetInstallLogContext(const InstallLogContext &context);
InstallLogContext &CurrentInstallLogContext();

// The installation folder joined with the uninstall subfolder and "Install.log".
String InstallLogPath();

// `summary` is the failure summary (8-bit, ANSI code page); `reinstall`: an earlier installation
// was found; `interactive`: the end of the install sequence (false from the crash handler).
void FinishInstallLog(const String &summary, bool reinstall, bool interactive);

// Opens the log through the shell, or in Notepad when the shell cannot.
void ViewInstallLog();
