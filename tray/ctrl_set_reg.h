// What the tray agent asks the spooler and the Run keys: whether monitoring
// is still allowed for its printer, and the removal of its start-up
// entries.
#ifndef VIX_TRAY_CTRL_SET_REG_H
#define VIX_TRAY_CTRL_SET_REG_H

#include <windows.h>

namespace vix {
namespace tray {

// The Run key of the user and of the machine.
constexpr const char* kRunKey = "software\\Microsoft\\Windows\\CurrentVersion\\Run";

class CCtrlSetReg {
public:
    // 1 when monitoring is switched off for the printer (its printer data
    // "VIXSetting" is 1) or the printer cannot be opened; 0 when allowed or
    // the name is empty.
    static int IsVixInvalid(const char* printer);
};

// Removes the user's start-up entry of the agent: the HKCU Run value named
// by `name` when it is not empty, else the first value whose text holds the
// parameter file's name.
void DeleteStartupReg(const char* name, const char* paramFile);

// Removes the Run value `name` of root's Run key and the parameter file its
// text names. False when the Run key cannot be opened.
bool RemoveStartupEntry(HKEY root, const char* name);

}  // namespace tray
}  // namespace vix

#endif
