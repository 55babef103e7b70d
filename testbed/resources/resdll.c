/* A language resource library of the bench's printer driver: strings only. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID reserved) {
    (void)hInstance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
