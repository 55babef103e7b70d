#include "installer/wow64.h"

#include <windows.h>

#include "installer/update_log.h"

namespace zvu {

namespace {

FARPROC Kernel32Proc(const char* name) {
    HMODULE k = GetModuleHandleA("kernel32");
    return k ? GetProcAddress(k, name) : nullptr;
}

// Redirection applies per thread: the saved value and the depth of the
// scopes are the thread's own.
thread_local int t_depth = 0;
thread_local bool t_saved = false;
thread_local PVOID t_value = nullptr;

void Disable() {
    if (t_saved || !IsWow64()) return;
    using Fn = BOOL(WINAPI*)(PVOID*);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel32Proc("Wow64DisableWow64FsRedirection")));
    if (!fn) return;
    BOOL r = fn(&t_value);
    WriteLog("WOW64DISABLEWOW64FSREDIRECTION result=%ld.\r\n", static_cast<long>(r));
    if (r) t_saved = true;
}

void Revert() {
    if (!t_saved) return;
    using Fn = BOOL(WINAPI*)(PVOID);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel32Proc("Wow64RevertWow64FsRedirection")));
    if (!fn) return;
    BOOL r = fn(t_value);
    WriteLog("WOW64REVERTWOW64FSREDIRECTION result=%ld.\r\n", static_cast<long>(r));
    if (r) {
        t_saved = false;
        t_value = nullptr;
    }
}

}  // namespace

bool IsWow64() {
    using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Kernel32Proc("IsWow64Process")));
    BOOL wow = FALSE;
    return fn && fn(GetCurrentProcess(), &wow) && wow;
}

NoRedirection::NoRedirection() {
    if (t_depth++ == 0) Disable();
}

NoRedirection::~NoRedirection() {
    if (--t_depth == 0) Revert();
}

void RevertRedirection() {
    t_depth = 0;
    Revert();
}

}  // namespace zvu
