// Owners of Windows handles: each frees its handle when it goes.
#ifndef VIX_FOUNDATION_HANDLES_H
#define VIX_FOUNDATION_HANDLES_H

#include <windows.h>
#include <winspool.h>

namespace vix {

template <class H, class Traits>
class UniqueHandleT {
public:
    UniqueHandleT() = default;
    explicit UniqueHandleT(H h) : m_h(h) {}
    ~UniqueHandleT() { Reset(); }
    UniqueHandleT(const UniqueHandleT&) = delete;
    UniqueHandleT& operator=(const UniqueHandleT&) = delete;
    UniqueHandleT(UniqueHandleT&& o) noexcept : m_h(o.Release()) {}
    UniqueHandleT& operator=(UniqueHandleT&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    H Get() const { return m_h; }
    explicit operator bool() const { return Traits::Valid(m_h); }
    H Release() {
        H h = m_h;
        m_h = Traits::Invalid();
        return h;
    }
    void Reset(H h = Traits::Invalid()) {
        if (Traits::Valid(m_h)) Traits::Close(m_h);
        m_h = h;
    }
    H* Put() {
        Reset();
        return &m_h;
    }

private:
    H m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
struct PrinterHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static bool Valid(HANDLE h) { return h != nullptr; }
    static void Close(HANDLE h) { ClosePrinter(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static bool Valid(HMODULE h) { return h != nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static bool Valid(HKEY h) { return h != nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};

using UniqueHandle = UniqueHandleT<HANDLE, KernelHandleTraits>;
using UniqueFind = UniqueHandleT<HANDLE, FindHandleTraits>;
using UniquePrinter = UniqueHandleT<HANDLE, PrinterHandleTraits>;
using UniqueModule = UniqueHandleT<HMODULE, ModuleTraits>;
using UniqueRegKey = UniqueHandleT<HKEY, RegKeyTraits>;

// Memory from GlobalAlloc, freed unless released to a caller.
class UniqueGlobal {
public:
    UniqueGlobal() = default;
    explicit UniqueGlobal(HGLOBAL h) : m_h(h) {}
    ~UniqueGlobal() {
        if (m_h) GlobalFree(m_h);
    }
    UniqueGlobal(const UniqueGlobal&) = delete;
    UniqueGlobal& operator=(const UniqueGlobal&) = delete;
    HGLOBAL Get() const { return m_h; }
    HGLOBAL Release() {
        HGLOBAL h = m_h;
        m_h = nullptr;
        return h;
    }

private:
    HGLOBAL m_h = nullptr;
};

}  // namespace vix

#endif
