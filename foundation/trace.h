// The core library's trace log: off unless HKLM "Software\Zarvo\VIX3" "log"
// is nonzero when the library loads. With tracing off a trace call costs one
// flag test and touches no file.
#ifndef VIX_FOUNDATION_TRACE_H
#define VIX_FOUNDATION_TRACE_H

#include <atomic>
#include <cstdarg>
#include <cstddef>

namespace vix {

constexpr unsigned kTraceDepthCounters = 3;

// One trace file with its switch and nesting depths. The library has one
// process-wide instance (CoreTraceLog); tests make their own on other paths.
class CTraceLog {
public:
    explicit CTraceLog(const char* path);
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    bool IsEnabled() const { return m_bEnabled; }
    void SetEnabled(bool on) { m_bEnabled = on; }
    const char* Path() const { return m_szPath; }

    // Reads the switch from the registry once (at library load).
    void LoadSwitch();

    // One entry: prefix, indentation of the counter's depth, message.
    int WriteV(unsigned counter, const char* format, va_list args);
    int WriteLiteral(unsigned counter, const char* text, std::size_t length);
    // Appends raw bytes to "C:\<label>.bin" (beside the log).
    int AppendBinary(const char* label, const void* bytes, std::size_t count);

    void Enter(unsigned counter) { m_depth[counter].fetch_add(1, std::memory_order_relaxed); }
    void Leave(unsigned counter) { m_depth[counter].fetch_sub(1, std::memory_order_relaxed); }
    unsigned Depth(unsigned counter) const { return m_depth[counter].load(std::memory_order_relaxed); }

private:
    int WriteEntry(unsigned counter, const char* message, std::size_t length);

    volatile bool m_bEnabled = false;
    char m_szPath[260];
    // The depths are shared by all threads without a lock; entries of
    // concurrent threads may be indented by each other's scopes.
    std::atomic<unsigned> m_depth[kTraceDepthCounters] = {};
};

// The library's log, "C:\VIX3.LOG".
CTraceLog& CoreTraceLog();

// A traced operation: created at its top, left on every path out.
class TraceScope {
public:
    explicit TraceScope(const char* name = nullptr, unsigned counter = 0)
        : TraceScope(CoreTraceLog(), name, counter) {}
    TraceScope(CTraceLog& log, const char* name, unsigned counter = 0);
    ~TraceScope() {
        if (m_bEntered) m_log.Leave(m_uCounter);
    }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;

    CTraceLog& Log() const { return m_log; }
    unsigned Counter() const { return m_uCounter; }

private:
    CTraceLog& m_log;
    unsigned m_uCounter = 0;
    bool m_bEntered = false;
};

int TraceWriteV(const TraceScope& scope, const char* format, ...);

// printf-style entry of up to nine argument words.
template <class... Args>
inline int TraceWrite(const TraceScope& scope, const char* format, Args... args) {
    static_assert(sizeof...(Args) <= 9, "a trace entry takes up to nine arguments");
    if (!scope.Log().IsEnabled()) return 0;
    return TraceWriteV(scope, format, args...);
}

// Mode 1 writes "label" and the bytes as upper-case hex pairs separated by
// blanks, ended by a line feed, as one entry; any other mode appends the raw
// bytes to "C:\label.bin".
int TraceDump(const TraceScope& scope, const void* bytes, int count, int mode, const char* label);

}  // namespace vix

#endif
