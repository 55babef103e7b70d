// A module of the printing system as the installer sees it: a DLL whose
// version resource says which module it is (OriginalFilename) and which
// version. Built at several versions under several names.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" __declspec(dllexport) int BedModuleVersion() { return BEDMOD_VERSION; }
