// pmprobe PRINTER JOBID...: runs a progress meter on the jobs (spooler check
// off) until its worker ends, and exits with the number of jobs left.
#include <windows.h>

#include <cstdlib>

#include "progress/progress_meter.h"

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    vix::CProgressMeter meter;
    meter.SetPrinter(argv[1], "USB001");
    for (int i = 2; i < argc; ++i) meter.AddPMJob(static_cast<DWORD>(std::strtoul(argv[i], nullptr, 10)), 0);
    for (int i = 0; i < 200 && meter.IsWorkerRunning(); ++i) Sleep(50);
    if (meter.IsWorkerRunning()) return 101;
    return meter.GetJobCount();
}
