// What the core library does for the tray agent after the monitoring
// preferences closed with OK: keep the agent's start-up entry (HKCU Run
// value named by the printer, or by its port when the printer name is
// empty) and start the agent at once, so that an enabled icon shows (or the
// running agent reloads its icon choice) and a disabled one closes.
#ifndef VIX_CORE_TRAY_START_H
#define VIX_CORE_TRAY_START_H

#include <string>

namespace vix {
namespace core {

// The user's Run key.
extern const char kRunKey[];

// The tray agent installed for the driver ("Z_SICN", else "VIXICN2.EXE" in
// the install directory). False when there is none.
bool FindTrayAgent(const char* driver, const char* model, std::string* path);

// Updates the start-up entry and starts the agent: with a parameter file
// ("/F"), or with the long command line when no file can be written; "/R"
// when bIconEnabled is false. Returns 1 when the agent was started, 0 when
// it was not found or could not be started (its parameter file is deleted).
int UpdateTrayAgent(const char* printer, const char* port, const char* driver, const char* model,
                    bool bIconEnabled);

}  // namespace core
}  // namespace vix

#endif
