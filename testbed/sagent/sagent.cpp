// Stands in for a driver's status-agent control library. The agent's state
// lives in HKLM\Software\VixBed\SAgent\<driver> (64-bit view), where a test
// sets and reads it:
//   "Installed", "Running" (DWORD 0/1)  what the calls did
//   "State"     (DWORD)  when present, what CheckSAgent reports instead of
//                        Running (1 and 2 mean running and allowed)
//   "Result"    (DWORD)  the result every call returns (default 0)
//   "DelayMs"   (DWORD)  every call takes this long
// Every call is appended to the bench's call log.
#include <windows.h>

#include <string>

#include "emu/bed_state.h"
#include "foundation/registry_key.h"

namespace {

std::string AgentKey(const char* driver) {
    return std::string(vixbed::kBedRoot) + "\\SAgent\\" + vixbed::PrinterKeyName(driver ? driver : "");
}

bool OpenAgent(const char* driver, vix::RegistryKey* key) {
    return key->Open(HKEY_LOCAL_MACHINE, AgentKey(driver).c_str(), true, KEY_ALL_ACCESS | KEY_WOW64_64KEY);
}

// A slow agent: the call takes its time before it touches the state.
void Delay(const char* driver) {
    vix::RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, AgentKey(driver).c_str(), false, KEY_READ | KEY_WOW64_64KEY)) {
        DWORD delay = key.ReadDword("DelayMs", 0);
        if (delay) Sleep(delay);
    }
}

int Finish(const char* op, const char* driver, const vix::RegistryKey& key, const std::string& args) {
    int rc = static_cast<int>(key.ReadDword("Result", 0));
    vixbed::CallRecord r;
    r.pid = GetCurrentProcessId();
    r.module = "VIXSAGNT";
    r.op = op;
    r.printer = driver ? driver : "";
    r.args = args;
    r.result = rc;
    vixbed::AppendCallLog(r);
    return rc;
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI InstallSAgent(const char* driver) {
    Delay(driver);
    vixbed::BedLock lock;
    vix::RegistryKey key;
    if (!OpenAgent(driver, &key)) return -1;
    key.WriteDword("Installed", 1);
    return Finish("InstallSAgent", driver, key, "-");
}

extern "C" __declspec(dllexport) int WINAPI StartSAgent(const char* driver, int flag) {
    Delay(driver);
    vixbed::BedLock lock;
    vix::RegistryKey key;
    if (!OpenAgent(driver, &key)) return -1;
    if (key.ReadDword("Installed", 0)) key.WriteDword("Running", flag ? 1 : 0);
    return Finish("StartSAgent", driver, key, std::to_string(flag));
}

extern "C" __declspec(dllexport) int WINAPI CheckSAgent(const char* driver, int* pValue) {
    Delay(driver);
    vixbed::BedLock lock;
    vix::RegistryKey key;
    if (!OpenAgent(driver, &key)) return -1;
    DWORD state = key.ReadDword("State");
    int value = state != 0xFFFFFFFFu ? static_cast<int>(state)
                                     : static_cast<int>(key.ReadDword("Installed", 0) && key.ReadDword("Running", 0));
    if (pValue) *pValue = value;
    return Finish("CheckSAgent", driver, key, std::to_string(value));
}

extern "C" __declspec(dllexport) int WINAPI UninstallSAgent(const char* driver) {
    Delay(driver);
    vixbed::BedLock lock;
    vix::RegistryKey key;
    if (!OpenAgent(driver, &key)) return -1;
    key.WriteDword("Installed", 0);
    key.WriteDword("Running", 0);
    return Finish("UninstallSAgent", driver, key, "-");
}
