// The install list the updater works through, read from the copy-rule file
// for the running Windows version, and the monitor rules. Pure code.
#ifndef ZVU_INSTALL_PLAN_H
#define ZVU_INSTALL_PLAN_H

#include <optional>
#include <string>
#include <vector>

#include "installer/copy_rule_file.h"

namespace zvu {

// Where the copy-rule file comes from: the updater's directory (and whether
// it runs under WOW64), or given bytes (tests).
struct RuleSource {
    std::string dir;
    bool wow64 = false;
    std::optional<std::string> bytes;
    LeadByteFn isLead = nullptr;

    // A fresh reader over the source, located; false when there is no file.
    bool Open(CopyRuleFile& reader) const;
};

struct WindowsVersion {
    long platform = 0, major = 0, minor = 0;
};

struct InstallPlan {
    std::vector<InstallEntry> entries;  // in the order first read
    std::string maker;                  // "DrvMaker"
    std::vector<std::string> rules;     // "Rule1", "Rule2", ...
};

// The entries of "File_W" + each matching selector (withVersion) or of
// "File", appended unless already listed. False when withVersion and no
// "Install" specification matches.
bool ReadEnvInstallation(const RuleSource& src, const WindowsVersion& v, bool withVersion,
                         std::vector<InstallEntry>& list, bool& anyLanMon, const LogFn& log);

// Empties and fills the plan; false when there is no copy-rule file or no
// specification applies.
bool PrepareInstallation(const RuleSource& src, const WindowsVersion& v, InstallPlan& plan, const LogFn& log);

}  // namespace zvu

#endif
