#include "core/vix_app.h"

#include "comm/qkapi.h"
#include "comm/qkapi_base.h"
#include "foundation/settings.h"
#include "foundation/targets.h"
#include "foundation/text.h"
#include "foundation/trace.h"

namespace vix {

int TIMERDEF = 10;

long PrinterInformation::Kind() const { return szPrinterName[0] ? qk::KIND_PRINTER : qk::KIND_PORT; }

const char* PrinterInformation::LibraryName() const { return szPrinterName[0] ? szPrinterName : szPortName; }

CMonitorBuffer::~CMonitorBuffer() {
    // Released as PrReleasePrinterData does; nothing ever fills it.
    pPrinterData = nullptr;
}

CVixApp& CVixApp::Instance() {
    static CVixApp app;
    return app;
}

int CVixApp::SetPrinterInfo(const char* printer, const char* driver, const char* port, const char* model,
                            const char* datFile, const char* resourceName) {
    TraceScope ts("CVixApp::SetPrinterInfo");
    // The arguments may point into m_info itself (a call that comes back in
    // through FindOrCreateTarget): everything is copied before m_info changes.
    PrinterInformation info;
    for (const char* name : {printer, driver, port, model}) {
        if (!name || !*name) {
            m_info = PrinterInformation();
            return m_info.iValid;
        }
    }
    if (!CopyText(info.szPrinterName, printer, TextFit::Fail) || !CopyText(info.szDriverName, driver, TextFit::Fail) ||
        !CopyText(info.szPortName, port, TextFit::Fail) || !CopyText(info.szModelID, model, TextFit::Fail)) {
        m_info = PrinterInformation();
        return m_info.iValid;  // a name longer than any name is no name
    }
    info.iValid = PRINTERINFO_NAMES;
    if (datFile && *datFile) {
        CopyText(info.szDatFileName, datFile, TextFit::Fail);
    } else if (!FindProfile(info.szDriverName, info.szModelID, info.szDatFileName, sizeof(info.szDatFileName))) {
        info.szDatFileName[0] = '\0';
    }
    if (resourceName && *resourceName) {
        if (CopyText(info.szResourceName, resourceName, TextFit::Fail)) info.iValid = PRINTERINFO_RESOURCE;
    } else if (info.szDatFileName[0]) {
        DWORD needed = 0;
        if (FindLocalizedFile(info.szDatFileName, info.szDriverName, "ResDll", info.szResourceName,
                              sizeof(info.szResourceName), &needed) > 0) {
            info.iValid = PRINTERINFO_RESOURCE;
        } else {
            info.szResourceName[0] = '\0';
        }
    }
    CQkApiBase::Instance().SetDriverName(info.szDriverName);
    // A new target gets its defaults through the export of the driver's
    // core library, which may be this one: the information is complete
    // before that call comes back in.
    m_info = info;
    FindOrCreateTarget(info.szPrinterName, info.szPortName, info.szModelID, &info.bUsePort, info.szTargetKey,
                       sizeof(info.szTargetKey));
    m_info = info;
    TraceWrite(ts, "Target : %s, nValid : %d\n", m_info.szTargetKey, m_info.iValid);
    return m_info.iValid;
}

}  // namespace vix
