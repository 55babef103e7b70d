// The binding of the bidirectional library: loaded and initialised once per
// process (CQkApiBase), kept alive by every link (CQkApiLink) and by the
// monitoring pin of a driver's session; released and unloaded when the last
// of them lets go.
#ifndef VIX_COMM_QKAPI_BASE_H
#define VIX_COMM_QKAPI_BASE_H

#include <windows.h>

#include <memory>
#include <string>

#include "comm/qkapi.h"
#include "foundation/critical_section.h"

namespace vix {

struct QkApiEntryPoints {
    qk::PFN_QKInitialize QKInitialize = nullptr;
    qk::PFN_QKRelease QKRelease = nullptr;
    qk::PFN_QKGetDeviceID QKGetDeviceID = nullptr;
    qk::PFN_QKGetAvailableChannel QKGetAvailableChannel = nullptr;
    qk::PFN_QKOpenChannel QKOpenChannel = nullptr;
    qk::PFN_QKCloseChannel QKCloseChannel = nullptr;
    qk::PFN_QKSetOption QKSetOption = nullptr;
    qk::PFN_QKGetOption QKGetOption = nullptr;
    qk::PFN_QKReceiveCancel QKReceiveCancel = nullptr;
    qk::PFN_QKGetStatus QKGetStatus = nullptr;
    qk::PFN_QKReceive QKReceive = nullptr;
    qk::PFN_QKSend QKSend = nullptr;
};

class CQkApiBase {
public:
    // The process's one instance.
    static CQkApiBase& Instance();

    CQkApiBase() = default;
    ~CQkApiBase();
    CQkApiBase(const CQkApiBase&) = delete;
    CQkApiBase& operator=(const CQkApiBase&) = delete;

    // The driver whose key names the library file ("QKAPI32"); set from the
    // printer information of the process.
    void SetDriverName(const char* driver);

    // Loads and initialises the library when needed; returns m_bEnable.
    int Initialize();
    // Releases everything when nothing holds the binding any more.
    void Destroy();
    // The channel list of a printer, cached per process (not per printer).
    long QKGetAvailableChannel(long kind, const char* name);

    // A link or the monitoring pin holds the binding.
    void AddRef();
    void Release();
    long RefCount() const { return m_lRefCount; }

    int IsEnabled() const { return m_bEnable; }
    // Copies of the entry points and the cached list, taken under the lock.
    QkApiEntryPoints EntryPoints();
    const unsigned char* ChannelList(long* count, std::size_t* bytes);

    // The monitoring pin: held from the start of a driver's monitoring
    // session to its end.
    void AddMonitoringPin();
    void RemoveMonitoringPin();
    long MonitoringPins() const { return m_lMonitoringPins; }

    // At unload: the count is forced to 0 and everything released.
    void Shutdown();

private:
    void DestroyLocked();
    void FreeChannelList();

    CCriticalSection m_lock;  // links on several threads share the base
    long m_iChannelCount = -1;
    std::unique_ptr<unsigned char[]> m_pChannelList;
    std::size_t m_nChannelListBytes = 0;
    long m_lRefCount = 0;
    int m_bEnable = 0;
    HMODULE m_hModule = nullptr;
    long m_hQkApi = -1;
    QkApiEntryPoints m_fn;
    std::string m_strDriver;
    long m_lMonitoringPins = 0;
};

// A light user of the binding; keeps it alive while it lives.
class CQkApiLink {
public:
    CQkApiLink();
    virtual ~CQkApiLink();
    CQkApiLink(const CQkApiLink&) = delete;
    CQkApiLink& operator=(const CQkApiLink&) = delete;

    int IsEnabled() const;
    // Count of the printer's channel list (-15 for a null name); the
    // link then borrows the base's list.
    long GetAvailableChannel(long kind, const char* name);
    // The entry points, for callers that hold channel handles of their own
    // (the driver's monitoring session).
    const QkApiEntryPoints& Functions() const { return m_fn; }

protected:
    CQkApiBase* m_pBase;
    const unsigned char* m_pChannelList = nullptr;
    std::size_t m_nChannelListBytes = 0;
    long m_iChannelCount = -1;
    QkApiEntryPoints m_fn;  // all but QKGetAvailableChannel are used
    int m_bEnable = 0;
};

}  // namespace vix

#endif
