#include "comm/qkapi_base.h"

#include <cstring>
#include <new>

#include "foundation/registry_key.h"
#include "foundation/trace.h"

namespace vix {

namespace {
template <class F>
bool Lookup(HMODULE hModule, const char* name, F& slot) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(hModule, name)));
    return slot != nullptr;
}

bool LookupAll(HMODULE h, QkApiEntryPoints& f) {
    return Lookup(h, qk::NAME_QKInitialize, f.QKInitialize) && Lookup(h, qk::NAME_QKRelease, f.QKRelease) &&
           Lookup(h, qk::NAME_QKGetDeviceID, f.QKGetDeviceID) &&
           Lookup(h, qk::NAME_QKGetAvailableChannel, f.QKGetAvailableChannel) &&
           Lookup(h, qk::NAME_QKOpenChannel, f.QKOpenChannel) && Lookup(h, qk::NAME_QKCloseChannel, f.QKCloseChannel) &&
           Lookup(h, qk::NAME_QKSetOption, f.QKSetOption) && Lookup(h, qk::NAME_QKGetOption, f.QKGetOption) &&
           Lookup(h, qk::NAME_QKReceiveCancel, f.QKReceiveCancel) && Lookup(h, qk::NAME_QKGetStatus, f.QKGetStatus) &&
           Lookup(h, qk::NAME_QKReceive, f.QKReceive) && Lookup(h, qk::NAME_QKSend, f.QKSend);
}
}  // namespace

CQkApiBase& CQkApiBase::Instance() {
    static CQkApiBase base;
    return base;
}

CQkApiBase::~CQkApiBase() { Shutdown(); }

void CQkApiBase::SetDriverName(const char* driver) {
    CLock lock(m_lock);
    m_strDriver = driver ? driver : "";
}

int CQkApiBase::Initialize() {
    TraceScope ts("CQkApiBase::Initialize");
    CLock lock(m_lock);
    if (!m_hModule) {
        RegistryKey key;
        char file[260] = "";
        if (!m_strDriver.empty() &&
            key.Open(HKEY_LOCAL_MACHINE, ("Software\\ZARVO\\VIX3\\Driver\\" + m_strDriver).c_str()) &&
            key.ReadString("QKAPI32", file, sizeof(file)) && file[0]) {
            TraceWrite(ts, "QKAPIFile : %s\n", file);
            m_hModule = LoadLibraryA(file);
        }
        if (!m_hModule) m_hModule = LoadLibraryA("QKAPI.DLL");
        TraceWrite(ts, "QKAPILoad : %d\n", static_cast<int>(reinterpret_cast<INT_PTR>(m_hModule)));
    }
    if (m_hQkApi < 0 && m_hModule) {
        QkApiEntryPoints fn;
        if (LookupAll(m_hModule, fn)) {
            m_fn = fn;
            TraceWrite(ts, "Before:QKInitialize()\n");
            m_hQkApi = m_fn.QKInitialize();
            m_bEnable = m_hQkApi == 0 ? 1 : 0;
            TraceWrite(ts, "After:QKInitialize(), m_bEnable : %d, m_hQkApi : %d\n", m_bEnable,
                       static_cast<int>(m_hQkApi));
        }
    }
    return m_bEnable;
}

void CQkApiBase::FreeChannelList() {
    m_pChannelList.reset();
    m_nChannelListBytes = 0;
    m_iChannelCount = -1;
}

void CQkApiBase::DestroyLocked() {
    if (m_lRefCount != 0) return;
    TraceScope ts("CQkApiBase::Destroy");
    FreeChannelList();
    if (m_hQkApi >= 0 && m_fn.QKRelease) {
        TraceWrite(ts, "Before:QKRelease()\n");
        if (m_fn.QKRelease() >= 0) m_hQkApi = -1;
        TraceWrite(ts, "After:QKRelease()\n");
    }
    if (m_hModule) {
        FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
    // The next link loads and initialises the library again.
    m_hQkApi = -1;
    m_bEnable = 0;
    m_fn = QkApiEntryPoints();
}

void CQkApiBase::Destroy() {
    CLock lock(m_lock);
    DestroyLocked();
}

void CQkApiBase::Shutdown() {
    CLock lock(m_lock);
    m_lRefCount = 0;
    m_lMonitoringPins = 0;
    DestroyLocked();
}

long CQkApiBase::QKGetAvailableChannel(long kind, const char* name) {
    TraceScope ts("CQkApiBase::QKGetAvailableChannel");
    if (!name) return 0;
    CLock lock(m_lock);
    if (m_iChannelCount > 0 && m_pChannelList) return m_iChannelCount;
    FreeChannelList();
    if (!m_fn.QKGetAvailableChannel) return -1;
    LONG size = 0;
    TraceWrite(ts, "Before:QKGetAvailableChannel(1st)\n");
    m_iChannelCount = m_fn.QKGetAvailableChannel(kind, name, nullptr, &size);
    TraceWrite(ts, "After:QKGetAvailableChannel(1st), m_iChannelCount : %d\n", static_cast<int>(m_iChannelCount));
    if (m_iChannelCount != qk::QK_MORE_DATA) return -1;
    // A size no list can have is refused like a failed allocation.
    if (size < 1 || size > (1 << 20)) {
        m_iChannelCount = -1;
        return -1;
    }
    const std::size_t bytes = static_cast<std::size_t>(size);
    std::unique_ptr<unsigned char[]> list(new (std::nothrow) unsigned char[bytes + 1]());
    if (!list) {
        m_iChannelCount = -1;
        return -1;
    }
    TraceWrite(ts, "Before:QKGetAvailableChannel(2nd)\n");
    m_iChannelCount = m_fn.QKGetAvailableChannel(kind, name, list.get(), &size);
    TraceWrite(ts, "After:QKGetAvailableChannel(2nd), m_iChannelCount : %d\n", static_cast<int>(m_iChannelCount));
    if (m_iChannelCount <= 0) {
        m_iChannelCount = -1;
        return -1;
    }
    m_pChannelList = std::move(list);
    m_nChannelListBytes = bytes;
    return m_iChannelCount;
}

void CQkApiBase::AddRef() {
    CLock lock(m_lock);
    ++m_lRefCount;
}

void CQkApiBase::Release() {
    CLock lock(m_lock);
    if (m_lRefCount > 0) --m_lRefCount;
    DestroyLocked();
}

QkApiEntryPoints CQkApiBase::EntryPoints() {
    CLock lock(m_lock);
    return m_fn;
}

const unsigned char* CQkApiBase::ChannelList(long* count, std::size_t* bytes) {
    CLock lock(m_lock);
    *count = m_iChannelCount;
    *bytes = m_nChannelListBytes;
    return m_pChannelList.get();
}

void CQkApiBase::AddMonitoringPin() {
    CLock lock(m_lock);
    ++m_lMonitoringPins;
    ++m_lRefCount;
}

void CQkApiBase::RemoveMonitoringPin() {
    CLock lock(m_lock);
    if (m_lMonitoringPins <= 0) return;  // never below 0
    --m_lMonitoringPins;
    if (m_lRefCount > 0) --m_lRefCount;
    DestroyLocked();
}

CQkApiLink::CQkApiLink() : m_pBase(&CQkApiBase::Instance()) {
    m_pBase->AddRef();
    if (!m_pBase->IsEnabled()) m_pBase->Initialize();
    if (m_pBase->IsEnabled()) {
        m_fn = m_pBase->EntryPoints();
        m_bEnable = m_fn.QKInitialize && m_fn.QKRelease && m_fn.QKGetDeviceID && m_fn.QKOpenChannel &&
                    m_fn.QKCloseChannel && m_fn.QKSetOption && m_fn.QKGetOption && m_fn.QKReceiveCancel &&
                    m_fn.QKGetStatus && m_fn.QKReceive && m_fn.QKSend;
        m_fn.QKGetAvailableChannel = nullptr;  // the list goes through the base
    }
}

CQkApiLink::~CQkApiLink() {
    if (m_pBase) m_pBase->Release();
}

int CQkApiLink::IsEnabled() const { return m_pBase && m_pBase->IsEnabled() && m_bEnable ? 1 : 0; }

long CQkApiLink::GetAvailableChannel(long kind, const char* name) {
    if (!name) return -15;
    if (!m_pBase) return 0;
    long count = m_pBase->QKGetAvailableChannel(kind, name);
    m_pChannelList = m_pBase->ChannelList(&m_iChannelCount, &m_nChannelListBytes);
    return count;
}

}  // namespace vix
