// vixrun: stands in for the printing system's launcher programs
// ("VIXRUN2.EXE", "VIXRUN1.EXE", "VIXRUN4.EXE"), which open the status
// window or the monitoring preferences of a printer. Like them it reads a
// parameter file ("/F", deleted after reading) or the switches, with the
// same parser as the tray agent, and calls the core library's PrStartView
// (the detailed status window) or, with "/E", PrStartPreference.
//
// Before that it appends a record of what it was asked to open to the file
// named by the environment variable VIXBED_LAUNCHER_LOG (when set):
//   program:<its own file name>
//   cmdline:<the whole command line>
//   file:<parameter file name>      only for a "/F" start
//   | <line>                        each line of that file as it was read
//   fileleft:<0|1>                  whether the file still exists after parsing
//   printer:, port:, driver:, model:
//   open:status|preferences
//   export:<name> missing|loaded
//   end
#include <windows.h>

#include <cstdio>
#include <string>

#include "foundation/param_file.h"
#include "whole_file.h"
#include "foundation/settings.h"
#include "include/vixcore.h"

namespace {

std::string FindOnDisk(const std::string& name) {
    if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) return name;
    char dir[MAX_PATH] = "";
    GetTempPathA(sizeof(dir), dir);
    return dir + name;
}


std::string OwnFileName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(s.find_last_of('\\') + 1);
}

void AppendRecord(const std::string& record) {
    char log[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VIXBED_LAUNCHER_LOG", log, sizeof(log));
    if (n == 0 || n >= sizeof(log)) return;
    // One write of the whole record, so that a reader never sees half.
    HANDLE h = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    CloseHandle(h);
}

}  // namespace

int main() {
    const char* commandLine = GetCommandLineA();
    std::string record = "program:" + OwnFileName() + "\ncmdline:" + commandLine + "\n";

    // What the parameter file held, before the parser deletes it.
    std::string file, path;
    vix::ScanCommandLine(commandLine, [&file](const vix::CmdSwitch& sw) {
        if (sw.name == "F" || sw.name == "f") file.assign(sw.value);
    });
    if (!file.empty()) {
        path = FindOnDisk(file);
        record += "file:" + file + "\n";
        std::string text = vixbed::ReadWholeFile(path);
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t lf = text.find('\n', start);
            std::string line = text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();  // written in text mode
            record += "| " + line + "\n";
            if (lf == std::string::npos) break;
            start = lf + 1;
        }
    }

    vix::cmdInfo info;
    info.Parse(commandLine);
    if (!file.empty())
        record += std::string("fileleft:") + (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? "1" : "0") +
                  "\n";
    bool bPreferences = info.m_fE != 0;
    record += std::string("printer:") + info.m_szPrinterName + "\nport:" + info.m_szPortName +
              "\ndriver:" + info.m_szDriverName + "\nmodel:" + info.m_szModelID +
              "\nopen:" + (bPreferences ? "preferences" : "status") + "\n";

    const char* exportName = bPreferences ? "PrStartPreference" : "PrStartView";
    char core[260] = "";
    HMODULE hCore = nullptr;
    FARPROC fn = nullptr;
    if (vix::FindPrnDll(info.m_szDriverName, info.m_szModelID, core, sizeof(core))) {
        hCore = LoadLibraryA(core);
        if (hCore) fn = GetProcAddress(hCore, exportName);
    }
    record += std::string("export:") + exportName + (fn ? " loaded" : " missing") + "\nend\n";
    AppendRecord(record);

    LONG result = 1;
    if (fn && bPreferences) {
        result = reinterpret_cast<PFN_PrStartPreference>(fn)(info.m_szPrinterName, info.m_szDriverName,
                                                            info.m_szPortName, info.m_szModelID, nullptr, nullptr);
    } else if (fn) {
        result = reinterpret_cast<PFN_PrStartView>(fn)(2, info.m_szPrinterName, info.m_szDriverName,
                                                      info.m_szPortName, info.m_szModelID, nullptr, nullptr,
                                                      nullptr, 0);
    }
    if (hCore) FreeLibrary(hCore);
    return static_cast<int>(result);
}
