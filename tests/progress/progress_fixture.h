// Fixtures of the progress-meter tests: the service program as a second
// process, a message-only notice window, a job in Wine's spooler, and the
// emulated job queue of a printer, each cleaned up when it goes.
#ifndef VIX_TESTS_PROGRESS_FIXTURE_H
#define VIX_TESTS_PROGRESS_FIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

#include "emu/condition.h"
#include "foundation/handles.h"
#include "progress/job_queue.h"

namespace vixtest {

// zvpmsvc.exe started for the test and stopped (or ended) afterwards.
class ServiceProcess {
public:
    ServiceProcess() = default;
    ~ServiceProcess() { Stop(); }
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;
    // Starts the service and waits until it listens.
    bool Start();
    void Stop();
    // Waits for the process to end by itself.
    bool WaitExit(DWORD ms);
    DWORD Pid() const { return m_pid; }

private:
    vix::UniqueHandle m_hProcess;
    vix::UniqueHandle m_hStop;
    DWORD m_pid = 0;
};

// A message-only window that records the messages posted to it.
class NoticeWindow {
public:
    NoticeWindow();
    ~NoticeWindow();
    NoticeWindow(const NoticeWindow&) = delete;
    NoticeWindow& operator=(const NoticeWindow&) = delete;
    HWND Handle() const { return m_hWnd; }
    // Pumps messages until msg (with lParam, unless any) has come or the
    // time is up.
    bool WaitFor(UINT msg, LPARAM lParam, DWORD ms, bool anyLParam = false);
    // Pumps for a while and counts what came.
    int Count(UINT msg) const;
    void Pump(DWORD ms);
    void Clear() { m_msgs.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hWnd = nullptr;
    struct Msg {
        UINT msg;
        WPARAM w;
        LPARAM l;
    };
    std::vector<Msg> m_msgs;
};

// A job of this process in Wine's spooler, with an open document.
class SpoolerJob {
public:
    explicit SpoolerJob(const std::string& printer, const char* document = "Spooled document");
    ~SpoolerJob();
    SpoolerJob(const SpoolerJob&) = delete;
    SpoolerJob& operator=(const SpoolerJob&) = delete;
    DWORD Id() const { return m_dwJobId; }

private:
    vix::UniquePrinter m_hPrinter;
    DWORD m_dwJobId = 0;
};

// The emulated job queue of a printer, removed afterwards.
class EmuQueue {
public:
    explicit EmuQueue(const std::string& printer) : m_printer(printer) { vixbed::RemoveEmuQueue(printer); }
    ~EmuQueue() { vixbed::RemoveEmuQueue(m_printer); }
    EmuQueue(const EmuQueue&) = delete;
    EmuQueue& operator=(const EmuQueue&) = delete;
    DWORD Add(DWORD winJobId, const std::string& document = "Report.doc", DWORD status = 0, DWORD wait = 0);
    DWORD Add(const vixbed::EmuJob& job) { return vixbed::AddEmuJob(m_printer, job); }
    vixbed::EmuJob Get(DWORD ifJobId) const;
    bool Has(DWORD ifJobId) const;
    const std::string& Printer() const { return m_printer; }

private:
    std::string m_printer;
};

// A setting of the service program for the fixture's life.
class ScopedServiceSetting {
public:
    ScopedServiceSetting(const char* name, const char* value) : m_name(name) {
        vixbed::SetServiceSetting(name, value);
    }
    ~ScopedServiceSetting() { vixbed::SetServiceSetting(m_name.c_str(), ""); }

private:
    std::string m_name;
};

// The bench call log from an offset on, of one module.
std::vector<vixbed::CallRecord> ModuleCalls(long long fromOffset, const std::string& module);
// True when some call of the list has op and its arguments contain text.
bool HasCall(const std::vector<vixbed::CallRecord>& calls, const std::string& op, const std::string& text);

// Polls cond every 50 ms, pumping messages, until it holds or ms pass.
template <class F>
bool Eventually(F cond, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start > ms) return false;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        Sleep(50);
    }
}

}  // namespace vixtest

#endif
