#include "app/exit.h"

#include <windows.h>
#include <ole2.h>

#include "app/notification_win.h"

namespace {

constexpr int kStepCount = static_cast<int>(ExitStep::Count);

ExitAction g_actions[kStepCount];
bool g_oleInitialized = false;
LONG g_exiting = 0;

void RunStep(ExitStep step)
{
    ExitAction action = g_actions[static_cast<int>(step)];
    g_actions[static_cast<int>(step)] = nullptr;
    if (action)
        action();
}

// Lets the windows that were just destroyed finish their last messages.
void PumpPendingMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

void SetExitAction(ExitStep step, ExitAction action) { g_actions[static_cast<int>(step)] = action; }

long InitializeOle()
{
    const HRESULT result = OleInitialize(nullptr);
    g_oleInitialized = SUCCEEDED(result);
    return result;
}

void ExitInstaller(int code)
{
    if (InterlockedExchange(&g_exiting, 1) != 0)
        ExitProcess(static_cast<UINT>(code));
    RunStep(ExitStep::ProgressWindow);
    RunStep(ExitStep::InstallerWindow);
    PumpPendingMessages();
    RunStep(ExitStep::TemporaryLog);
    FinishNotificationRequests();
    if (g_oleInitialized)
        OleUninitialize();
    ExitProcess(static_cast<UINT>(code));
}
