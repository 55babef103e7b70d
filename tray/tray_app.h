// The tray agent's program: start-up checks, the main window and the
// message loop. Each build's main() hands its constants in.
#ifndef VIX_TRAY_TRAY_APP_H
#define VIX_TRAY_TRAY_APP_H

#include <windows.h>

#include "foundation/param_file.h"
#include "tray/main_frame.h"
#include "tray/tray_build.h"

namespace vix {
namespace tray {

// The whole program: trace, InitInstance, message loop. Returns the exit
// code (the quit message's code).
int TrayMain(const TrayBuild& build, HINSTANCE hInstance, const char* commandLine);

// Parses the command line, waits the start-up delay, checks the printer,
// creates the main window and runs StartUp. True to run the message loop.
bool InitInstance(const TrayBuild& build, CMainFrame& frame, const char* commandLine);

}  // namespace tray
}  // namespace vix

#endif
