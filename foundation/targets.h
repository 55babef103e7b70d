// Monitored-printer targets: one numbered key per printer under the user's
// "ZVLTarget" root (keyed by printer name) or "ZVNTarget" root (keyed by port
// name when no printer name is known). The core library and the tray agents
// share this code. Target keys are shared by every process of the user
// without locks.
#ifndef VIX_FOUNDATION_TARGETS_H
#define VIX_FOUNDATION_TARGETS_H

#include <cstddef>

namespace vix {

constexpr const char* kTargetRootPrinter = "software\\ZARVO\\VIX3\\VIXData\\ZVLTarget";
constexpr const char* kTargetRootPort = "software\\ZARVO\\VIX3\\VIXData\\ZVNTarget";

// Result codes of FindTarget.
constexpr int TARGET_FOUND = 0;
constexpr int TARGET_NOT_FOUND = 1;
constexpr int TARGET_NO_ROOT = 4;

// Result codes of CreateTarget.
constexpr int TARGET_CREATED = 0;
constexpr int TARGET_SETTING_UNREAD = 1;  // "Setting" not read back as 0
constexpr int TARGET_NAME_UNWRITTEN = 2;
constexpr int TARGET_SUBKEY_FAILED = 3;
constexpr int TARGET_ROOT_FAILED = 4;

// Further results of FindOrCreateTarget (besides 0 and the creation's 1).
constexpr int TARGET_CORE_NOT_LOADED = 4;  // the core library could not be loaded
constexpr int TARGET_NO_EXPORT = 5;        // PrSetRegDefaultValue is missing

// The key path of the target named `name` (compared without case) into
// path[0..cap): root + "\" + sub-key name.
int FindTarget(const char* name, bool bUsePort, char* path, std::size_t cap);

// Creates the target with the lowest free index ("P%016d"), writes "Name",
// "Setting" = 0 and "Timer" = 10.
int CreateTarget(const char* name, bool bUsePort, char* path, std::size_t cap);

// Finds the printer's target, or cleans stale targets, creates it and has
// the core library (found through the printer's driver and FindPrnDll) fill
// it with the defaults through its export PrSetRegDefaultValue. The name is
// the printer name, or the port name (with *pbUsePort set) when the printer
// name is empty. 0 found or created; otherwise the creation or fill result.
int FindOrCreateTarget(const char* printer, const char* port, const char* model, bool* pbUsePort, char* path,
                       std::size_t cap);

// Removes every target whose printer is gone. 0, or -1 when a root cannot
// be opened.
int CleanTargets();

// Marks the target with "Setting" = 255 and deletes it with all its
// sub-keys. 0, or -1 when the key cannot be opened.
int RemoveTarget(const char* path);

// The target key path of a printer found from the printer name, or from the
// port name when the printer name is empty. Same results as FindTarget; a
// missing name gives TARGET_NOT_FOUND.
int FindPrinterTarget(const char* printer, const char* port, char* path, std::size_t cap);

}  // namespace vix

#endif
