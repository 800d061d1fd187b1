#include "install/sequence.h"

#include <windows.h>

#include "app/exit.h"
#include "app/run_mode.h"
#include "install/progress.h"
#include "install/sequence_state.h"
#include "install/side_effects.h"
#include "setupdata/settings.h"
#include "wizard/installer_window_win.h"

namespace {

constexpr int kInstallingStatusRow = 113;

void PostPosition(int percent)
{
    TraceEventNumber("progress", percent);
    if (HWND window = InstallerWindow())
        PostMessageW(window, kProgressPositionMessage, static_cast<WPARAM>(percent), 0);
    PumpWindowMessages();
}

uint32_t Tick() { return GetTickCount(); }

void TraceStatus(const char *what, int, const String &wide)
{
    // Positions are traced where they are posted; status lines and the activation here.
    if (what[0] != 'p')
        TraceEvent(what, wide);
}

} // namespace

bool PumpWindowMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Put it back: the loop that owns the program's end must still see it.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

void StepDelay(const Settings &settings, const RunMode &mode)
{
    if (mode.automatic)
        return;
    const uint32_t wanted = settings.StatusDisplayTime;
    while (GetTickCount() - ProgressStatusTick() < wanted) {
        if (!PumpWindowMessages())
            return;
        Sleep(50);
    }
}

void RunInstallSequence(SequenceInput &input)
{
    ProgressPlatform platform;
    platform.postPosition = PostPosition;
    platform.tickCount = Tick;
    platform.trace = TraceStatus;
    SetProgressPlatform(platform);

    InstallRun run(input);
    CreateRestorePoint(run);                    // 1
    ProgressStatusRow(kInstallingStatusRow);    // 2
    ProgressPosition(1);
    PrepareFolders(run);                        // 3-5
    RunPreInstallBatches(run);                  // 6-8
    InstallFileData(run);                       // 9-16
    InstallShellEntries(run);                   // 17-26
    FinishInstallation(run);                    // 27-41
    ExitInstaller(1);                           // 42
}
