// The bench's progress-meter interface library, "zvpmif10.dll": the
// operations by ordinal over the emulated job queue. A channel reads the
// queue from the job it was opened at onwards.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "emu/bed_state.h"
#include "progress/job_info.h"
#include "progress/job_queue.h"

using namespace vixbed;

namespace {

std::mutex g_lock;
std::set<QueueCursor*> g_channels;

QueueCursor* Channel(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_lock);
    auto* c = static_cast<QueueCursor*>(h);
    return g_channels.count(c) ? c : nullptr;
}

char g_szModule[MAX_PATH] = "zvpmif10.dll";

void Log(const char* op, const std::string& printer, const std::string& args, long result) {
    CallRecord r;
    r.pid = GetCurrentProcessId();
    r.module = g_szModule;
    r.op = op;
    r.printer = printer;
    r.args = args;
    r.result = result;
    AppendCallLog(r);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE h, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(h, path, MAX_PATH);
        const char* base = std::strrchr(path, '\\');
        lstrcpynA(g_szModule, base ? base + 1 : path, MAX_PATH);
    }
    return TRUE;
}

HANDLE WINAPI ZvpmOpen(const char* printer, const char* port, DWORD level, DWORD* pWinJobId) {
    if (!printer || !printer[0]) return nullptr;
    auto* c = new QueueCursor(OpenCursor(printer, pWinJobId ? *pWinJobId : 0));
    {
        std::lock_guard<std::mutex> lock(g_lock);
        g_channels.insert(c);
    }
    Log("ZVMA_Open", printer, "level=" + std::to_string(level) + " job=" + std::to_string(pWinJobId ? *pWinJobId : 0),
        1);
    return c;
}

BOOL WINAPI ZvpmClose(HANDLE h) {
    QueueCursor* c = Channel(h);
    if (!c) return FALSE;
    Log("ZVMA_Close", c->printer, "", 1);
    std::lock_guard<std::mutex> lock(g_lock);
    g_channels.erase(c);
    delete c;
    return TRUE;
}

BOOL WINAPI ZvpmTest(HANDLE h) {
    QueueCursor* c = Channel(h);
    return c && CurrentJob(*c) != 0;
}

DWORD WINAPI ZvpmGetCurrentJob(HANDLE h) {
    QueueCursor* c = Channel(h);
    return c ? CurrentJob(*c) : 0;
}

BOOL WINAPI ZvpmTestJob(HANDLE h, DWORD job) {
    QueueCursor* c = Channel(h);
    EmuJob j;
    return c && LoadEmuJob(c->printer, job, &j);
}

BOOL WINAPI ZvpmSetJobInfo(HANDLE h, DWORD job, DWORD type, const void* value) {
    QueueCursor* c = Channel(h);
    if (!c) return FALSE;
    DWORD length = vix::JobInfoValueLength(type, static_cast<const char*>(value), 4096);
    BOOL ok = WriteJobInfo(c->printer, job, type, static_cast<const unsigned char*>(value), length);
    DWORD v = value && length == 4 ? *static_cast<const DWORD*>(value) : 0;
    Log("ZVMA_SetJobInfo", c->printer, "job=" + std::to_string(job) + " type=" + std::to_string(type) +
                                           " value=" + std::to_string(v), ok);
    return ok;
}

BOOL WINAPI ZvpmGetJobInfo(HANDLE h, DWORD job, DWORD type, void* buffer, DWORD size, DWORD* pNeeded) {
    QueueCursor* c = Channel(h);
    if (!c) return FALSE;
    return AnswerJobInfo(c->printer, job, type, static_cast<unsigned char*>(buffer), size, pNeeded);
}

BOOL WINAPI ZvpmStartProgress(HANDLE h, DWORD job) {
    QueueCursor* c = Channel(h);
    if (!c) return FALSE;
    CountCall(c->printer, job, "StartProgress");
    return TRUE;
}

BOOL WINAPI ZvpmEndProgress(HANDLE h, DWORD job) {
    QueueCursor* c = Channel(h);
    if (!c) return FALSE;
    CountCall(c->printer, job, "EndProgress");
    return TRUE;
}

}  // extern "C"
