// A stand-in for the printer driver: loads vixcore.dll as the driver does and
// calls its exports.
//
//   drvstub status PRINTER    one-shot status query (PrGetPrinterStatus)
//   drvstub job PRINTER [--pages N] [--max-ticks N] [--interval MS]
//                       [--enable-err N] [--port-file JOBID] [--hold-ms MS]
//       prints a job as a driver does: PrMonitoringStart with a monitor
//       window and a job data block, PrGetChannel, PrGetTimerValue, then
//       PrGetStatus on every tick of its timer, and PrMonitoringEnd. A page
//       goes out on every tick whose simple status is 1 or 999 (the
//       printer is idle or printing); the job ends when its pages are out or after --max-ticks.
//       While the job prints the mapping "Z_VIXS_" + printer name is held.
//       --interval overrides the driver's interval from PrGetTimerValue
//       (seconds) so that tests need not wait; --hold-ms keeps the session
//       open that long after the job (for a second process to look at).
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "driver/core_exports.h"
#include "driver/job_data.h"
#include "emu/bed_state.h"
#include "foundation/printer_info.h"
#include "foundation/registry_key.h"
#include "include/vixcore.h"

namespace {

std::string Escaped(const char* s, long n) {
    std::string out;
    for (long i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char b[8];
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c >= 0x7F) {
            std::snprintf(b, sizeof(b), "\\x%02X", c);
            out += b;
        } else out += static_cast<char>(c);
    }
    return out;
}

int Status(const char* printer) {
    HMODULE hCore = LoadLibraryA("vixcore.dll");
    if (!hCore) {
        std::printf("vixcore.dll could not be loaded (%lu)\n", GetLastError());
        return 1;
    }
    auto pfn = reinterpret_cast<PFN_PrGetPrinterStatus>(
        reinterpret_cast<void*>(GetProcAddress(hCore, "PrGetPrinterStatus")));
    if (!pfn) {
        std::printf("PrGetPrinterStatus is not exported\n");
        FreeLibrary(hCore);
        return 1;
    }
    LPSTR reply = nullptr;
    LONG rc = pfn(printer, &reply);
    std::printf("PrGetPrinterStatus(\"%s\") = %ld\n", printer, static_cast<long>(rc));
    if (rc > 0 && reply) std::printf("reply: %s\n", Escaped(reply, rc).c_str());
    if (reply) GlobalFree(reply);  // the buffer is ours now
    FreeLibrary(hCore);
    return rc > 0 ? 0 : 1;
}

// ---- a print job --------------------------------------------------------------

// The emulated printer prints while data comes, and is idle again after.
void SetPrinting(const std::string& printer, bool bPrinting) {
    vixbed::BedLock lock;
    vixbed::EmuPrinterSpec spec;
    if (!vixbed::LoadEmuPrinter(printer, &spec)) return;
    int want = bPrinting ? 0x03 : 0x04;
    int other = bPrinting ? 0x04 : 0x03;
    if (spec.condition.st == other) {  // an error stays until it is cleared
        spec.condition.st = want;
        vixbed::SaveCondition(printer, spec.condition);
    }
}

// Simple statuses of a printer that takes pages: idle, and printing.
constexpr LONG kSimpleReady = 1;
constexpr LONG kSimplePrinting = 999;

LRESULT CALLBACK MonitorWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

int Job(const char* printer, const std::map<std::string, std::string>& o) {
    auto num = [&](const char* k, long def) {
        auto it = o.find(k);
        return it == o.end() ? def : std::strtol(it->second.c_str(), nullptr, 0);
    };
    const long pages = num("--pages", 3), maxTicks = num("--max-ticks", 60), enableErr = num("--enable-err", 0);
    const long portFileJob = num("--port-file", 0), holdMs = num("--hold-ms", 0);
    std::string driver, port, model;
    if (!vix::ReadPrinterNames(printer, &driver, &port)) {
        std::printf("printer \"%s\" not found\n", printer);
        return 1;
    }
    model = vix::ReadDriverKeyText(driver.c_str(), "ModelID");
    vixbed::CoreExports core;
    if (!core.Load()) {
        std::printf("vixcore.dll or its session exports could not be loaded\n");
        return 1;
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MonitorWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VixBedMonitor";
    RegisterClassA(&wc);
    HWND hMon = CreateWindowA("VixBedMonitor", "monitor", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);

    std::string mappingName = std::string("Z_VIXS_") + printer;
    for (char& c : mappingName)
        if (c == '\\') c = '/';
    HANDLE hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, mappingName.c_str());
    std::printf("job: printer \"%s\", %ld page(s), mapping \"%s\" %s\n", printer, pages, mappingName.c_str(),
                hMapping ? "held" : "FAILED");

    std::vector<unsigned char> block =
        vixbed::BuildJobDataBlock(portFileJob ? 0x07 : 0x01, std::to_string(portFileJob ? portFileJob : 1));
    LONG rc = core.PrMonitoringStart(hMon, printer, driver.c_str(), port.c_str(), model.c_str(), "", "", block.data());
    std::printf("PrMonitoringStart = %ld\n", static_cast<long>(rc));
    if (rc != 0) {
        if (hMapping) CloseHandle(hMapping);
        return portFileJob ? 0 : 1;
    }
    DWORD statusChannel = 0, rwChannel = 0;
    rc = core.PrGetChannel(&statusChannel, &rwChannel);
    std::printf("PrGetChannel = %ld, status channel 0x%08lX, read/write channel 0x%08lX\n", static_cast<long>(rc),
                static_cast<unsigned long>(statusChannel), static_cast<unsigned long>(rwChannel));
    LONG network = 0;
    LONG seconds = core.PrGetTimerValue(statusChannel, &network);
    std::printf("PrGetTimerValue = %ld (network %ld)\n", static_cast<long>(seconds), static_cast<long>(network));
    long intervalMs = num("--interval", seconds > 0 ? seconds * 1000 : 10000);
    std::fflush(stdout);

    SetTimer(hMon, 1, static_cast<UINT>(intervalMs), nullptr);
    long done = 0, tick = 0;
    MSG msg;
    while (done < pages && tick < maxTicks && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != WM_TIMER) {
            DispatchMessageA(&msg);
            continue;
        }
        ++tick;
        LONG popup = -1, sound = -1, printing = -1, real = -1, simple = -1;
        rc = core.PrGetStatus(enableErr, &popup, &sound, &printing, &real, &simple);
        bool bPage = rc == 1 && (simple == kSimpleReady || simple == kSimplePrinting);
        if (bPage) {
            SetPrinting(printer, true);
            ++done;
        }
        std::printf("tick %ld: PrGetStatus = %ld popup %ld sound %ld printing %ld real %ld simple %ld%s\n", tick,
                    static_cast<long>(rc), static_cast<long>(popup), static_cast<long>(sound),
                    static_cast<long>(printing), static_cast<long>(real), static_cast<long>(simple),
                    bPage ? ("  page " + std::to_string(done) + "/" + std::to_string(pages)).c_str() : "");
        std::fflush(stdout);
    }
    KillTimer(hMon, 1);
    SetPrinting(printer, false);
    std::printf("job %s after %ld tick(s)\n", done >= pages ? "finished" : "NOT finished", tick);
    if (holdMs > 0) Sleep(static_cast<DWORD>(holdMs));
    rc = core.PrMonitoringEnd();
    std::printf("PrMonitoringEnd = %ld\n", static_cast<long>(rc));
    if (hMapping) CloseHandle(hMapping);
    DestroyWindow(hMon);
    return done >= pages ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "status") return Status(argv[2]);
    if (argc >= 3 && std::string(argv[1]) == "job") {
        std::map<std::string, std::string> o;
        for (int i = 3; i + 1 < argc; i += 2) o[argv[i]] = argv[i + 1];
        return Job(argv[2], o);
    }
    std::fprintf(stderr, "usage: drvstub status PRINTER | job PRINTER [options]\n");
    return 2;
}
