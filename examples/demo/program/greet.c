/* Kestrival Greeter: the sample product's program. It greets the user, or names the greeting file
   it was opened with (the product registers the ".kgreet" file type for it). */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR arguments, int show)
{
    (void)instance;
    (void)previous;
    (void)show;
    const wchar_t *text = arguments && arguments[0] ? arguments : L"Hello from Kestrival Greeter.";
    MessageBoxW(NULL, text, L"Kestrival Greeter", MB_OK | MB_ICONINFORMATION);
    return 0;
}
