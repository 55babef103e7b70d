#include "core/monitor_settings.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "core/job_data_block.h"
#include "core/setting_text.h"
#include "foundation/registry_key.h"
#include "foundation/targets.h"
#include "foundation/text.h"
#include "foundation/trace.h"
#include "progress/progress_meter.h"

namespace vix {

namespace {

constexpr std::size_t kPathBytes = 260;

// The model limits, written only when the profile has them.
const char* const kModelLimits[] = {"InkNearEndB", "InkNearEndC", "SizeUnitH", "SlipMax",
                                    "MaxCaset",    "MaxIC",       "PaperNearEnd"};
const char* const kFlags[] = {"SoundNotifyEnable", "TrayIconEnable", "TrayIconSelected"};

const NotifyItem kNotifyItems[] = {{1001, 12}, {1002, 11}, {1003, 9}};

bool ValueExists(const RegistryKey& key, const char* name) {
    return RegQueryValueExA(key.Handle(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// A job data block longer than this is not believed.
constexpr uint32_t kMaxJobDataBytes = 1 << 20;

}  // namespace

int SetRegDefaultValue(const char* profile, const char* model, const char* targetKey) {
    TraceScope ts("SetRegDefaultValue");
    RegistryKey key;
    if (!targetKey || !key.Open(HKEY_CURRENT_USER, targetKey, false, KEY_ALL_ACCESS)) return 1;
    const char* ini = profile ? profile : "";
    const char* section = model ? model : "";
    for (const char* name : kFlags) {
        key.WriteDword(name, static_cast<DWORD>(GetPrivateProfileIntA(section, name, 0, ini)));
    }
    for (const char* name : kModelLimits) {
        int v = static_cast<int>(GetPrivateProfileIntA(section, name, -1, ini));
        if (v != -1) key.WriteDword(name, static_cast<DWORD>(v));
    }

    RegistryKey notify;
    bool bCreated = false;
    if (!notify.Open(key.Handle(), "Notify", true, KEY_ALL_ACCESS, &bCreated)) return 4;
    long itemNum = static_cast<int>(GetPrivateProfileIntA(section, "ITEMNUM", 0, ini));
    TraceWrite(ts, "ITEMNUM : %d\n", static_cast<int>(itemNum));
    if (itemNum == 0) return 4;
    std::unique_ptr<char[]> buf(new (std::nothrow) char[kProfileSectionBytes]);
    if (!buf) return 4;
    DWORD n = GetPrivateProfileSectionA(section, buf.get(), kProfileSectionBytes, ini);
    if (n >= kProfileSectionBytes - 2) return 4;  // the section did not fit
    for (const NotifyDefault& item : ParseNotifyDefaults(buf.get(), n, itemNum)) {
        // User choices survive: only new values are written.
        if (bCreated || !ValueExists(notify, item.name.c_str())) {
            notify.WriteDword(item.name.c_str(), static_cast<DWORD>(item.value));
        }
    }
    return 0;
}

int GetNotifyFlags(const RegistryKey& key, int category, int* pSound, int* pPopup) {
    int sound = 0, popup = 0;
    int rc = 1;
    if (key.IsOpen()) {
        sound = static_cast<int>(key.ReadDword("SoundNotifyEnable", 0));
        RegistryKey notify;
        if (notify.Open(key.Handle(), "Notify")) {
            char name[16];
            std::snprintf(name, sizeof(name), "%03d", category);
            popup = static_cast<int>(notify.ReadDword(name, 0));
            sound &= popup;
            rc = 0;
        }
    }
    if (pSound) *pSound = sound;
    if (pPopup) *pPopup = popup;
    return rc;
}

int GetNotifyFlags(const char* targetKey, int category, int* pSound, int* pPopup) {
    RegistryKey key;
    if (targetKey) key.Open(HKEY_CURRENT_USER, targetKey);
    return GetNotifyFlags(key, category, pSound, pPopup);
}

int GetNotifyFlags(const char* printer, const char* port, int category, int* pSound, int* pPopup) {
    char path[kPathBytes];
    if (FindPrinterTarget(printer, port, path, sizeof(path)) != TARGET_FOUND) {
        if (pSound) *pSound = 0;
        if (pPopup) *pPopup = 0;
        return 1;
    }
    return GetNotifyFlags(path, category, pSound, pPopup);
}

int StoreStatus(const RegistryKey& key, const BYTE* reply, DWORD length, DWORD channel) {
    if (!key.IsOpen()) return 2;
    key.WriteBinary("Status", reply, reply ? length : 0);
    key.WriteDword("Channel", channel);
    return 0;
}

int StoreStatus(const char* targetKey, const BYTE* reply, DWORD length, DWORD channel) {
    RegistryKey key;
    if (targetKey) key.Open(HKEY_CURRENT_USER, targetKey, false, KEY_SET_VALUE);
    return StoreStatus(key, reply, length, channel);
}

int StoreStatus(const char* printer, const char* port, const BYTE* reply, DWORD length, DWORD channel) {
    char path[kPathBytes];
    if (FindPrinterTarget(printer, port, path, sizeof(path)) != TARGET_FOUND) return 1;
    return StoreStatus(path, reply, length, channel);
}

bool ReadStoredStatus(const char* targetKey, std::vector<BYTE>* reply, DWORD* pChannel) {
    reply->clear();
    RegistryKey key;
    if (!targetKey || !key.Open(HKEY_CURRENT_USER, targetKey)) return false;
    DWORD channel = key.ReadDword("Channel");
    DWORD type = 0, size = 0;
    if (channel == 0xFFFFFFFFu ||
        RegQueryValueExA(key.Handle(), "Status", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size == 0 || size > kMaxStatusReplyBytes) {
        return false;
    }
    reply->resize(size);
    DWORD got = size;
    if (RegQueryValueExA(key.Handle(), "Status", nullptr, &type, reply->data(), &got) != ERROR_SUCCESS ||
        type != REG_BINARY || got != size) {
        reply->clear();  // rewritten meanwhile with another size: none this time
        return false;
    }
    if (pChannel) *pChannel = channel;
    return true;
}

bool SetComStatus(const RegistryKey& key, DWORD value) { return key.IsOpen() && key.WriteDword("ComStatus", value); }

bool SetComStatus(const char* targetKey, DWORD value) {
    RegistryKey key;
    if (targetKey) key.Open(HKEY_CURRENT_USER, targetKey, false, KEY_SET_VALUE);
    return SetComStatus(key, value);
}

bool SetComStatus(const char* printer, const char* port, DWORD value) {
    char path[kPathBytes];
    return FindPrinterTarget(printer, port, path, sizeof(path)) == TARGET_FOUND && SetComStatus(path, value);
}

DWORD GetComStatus(const RegistryKey& key) {
    return key.IsOpen() ? key.ReadDword("ComStatus", COMSTATUS_ACKNOWLEDGED) : COMSTATUS_READING;
}

DWORD GetComStatus(const char* targetKey) {
    RegistryKey key;
    if (targetKey) key.Open(HKEY_CURRENT_USER, targetKey);
    return GetComStatus(key);
}

DWORD GetComStatus(const char* printer, const char* port) {
    char path[kPathBytes];
    if (FindPrinterTarget(printer, port, path, sizeof(path)) != TARGET_FOUND) return COMSTATUS_READING;
    return GetComStatus(path);
}

NotifyItem NotifyItemAt(int index) {
    if (index >= 0 && index < static_cast<int>(sizeof(kNotifyItems) / sizeof(kNotifyItems[0]))) {
        return kNotifyItems[index];
    }
    return {1001 + index, 0};
}

namespace {
std::string_view LoadResourceText(HINSTANCE hRes, UINT id, char* buf, int cap) {
    buf[0] = '\0';
    int n = hRes ? LoadStringA(hRes, id, buf, cap) : 0;
    return std::string_view(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}
}  // namespace

int GetNotifyItem(HINSTANCE hRes, int* pIndex, char (&text)[260], int* pCategory) {
    char num[32];
    long count = DecimalPrefix(LoadResourceText(hRes, 1000, num, sizeof(num)));
    text[0] = '\0';
    if (!pIndex || *pIndex < 0 || *pIndex >= count) {
        if (pIndex) *pIndex = 0;
        return 1;
    }
    NotifyItem item = NotifyItemAt(*pIndex);
    LoadResourceText(hRes, static_cast<UINT>(item.textId), text, sizeof(text));
    if (pCategory) *pCategory = item.category;
    ++*pIndex;
    return 0;
}

int ReadTimerDef(HINSTANCE hRes) {
    TraceScope ts("ReadTimerDef");
    char num[32];
    long n = DecimalPrefix(LoadResourceText(hRes, 1340, num, sizeof(num)));
    TraceWrite(ts, "nTimer = %d\n", static_cast<int>(n));
    return static_cast<int>(ClampTimerDefault(n));
}

bool IsPrintingPortFile(const void* pJobData, DWORD* pdwJobId) {
    TraceScope ts("IsPrintingPortFile()");
    if (pdwJobId) *pdwJobId = 0;
    if (!pJobData) return false;
    uint32_t total = JobDataTotalSize(pJobData);
    if (total == 0 || total < kJobDataHeaderBytes || total > kMaxJobDataBytes) return false;
    // The block is the caller's: a copy is taken before anything is read.
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[total]);
    if (!copy) return false;
    std::memcpy(copy.get(), pJobData, total);
    PortFileJob job;
    if (!ParseJobDataBlock(copy.get(), total, &job)) return false;
    if (pdwJobId) *pdwJobId = job.dwJobId;
    return job.bMarked && job.bHasJobId;
}

int WaitForPrintingCompletion(const char* printer, const char* port, DWORD dwJobId) {
    TraceScope ts("WaitForPrintingCompletion");
    TraceWrite(ts, "JobID : %08x\n", static_cast<unsigned>(dwJobId));
    CProgressMeter meter;
    meter.SetPrinter(printer, port);
    meter.SetMeterParam(PM_PARAM_AUTOCLEAR_MASK, static_cast<ULONG_PTR>(-1));
    meter.AddPMJob(dwJobId, 0);
    // The meter follows the job until it has left the queue; then its worker ends.
    while (meter.IsWorkerRunning()) Sleep(100);
    return 1;
}

}  // namespace vix
