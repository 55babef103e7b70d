#include "core/qk_printer_info.h"

#include <windows.h>

#include <string>

#include "core/component_rules.h"
#include "core/sagent_control.h"
#include "foundation/registry_key.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/trace.h"

namespace vix {

namespace {

const char kPrinter4[] = "Software\\ZARVO\\QKPrinter4";
const char kProvider3[] = "Software\\ZARVO\\QKProvider3";
const char kPrinter[] = "software\\ZARVO\\QKPrinter";

bool KeyExists(const char* path) {
    RegistryKey key;
    return key.Open(HKEY_LOCAL_MACHINE, path);
}

bool AllowMonitoring(const char* path) {
    RegistryKey key;
    return key.Open(HKEY_LOCAL_MACHINE, path) && key.ReadDword("AllowMonitoring", 0) != 0;
}

}  // namespace

CQkPrinterInfo::CQkPrinterInfo(const char* driver) {
    TraceScope ts("CQkPrinterInfo::CQkPrinterInfo");
    CopyText(m_szDriver, SafeView(driver), TextFit::Fail);
    DWORD version = GetQkapiVersion(m_szDriver);
    char path[260];
    RegistryKey key;
    bool bKey = m_szDriver[0] && DriverKeyPath(m_szDriver, path, sizeof(path)) && key.Open(HKEY_LOCAL_MACHINE, path);
    char qkapi32[260] = "";
    if (bKey) key.ReadString("QKAPI32", qkapi32, sizeof(qkapi32));
    m_iGeneration = ComponentGeneration(version, bKey, qkapi32);
    TraceWrite(ts, "Generation : %d\n", m_iGeneration);
}

bool CQkPrinterInfo::IsInstalled() const {
    switch (m_iGeneration) {
    case 4: return KeyExists(kPrinter4);
    case 3: return KeyExists(kProvider3);
    default: return KeyExists(kPrinter);
    }
}

bool CQkPrinterInfo::IsShareAvailable() const {
    if (m_iGeneration == 4) return KeyExists("Software\\ZARVO\\QKPrinter4\\SHARE4");
    if (m_iGeneration == 3) return false;
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, "Software\\ZARVO\\QKPrinter\\QKRequestRouter")) return false;
    for (DWORD i = 0;; ++i) {
        char name[260];
        DWORD nameLen = sizeof(name);
        char data[32];
        DWORD dataLen = sizeof(data);
        DWORD type = 0;
        LONG rc = RegEnumValueA(key.Handle(), i, name, &nameLen, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                &dataLen);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;  // a longer name or data is no share value
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        if (IsShareRouterValue(std::string_view(name, nameLen), BoundedView(data, dataLen))) return true;
    }
    return false;
}

bool CQkPrinterInfo::IsMonitoringAllowed() const {
    switch (m_iGeneration) {
    case 4: {
        CSAgentControl agent;
        if (agent.Load(m_szDriver)) {
            int value = 0;
            agent.Check(&value);
            return value == 1 || value == 2;
        }
        return AllowMonitoring("Software\\ZARVO\\QKPrinter4\\SAgent4");
    }
    case 3: return false;
    case 2: return AllowMonitoring("Software\\ZARVO\\QKPrinter\\SAgent2");
    default: return KeyExists("Software\\ZARVO\\QKPrinter\\SAgent");
    }
}

}  // namespace vix
