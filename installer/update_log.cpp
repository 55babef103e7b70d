#include "installer/update_log.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace zvu {

namespace {

std::atomic<bool> g_logOn{false};

bool IsNt6OrLater() {
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&vi)) return false;
#pragma GCC diagnostic pop
    return vi.dwPlatformId == VER_PLATFORM_WIN32_NT && vi.dwMajorVersion > 5;
}

std::string CommonAppDataZarvo() {
    HMODULE shell = LoadLibraryA("SHELL32.DLL");
    if (!shell) return std::string();
    using Fn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSpecialFolderPathA")));
    char path[MAX_PATH] = "";
    std::string dir;
    if (fn && fn(nullptr, path, 0x23, TRUE)) {
        dir = std::string(path) + "\\ZARVO";
        if (GetFileAttributesA(dir.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryA(dir.c_str(), nullptr))
            dir.clear();
    }
    FreeLibrary(shell);
    return dir;
}

std::string ComputeLogDirectory() {
    std::string dir;
    if (IsNt6OrLater()) dir = CommonAppDataZarvo();
    if (dir.empty()) {
        char tmp[521] = "";
        DWORD n = GetTempPathA(sizeof(tmp), tmp);
        if (n > 0 && n < sizeof(tmp)) dir = tmp;
    }
    if (dir.empty()) {
        char win[MAX_PATH + 1] = "";
        UINT n = GetWindowsDirectoryA(win, sizeof(win));
        if (n >= 2 && n < sizeof(win) && win[1] == ':') dir.assign(win, 2);
    }
    if (dir.empty()) dir = "C:";
    while (!dir.empty() && dir.back() == '\\') dir.pop_back();
    return dir;
}

}  // namespace

void SetLogSwitch(bool on) { g_logOn = on; }
bool LogSwitch() { return g_logOn; }

std::string LogFilePath() {
    static std::once_flag once;
    static std::string dir;
    std::call_once(once, [] { dir = ComputeLogDirectory(); });
    return dir + "\\zvupdate.LOG";
}

void WriteLogText(const std::string& text) {
    if (!g_logOn) return;
    FILE* fp = std::fopen(LogFilePath().c_str(), "a+b");
    if (!fp) return;
    std::fwrite(text.data(), 1, text.size(), fp);
    std::fclose(fp);
}

void WriteLog(const char* fmt, ...) {
    if (!g_logOn) return;
    va_list ap;
    va_start(ap, fmt);
    std::string text = FormatV(fmt, ap);
    va_end(ap);
    WriteLogText(text);
}

LogFn LogSink() {
    return [](const std::string& s) { WriteLogText(s); };
}

}  // namespace zvu
