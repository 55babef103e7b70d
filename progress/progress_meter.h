// CProgressMeter: follows the print jobs it is given through the
// progress-meter interface. One worker thread walks the interface's queue,
// copies the current job's progress into the information block, acts on
// the job's wait reasons and forwards pause, resume and delete commands.
#ifndef VIX_PROGRESS_PROGRESS_METER_H
#define VIX_PROGRESS_PROGRESS_METER_H

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/handles.h"
#include "progress/job_info.h"

namespace vix {

class CZvmaInterface;

constexpr UINT WM_PROGRESSIF_STATUS = 0x41E;  // 0 / Windows job id
constexpr UINT WM_PROGRESSIF_WAIT = 0x41F;    // 0 / Windows job id

enum : int {
    PM_PARAM_NOTICE_WINDOW = 1,
    PM_PARAM_AUTOCLEAR_MASK = 2,
};

// The driver key value naming the interface library, and the debug switch.
constexpr const char* kProgressDllValue = "ProgressDllName";
constexpr const char* kDebugKey = "Software\\Zarvo\\VIX3\\Debug";
constexpr const char* kEnableProgressValue = "EnableProgress";

// The process-wide stop flag: cleared when a meter is made, set by Destroy.
bool ProgressStopFlag();

class CRitSection {
public:
    CRitSection() { InitializeCriticalSection(&m_cs); }
    ~CRitSection() { DeleteCriticalSection(&m_cs); }
    CRitSection(const CRitSection&) = delete;
    CRitSection& operator=(const CRitSection&) = delete;
    void Enter() { EnterCriticalSection(&m_cs); }
    void Leave() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class CRitLock {
public:
    explicit CRitLock(CRitSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~CRitLock() { m_cs.Leave(); }
    CRitLock(const CRitLock&) = delete;
    CRitLock& operator=(const CRitLock&) = delete;

private:
    CRitSection& m_cs;
};

class CProgressMeter {
public:
    CProgressMeter();
    ~CProgressMeter();
    CProgressMeter(const CProgressMeter&) = delete;
    CProgressMeter& operator=(const CProgressMeter&) = delete;

    // Stores both while both are still empty (0 otherwise) and reads the
    // spooler-check switch.
    int SetPrinter(const char* printer, const char* port);
    bool AddPMJob(DWORD dwJobId, DWORD dwParam);
    void SetMeterParam(int kind, ULONG_PTR value);
    bool GetMeterParam(int kind, ULONG_PTR* pValue);
    void PauseJob(DWORD dwTarget);
    void ResumeJob(DWORD dwTarget);
    void CancelJob(DWORD dwTarget, DWORD dwReason);
    bool GetWaitReason(DWORD* pdwWaitReason);
    void ClearWaitReason(DWORD dwFlag);
    bool GetJobStatus(ProgressInfo* pInfo);
    int GetJobCount();
    DWORD GetCurrentJobId();
    void Destroy();

    // For the owner and tests: whether the spooler check is off, and whether
    // a worker thread is still running.
    bool SpoolerCheckOff();
    bool IsWorkerRunning();

private:
    struct PMJob {
        DWORD dwJobId;
        DWORD dwParam;
    };

    static DWORD WINAPI ThreadProc(void* self);
    void ProgressMain();
    bool IsJobRemaining();
    void ProgressMeterProc(DWORD dwWinJobId);
    void ReceiveJobInfo(DWORD dwWinJobId);
    bool ReceiveJobStatus(DWORD dwWinJobId);
    bool CheckWaitReason(DWORD dwWinJobId);
    bool SendJobCommand(DWORD dwWinJobId);
    void DeleteOldestJob();

    bool ReadDocumentName(char (&out)[kDocumentChars]);
    bool ReadFixed(DWORD type, void* out, DWORD size);
    bool WriteInfo(DWORD type, DWORD value);
    void PostNotice(UINT msg, DWORD dwWinJobId);
    bool Stopping() const;
    void Pause(DWORD ms);
    bool FindJob(DWORD dwJobId, DWORD* pParam);
    void RemoveJob(DWORD dwJobId);
    std::string ReadProgressDllName();

    CRitSection m_cs;
    std::vector<PMJob> m_JobArray;
    ProgressInfo m_info = {};
    DWORD m_dwCmdTarget = 0;
    DWORD m_dwCommand = ZVM_COMMAND_NONE;
    DWORD m_dwDelReason = 0;
    bool m_bInfoValid = false;
    bool m_bJobRemaining = false;
    DWORD m_dwWaitFlags = 0;
    std::string m_strPrinter;
    std::string m_strPort;
    DWORD m_dwFirstJobId = 0;
    HWND m_hNoticeWnd = nullptr;
    DWORD m_dwAutoClearMask = 0;
    bool m_bNoSpoolerCheck = false;

    // Used by the worker only.
    CZvmaInterface* m_pZvma = nullptr;
    HANDLE m_hProgMeterIF = nullptr;
    DWORD m_dwJobId = 0;

    UniqueHandle m_hThread;
    UniqueHandle m_hStop;  // this meter's own stop, set by Destroy
};

}  // namespace vix

#endif
