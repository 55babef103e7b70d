// zvupdate: replaces installed modules of the printing system by the newer
// copies shipped beside it, on a worker thread behind a minimised window, and
// ends with one message that tells the user the outcome.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "installer/copy_rule_file.h"
#include "installer/environment.h"
#include "installer/resource.h"
#include "installer/ui_framework.h"
#include "installer/update_engine.h"
#include "installer/update_log.h"
#include "installer/wow64.h"

namespace zvu {

constexpr UINT WM_UPDATE_START = WM_USER + 10;
constexpr UINT WM_ENGINE_MESSAGE = WM_USER + 11;

namespace {

std::wstring LoadText(int id) {
    const wchar_t* p = nullptr;
    int n = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&p), 0);
    return n > 0 && p ? std::wstring(p, static_cast<size_t>(n)) : std::wstring();
}

std::string Narrow(const std::wstring& w) {
    if (w.empty()) return std::string();
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, w.c_str(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

// The program's executable name without directory and extension.
std::string ProgramName() {
    char path[MAX_PATH + 1] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n < MAX_PATH ? n : 0);
    size_t slash = s.find_last_of("\\/");
    if (slash != std::string::npos) s = s.substr(slash + 1);
    size_t dot = s.rfind('.');
    if (dot != std::string::npos) s = s.substr(0, dot);
    return s.empty() ? std::string("zvupdate") : s;
}

void SetIcons(HWND hwnd, HICON icon) {
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

class AboutDialog : public ui::Dialog {
public:
    AboutDialog() : Dialog(IDD_ABOUTBOX) {}
};

class ResultDialog : public ui::Dialog {
public:
    ResultDialog(std::wstring text, HICON icon) : Dialog(IDD_RESULT), m_text(std::move(text)), m_icon(icon) {}

protected:
    BOOL OnInitDialog() override {
        SetIcons(Hwnd(), m_icon);
        SetDlgItemTextW(Hwnd(), IDC_RESULT_TEXT, m_text.c_str());
        SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        RECT r = {};
        GetWindowRect(Hwnd(), &r);
        int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
        int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
        SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetActiveWindow(Hwnd());
        return TRUE;
    }

private:
    std::wstring m_text;
    HICON m_icon;
};

class UpdaterDialog : public ui::Dialog {
public:
    explicit UpdaterDialog(std::string propName)
        : Dialog(IDD_UPDATER),
          m_propName(std::move(propName)),
          m_icon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
          m_engine(std::make_unique<UpdateEngine>(ReadEnvironment())) {}

protected:
    BOOL OnInitDialog() override {
        HMENU menu = GetSystemMenu(Hwnd(), FALSE);
        if (menu) {
            std::wstring about = LoadText(IDS_ABOUTBOX);
            if (!about.empty()) {
                AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
                AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
            }
            DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
            DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
        }
        SetIcons(Hwnd(), m_icon);
        // A later start finds this window by the program's name.
        SetPropA(Hwnd(), m_propName.c_str(), reinterpret_cast<HANDLE>(1));
        ShowWindow(Hwnd(), SW_SHOWMINNOACTIVE);
        m_engine->InstallList().clear();
        m_bFinished = false;
        PostMessageW(Hwnd(), WM_UPDATE_START, 0, 0);
        return FALSE;
    }

    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        switch (msg) {
            case WM_UPDATE_START: StartWorker(); return true;
            case WM_ENGINE_MESSAGE: EngineMessage(static_cast<unsigned long>(wp & 0xFFFF)); return true;
            case WM_QUERYOPEN: *result = FALSE; return true;  // stays minimised on the task bar
            case WM_SYSCOMMAND:
                if ((wp & 0xFFF0) == IDM_ABOUTBOX) {
                    AboutDialog about;
                    about.DoModal(Hwnd());
                    return true;
                }
                return false;
            case WM_QUERYDRAGICON: *result = reinterpret_cast<LRESULT>(m_icon); return true;
            case WM_PAINT:
                if (!IsIconic(Hwnd())) return false;
                PaintIcon();
                return true;
            case WM_WINDOWPOSCHANGING:
                if (m_bFinished) {
                    auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
                    if (pos->flags & SWP_SHOWWINDOW) pos->flags = (pos->flags & ~SWP_SHOWWINDOW) | SWP_HIDEWINDOW;
                }
                return false;
            case WM_DESTROY:
                RemovePropA(Hwnd(), m_propName.c_str());
                return false;
            default: return false;
        }
    }

    void OnCommand(WORD id) override {
        // Only the update's end closes the window.
        if (id == IDOK && m_bFinished) End(IDOK);
    }

private:
    void PaintIcon() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Hwnd(), &ps);
        RECT r;
        GetClientRect(Hwnd(), &r);
        int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
        DrawIcon(dc, (r.right - r.left - cx + 1) / 2, (r.bottom - r.top - cy + 1) / 2, m_icon);
        EndPaint(Hwnd(), &ps);
    }

    void StartWorker() {
        if (m_worker.Running()) {
            WriteLog("Already running update's main thread.\r\n");
            return;
        }
        HWND hwnd = Hwnd();
        UpdateEngine* engine = m_engine.get();
        bool started = m_worker.Start([hwnd, engine] {
            if (!engine) {
                WriteLog("[ILLEGAL] object pointer is NULL.\r\n");
                return;
            }
            unsigned long flags = QKP_COPY_FAILED;
            try {
                flags = engine->RunUpdate();
            } catch (...) {
            }
            PostMessageW(hwnd, WM_ENGINE_MESSAGE, flags & 0xFFFF, 0);
        });
        if (!started) {
            WriteLog("Failed begining update's main thread.\r\n");
            End(IDCANCEL);
        }
    }

    void EngineMessage(unsigned long flags) {
        m_worker.Join();
        int id = ResultMessageId(flags, m_engine->Env().japanese);
        std::wstring text = LoadText(id);
        WriteLog("EngingMessage[0x%lx] - %s\r\n", flags, Narrow(text).c_str());
        SetForegroundWindow(Hwnd());
        ResultDialog result(text, m_icon);
        result.DoModal(Hwnd());
        m_bFinished = true;
        SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        End(IDOK);
    }

    std::string m_propName;
    HICON m_icon;
    std::unique_ptr<UpdateEngine> m_engine;
    ui::WorkerThread m_worker;
    bool m_bFinished = false;
};

}  // namespace

class UpdaterApp : public ui::Application {
protected:
    bool InitInstance() override {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);

        CopyRuleFile logRules;
        SetLogSwitch(logRules.LogSwitch(ProgramDirectory(), IsWow64()));
        WriteLog(IsWow64() ? "This environment is x64.\r\n" : "This environment is x32.\r\n");

        std::string name = ProgramName();
        vix::UniqueHandle mutex(CreateMutexA(nullptr, TRUE, name.c_str()));
        if (GetLastError() == ERROR_ALREADY_EXISTS) {
            WriteLog("!!!ERROR_ALREADY_EXISTS!!!\r\n");
            ActivateRunningInstance(name);
            return false;
        }
        {
            UpdaterDialog dialog(name);
            dialog.DoModal(nullptr);
        }
        if (mutex) ReleaseMutex(mutex.Get());
        return true;
    }

    int ExitInstance() override {
        RevertRedirection();
        return 0;
    }

private:
    static void ActivateRunningInstance(const std::string& name) {
        for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
            if (!GetPropA(h, name.c_str())) continue;
            if (IsIconic(h)) ShowWindow(h, SW_RESTORE);
            SetForegroundWindow(h);
            SetForegroundWindow(GetLastActivePopup(h));
            break;
        }
    }
};

}  // namespace zvu

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    zvu::UpdaterApp app;
    return app.Run();
}
