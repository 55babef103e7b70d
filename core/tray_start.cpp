#include "core/tray_start.h"

#include "foundation/settings.h"

#include <windows.h>

#include <vector>

#include "foundation/param_file.h"
#include "foundation/printer_info.h"
#include "foundation/registry_key.h"
#include "foundation/text.h"
#include "foundation/trace.h"

namespace vix {
namespace core {

const char kRunKey[] = "software\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

bool StartProgram(const std::string& commandLine) {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

}  // namespace

bool FindTrayAgent(const char* driver, const char* model, std::string* path) {
    char found[260] = "";
    if (!path || !FindModulePath("Z_SICN", "VIXICN2.EXE", driver, model, found, sizeof(found))) return false;
    *path = found;
    return true;
}

int UpdateTrayAgent(const char* printer, const char* port, const char* driver, const char* model,
                    bool bIconEnabled) {
    TraceScope ts("UpdateTrayAgent");
    std::string_view name = SafeView(printer).empty() ? SafeView(port) : SafeView(printer);
    if (name.empty()) return 0;
    const std::string valueName(name);
    std::string agent;
    bool bFound = FindTrayAgent(driver, model, &agent);

    // 1. The start-up entry.
    RegistryKey run;
    if (bIconEnabled) {
        if (bFound && run.Open(HKEY_CURRENT_USER, kRunKey, true)) {
            std::string entry = cmdline::CoreRunEntry(agent, name, SafeView(model));
            TraceWrite(ts, "Run entry : %s\n", entry.c_str());
            run.WriteString(valueName.c_str(), entry.c_str());
        }
    } else if (run.Open(HKEY_CURRENT_USER, kRunKey, false, KEY_ALL_ACCESS) && run.ValueSize(valueName.c_str())) {
        TraceWrite(ts, "Delete Run entry : %s\n", valueName.c_str());
        run.DeleteValue(valueName.c_str());
    }
    if (!bFound) {
        TraceWrite(ts, "tray agent not found\n");
        return 0;
    }

    // 2. Start the agent.
    cmdInfo info;
    info.m_fRemove = bIconEnabled ? 0 : 1;
    bool bFile = info.WriteParamFile(printer, port, model) == 1;
    std::string commandLine = bFile ? cmdline::CoreToTrayWithFile(agent, info.m_szParamFile)
                                    : cmdline::CoreToTrayLong(agent, SafeView(printer), SafeView(port),
                                                              SafeView(model), !bIconEnabled);
    TraceWrite(ts, "command line : %s\n", commandLine.c_str());
    if (StartProgram(commandLine)) return 1;
    TraceWrite(ts, "CreateProcess Failed\n");
    if (bFile) info.DeleteParamFile(info.m_szParamFile);
    return 0;
}

}  // namespace core
}  // namespace vix
