// The driver's monitoring session: the exports the printer driver calls
// while a job prints. PrGetStatus runs on every tick of every job.
#include "core/session.h"

#include <cstring>
#include <memory>
#include <new>

#include "comm/qkapi.h"
#include "comm/qkapi_base.h"
#include "comm/qkapi_channel.h"
#include "core/monitor_settings.h"
#include "core/setting_text.h"
#include "core/vix_app.h"
#include "foundation/handles.h"
#include "foundation/registry_key.h"
#include "foundation/settings.h"
#include "foundation/targets.h"
#include "foundation/text.h"
#include "foundation/trace.h"
#include "status/status_info.h"

namespace vix {
namespace session {

namespace {

// The driver's channel preferences.
const DWORD kStatusChannels[] = {0x00000004, 0x10000005, 0x10010003, 0x10000003, 0x02000001};
const DWORD kReadWriteChannels[] = {0x10010003, 0x00000004, 0x10000003};
constexpr WORD kStatusMode = 0x4;
constexpr WORD kReadWriteMode = 0x3;
constexpr WORD kNetworkMode = 0x8000;

// Outputs the driver may leave out are written to a sink.
struct OutSlot {
    explicit OutSlot(LPLONG p) : m_p(p ? p : &m_sink) {}
    LONG& operator*() { return *m_p; }
    LONG* m_p;
    LONG m_sink = 0;
};

// The first preferred channel the printer offers with the mode bits.
DWORD PickChannel(CQkApiChannel& channel, const DWORD* prefs, std::size_t n, WORD mode) {
    for (std::size_t i = 0; i < n; ++i) {
        if (channel.SelectChannel(prefs[i], mode) == 1) return prefs[i];
    }
    return 0;
}

void CloseSessionChannels(CMonitorBuffer& s, const QkApiEntryPoints& fn) {
    if (!fn.QKCloseChannel) return;
    if (s.hChan > 0) fn.QKCloseChannel(s.hChan);
    if (s.hRWChan > 0) fn.QKCloseChannel(s.hRWChan);
    s.hChan = s.hRWChan = 0;
    s.dwChan = s.dwRWChan = 0;
}

// The printer's target key, opened for the tick. The key path found before
// is checked first (one open and one read instead of a walk over every
// target); a target removed or recreated by another process no longer
// carries the printer's name there, and the walk runs again.
bool OpenTargetKey(PrinterInformation& info, RegistryKey* key) {
    const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS;
    char name[260];
    if (info.szTargetKey[0] && key->Open(HKEY_CURRENT_USER, info.szTargetKey, false, access) &&
        key->ReadString("Name", name, sizeof(name)) && EqualsNoCase(name, info.TargetName())) {
        return true;
    }
    key->Close();
    if (FindTarget(info.TargetName(), info.bUsePort, info.szTargetKey, sizeof(info.szTargetKey)) != TARGET_FOUND) {
        info.szTargetKey[0] = '\0';
        return false;
    }
    return key->Open(HKEY_CURRENT_USER, info.szTargetKey, false, access);
}

// Popup and sound of a notify category, from the open target key.
void DecideNotify(const RegistryKey& key, int category, LONG* pPopup, LONG* pSound) {
    int sound = 0, popup = 0;
    GetNotifyFlags(key, category, &sound, &popup);
    *pPopup = popup;
    *pSound = sound;
}

// Codes of a failed status read.
enum : int { READ_NOTHING = 0, READ_FAILED = -1, READ_BUSY = -2 };

// The status reply in two calls (size, then text). Returns 1 with the reply
// in *out and its length, or a read code.
int ReadReply(const TraceScope& ts, const QkApiEntryPoints& fn, LONG hChan, std::unique_ptr<char[]>* out,
              LONG* pLength) {
    LONG size = 0;
    LONG rc = fn.QKGetStatus(hChan, nullptr, &size);
    TraceWrite(ts, "PrGetStatus : QKGetStatus(1st) : %d\n", static_cast<int>(rc));
    if (rc == 0) return READ_NOTHING;
    if (rc == qk::QK_BUSY) return READ_BUSY;
    if (rc < 0 && rc != qk::QK_MORE_DATA) return READ_FAILED;
    // A size no reply has is a failed read, not an allocation.
    if (size < 1 || static_cast<DWORD>(size) > kMaxStatusReplyBytes) return READ_FAILED;
    const LONG capacity = size;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(capacity) + 1]());
    if (!buffer) return READ_BUSY;
    rc = fn.QKGetStatus(hChan, buffer.get(), &size);
    TraceWrite(ts, "PrGetStatus : QKGetStatus(2nd) : %d\n", static_cast<int>(rc));
    if (rc == 0) return READ_NOTHING;
    if (rc == qk::QK_BUSY) return READ_BUSY;
    if (rc < 0) return READ_FAILED;
    // The reply is what was delivered into the buffer, and ends in a zero.
    LONG length = rc > capacity ? capacity : rc;
    buffer[length] = '\0';
    TraceWrite(ts, "Status : %s\n", buffer.get());
    *pLength = length;
    *out = std::move(buffer);
    return 1;
}

void TraceValues(const TraceScope& ts, LONG enable, LONG popup, LONG sound, LONG printing, LONG real, LONG simple) {
    TraceWrite(ts,
               "iEnableGetStatusErr : %d, pbPopup : %d, pbSoundPlay : %d, bPrinting : %d, pnRealStatusNo : %d, "
               "pnSimpleStatusNo : %d\n",
               static_cast<int>(enable), static_cast<int>(popup), static_cast<int>(sound), static_cast<int>(printing),
               static_cast<int>(real), static_cast<int>(simple));
}

}  // namespace

LONG SetRegDefaultValueImpl(const char* printer, const char* driver, const char* port, const char* model,
                            const char* datFile) {
    TraceScope ts("PrSetRegDefaultValue");
    TraceWrite(ts, "PrinterName : %s, DriverName : %s, PortName : %s, ModelID : %s, DatFileName : %s\n",
               printer ? printer : "", driver ? driver : "", port ? port : "", model ? model : "",
               datFile ? datFile : "");
    char profile[260] = "";
    if (datFile && *datFile) {
        CopyText(profile, datFile, TextFit::Fail);
    } else {
        FindProfile(driver, model, profile, sizeof(profile));
    }
    CVixApp& app = CVixApp::Instance();
    int nRC = app.SetPrinterInfo(printer, driver, port, model, profile, nullptr);
    TraceWrite(ts, "nRC : %d\n", nRC);
    if (nRC < PRINTERINFO_NAMES) return 1;
    // Copies: the information may change under a call that comes back in.
    const PrinterInformation info = app.m_info;
    char target[260];
    if (!info.szPrinterName[0] && !info.szPortName[0]) {
        TraceWrite(ts, "ERROR : PrinterName/PortName is NULL\n");
        return 1;
    }
    if (FindPrinterTarget(info.szPrinterName, info.szPortName, target, sizeof(target)) != TARGET_FOUND) {
        TraceWrite(ts, "ERROR : GetTargetPrnKey Not Found!!\n");
        return 1;
    }
    TraceWrite(ts, "Call : SetRegDefaultValue()\n");
    TraceWrite(ts, "lpszDatFileName = %s, lpszModelID = %s, szRegName = %s\n", info.szDatFileName, info.szModelID,
               target);
    return SetRegDefaultValue(info.szDatFileName, info.szModelID, target);
}

LONG ReleaseRegistryImpl(const char* printer, const char* driver, const char* port, const char* model) {
    TraceScope ts("PrReleaseRegistry");
    return CVixApp::Instance().SetPrinterInfo(printer, driver, port, model, nullptr, nullptr) < PRINTERINFO_NAMES
               ? 1
               : 0;
}

LONG MonitoringStartImpl(HWND hMonWnd, const char* printer, const char* driver, const char* port, const char* model,
                         const char* datFile, const char* resourceName, const void* pJobData) {
    TraceScope ts("PrMonitoringStart");
    TraceWrite(ts,
               "PrinterName : %s, DriverName : %s, PortName : %s, ModelID : %s, DatFileName : %s, ResourceName : %s, "
               "hMonWnd : %x\n",
               printer ? printer : "", driver ? driver : "", port ? port : "", model ? model : "",
               datFile ? datFile : "", resourceName ? resourceName : "",
               static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(hMonWnd)));
    CVixApp& app = CVixApp::Instance();
    app.SetPrinterInfo(printer, driver, port, model, datFile, resourceName);
    DWORD dwJobId = 0;
    if (pJobData && IsPrintingPortFile(pJobData, &dwJobId)) {
        WaitForPrintingCompletion(app.m_info.szPrinterName, app.m_info.szPortName, dwJobId);
        return 1;
    }
    CQkApiLink link;
    if (!link.IsEnabled()) return 1;
    // The binding stays loaded from here to the end of monitoring.
    CQkApiBase::Instance().AddMonitoringPin();
    if (!app.m_info.IsValid()) {
        TraceWrite(ts, "PrMonitoringStart() Exit\n");
        return 1;
    }
    if (!app.pMonitorBuffer) {
        app.pMonitorBuffer.reset(new (std::nothrow) CMonitorBuffer(hMonWnd));
        if (!app.pMonitorBuffer) return 1;
    }
    TraceWrite(ts, "PrMonitoringStart() Exit\n");
    return 0;
}

LONG GetChannelImpl(LPDWORD pdwStatus, LPDWORD pdwReadWrite) {
    TraceScope ts("PrGetChannel");
    if (pdwStatus) *pdwStatus = 0;
    if (pdwReadWrite) *pdwReadWrite = 0;
    CVixApp& app = CVixApp::Instance();
    CMonitorBuffer* s = app.pMonitorBuffer.get();
    if (!s) {
        TraceWrite(ts, "PrGetChannel : error : NULL == pMonitorBuffer\n");
        return 1;
    }
    if (!app.m_info.IsValid()) {
        TraceWrite(ts, "PrGetChannel : error : printerinfo is disable\n");
        return 1;
    }
    CQkApiChannel status(app.m_info.Kind(), app.m_info.LibraryName(), 0, 0);
    if (!status.IsEnabled()) {
        TraceWrite(ts, "PrGetChannel : error : qkapi is disable\n");
        return 1;
    }
    if (!status.IsUsable()) {
        TraceWrite(ts, "PrGetChannel : error : channel is disable\n");
        return 1;
    }
    const QkApiEntryPoints& fn = status.Functions();
    // A second call opens the channels afresh: the old handles are closed.
    CloseSessionChannels(*s, fn);

    DWORD dwStatusChannelNo = PickChannel(status, kStatusChannels, 5, kStatusMode);
    TraceWrite(ts, "PrGetChannel : dwStatusChannelNo = 0x%x\n", static_cast<unsigned>(dwStatusChannelNo));
    if (!dwStatusChannelNo) {
        TraceWrite(ts, "PrGetChannel : error : 0 == dwStatusChannelNo\n");
        return 1;
    }
    if (pdwStatus) *pdwStatus = dwStatusChannelNo;

    CQkApiChannel readWrite(app.m_info.Kind(), app.m_info.LibraryName(), 0, 0);
    DWORD dwReadWriteChannelNo = PickChannel(readWrite, kReadWriteChannels, 3, kReadWriteMode);
    TraceWrite(ts, "PrGetChannel : dwReadWriteChannelNo = 0x%x\n", static_cast<unsigned>(dwReadWriteChannelNo));
    if (!dwReadWriteChannelNo) {
        TraceWrite(ts, "PrGetChannel : error : 0 == dwReadWriteChannelNo\n");
        return 1;
    }
    if (pdwReadWrite) *pdwReadWrite = dwReadWriteChannelNo;

    LONG dwStatusChannelHandle = status.OpenChannel();
    TraceWrite(ts, "PrGetChannel : dwStatusChannelHandle : %d\n", static_cast<int>(dwStatusChannelHandle));
    if (dwStatusChannelHandle <= 0) {
        TraceWrite(ts, "PrGetChannel : error : 0 >= (int)dwStatusChannelHandle\n");
        return 1;
    }
    // The session record owns the handles from here; the objects only
    // chose and opened them.
    s->dwChan = dwStatusChannelNo;
    s->hChan = dwStatusChannelHandle;
    void* window = s->hMonWnd ? static_cast<void*>(&s->hMonWnd) : static_cast<void*>(&s->hNoWnd);
    fn.QKSetOption(s->hChan, 4, window);

    LONG dwReadWriteChannelHandle = readWrite.OpenChannel();
    TraceWrite(ts, "PrGetChannel : dwReadWriteChannelHandle : %d\n", static_cast<int>(dwReadWriteChannelHandle));
    if (dwReadWriteChannelHandle > 0) {
        s->dwRWChan = dwReadWriteChannelNo;
        s->hRWChan = dwReadWriteChannelHandle;
        fn.QKSetOption(s->hRWChan, 3, window);
    } else {
        TraceWrite(ts, "PrGetChannel : error : 0 >= (int)dwReadWriteChannelHandle\n");
    }
    return 0;
}

LONG GetDeviceIDImpl(LPSTR buffer, LPDWORD pdwSize) {
    TraceScope ts("PrGetDeviceID");
    if (buffer) buffer[0] = '\0';
    CVixApp& app = CVixApp::Instance();
    if (!app.pMonitorBuffer) {
        TraceWrite(ts, "PrGetDeviceID : error : NULL == pMonitorBuffer\n");
        return 1;
    }
    if (!app.m_info.IsValid()) {
        TraceWrite(ts, "PrGetDeviceID : error : printerinfo is disable\n");
        return 1;
    }
    CQkApiChannel channel(app.m_info.Kind(), app.m_info.LibraryName(), 0, 0);
    if (!channel.IsEnabled() || !channel.IsUsable()) {
        TraceWrite(ts, "PrGetDeviceID : error : qkapi is disable\n");
        return 1;
    }
    LONG needed = 0;
    LONG rc = channel.GetDeviceID(nullptr, &needed);
    TraceWrite(ts, "PrGetDeviceID : QKGetDeviceID(1st) : %d\n", static_cast<int>(rc));
    const DWORD given = pdwSize ? *pdwSize : 0;
    if (pdwSize) *pdwSize = static_cast<DWORD>(needed > 0 ? needed : 0);
    if (!buffer || !pdwSize || needed <= 0 || given < static_cast<DWORD>(needed) || rc != qk::QK_MORE_DATA) return 1;
    LONG size = needed;
    rc = channel.GetDeviceID(buffer, &size);
    TraceWrite(ts, "PrGetDeviceID : QKGetDeviceID(2nd) : %d\n", static_cast<int>(rc));
    // The ID always ends inside the caller's buffer.
    if (BoundedLength(buffer, given) == given) buffer[given - 1] = '\0';
    if (rc < 0) {
        buffer[0] = '\0';
        return 1;
    }
    TraceWrite(ts, "DeviceID : %s\n", buffer);
    return 0;
}

LONG GetStatusImpl(LONG iEnableGetStatusErr, LPLONG pbPopup, LPLONG pbSoundPlay, LPLONG bPrinting,
                   LPLONG pnRealStatusNo, LPLONG pnSimpleStatusNo) {
    TraceScope ts("PrGetStatus");
    CVixApp& app = CVixApp::Instance();
    CMonitorBuffer* s = app.pMonitorBuffer.get();
    if (!s || !app.m_info.IsValid()) return 1;
    PrinterInformation& info = app.m_info;
    TraceWrite(ts, "dwChan = 0x%x, hChan = 0x%x, lpszPrnName = %s, lpszPrnPath = %s, lpszPrnID = %s\n",
               static_cast<unsigned>(s->dwChan), static_cast<unsigned>(s->hChan), info.szPrinterName,
               info.szPortName, info.szModelID);
    CQkApiLink link;
    if (!link.IsEnabled()) return 1;
    const QkApiEntryPoints& fn = link.Functions();

    CStatusInfo statusInfo;
    statusInfo.SetInkColorNum(app.m_iInkColorNum);
    OutSlot popup(pbPopup), sound(pbSoundPlay), printing(bPrinting), real(pnRealStatusNo), simple(pnSimpleStatusNo);
    *popup = 0;
    *sound = 0;
    *printing = 0;
    *real = 0;

    std::unique_ptr<char[]> reply;
    LONG length = 0;
    int code = READ_FAILED;
    if (s->dwChan && s->hChan) code = ReadReply(ts, fn, s->hChan, &reply, &length);
    RegistryKey target;
    if (code == 1) {
        std::unique_ptr<CPrinterStatus> status(statusInfo.CreateStatusObject(
            s->dwChan, reinterpret_cast<const BYTE*>(reply.get()), static_cast<DWORD>(length), 0, FALSE));
        if (!status) {
            TraceWrite(ts, "ERROR!! : NULL == pStatus\n");
            code = READ_FAILED;
        } else if (status->GetStatusNo() == CStatusInfo::COMMUNICATION_ERROR ||
                   status->GetStatusNo() == CStatusInfo::COMMUNICATION_ERROR_ENABLED) {
            TraceWrite(ts, "PrGetStatus : ERROR!! : CStatusInfo::COMMUNICATION_ERROR\n");
            code = READ_FAILED;
        } else {
            if (OpenTargetKey(info, &target)) {
                StoreStatus(target, reinterpret_cast<const BYTE*>(reply.get()), static_cast<DWORD>(length),
                            s->dwChan);
                SetComStatus(target, COMSTATUS_READING);
                DecideNotify(target, status->GetNotifyCategory(), &*popup, &*sound);
            }
            reply.reset();
            *real = status->GetStatusNo();
            *simple = status->GetSimpleStatus();
            *printing = status->GetPrintingState();
            app.m_nLastRealStatusNo = *real;
            TraceWrite(ts, "PrGetStatus() : Success\n");
            TraceValues(ts, iEnableGetStatusErr, *popup, *sound, *printing, *real, *simple);
            return 1;
        }
    }
    TraceWrite(ts, "PrGetStatus : error : %d\n", code);
    reply.reset();
    if (code == READ_NOTHING) return 0;
    if (code == READ_BUSY) return -1;

    bool bKey = OpenTargetKey(info, &target);
    int forced;
    if (s->dwChan && s->hChan) {
        const bool bEnabled = iEnableGetStatusErr > 0;
        if (bKey) SetComStatus(target, bEnabled ? COMSTATUS_FAILED_ENABLED : COMSTATUS_FAILED);
        forced = bEnabled ? CStatusInfo::COMMUNICATION_ERROR_ENABLED : CStatusInfo::COMMUNICATION_ERROR;
    } else {
        DWORD com = bKey ? GetComStatus(target) : COMSTATUS_READING;
        forced = com == COMSTATUS_OTHER_PRINTER ? CStatusInfo::OTHER_PRINTER_STATUS
                 : iEnableGetStatusErr > 0      ? CStatusInfo::COMMUNICATION_ERROR_ENABLED
                                                : CStatusInfo::COMMUNICATION_ERROR;
    }
    std::unique_ptr<CPrinterStatus> status(statusInfo.CreateStatusObject(s->dwChan, nullptr, 0, forced, FALSE));
    if (!status) return -1;
    *simple = status->GetSimpleStatus();
    if (bKey) DecideNotify(target, status->GetNotifyCategory(), &*popup, &*sound);
    TraceWrite(ts, "PrGetStatus() : Error\n");
    TraceValues(ts, iEnableGetStatusErr, *popup, *sound, *printing, *real, *simple);
    return 1;
}

LONG MonitoringEndImpl() {
    TraceScope ts("PrMonitoringEnd");
    CQkApiLink link;
    if (!link.IsEnabled()) return 1;
    CVixApp& app = CVixApp::Instance();
    if (app.pMonitorBuffer) {
        // The channels the session opened are closed with it.
        CloseSessionChannels(*app.pMonitorBuffer, link.Functions());
        app.pMonitorBuffer.reset();
    }
    CQkApiBase::Instance().RemoveMonitoringPin();
    return 0;
}

LONG PrinterDataImpl(LPDWORD pdwSize, LPVOID* ppData) {
    (void)pdwSize;  // the size is left as given
    CMonitorBuffer* s = CVixApp::Instance().pMonitorBuffer.get();
    if (!s) return 1;
    if (ppData) *ppData = s->pPrinterData;
    return 0;
}

LONG ReleasePrinterDataImpl(LPVOID* ppData) {
    CMonitorBuffer* s = CVixApp::Instance().pMonitorBuffer.get();
    if (s) {
        s->pPrinterData = nullptr;
        if (ppData) *ppData = nullptr;
    } else if (ppData) {
        *ppData = nullptr;
    }
    return 0;
}

LONG GetTimerValueImpl(DWORD dwStatusChannel, LPLONG pbNetwork) {
    TraceScope ts("PrGetTimerValue");
    CVixApp& app = CVixApp::Instance();
    if (!app.m_info.IsValid()) return -1;
    const PrinterInformation& info = app.m_info;
    char text[260] = "";
    bool bNetwork = false;
    if (dwStatusChannel) {
        CQkApiChannel channel(qk::KIND_PRINTER, info.szPrinterName, 0, 0);
        if (!channel.IsEnabled() || channel.SelectChannel(dwStatusChannel, kStatusMode) != 1) return -1;
        char path[260];
        RegistryKey key;
        if (DriverKeyPath(info.szDriverName, path, sizeof(path)) && key.Open(HKEY_LOCAL_MACHINE, path)) {
            bNetwork = (channel.GetMode() & kNetworkMode) != 0;
            if (pbNetwork) *pbNetwork = bNetwork ? 1 : 0;
            key.ReadString(bNetwork ? "NetworkMonitoringTimer" : "LocalMonitoringTimer", text, sizeof(text));
        }
    }
    TraceWrite(ts, "Get Timer String(for Registry) : %s\n", text);
    if (text[0]) {
        long value = TimerTextValue(text);
        if (value == 0) return -1;
        TraceWrite(ts, "Return, Timer Value(for Registry) : %d\n", static_cast<int>(value));
        return value;
    }
    UniqueModule hRes(info.szResourceName[0]
                          ? LoadLibraryExA(info.szResourceName, nullptr, LOAD_LIBRARY_AS_DATAFILE)
                          : nullptr);
    if (!hRes) return -1;
    char num[32] = "";
    int n = LoadStringA(hRes.Get(), 1340, num, sizeof(num));
    if (n <= 0) return -1;  // no interval in the resource library either
    long value = DecimalPrefix(std::string_view(num, static_cast<std::size_t>(n)));
    if (dwStatusChannel && bNetwork) value *= 3;
    TraceWrite(ts, "Return, Timer Value(for Resource) : %d\n", static_cast<int>(value));
    return value;
}

}  // namespace session
}  // namespace vix
