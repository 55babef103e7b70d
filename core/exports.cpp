// The exported functions of vixcore. No exception crosses an export.
#define VIXCORE_BUILD
#include "include/vixcore.h"

#include "core/oneshot_status.h"

extern "C" VIXCORE_DECL LONG VIXAPI PrGetPrinterStatus(LPCSTR pszPrinter, LPSTR* ppszStatus) {
    try {
        return vix::oneshot::PrGetPrinterStatusImpl(pszPrinter, ppszStatus);
    } catch (...) {
        return vix::oneshot::RC_NO_MEMORY;
    }
}

// ---- the driver's monitoring session ----------------------------------------
// Failures inside come back as the export's failure result.

#include "core/session.h"

namespace {
template <class F>
LONG Guarded(LONG failure, F&& f) {
    try {
        return f();
    } catch (...) {
        return failure;
    }
}
}  // namespace

using namespace vix::session;

extern "C" VIXCORE_DECL LONG VIXAPI PrSetRegDefaultValue(LPCSTR pszPrinter, LPCSTR pszDriver, LPCSTR pszPort,
                                                         LPCSTR pszModelID, LPCSTR pszDatFile) {
    return Guarded(1, [&] { return SetRegDefaultValueImpl(pszPrinter, pszDriver, pszPort, pszModelID, pszDatFile); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrReleaseRegistry(LPCSTR pszPrinter, LPCSTR pszDriver, LPCSTR pszPort,
                                                      LPCSTR pszModelID) {
    return Guarded(1, [&] { return ReleaseRegistryImpl(pszPrinter, pszDriver, pszPort, pszModelID); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrMonitoringStart(HWND hMonWnd, LPCSTR pszPrinter, LPCSTR pszDriver,
                                                      LPCSTR pszPort, LPCSTR pszModelID, LPCSTR pszDatFile,
                                                      LPCSTR pszResourceName, LPVOID pJobData) {
    return Guarded(1, [&] {
        return MonitoringStartImpl(hMonWnd, pszPrinter, pszDriver, pszPort, pszModelID, pszDatFile, pszResourceName,
                                   pJobData);
    });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrGetChannel(LPDWORD pdwStatusChannel, LPDWORD pdwReadWriteChannel) {
    return Guarded(1, [&] { return GetChannelImpl(pdwStatusChannel, pdwReadWriteChannel); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrGetDeviceID(LPSTR pszBuffer, LPDWORD pdwSize) {
    return Guarded(1, [&] { return GetDeviceIDImpl(pszBuffer, pdwSize); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrGetStatus(LONG iEnableGetStatusErr, LPLONG pbPopup, LPLONG pbSoundPlay,
                                                LPLONG bPrinting, LPLONG pnRealStatusNo, LPLONG pnSimpleStatusNo) {
    return Guarded(-1, [&] {
        return GetStatusImpl(iEnableGetStatusErr, pbPopup, pbSoundPlay, bPrinting, pnRealStatusNo, pnSimpleStatusNo);
    });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrMonitoringEnd(void) {
    return Guarded(1, [&] { return MonitoringEndImpl(); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrSendPrinterData(LPVOID, LPDWORD pdwSize, LPVOID* ppData) {
    return Guarded(1, [&] { return PrinterDataImpl(pdwSize, ppData); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrGetPrinterData(LPVOID, LPDWORD pdwSize, LPVOID* ppData) {
    return Guarded(1, [&] { return PrinterDataImpl(pdwSize, ppData); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrReleasePrinterData(LPVOID* ppData) {
    return Guarded(0, [&] { return ReleasePrinterDataImpl(ppData); });
}

extern "C" VIXCORE_DECL LONG VIXAPI PrGetTimerValue(DWORD dwStatusChannel, LPLONG pbNetwork) {
    return Guarded(-1, [&] { return GetTimerValueImpl(dwStatusChannel, pbNetwork); });
}
