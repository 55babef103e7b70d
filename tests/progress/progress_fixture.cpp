#include "progress_fixture.h"

#include <winspool.h>

#include <cstdio>

#include "provision/provision.h"
#include "support/bed_fixture.h"

namespace vixtest {

bool ServiceProcess::Start() {
    std::string stop = UniqueName("VixBedSvcStop"), ready = UniqueName("VixBedSvcReady");
    for (char& c : stop)
        if (c == ' ') c = '_';
    for (char& c : ready)
        if (c == ' ') c = '_';
    m_hStop.Reset(CreateEventA(nullptr, TRUE, FALSE, stop.c_str()));
    vix::UniqueHandle hReady(CreateEventA(nullptr, TRUE, FALSE, ready.c_str()));
    std::string exe = vixbed::ProgramDirectory() + "zvpmsvc.exe";
    std::string cmd = "\"" + exe + "\" --ready " + ready + " --stop " + stop;
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    m_hProcess.Reset(pi.hProcess);
    m_pid = pi.dwProcessId;
    HANDLE both[2] = {hReady.Get(), m_hProcess.Get()};
    return WaitForMultipleObjects(2, both, FALSE, 20000) == WAIT_OBJECT_0;
}

void ServiceProcess::Stop() {
    if (!m_hProcess) return;
    if (m_hStop) SetEvent(m_hStop.Get());
    if (WaitForSingleObject(m_hProcess.Get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(m_hProcess.Get(), 1);
        WaitForSingleObject(m_hProcess.Get(), 5000);
    }
    m_hProcess.Reset();
}

bool ServiceProcess::WaitExit(DWORD ms) {
    return m_hProcess && WaitForSingleObject(m_hProcess.Get(), ms) == WAIT_OBJECT_0;
}

NoticeWindow::NoticeWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VixTestNoticeWindow";
    RegisterClassA(&wc);
    m_hWnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

NoticeWindow::~NoticeWindow() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

LRESULT CALLBACK NoticeWindow::Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<NoticeWindow*>(GetWindowLongPtrA(h, GWLP_USERDATA));
    if (self && msg >= WM_USER) {
        self->m_msgs.push_back({msg, w, l});
        return 0;
    }
    return DefWindowProcA(h, msg, w, l);
}

void NoticeWindow::Pump(DWORD ms) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
}

bool NoticeWindow::WaitFor(UINT msg, LPARAM lParam, DWORD ms, bool anyLParam) {
    DWORD start = GetTickCount();
    for (;;) {
        for (const Msg& m : m_msgs)
            if (m.msg == msg && (anyLParam || m.l == lParam)) return true;
        if (GetTickCount() - start > ms) return false;
        Pump(50);
    }
}

int NoticeWindow::Count(UINT msg) const {
    int n = 0;
    for (const Msg& m : m_msgs) n += m.msg == msg;
    return n;
}

SpoolerJob::SpoolerJob(const std::string& printer, const char* document) {
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), m_hPrinter.Put(), nullptr)) return;
    DOC_INFO_1A di = {const_cast<char*>(document), nullptr, nullptr};
    m_dwJobId = StartDocPrinterA(m_hPrinter.Get(), 1, reinterpret_cast<BYTE*>(&di));
}

SpoolerJob::~SpoolerJob() {
    if (m_hPrinter && m_dwJobId) SetJobA(m_hPrinter.Get(), m_dwJobId, 0, nullptr, JOB_CONTROL_DELETE);
}

DWORD EmuQueue::Add(DWORD winJobId, const std::string& document, DWORD status, DWORD wait) {
    vixbed::EmuJob j;
    j.winJobId = winJobId;
    j.document = document;
    j.pagesDone = 1;
    j.pagesTotal = 3;
    j.hasRemaining = true;
    j.remaining = 42;
    j.media[0] = 0x0102;
    j.media[1] = 0x0304;
    j.media[2] = 0x0506;
    j.info102[0] = 7;
    j.info102[1] = 8;
    j.status = status;
    j.wait = wait;
    return vixbed::AddEmuJob(m_printer, j);
}

vixbed::EmuJob EmuQueue::Get(DWORD ifJobId) const {
    vixbed::EmuJob j;
    vixbed::LoadEmuJob(m_printer, ifJobId, &j);
    return j;
}

bool EmuQueue::Has(DWORD ifJobId) const {
    vixbed::EmuJob j;
    return vixbed::LoadEmuJob(m_printer, ifJobId, &j);
}

std::vector<vixbed::CallRecord> ModuleCalls(long long fromOffset, const std::string& module) {
    std::vector<vixbed::CallRecord> out;
    for (auto& r : vixbed::ReadCallLog(fromOffset))
        if (r.module == module) out.push_back(r);
    return out;
}

bool HasCall(const std::vector<vixbed::CallRecord>& calls, const std::string& op, const std::string& text) {
    for (auto& r : calls)
        if (r.op == op && r.args.find(text) != std::string::npos) return true;
    return false;
}

}  // namespace vixtest
