// Printer traffic on worker threads, so that a dialog never blocks:
// CQkCmdChnl sends queued commands one at a time and queues the replies;
// CQkStatChannel opens a status channel and fetches one status reply. Both
// report to a window by posted messages.
#ifndef VIX_COMM_QK_WORKERS_H
#define VIX_COMM_QK_WORKERS_H

#include <windows.h>

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

#include "comm/qkapi_ex.h"
#include "foundation/critical_section.h"
#include "foundation/handles.h"

namespace vix {

constexpr UINT WM_RESULT_CMDSENDREV = 0x414;
constexpr UINT WM_RESULT_QKSTCHANNEL = 0x429;
constexpr UINT WM_RESULT_QKSTATUS = 0x42A;

// One command exchange: what was sent, what came back, its result.
struct QkCmdRecord {
    std::vector<unsigned char> sent;
    std::vector<unsigned char> reply;
    long result = 0;
};

// Ends a worker cooperatively: the owner clears the running flag under the
// post lock, so that no message is posted once Stop() returned, and sets the
// wake event that cuts the worker's sleeps short.
class CWorkerControl {
public:
    CWorkerControl() : m_hWake(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    bool IsRunning() const { return m_bRunning.load() != 0; }
    void SetRunning() {
        ResetEvent(m_hWake.Get());
        m_bRunning = 1;
    }
    void Stop() {
        CLock lock(m_postLock);
        m_bRunning = 0;
        SetEvent(m_hWake.Get());
    }
    // Sleeps up to ms; false when told to stop.
    bool Sleep(DWORD ms) {
        if (!IsRunning()) return false;
        WaitForSingleObject(m_hWake.Get(), ms);
        return IsRunning();
    }
    // Posts only while running.
    bool Post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        CLock lock(m_postLock);
        return IsRunning() && PostMessageA(hwnd, msg, wp, lp) != FALSE;
    }

private:
    std::atomic<int> m_bRunning{0};
    CCriticalSection m_postLock;
    UniqueHandle m_hWake;
};

class CQkCmdChnl : public CQkApiEx2 {
public:
    CQkCmdChnl(long kind, const char* name, DWORD channel) : CQkApiEx2(kind, name, channel) {}
    ~CQkCmdChnl() override;

    // Starts the worker unless it runs; returns the running flag.
    int StartBlockingThread(HWND hwnd, DWORD intervalMs);
    // Stops and joins the worker and empties both queues.
    void EndBlockingThread();

    void AddSendRequest(const void* bytes, long length);
    void AddInkInfoRequest() { AddSendRequest(packets::kInkInfo, sizeof(packets::kInkInfo)); }
    void AddCartridgeReplacedRequest() {
        AddSendRequest(packets::kCartridgeReplaced, sizeof(packets::kCartridgeReplaced));
    }
    int GetFirstRequest(QkCmdRecord* out);
    void RemoveFirstRequest();
    int GetFirstResult(QkCmdRecord* out);
    void RemoveFirstResult();

    int IsRunning() const { return m_worker.IsRunning() ? 1 : 0; }
    HWND NotifyWindow() const { return m_hNotify; }
    DWORD Interval() const { return m_dwInterval; }

private:
    static DWORD WINAPI ThreadEntry(void* self);
    void QkBlockingThreadMain();

    CCriticalSection m_requestLock;
    std::deque<QkCmdRecord> m_requests;
    CCriticalSection m_resultLock;
    std::deque<QkCmdRecord> m_results;
    HWND m_hNotify = nullptr;
    DWORD m_dwInterval = 1000;
    UniqueHandle m_hThread;
    CWorkerControl m_worker;
};

class CQkStatChannel : public CQkApiChannel {
public:
    CQkStatChannel(long kind, const char* name) : CQkApiChannel(kind, name, 0, 0) {}
    // Ends the worker and frees the status buffer; does not close the channel.
    ~CQkStatChannel() override;

    virtual int StartStatusThread(HWND hwnd);
    virtual void EndStatusThread();
    // 1 with a new status buffer, 0 nothing yet, a negative code on failure.
    virtual long GetPrinterStatus();
    // Status channel candidates by index; 0 ends them.
    virtual DWORD EnumChannel(int index) const;

    long GetStatusBuffer(const char** out) const {
        *out = m_pStatus.get();
        return m_lStatusSize;
    }
    // 1 opened, 0 open failed, -1 no candidate channel.
    int SelectAndOpen();
    int IsRunning() const { return m_worker.IsRunning() ? 1 : 0; }

protected:
    virtual void QkStatusThreadMain();

private:
    static DWORD WINAPI ThreadEntry(void* self);

    HWND m_hNotify = nullptr;
    UniqueHandle m_hThread;
    CWorkerControl m_worker;
    std::unique_ptr<char[]> m_pStatus;
    long m_lStatusSize = 0;
};

}  // namespace vix

#endif
