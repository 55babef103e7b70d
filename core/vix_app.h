// The core library's state of one process: the printer information the
// exports were last handed, the driver's monitoring session record and the
// model settings. Created at load, freed at unload. The driver calls the
// session exports from one thread; nothing here takes a lock.
#ifndef VIX_CORE_VIX_APP_H
#define VIX_CORE_VIX_APP_H

#include <windows.h>

#include <memory>

namespace vix {

// Validity of the printer information.
enum : int { PRINTERINFO_INVALID = -1, PRINTERINFO_NAMES = 0, PRINTERINFO_RESOURCE = 1 };

struct PrinterInformation {
    char szPrinterName[260] = "";
    char szDriverName[260] = "";
    char szPortName[260] = "";
    char szModelID[260] = "";
    char szDatFileName[260] = "";   // the profile INI
    char szResourceName[260] = "";  // the language resource library
    char szTargetKey[260] = "";     // the printer's target key path
    bool bUsePort = false;          // the target is keyed by the port name
    int iValid = PRINTERINFO_INVALID;

    bool IsValid() const { return iValid >= PRINTERINFO_NAMES; }
    // The name the bidirectional library knows the printer by.
    long Kind() const;
    const char* LibraryName() const;
    // The name the target key is found by.
    const char* TargetName() const { return bUsePort ? szPortName : szPrinterName; }
};

// The driver's monitoring session, from PrMonitoringStart to
// PrMonitoringEnd.
class CMonitorBuffer {
public:
    explicit CMonitorBuffer(HWND hMonWnd) : hMonWnd(hMonWnd) {}
    virtual ~CMonitorBuffer();
    CMonitorBuffer(const CMonitorBuffer&) = delete;
    CMonitorBuffer& operator=(const CMonitorBuffer&) = delete;

    DWORD dwChan = 0;      // status channel number
    DWORD dwRWChan = 0;    // read/write channel number
    LONG hChan = 0;        // status channel handle
    LONG hRWChan = 0;      // read/write channel handle
    LPVOID pPrinterData = nullptr;
    HWND hMonWnd = nullptr;
    HWND hNoWnd = nullptr;  // what the library is told when there is no window
};

class CVixApp {
public:
    static CVixApp& Instance();

    // Sets the printer information from the first four names (all needed),
    // the profile (looked up when empty) and the resource library (read
    // from the profile when empty), and finds or creates the printer's
    // target key. Returns the validity.
    int SetPrinterInfo(const char* printer, const char* driver, const char* port, const char* model,
                       const char* datFile, const char* resourceName);

    PrinterInformation m_info;
    std::unique_ptr<CMonitorBuffer> pMonitorBuffer;
    long m_nLastRealStatusNo = 0;
    int m_iInkColorNum = 4;
    HINSTANCE m_hResource = nullptr;  // while a window runs
};

// The process-wide default monitoring interval.
extern int TIMERDEF;

}  // namespace vix

#endif
