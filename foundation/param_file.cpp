// The Windows half of cmdInfo: parameter files on disk and the completion
// of missing names from the printer and its driver key.
#include "foundation/param_file.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "foundation/printer_info.h"
#include "foundation/text.h"

namespace vix {

namespace {

// The system's temporary directory with its backslash, else ".\".
void SystemTempDir(char (&dir)[260]) {
    DWORD n = GetTempPathA(sizeof(dir), dir);
    if (n == 0 || n >= sizeof(dir)) CopyText(dir, ".\\", TextFit::Cut);
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

struct FileCloser {
    void operator()(FILE* fp) const { std::fclose(fp); }
};

}  // namespace

void cmdInfo::Parse(const char* commandLine) {
    ParseSwitches(SafeView(commandLine));
    if (m_bKeepFile) {
        if (m_szParamFile[0]) ReadParamFile(m_szParamFile);
    } else if (m_szReadFile[0]) {
        char name[260];
        CopyText(name, m_szReadFile, TextFit::Cut);
        ReadParamFile(name);
        DeleteParamFile(name);
    }
    CheckBE();
    CompleteFromPrinter();
    CompleteModelID();
}

bool cmdInfo::ReadParamFile(const char* name) {
    if (!name || !*name) return false;
    FILE* fp = std::fopen(name, "r");
    if (!fp) {
        char path[260];
        SystemTempDir(path);
        if (!AppendText(path, name, TextFit::Fail)) return false;
        fp = std::fopen(path, "r");
        if (!fp) return false;
    }
    std::unique_ptr<FILE, FileCloser> file(fp);
    std::string text;
    char buf[4096];
    std::size_t n;
    while (text.size() < kParamFileMax && (n = std::fread(buf, 1, sizeof(buf), fp)) > 0) text.append(buf, n);
    ReadParamText(text);
    return true;
}

int cmdInfo::WriteParamFile(const char* printer, const char* port, const char* model) {
    m_szParamFile[0] = '\0';
    char dir[260];
    SystemTempDir(dir);
    char path[MAX_PATH];
    if (!GetTempFileNameA(dir, "Z_S", 0, path)) return 0;  // creates the file
    const char* bare = std::strrchr(path, '\\');
    bare = bare ? bare + 1 : path;
    bool bOk = CopyText(m_szTempDir, dir, TextFit::Fail) && CopyText(m_szParamFile, bare, TextFit::Fail) &&
               CopyText(m_szPrinterName, SafeView(printer), TextFit::Fail) &&
               CopyText(m_szPortName, SafeView(port), TextFit::Fail) &&
               CopyText(m_szModelID, SafeView(model), TextFit::Fail) && ParamFileSafe();
    if (bOk) {
        std::string text = FormatParamFile();
        FILE* fp = std::fopen(path, "w");
        bOk = fp != nullptr;
        if (fp) {
            bOk = std::fwrite(text.data(), 1, text.size(), fp) == text.size();
            bOk = std::fclose(fp) == 0 && bOk;
        }
    }
    if (!bOk) {
        DeleteFileA(path);
        m_szParamFile[0] = '\0';
        return 0;
    }
    return 1;
}

bool cmdInfo::DeleteParamFile(const char* name) const {
    if (!name || !*name) return false;
    if (Exists(name)) return DeleteFileA(name) != FALSE;
    char path[260];
    if (m_szTempDir[0]) CopyText(path, m_szTempDir, TextFit::Cut);
    else SystemTempDir(path);
    if (!AppendText(path, name, TextFit::Fail) || !Exists(path)) return false;
    return DeleteFileA(path) != FALSE;
}

int cmdInfo::CompleteFromPrinter() {
    if (!m_szPrinterName[0]) return 0;
    std::string driver, port;
    if (!ReadPrinterNames(m_szPrinterName, &driver, &port)) return 0;
    if (!m_szDriverName[0]) CopyText(m_szDriverName, driver, TextFit::Fail);
    if (!m_szPortName[0]) CopyText(m_szPortName, port, TextFit::Fail);
    return 1;
}

int cmdInfo::CompleteModelID() {
    if (m_szModelID[0]) return 1;
    if (!m_szDriverName[0]) return 0;
    return ReadDriverKeyString(m_szDriverName, "ModelID", m_szModelID, sizeof(m_szModelID)) && m_szModelID[0] ? 1
                                                                                                               : 0;
}

}  // namespace vix
