// Process entry of the setup program.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    MessageBoxW(nullptr,
                L"This program performs installations and uninstallations.\r\n"
                L"There is no installation data present.\r\n"
                L"No uninstallation parameters were specified.\r\n\r\n"
                L"You should not delete this program or execute it directly.",
                L"Error", MB_OK | MB_ICONERROR);
    ExitProcess(1);
}
