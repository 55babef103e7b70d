// The tray agent's trace log: flat lines, switched on by HKLM
// "SOFTWARE\ZARVO\VIX3\Debug" and a DWORD value named by the agent.
#ifndef VIX_FOUNDATION_TRAY_TRACE_H
#define VIX_FOUNDATION_TRAY_TRACE_H

#include <cstdio>

namespace vix {

enum class TrayTraceStyle {
    Tick,     // "%10ld : text"              (vixtray, vixtrayw)
    PidTick,  // "%08X:%10ld: text"          (vixtray4)
};

class CTrayTrace {
public:
    explicit CTrayTrace(TrayTraceStyle style) : m_style(style) {}
    ~CTrayTrace() { Close(); }
    CTrayTrace(const CTrayTrace&) = delete;
    CTrayTrace& operator=(const CTrayTrace&) = delete;

    // Clears the switch and the path; stores the path and reads the switch
    // value. Returns 1 when tracing is on.
    int Init(const char* path, const char* valueName);
    // For tests: switch on without the registry.
    int InitEnabled(const char* path);

    int Msg(const char* text);
    int MsgStr(const char* label, const char* text);
    int MsgNum(const char* label, long value);
    // Releases the file handle if one is still held.
    void Close();

    bool IsEnabled() const { return m_bEnabled; }

private:
    int WriteLine(const char* body);

    TrayTraceStyle m_style;
    bool m_bEnabled = false;
    char m_szPath[260] = {};
    std::FILE* m_fp = nullptr;
};

}  // namespace vix

#endif
