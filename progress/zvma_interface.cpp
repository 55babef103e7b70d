#include "progress/zvma_interface.h"

#include <winspool.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "foundation/handles.h"
#include "foundation/text.h"
#include "foundation/trace.h"
#include "progress/job_info.h"
#include "progress/rpc_guard.h"
#include "zvpm.h"

namespace vix {

const char* LocalComputerName() {
    static char s_szName[16] = "";
    static std::once_flag s_once;
    std::call_once(s_once, [] {
        DWORD n = sizeof(s_szName);
        if (!GetComputerNameA(s_szName, &n)) s_szName[0] = '\0';
    });
    return s_szName;
}

// ---- binding -------------------------------------------------------------

bool CZvmaRpcBinding::Bind(const char* server, const char* protseq, const char* endpoint) {
    TraceScope scope("CZvmaRpcBinding::Bind");
    Free();
    BindingPlan plan = ChooseBinding(SafeView(server), SafeView(protseq), SafeView(endpoint), LocalComputerName());
    RPC_CSTR pszBinding = nullptr;
    RPC_STATUS status = RpcStringBindingComposeA(
        nullptr, reinterpret_cast<RPC_CSTR>(const_cast<char*>(plan.protseq.c_str())),
        plan.networkAddress.empty() ? nullptr
                                    : reinterpret_cast<RPC_CSTR>(const_cast<char*>(plan.networkAddress.c_str())),
        plan.endpoint.empty() ? nullptr : reinterpret_cast<RPC_CSTR>(const_cast<char*>(plan.endpoint.c_str())),
        nullptr, &pszBinding);
    if (status == RPC_S_OK) {
        m_strBinding = reinterpret_cast<const char*>(pszBinding);
        status = RpcBindingFromStringBindingA(pszBinding, &m_hBinding);
        RpcStringFreeA(&pszBinding);
    }
    if (status != RPC_S_OK) m_hBinding = nullptr;
    TraceWrite(scope, "Binding : %s : status = %ld\n", m_strBinding.c_str(), static_cast<long>(status));
    SetLastError(static_cast<DWORD>(status));
    return status == RPC_S_OK;
}

void CZvmaRpcBinding::Free() {
    if (m_hBinding) {
        if (zvpm_IfHandle == m_hBinding) zvpm_IfHandle = nullptr;
        RpcBindingFree(&m_hBinding);
        m_hBinding = nullptr;
    }
}

// ---- the interface ----------------------------------------------------------

CZvmaInterface::~CZvmaInterface() {
    if (m_iMode == MODE_RPC && m_hRpcChannel) ZVMA_Close(m_hRpcChannel);
    ZVMA_Free();
    if (m_hContext) RpcSsDestroyClientContext(&m_hContext);  // the service is gone: drop our side
    m_pBinding.reset();
}

// Runs one call of the client stubs; an exception of the RPC run time makes
// the result 0.
template <class F>
long CZvmaInterface::Rpc(const char* op, F&& call) {
    struct Frame {
        F* call;
        long result;
    } frame{&call, 0};
    unsigned long code = 0;
    bool ok = RunGuarded(
        [](void* p) {
            Frame* f = static_cast<Frame*>(p);
            f->result = (*f->call)();
        },
        &frame, &code);
    if (ok) return frame.result;
    TraceScope scope;
    TraceWrite(scope, "*** Error *** : %s : RPC exception 0x%08lx\n", op, code);
    return 0;
}

namespace {

// The data type of a printer: a job spooled without one of its own has its
// printer's. The printer is opened by the name the job gives it, as the
// spooler may not answer printer queries through a server-named handle.
std::string PrinterDataType(std::string_view jobPrinter, HANDLE hFallback) {
    UniquePrinter hOwn;
    HANDLE h = hFallback;
    if (!jobPrinter.empty() && OpenPrinterA(const_cast<char*>(std::string(jobPrinter).c_str()), hOwn.Put(), nullptr))
        h = hOwn.Get();
    DWORD needed = 0;
    GetPrinterA(h, 2, nullptr, 0, &needed);
    if (needed == 0 || needed > 1024 * 1024) return std::string();
    std::vector<BYTE> buf(needed);
    if (!GetPrinterA(h, 2, buf.data(), needed, &needed)) return std::string();
    return std::string(SafeView(reinterpret_cast<const PRINTER_INFO_2A*>(buf.data())->pDatatype));
}

}  // namespace

bool CZvmaInterface::WantsRpc(const char* printer, DWORD firstJobId, std::string* server) const {
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&vi) || vi.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
#pragma GCC diagnostic pop
    if (!SplitServerPrinter(SafeView(printer), server, nullptr)) return false;
    UniquePrinter hPrinter;
    if (!OpenPrinterA(const_cast<char*>(printer), hPrinter.Put(), nullptr)) return false;
    DWORD needed = 0;
    GetJobA(hPrinter.Get(), firstJobId, 2, nullptr, 0, &needed);
    if (needed == 0 || needed > 1024 * 1024) return false;
    std::vector<BYTE> buf(needed);
    if (!GetJobA(hPrinter.Get(), firstJobId, 2, buf.data(), needed, &needed)) return false;
    const JOB_INFO_2A* job = reinterpret_cast<const JOB_INFO_2A*>(buf.data());
    std::string dataType = SafeView(job->pDatatype).empty() ? std::string() : std::string(job->pDatatype);
    if (dataType.empty()) dataType = PrinterDataType(SafeView(job->pPrinterName), hPrinter.Get());
    return DataTypeIsEmf(dataType);
}

void* CZvmaInterface::ZVMA_Load(const char* library, const char* printer, DWORD firstJobId) {
    TraceScope scope("CZvmaInterface::ZVMA_Load");
    if (m_iMode != MODE_NONE) ZVMA_Free();
    std::string server;
    if (WantsRpc(printer, firstJobId, &server)) {
        TraceWrite(scope, "RPC : server = %s\n", server.c_str());
        return LoadRpc(server.c_str(), "ncacn_np", printer, library);
    }
    return LoadLibraryMode(library);
}

void* CZvmaInterface::LoadRpc(const char* server, const char* protseq, const char* printer, const char* library) {
    TraceScope scope("CZvmaInterface::LoadRpc");
    m_iMode = MODE_RPC;
    m_hInstance = nullptr;
    m_pBinding.reset(new CZvmaRpcBinding);
    std::string endpoint = PipeEndpoint(kPipeEndpointName);
    if (!m_pBinding->Bind(server, protseq, endpoint.c_str())) {
        DWORD status = GetLastError();  // left for the caller
        TraceWrite(scope, "*** Error *** : bind : %lu\n", status);
        SetLastError(status);
        return nullptr;  // no fall-back to the library
    }
    zvpm_IfHandle = m_pBinding->Handle();
    const char* szPrinter = printer ? printer : "";
    const char* szLibrary = library ? library : "";
    ZVPM_CONTEXT ctx = nullptr;
    long r = Rpc("ZVMA_Load", [&] { return static_cast<long>(ZvpmLoad(&ctx, szPrinter, szLibrary)); });
    m_hContext = ctx;
    if (r == 0) {
        if (m_hContext) RpcSsDestroyClientContext(&m_hContext);
        return nullptr;
    }
    m_hInstance = reinterpret_cast<void*>(static_cast<intptr_t>(r));
    return m_hInstance;
}

void* CZvmaInterface::LoadLibraryMode(const char* library) {
    TraceScope scope("CZvmaInterface::LoadLibraryMode");
    m_iMode = MODE_LIBRARY;
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (n == 0 || n >= sizeof(path)) path[0] = '\0';
    char* slash = std::strrchr(path, '\\');
    if (slash) slash[1] = '\0';
    else path[0] = '\0';  // no directory: the file name alone
    if (!AppendText(path, SafeView(library), TextFit::Fail)) {
        TraceWrite(scope, "*** Error *** : library path too long\n");
        return nullptr;
    }
    HMODULE h = LoadLibraryA(path);
    TraceWrite(scope, "LoadLibrary(%s) = %p\n", path, static_cast<void*>(h));
    if (!h) return nullptr;
    auto get = [h](int ordinal) {
        return reinterpret_cast<void*>(GetProcAddress(h, MAKEINTRESOURCEA(ordinal)));
    };
    m_pfnOpen = reinterpret_cast<PFN_ZVMA_Open>(get(ZVMA_ORD_OPEN));
    m_pfnClose = reinterpret_cast<PFN_ZVMA_Handle>(get(ZVMA_ORD_CLOSE));
    m_pfnTest = reinterpret_cast<PFN_ZVMA_Handle>(get(ZVMA_ORD_TEST));
    m_pfnGetCurrentJob = reinterpret_cast<PFN_ZVMA_GetCurrentJob>(get(ZVMA_ORD_GETCURRENTJOB));
    m_pfnTestJob = reinterpret_cast<PFN_ZVMA_Job>(get(ZVMA_ORD_TESTJOB));
    m_pfnSetJobInfo = reinterpret_cast<PFN_ZVMA_SetJobInfo>(get(ZVMA_ORD_SETJOBINFO));
    m_pfnGetJobInfo = reinterpret_cast<PFN_ZVMA_GetJobInfo>(get(ZVMA_ORD_GETJOBINFO));
    m_pfnStartProgress = reinterpret_cast<PFN_ZVMA_Job>(get(ZVMA_ORD_STARTPROGRESS));
    m_pfnEndProgress = reinterpret_cast<PFN_ZVMA_Job>(get(ZVMA_ORD_ENDPROGRESS));
    if (!m_pfnOpen || !m_pfnClose || !m_pfnTest || !m_pfnGetCurrentJob || !m_pfnTestJob || !m_pfnSetJobInfo ||
        !m_pfnGetJobInfo || !m_pfnStartProgress || !m_pfnEndProgress) {
        // A library without all of its operations cannot be driven.
        TraceWrite(scope, "*** Error *** : %s lacks an operation\n", path);
        FreeLibrary(h);
        m_pfnOpen = nullptr;
        return nullptr;
    }
    m_hInstance = h;
    return m_hInstance;
}

void CZvmaInterface::ZVMA_Free() {
    TraceScope scope("CZvmaInterface::ZVMA_Free");
    if (m_iMode == MODE_LIBRARY) {
        if (m_hInstance) FreeLibrary(static_cast<HMODULE>(m_hInstance));
        m_pfnOpen = nullptr;
    } else if (m_iMode == MODE_RPC) {
        long r = 0;
        if (m_hContext) {
            ZVPM_CONTEXT ctx = m_hContext;
            r = Rpc("ZVMA_Free", [&] { return static_cast<long>(ZvpmFree(&ctx)); });
            m_hContext = ctx;  // the stub has dropped a context the service closed
        }
        if (r == 1) m_pBinding.reset();
    }
    m_hInstance = nullptr;
    m_iMode = MODE_NONE;
}

HANDLE CZvmaInterface::ZVMA_Open(const char* printer, const char* port, DWORD level, DWORD* pWinJobId) {
    if (m_iMode == MODE_LIBRARY) return m_pfnOpen ? m_pfnOpen(printer, port, level, pWinJobId) : nullptr;
    if (m_iMode != MODE_RPC || !m_hContext) return nullptr;
    std::string share;
    if (!SplitServerPrinter(SafeView(printer), nullptr, &share)) share = std::string(SafeView(printer));
    std::string szPort(SafeView(port));
    WireData d = WireDataOf(pWinJobId, pWinJobId ? 4 : 0);
    ZVPM_CONTEXT ctx = m_hContext;
    long r = Rpc("ZVMA_Open", [&] {
        return static_cast<long>(ZvpmOpen(ctx, share.c_str(), szPort.c_str(), static_cast<long>(level),
                                          static_cast<long>(d.length), d.data));
    });
    HANDLE h = reinterpret_cast<HANDLE>(static_cast<intptr_t>(r));
    if (h) m_hRpcChannel = h;
    return h;
}

BOOL CZvmaInterface::ZVMA_Close(HANDLE h) {
    if (m_iMode == MODE_LIBRARY) return m_pfnClose ? m_pfnClose(h) : FALSE;
    if (m_iMode != MODE_RPC || !m_hContext) return FALSE;
    ZVPM_CONTEXT ctx = m_hContext;
    long r = Rpc("ZVMA_Close", [&] { return static_cast<long>(ZvpmClose(ctx)); });
    if (r) m_hRpcChannel = nullptr;
    return r != 0;
}

BOOL CZvmaInterface::ZVMA_Test(HANDLE h) {
    if (m_iMode == MODE_LIBRARY) return m_pfnTest ? m_pfnTest(h) : FALSE;
    if (m_iMode != MODE_RPC || !m_hContext) return FALSE;
    ZVPM_CONTEXT ctx = m_hContext;
    return Rpc("ZVMA_Test", [&] { return static_cast<long>(ZvpmTest(ctx)); }) != 0;
}

DWORD CZvmaInterface::ZVMA_GetCurrentJob(HANDLE h) {
    if (m_iMode == MODE_LIBRARY) return m_pfnGetCurrentJob ? m_pfnGetCurrentJob(h) : 0;
    if (m_iMode != MODE_RPC || !m_hContext) return 0;
    ZVPM_CONTEXT ctx = m_hContext;
    return static_cast<DWORD>(Rpc("ZVMA_GetCurrentJob", [&] { return static_cast<long>(ZvpmGetCurrentJob(ctx)); }));
}

BOOL CZvmaInterface::ZVMA_TestJob(HANDLE h, DWORD job) {
    if (m_iMode == MODE_LIBRARY) return m_pfnTestJob ? m_pfnTestJob(h, job) : FALSE;
    if (m_iMode != MODE_RPC || !m_hContext) return FALSE;
    ZVPM_CONTEXT ctx = m_hContext;
    return Rpc("ZVMA_TestJob", [&] { return static_cast<long>(ZvpmTestJob(ctx, static_cast<long>(job))); }) != 0;
}

BOOL CZvmaInterface::ZVMA_SetJobInfo(HANDLE h, DWORD job, DWORD type, const void* value) {
    if (m_iMode == MODE_LIBRARY) return m_pfnSetJobInfo ? m_pfnSetJobInfo(h, job, type, value) : FALSE;
    if (m_iMode != MODE_RPC || !m_hContext) return FALSE;
    uint32_t len = JobInfoValueLength(type, static_cast<const char*>(value), 0x10000);
    WireData d = WireDataOf(value, len);
    ZVPM_CONTEXT ctx = m_hContext;
    return Rpc("ZVMA_SetJobInfo", [&] {
               return static_cast<long>(ZvpmSetJobInfo(ctx, static_cast<long>(job), static_cast<long>(type),
                                                       static_cast<long>(d.length), d.data));
           }) != 0;
}

BOOL CZvmaInterface::ZVMA_GetJobInfo(HANDLE h, DWORD job, DWORD type, void* buffer, DWORD size, DWORD* pNeeded) {
    if (m_iMode == MODE_LIBRARY) return m_pfnGetJobInfo ? m_pfnGetJobInfo(h, job, type, buffer, size, pNeeded) : FALSE;
    if (m_iMode != MODE_RPC || !m_hContext) return FALSE;
    unsigned char dummy[kDummyDataLength];
    unsigned char* wire = static_cast<unsigned char*>(buffer);
    long wireSize = static_cast<long>(size);
    if (!buffer || size == 0) {
        std::memcpy(dummy, kDummyData, kDummyDataLength);
        wire = dummy;
        wireSize = kDummyDataLength;
    }
    long needed = pNeeded ? static_cast<long>(*pNeeded) : 0;
    ZVPM_CONTEXT ctx = m_hContext;
    long r = Rpc("ZVMA_GetJobInfo", [&] {
        return static_cast<long>(
            ZvpmGetJobInfo(ctx, static_cast<long>(job), static_cast<long>(type), wireSize, wire, &needed));
    });
    if (pNeeded) *pNeeded = static_cast<DWORD>(needed);
    return r != 0;
}

BOOL CZvmaInterface::ZVMA_StartProgress(HANDLE h, DWORD job) {
    if (m_iMode == MODE_LIBRARY) return m_pfnStartProgress ? m_pfnStartProgress(h, job) : FALSE;
    if (m_iMode != MODE_RPC || !m_hContext) return FALSE;
    ZVPM_CONTEXT ctx = m_hContext;
    return Rpc("ZVMA_StartProgress",
               [&] { return static_cast<long>(ZvpmStartProgress(ctx, static_cast<long>(job))); }) != 0;
}

BOOL CZvmaInterface::ZVMA_EndProgress(HANDLE h, DWORD job) {
    if (m_iMode == MODE_LIBRARY) return m_pfnEndProgress ? m_pfnEndProgress(h, job) : FALSE;
    if (m_iMode != MODE_RPC || !m_hContext) return FALSE;
    ZVPM_CONTEXT ctx = m_hContext;
    return Rpc("ZVMA_EndProgress", [&] { return static_cast<long>(ZvpmEndProgress(ctx, static_cast<long>(job))); }) !=
           0;
}

}  // namespace vix

// Memory of the client stubs.
extern "C" void* __RPC_USER MIDL_user_allocate(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }
extern "C" void __RPC_USER MIDL_user_free(void* p) { HeapFree(GetProcessHeap(), 0, p); }
