// zvpmsvc: the bench's progress-meter service. Serves the progress-meter
// RPC interface over the job queue, on the service's pipe and on "ncalrpc"
// (registered with the endpoint mapper), until its stop event is set.
//
//   zvpmsvc --ready EVENT --stop EVENT
//
// Every Load, Open, SetJobInfo and the dummy reads go to the bench call log
// with the protocol sequence the call came in by. The service setting
// "DieIn" (HKLM\Software\VixBed\Service) names an operation in which the
// service ends itself in the middle of the call.
#include <windows.h>
#include <rpc.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "emu/bed_state.h"
#include "progress/job_info.h"
#include "progress/job_queue.h"
#include "zvpm.h"

using namespace vixbed;

namespace {

struct SvcContext {
    std::string printer;  // the queue
    std::string library;
    bool open = false;
    QueueCursor cursor;
};

std::string CallProtseq() {
    RPC_BINDING_HANDLE h = I_RpcGetCurrentCallHandle();
    RPC_CSTR text = nullptr, protseq = nullptr;
    std::string result = "unknown";
    if (h && RpcBindingToStringBindingA(h, &text) == RPC_S_OK) {
        if (RpcStringBindingParseA(text, nullptr, &protseq, nullptr, nullptr, nullptr) == RPC_S_OK && protseq) {
            result = reinterpret_cast<const char*>(protseq);
            RpcStringFreeA(&protseq);
        }
        RpcStringFreeA(&text);
    }
    return result;
}

void Log(const char* op, const std::string& printer, const std::string& args, long result) {
    CallRecord r;
    r.pid = GetCurrentProcessId();
    r.module = "zvpmsvc.exe";
    r.op = op;
    r.printer = printer;
    r.args = args + " protseq=" + CallProtseq();
    r.result = result;
    AppendCallLog(r);
}

// The service ends in the middle of the named operation.
void MaybeDie(const char* op) {
    if (ServiceSetting("DieIn") == op) ExitProcess(7);
}

bool IsDummy(const unsigned char* data, long length) {
    return data && length == static_cast<long>(vix::kDummyDataLength) &&
           std::memcmp(data, vix::kDummyData, vix::kDummyDataLength) == 0;
}

SvcContext* Ctx(ZVPM_CONTEXT c) { return static_cast<SvcContext*>(c); }

}  // namespace

extern "C" {

LONG __cdecl ZvpmLoad(ZVPM_CONTEXT* pContext, const char* printer, const char* libraryName) {
    MaybeDie("ZVMA_Load");
    auto* c = new SvcContext;
    c->printer = QueueName(printer ? printer : "");
    c->library = libraryName ? libraryName : "";
    *pContext = c;
    Log("ZVMA_Load", printer ? printer : "", "library=" + c->library, 1);
    return 1;
}

LONG __cdecl ZvpmFree(ZVPM_CONTEXT* pContext) {
    MaybeDie("ZVMA_Free");
    SvcContext* c = Ctx(*pContext);
    Log("ZVMA_Free", c ? c->printer : "", "", 1);
    delete c;
    *pContext = nullptr;
    return 1;
}

LONG __cdecl ZvpmReserved2(ZVPM_CONTEXT) { return 0; }
LONG __cdecl ZvpmReserved3(ZVPM_CONTEXT) { return 0; }
LONG __cdecl ZvpmReserved7(ZVPM_CONTEXT) { return 0; }
LONG __cdecl ZvpmReserved8(ZVPM_CONTEXT) { return 0; }
LONG __cdecl ZvpmReserved12(ZVPM_CONTEXT) { return 0; }
LONG __cdecl ZvpmReserved16(ZVPM_CONTEXT) { return 0; }

LONG __cdecl ZvpmOpen(ZVPM_CONTEXT context, const char* printer, const char* port, LONG level, LONG length,
                      const unsigned char* data) {
    MaybeDie("ZVMA_Open");
    SvcContext* c = Ctx(context);
    DWORD job = 0;
    if (length == 4 && data) std::memcpy(&job, data, 4);
    c->cursor = OpenCursor(c->printer, job);
    c->open = true;
    Log("ZVMA_Open", printer ? printer : "",
        "port=" + std::string(port ? port : "") + " level=" + std::to_string(level) + " job=" + std::to_string(job) +
            (IsDummy(data, length) ? " dummy" : ""),
        1);
    return 1;  // the channel lives in the context
}

LONG __cdecl ZvpmClose(ZVPM_CONTEXT context) {
    SvcContext* c = Ctx(context);
    if (!c->open) return 0;
    c->open = false;
    Log("ZVMA_Close", c->printer, "", 1);
    return 1;
}

LONG __cdecl ZvpmTest(ZVPM_CONTEXT context) {
    SvcContext* c = Ctx(context);
    return c->open && CurrentJob(c->cursor) != 0;
}

LONG __cdecl ZvpmGetCurrentJob(ZVPM_CONTEXT context) {
    SvcContext* c = Ctx(context);
    return c->open ? static_cast<LONG>(CurrentJob(c->cursor)) : 0;
}

LONG __cdecl ZvpmTestJob(ZVPM_CONTEXT context, LONG job) {
    SvcContext* c = Ctx(context);
    EmuJob j;
    return c->open && LoadEmuJob(c->printer, static_cast<DWORD>(job), &j);
}

LONG __cdecl ZvpmSetJobInfo(ZVPM_CONTEXT context, LONG job, LONG type, LONG length, const unsigned char* data) {
    MaybeDie("ZVMA_SetJobInfo");
    SvcContext* c = Ctx(context);
    if (!c->open) return 0;
    bool dummy = IsDummy(data, length) && vix::JobInfoFixedSize(static_cast<uint32_t>(type)) != 15;
    BOOL ok = WriteJobInfo(c->printer, static_cast<DWORD>(job), static_cast<DWORD>(type), dummy ? nullptr : data,
                           dummy ? 0 : static_cast<DWORD>(length));
    DWORD v = 0;
    if (!dummy && length == 4) std::memcpy(&v, data, 4);
    Log("ZVMA_SetJobInfo", c->printer,
        "job=" + std::to_string(job) + " type=" + std::to_string(type) + " length=" + std::to_string(length) +
            " value=" + std::to_string(v) + (dummy ? " dummy" : ""),
        ok);
    return ok;
}

LONG __cdecl ZvpmGetJobInfo(ZVPM_CONTEXT context, LONG job, LONG type, LONG size, unsigned char* buffer,
                            LONG* needed) {
    MaybeDie("ZVMA_GetJobInfo");
    SvcContext* c = Ctx(context);
    if (!c->open) return 0;
    bool dummy = IsDummy(buffer, size);
    DWORD n = 0;
    BOOL ok = AnswerJobInfo(c->printer, static_cast<DWORD>(job), static_cast<DWORD>(type), dummy ? nullptr : buffer,
                            dummy ? 0 : static_cast<DWORD>(size), &n);
    if (needed) *needed = static_cast<LONG>(n);
    if (dummy) Log("ZVMA_GetJobInfo", c->printer, "type=" + std::to_string(type) + " dummy", static_cast<long>(n));
    return ok;
}

LONG __cdecl ZvpmStartProgress(ZVPM_CONTEXT context, LONG job) {
    SvcContext* c = Ctx(context);
    if (!c->open) return 0;
    CountCall(c->printer, static_cast<DWORD>(job), "StartProgress");
    return 1;
}

LONG __cdecl ZvpmEndProgress(ZVPM_CONTEXT context, LONG job) {
    SvcContext* c = Ctx(context);
    if (!c->open) return 0;
    CountCall(c->printer, static_cast<DWORD>(job), "EndProgress");
    return 1;
}

void __RPC_USER ZVPM_CONTEXT_rundown(ZVPM_CONTEXT context) { delete Ctx(context); }

void* __RPC_USER MIDL_user_allocate(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }
void __RPC_USER MIDL_user_free(void* p) { HeapFree(GetProcessHeap(), 0, p); }

}  // extern "C"

int main(int argc, char** argv) {
    const char* ready = nullptr;
    const char* stop = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--ready")) ready = argv[i + 1];
        else if (!std::strcmp(argv[i], "--stop")) stop = argv[i + 1];
    }
    if (!stop) {
        std::fprintf(stderr, "usage: zvpmsvc [--ready EVENT] --stop EVENT\n");
        return 2;
    }
    HANDLE hStop = CreateEventA(nullptr, TRUE, FALSE, stop);
    std::string pipe = vix::PipeEndpoint(vix::kPipeEndpointName);
    RPC_STATUS st = RpcServerUseProtseqEpA(reinterpret_cast<RPC_CSTR>(const_cast<char*>("ncacn_np")),
                                           RPC_C_PROTSEQ_MAX_REQS_DEFAULT,
                                           reinterpret_cast<RPC_CSTR>(const_cast<char*>(pipe.c_str())), nullptr);
    if (st == RPC_S_OK)
        st = RpcServerUseProtseqA(reinterpret_cast<RPC_CSTR>(const_cast<char*>("ncalrpc")),
                                  RPC_C_PROTSEQ_MAX_REQS_DEFAULT, nullptr);
    if (st == RPC_S_OK) st = RpcServerRegisterIf(zvpm_v1_0_s_ifspec, nullptr, nullptr);
    RPC_BINDING_VECTOR* bindings = nullptr;
    if (st == RPC_S_OK) st = RpcServerInqBindings(&bindings);
    if (st == RPC_S_OK)
        st = RpcEpRegisterA(zvpm_v1_0_s_ifspec, bindings, nullptr,
                            reinterpret_cast<RPC_CSTR>(const_cast<char*>("bench progress-meter service")));
    if (st == RPC_S_OK) st = RpcServerListen(1, RPC_C_LISTEN_MAX_CALLS_DEFAULT, TRUE);
    if (st != RPC_S_OK) {
        std::fprintf(stderr, "zvpmsvc: RPC set-up failed: %ld\n", static_cast<long>(st));
        return 1;
    }
    if (ready) {
        HANDLE hReady = OpenEventA(EVENT_MODIFY_STATE, FALSE, ready);
        if (hReady) {
            SetEvent(hReady);
            CloseHandle(hReady);
        }
    }
    WaitForSingleObject(hStop, INFINITE);
    RpcEpUnregister(zvpm_v1_0_s_ifspec, bindings, nullptr);
    RpcBindingVectorFree(&bindings);
    RpcMgmtStopServerListening(nullptr);
    RpcServerUnregisterIf(zvpm_v1_0_s_ifspec, nullptr, FALSE);
    CloseHandle(hStop);
    return 0;
}
