// The update itself: the environment, the install list, the two rule sets
// and the copied count; one install entry after the other, on the worker.
#ifndef ZVU_UPDATE_ENGINE_H
#define ZVU_UPDATE_ENGINE_H

#include <string>
#include <vector>

#include "installer/copy_rule_file.h"
#include "installer/environment.h"
#include "installer/file_replace.h"
#include "installer/replace_rules.h"

namespace zvu {

class UpdateEngine {
public:
    explicit UpdateEngine(const UpdateEnvironment& env);

    const UpdateEnvironment& Env() const { return m_env; }
    bool HaveAuthority() const;

    bool PrepareInstallation();
    unsigned long CopyTargetFile(int lanMon, int type, const std::string& name, const std::string& srcDir);
    // The worker's whole run: the result flags.
    unsigned long RunUpdate();

    std::vector<InstallEntry>& InstallList() { return m_installList; }
    long CopiedCount() const { return m_copied; }
    MonitorReplaceRules& MonitorRules() { return m_monitorRules; }
    ModuleReplaceRules& ModuleRules() { return m_moduleRules; }
    FileReplacer& Replacer() { return m_replacer; }

private:
    UpdateEnvironment m_env;
    MonitorReplaceRules m_monitorRules;
    ModuleReplaceRules m_moduleRules;
    long m_copied = 0;
    FileReplacer m_replacer;
    std::vector<InstallEntry> m_installList;
};

// The string-table identifier of the final message for the result flags.
int ResultMessageId(unsigned long flags, bool japanese);

}  // namespace zvu

#endif
