// CZvmaInterface: the progress-meter interface, either the interface library
// beside the running program (functions by ordinal) or, for a job a print
// server renders, the same operations as remote procedure calls to the
// server's progress-meter service. Used by one worker thread at a time.
#ifndef VIX_PROGRESS_ZVMA_INTERFACE_H
#define VIX_PROGRESS_ZVMA_INTERFACE_H

#include <windows.h>
#include <rpc.h>

#include <memory>
#include <string>

namespace vix {

// The default interface library.
constexpr const char* kDefaultProgressDll = "zvpmif10.dll";

// Ordinals of the interface library.
enum : int {
    ZVMA_ORD_OPEN = 3,
    ZVMA_ORD_CLOSE = 4,
    ZVMA_ORD_TEST = 5,
    ZVMA_ORD_GETCURRENTJOB = 102,
    ZVMA_ORD_TESTJOB = 103,
    ZVMA_ORD_SETJOBINFO = 200,
    ZVMA_ORD_GETJOBINFO = 202,
    ZVMA_ORD_STARTPROGRESS = 300,
    ZVMA_ORD_ENDPROGRESS = 301,
};

// The interface library's functions (callee pops on x86).
using PFN_ZVMA_Open = HANDLE(WINAPI*)(const char* printer, const char* port, DWORD level, DWORD* pWinJobId);
using PFN_ZVMA_Handle = BOOL(WINAPI*)(HANDLE h);
using PFN_ZVMA_GetCurrentJob = DWORD(WINAPI*)(HANDLE h);
using PFN_ZVMA_Job = BOOL(WINAPI*)(HANDLE h, DWORD job);
using PFN_ZVMA_SetJobInfo = BOOL(WINAPI*)(HANDLE h, DWORD job, DWORD type, const void* value);
using PFN_ZVMA_GetJobInfo = BOOL(WINAPI*)(HANDLE h, DWORD job, DWORD type, void* buffer, DWORD size,
                                          DWORD* pNeeded);

// The local computer's name, read once per process ("" when unknown).
const char* LocalComputerName();

// One RPC binding handle; the same handle is the process-wide implicit
// binding of the Load procedure while it is held.
class CZvmaRpcBinding {
public:
    CZvmaRpcBinding() = default;
    ~CZvmaRpcBinding() { Free(); }
    CZvmaRpcBinding(const CZvmaRpcBinding&) = delete;
    CZvmaRpcBinding& operator=(const CZvmaRpcBinding&) = delete;

    // Binds to server (null or "" for none) over protseq with an endpoint
    // (null for the default). The RPC status is left as the last error;
    // true when it is 0.
    bool Bind(const char* server, const char* protseq, const char* endpoint);
    void Free();
    RPC_BINDING_HANDLE Handle() const { return m_hBinding; }
    // The string binding composed by the last Bind.
    const std::string& StringBinding() const { return m_strBinding; }

private:
    RPC_BINDING_HANDLE m_hBinding = nullptr;
    std::string m_strBinding;
};

class CZvmaInterface {
public:
    enum Mode { MODE_NONE = -1, MODE_LIBRARY = 0, MODE_RPC = 1 };

    CZvmaInterface() = default;
    ~CZvmaInterface();
    CZvmaInterface(const CZvmaInterface&) = delete;
    CZvmaInterface& operator=(const CZvmaInterface&) = delete;

    // Loads the interface for a printer: RPC to the print server when the
    // printer is "\\server\printer" and its first job is spooled as EMF on
    // an NT-family system, else the library from the program's directory.
    // Null on failure.
    void* ZVMA_Load(const char* library, const char* printer, DWORD firstJobId);
    // The RPC half of loading: bind to server over protseq and open the
    // service's context for printer (the full name) and library.
    void* LoadRpc(const char* server, const char* protseq, const char* printer, const char* library);
    void ZVMA_Free();

    HANDLE ZVMA_Open(const char* printer, const char* port, DWORD level, DWORD* pWinJobId);
    BOOL ZVMA_Close(HANDLE h);
    BOOL ZVMA_Test(HANDLE h);
    DWORD ZVMA_GetCurrentJob(HANDLE h);
    BOOL ZVMA_TestJob(HANDLE h, DWORD job);
    BOOL ZVMA_SetJobInfo(HANDLE h, DWORD job, DWORD type, const void* value);
    BOOL ZVMA_GetJobInfo(HANDLE h, DWORD job, DWORD type, void* buffer, DWORD size, DWORD* pNeeded);
    BOOL ZVMA_StartProgress(HANDLE h, DWORD job);
    BOOL ZVMA_EndProgress(HANDLE h, DWORD job);

    int GetMode() const { return m_iMode; }
    void* Instance() const { return m_hInstance; }
    // The string binding in RPC mode ("" otherwise).
    std::string BindingText() const { return m_pBinding ? m_pBinding->StringBinding() : std::string(); }

private:
    void* LoadLibraryMode(const char* library);
    bool WantsRpc(const char* printer, DWORD firstJobId, std::string* server) const;
    template <class F>
    long Rpc(const char* op, F&& call);

    std::unique_ptr<CZvmaRpcBinding> m_pBinding;
    HANDLE m_hRpcChannel = nullptr;  // the channel opened last in RPC mode
    void* m_hInstance = nullptr;     // module (library) or Load result (RPC)
    int m_iMode = MODE_NONE;
    void* m_hContext = nullptr;      // the service's context handle

    PFN_ZVMA_Open m_pfnOpen = nullptr;
    PFN_ZVMA_Handle m_pfnClose = nullptr;
    PFN_ZVMA_Handle m_pfnTest = nullptr;
    PFN_ZVMA_GetCurrentJob m_pfnGetCurrentJob = nullptr;
    PFN_ZVMA_Job m_pfnTestJob = nullptr;
    PFN_ZVMA_SetJobInfo m_pfnSetJobInfo = nullptr;
    PFN_ZVMA_GetJobInfo m_pfnGetJobInfo = nullptr;
    PFN_ZVMA_Job m_pfnStartProgress = nullptr;
    PFN_ZVMA_Job m_pfnEndProgress = nullptr;
};

}  // namespace vix

#endif
