// Entry of vixcore.dll: the trace switch is read once, when the library loads.
#include <windows.h>

#include "foundation/trace.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(hInstance);
        vix::CoreTraceLog().LoadSwitch();
    }
    return TRUE;
}
