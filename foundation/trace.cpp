#include "foundation/trace.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/text.h"

namespace vix {

CTraceLog::CTraceLog(const char* path) {
    CopyText(m_szPath, SafeView(path), TextFit::Fail);
}

void CTraceLog::LoadSwitch() {
    HKEY hKey = nullptr;
    DWORD value = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Zarvo\\VIX3", 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
        DWORD type = 0, size = sizeof(value);
        if (RegQueryValueExA(hKey, "log", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof(value)) {
            value = 0;
        }
        RegCloseKey(hKey);
    }
    m_bEnabled = value != 0;
}

int CTraceLog::WriteEntry(unsigned counter, const char* message, std::size_t length) {
    if (!m_szPath[0]) return 0;
    char prefix[64];
    int n = std::snprintf(prefix, sizeof(prefix), "%08X:%08X:%010u: ", static_cast<unsigned>(GetCurrentProcessId()),
                          static_cast<unsigned>(GetCurrentThreadId()), static_cast<unsigned>(GetTickCount()));
    if (n < 0) return 0;
    std::string entry(prefix, static_cast<std::size_t>(n));
    entry.append(2u * Depth(counter < kTraceDepthCounters ? counter : 0), ' ');
    entry.append(message, length);
    // One open-append-close per entry: several processes share the file and
    // it survives a crash of any of them.
    FILE* fp = std::fopen(m_szPath, "a");
    if (!fp) return 0;
    std::fwrite(entry.data(), 1, entry.size(), fp);
    std::fclose(fp);
    return 1;
}

int CTraceLog::WriteV(unsigned counter, const char* format, va_list args) {
    if (!m_bEnabled || !format) return 0;
    char stack[1024];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(stack, sizeof(stack), format, copy);
    va_end(copy);
    if (n < 0) return 0;
    if (static_cast<std::size_t>(n) < sizeof(stack)) return WriteEntry(counter, stack, static_cast<std::size_t>(n));
    std::vector<char> heap(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(heap.data(), heap.size(), format, args);
    return WriteEntry(counter, heap.data(), static_cast<std::size_t>(n));
}

int CTraceLog::WriteLiteral(unsigned counter, const char* text, std::size_t length) {
    if (!m_bEnabled || !text) return 0;
    return WriteEntry(counter, text, length);
}

int CTraceLog::AppendBinary(const char* label, const void* bytes, std::size_t count) {
    if (!m_bEnabled) return 0;
    // The binary dump lies in the log's directory: "C:\<label>.bin".
    char path[MAX_PATH];
    const char* slash = std::strrchr(m_szPath, '\\');
    std::size_t dirLen = slash ? static_cast<std::size_t>(slash - m_szPath) + 1 : 0;
    if (!CopyText(path, std::string_view(m_szPath, dirLen), TextFit::Fail) ||
        !AppendText(path, SafeView(label), TextFit::Fail) || !AppendText(path, ".bin", TextFit::Fail)) {
        return 0;
    }
    FILE* fp = std::fopen(path, "ab");
    if (!fp) return 0;
    std::fwrite(bytes, 1, count, fp);
    std::fclose(fp);
    return 1;
}

CTraceLog& CoreTraceLog() {
    static CTraceLog log("C:\\VIX3.LOG");
    return log;
}

TraceScope::TraceScope(CTraceLog& log, const char* name, unsigned counter) : m_log(log) {
    if (!log.IsEnabled()) return;
    m_uCounter = counter < kTraceDepthCounters ? counter : 0;
    TraceWrite(*this, "\n");
    TraceWrite(*this, "---\n");
    if (name) TraceWrite(*this, "%s\n", name);
    m_log.Enter(m_uCounter);
    m_bEntered = true;
}

int TraceWriteV(const TraceScope& scope, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int r = scope.Log().WriteV(scope.Counter(), format, args);
    va_end(args);
    return r;
}

int TraceDump(const TraceScope& scope, const void* bytes, int count, int mode, const char* label) {
    CTraceLog& log = scope.Log();
    if (!log.IsEnabled() || !bytes || count <= 0 || !label || !label[0]) return 0;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    if (mode != 1) return log.AppendBinary(label, p, static_cast<std::size_t>(count));
    static const char kHex[] = "0123456789ABCDEF";
    std::string line;
    try {
        line.reserve(std::strlen(label) + 3u * static_cast<std::size_t>(count) + 1);
    } catch (...) {
        return 0;  // no line buffer: nothing is written
    }
    line.append(label);
    for (int i = 0; i < count; ++i) {
        line.push_back(kHex[p[i] >> 4]);
        line.push_back(kHex[p[i] & 0x0F]);
        line.push_back(i + 1 < count ? ' ' : '\n');
    }
    return log.WriteLiteral(scope.Counter(), line.data(), line.size());
}

}  // namespace vix
