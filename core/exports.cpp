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
