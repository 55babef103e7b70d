// The monitoring-session exports' work, behind the thin export wrappers.
#ifndef VIX_CORE_SESSION_H
#define VIX_CORE_SESSION_H

#include <windows.h>

namespace vix {
namespace session {

LONG SetRegDefaultValueImpl(const char* printer, const char* driver, const char* port, const char* model,
                            const char* datFile);
LONG ReleaseRegistryImpl(const char* printer, const char* driver, const char* port, const char* model);
LONG MonitoringStartImpl(HWND hMonWnd, const char* printer, const char* driver, const char* port, const char* model,
                         const char* datFile, const char* resourceName, const void* pJobData);
LONG GetChannelImpl(LPDWORD pdwStatus, LPDWORD pdwReadWrite);
LONG GetDeviceIDImpl(LPSTR buffer, LPDWORD pdwSize);
LONG GetStatusImpl(LONG iEnableGetStatusErr, LPLONG pbPopup, LPLONG pbSoundPlay, LPLONG bPrinting,
                   LPLONG pnRealStatusNo, LPLONG pnSimpleStatusNo);
LONG MonitoringEndImpl();
LONG PrinterDataImpl(LPDWORD pdwSize, LPVOID* ppData);
LONG ReleasePrinterDataImpl(LPVOID* ppData);
LONG GetTimerValueImpl(DWORD dwStatusChannel, LPLONG pbNetwork);

}  // namespace session
}  // namespace vix

#endif
