/* A library that carries nothing but its version resource (cmake/win32.cmake builds it in
   several versions for the file step's version rules). */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
