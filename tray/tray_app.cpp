#include "tray/tray_app.h"

#include <cstring>

#include "foundation/targets.h"
#include "tray/ctrl_set_reg.h"
#include "tray/tray_log.h"

namespace vix {
namespace tray {

namespace {

// How long a start waits before it looks at the printer: a start by the
// core library or its Run value waits a little, and longer while another
// agent is still up (it may be closing for this very printer).
void StartUpDelay(const TrayBuild& build, const cmdInfo& info) {
    if (info.m_bFrom) {
        Sleep(100);
        if (build.bChecked && info.m_fRemove) return;
        if (FindWindowA(kWindowClass, kWindowTitle)) Sleep(1500);
    } else {
        Sleep(2000);
    }
}

bool HasKeepSwitch(const char* commandLine) {
    return commandLine && (std::strstr(commandLine, "/A ") || std::strstr(commandLine, "/a "));
}

// After a start that ends and takes the start-up entry with it: the icon is
// switched off in the printer's target key.
void SwitchIconOff(const cmdInfo& info) {
    char path[260] = "";
    if (FindPrinterTarget(info.m_szPrinterName, info.m_szPortName, path, sizeof(path)) != TARGET_FOUND) return;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &hKey) != ERROR_SUCCESS) return;
    DWORD off = 0;
    RegSetValueExA(hKey, "TrayIconEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
    RegCloseKey(hKey);
}

}  // namespace

bool InitInstance(const TrayBuild& build, CMainFrame& frame, const char* commandLine) {
    TraceMsg("InitInstance");
    cmdInfo info;
    info.Parse(commandLine);

    StartUpDelay(build, info);

    bool bUsable = info.m_szPrinterName[0] ? info.CompleteFromPrinter() == 1 : info.m_szPortName[0] != '\0';
    if (!bUsable) {
        TraceMsg("InitInstance : printer not found");
        if (HasKeepSwitch(commandLine)) {
            DeleteStartupReg(info.m_szPrinterName, info.m_szParamFile);
            info.DeleteParamFile(info.m_szParamFile);
        }
        return false;
    }
    if (!info.m_szModelID[0]) {
        TraceMsg("InitInstance : no model id");
        return false;
    }

    if (!frame.Create()) return false;
    if (!frame.SetPrinterNames(info.m_szPrinterName, info.m_szPortName, info.m_szDriverName, info.m_szModelID,
                          info.m_fRemove != 0, info.m_fIconInstall != 0)) {
        frame.CleanUp();
        return false;
    }
    int result = frame.StartUp();
    TraceMsgNum("MainFrame.StartUp() : Result", result);
    if (result == 1) return true;
    if (result == -1) {
        // The start-up entry is named by the printer, or by the port when
        // the printer has no name.
        DeleteStartupReg(frame.KeyName(), info.m_szParamFile);
        info.DeleteParamFile(info.m_szParamFile);
        SwitchIconOff(info);
    }
    frame.CleanUp();
    return false;
}

int TrayMain(const TrayBuild& build, HINSTANCE hInstance, const char* commandLine) {
    CTrayTrace trace(build.traceStyle);
    trace.Init(kTraceFile, kTraceSwitch);
    SetTraceLog(&trace);
    TraceMsg("***** LOG START ******");
    TraceMsgStr("szCmdLine", commandLine ? commandLine : "");

    int exitCode = 0;
    {
        CMainFrame frame(build, hInstance);
        if (InitInstance(build, frame, commandLine)) {
            ShowWindow(frame.Window(), SW_HIDE);
            UpdateWindow(frame.Window());
            MSG msg;
            BOOL got;
            // A failed retrieval ends the loop too; it would fail forever.
            while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            if (got == 0) exitCode = static_cast<int>(msg.wParam);
        }
        TraceMsg("***** LOG END ******");
        trace.Close();
    }
    SetTraceLog(nullptr);
    return exitCode;
}

}  // namespace tray
}  // namespace vix
