#include "progress/progress_meter.h"

#include <winspool.h>

#include <atomic>
#include <cstring>
#include <memory>

#include "foundation/registry_key.h"
#include "foundation/text.h"
#include "foundation/trace.h"
#include "progress/zvma_interface.h"

namespace vix {

namespace {

// Shared by every meter of the process.
std::atomic<int> g_iProgressStop{0};

constexpr DWORD kMaxDocumentAnswer = 0x10000;

}  // namespace

bool ProgressStopFlag() { return g_iProgressStop.load() != 0; }

CProgressMeter::CProgressMeter() : m_hStop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) { g_iProgressStop = 0; }

CProgressMeter::~CProgressMeter() { Destroy(); }

int CProgressMeter::SetPrinter(const char* printer, const char* port) {
    TraceScope scope("CProgressMeter::SetPrinter");
    // The switch is read every time a printer and port are given.
    RegistryKey key;
    DWORD on = 0;
    if (key.Open(HKEY_LOCAL_MACHINE, kDebugKey)) on = key.ReadDword(kEnableProgressValue, 0);
    TraceWrite(scope, "EnableProgress = %lu\n", static_cast<unsigned long>(on));
    CRitLock lock(m_cs);
    m_bNoSpoolerCheck = on != 0;
    if (!m_strPrinter.empty() || !m_strPort.empty()) return 0;
    m_strPrinter = std::string(SafeView(printer));
    m_strPort = std::string(SafeView(port));
    return 1;
}

bool CProgressMeter::SpoolerCheckOff() {
    CRitLock lock(m_cs);
    return m_bNoSpoolerCheck;
}

bool CProgressMeter::AddPMJob(DWORD dwJobId, DWORD dwParam) {
    TraceScope scope("CProgressMeter::AddPMJob");
    UniqueHandle previous;
    {
        CRitLock lock(m_cs);
        for (const PMJob& j : m_JobArray)
            if (j.dwJobId == dwJobId) return false;
        bool bWasEmpty = m_JobArray.empty();
        m_JobArray.push_back({dwJobId, dwParam});
        TraceWrite(scope, "dwJobId = 0x%x, size of m_JobArray = %d\n", static_cast<unsigned>(dwJobId),
                   static_cast<int>(m_JobArray.size()));
        if (!bWasEmpty || m_bJobRemaining) return true;
        // A worker that found no job left is ending: it is waited for
        // outside the lock, which it may still need on its way out.
        previous = std::move(m_hThread);
        m_dwFirstJobId = dwJobId;
    }
    if (previous) WaitForSingleObject(previous.Get(), INFINITE);
    previous.Reset();
    CRitLock lock(m_cs);
    // Destroy sets the stop under the lock: no worker starts after it.
    if (m_hThread || Stopping()) return true;
    m_hThread.Reset(CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr));
    if (!m_hThread) TraceWrite(scope, "*** Error *** : CreateThread : %lu\n", GetLastError());
    return true;
}

void CProgressMeter::SetMeterParam(int kind, ULONG_PTR value) {
    CRitLock lock(m_cs);
    if (kind == PM_PARAM_NOTICE_WINDOW) m_hNoticeWnd = reinterpret_cast<HWND>(value);
    else if (kind == PM_PARAM_AUTOCLEAR_MASK) m_dwAutoClearMask = static_cast<DWORD>(value);
}

bool CProgressMeter::GetMeterParam(int kind, ULONG_PTR* pValue) {
    if (!pValue) return false;
    CRitLock lock(m_cs);
    if (kind == PM_PARAM_NOTICE_WINDOW) *pValue = reinterpret_cast<ULONG_PTR>(m_hNoticeWnd);
    else if (kind == PM_PARAM_AUTOCLEAR_MASK) *pValue = m_dwAutoClearMask;
    else return false;
    return true;
}

void CProgressMeter::PauseJob(DWORD dwTarget) {
    CRitLock lock(m_cs);
    m_dwCmdTarget = dwTarget;
    m_dwCommand = ZVM_COMMAND_PAUSE;
}

void CProgressMeter::ResumeJob(DWORD dwTarget) {
    CRitLock lock(m_cs);
    m_dwCmdTarget = dwTarget;
    m_dwCommand = ZVM_COMMAND_RESUME;
}

void CProgressMeter::CancelJob(DWORD dwTarget, DWORD dwReason) {
    TraceScope scope("CProgressMeter::CancelJob");
    TraceWrite(scope, "dwReason : 0x%08x\n", static_cast<unsigned>(dwReason));
    CRitLock lock(m_cs);
    m_dwCmdTarget = dwTarget;
    m_dwCommand = ZVM_COMMAND_DELETE;
    m_dwDelReason = dwReason;
}

bool CProgressMeter::GetWaitReason(DWORD* pdwWaitReason) {
    TraceScope scope("CProgressMeter::GetWaitReason");
    DWORD flags;
    {
        CRitLock lock(m_cs);
        flags = m_dwWaitFlags;
    }
    if (flags == 0) {
        TraceWrite(scope, "dwWaitReason == 0\n");
        return false;
    }
    DWORD r = SelectWaitReason(flags);
    if (pdwWaitReason) *pdwWaitReason = r;
    TraceWrite(scope, "SelectReason : *lpdwWaitReason = 0x%08x\n", static_cast<unsigned>(r));
    return true;
}

void CProgressMeter::ClearWaitReason(DWORD dwFlag) {
    CRitLock lock(m_cs);
    m_dwWaitFlags &= ~dwFlag;
}

bool CProgressMeter::GetJobStatus(ProgressInfo* pInfo) {
    CRitLock lock(m_cs);
    if (!m_bInfoValid || !pInfo) return false;
    std::memcpy(pInfo, &m_info, sizeof(m_info));
    return true;
}

int CProgressMeter::GetJobCount() {
    CRitLock lock(m_cs);
    return static_cast<int>(m_JobArray.size());
}

DWORD CProgressMeter::GetCurrentJobId() {
    CRitLock lock(m_cs);
    return m_info.dwJobId;
}

bool CProgressMeter::IsWorkerRunning() {
    CRitLock lock(m_cs);
    return m_hThread && WaitForSingleObject(m_hThread.Get(), 0) == WAIT_TIMEOUT;
}

void CProgressMeter::Destroy() {
    UniqueHandle worker;
    {
        CRitLock lock(m_cs);
        worker = std::move(m_hThread);
        if (!worker) return;
        g_iProgressStop = 1;
        if (m_hStop) SetEvent(m_hStop.Get());
    }
    WaitForSingleObject(worker.Get(), INFINITE);
}

// ---- the worker --------------------------------------------------------------

bool CProgressMeter::Stopping() const {
    return g_iProgressStop.load() != 0 || (m_hStop && WaitForSingleObject(m_hStop.Get(), 0) == WAIT_OBJECT_0);
}

// Sleeps, but wakes at once when this meter is destroyed.
void CProgressMeter::Pause(DWORD ms) {
    if (m_hStop) WaitForSingleObject(m_hStop.Get(), ms);
    else Sleep(ms);
}

DWORD WINAPI CProgressMeter::ThreadProc(void* self) {
    try {
        static_cast<CProgressMeter*>(self)->ProgressMain();
    } catch (...) {
        TraceScope scope;
        TraceWrite(scope, "*** Error *** : ProgressMain : exception\n");
    }
    return 0;
}

std::string CProgressMeter::ReadProgressDllName() {
    std::string printer;
    {
        CRitLock lock(m_cs);
        printer = m_strPrinter;
    }
    UniquePrinter h;
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), h.Put(), nullptr)) return std::string();
    DWORD needed = 0;
    GetPrinterA(h.Get(), 2, nullptr, 0, &needed);
    if (needed == 0 || needed > 1024 * 1024) return std::string();
    std::unique_ptr<BYTE[]> buf(new BYTE[needed]);
    if (!GetPrinterA(h.Get(), 2, buf.get(), needed, &needed)) return std::string();
    std::string_view driver = SafeView(reinterpret_cast<PRINTER_INFO_2A*>(buf.get())->pDriverName);
    if (driver.empty()) return std::string();
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, ("Software\\ZARVO\\VIX3\\Driver\\" + std::string(driver)).c_str()))
        return std::string();
    return key.ReadString(kProgressDllValue);
}

void CProgressMeter::DeleteOldestJob() {
    CRitLock lock(m_cs);
    if (!m_JobArray.empty()) m_JobArray.erase(m_JobArray.begin());
}

bool CProgressMeter::FindJob(DWORD dwJobId, DWORD* pParam) {
    CRitLock lock(m_cs);
    for (const PMJob& j : m_JobArray) {
        if (j.dwJobId == dwJobId) {
            if (pParam) *pParam = j.dwParam;
            return true;
        }
    }
    return false;
}

void CProgressMeter::RemoveJob(DWORD dwJobId) {
    CRitLock lock(m_cs);
    for (auto it = m_JobArray.begin(); it != m_JobArray.end(); ++it) {
        if (it->dwJobId == dwJobId) {
            m_JobArray.erase(it);
            return;
        }
    }
}

void CProgressMeter::PostNotice(UINT msg, DWORD dwWinJobId) {
    // Under the lock: the owner takes its window away through SetMeterParam
    // before the window goes, so nothing is posted to a window that is gone.
    CRitLock lock(m_cs);
    if (m_hNoticeWnd && IsWindow(m_hNoticeWnd)) PostMessageA(m_hNoticeWnd, msg, 0, static_cast<LPARAM>(dwWinJobId));
}

void CProgressMeter::ProgressMain() {
    TraceScope scope("CProgressMeter::ProgressMain");
    std::string printer, port;
    DWORD firstJob;
    {
        CRitLock lock(m_cs);
        printer = m_strPrinter;
        port = m_strPort;
        firstJob = m_dwFirstJobId;
    }
    std::string dll = ReadProgressDllName();
    DWORD level = dll.empty() ? 1 : 2;
    if (dll.empty()) dll = kDefaultProgressDll;
    TraceWrite(scope, "IFLevel = %d\n", static_cast<int>(level));

    CZvmaInterface zvma;
    m_pZvma = &zvma;
    void* hZvmaInst = zvma.ZVMA_Load(dll.c_str(), printer.c_str(), firstJob);
    if (!hZvmaInst && level == 2) {
        level = 1;
        hZvmaInst = zvma.ZVMA_Load(kDefaultProgressDll, printer.c_str(), firstJob);
    }
    if (!hZvmaInst) {
        TraceWrite(scope, "*** Error *** : ZVMA_Load : hZvmaInst == NULL\n");
        DeleteOldestJob();
        TraceWrite(scope, "Delete Oldest Job\n");
        m_pZvma = nullptr;
        return;
    }

    DWORD dwNextJob = 0;
    bool bSwitched = false;
    while (IsJobRemaining() && !Stopping()) {
        DWORD dwOpenAt;
        {
            CRitLock lock(m_cs);
            if (m_JobArray.empty()) break;
            dwOpenAt = bSwitched ? dwNextJob : m_JobArray.front().dwJobId;
        }
        bSwitched = false;
        DWORD dwJob = dwOpenAt;
        m_hProgMeterIF = zvma.ZVMA_Open(printer.c_str(), port.c_str(), level, &dwJob);
        if (!m_hProgMeterIF) {
            TraceWrite(scope, "*** Error *** : ZVMA_Open : m_hProgMeterIF == NULL\n");
        } else {
            while (!Stopping() && zvma.ZVMA_Test(m_hProgMeterIF)) {
                m_dwJobId = zvma.ZVMA_GetCurrentJob(m_hProgMeterIF);
                DWORD dwWinJobId = 0;
                DWORD dwParam = 0;
                if (!ReadFixed(ZVM_JOBINFO_WINJOBID, &dwWinJobId, sizeof(dwWinJobId))) {
                    TraceWrite(scope, "*** Error *** : ZVMA_GetJobInfo\n");
                } else if (FindJob(dwWinJobId, &dwParam)) {
                    if (dwWinJobId != dwOpenAt) {
                        dwNextJob = dwWinJobId;
                        bSwitched = true;
                        break;
                    }
                    {
                        CRitLock lock(m_cs);
                        std::memset(&m_info, 0, sizeof(m_info));
                        m_info.dwJobId = dwWinJobId;
                        m_info.dwParam = dwParam;
                    }
                    if (CheckWaitReason(dwWinJobId)) ProgressMeterProc(dwWinJobId);
                    if (Stopping()) break;
                    PostNotice(WM_PROGRESSIF_STATUS, dwWinJobId);
                    RemoveJob(dwWinJobId);
                    m_dwJobId = 0;
                }
                Pause(1000);
            }
            zvma.ZVMA_Close(m_hProgMeterIF);
            m_hProgMeterIF = nullptr;
        }
        if (Stopping()) break;
        Pause(1000);
    }
    zvma.ZVMA_Free();
    m_pZvma = nullptr;
}

bool CProgressMeter::IsJobRemaining() {
    TraceScope scope("CProgressMeter::IsJobRemaining");
    CRitLock lock(m_cs);
    if (!m_bNoSpoolerCheck && !m_JobArray.empty()) {
        UniquePrinter h;
        if (OpenPrinterA(const_cast<char*>(m_strPrinter.c_str()), h.Put(), nullptr)) {
            for (std::size_t i = 0; i < m_JobArray.size();) {
                DWORD needed = 0;
                SetLastError(0);
                GetJobA(h.Get(), m_JobArray[i].dwJobId, 1, nullptr, 0, &needed);
                DWORD err = GetLastError();
                TraceWrite(scope,
                           "CProgressMeter::IsJobRemaining m_JobArray[%d].dwJobId = 0x%x, Needed = %d, "
                           "dwLastError = %d\n",
                           static_cast<int>(i), static_cast<unsigned>(m_JobArray[i].dwJobId),
                           static_cast<int>(needed), static_cast<int>(err));
                if (needed == 0 || err == ERROR_INVALID_PARAMETER) m_JobArray.erase(m_JobArray.begin() + i);
                else ++i;
            }
        }
    }
    m_bJobRemaining = !m_JobArray.empty();
    if (!m_bJobRemaining) TraceWrite(scope, "size of m_JobArray = 0\n");
    return m_bJobRemaining;
}

bool CProgressMeter::ReadFixed(DWORD type, void* out, DWORD size) {
    DWORD needed = 0;
    BOOL ok = m_pZvma->ZVMA_GetJobInfo(m_hProgMeterIF, m_dwJobId, type, out, size, &needed);
    // An answer of another size than the type's is not taken.
    return ok != FALSE && needed == size;
}

bool CProgressMeter::WriteInfo(DWORD type, DWORD value) {
    return m_pZvma->ZVMA_SetJobInfo(m_hProgMeterIF, m_dwJobId, type, &value) != FALSE;
}

bool CProgressMeter::ReadDocumentName(char (&out)[kDocumentChars]) {
    std::memset(out, 0, sizeof(out));
    DWORD needed = 0;
    m_pZvma->ZVMA_GetJobInfo(m_hProgMeterIF, m_dwJobId, ZVM_JOBINFO_DOCUMENT, nullptr, 0, &needed);
    if (needed == 0 || needed > kMaxDocumentAnswer) return false;
    std::unique_ptr<unsigned char[]> buf(new unsigned char[needed]());
    DWORD got = needed;
    if (!m_pZvma->ZVMA_GetJobInfo(m_hProgMeterIF, m_dwJobId, ZVM_JOBINFO_DOCUMENT, buf.get(), needed, &got))
        return false;
    DecodeDocumentName(buf.get(), got < needed ? got : needed, out);
    return true;
}

void CProgressMeter::ReceiveJobInfo(DWORD dwWinJobId) {
    TraceScope scope("CProgressMeter::ReceiveJobInfo");
    char szDocument[kDocumentChars];
    if (!ReadDocumentName(szDocument)) TraceWrite(scope, "*** Error *** : ZVMA_GetJobInfo(1)\n");
    unsigned char media[kMediaSize] = {};
    uint16_t wMedia[3] = {0, 0, 0};
    if (ReadFixed(ZVM_JOBINFO_MEDIA, media, sizeof(media))) DecodeMedia(media, sizeof(media), wMedia);
    CRitLock lock(m_cs);
    m_info.dwJobId = dwWinJobId;
    std::memcpy(m_info.szDocument, szDocument, sizeof(szDocument));
    std::memcpy(m_info.wMedia, wMedia, sizeof(wMedia));
}

bool CProgressMeter::ReceiveJobStatus(DWORD dwWinJobId) {
    TraceScope scope("CProgressMeter::ReceiveJobStatus");
    bool bHasName;
    {
        CRitLock lock(m_cs);
        unsigned char type4[kType4Size] = {};
        bool ok = ReadFixed(ZVM_JOBINFO_TYPE4, type4, sizeof(type4));
        std::memcpy(m_info.bType4Head, type4, sizeof(m_info.bType4Head));
        std::memcpy(m_info.bType4Tail, type4 + sizeof(m_info.bType4Head), sizeof(m_info.bType4Tail));
        m_info.dwType4Result = ok ? 1 : 0;
        bHasName = m_info.szDocument[0] != '\0';
    }
    char szDocument[kDocumentChars] = {};
    bool bNewName = !bHasName && ReadDocumentName(szDocument);
    unsigned char media[kMediaSize] = {};
    uint16_t wMedia[3] = {0, 0, 0};
    bool bMedia = ReadFixed(ZVM_JOBINFO_MEDIA, media, sizeof(media)) && DecodeMedia(media, sizeof(media), wMedia);
    unsigned char raw102[8], raw103[8], raw104[4], raw101[4];
    uint32_t v102[2], v103[2], v104 = 0, v101 = 0;
    if (!ReadFixed(ZVM_JOBINFO_TYPE102, raw102, 8) || !DecodeDwords(raw102, 8, v102, 2) ||
        !ReadFixed(ZVM_JOBINFO_PROGRESS, raw103, 8) || !DecodeDwords(raw103, 8, v103, 2)) {
        TraceWrite(scope, "*** Error *** : ZVMA_GetJobInfo(102/103)\n");
        return false;
    }
    TraceWrite(scope, "Job Progress : %d/%d\n", static_cast<int>(v103[0]), static_cast<int>(v103[1]));
    bool b104 = ReadFixed(ZVM_JOBINFO_REMAINING, raw104, 4) && DecodeDwords(raw104, 4, &v104, 1);
    if (!ReadFixed(ZVM_JOBINFO_STATUS, raw101, 4) || !DecodeDwords(raw101, 4, &v101, 1)) {
        TraceWrite(scope, "*** Error *** : ZVMA_GetJobInfo(101)\n");
        return false;
    }
    CRitLock lock(m_cs);
    m_info.dwJobId = dwWinJobId;
    if (bNewName) std::memcpy(m_info.szDocument, szDocument, sizeof(szDocument));
    if (bMedia) std::memcpy(m_info.wMedia, wMedia, sizeof(wMedia));
    m_info.dwInfo102[0] = v102[0];
    m_info.dwInfo102[1] = v102[1];
    m_info.dwPagesDone = v103[0];
    m_info.dwPagesTotal = v103[1];
    m_info.dwRemainingValid = b104 ? 1 : 0;
    m_info.dwRemainingTime = b104 ? v104 : 0;
    m_info.dwJobStatus = v101;
    m_bInfoValid = true;
    return true;
}

void CProgressMeter::ProgressMeterProc(DWORD dwWinJobId) {
    TraceScope scope("CProgressMeter::ProgressMeterProc");
    m_pZvma->ZVMA_StartProgress(m_hProgMeterIF, m_dwJobId);
    ReceiveJobInfo(dwWinJobId);
    while (!Stopping() && m_pZvma->ZVMA_TestJob(m_hProgMeterIF, m_dwJobId)) {
        DWORD dwPause = 10;
        if (CheckWaitReason(dwWinJobId) && ReceiveJobStatus(dwWinJobId)) {
            PostNotice(WM_PROGRESSIF_STATUS, dwWinJobId);
            if (SendJobCommand(dwWinJobId)) dwPause = 1000;
        }
        Pause(dwPause);
    }
    m_pZvma->ZVMA_EndProgress(m_hProgMeterIF, m_dwJobId);
    CRitLock lock(m_cs);
    m_bInfoValid = false;
}

bool CProgressMeter::CheckWaitReason(DWORD dwWinJobId) {
    TraceScope scope("CProgressMeter::CheckWaitReason");
    DWORD dwWaitFlag = 0;
    if (!ReadFixed(ZVM_JOBINFO_WAITFLAG, &dwWaitFlag, sizeof(dwWaitFlag))) {
        TraceWrite(scope, "WaitReason Not Found\n");
        dwWaitFlag = 0;
    }
    if (dwWaitFlag == 0) {
        CRitLock lock(m_cs);
        m_dwWaitFlags = 0;
        return true;
    }
    TraceWrite(scope, "WaitReason Found[1st] : dwWaitFlag = 0x%08x\n", static_cast<unsigned>(dwWaitFlag));
    if (dwWaitFlag & kWaitAcknowledge) {
        WriteInfo(ZVM_JOBINFO_WAITFLAG, kWaitAcknowledge);
        dwWaitFlag &= ~kWaitAcknowledge;
    }
    DWORD dwAutoClearFlag;
    {
        CRitLock lock(m_cs);
        dwAutoClearFlag = dwWaitFlag & m_dwAutoClearMask;
    }
    if (dwAutoClearFlag) {
        TraceWrite(scope, "AutoClear : dwAutoClearFlag = 0x%08x\n", static_cast<unsigned>(dwAutoClearFlag));
        WriteInfo(ZVM_JOBINFO_WAITFLAG, dwAutoClearFlag);
        dwWaitFlag &= ~dwAutoClearFlag;
    }
    TraceWrite(scope, "WaitReason Found[2nd] : dwWaitFlag = 0x%08x\n", static_cast<unsigned>(dwWaitFlag));
    {
        CRitLock lock(m_cs);
        m_dwWaitFlags = dwWaitFlag;
    }
    PostNotice(WM_PROGRESSIF_WAIT, dwWinJobId);
    while (dwWaitFlag) {
        TraceWrite(scope, "WaitReason Found[3rd] : dwWaitFlag = 0x%08x\n", static_cast<unsigned>(dwWaitFlag));
        if (!m_pZvma->ZVMA_TestJob(m_hProgMeterIF, m_dwJobId)) {
            TraceWrite(scope, "*** Error *** : ZVMA_TestJob *** : m_hProgMeterIF = 0x%x, m_dwJobId = 0x%08x\n",
                       static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_hProgMeterIF)),
                       static_cast<unsigned>(m_dwJobId));
            CRitLock lock(m_cs);
            m_dwWaitFlags = 0;
            return false;
        }
        Pause(1000);
        DWORD dwCurrent;
        {
            CRitLock lock(m_cs);
            dwCurrent = m_dwWaitFlags;
        }
        // What the owner cleared is acknowledged to the service.
        WriteInfo(ZVM_JOBINFO_WAITFLAG, dwWaitFlag ^ dwCurrent);
        dwWaitFlag = dwCurrent;
        TraceWrite(scope, "Remainder WaitReason : dwRemainsReason = 0x%08x\n", static_cast<unsigned>(dwWaitFlag));
        SendJobCommand(dwWinJobId);
        if (Stopping()) {
            CRitLock lock(m_cs);
            m_dwWaitFlags = 0;
            return false;
        }
    }
    TraceWrite(scope, "Complete : CheckWaitReason\n");
    CRitLock lock(m_cs);
    m_dwWaitFlags = 0;
    return true;
}

bool CProgressMeter::SendJobCommand(DWORD dwWinJobId) {
    TraceScope scope("CProgressMeter::SendJobCommand");
    DWORD dwTarget, dwCommand, dwReason;
    {
        CRitLock lock(m_cs);
        dwTarget = m_dwCmdTarget;
        dwCommand = m_dwCommand;
        dwReason = m_dwDelReason;
        m_dwCmdTarget = 0;
        m_dwCommand = ZVM_COMMAND_NONE;
        m_dwDelReason = 0;
    }
    if (dwCommand == ZVM_COMMAND_NONE) return true;
    if (dwTarget != 0 && dwTarget != dwWinJobId) return true;  // not the current job: dropped
    auto logged = [&](const char* name, DWORD type, DWORD value) {
        TraceWrite(scope, "enter : ZVMA_SetJobInfo(%s) : m_dwJobId = 0x%08x, command =  0x%08x\n", name,
                   static_cast<unsigned>(m_dwJobId), static_cast<unsigned>(value));
        bool r = WriteInfo(type, value);
        TraceWrite(scope, "exit : ZVMA_SetJobInfo(%s) : Result %s\n", name, r ? "TRUE" : "FALSE");
        return r;
    };
    DWORD dwStatus = 0;
    switch (dwCommand) {
    case ZVM_COMMAND_PAUSE:
        TraceWrite(scope, "ZVM_COMMAND_PAUSE\n");
        if (!ReadFixed(ZVM_JOBINFO_STATUS, &dwStatus, sizeof(dwStatus))) return false;
        if (dwStatus & kJobStatusBit08) return true;
        if (dwStatus & kJobStatusPaused) return false;
        return logged("ZVM_JOBINFO_COMMAND", ZVM_JOBINFO_COMMAND, ZVM_COMMAND_PAUSE);
    case ZVM_COMMAND_RESUME:
        TraceWrite(scope, "ZVM_COMMAND_RESUME\n");
        if (!ReadFixed(ZVM_JOBINFO_STATUS, &dwStatus, sizeof(dwStatus))) return false;
        if (dwStatus & kJobStatusBit08) return true;
        if (dwStatus & kJobStatusPaused) return logged("ZVM_JOBINFO_COMMAND", ZVM_JOBINFO_COMMAND, ZVM_COMMAND_RESUME);
        return false;
    case ZVM_COMMAND_DELETE:
        TraceWrite(scope, "ZVM_COMMAND_DELETE\n");
        logged("ZVM_JOBINFO_DELREASON", ZVM_JOBINFO_DELREASON, dwReason);
        return logged("ZVM_JOBINFO_COMMAND", ZVM_JOBINFO_COMMAND, ZVM_COMMAND_DELETE);
    default:
        return true;
    }
}

}  // namespace vix
