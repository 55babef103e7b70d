#include "tray/ctrl_set_reg.h"

#include <winspool.h>

#include <cstring>

#include "foundation/handles.h"
#include "foundation/param_file.h"
#include "foundation/printer_info.h"
#include "foundation/text.h"
#include "tray/menu_plan.h"
#include "tray/reg_text.h"
#include "tray/tray_log.h"

namespace vix {
namespace tray {

int CCtrlSetReg::IsVixInvalid(const char* printer) {
    TraceMsg("CCtrlSetReg::IsVixInvalid : start");
    TraceMsgStr("PrinterName", printer ? printer : "");
    int result = 0;
    if (printer && *printer) {
        TraceMsg("Enter : ZV_OpenPrinter");
        UniquePrinter hPrinter(OpenPrinterByName(printer));
        TraceMsg("Exit : ZV_OpenPrinter");
        if (!hPrinter) {
            result = 1;
        } else {
            DWORD value = 0, type = 0, needed = 0;
            TraceMsg("Enter : GetPrinterData");
            DWORD rc = GetPrinterDataA(hPrinter.Get(), const_cast<char*>("VIXSetting"), &type,
                                       reinterpret_cast<BYTE*>(&value), sizeof(value), &needed);
            TraceMsg("Exit : GetPrinterData");
            TraceMsgNum("result", static_cast<long>(rc));
            TraceMsgNum("value", static_cast<long>(value));
            if (rc == ERROR_SUCCESS && needed == sizeof(value) && value == 1) result = 1;
            TraceMsg("Enter : ClosePrinter");
            hPrinter.Reset();
            TraceMsg("Exit : ClosePrinter");
        }
    }
    TraceMsg("CCtrlSetReg::IsVixInvalid : exit");
    return result;
}

void DeleteStartupReg(const char* name, const char* paramFile) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) return;
    UniqueRegKey hKey(raw);
    if (name && *name) {
        RegDeleteValueA(hKey.Get(), name);
        return;
    }
    if (!paramFile || !*paramFile) return;
    for (DWORD i = 0;; ++i) {
        char valueName[260];
        BYTE data[260];
        DWORD nameSize = sizeof(valueName), dataSize = sizeof(data) - 1, type = 0;
        LONG rc = RegEnumValueA(hKey.Get(), i, valueName, &nameSize, nullptr, &type, data, &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;  // a name or text of more than 259 characters
        if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
        data[dataSize < sizeof(data) ? dataSize : sizeof(data) - 1] = '\0';
        if (std::strstr(reinterpret_cast<char*>(data), paramFile)) {
            RegDeleteValueA(hKey.Get(), valueName);
            break;
        }
    }
}

bool RemoveStartupEntry(HKEY root, const char* name) {
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root, kRunKey, 0, KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS) return false;
    UniqueRegKey hKey(raw);
    if (!name || !*name) return true;
    char text[260];
    if (ReadRegText(hKey.Get(), name, text)) {
        std::string file = StartupEntryParamFile(text);
        if (!file.empty()) {
            cmdInfo info;
            info.DeleteParamFile(file.c_str());
        }
    }
    RegDeleteValueA(hKey.Get(), name);
    return true;
}

}  // namespace tray
}  // namespace vix
