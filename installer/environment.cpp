#include "installer/environment.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "foundation/handles.h"
#include "foundation/os_version.h"
#include "installer/update_log.h"
#include "installer/wow64.h"

namespace zvu {

namespace {

constexpr const char* kLibraryKey = "Software\\ZARVO\\QKAPIInfo";

std::string DriverDirectory(int osClass) {
    if (osClass == -1) return std::string();
    DWORD needed = 0;
    GetPrinterDriverDirectoryA(nullptr, nullptr, 1, nullptr, 0, &needed);
    if (needed == 0) return std::string();
    std::vector<char> buf(needed + 1, '\0');
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buf.data()), needed, &needed))
        return std::string();
    std::string dir(buf.data());
    if (osClass == 1 || osClass == 2) dir += "\\2";
    else if (osClass == 3) dir += "\\3";
    return dir;
}

std::string LibraryDirectory(int osClass) {
    if (osClass == -1) return std::string();
    vix::UniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kLibraryKey, 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return std::string();
    char buf[513] = "";
    DWORD type = 0, size = 512;
    if (RegQueryValueExA(key.Get(), "InstallDir", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    buf[size < sizeof(buf) ? size : sizeof(buf) - 1] = '\0';
    return std::string(buf);
}

}  // namespace

std::string ProgramDirectory() {
    char path[MAX_PATH + 1] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    std::string s(path, n);
    size_t slash = s.find_last_of('\\');
    return slash == std::string::npos ? std::string() : s.substr(0, slash);
}

bool TokenHasAdministrators() {
    vix::UniqueHandle token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.Put())) {
        if (GetLastError() != ERROR_NO_TOKEN) return false;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Put())) return false;
    }
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    if (size == 0) return false;
    std::vector<BYTE> buf(size);
    if (!GetTokenInformation(token.Get(), TokenGroups, buf.data(), size, &size)) return false;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID admins = nullptr;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &admins))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buf.data());
    bool found = false;
    for (DWORD i = 0; i < groups->GroupCount && !found; ++i) found = EqualSid(groups->Groups[i].Sid, admins) != FALSE;
    FreeSid(admins);
    return found;
}

UpdateEnvironment ReadEnvironment() {
    UpdateEnvironment env;
    env.wow64 = IsWow64();
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL got = GetVersionExA(&vi);
#pragma GCC diagnostic pop
    if (!got) {
        WriteLog("failed (%ld) - GetVersionEx.\r\n", static_cast<long>(GetLastError()));
    } else {
        env.platform = static_cast<long>(vi.dwPlatformId);
        env.major = static_cast<long>(vi.dwMajorVersion);
        env.minor = static_cast<long>(vi.dwMinorVersion);
        WriteLog("Got Version -> (PlatformID, MajorVersion, MinorVersion) = (%ld, %ld, %ld).\r\n", env.platform,
                 env.major, env.minor);
        env.osClass = vix::UpdaterOsClassOf(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
    }
    env.admin = env.osClass == -1 ? false : env.osClass == 0 ? true : TokenHasAdministrators();

    char sys[MAX_PATH] = "";
    UINT n = GetSystemDirectoryA(sys, sizeof(sys));
    if (n > 0 && n < sizeof(sys)) env.systemDir = sys;
    char win[MAX_PATH + 1] = "";
    n = GetWindowsDirectoryA(win, sizeof(win));
    if (n > 0 && n < sizeof(win)) env.windowsDir = win;
    env.updaterDir = ProgramDirectory();
    env.driverDir = DriverDirectory(env.osClass);
    env.libraryDir = LibraryDirectory(env.osClass);

    env.japanese = (GetUserDefaultLangID() & 0x3FF) == 0x11;
    WriteLog(env.japanese ? "CheckLanguageEnv : QKP_LANG_JAPANESE.\r\n" : "CheckLanguageEnv : QKP_LANG_ENGLISH.\r\n");
    return env;
}

}  // namespace zvu
