#include "comm/qk_workers.h"

#include <new>

#include "foundation/trace.h"

namespace vix {

// ---- command channel ------------------------------------------------------

CQkCmdChnl::~CQkCmdChnl() { EndBlockingThread(); }

int CQkCmdChnl::StartBlockingThread(HWND hwnd, DWORD intervalMs) {
    if (m_worker.IsRunning()) return 1;  // window and interval stay as they are
    m_hNotify = hwnd;
    m_dwInterval = intervalMs;
    m_worker.SetRunning();
    m_hThread.Reset(CreateThread(nullptr, 0, &CQkCmdChnl::ThreadEntry, this, 0, nullptr));
    if (!m_hThread) m_worker.Stop();
    return IsRunning();
}

void CQkCmdChnl::EndBlockingThread() {
    m_worker.Stop();
    if (m_hThread) {
        WaitForSingleObject(m_hThread.Get(), INFINITE);
        m_hThread.Reset();
    }
    {
        CLock lock(m_requestLock);
        m_requests.clear();
    }
    CLock lock(m_resultLock);
    m_results.clear();
}

void CQkCmdChnl::AddSendRequest(const void* bytes, long length) {
    TraceScope ts("CQkCmdChnl::AddSendRequest");
    try {
        QkCmdRecord r;
        if (bytes && length > 0) {
            const unsigned char* p = static_cast<const unsigned char*>(bytes);
            r.sent.assign(p, p + length);
        }
        CLock lock(m_requestLock);
        m_requests.push_back(std::move(r));
    } catch (...) {
        // no memory: the request is dropped
    }
    TraceWrite(ts, "Exit CQkCmdChnl::AddSendRequest\n");
}

int CQkCmdChnl::GetFirstRequest(QkCmdRecord* out) {
    CLock lock(m_requestLock);
    if (m_requests.empty()) return 0;
    try {
        *out = m_requests.front();
    } catch (...) {
        return 0;
    }
    return 1;
}

void CQkCmdChnl::RemoveFirstRequest() {
    CLock lock(m_requestLock);
    if (!m_requests.empty()) m_requests.pop_front();
}

int CQkCmdChnl::GetFirstResult(QkCmdRecord* out) {
    CLock lock(m_resultLock);
    if (m_results.empty()) return 0;
    try {
        *out = m_results.front();
    } catch (...) {
        return 0;
    }
    return 1;
}

void CQkCmdChnl::RemoveFirstResult() {
    CLock lock(m_resultLock);
    if (!m_results.empty()) m_results.pop_front();
}

DWORD WINAPI CQkCmdChnl::ThreadEntry(void* self) {
    try {
        static_cast<CQkCmdChnl*>(self)->QkBlockingThreadMain();
    } catch (...) {
        // nothing leaves the thread
    }
    return 0;
}

void CQkCmdChnl::QkBlockingThreadMain() {
    TraceScope ts("CQkCmdChnl::QkBlockingThreadMain");
    if (m_worker.Sleep(500)) {
        for (;;) {
            TraceWrite(ts, "Command loop Head\n");
            if (!m_worker.IsRunning()) break;
            QkCmdRecord request;
            if (GetFirstRequest(&request)) {
                if (!m_worker.IsRunning()) break;
                TraceDump(ts, request.sent.data(), static_cast<int>(request.sent.size()), 1, "send cmmand data:");
                QkReply reply;
                long result = CommonQKSend(request.sent.data(), static_cast<long>(request.sent.size()), &reply);
                try {
                    QkCmdRecord done;
                    done.sent = request.sent;
                    if (result > 0 && reply.data)
                        done.reply.assign(reply.data.get(), reply.data.get() + reply.size);
                    done.result = result;
                    CLock lock(m_resultLock);
                    m_results.push_back(std::move(done));
                } catch (...) {
                    // no memory: the result is dropped
                }
                reply.Reset();
                if (!m_worker.IsRunning()) break;
                // A request leaves the queue only once its result is queued
                // and announced.
                if (!m_worker.Post(m_hNotify, WM_RESULT_CMDSENDREV, static_cast<WPARAM>(GetHandle()),
                                   static_cast<LPARAM>(result))) {
                    if (!m_worker.IsRunning()) break;
                }
                RemoveFirstRequest();
            }
            if (!m_worker.Sleep(m_dwInterval)) break;
        }
    }
    TraceWrite(ts, "Command loop end\n");
}

// ---- status channel -------------------------------------------------------

CQkStatChannel::~CQkStatChannel() { EndStatusThread(); }

int CQkStatChannel::StartStatusThread(HWND hwnd) {
    if (m_worker.IsRunning()) return 0;
    if (m_hThread) {  // a finished worker of an earlier fetch
        WaitForSingleObject(m_hThread.Get(), INFINITE);
        m_hThread.Reset();
    }
    m_hNotify = hwnd;
    m_worker.SetRunning();
    m_hThread.Reset(CreateThread(nullptr, 0, &CQkStatChannel::ThreadEntry, this, 0, nullptr));
    if (!m_hThread) {
        m_worker.Stop();
        return 0;
    }
    return 1;
}

void CQkStatChannel::EndStatusThread() {
    m_worker.Stop();
    if (m_hThread) {
        WaitForSingleObject(m_hThread.Get(), INFINITE);
        m_hThread.Reset();
    }
}

DWORD CQkStatChannel::EnumChannel(int index) const {
    static const DWORD kCandidates[] = {qk::CHANNEL_LOCAL, qk::CHANNEL_NET_STATUS, qk::CHANNEL_NET_RW,
                                        qk::CHANNEL_NET_CMD, qk::CHANNEL_TAGGED, 0};
    return index >= 0 && index < 6 ? kCandidates[index] : 0;
}

int CQkStatChannel::SelectAndOpen() {
    for (int i = 0;; ++i) {
        DWORD c = EnumChannel(i);
        if (c == 0) return -1;
        int r = SelectChannel(c, qk::MODE_STATUS);
        if (r == 1) break;
        if (r == -1) return -1;
    }
    return OpenChannel() > 0 ? 1 : 0;
}

long CQkStatChannel::GetPrinterStatus() {
    TraceScope ts("CQkStatChannel::GetPrinterStatus");
    TraceWrite(ts, "Enter CQkStatChannel::GetPrinterStatus\n");
    long result;
    if (!IsChannelOpen() || m_hChannel <= 0) {
        result = -1;
    } else {
        LONG size = 0;
        long r = GetStatus(nullptr, &size);
        TraceWrite(ts, "QKGetStatus(1st) : %d\n", static_cast<int>(r));
        if (r == 0) {
            result = 0;
        } else if (r < 0 && r != qk::QK_MORE_DATA) {
            result = r;
        } else if (size < 1 || size > (1 << 20)) {
            result = -2;  // no buffer for a size like that
        } else {
            const LONG capacity = size;
            // One byte more than asked for, so the text always ends in a zero.
            std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(capacity) + 1]());
            if (!buffer) {
                result = -2;
            } else {
                r = GetStatus(buffer.get(), &size);
                TraceWrite(ts, "QKGetStatus(2nd) : %d\n", static_cast<int>(r));
                if (r <= 0) {
                    result = r;
                } else {
                    long length = r > capacity ? capacity : r;
                    buffer[length] = '\0';
                    m_pStatus = std::move(buffer);
                    m_lStatusSize = length;
                    result = 1;
                }
            }
        }
    }
    TraceWrite(ts, "Exit CQkStatChannel::GetPrinterStatus\n");
    return result;
}

DWORD WINAPI CQkStatChannel::ThreadEntry(void* self) {
    try {
        static_cast<CQkStatChannel*>(self)->QkStatusThreadMain();
    } catch (...) {
    }
    return 0;
}

void CQkStatChannel::QkStatusThreadMain() {
    TraceScope ts("CQkStatChannel::QkStatusThreadMain");
    if (!m_worker.Sleep(500)) return;
    if (m_hChannel <= 0) {
        int r = SelectAndOpen();
        if (r <= 0) {
            m_worker.Post(m_hNotify, WM_RESULT_QKSTCHANNEL, static_cast<WPARAM>(r), 0);
            return;
        }
    }
    if (!m_worker.IsRunning()) return;
    long r = GetPrinterStatus();
    if (m_worker.Post(m_hNotify, WM_RESULT_QKSTATUS, static_cast<WPARAM>(r), 0))
        TraceWrite(ts, "CQkStatChannel::Status loop end\n");
}

}  // namespace vix
