#include "installer_bench.h"

#include <winspool.h>

#include <cstdio>

#include "installer/update_log.h"
#include "installer/wow64.h"
#include "provision/provision.h"
#include "support/bed_fixture.h"

namespace zvutest {

namespace {

constexpr const char* kSessionManager = "System\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kMonitors = "System\\CurrentControlSet\\Control\\Print\\Monitors\\";

std::string Sanitized(std::string s) {
    for (char& c : s)
        if (c == ' ' || c == '-') c = '_';
    return s;
}

}  // namespace

std::string BinFile(const std::string& name) { return vixbed::ProgramDirectory() + name; }

TempDir::TempDir(const char* stem) {
    CreateDirectoryA("C:\\vixbed", nullptr);
    m_path = "C:\\vixbed\\" + Sanitized(vixtest::UniqueName(stem));
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempDir::~TempDir() { vixbed::RemoveTree(m_path); }

bool CopyInto(const std::string& from, const std::string& to) {
    zvu::NoRedirection nr;
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool WriteText(const std::string& path, const std::string& text) {
    zvu::NoRedirection nr;
    vix::UniqueHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    DWORD put = 0;
    return h && WriteFile(h.Get(), text.data(), static_cast<DWORD>(text.size()), &put, nullptr) && put == text.size();
}

std::string ReadAll(const std::string& path) {
    zvu::NoRedirection nr;
    return vixtest::ReadFileText(path);
}

bool Exists(const std::string& path) {
    zvu::NoRedirection nr;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool RemoveFile(const std::string& path) {
    zvu::NoRedirection nr;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != FALSE;
}

bool SetWriteTime(const std::string& path, int seconds) {
    zvu::NoRedirection nr;
    vix::UniqueHandle h(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    SYSTEMTIME st = {2024, 6, 0, 1, 12, 0, 0, 0};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    u.QuadPart += static_cast<long long>(seconds) * 10000000LL;
    ft.dwLowDateTime = u.LowPart;
    ft.dwHighDateTime = u.HighPart;
    return h && SetFileTime(h.Get(), nullptr, nullptr, &ft);
}

std::vector<std::string> ListDir(const std::string& dir) {
    zvu::NoRedirection nr;
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    vix::UniqueFind f(FindFirstFileA((dir + "\\*").c_str(), &fd));
    if (!f) return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(f.Get(), &fd));
    return names;
}

bool RunningUnderWow64() { return zvu::IsWow64(); }

std::string RealSystemDir() {
    char dir[MAX_PATH] = "";
    GetSystemDirectoryA(dir, MAX_PATH);
    return dir;  // reached through NoRedirection under WOW64
}

std::string Wow64SystemDir() {
    if (!RunningUnderWow64()) return std::string();
    char dir[MAX_PATH] = "";
    return GetSystemWow64DirectoryA(dir, MAX_PATH) ? std::string(dir) : std::string();
}

const char* RuleFileName() { return RunningUnderWow64() ? "ZVCOPY64.DAT" : "ZVCOPY32.DAT"; }
const char* OtherRuleFileName() { return RunningUnderWow64() ? "ZVCOPY32.DAT" : "ZVCOPY64.DAT"; }

HeldFile::HeldFile(const std::string& path) {
    std::string ready = vixtest::UniqueName("zvu-ready"), stop = vixtest::UniqueName("zvu-stop");
    m_ready.Reset(CreateEventA(nullptr, TRUE, FALSE, ready.c_str()));
    m_stop.Reset(CreateEventA(nullptr, TRUE, FALSE, stop.c_str()));
    std::string cmd = "\"" + BinFile("vixholdfile.exe") + "\" \"" + path + "\" \"" + ready + "\" \"" + stop + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
    CloseHandle(pi.hThread);
    m_process.Reset(pi.hProcess);
    HANDLE both[2] = {m_ready.Get(), m_process.Get()};
    DWORD w = WaitForMultipleObjects(2, both, FALSE, 30000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.Get(), &code);
    m_bHolding = w == WAIT_OBJECT_0 && code == STILL_ACTIVE;
}

HeldFile::~HeldFile() {
    if (m_stop) SetEvent(m_stop.Get());
    if (m_process) WaitForSingleObject(m_process.Get(), 30000);
}

ScopedRegString::ScopedRegString(HKEY root, const std::string& key, const char* name, const std::string& value,
                                 REGSAM view)
    : m_root(root), m_key(key), m_name(name), m_view(view) {
    vix::UniqueRegKey k;
    m_bCreatedKey = RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | view, k.Put()) != ERROR_SUCCESS;
    if (!m_bCreatedKey) {
        char buf[1024] = "";
        DWORD size = sizeof(buf) - 1, type = 0;
        m_bHadValue = RegQueryValueExA(k.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) ==
                      ERROR_SUCCESS;
        if (m_bHadValue) m_old.assign(buf, strnlen(buf, size));
    }
    vix::UniqueRegKey w;
    RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, w.Put(), nullptr);
    RegSetValueExA(w.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

ScopedRegString::~ScopedRegString() {
    if (m_bCreatedKey) {
        RegDeleteTreeA(m_root, m_key.c_str());
        return;
    }
    vix::UniqueRegKey w;
    if (RegOpenKeyExA(m_root, m_key.c_str(), 0, KEY_WRITE | m_view, w.Put()) != ERROR_SUCCESS) return;
    if (m_bHadValue)
        RegSetValueExA(w.Get(), m_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(m_old.c_str()),
                       static_cast<DWORD>(m_old.size() + 1));
    else
        RegDeleteValueA(w.Get(), m_name.c_str());
}

namespace {

bool ReadPending(std::vector<BYTE>& data) {
    vix::UniqueRegKey k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ | KEY_WOW64_64KEY, k.Put()) != ERROR_SUCCESS)
        return false;
    DWORD size = 0, type = 0;
    if (RegQueryValueExW(k.Get(), L"PendingFileRenameOperations", nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.assign(size, 0);
    return RegQueryValueExW(k.Get(), L"PendingFileRenameOperations", nullptr, &type, data.data(), &size) ==
           ERROR_SUCCESS;
}

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return s;
}

}  // namespace

PendingRenames::PendingRenames() { m_bHad = ReadPending(m_old); }

PendingRenames::~PendingRenames() {
    vix::UniqueRegKey k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_WRITE | KEY_WOW64_64KEY, k.Put()) != ERROR_SUCCESS)
        return;
    if (m_bHad)
        RegSetValueExW(k.Get(), L"PendingFileRenameOperations", 0, REG_MULTI_SZ, m_old.data(),
                       static_cast<DWORD>(m_old.size()));
    else
        RegDeleteValueW(k.Get(), L"PendingFileRenameOperations");
}

std::vector<std::pair<std::string, std::string>> PendingRenames::Read() {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<BYTE> data;
    if (!ReadPending(data)) return pairs;
    std::vector<std::string> texts;
    const wchar_t* p = reinterpret_cast<const wchar_t*>(data.data());
    size_t n = data.size() / sizeof(wchar_t), i = 0;
    while (i < n) {
        std::wstring s;
        while (i < n && p[i]) s.push_back(p[i++]);
        ++i;
        texts.push_back(Narrow(s));
    }
    for (size_t j = 0; j + 1 < texts.size(); j += 2) pairs.emplace_back(texts[j], texts[j + 1]);
    return pairs;
}

bool PendingRenames::Has(const std::string& from, const std::string& to) {
    for (auto& pr : Read()) {
        std::string t = pr.second;
        if (!t.empty() && t[0] == '!') t.erase(0, 1);
        if (lstrcmpiA(pr.first.c_str(), ("\\??\\" + from).c_str()) == 0 && lstrcmpiA(t.c_str(), ("\\??\\" + to).c_str()) == 0) return true;
    }
    return false;
}

UpdaterLog::UpdaterLog() {
    DeleteFileA(zvu::LogFilePath().c_str());
    zvu::SetLogSwitch(true);
}

UpdaterLog::~UpdaterLog() {
    zvu::SetLogSwitch(false);
    DeleteFileA(zvu::LogFilePath().c_str());
}

std::string UpdaterLog::Text() const { return vixtest::ReadFileText(zvu::LogFilePath()); }

BedMonitor::BedMonitor(const std::string& driver, const std::string& monitor, const std::string& monitorFile)
    : m_driver(driver), m_monitor(monitor) {
    vix::UniqueRegKey k;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kMonitors + monitor).c_str(), 0, nullptr, 0,
                        KEY_WRITE | KEY_WOW64_64KEY, nullptr, k.Put(), nullptr) != ERROR_SUCCESS)
        return;
    if (RegSetValueExA(k.Get(), "Driver", 0, REG_SZ, reinterpret_cast<const BYTE*>(monitorFile.c_str()),
                       static_cast<DWORD>(monitorFile.size() + 1)) != ERROR_SUCCESS)
        return;
    char dir[MAX_PATH] = "";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof(dir), &needed)) return;
    std::string file = std::string(dir) + "\\vixbeddrv.dll";
    WriteText(file, "bench driver");
    DRIVER_INFO_3A di = {};
    di.cVersion = 3;
    di.pName = const_cast<char*>(m_driver.c_str());
    di.pDriverPath = const_cast<char*>(file.c_str());
    di.pDataFile = const_cast<char*>(file.c_str());
    di.pConfigFile = const_cast<char*>(file.c_str());
    di.pMonitorName = const_cast<char*>(m_monitor.c_str());
    m_bDriver = AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&di)) != FALSE;
    m_bOk = m_bDriver;
}

BedMonitor::~BedMonitor() {
    if (m_bDriver) DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(m_driver.c_str()));
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kMonitors + m_monitor).c_str());
    vix::UniqueRegKey k;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Print\\Monitors", 0,
                      KEY_WRITE | KEY_WOW64_64KEY, k.Put()) == ERROR_SUCCESS)
        RegDeleteKeyExA(k.Get(), m_monitor.c_str(), KEY_WOW64_64KEY, 0);
}

UpdaterRun::UpdaterRun() : m_dir("zvupdate") { CopyInto(BinFile("zvupdate.exe"), m_dir / "zvupdate.exe"); }

UpdaterRun::~UpdaterRun() {
    if (m_process) {
        DWORD code = 0;
        if (GetExitCodeProcess(m_process.Get(), &code) && code == STILL_ACTIVE) {
            TerminateProcess(m_process.Get(), 99);
            WaitForSingleObject(m_process.Get(), 10000);
        }
    }
}

bool UpdaterRun::Start() {
    std::string exe = m_dir / "zvupdate.exe";
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_dir.Path().c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_process.Reset(pi.hProcess);
    m_pid = pi.dwProcessId;
    return true;
}

namespace {

struct DialogSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectResultDialog(HWND h, LPARAM lp) {
    auto* c = reinterpret_cast<DialogSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == c->pid && IsWindowVisible(h) && GetDlgItem(h, 1000)) c->found.push_back(h);
    return TRUE;
}

}  // namespace

std::vector<HWND> ResultDialogsOf(DWORD pid) {
    DialogSearch search{pid, {}};
    EnumWindows(CollectResultDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring ResultTextOf(HWND dialog) {
    wchar_t buf[512] = L"";
    GetWindowTextW(GetDlgItem(dialog, 1000), buf, 512);
    return buf;
}

std::wstring UpdaterRun::WaitForResult(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 100) {
        auto found = ResultDialogsOf(m_pid);
        if (!found.empty()) {
            m_result = found.front();
            Sleep(300);  // let it paint before anyone looks at it
            return ResultTextOf(m_result);
        }
        if (WaitForSingleObject(m_process.Get(), 100) == WAIT_OBJECT_0) return std::wstring();
    }
    return std::wstring();
}

int UpdaterRun::PressOk(DWORD ms) {
    if (!m_result) return -1;
    HWND ok = GetDlgItem(m_result, IDOK);
    PostMessageW(m_result, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    return WaitExit(ms);
}

int UpdaterRun::WaitExit(DWORD ms) {
    if (!m_process || WaitForSingleObject(m_process.Get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    return static_cast<int>(code);
}

bool Screenshot(const std::string& fileName) {
    return vixtest::Screenshot(std::string(VIX_TEST_OUTPUT_DIR) + "/" + fileName);
}

}  // namespace zvutest
