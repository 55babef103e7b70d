/*
 * vixcore.h - exported functions of the printer status monitor core library
 * (vixcore.dll), for printer drivers and launcher programs.
 *
 * Calling convention: every export is __stdcall (VIXAPI below) on x86 and the
 * one Windows convention on x64. Names are exported undecorated, so they can be
 * looked up with GetProcAddress by the names written here.
 *
 * All texts are narrow strings in the system code page, at most 259
 * characters. Every export returns a 32-bit signed result; none throws.
 */
#ifndef VIXCORE_H
#define VIXCORE_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#ifdef VIXCORE_BUILD
#define VIXCORE_DECL __declspec(dllexport)
#else
#define VIXCORE_DECL __declspec(dllimport)
#endif

#define VIXAPI __stdcall

/* Results of PrGetPrinterStatus besides the bidirectional library's own. */
#define VIX_PGS_NO_PRINTER_NAME   (-50) /* printer name missing or empty */
#define VIX_PGS_NO_OUT_PARAM      (-51) /* out-parameter missing */
#define VIX_PGS_PRINTER           (-52) /* printer could not be opened or its driver read */
#define VIX_PGS_LOAD_LIBRARY      (-53) /* bidirectional library could not be loaded */
#define VIX_PGS_ENTRY_POINT       (-54) /* an entry point is missing from the library */
#define VIX_PGS_NO_CHANNEL        (-55) /* none of the preferred channels is available */
#define VIX_PGS_NO_MEMORY         (-56) /* channel list or status buffer not allocated */
#define VIX_PGS_OTHER_MODEL       (-57) /* printer's model differs from the driver's ModelID */

/* Monitoring session, used by the printer driver while a job prints. */
VIXCORE_DECL LONG VIXAPI PrSetRegDefaultValue(LPCSTR pszPrinter, LPCSTR pszDriver, LPCSTR pszPort,
                                              LPCSTR pszModelID, LPCSTR pszDatFile);
VIXCORE_DECL LONG VIXAPI PrReleaseRegistry(LPCSTR pszPrinter, LPCSTR pszDriver, LPCSTR pszPort,
                                           LPCSTR pszModelID);
VIXCORE_DECL LONG VIXAPI PrMonitoringStart(HWND hMonWnd, LPCSTR pszPrinter, LPCSTR pszDriver,
                                           LPCSTR pszPort, LPCSTR pszModelID, LPCSTR pszDatFile,
                                           LPCSTR pszResourceName, LPVOID pJobData);
VIXCORE_DECL LONG VIXAPI PrGetChannel(LPDWORD pdwStatusChannel, LPDWORD pdwReadWriteChannel);
VIXCORE_DECL LONG VIXAPI PrGetDeviceID(LPSTR pszBuffer, LPDWORD pdwSize);
VIXCORE_DECL LONG VIXAPI PrGetStatus(LONG iEnableGetStatusErr, LPLONG pbPopup, LPLONG pbSoundPlay,
                                     LPLONG bPrinting, LPLONG pnRealStatusNo,
                                     LPLONG pnSimpleStatusNo);
VIXCORE_DECL LONG VIXAPI PrMonitoringEnd(void);
VIXCORE_DECL LONG VIXAPI PrSendPrinterData(LPVOID pData, LPDWORD pdwSize, LPVOID* ppData);
VIXCORE_DECL LONG VIXAPI PrGetPrinterData(LPVOID pData, LPDWORD pdwSize, LPVOID* ppData);
VIXCORE_DECL LONG VIXAPI PrReleasePrinterData(LPVOID* ppData);
VIXCORE_DECL LONG VIXAPI PrGetTimerValue(DWORD dwStatusChannel, LPLONG pbNetwork);

/* One-shot status query, without a session. A positive result is the length
 * of the raw status reply; *ppszStatus then points to a GlobalAlloc buffer of
 * that length plus a terminating zero, which the caller frees with GlobalFree. */
VIXCORE_DECL LONG VIXAPI PrGetPrinterStatus(LPCSTR pszPrinter, LPSTR* ppszStatus);

/* Window entry points, used by the launcher programs; they block until the
 * window closes. */
VIXCORE_DECL LONG VIXAPI PrStartView(LONG nViewType, LPCSTR pszPrinter, LPCSTR pszDriver,
                                     LPCSTR pszPort, LPCSTR pszModelID, LPCSTR pszDatFile,
                                     LPCSTR pszResourceName, LPVOID pJobData, LONG nJobDataVersion);
VIXCORE_DECL LONG VIXAPI PrStartPreference(LPCSTR pszPrinter, LPCSTR pszDriver, LPCSTR pszPort,
                                           LPCSTR pszModelID, LPCSTR pszDatFile,
                                           LPCSTR pszResourceName);

/* Pointer types for callers that load the library at run time. */
typedef LONG (VIXAPI *PFN_PrSetRegDefaultValue)(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR);
typedef LONG (VIXAPI *PFN_PrGetPrinterStatus)(LPCSTR, LPSTR*);
typedef LONG (VIXAPI *PFN_PrStartView)(LONG, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPVOID, LONG);
typedef LONG (VIXAPI *PFN_PrStartPreference)(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR);

#ifdef __cplusplus
}
#endif

#endif /* VIXCORE_H */
