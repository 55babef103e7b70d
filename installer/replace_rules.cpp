#include "installer/replace_rules.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "foundation/handles.h"
#include "foundation/text.h"
#include "installer/file_replace.h"
#include "installer/rule_text.h"
#include "installer/update_log.h"
#include "installer/wow64.h"

namespace zvu {

namespace {

constexpr const char* kMonitorsKey = "System\\CurrentControlSet\\control\\Print\\Monitors\\";

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           vix::EqualsNoCase(std::string_view(text).substr(0, prefix.size()), prefix);
}

}  // namespace

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '\\') return dir + name;
    return dir + "\\" + name;
}

std::string GetExtension(const std::string& name) {
    std::string ext = GetExtensionOf(name);
    if (!name.empty()) WriteLog("// Extension of \"%s\" is \"%s\".\r\n", ext.c_str(), name.c_str());
    return ext;
}

bool IsProgramFile(const std::string& path) {
    std::string up = UpperText(path, nullptr);
    size_t dot = up.rfind('.');
    if (dot == std::string::npos) return true;
    std::string ext = up.substr(dot + 1);
    if (ext != "EXE" && ext != "DLL") return true;
    NoRedirection nr;
    vix::UniqueHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return true;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(h.Get(), &size) || size.QuadPart <= 64) return true;
    unsigned char head[64];
    DWORD got = 0;
    if (!ReadFile(h.Get(), head, sizeof(head), &got, nullptr) || got < sizeof(head) || head[0] != 'M' ||
        head[1] != 'Z')
        return true;
    DWORD offset = static_cast<DWORD>(head[60]) | (static_cast<DWORD>(head[61]) << 8) |
                   (static_cast<DWORD>(head[62]) << 16) | (static_cast<DWORD>(head[63]) << 24);
    if (offset == 0) {
        WriteLog("<\"%s\" can be run in DOS mode.> (1)\r\n", path.c_str());
        return false;
    }
    if (SetFilePointer(h.Get(), static_cast<LONG>(offset), nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        WriteLog("<\"%s\" can be run in DOS mode.> (2)\r\n", path.c_str());
        return false;
    }
    unsigned char pe[20];
    if (!ReadFile(h.Get(), pe, sizeof(pe), &got, nullptr) || got < sizeof(pe)) {
        WriteLog("<\"%s\" can be run in DOS mode.> (3)\r\n", path.c_str());
        return false;
    }
    if (pe[0] == 'P' && pe[1] == 'E') {
        WriteLog("<PE signature found on \"%s\".>\r\n", path.c_str());
        return true;
    }
    WriteLog("<\"%s\" can be run in DOS mode.> (4)\r\n", path.c_str());
    return false;
}

std::string GetOriginalName(const std::string& given, bool win9x) {
    if (given.empty()) return std::string();
    std::string path = given;
    if (win9x) {
        std::string s = GetShortPathNameCS(given);
        if (!s.empty()) path = s;
    }
    if (!IsProgramFile(path)) {
        WriteLog("Maybe, \"%s\" is not program, or run on DOS MODE.\r\n", path.c_str());
        return std::string();
    }
    NoRedirection nr;
    DWORD handle = 0;
    DWORD len = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (len == 0) {
        WriteLog("Maybe, \"%s\" have not version resource.\r\n", path.c_str());
        return std::string();
    }
    std::vector<BYTE> block;
    try {
        block.assign(len, 0);
    } catch (...) {
        WriteLog("Can't allocate GetFileVersionInfoSize's memory.\r\n");
        return std::string();
    }
    if (!GetFileVersionInfoA(path.c_str(), 0, len, block.data())) {
        WriteLog("failed GetFileVersionInfo. (%ld)\r\n", static_cast<long>(GetLastError()));
        return std::string();
    }
    struct LangCp {
        WORD lang, cp;
    };
    LangCp* trans = nullptr;
    UINT tlen = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&trans), &tlen)) {
        WriteLog("failed VerQueryValue. (%ld)\r\n", static_cast<long>(GetLastError()));
        return std::string();
    }
    if (!trans || tlen < sizeof(LangCp)) {
        WriteLog("failed get trans data. (%ld)\r\n", static_cast<long>(GetLastError()));
        return std::string();
    }
    std::string sub = Format("%s%04x%04x\\%s", "\\StringFileInfo\\", trans->lang, trans->cp, "OriginalFilename");
    char* text = nullptr;
    UINT textLen = 0;
    if (!VerQueryValueA(block.data(), sub.c_str(), reinterpret_cast<void**>(&text), &textLen)) {
        WriteLog("Maybe, \"%s\" have not <OriginalName> on version resource. (%ld)\r\n", path.c_str(),
                 static_cast<long>(GetLastError()));
        return std::string();
    }
    if (!text) {
        WriteLog("failed VerQueryValue's resource is NULL. (%d)\r\n", static_cast<int>(GetLastError()));
        return std::string();
    }
    std::string name(vix::BoundedView(text, textLen));
    if (name.empty()) {
        WriteLog("\"%s\" 's original name is empty().\r\n", path.c_str());
        return std::string();
    }
    WriteLog("\"%s\" 's original name is \"%s\".\r\n", path.c_str(), name.c_str());
    return name;
}

std::string MonitorFileName(const std::string& monitor) {
    vix::UniqueRegKey key;
    REGSAM sam = KEY_READ | (IsWow64() ? KEY_WOW64_64KEY : 0);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kMonitorsKey) + monitor).c_str(), 0, sam, key.Put()) !=
        ERROR_SUCCESS)
        return std::string();
    char buf[261] = "";
    DWORD type = 0, size = 260;
    if (RegQueryValueExA(key.Get(), "Driver", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::string();
    return std::string(vix::BoundedView(buf, size < 260 ? size : 260));
}

void ReplaceRuleSet::AppendReplaceFileList(const std::string& fileName) {
    for (const auto& f : m_files)
        if (f == fileName) return;
    m_files.push_back(fileName);
    WriteLog("AppendReplaceFileList %s is Append Entry.\r\n", fileName.c_str());
}

std::string ReplaceRuleSet::GetReplaceFileName(size_t index) const {
    if (index >= m_files.size()) return std::string();
    WriteLog("GetReplaceFileName : Replace Entry(%d) is %s.\r\n", static_cast<int>(index), m_files[index].c_str());
    return m_files[index];
}

bool ReplaceRuleSet::MatchName(const std::string& dir, const std::string& candidate, const std::string& newOriginal,
                               const std::string& newName) const {
    if (candidate == newName) {
        WriteLog("[MATCHED] \"%s\" is same as original name. (1)\r\n", candidate.c_str());
        return true;
    }
    if (newOriginal.empty()) return false;
    std::string original = GetOriginalName(JoinPath(dir, candidate), m_bWin9x);
    if (original.empty()) return false;
    if (vix::EqualsNoCase(original, newName)) {
        WriteLog("[MATCHED] \"%s\" is same as original name. (2)\r\n", candidate.c_str());
        return true;
    }
    if (vix::EqualsNoCase(original, newOriginal)) {
        WriteLog("[MATCHED] \"%s\" is same as original name. (3)\r\n", candidate.c_str());
        return true;
    }
    return false;
}

bool ReplaceRuleSet::ScanDirectory(const std::string& name, const std::string& destDir, const std::string& prefix,
                                   const std::string& ext, const std::string& newOriginal) {
    std::string pattern = JoinPath(destDir, prefix + "*" + ext);
    WriteLog(ext.empty() ? "AllowReplaceOtherSub - search keyword = \"%s\"\r\n"
                         : "AllowReplaceMonitorExSub - search keyword = \"%s\"\r\n",
             pattern.c_str());
    NoRedirection nr;
    WIN32_FIND_DATAA fd;
    vix::UniqueFind f(FindFirstFileA(pattern.c_str(), &fd));
    if (!f) return !m_files.empty();
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (MatchName(destDir, fd.cFileName, newOriginal, name)) AppendReplaceFileList(fd.cFileName);
    } while (FindNextFileA(f.Get(), &fd));
    return !m_files.empty();
}

bool MonitorReplaceRules::ApplyRules(const char* logRule, int driver, const std::string& destDir,
                                     const std::string& monitorFile, const std::string& newOriginal,
                                     const std::string& name) const {
    if (m_rules.empty()) return MatchName(destDir, monitorFile, newOriginal, name);
    for (const auto& rule : m_rules) {
        if (rule.empty() || rule.size() > monitorFile.size()) continue;
        if (!StartsWithNoCase(monitorFile, rule)) continue;
        if (driver >= 0) WriteLog(logRule, driver, rule.c_str());
        else WriteLog(logRule, rule.c_str());
        return MatchName(destDir, monitorFile, newOriginal, name);
    }
    return false;
}

bool MonitorReplaceRules::DriverSearch(const std::string& name, const std::string& destDir) {
    std::string newOriginal = NewOriginalName(name);
    if (newOriginal.empty()) return false;
    const char* env = m_bWin9x ? "Windows 4.0" : nullptr;
    DWORD needed = 0, count = 0;
    EnumPrinterDriversA(nullptr, const_cast<char*>(env), 3, nullptr, 0, &needed, &count);
    if (needed == 0) return false;
    std::vector<BYTE> buf(needed);
    if (!EnumPrinterDriversA(nullptr, const_cast<char*>(env), 3, buf.data(), needed, &needed, &count) || count == 0)
        return false;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(buf.data());
    bool result = false;
    for (DWORD i = 0; i < count; ++i) {
        int n = static_cast<int>(i);
        std::string driver(vix::SafeView(drivers[i].pName));
        if (!m_strMaker.empty()) {
            WriteLog("AllowReplaceMonitor (%d) DriverName=%s\r\n", n, driver.c_str());
            if (driver.size() < m_strMaker.size()) {
                WriteLog("AllowReplaceMonitor (%d) Not match Maker.[B] (%s)\r\n", n, driver.c_str());
                continue;
            }
            if (!StartsWithNoCase(driver, m_strMaker)) {
                WriteLog("AllowReplaceMonitor (%d) Not match Maker.[A] (%s)\r\n", n, driver.c_str());
                continue;
            }
        }
        std::string monitor(vix::SafeView(drivers[i].pMonitorName));
        if (monitor.empty()) {
            WriteLog("AllowReplaceMonitor (%d) Not get monitor name.\r\n", n);
            continue;
        }
        WriteLog("AllowReplaceMonitor (%d) MonitorName=%s\r\n", n, monitor.c_str());
        std::string file = MonitorFileName(monitor);
        if (file.empty()) {
            WriteLog("AllowReplaceMonitor (%d) Not get monitor file name.\r\n", n);
            continue;
        }
        WriteLog("AllowReplaceMonitor (%d) MonitorFileName=%s\r\n", n, file.c_str());
        if (ApplyRules("AllowReplaceMonitor (%d) Rule=%s is match.\r\n", n, destDir, file, newOriginal, name)) {
            result = true;
            AppendReplaceFileList(file);
            WriteLog("AllowReplaceMonitor (%d) [%s vs %s] is match name. -> Go RenameCopy.\r\n", n, name.c_str(),
                     file.c_str());
        } else {
            WriteLog("AllowReplaceMonitor (%d) [%s vs %s] is not match name.\r\n", n, name.c_str(), file.c_str());
        }
    }
    return result;
}

bool MonitorReplaceRules::AllowReplacePortMonitor(const std::string& name, const std::string& destDir) {
    std::string newOriginal = NewOriginalName(name);
    if (newOriginal.empty()) return false;
    std::string file = MonitorFileName("Local Port");
    if (file.empty()) return false;
    WriteLog("AllowReplacePortMonitor MonitorFileName=%s\r\n", file.c_str());
    bool match = ApplyRules("AllowReplacePortMonitor Rule=%s is match.\r\n", -1, destDir, file, newOriginal, name);
    if (match) {
        AppendReplaceFileList(file);
        WriteLog("AllowReplacePortMonitor [%s vs %s] is match name. -> Go RenameCopy.\r\n", name.c_str(), file.c_str());
    } else {
        WriteLog("AllowReplacePortMonitor [%s vs %s] is not match name.\r\n", name.c_str(), file.c_str());
    }
    return match;
}

bool MonitorReplaceRules::AllowReplaceMonitorExSub(const std::string& name, const std::string& destDir,
                                                   const std::string& prefix) {
    WriteLog("AllowReplaceMonitorExSub(%s, %s, %s)\r\n", name.c_str(), destDir.c_str(), prefix.c_str());
    std::string ext = GetExtension(name);
    if (ext.empty()) return false;
    std::string newOriginal = NewOriginalName(name);
    if (newOriginal.empty()) return false;
    return ScanDirectory(name, destDir, prefix, ext, newOriginal);
}

bool MonitorReplaceRules::AllowReplaceMonitor(const std::string& name, const std::string& srcDir,
                                              const std::string& destDir, bool extended) {
    Begin(srcDir);
    bool result = m_bNt4 ? AllowReplacePortMonitor(name, destDir) : DriverSearch(name, destDir);
    if (extended) result = AllowReplaceMonitorExSub(name, destDir, std::string());
    return result;
}

bool ModuleReplaceRules::AllowReplaceOther(const std::string& name, const std::string& srcDir,
                                           const std::string& destDir) {
    Begin(srcDir);
    WriteLog("AllowReplaceOtherSub(%s, %s, %s)\r\n", name.c_str(), destDir.c_str(), "");
    std::string newOriginal = NewOriginalName(name);
    if (newOriginal.empty()) return false;
    return ScanDirectory(name, destDir, std::string(), std::string(), newOriginal);
}

}  // namespace zvu
