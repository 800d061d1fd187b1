#include "wizard/programs_to_close_win.h"

#include <windows.h>

#include "app/run_mode.h"
#include "core/codepage.h"
#include "core/format.h"
#include "wizard/message_box_win.h"
#include "wizard/programs_to_close.h"

namespace {

constexpr DWORD kRetryPauseMs = 250;

struct TopWindow {
    HWND window;
    DWORD process;
};

BOOL CALLBACK CollectTopWindow(HWND window, LPARAM param)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        reinterpret_cast<std::vector<TopWindow> *>(param)->push_back(TopWindow{window, process});
    return TRUE;
}

// The class and title as 8-bit text in the ANSI code page, the form the entries are written in.
String WindowClassText(HWND window)
{
    char buffer[512];
    const int n = GetClassNameA(window, buffer, int(sizeof buffer));
    return n > 0 ? String(buffer, n) : String();
}

String WindowTitleText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return String();
    String title;
    title.Resize(length + 1);
    const int n = GetWindowTextA(window, title.MutableBytes(), length + 1);
    title.Resize(n > 0 ? n : 0);
    return title;
}

void EndProcess(DWORD process)
{
    HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process);
    if (!handle)
        return;   // not ours to end (another account's program); the run goes on as with a refusal
    TerminateProcess(handle, 1);
    CloseHandle(handle);
}

void AskUntilClosed(HWND window, const AutoCloseEntry &entry, const ProgramsToCloseQuestion &question)
{
    String name;
    CodePageToWide(entry.programName, question.codePage, name);
    const String text = FormatWithText(question.format, name);
    while (IsWindow(window)) {
        if (ShowMessage(text, question.caption, MB_RETRYCANCEL | MB_ICONEXCLAMATION) == IDCANCEL)
            AbortInstallation();
        Sleep(kRetryPauseMs);   // a program the user just closed needs a moment to go
    }
}

} // namespace

void ClosePrograms(const std::vector<AutoCloseEntry> &entries, uint8_t phase, const ProgramsToCloseQuestion &question)
{
    if (entries.empty())
        return;
    std::vector<TopWindow> windows;
    EnumWindows(CollectTopWindow, reinterpret_cast<LPARAM>(&windows));
    for (const TopWindow &top : windows) {
        if (!IsWindow(top.window))
            continue;   // gone with an earlier one (a process ended above)
        const int index = FirstMatchingProgramEntry(entries, phase, WindowClassText(top.window),
                                                    WindowTitleText(top.window));
        if (index < 0)
            continue;
        const AutoCloseEntry &entry = entries[size_t(index)];
        switch (entry.mode) {
        case kCloseByRequest: PostMessageW(top.window, WM_CLOSE, 0, 0); break;
        case kCloseByQuit: PostMessageW(top.window, WM_QUIT, 0, 0); break;
        case kCloseAskUser:
            if (!g_runMode.silent)
                AskUntilClosed(top.window, entry, question);
            break;
        case kCloseByTermination: EndProcess(top.process); break;
        default: break;
        }
    }
}
