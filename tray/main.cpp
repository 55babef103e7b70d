// The program entry of one tray agent build; VIX_TRAY_BUILD names which.
#include <windows.h>

#include "tray/tray_app.h"

#ifndef VIX_TRAY_BUILD
#error "VIX_TRAY_BUILD must name the build"
#endif

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int) {
    return vix::tray::TrayMain(vix::tray::VIX_TRAY_BUILD, hInstance, lpCmdLine);
}
