// A Windows critical section and its scoped lock.
#ifndef VIX_FOUNDATION_CRITICAL_SECTION_H
#define VIX_FOUNDATION_CRITICAL_SECTION_H

#include <windows.h>

namespace vix {

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;
    void Lock() { EnterCriticalSection(&m_cs); }
    void Unlock() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CLock {
public:
    explicit CLock(CCriticalSection& cs) : m_cs(cs) { m_cs.Lock(); }
    ~CLock() { m_cs.Unlock(); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;

private:
    CCriticalSection& m_cs;
};

}  // namespace vix

#endif
