#include "tray/reg_text.h"

namespace vix {
namespace tray {

bool ReadRegText(HKEY hKey, const char* name, char (&out)[260]) {
    DWORD type = 0, size = sizeof(out) - 1;
    out[0] = '\0';
    if (RegQueryValueExA(hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(out), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        out[0] = '\0';
        return false;
    }
    out[size < sizeof(out) ? size : sizeof(out) - 1] = '\0';
    return out[0] != '\0';
}

bool ReadRegDword(HKEY hKey, const char* name, DWORD* value) {
    DWORD type = 0, size = sizeof(*value);
    return RegQueryValueExA(hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof(*value);
}

}  // namespace tray
}  // namespace vix
