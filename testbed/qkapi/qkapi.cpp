// The test bench's bidirectional library: the twelve operations over the
// emulated printers of emu/bed_state. Built as QKAPI.DLL, QKAPI4.DLL (and a
// variant without QKGetDeviceID). It follows the size-discovery protocol and
// the result codes of the real library; tests arm faults to make it
// misbehave, and every call is appended to the shared call log.
#include <windows.h>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "comm/qkapi.h"
#include "emu/bed_state.h"
#include "emu/responder.h"

using namespace vixbed;

namespace {

// Codes of this library beyond the shared ones.
constexpr LONG E_GENERAL = -1;
constexpr LONG E_NOT_INITIALISED = -2;
constexpr LONG E_NO_PRINTER = -3;
constexpr LONG E_NO_CHANNEL = -5;
constexpr LONG E_BAD_HANDLE = -6;
constexpr LONG E_CANCELLED = -7;

struct PendingReply {
    std::string bytes;
    DWORD readyTick = 0;  // the printer answers late when this lies ahead
};

struct Channel {
    std::string printer;
    DWORD number = 0;
    uint16_t mode = 0;
    HWND readWindow = nullptr;
    HWND statusWindow = nullptr;
    std::deque<PendingReply> replies;
    bool cancel = false;
    bool readNotified = false;
    std::string lastNotifiedStatus;
    bool statusNotified = false;
};

HINSTANCE g_hInstance;
std::mutex g_lock;
std::condition_variable g_replyReady;
std::map<LONG, Channel> g_channels;
LONG g_nextHandle = 0x100;
long g_initCount = 0;

std::string StatusReplyOf(const std::string& printer);

// The library's own thread that posts WM_QKAPI_READ and WM_QKAPI_STATUS to
// the windows registered with QKSetOption.
HANDLE g_hNotifier = nullptr;
bool g_bNotifierStop = false;
std::condition_variable g_notifierWake;

bool ReplyReady(const Channel& ch) {
    return !ch.replies.empty() && static_cast<LONG>(GetTickCount() - ch.replies.front().readyTick) >= 0;
}

std::string ModuleName() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(g_hInstance, path, MAX_PATH);
    const char* base = std::strrchr(path, '\\');
    return base ? base + 1 : path;
}

std::string ModulePath() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(g_hInstance, path, MAX_PATH);
    return path;
}

LONG Log(const char* op, const std::string& printer, const std::string& args, LONG result) {
    CallRecord r;
    r.pid = GetCurrentProcessId();
    r.module = ModuleName();
    r.op = op;
    r.printer = printer;
    r.args = args;
    r.result = result;
    AppendCallLog(r);
    return result;
}

std::string Hex(const void* p, LONG n) {
    static const char k[] = "0123456789ABCDEF";
    std::string s;
    const unsigned char* b = static_cast<const unsigned char*>(p);
    for (LONG i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += k[b[i] >> 4];
        s += k[b[i] & 15];
    }
    return s;
}

std::string Num(long long v) { return std::to_string(v); }

bool Initialised() {
    std::lock_guard<std::mutex> g(g_lock);
    return g_initCount > 0;
}

// Size discovery over `bytes`: a null buffer asks for the size (-4); a buffer
// of at least the size receives the bytes and the call answers `success`.
// An armed fault changes the answers as a misbehaving library would.
LONG Deliver(const FaultSpec& f, const std::string& bytes, LONG success, void* buffer, LONG* size) {
    if (!size) return E_GENERAL;
    const LONG need = static_cast<LONG>(bytes.size());
    if (!buffer) {
        *size = f.hasProbeSize ? f.probeSize : need;
        return f.hasProbeResult ? f.probeResult : qk::QK_MORE_DATA;
    }
    LONG room = *size;
    if (room < need && !f.hasDataResult) {
        *size = need;
        return qk::QK_MORE_DATA;
    }
    LONG n = room < need ? (room > 0 ? room : 0) : need;
    std::memcpy(buffer, bytes.data(), static_cast<size_t>(n));
    *size = f.hasDataSize ? f.dataSize : n;
    return f.hasDataResult ? f.dataResult : success;
}

// The armed fault of an operation; a fixed result ends the call at once.
bool Fault(const std::string& printer, const char* op, FaultSpec& f, LONG* early) {
    TakeFault(printer, op, &f);
    if (f.delayMs) Sleep(f.delayMs);
    if (f.hasResult) {
        *early = f.result;
        return true;
    }
    return false;
}

bool ChannelOf(LONG handle, Channel* out) {
    std::lock_guard<std::mutex> g(g_lock);
    auto it = g_channels.find(handle);
    if (it == g_channels.end()) return false;
    *out = it->second;
    return true;
}

std::string StatusReplyOf(const std::string& printer) {
    std::string raw;
    if (GetRawReply(printer, &raw)) return raw;
    EmuPrinterSpec spec;
    if (!LoadEmuPrinter(printer, &spec)) return std::string();
    return BuildStatusReply(spec.condition);
}

DWORD WINAPI NotifierMain(void*) {
    std::unique_lock<std::mutex> g(g_lock);
    while (!g_bNotifierStop) {
        // What to look at, taken under the lock; the printer's state is read
        // without it.
        std::vector<std::pair<LONG, std::string>> statusWatch;
        for (auto& kv : g_channels) {
            Channel& ch = kv.second;
            if (ch.readWindow && ReplyReady(ch) && !ch.readNotified) {
                ch.readNotified = true;
                PostMessageA(ch.readWindow, qk::WM_QKAPI_READ, 0, static_cast<LPARAM>(kv.first));
            }
            if (ch.statusWindow) statusWatch.emplace_back(kv.first, ch.printer);
        }
        g.unlock();
        std::vector<std::pair<LONG, std::string>> replies;
        for (auto& w : statusWatch) replies.emplace_back(w.first, StatusReplyOf(w.second));
        g.lock();
        for (auto& r : replies) {
            auto it = g_channels.find(r.first);
            if (it == g_channels.end() || !it->second.statusWindow) continue;
            Channel& ch = it->second;
            if (!ch.statusNotified || ch.lastNotifiedStatus != r.second) {
                ch.statusNotified = true;
                ch.lastNotifiedStatus = r.second;
                PostMessageA(ch.statusWindow, qk::WM_QKAPI_STATUS, 0, static_cast<LPARAM>(r.first));
            }
        }
        g_notifierWake.wait_for(g, std::chrono::milliseconds(100));
    }
    return 0;
}

// Under g_lock.
void StartNotifierLocked() {
    if (g_hNotifier) return;
    g_bNotifierStop = false;
    g_hNotifier = CreateThread(nullptr, 0, NotifierMain, nullptr, 0, nullptr);
}

void StopNotifier() {
    HANDLE h;
    {
        std::lock_guard<std::mutex> g(g_lock);
        h = g_hNotifier;
        g_hNotifier = nullptr;
        g_bNotifierStop = true;
    }
    g_notifierWake.notify_all();
    if (h) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
    }
}

}  // namespace

extern "C" {

LONG __cdecl QKInitialize(void) {
    FaultSpec f;
    LONG early;
    if (Fault("", "QKInitialize", f, &early)) return Log("QKInitialize", "", ModulePath(), early);
    {
        std::lock_guard<std::mutex> g(g_lock);
        ++g_initCount;
    }
    return Log("QKInitialize", "", ModulePath(), 0);
}

LONG __cdecl QKRelease(void) {
    FaultSpec f;
    LONG early;
    if (Fault("", "QKRelease", f, &early)) return Log("QKRelease", "", "", early);
    bool last;
    {
        std::lock_guard<std::mutex> g(g_lock);
        if (g_initCount <= 0) return Log("QKRelease", "", "", E_NOT_INITIALISED);
        last = --g_initCount == 0;
    }
    if (last) StopNotifier();
    return Log("QKRelease", "", "", 0);
}

#ifndef VIXBED_NO_DEVICEID
LONG __cdecl QKGetDeviceID(LONG kind, LPCSTR name, LPSTR buffer, LONG* size) {
    std::string printer;
    std::string args = Num(kind) + (buffer ? " data " : " probe ") + (size ? Num(*size) : "null");
    if (!Initialised()) return Log("QKGetDeviceID", name ? name : "", args, E_NOT_INITIALISED);
    if (!FindEmuPrinter(kind, name, &printer)) return Log("QKGetDeviceID", name ? name : "", args, E_NO_PRINTER);
    FaultSpec f;
    LONG early;
    if (Fault(printer, "QKGetDeviceID", f, &early)) return Log("QKGetDeviceID", printer, args, early);
    EmuPrinterSpec spec;
    LoadEmuPrinter(printer, &spec);
    LONG rc = Deliver(f, spec.deviceId, static_cast<LONG>(spec.deviceId.size()), buffer, size);
    return Log("QKGetDeviceID", printer, args, rc);
}
#endif

LONG __cdecl QKGetAvailableChannel(LONG kind, LPCSTR name, void* buffer, LONG* size) {
    std::string printer;
    std::string args = Num(kind) + (buffer ? " data " : " probe ") + (size ? Num(*size) : "null");
    if (!Initialised()) return Log("QKGetAvailableChannel", name ? name : "", args, E_NOT_INITIALISED);
    if (!FindEmuPrinter(kind, name, &printer))
        return Log("QKGetAvailableChannel", name ? name : "", args, E_NO_PRINTER);
    FaultSpec f;
    LONG early;
    if (Fault(printer, "QKGetAvailableChannel", f, &early)) return Log("QKGetAvailableChannel", printer, args, early);
    EmuPrinterSpec spec;
    LoadEmuPrinter(printer, &spec);
    std::string list;
    for (const ChannelDef& c : spec.channels) {
        qk::ChannelEntry e{c.channel, c.mode, 0};
        list.append(reinterpret_cast<const char*>(&e), sizeof(e));
    }
    LONG rc = Deliver(f, list, static_cast<LONG>(spec.channels.size()), buffer, size);
    return Log("QKGetAvailableChannel", printer, args, rc);
}

LONG __cdecl QKOpenChannel(LONG kind, LPCSTR name, DWORD number) {
    std::string printer;
    char num[16];
    std::snprintf(num, sizeof(num), "0x%08X", static_cast<unsigned>(number));
    std::string args = Num(kind) + " " + num;
    if (!Initialised()) return Log("QKOpenChannel", name ? name : "", args, E_NOT_INITIALISED);
    if (!FindEmuPrinter(kind, name, &printer)) return Log("QKOpenChannel", name ? name : "", args, E_NO_PRINTER);
    FaultSpec f;
    LONG early;
    if (Fault(printer, "QKOpenChannel", f, &early)) return Log("QKOpenChannel", printer, args, early);
    EmuPrinterSpec spec;
    LoadEmuPrinter(printer, &spec);
    for (const ChannelDef& c : spec.channels) {
        if (c.channel != number) continue;
        std::lock_guard<std::mutex> g(g_lock);
        LONG h = g_nextHandle++;
        Channel& ch = g_channels[h];
        ch.printer = printer;
        ch.number = number;
        ch.mode = c.mode;
        return Log("QKOpenChannel", printer, args, h);
    }
    return Log("QKOpenChannel", printer, args, E_NO_CHANNEL);
}

LONG __cdecl QKCloseChannel(LONG handle) {
    std::string printer;
    {
        std::lock_guard<std::mutex> g(g_lock);
        auto it = g_channels.find(handle);
        if (it == g_channels.end()) return Log("QKCloseChannel", "", Num(handle), E_BAD_HANDLE);
        printer = it->second.printer;
        g_channels.erase(it);
    }
    g_replyReady.notify_all();
    return Log("QKCloseChannel", printer, Num(handle), 0);
}

LONG __cdecl QKSetOption(LONG handle, LONG option, void* value) {
    std::lock_guard<std::mutex> g(g_lock);
    auto it = g_channels.find(handle);
    std::string args = Num(handle) + " " + Num(option);
    if (it == g_channels.end()) return Log("QKSetOption", "", args, E_BAD_HANDLE);
    HWND hwnd = value ? *static_cast<HWND*>(value) : nullptr;
    if (option == qk::QK_OPTION_READ_NOTIFY) {
        it->second.readWindow = hwnd;
        it->second.readNotified = false;
    } else if (option == qk::QK_OPTION_STATUS_NOTIFY) {
        it->second.statusWindow = hwnd;
        it->second.statusNotified = false;
    } else {
        return Log("QKSetOption", it->second.printer, args, E_GENERAL);
    }
    if (hwnd) StartNotifierLocked();
    g_notifierWake.notify_all();
    return Log("QKSetOption", it->second.printer, args, 0);
}

LONG __cdecl QKGetOption(LONG handle, LONG option, void* value) {
    std::lock_guard<std::mutex> g(g_lock);
    auto it = g_channels.find(handle);
    if (it == g_channels.end() || !value) return E_BAD_HANDLE;
    if (option == qk::QK_OPTION_READ_NOTIFY) *static_cast<HWND*>(value) = it->second.readWindow;
    else if (option == qk::QK_OPTION_STATUS_NOTIFY) *static_cast<HWND*>(value) = it->second.statusWindow;
    else return E_GENERAL;
    return 0;
}

LONG __cdecl QKReceiveCancel(LONG handle) {
    std::string printer;
    {
        std::lock_guard<std::mutex> g(g_lock);
        auto it = g_channels.find(handle);
        if (it == g_channels.end()) return Log("QKReceiveCancel", "", Num(handle), E_BAD_HANDLE);
        it->second.cancel = true;
        printer = it->second.printer;
    }
    g_replyReady.notify_all();
    return Log("QKReceiveCancel", printer, Num(handle), 0);
}

LONG __cdecl QKGetStatus(LONG handle, LPSTR buffer, LONG* size) {
    Channel ch;
    std::string args = Num(handle) + (buffer ? " data " : " probe ") + (size ? Num(*size) : "null");
    if (!ChannelOf(handle, &ch)) return Log("QKGetStatus", "", args, E_BAD_HANDLE);
    FaultSpec f;
    LONG early;
    if (Fault(ch.printer, "QKGetStatus", f, &early)) return Log("QKGetStatus", ch.printer, args, early);
    std::string reply = StatusReplyOf(ch.printer);
    LONG rc = Deliver(f, reply, static_cast<LONG>(reply.size()), buffer, size);
    return Log("QKGetStatus", ch.printer, args, rc);
}

LONG __cdecl QKSend(LONG handle, const void* bytes, LONG length) {
    Channel ch;
    std::string args = Num(handle) + " " + (bytes && length > 0 ? Hex(bytes, length) : std::string("-"));
    if (!ChannelOf(handle, &ch)) return Log("QKSend", "", args, E_BAD_HANDLE);
    if (!bytes || length <= 0) return Log("QKSend", ch.printer, args, E_GENERAL);
    FaultSpec f;
    LONG early;
    if (Fault(ch.printer, "QKSend", f, &early)) return Log("QKSend", ch.printer, args, early);
    EmuPrinterSpec spec;
    LoadEmuPrinter(ch.printer, &spec);
    CommandAnswer answer = Respond(spec.condition, std::string(static_cast<const char*>(bytes), length));
    if (answer.conditionChanged) SaveCondition(ch.printer, answer.condition);
    // A silent printer takes the command and never answers.
    if (answer.hasReply && GetPrinterDword(ch.printer, "Silent", 0) == 0) {
        DWORD delay = GetPrinterDword(ch.printer, "ReplyDelayMs", 0);
        std::lock_guard<std::mutex> g(g_lock);
        auto it = g_channels.find(handle);
        if (it != g_channels.end()) it->second.replies.push_back({answer.reply, GetTickCount() + delay});
    }
    g_replyReady.notify_all();
    g_notifierWake.notify_all();
    return Log("QKSend", ch.printer, args, length);
}

LONG __cdecl QKReceive(LONG handle, void* buffer, LONG* size, DWORD timeoutMs) {
    std::string args = Num(handle) + (buffer ? " data " : " probe ") + (size ? Num(*size) : "null") + " " +
                       Num(timeoutMs);
    Channel snapshot;
    if (!ChannelOf(handle, &snapshot)) return Log("QKReceive", "", args, E_BAD_HANDLE);
    FaultSpec f;
    LONG early;
    if (Fault(snapshot.printer, "QKReceive", f, &early)) return Log("QKReceive", snapshot.printer, args, early);
    std::unique_lock<std::mutex> g(g_lock);
    const DWORD start = GetTickCount();
    for (;;) {
        auto it = g_channels.find(handle);
        if (it == g_channels.end() || it->second.cancel || ReplyReady(it->second)) break;
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) break;
        // Wake for a new reply, a cancel, or when a late reply comes due.
        DWORD wait = timeoutMs - waited;
        if (!it->second.replies.empty()) {
            LONG due = static_cast<LONG>(it->second.replies.front().readyTick - GetTickCount());
            if (due >= 0 && static_cast<DWORD>(due) + 1 < wait) wait = static_cast<DWORD>(due) + 1;
        }
        g_replyReady.wait_for(g, std::chrono::milliseconds(wait));
    }
    auto it = g_channels.find(handle);
    if (it == g_channels.end()) {
        g.unlock();
        return Log("QKReceive", snapshot.printer, args, E_BAD_HANDLE);
    }
    if (it->second.cancel) {
        it->second.cancel = false;
        g.unlock();
        return Log("QKReceive", snapshot.printer, args, E_CANCELLED);
    }
    if (!ReplyReady(it->second)) {
        g.unlock();
        return Log("QKReceive", snapshot.printer, args, qk::QK_TIMEOUT);
    }
    std::string reply = it->second.replies.front().bytes;
    LONG rc = Deliver(f, reply, static_cast<LONG>(reply.size()), buffer, size);
    if (buffer && rc >= 0) {  // delivered
        it->second.replies.pop_front();
        it->second.readNotified = false;
    }
    g.unlock();
    return Log("QKReceive", snapshot.printer, args, rc);
}

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_hInstance = hInstance;
        DisableThreadLibraryCalls(hInstance);
    }
    return TRUE;
}

}  // extern "C"
