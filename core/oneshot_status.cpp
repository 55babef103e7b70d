#include "core/oneshot_status.h"

#include <winspool.h>

#include <cstring>
#include <memory>
#include <new>

#include "foundation/handles.h"
#include "foundation/os_version.h"
#include "foundation/registry_key.h"
#include "foundation/text.h"
#include "foundation/trace.h"

namespace vix {
namespace oneshot {

const DWORD kStatusChannelPreference[6] = {qk::CHANNEL_LOCAL,  qk::CHANNEL_NET_STATUS, qk::CHANNEL_NET_RW,
                                           qk::CHANNEL_NET_CMD, qk::CHANNEL_TAGGED,    0};

namespace {

// Process-wide, filled on every call: the export is called from one thread
// at a time.
QkapiFuncTable g_funcs;

const char kDriverKeyBase[] = "Software\\ZARVO\\VIX3\\Driver\\";

// The driver key path of the printer's driver. 1 or RC_PRINTER.
LONG DriverKeyOfPrinter(const TraceScope& ts, const char* printer, char (&keyPath)[260]) {
    UniquePrinter hPrinter;
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printer), &h, nullptr)) {
        TraceWrite(ts, "OpenPrinter Failed\n");
        return RC_PRINTER;
    }
    hPrinter.Reset(h);
    DWORD needed = 0;
    GetPrinterA(hPrinter.Get(), 2, nullptr, 0, &needed);
    std::unique_ptr<BYTE[]> info(needed ? new (std::nothrow) BYTE[needed] : nullptr);
    if (!info || !GetPrinterA(hPrinter.Get(), 2, info.get(), needed, &needed)) {
        TraceWrite(ts, "GetPrinter Failed\n");
        return RC_PRINTER;
    }
    const PRINTER_INFO_2A* pi = reinterpret_cast<const PRINTER_INFO_2A*>(info.get());
    if (!CopyText(keyPath, kDriverKeyBase, TextFit::Fail) ||
        !AppendText(keyPath, SafeView(pi->pDriverName), TextFit::Fail)) {
        TraceWrite(ts, "GetPrinter Failed\n");  // a driver name too long for any key
        return RC_PRINTER;
    }
    return 1;
}

DWORD GetQkapiVersionOfPrinter(const TraceScope& ts, const char* printer) {
    char keyPath[260] = "";
    if (DriverKeyOfPrinter(ts, printer, keyPath) != 1) return 0;
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, keyPath)) return 0;
    return key.ReadDword("QKAPI_VERSION", 0);
}

// LoadQkapi: the library path from "QKAPI32", "QKAPI_VERSION", the
// operating-system class and "InstallPath". *pErr is RC_PRINTER when the
// printer could not be read, else RC_LOAD_LIBRARY.
HMODULE LoadQkapi(const char* printer, LONG* pErr) {
    TraceScope ts("LoadQkapi");
    *pErr = RC_LOAD_LIBRARY;
    char name[260] = "";
    if (GetVixDrvRegData(printer, "QKAPI32", name) != 1) {
        *pErr = RC_PRINTER;
        return nullptr;
    }
    if (!name[0]) CopyText(name, "QKAPI.DLL", TextFit::Fail);
    int osClass = CheckOSVersion();
    DWORD version = GetQkapiVersionOfPrinter(ts, printer);
    bool fromInstallDir = version != 0 ? (osClass == OS_WIN2000_XP && version > 3)
                                       : (osClass == OS_WIN2000_XP && EqualsNoCase(name, "QKAPI4.DLL"));
    char path[260] = "";
    if (fromInstallDir) {
        char dir[260] = "";
        if (GetVixDrvRegData(printer, "InstallPath", dir) != 1) {
            TraceWrite(ts, "Error : Get Driver Directory\n");
            return nullptr;
        }
        if (!CopyText(path, dir, TextFit::Fail) || !AppendText(path, "\\", TextFit::Fail) ||
            !AppendText(path, name, TextFit::Fail)) {
            TraceWrite(ts, "Error : Get Driver Directory\n");
            return nullptr;
        }
    } else {
        CopyText(path, name, TextFit::Fail);
    }
    TraceWrite(ts, "QKAPI full path : %s\n", path);
    return LoadLibraryA(path);
}

template <class F>
bool Lookup(HMODULE hModule, const char* name, F& slot) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(hModule, name)));
    return slot != nullptr;
}

bool SetQkapiFunc(HMODULE hModule) {
    TraceScope ts("SetQkapiFunc");
    std::memset(&g_funcs, 0, sizeof(g_funcs));
    return Lookup(hModule, qk::NAME_QKInitialize, g_funcs.QKInitialize) &&
           Lookup(hModule, qk::NAME_QKRelease, g_funcs.QKRelease) &&
           Lookup(hModule, qk::NAME_QKGetAvailableChannel, g_funcs.QKGetAvailableChannel) &&
           Lookup(hModule, qk::NAME_QKOpenChannel, g_funcs.QKOpenChannel) &&
           Lookup(hModule, qk::NAME_QKCloseChannel, g_funcs.QKCloseChannel) &&
           Lookup(hModule, qk::NAME_QKGetStatus, g_funcs.QKGetStatus) &&
           Lookup(hModule, qk::NAME_QKGetDeviceID, g_funcs.QKGetDeviceID);
}

// What one call holds of the library; EndProc runs when it goes, on every
// path: close the channel, QKRelease (only after a successful
// QKInitialize), unload the library, in this order.
class CQkapiCall {
public:
    ~CQkapiCall() { EndProc(); }

    LONG StartProc(const char* printer) {
        TraceScope ts("StartProc");
        LONG err = RC_LOAD_LIBRARY;
        m_hModule = LoadQkapi(printer, &err);
        TraceWrite(ts, "QKAPI.DLL Instance Handle : 0x%08X\n",
                   static_cast<unsigned>(reinterpret_cast<UINT_PTR>(m_hModule)));
        if (!m_hModule) return err;
        if (!SetQkapiFunc(m_hModule)) return RC_ENTRY_POINT;
        LONG rc = g_funcs.QKInitialize();
        if (rc >= 0) m_bInitialized = true;
        return rc;
    }

    void SetChannel(LONG hChannel) { m_hChannel = hChannel; }

    void EndProc() {
        TraceScope ts("EndProc");
        if (m_bInitialized) {
            if (m_hChannel != 0) g_funcs.QKCloseChannel(m_hChannel);
            g_funcs.QKRelease();
        }
        m_hChannel = 0;
        m_bInitialized = false;
        if (m_hModule) {
            FreeLibrary(m_hModule);
            m_hModule = nullptr;
        }
    }

private:
    HMODULE m_hModule = nullptr;
    bool m_bInitialized = false;
    LONG m_hChannel = 0;
};

// The model name of a device ID: from behind "MDL:" up to the first ';'
// behind it; empty without "MDL:" or without that ';'.
std::string_view ModelOfDeviceId(std::string_view id) {
    std::size_t at = id.find("MDL:");
    if (at == std::string_view::npos) return {};
    std::string_view rest = id.substr(at + 4);
    std::size_t semi = rest.find(';');
    if (semi == std::string_view::npos) return {};
    return rest.substr(0, semi);
}

LONG CheckModelID(const char* printer) {
    TraceScope ts("CheckModelID");
    char model[260] = "";
    LONG rc = GetVixDrvRegData(printer, "ModelID", model);
    if (rc < 0) return rc;
    TraceWrite(ts, "Target ModelID : %s\n", model);
    LONG size = 0;
    rc = g_funcs.QKGetDeviceID(qk::KIND_PRINTER, printer, nullptr, &size);
    if (rc != qk::QK_MORE_DATA) return rc;  // 0 or more without data passes
    if (size < 1) return qk::QK_MORE_DATA;
    if (size > kMaxAnswerBytes) return RC_NO_MEMORY;
    const LONG capacity = size;
    std::unique_ptr<char[]> id(new (std::nothrow) char[static_cast<std::size_t>(capacity) + 1]());
    if (!id) return RC_NO_MEMORY;
    rc = g_funcs.QKGetDeviceID(qk::KIND_PRINTER, printer, id.get(), &size);
    if (rc < 0) return rc;
    id[capacity] = '\0';
    std::string_view text = BoundedView(id.get(), static_cast<std::size_t>(capacity));
    TraceWrite(ts, "DeviceID : %s\n", id.get());
    return ModelOfDeviceId(text) == std::string_view(model) ? 1 : RC_OTHER_MODEL;
}

LONG SelectChannel(const char* printer) {
    TraceScope ts("SelectChannel");
    LONG size = 0;
    LONG rc = g_funcs.QKGetAvailableChannel(qk::KIND_PRINTER, printer, nullptr, &size);
    if (rc != qk::QK_MORE_DATA) return rc;
    if (size < 1) return qk::QK_MORE_DATA;
    if (size > kMaxAnswerBytes) return RC_NO_MEMORY;
    const LONG capacity = size;
    std::unique_ptr<unsigned char[]> list(new (std::nothrow) unsigned char[static_cast<std::size_t>(capacity) + 1]());
    if (!list) return RC_NO_MEMORY;
    LONG count = g_funcs.QKGetAvailableChannel(qk::KIND_PRINTER, printer, list.get(), &size);
    if (count <= 0) return count;
    // Only whole entries inside the buffer are read, whatever count says.
    const LONG fits = capacity / static_cast<LONG>(sizeof(qk::ChannelEntry));
    if (count > fits) count = fits;
    DWORD chosen = 0;
    for (const DWORD* want = kStatusChannelPreference; *want && !chosen; ++want) {
        TraceWrite(ts, "Target Channel : 0x%08x\n", static_cast<unsigned>(*want));
        for (LONG i = 0; i < count; ++i) {
            qk::ChannelEntry e;
            std::memcpy(&e, list.get() + i * sizeof(qk::ChannelEntry), sizeof(e));
            TraceWrite(ts, "ChanBuff.Channel : 0x%08x, ChanBuff.Mode : 0x%04x\n", static_cast<unsigned>(e.Channel),
                       static_cast<unsigned>(e.Mode));
            if (e.Channel == *want && (e.Mode & qk::MODE_STATUS)) {
                chosen = *want;
                break;
            }
        }
    }
    list.reset();
    if (!chosen) return RC_NO_CHANNEL;
    TraceWrite(ts, "Open Channel : 0x%08x\n", static_cast<unsigned>(chosen));
    return g_funcs.QKOpenChannel(qk::KIND_PRINTER, printer, chosen);
}

// The reply into a GlobalAlloc buffer of its size plus a zero, stored in
// *ppStatus as soon as it is allocated.
LONG GetPrnStatus(LONG hChannel, char** ppStatus) {
    TraceScope ts("GetPrnStatus");
    LONG size = 0;
    LONG rc = g_funcs.QKGetStatus(hChannel, nullptr, &size);
    // -4, or above 0 without a buffer, means that the size was set.
    if (rc != qk::QK_MORE_DATA && rc <= 0) return rc;
    if (size < 1) return qk::QK_MORE_DATA;
    if (size > kMaxAnswerBytes) return RC_NO_MEMORY;
    const LONG capacity = size;
    char* buffer = static_cast<char*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, static_cast<SIZE_T>(capacity) + 1));
    if (!buffer) return RC_NO_MEMORY;
    *ppStatus = buffer;
    rc = g_funcs.QKGetStatus(hChannel, buffer, &size);
    if (rc <= 0) return rc;
    // A library may claim more than the buffer could hold: the reply is what
    // it delivered, and it always ends in a zero.
    if (rc > capacity) rc = capacity;
    buffer[rc] = '\0';
    return rc;
}

}  // namespace

LONG GetVixDrvRegData(const char* printer, const char* valueName, char (&out)[260]) {
    TraceScope ts("GetVixDrvRegData");
    char keyPath[260] = "";
    LONG rc = DriverKeyOfPrinter(ts, printer, keyPath);
    if (rc != 1) return rc;
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, keyPath)) key.ReadString(valueName, out, sizeof(out));
    return 1;
}

int CheckOSVersion() {
    TraceScope ts("CheckOSVersion");
    OSVERSIONINFOA vi;
    std::memset(&vi, 0, sizeof(vi));
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    int osClass = GetVersionExA(&vi)
                      ? OsClassOf(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion, vi.dwBuildNumber)
                      : OS_OTHER;
#pragma GCC diagnostic pop
    TraceWrite(ts, "%s", OsClassTraceText(osClass));
    return osClass;
}

LONG PrGetPrinterStatusImpl(const char* printer, char** ppStatus) {
    TraceScope ts("PrGetPrinterStatus()");
    TraceWrite(ts, "PrGetPrinterStatus : Start\n");
    if (!printer || !printer[0]) return RC_NO_PRINTER_NAME;
    if (!ppStatus) return RC_NO_OUT_PARAM;

    CQkapiCall call;
    LONG rc = call.StartProc(printer);
    if (rc < 0) {
        TraceWrite(ts, "Error : StartProc() : %d\n", static_cast<int>(rc));
        return rc;
    }
    rc = CheckModelID(printer);
    if (rc < 0) {
        TraceWrite(ts, "Error : CheckModelID() : %d\n", static_cast<int>(rc));
        return rc;
    }
    rc = SelectChannel(printer);
    if (rc <= 0) {
        TraceWrite(ts, "Error : SelectChannel() : %d\n", static_cast<int>(rc));
        return rc;
    }
    call.SetChannel(rc);
    char* reply = nullptr;
    rc = GetPrnStatus(rc, &reply);
    if (reply) *ppStatus = reply;
    if (rc <= 0) {
        TraceWrite(ts, "Error : GetPrnStatus() : %d\n", static_cast<int>(rc));
        return rc;
    }
    call.EndProc();
    TraceWrite(ts, "Status : %s\n", reply);
    TraceWrite(ts, "StatusSize : %d\n", static_cast<int>(rc));
    TraceWrite(ts, "PrGetPrinterStatus : end\n");
    return rc;
}

}  // namespace oneshot
}  // namespace vix
