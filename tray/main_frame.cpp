#include "tray/main_frame.h"

#include <winspool.h>

#include <cstdio>
#include <vector>

#include "foundation/param_file.h"
#include "foundation/printer_info.h"
#include "foundation/settings.h"
#include "foundation/targets.h"
#include "tray/ctrl_set_reg.h"
#include "tray/reg_text.h"
#include "tray/tray_log.h"

namespace vix {
namespace tray {

namespace {

const char* const kMessageTexts[MSG_COUNT] = {
    "ZARVO Vixwatch 3",
    "\nUnable to open Printer Status window for this printer.",
    "\nUnable to open Monitoring Preferences window for this printer.",
    "Insufficient memory.",
    "Could not find specified file.",
};

// Class style and window style of the hidden main window.
constexpr UINT kClassStyle = 0x2000;
constexpr DWORD kWindowStyle = 0x20CF0000;  // minimised overlapped window

}  // namespace

CMainFrame::CMainFrame(const TrayBuild& build, HINSTANCE hInstance) : m_build(build), m_hInstance(hInstance) {}

CMainFrame::~CMainFrame() {
    CleanUp();
    if (m_hWnd) {
        SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hWnd);
    }
}

bool CMainFrame::Create() {
    WNDCLASSA wc = {};
    wc.style = kClassStyle;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = m_hInstance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(1);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    m_hWnd = CreateWindowExA(0, kWindowClass, kWindowTitle, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_hInstance, this);
    return m_hWnd != nullptr;
}

bool CMainFrame::SetPrinterNames(const char* printer, const char* port, const char* driver, const char* model,
                            bool bRemove, bool bIconInstall) {
    m_fRemove = bRemove;
    m_fIconInstall = bIconInstall;
    // The fields are as large as the command line's, so only a text that
    // did not end inside them is refused; a cut text would name another
    // printer, so no build cuts here.
    return CopyText(m_szModelID, SafeView(model), TextFit::Fail) &&
           CopyText(m_szPrinterName, SafeView(printer), TextFit::Fail) &&
           CopyText(m_szPortName, SafeView(port), TextFit::Fail) &&
           CopyText(m_szDriverName, SafeView(driver), TextFit::Fail);
}

const char* CMainFrame::KeyName() const { return m_szPrinterName[0] ? m_szPrinterName : m_szPortName; }

int CMainFrame::StartUp() {
    for (int i = 0; i < MSG_COUNT; ++i) CopyText(m_szMessage[i], kMessageTexts[i], TextFit::Cut);

    if (!DuplicationChk()) return 0;
    if (m_fRemove) {
        // This start only closed the running agent.
        ReleaseInTable(m_hMap, m_table, table::KIND_TRAY);
        if (m_hMap) CloseHandle(m_hMap);
        m_hMap = nullptr;
        return 0;
    }
    if (CCtrlSetReg::IsVixInvalid(m_szPrinterName) == 1) {
        TraceMsg("Vix is invalid.\n");
        return -1;
    }
    if (!FindProfile(m_szDriverName, m_szModelID, m_szIniPath, sizeof(m_szIniPath))) {
        m_szIniPath[0] = '\0';
        return -1;
    }
    if (!ReadIconSettings(&m_iIconIndex)) return -1;

    HMODULE hResource = nullptr, hBitmaps = nullptr;
    if (!LoadResources(&hResource, &hBitmaps)) {
        ShowMessage(m_szMessage[MSG_NO_FILE]);
        return -1;
    }
    struct Libraries {
        HMODULE a, b;
        ~Libraries() {
            if (b && b != a) FreeLibrary(b);
            if (a) FreeLibrary(a);
        }
    } libraries{hResource, hBitmaps};

    if (!m_icon.Add(m_hWnd, hResource, KeyName(), m_iIconIndex, m_build.fit)) {
        TraceMsg("CMainFrame::StartUp : notification icon not added");
        return 0;
    }
    if (!m_menu.Load(hResource, KeyName())) {
        TraceMsg("CMainFrame::StartUp : no menu");
        return 0;
    }
    m_menu.AddExtraEntries(m_szDriverName, hResource, hBitmaps ? hBitmaps : hResource, m_build.fit);

    if (m_szIniPath[0]) {
        m_uEndTime = GetPrivateProfileIntA(m_szModelID, "TrayIconEndTime", 0, m_szIniPath);
        if (m_uEndTime) SetTimer(m_hWnd, kPrinterCheckTimer, m_uEndTime, nullptr);
    }
    SetTimer(m_hWnd, kMaskCheckTimer, kMaskCheckPeriod, nullptr);
    return 1;
}

bool CMainFrame::ReadIconSettings(int* pIndex) {
    bool bUsePort = false;
    int rc = FindOrCreateTarget(m_szPrinterName, m_szPortName, m_szModelID, &bUsePort, m_szTargetKey,
                                sizeof(m_szTargetKey));
    TraceMsgNum("CMainFrame::StartUp : FindOrCreateTarget", rc);
    HKEY hKey = nullptr;
    if (m_szTargetKey[0] && RegOpenKeyExA(HKEY_CURRENT_USER, m_szTargetKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        DWORD selected = 0, enable = 0;
        if (ReadRegDword(hKey, "TrayIconSelected", &selected)) *pIndex = static_cast<int>(selected);
        bool bEnable = ReadRegDword(hKey, "TrayIconEnable", &enable) && enable != 0;
        RegCloseKey(hKey);
        return bEnable;
    }
    if (!m_szIniPath[0]) return true;
    *pIndex = static_cast<int>(GetPrivateProfileIntA(m_szModelID, "TrayIconSelected", 0, m_szIniPath));
    return GetPrivateProfileIntA(m_szModelID, "TrayIconEnable", 0, m_szIniPath) != 0;
}

bool CMainFrame::LoadResources(HMODULE* phResource, HMODULE* phBitmaps) {
    *phResource = *phBitmaps = nullptr;
    DWORD needed = 0;
    if (FindLocalizedFile(m_szIniPath, m_szDriverName, "ResDll", m_szResDll, sizeof(m_szResDll), &needed) <= 0) {
        m_szResDll[0] = '\0';
        return false;
    }
    *phResource = LoadLibraryExA(m_szResDll, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    TraceMsgStr("CMainFrame::StartUp : resource library", m_szResDll);
    if (!*phResource) return false;
    if (m_build.bBitmapLibrary) {
        // The checked build takes the menu bitmaps from the profile's
        // "BmpDll" in the install directory, when that library loads.
        char name[260] = "", dir[260] = "", path[260] = "";
        GetPrivateProfileStringA(m_szModelID, "BmpDll", "", name, sizeof(name), m_szIniPath);
        if (name[0] && FindInstallDir(m_szDriverName, m_szModelID, dir, sizeof(dir)) &&
            CopyText(path, dir, TextFit::Fail) && AppendText(path, name, TextFit::Fail)) {
            *phBitmaps = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
            if (*phBitmaps) TraceMsgStr("CMainFrame::StartUp : bitmap library", path);
        }
    }
    return true;
}

void CMainFrame::ShowMessage(const char* text) {
    MessageBoxA(m_hWnd, text, m_szMessage[MSG_CAPTION], MB_OK);
}

int CMainFrame::DuplicationChk() {
    TraceMsg("CMainFrame::DuplicationChk : start");
    TraceMsg("enter : MultiExecuteCheck");
    HWND hExisting = nullptr;
    int result = table::REG_FAILED;
    bool bNoMapping = false;
    if (ChoosePrinterTable(m_szPrinterName, m_szPortName, m_build.tableNames, &m_table))
        result = RegisterInTable(m_table, table::KIND_TRAY, table::kTrayStarting, &hExisting, &m_hMap, &bNoMapping);
    if (result == table::REG_FAILED && bNoMapping && m_build.bChecked) {
        // The checked build runs on without single-instance protection.
        result = table::REG_DONE;
    }
    TraceMsg("exit : MultiExecuteCheck");
    TraceMsgNum("result", result);

    if (result != table::REG_DONE) {
        if (result == table::REG_EXISTING) {
            if (m_fRemove) PostMessageA(hExisting, WM_CLOSE, 0, 0);
            else PostMessageA(hExisting, WM_TRAY_RELOAD_ICON, 0, m_iIconIndex);
        } else {
            MessageBoxA(nullptr, m_szMessage[MSG_NO_MEMORY], m_szMessage[MSG_CAPTION], MB_OK);
        }
        if (m_hMap) CloseHandle(m_hMap);
        m_hMap = nullptr;
        TraceMsg("CMainFrame::DuplicationChk : end2");
        return 0;
    }
    TraceMsg("enter : SethWindow");
    int set = SetInTable(m_table, m_hWnd, table::KIND_TRAY);
    if (m_build.bChecked && set == table::SET_NOT_FOUND) set = -2;
    TraceMsg("exit : SethWindow");
    TraceMsgNum("result", set);
    TraceMsg("CMainFrame::DuplicationChk : end");
    return 1;
}

int CMainFrame::ChkDelPrn() {
    TraceMsg("CMainFrame::ChkDelPrn : start");
    TraceMsgStr("PrinterName", m_szPrinterName);
    if (m_fIconInstall) return 1;
    // A port has no printer of its own to look for.
    if (!m_szPrinterName[0]) return 1;
    TraceMsg("enter : ZV_OpenPrinter");
    HANDLE hPrinter = OpenPrinterByName(m_szPrinterName);
    TraceMsg("exit : ZV_OpenPrinter");
    TraceMsgNum("result", hPrinter ? 1 : 0);
    if (hPrinter) {
        ClosePrinter(hPrinter);
        return 1;
    }
    KillTimer(m_hWnd, kPrinterCheckTimer);
    TraceMsg("Delete Reg HKCU\\run");
    if (RemoveStartupEntry(HKEY_CURRENT_USER, KeyName())) {
        TraceMsg("Delete Reg HKLM\\run");
        RemoveStartupEntry(HKEY_LOCAL_MACHINE, KeyName());
    }
    return 0;
}

void CMainFrame::OnTimer(UINT_PTR id) {
    if (id == kMaskCheckTimer) {
        TraceMsg("CMainFrame::OnTimer : Mask check");
        KillTimer(m_hWnd, kMaskCheckTimer);
        if (CCtrlSetReg::IsVixInvalid(m_szPrinterName) == 1) PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
        else SetTimer(m_hWnd, kMaskCheckTimer, kMaskCheckPeriod, nullptr);
    } else if (id == kPrinterCheckTimer) {
        TraceMsg("CMainFrame::OnTimer : Printer check");
        KillTimer(m_hWnd, kPrinterCheckTimer);
        if (ChkDelPrn() == 1) SetTimer(m_hWnd, kPrinterCheckTimer, m_uEndTime, nullptr);
        else PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    }
}

void CMainFrame::CleanUp() {
    if (m_hWnd) KillTimer(m_hWnd, kMaskCheckTimer);
    if (m_hMap) {
        ReleaseInTable(m_hMap, m_table, table::KIND_TRAY);
        CloseHandle(m_hMap);
        m_hMap = nullptr;
    }
    m_icon.Delete();
    m_menu.Destroy();
    if (m_hWnd) KillTimer(m_hWnd, kPrinterCheckTimer);
}

void CMainFrame::ReloadIconChoice() {
    HKEY hKey = nullptr;
    if (m_szTargetKey[0] && RegOpenKeyExA(HKEY_CURRENT_USER, m_szTargetKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        DWORD selected = 0;
        if (ReadRegDword(hKey, "TrayIconSelected", &selected)) {
            m_iIconIndex = static_cast<int>(selected);
            m_icon.Change(m_iIconIndex);
            TraceMsgNum("CMainFrame : icon reloaded", m_iIconIndex);
        }
        RegCloseKey(hKey);
    }
    UpdateWindow(m_hWnd);
}

LRESULT CALLBACK CMainFrame::WndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<CMainFrame*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self && self->m_hWnd == hWnd) {
        LRESULT r = self->OnMessage(msg, wParam, lParam);
        if (msg == WM_DRAWITEM || msg == WM_MEASUREITEM) {
            if (r) return TRUE;
        }
    }
    if (msg == WM_NCDESTROY && self) self->m_hWnd = nullptr;
    return DefWindowProcA(hWnd, msg, wParam, lParam);
}

LRESULT CMainFrame::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DESTROY:
        TraceMsg("WM_DESTROY");
        CleanUp();
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        TraceMsg("WM_CLOSE");
        return 0;
    case WM_DRAWITEM:
        return m_menu.Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? 1 : 0;
    case WM_MEASUREITEM:
        return m_menu.Measure(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)) ? 1 : 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_TRAYICON_NOTIFY:
        OnIconNotify(lParam);
        return 0;
    case WM_TRAY_RELOAD_ICON:
        ReloadIconChoice();
        return 0;
    default:
        return 0;
    }
}

void CMainFrame::OnIconNotify(LPARAM mouse) {
    if (mouse == WM_LBUTTONDBLCLK) {
        if (ChkDelPrn() == 1) OnCommand(ID_STATUS_WINDOW);
        else PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
    } else if (mouse == WM_RBUTTONDOWN) {
        if (ChkDelPrn() != 1) {
            PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
            return;
        }
        SetForegroundWindow(m_hWnd);
        SetFocus(m_hWnd);
        if ((GetAsyncKeyState(VK_CONTROL) & 0x8000) && (GetAsyncKeyState(VK_SHIFT) & 0x8000) &&
            (GetAsyncKeyState(VK_SPACE) & 0x8000)) {
            PostMessageA(m_hWnd, WM_CLOSE, 0, 0);
            return;
        }
        ShowPopupMenu();
    }
}

void CMainFrame::ShowPopupMenu() {
    POINT pt = {};
    GetCursorPos(&pt);
    HWND hTop = m_hWnd;
    while (hTop && (GetWindowLongA(hTop, GWL_STYLE) & WS_CHILD)) {
        HWND hParent = GetParent(hTop);
        if (!hParent) break;
        hTop = hParent;
    }
    DrawMenuBar(hTop);
    if (m_menu.Popup()) {
        TraceMsg("CMainFrame : menu shown");
        TrackPopupMenu(m_menu.Popup(), TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    }
    SendMessageA(m_hWnd, WM_NULL, 0, 0);
}

void CMainFrame::OnCommand(UINT id) {
    if (id == ID_STATUS_WINDOW) OpenLauncher(false);
    else if (id == ID_PREFERENCES) OpenLauncher(true);
    else if (id >= static_cast<UINT>(kFirstExtraId) && id <= static_cast<UINT>(kLastAuxCommand)) OnAux(id);
}

void CMainFrame::OpenLauncher(bool bPreferences) {
    char launcher[260] = "";
    bool bStarted = FindModulePath("Z_SRUN", m_build.launcher, m_szDriverName, m_szModelID, launcher,
                                   sizeof(launcher)) &&
                    StartVIXExe(launcher, bPreferences) == 1;
    if (!bStarted) {
        ShowMessage(m_szMessage[bPreferences ? MSG_NO_PREFERENCES : MSG_NO_STATUS_WINDOW]);
    }
}

void CMainFrame::RefreshPortName() {
    std::string port;
    if (ReadPrinterNames(m_szPrinterName, nullptr, &port)) {
        char fresh[260];
        if (CopyText(fresh, port, TextFit::Fail)) CopyText(m_szPortName, fresh, TextFit::Cut);
    }
}

bool CMainFrame::CommandLineFits(const std::string& commandLine) const {
    return m_build.commandLineRoom == 0 || commandLine.size() < m_build.commandLineRoom;
}

int CMainFrame::StartVIXExe(const char* launcher, bool bPreferences) {
    TraceMsg("CMainFrame::StartVIXExe");
    RefreshPortName();
    TraceMsgStr("CMainFrame::StartVIXExe : printer name", m_szPrinterName);
    TraceMsgStr("CMainFrame::StartVIXExe : port name", m_szPortName);
    TraceMsgStr("CMainFrame::StartVIXExe : model id", m_szModelID);

    cmdInfo info;
    CopyText(info.m_szDriverName, m_szDriverName, TextFit::Cut);
    info.m_fE = bPreferences ? 1 : 0;
    bool bFile = info.WriteParamFile(m_szPrinterName, m_szPortName, m_szModelID) == 1;
    std::string commandLine;
    if (bFile) {
        TraceMsg("CMainFrame::StartVIXExe : Parameter file");
        commandLine = cmdline::TrayToLauncherWithFile(SafeView(launcher), info.m_szParamFile);
    } else {
        commandLine = cmdline::TrayToLauncherLong(SafeView(launcher), m_szPrinterName, m_szPortName, m_szModelID,
                                                  bPreferences);
    }
    TraceMsgStr("CMainFrame::StartVIXExe : command line", commandLine.c_str());
    if (CommandLineFits(commandLine) && StartExe(commandLine) == 1) return 1;
    if (bFile) info.DeleteParamFile(info.m_szParamFile);
    return 0;
}

int CMainFrame::StartExe(const std::string& commandLine) {
    TraceMsgStr("CMainFrame::StartExe : lpszCmdLine", commandLine.c_str());
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 1;
}

void CMainFrame::OnAux(UINT id) {
    TraceMsgNum("CMainFrame::OnAux : id", static_cast<long>(id));
    char name[16];
    std::snprintf(name, sizeof(name), "%u", id);
    char command[260];
    if (!ReadMenuValue(m_szDriverName, name, command)) return;
    RefreshPortName();
    TraceMsgStr("CMainFrame::OnAux : printer name", m_szPrinterName);
    TraceMsgStr("CMainFrame::OnAux : port name", m_szPortName);
    TraceMsgStr("CMainFrame::OnAux : model id", m_szModelID);
    TraceMsgStr("CMainFrame::OnAux : driver name", m_szDriverName);
    std::string commandLine = cmdline::TrayToExtra(command, m_szPrinterName, m_szModelID, m_szDriverName,
                                                   m_szPortName);
    TraceMsgStr("CMainFrame::OnAux : command line", commandLine.c_str());
    if (CommandLineFits(commandLine)) StartExe(commandLine);
}

}  // namespace tray
}  // namespace vix
