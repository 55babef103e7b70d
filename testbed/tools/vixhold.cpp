// vixhold: keeps a Wine prefix's desktop alive for a whole test run.
// Without a long-lived process on the desktop, every test program that loads
// user32 (winspool does) starts and ends the desktop process again, which
// costs about a second per program. Ends when the wineserver is stopped or
// when the event "VixBedHolderStop" is set.
#include <windows.h>

int main() {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, "VixBedHolderStop");
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;  // one holder per prefix
    GetDesktopWindow();
    WaitForSingleObject(stop, INFINITE);
    CloseHandle(stop);
    return 0;
}
