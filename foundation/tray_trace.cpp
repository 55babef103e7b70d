#include "foundation/tray_trace.h"

#include <windows.h>

#include <string>

#include "foundation/text.h"

namespace vix {

int CTrayTrace::Init(const char* path, const char* valueName) {
    m_bEnabled = false;
    m_szPath[0] = '\0';
    if (!path || !path[0]) return 0;
    if (!CopyText(m_szPath, path, TextFit::Fail)) return 0;
    if (!valueName) return 0;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZARVO\\VIX3\\Debug", 0, KEY_READ, &hKey) != ERROR_SUCCESS) return 0;
    DWORD value = 0, type = 0, size = sizeof(value);
    LONG rc = RegQueryValueExA(hKey, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(hKey);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value) || value == 0) return 0;
    m_bEnabled = true;
    return 1;
}

int CTrayTrace::InitEnabled(const char* path) {
    m_bEnabled = false;
    m_szPath[0] = '\0';
    if (!path || !path[0] || !CopyText(m_szPath, path, TextFit::Fail)) return 0;
    m_bEnabled = true;
    return 1;
}

int CTrayTrace::WriteLine(const char* body) {
    char prefix[48];
    long tick = static_cast<long>(GetTickCount());
    int n = m_style == TrayTraceStyle::Tick
                ? std::snprintf(prefix, sizeof(prefix), "%10ld : ", tick)
                : std::snprintf(prefix, sizeof(prefix), "%08X:%10ld: ",
                                static_cast<unsigned>(GetCurrentProcessId()), tick);
    if (n < 0) return 0;
    std::string line(prefix, static_cast<std::size_t>(n));
    line.append(body);
    line.push_back('\n');
    // The handle is held only while this one line is written.
    m_fp = std::fopen(m_szPath, "a+");
    if (!m_fp) return 0;
    std::fwrite(line.data(), 1, line.size(), m_fp);
    Close();
    return 1;
}

int CTrayTrace::Msg(const char* text) {
    if (!m_bEnabled || !text) return 0;
    return WriteLine(text);
}

int CTrayTrace::MsgStr(const char* label, const char* text) {
    if (!m_bEnabled || !label || !text) return 0;
    std::string body(label);
    body.append(" : ");
    body.append(text);
    return WriteLine(body.c_str());
}

int CTrayTrace::MsgNum(const char* label, long value) {
    if (!m_bEnabled || !label) return 0;
    std::string body(label);
    body.append(" : ");
    body.append(std::to_string(value));
    return WriteLine(body.c_str());
}

void CTrayTrace::Close() {
    if (m_fp) {
        std::fclose(m_fp);
        m_fp = nullptr;
    }
}

}  // namespace vix
