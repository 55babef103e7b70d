// CMainFrame: the tray agent's one hidden main window for one printer. It
// holds the printer's names, its slot in the printer table, the icon in the
// notification area, the popup menu, and the two timers that end the agent
// when the printer goes or monitoring is switched off.
#ifndef VIX_TRAY_MAIN_FRAME_H
#define VIX_TRAY_MAIN_FRAME_H

#include <windows.h>

#include <string>

#include "foundation/printer_table.h"
#include "tray/tray_build.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"

namespace vix {
namespace tray {

constexpr const char* kWindowClass = "TrayIconWClass";
constexpr const char* kWindowTitle = "VIX3 TrayIcon";
// A later start for the same printer tells the running agent to reload its
// icon choice.
constexpr UINT WM_TRAY_RELOAD_ICON = WM_USER + 200;  // 1224
constexpr UINT_PTR kPrinterCheckTimer = 2;
constexpr UINT_PTR kMaskCheckTimer = 4;
constexpr UINT kMaskCheckPeriod = 3000;

// The agent's message texts, in their fixed order.
enum TrayMessage {
    MSG_CAPTION = 0,
    MSG_NO_STATUS_WINDOW,
    MSG_NO_PREFERENCES,
    MSG_NO_MEMORY,
    MSG_NO_FILE,
    MSG_COUNT
};

class CMainFrame {
public:
    CMainFrame(const TrayBuild& build, HINSTANCE hInstance);
    ~CMainFrame();
    CMainFrame(const CMainFrame&) = delete;
    CMainFrame& operator=(const CMainFrame&) = delete;

    // Registers the window class and creates the hidden main window.
    bool Create();
    // The printer and the switches of the command line; false when a name
    // does not fit its field (only the checked build refuses).
    bool SetPrinterNames(const char* printer, const char* port, const char* driver, const char* model, bool bRemove,
                    bool bIconInstall);

    // 1 run, 0 end quietly, -1 end and remove the printer's start-up entry.
    int StartUp();
    // 1 this is the only agent of the printer, 0 end.
    int DuplicationChk();
    // 1 the printer exists, 0 it has been deleted (its start-up entries are
    // removed).
    int ChkDelPrn();
    void OnTimer(UINT_PTR id);
    // Stops the timers, gives up the table slot, removes the icon and the
    // menu. Safe to run more than once.
    void CleanUp();

    // Starts the launcher for the status window or the preferences. 1 started.
    int StartVIXExe(const char* launcher, bool bPreferences);
    // Starts a program. 1 started.
    int StartExe(const std::string& commandLine);
    // An extra menu entry's program.
    void OnAux(UINT id);

    HWND Window() const { return m_hWnd; }
    const char* KeyName() const;  // the printer name, or the port name
    const char* TargetKey() const { return m_szTargetKey; }

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnIconNotify(LPARAM mouse);
    void OnCommand(UINT id);
    void OpenLauncher(bool bPreferences);
    // A message box owned by the main window, with the agent's caption.
    void ShowMessage(const char* text);
    void ShowPopupMenu();
    void ReloadIconChoice();
    void RefreshPortName();
    bool ReadIconSettings(int* pIndex);
    bool LoadResources(HMODULE* phResource, HMODULE* phBitmaps);
    bool CommandLineFits(const std::string& commandLine) const;

    const TrayBuild& m_build;
    HINSTANCE m_hInstance;
    HWND m_hWnd = nullptr;

    char m_szPrinterName[260] = "";
    char m_szPortName[260] = "";
    char m_szDriverName[260] = "";
    char m_szModelID[260] = "";
    char m_szTargetKey[260] = "";
    char m_szIniPath[260] = "";
    char m_szResDll[260] = "";
    char m_szMessage[MSG_COUNT][260] = {};
    BOOL m_fRemove = FALSE;
    BOOL m_fIconInstall = FALSE;

    int m_iIconIndex = 0;
    CTrayIcon m_icon;
    CTrayMenu m_menu;

    HANDLE m_hMap = nullptr;
    PrinterTableChoice m_table;  // the table registered in, kept for the release
    UINT m_uEndTime = 0;         // "TrayIconEndTime"
};

}  // namespace tray
}  // namespace vix

#endif
