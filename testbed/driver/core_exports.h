// The core library as a printer driver loads it: by name, at run time, each
// export looked up by its undecorated name. Used by the driver stand-in, the
// tests and the benchmarks (an import library would bind x86 callers to
// decorated names the library does not export).
#ifndef VIXBED_DRIVER_CORE_EXPORTS_H
#define VIXBED_DRIVER_CORE_EXPORTS_H

#include <windows.h>

#include "include/vixcore.h"

namespace vixbed {

struct CoreExports {
    HMODULE hCore = nullptr;
    decltype(&::PrSetRegDefaultValue) PrSetRegDefaultValue = nullptr;
    decltype(&::PrReleaseRegistry) PrReleaseRegistry = nullptr;
    decltype(&::PrMonitoringStart) PrMonitoringStart = nullptr;
    decltype(&::PrGetChannel) PrGetChannel = nullptr;
    decltype(&::PrGetDeviceID) PrGetDeviceID = nullptr;
    decltype(&::PrGetStatus) PrGetStatus = nullptr;
    decltype(&::PrMonitoringEnd) PrMonitoringEnd = nullptr;
    decltype(&::PrSendPrinterData) PrSendPrinterData = nullptr;
    decltype(&::PrGetPrinterData) PrGetPrinterData = nullptr;
    decltype(&::PrReleasePrinterData) PrReleasePrinterData = nullptr;
    decltype(&::PrGetTimerValue) PrGetTimerValue = nullptr;
    decltype(&::PrGetPrinterStatus) PrGetPrinterStatus = nullptr;

    CoreExports() = default;
    CoreExports(const CoreExports&) = delete;
    CoreExports& operator=(const CoreExports&) = delete;
    ~CoreExports() {
        if (hCore) FreeLibrary(hCore);
    }

    // True when the library loaded and has every session export.
    bool Load(const char* file = "vixcore.dll") {
        hCore = LoadLibraryA(file);
        if (!hCore) return false;
        Find(PrSetRegDefaultValue, "PrSetRegDefaultValue");
        Find(PrReleaseRegistry, "PrReleaseRegistry");
        Find(PrMonitoringStart, "PrMonitoringStart");
        Find(PrGetChannel, "PrGetChannel");
        Find(PrGetDeviceID, "PrGetDeviceID");
        Find(PrGetStatus, "PrGetStatus");
        Find(PrMonitoringEnd, "PrMonitoringEnd");
        Find(PrSendPrinterData, "PrSendPrinterData");
        Find(PrGetPrinterData, "PrGetPrinterData");
        Find(PrReleasePrinterData, "PrReleasePrinterData");
        Find(PrGetTimerValue, "PrGetTimerValue");
        Find(PrGetPrinterStatus, "PrGetPrinterStatus");
        return PrSetRegDefaultValue && PrReleaseRegistry && PrMonitoringStart && PrGetChannel && PrGetDeviceID &&
               PrGetStatus && PrMonitoringEnd && PrSendPrinterData && PrGetPrinterData && PrReleasePrinterData &&
               PrGetTimerValue;
    }

private:
    template <class F>
    void Find(F& fn, const char* name) {
        fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(hCore, name)));
    }
};

}  // namespace vixbed

#endif
