#include "tray/tray_bench.h"

#include <cstdio>

#include "foundation/param_file.h"
#include "foundation/printer_table_records.h"
#include "foundation/registry_key.h"
#include "foundation/targets.h"
#include "provision/provision.h"

namespace traytest {

namespace {

constexpr const char* kRunKey = "software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kTraceLog = "C:\\Z_SxxIC.LOG";

// The desktop's size makes Wine give it a window of its own with a task bar.
void PrepareDesktop() {
    vix::RegistryKey k;
    if (k.Open(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", true)) k.WriteString(kDesktop, "640x480");
}

struct WindowSearch {
    DWORD pid;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid != s->pid) return TRUE;
    if (s->className) {
        char cls[64] = "";
        GetClassNameA(h, cls, sizeof(cls));
        if (lstrcmpiA(cls, s->className) != 0) return TRUE;
    }
    s->found.push_back(h);
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND h, LPARAM lp) {
    auto* text = reinterpret_cast<std::string*>(lp);
    char cls[32] = "";
    GetClassNameA(h, cls, sizeof(cls));
    if (lstrcmpiA(cls, "Static") != 0) return TRUE;
    char buf[1024] = "";
    GetWindowTextA(h, buf, sizeof(buf));
    if (std::string(buf).size() > text->size()) *text = buf;
    return TRUE;
}

std::string UniqueTempFile(const char* stem) {
    static long n = 0;
    return vixtest::TempDir() + stem + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(InterlockedIncrement(&n)) + ".log";
}

}  // namespace

AgentRun::~AgentRun() {
    if (Running()) {
        if (WaitExit(0) == -1) {
            Close(5000);
            if (Running()) TerminateProcess(m_hProcess.Get(), 1);
        }
    }
    if (m_hProcess) WaitForSingleObject(m_hProcess.Get(), 5000);
}

bool AgentRun::Start(const std::string& build, const std::string& args) {
    PrepareDesktop();
    m_path = vixbed::ProgramDirectory() + build;
    std::string cmd = m_path + " " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    char desktop[32];
    lstrcpynA(desktop, kDesktop, sizeof(desktop));
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.lpDesktop = desktop;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    m_hProcess.Reset(pi.hProcess);
    m_pid = pi.dwProcessId;
    return true;
}

long AgentRun::WaitExit(DWORD ms) {
    if (!m_hProcess) return -2;
    if (WaitForSingleObject(m_hProcess.Get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_hProcess.Get(), &code);
    return static_cast<long>(code);
}

bool AgentRun::Running() const { return m_hProcess && WaitForSingleObject(m_hProcess.Get(), 0) == WAIT_TIMEOUT; }

HWND AgentRun::WaitWindow(DWORD ms) {
    for (DWORD waited = 0;; waited += 50) {
        auto found = WindowsOf(m_pid, "TrayIconWClass");
        if (!found.empty()) return found.front();
        if (waited >= ms || !Running()) return nullptr;
        Sleep(50);
    }
}

long AgentRun::Close(DWORD ms) {
    for (HWND h : WindowsOf(m_pid, "TrayIconWClass")) PostMessageA(h, WM_CLOSE, 0, 0);
    return WaitExit(ms);
}

bool HasVisibleStyle(HWND h) { return (GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0; }

std::vector<HWND> WindowsOf(DWORD pid, const char* className) {
    WindowSearch search{pid, className, {}};
    HDESK hDesk = OpenDesktopA(kDesktop, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (!hDesk) return search.found;
    EnumDesktopWindows(hDesk, CollectWindow, reinterpret_cast<LPARAM>(&search));
    CloseDesktop(hDesk);
    return search.found;
}

bool WaitMessageBox(DWORD pid, MessageBoxSeen* seen, DWORD ms) {
    for (DWORD waited = 0; waited <= ms; waited += 100) {
        for (HWND h : WindowsOf(pid, "#32770")) {
            if (!HasVisibleStyle(h)) continue;
            Sleep(200);  // let it finish its set-up
            seen->hWnd = h;
            char caption[256] = "";
            GetWindowTextA(h, caption, sizeof(caption));
            seen->caption = caption;
            seen->text.clear();
            EnumChildWindows(h, LongestStatic, reinterpret_cast<LPARAM>(&seen->text));
            seen->owner = GetWindow(h, GW_OWNER);
            return true;
        }
        Sleep(100);
    }
    return false;
}

void PressOk(HWND hBox) { PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

AgentTrace::AgentTrace() : m_switch(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZARVO\\VIX3\\Debug", "Z_SIC", 1) {
    DeleteFileA(kTraceLog);
}

AgentTrace::~AgentTrace() { DeleteFileA(kTraceLog); }

std::string AgentTrace::Text() const { return vixtest::ReadFileText(kTraceLog); }

bool AgentTrace::WaitFor(const std::string& part, DWORD ms) const {
    for (DWORD waited = 0;; waited += 100) {
        if (Has(part)) return true;
        if (waited >= ms) return false;
        Sleep(100);
    }
}

std::size_t AgentTrace::Count(const std::string& part) const {
    std::string text = Text();
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

bool AgentTrace::WaitAnotherRunning(DWORD ms) {
    ++m_running;
    for (DWORD waited = 0;; waited += 50) {
        if (Count("MainFrame.StartUp() : Result : 1") >= m_running) return true;
        if (waited >= ms) return false;
        Sleep(50);
    }
}

void AgentTrace::Clear() {
    DeleteFileA(kTraceLog);
    m_running = 0;
}

LaunchLog::LaunchLog() : m_path(UniqueTempFile("vixrun")), m_stub(UniqueTempFile("vixaux")) {
    DeleteFileA(m_path.c_str());
    DeleteFileA(m_stub.c_str());
    m_env.reset(new vixtest::ScopedEnv("VIXBED_LAUNCHER_LOG", m_path.c_str()));
    m_stubEnv.reset(new vixtest::ScopedEnv("VIXBED_TRAYSTUB_LOG", m_stub.c_str()));
}

LaunchLog::~LaunchLog() {
    DeleteFileA(m_path.c_str());
    DeleteFileA(m_stub.c_str());
}

std::vector<LaunchRecord> LaunchLog::Records() const {
    std::vector<LaunchRecord> records;
    std::string text = vixtest::ReadFileText(m_path);
    LaunchRecord rec;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) break;  // a record not yet whole
        std::string line = text.substr(start, lf - start);
        start = lf + 1;
        if (line == "end") {
            records.push_back(rec);
            rec = LaunchRecord();
        } else if (line.compare(0, 2, "| ") == 0) {
            rec.fileLines.push_back(line.substr(2));
        } else {
            std::size_t colon = line.find(':');
            if (colon != std::string::npos) rec.fields[line.substr(0, colon)] = line.substr(colon + 1);
        }
    }
    return records;
}

bool LaunchLog::WaitRecords(std::size_t n, DWORD ms) const {
    for (DWORD waited = 0;; waited += 100) {
        if (Records().size() >= n) return true;
        if (waited >= ms) return false;
        Sleep(100);
    }
}

std::string LaunchLog::WaitStubCommandLine(DWORD ms) const {
    for (DWORD waited = 0; waited <= ms; waited += 100) {
        std::string text = vixtest::ReadFileText(m_stub);
        if (text.compare(0, 8, "cmdline:") == 0) return text.substr(8, text.find('\n') - 8);
        Sleep(100);
    }
    return std::string();
}

RunValue::RunValue(HKEY root, std::string name) : m_root(root), m_name(std::move(name)) {}

RunValue::~RunValue() {
    vix::RegistryKey k;
    if (k.Open(m_root, kRunKey, false, KEY_ALL_ACCESS)) k.DeleteValue(m_name.c_str());
}

bool RunValue::Write(const std::string& text) const {
    vix::RegistryKey k;
    return k.Open(m_root, kRunKey, true) && k.WriteString(m_name.c_str(), text.c_str());
}

bool RunValue::Exists() const {
    vix::RegistryKey k;
    return k.Open(m_root, kRunKey) && k.ValueSize(m_name.c_str()) > 0;
}

TrayPrinter::TrayPrinter(const std::string& model) : m_bed(model) {}

TrayPrinter::~TrayPrinter() {
    char path[260];
    for (int i = 0; i < 4 && vix::FindTarget(Printer().c_str(), false, path, sizeof(path)) == vix::TARGET_FOUND; ++i)
        vix::RemoveTarget(path);
}

bool TrayPrinter::Create(bool bTarget) {
    if (!m_bed.Create() || !vixbed::InstallLaunchers(m_bed.InstallDir())) return false;
    // No printer check unless a test asks for one.
    if (!SetProfile("TrayIconEndTime", "0")) return false;
    if (!bTarget) return true;
    char path[260];
    return vix::CreateTarget(Printer().c_str(), false, path, sizeof(path)) == vix::TARGET_CREATED &&
           SetTargetDword("TrayIconEnable", 1) && SetTargetDword("TrayIconSelected", 0);
}

std::string TrayPrinter::TargetKey() const {
    char path[260] = "";
    return vix::FindTarget(Printer().c_str(), false, path, sizeof(path)) == vix::TARGET_FOUND ? path : "";
}

bool TrayPrinter::SetTargetDword(const char* name, DWORD value) const {
    vix::RegistryKey k;
    std::string key = TargetKey();
    return !key.empty() && k.Open(HKEY_CURRENT_USER, key.c_str(), false, KEY_ALL_ACCESS) && k.WriteDword(name, value);
}

DWORD TrayPrinter::TargetDword(const char* name, DWORD def) const {
    vix::RegistryKey k;
    std::string key = TargetKey();
    if (key.empty() || !k.Open(HKEY_CURRENT_USER, key.c_str())) return def;
    return k.ReadDword(name, def);
}

bool TrayPrinter::SetProfile(const char* key, const std::string& value) const {
    return WritePrivateProfileStringA(Model().c_str(), key, value.c_str(), m_bed.ProfilePath().c_str()) != FALSE;
}

bool TrayPrinter::RemovePrinter() { return vixbed::RemoveSpoolerPrinter(Printer()); }

std::string LongArgs(const std::string& printer, const std::string& port, const std::string& model, bool bRemove) {
    return vix::cmdline::CoreToTrayLong("", printer, port, model, bRemove);
}

std::string FileArgs(const std::string& printer, const std::string& port, const std::string& model, bool bRemove,
                     bool bIconInstall) {
    vix::cmdInfo info;
    info.m_fRemove = bRemove ? 1 : 0;
    info.m_fIconInstall = bIconInstall ? 1 : 0;
    if (info.WriteParamFile(printer.c_str(), port.c_str(), model.c_str()) != 1) return std::string();
    return vix::cmdline::CoreToTrayWithFile("", info.m_szParamFile);
}

bool TableWatch::Open(const std::string& name, std::size_t recordSize) {
    m_hMap.Reset(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name.c_str()));
    m_recordSize = recordSize;
    return static_cast<bool>(m_hMap);
}

bool TableWatch::Hold(const std::string& name, std::size_t recordSize) {
    std::size_t size = vix::table::MappingSizeOf(recordSize);
    m_hMap.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size),
                                    name.c_str()));
    bool bExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    m_recordSize = recordSize;
    if (!m_hMap) return false;
    if (!bExisted) {
        void* p = MapViewOfFile(m_hMap.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
        if (!p) return false;
        vix::table::RecordTable(static_cast<std::uint8_t*>(p), size, recordSize).InitEmpty();
        UnmapViewOfFile(p);
    }
    return true;
}

long long TableWatch::TraySlot(const std::string& key) const {
    if (!m_hMap) return -1;
    std::size_t size = vix::table::MappingSizeOf(m_recordSize);
    void* p = MapViewOfFile(m_hMap.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
    if (!p) return -1;
    vix::table::RecordTable records(static_cast<std::uint8_t*>(p), size, m_recordSize);
    long index = records.Find(key);
    long long slot = index < 0 ? -1 : static_cast<long long>(records.Slot(static_cast<std::size_t>(index),
                                                                           vix::table::KIND_TRAY));
    UnmapViewOfFile(p);
    return slot;
}

std::string OutputPath(const std::string& name) { return std::string(VIX_TEST_OUTPUT_DIR) + "/" + name; }

}  // namespace traytest
