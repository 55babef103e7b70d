// The cost of a trace call with tracing off: it should be one flag test.
//   bench_trace [calls]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "foundation/trace.h"

namespace {
double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b, const LARGE_INTEGER& f) {
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}
}  // namespace

int main(int argc, char** argv) {
    long long calls = argc > 1 ? std::atoll(argv[1]) : 200000000LL;
    vix::CTraceLog log("C:\\vixbench-never-written.log");
    vix::TraceScope ts(log, "Bench::Loop");
    LARGE_INTEGER f, t0, t1, t2;
    QueryPerformanceFrequency(&f);
    volatile int sink = 0;
    QueryPerformanceCounter(&t0);
    for (long long i = 0; i < calls; ++i) sink = sink + vix::TraceWrite(ts, "value %d, %s\n", static_cast<int>(i), "x");
    QueryPerformanceCounter(&t1);
    for (long long i = 0; i < calls; ++i) sink = sink + static_cast<int>(i & 1);  // the loop alone
    QueryPerformanceCounter(&t2);
    double traced = Seconds(t0, t1, f), bare = Seconds(t1, t2, f);
    std::printf("trace calls (off): %lld\n", calls);
    std::printf("per call with loop: %.3f ns\n", traced * 1e9 / static_cast<double>(calls));
    std::printf("loop alone:         %.3f ns\n", bare * 1e9 / static_cast<double>(calls));
    std::printf("trace call cost:    %.3f ns\n", (traced - bare) * 1e9 / static_cast<double>(calls));
    return sink == -1;
}
