#include "installer/file_replace.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "foundation/handles.h"
#include "foundation/text.h"
#include "installer/rule_text.h"
#include "installer/update_log.h"
#include "installer/wow64.h"

namespace zvu {

namespace {

bool PlatformCopy(const std::string& from, const std::string& to) {
    return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool OpenWithTime(const std::string& path, vix::UniqueHandle& h, FILETIME& t) {
    h.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
    return h && GetFileTime(h.Get(), nullptr, nullptr, &t);
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

bool QkpGetVersion(const std::string& path, char* buf, size_t size) {
    if (!buf || size == 0) return false;
    buf[0] = '\0';
    NoRedirection nr;
    DWORD handle = 0;
    DWORD len = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (len == 0) return false;
    std::vector<BYTE> block(len, 0);
    if (!GetFileVersionInfoA(path.c_str(), 0, len, block.data())) return false;
    struct LangCp {
        WORD lang, cp;
    };
    LangCp* trans = nullptr;
    UINT tlen = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&trans), &tlen) ||
        !trans || tlen < sizeof(LangCp))
        return false;
    std::string sub = Format("%s%04x%04x\\%s", "\\StringFileInfo\\", trans->lang, trans->cp, "FileVersion");
    char* text = nullptr;
    UINT textLen = 0;
    if (!VerQueryValueA(block.data(), sub.c_str(), reinterpret_cast<void**>(&text), &textLen) || !text) return false;
    vix::CopyText(buf, size, std::string_view(text, textLen), vix::TextFit::Cut);
    return true;
}

bool FileExists(const std::string& path) {
    NoRedirection nr;
    WIN32_FIND_DATAA fd;
    vix::UniqueFind f(FindFirstFileA(path.c_str(), &fd));
    return static_cast<bool>(f);
}

std::string GetShortPathNameCS(const std::string& path) {
    std::vector<char> buf(path.size() + 2, '\0');
    DWORD n = GetShortPathNameA(path.c_str(), buf.data(), static_cast<DWORD>(path.size() + 1));
    if (n == 0 || n >= path.size() + 1) return std::string();
    return std::string(buf.data(), n);
}

int CompareTimeStamp(const std::string& file1, const std::string& file2) {
    NoRedirection nr;
    vix::UniqueHandle h1, h2;
    FILETIME t1 = {}, t2 = {};
    bool have1 = OpenWithTime(file1, h1, t1);
    bool have2 = OpenWithTime(file2, h2, t2);
    if (have1 && !have2) {
        WriteLog("CompareTimeStamp [1] - Not exist %s.\r\n", file2.c_str());
        return QKP_COMP_FILE2_NOTFOUND;
    }
    if (!have1 && !have2) {
        WriteLog("CompareTimeStamp [3] - Not exist %s, %s.\r\n", file1.c_str(), file2.c_str());
        return QKP_COMP_BOTH_NOTFOUND;
    }
    if (!have1) {
        WriteLog("CompareTimeStamp [2] - Not exist %s.\r\n", file1.c_str());
        return QKP_COMP_FILE1_NOTFOUND;
    }
    char v1[260], v2[260];
    bool got1 = QkpGetVersion(file1, v1, sizeof(v1));
    bool got2 = QkpGetVersion(file2, v2, sizeof(v2));
    int result = QKP_COMP_SAME;
    if (!got1 || !got2) {
        WriteLog("CompareTimeStamp : QKP_COMP_SAME (3) QkpGetVersion is faild [%d:%d].\r\n", got1 ? 1 : 0, got2 ? 1 : 0);
    } else {
        WriteLog("CompareTimeStamp [4a] - %s is \"%s\".\r\n", file1.c_str(), v1);
        WriteLog("CompareTimeStamp [4b] - %s is \"%s\".\r\n", file2.c_str(), v2);
        if (lstrcmpiA(v1, v2) == 0) {
            WriteLog("CompareTimeStamp : QKP_COMP_SAME (2).\r\n");
        } else {
            int part = 0;
            int order = CompareTriples(ParseVersionText(v1), ParseVersionText(v2), &part);
            if (order > 0) {
                WriteLog("CompareTimeStamp : QKP_COMP_FILE1_IS_NEW (%d).\r\n", part);
                result = QKP_COMP_FILE1_IS_NEW;
            } else if (order < 0) {
                WriteLog("CompareTimeStamp : QKP_COMP_FILE2_IS_NEW (%d).\r\n", part);
                result = QKP_COMP_FILE2_IS_NEW;
            } else {
                WriteLog("CompareTimeStamp : QKP_COMP_SAME (1).\r\n");
            }
        }
    }
    if (result == QKP_COMP_SAME) {
        LONG c = CompareFileTime(&t1, &t2);
        if (c < 0) {
            WriteLog("CompareTimeStamp : QKP_COMP_FILE2_IS_NEW (4).\r\n");
            result = QKP_COMP_FILE2_IS_NEW;
        } else if (c > 0) {
            WriteLog("CompareTimeStamp : QKP_COMP_FILE1_IS_NEW (4).\r\n");
            result = QKP_COMP_FILE1_IS_NEW;
        } else {
            WriteLog("CompareTimeStamp : QKP_COMP_SAME (3).\r\n");
        }
    }
    return result;
}

int LockDestFile(const std::string& path) {
    NoRedirection nr;
    vix::UniqueHandle h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h) {
        h.Reset();
        WriteLog("LockDestFile : QKP_LOCK_SUCEES \"%s\".\r\n", path.c_str());
        return QKP_LOCK_SUCEES;
    }
    DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND) {
        WriteLog("LockDestFile : QKP_LOCK_NOTFOUND \"%s\".\r\n", path.c_str());
        return QKP_LOCK_NOTFOUND;
    }
    if (err == ERROR_SHARING_VIOLATION) {
        WriteLog("LockDestFile : QKP_LOCK_INUSE \"%s\".\r\n", path.c_str());
        return QKP_LOCK_INUSE;
    }
    WriteLog("LockDestFile : QKP_LOCK_ERROR(%d) \"%s\".\r\n", static_cast<int>(err), path.c_str());
    return QKP_LOCK_ERROR;
}

FileReplacer::FileReplacer(const UpdateEnvironment& env, long& copiedCount)
    : m_env(env), m_copied(copiedCount), m_copy(PlatformCopy) {}

bool FileReplacer::CopyIntoPlace(const std::string& from, const std::string& to, unsigned long* error) {
    NoRedirection nr;
    char temp[MAX_PATH] = "";
    if (!GetTempFileNameA(DirectoryOf(to).c_str(), "zvu", 0, temp)) {
        *error = GetLastError();
        return false;
    }
    if (!m_copy(from, temp)) {
        *error = GetLastError();
        DeleteFileA(temp);
        return false;
    }
    if (!MoveFileExA(temp, to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *error = GetLastError();
        DeleteFileA(temp);
        return false;
    }
    return true;
}

int FileReplacer::MoveOnReboot(const std::string& destDir, const std::string& srcDir, const std::string& destName,
                               const std::string& srcName) {
    std::string source = srcDir + "\\" + srcName;
    std::string dest = destDir + "\\" + destName;
    std::string temp = dest;
    bool found = false;
    for (int i = 0; i < 26; ++i) {
        temp = MakeTemporaryName(temp, false);
        if (temp == dest) break;
        if (!FileExists(temp)) {
            found = true;
            break;
        }
    }
    if (!found) {
        WriteLog("MoveOnReboot - Not copy by failed making temporary name.\r\n");
        return 0;
    }
    int cmp = CompareTimeStamp(source, temp);
    switch (cmp) {
        case QKP_COMP_FILE1_IS_NEW:
        case QKP_COMP_FILE2_NOTFOUND: break;
        case QKP_COMP_FILE2_IS_NEW:
        case QKP_COMP_SAME:
            WriteLog("MoveOnReboot - Restart request by already exist upper version's temporary file.\r\n");
            return 1;
        case QKP_COMP_FILE1_NOTFOUND:
        case QKP_COMP_BOTH_NOTFOUND: WriteLog("MoveOnReboot - Not copy by not exist target file.\r\n"); return 0;
        default: WriteLog("MoveOnReboot - Compare result is illegal. (%d)\r\n", cmp); return 0;
    }
    WriteLog("MoveOnReboot - Exec Temporary Copy [%s -> %s]\r\n", source.c_str(), temp.c_str());
    {
        NoRedirection nr;
        if (!m_copy(source, temp)) {
            DWORD err = GetLastError();
            WriteLog("MoveOnReboot - CopyFile is failed.(%d) %s -> %s\r\n", static_cast<int>(err), source.c_str(),
                     temp.c_str());
            DeleteFileA(temp.c_str());  // no half-written copy stays behind
            return 0;
        }
    }
    if (m_env.osClass != 0) {
        NoRedirection nr;
        if (MoveFileExA(temp.c_str(), dest.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
            WriteLog("MoveOnReboot - MoveFileEx is succeed. [%s -> %s]\r\n", temp.c_str(), dest.c_str());
            return 1;
        }
        DWORD err = GetLastError();
        WriteLog("MoveOnReboot - MoveFileEx is failed.(%d) %s -> %s\r\n", static_cast<int>(err), temp.c_str(),
                 dest.c_str());
        DeleteFileA(temp.c_str());
        return 0;
    }
    std::string ini = m_env.windowsDir + "\\WININIT.INI";
    std::string shortTemp = GetShortPathNameCS(temp);
    if (shortTemp.empty()) {
        WriteLog("MoveOnReboot - GetShortPathNameCS is failed. %s\r\n", temp.c_str());
        DeleteFileA(temp.c_str());
        return 0;
    }
    std::string key = MakeTemporaryName(shortTemp, true);
    if (WritePrivateProfileStringA("Rename", key.c_str(), shortTemp.c_str(), ini.c_str())) {
        WriteLog("MoveOnReboot - WritePrivateProfileString is succeed. [%s -> %s]\r\n", key.c_str(), shortTemp.c_str());
        return 1;
    }
    DWORD err = GetLastError();
    WriteLog("MoveOnReboot - WritePrivateProfileString is failed.(%d) %s -> %s\r\n", static_cast<int>(err), key.c_str(),
             shortTemp.c_str());
    DeleteFileA(temp.c_str());
    return 0;
}

unsigned long FileReplacer::ReplaceFile(const std::string& newPath, const std::string& installedPath,
                                        const std::string& destDir, const std::string& srcDir,
                                        const std::string& destName, const std::string& srcName) {
    if (!FileExists(installedPath)) {
        WriteLog("CopyTargetFile - Not exist %s.\r\n", installedPath.c_str());
        return QKP_COPY_SKIP;
    }
    switch (CompareTimeStamp(newPath, installedPath)) {
        case QKP_COMP_FILE1_IS_NEW: break;
        case QKP_COMP_FILE1_NOTFOUND:
        case QKP_COMP_BOTH_NOTFOUND: return QKP_COPY_NOTFOUND;
        default: return QKP_COPY_SKIP;
    }
    unsigned long result = QKP_COPY_FAILED;
    switch (LockDestFile(installedPath)) {
        case QKP_LOCK_SUCEES:
        case QKP_LOCK_NOTFOUND: {
            WriteLog("CopyTargetFile - Now Copy [%s -> %s].\r\n", newPath.c_str(), installedPath.c_str());
            unsigned long err = 0;
            if (CopyIntoPlace(newPath, installedPath, &err)) {
                result = QKP_COPY_DONE;
            } else {
                WriteLog("CopyTargetFile - CopyFile is failed.(%lu) %s -> %s\r\n", err, newPath.c_str(),
                         installedPath.c_str());
            }
            break;
        }
        case QKP_LOCK_INUSE:
            WriteLog("CopyTargetFile - Restart Copy [%s -> %s].\r\n", srcName.c_str(), destName.c_str());
            result = MoveOnReboot(destDir, srcDir, destName, srcName) ? QKP_COPY_RESTART : QKP_COPY_FAILED;
            break;
        default:
            // Neither copied nor staged: the file could not be examined.
            result = QKP_COPY_FAILED;
            break;
    }
    if (result == QKP_COPY_DONE || result == QKP_COPY_RESTART) ++m_copied;
    return result;
}

}  // namespace zvu
