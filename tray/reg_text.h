// The agent's reads of single registry values into its fixed fields.
#ifndef VIX_TRAY_REG_TEXT_H
#define VIX_TRAY_REG_TEXT_H

#include <windows.h>

namespace vix {
namespace tray {

// A string value of at most 259 characters into out (a longer or non-text
// value is not read; out is then empty). True when a non-empty text was read.
bool ReadRegText(HKEY hKey, const char* name, char (&out)[260]);
// A REG_DWORD value. True when read.
bool ReadRegDword(HKEY hKey, const char* name, DWORD* value);

}  // namespace tray
}  // namespace vix

#endif
