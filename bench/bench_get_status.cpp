// What a tick of a print job costs: PrGetStatus on the emulated printer
// (reply ready at once) against the bare work it must do (the library's two
// status calls, one parse, the three registry writes), with 1, 10 and 100
// target keys under ZVLTarget. The printer's own target is the last one, so
// a walk over the targets would meet every other target first.
//   bench_get_status [ticks]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "comm/qkapi.h"
#include "foundation/registry_key.h"
#include "foundation/targets.h"
#include "driver/core_exports.h"
#include "include/vixcore.h"
#include "status/status_reply.h"
#include "support/bed_fixture.h"

namespace {

// vixcore.dll as the driver loads it, once per process.
vixbed::CoreExports& Core() {
    static vixbed::CoreExports core;
    if (!core.hCore) core.Load();
    return core;
}

double Now() {
    static LARGE_INTEGER f = [] {
        LARGE_INTEGER x;
        QueryPerformanceFrequency(&x);
        return x;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Targets of other printers before the printer's own one.
void MakeTargets(int count, const std::string& printer) {
    RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPrinter);
    char path[260];
    for (int i = 0; i + 1 < count; ++i) {
        vix::CreateTarget(("Other Printer " + std::to_string(i)).c_str(), false, path, sizeof(path));
    }
    vix::CreateTarget(printer.c_str(), false, path, sizeof(path));
}

// The library's two status calls, one parse and three registry writes, on
// an open channel and an open key.
double BareWork(const vixtest::BedPrinter& p, long ticks) {
    HMODULE h = LoadLibraryA("QKAPI.DLL");
    auto fn = [&](const char* n) { return reinterpret_cast<void*>(GetProcAddress(h, n)); };
    auto init = reinterpret_cast<qk::PFN_QKInitialize>(fn(qk::NAME_QKInitialize));
    auto release = reinterpret_cast<qk::PFN_QKRelease>(fn(qk::NAME_QKRelease));
    auto open = reinterpret_cast<qk::PFN_QKOpenChannel>(fn(qk::NAME_QKOpenChannel));
    auto close = reinterpret_cast<qk::PFN_QKCloseChannel>(fn(qk::NAME_QKCloseChannel));
    auto status = reinterpret_cast<qk::PFN_QKGetStatus>(fn(qk::NAME_QKGetStatus));
    auto channels = reinterpret_cast<qk::PFN_QKGetAvailableChannel>(fn(qk::NAME_QKGetAvailableChannel));
    init();
    LONG size = 0;
    channels(qk::KIND_PRINTER, p.Printer().c_str(), nullptr, &size);  // the library wants the list asked first
    std::vector<char> list(size > 0 ? size : 1);
    channels(qk::KIND_PRINTER, p.Printer().c_str(), list.data(), &size);
    LONG hChan = open(qk::KIND_PRINTER, p.Printer().c_str(), 0x00000004);
    char path[260];
    vix::FindTarget(p.Printer().c_str(), false, path, sizeof(path));
    vix::RegistryKey key;
    key.Open(HKEY_CURRENT_USER, path, false, KEY_ALL_ACCESS);
    std::vector<char> buf;
    int sink = 0;
    double t0 = Now();
    for (long i = 0; i < ticks; ++i) {
        LONG need = 0;
        status(hChan, nullptr, &need);
        buf.resize(static_cast<std::size_t>(need) + 1);
        LONG got = need;
        LONG n = status(hChan, buf.data(), &got);
        vix::StatusRecord record;
        sink += vix::ParseTextReply(reinterpret_cast<const uint8_t*>(buf.data()), static_cast<std::size_t>(n), &record);
        key.WriteBinary("Status", buf.data(), static_cast<DWORD>(n));
        key.WriteDword("Channel", 4);
        key.WriteDword("ComStatus", 1);
    }
    double per = (Now() - t0) / static_cast<double>(ticks);
    close(hChan);
    release();
    FreeLibrary(h);
    return sink >= 0 ? per : 0;
}

double Ticks(const vixtest::BedPrinter& p, long ticks) {
    Core().PrMonitoringStart(nullptr, p.Printer().c_str(), p.Driver().c_str(), "USB001", p.Model().c_str(), "", "", nullptr);
    DWORD s = 0, rw = 0;
    Core().PrGetChannel(&s, &rw);
    LONG popup, sound, printing, real, simple;
    Core().PrGetStatus(0, &popup, &sound, &printing, &real, &simple);  // the first tick finds the target
    double t0 = Now();
    for (long i = 0; i < ticks; ++i) Core().PrGetStatus(0, &popup, &sound, &printing, &real, &simple);
    double per = (Now() - t0) / static_cast<double>(ticks);
    Core().PrMonitoringEnd();
    if (real != 1) std::printf("  (unexpected status %ld)\n", static_cast<long>(real));
    return per;
}

double Finds(const vixtest::BedPrinter& p, long calls) {
    char path[260];
    double t0 = Now();
    for (long i = 0; i < calls; ++i) vix::FindTarget(p.Printer().c_str(), false, path, sizeof(path));
    return (Now() - t0) / static_cast<double>(calls);
}

}  // namespace

int main(int argc, char** argv) {
    long ticks = argc > 1 ? std::atol(argv[1]) : 2000;
    vixtest::BedPrinter p;
    p.Emu().channels = {{0x00000004, 0x0004}, {0x10010003, 0x0003}};
    if (!p.Create()) {
        std::printf("the bench printer could not be made\n");
        return 1;
    }
    std::printf("PrGetStatus per tick, %ld ticks, emulated printer with its reply ready at once\n", ticks);
    std::printf("%8s %12s %12s %8s %16s\n", "targets", "bare us", "tick us", "ratio", "FindTarget us");
    for (int targets : {1, 10, 100}) {
        MakeTargets(targets, p.Printer());
        double bare = BareWork(p, ticks);
        double tick = Ticks(p, ticks);
        double find = Finds(p, ticks / 4 > 0 ? ticks / 4 : 1);
        std::printf("%8d %12.1f %12.1f %8.2f %16.1f\n", targets, bare * 1e6, tick * 1e6, tick / bare, find * 1e6);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPrinter);
    return 0;
}
