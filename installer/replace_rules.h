// Which installed files a new module may replace: the same module found
// under its own or another file name through the OriginalFilename of the
// version resources; port monitors found through the maker's printer drivers
// and the spooler's monitor registry, other modules by scanning the
// destination directory.
#ifndef ZVU_REPLACE_RULES_H
#define ZVU_REPLACE_RULES_H

#include <string>
#include <vector>

namespace zvu {

// The OriginalFilename of a file's version resource; empty for a file
// without one or a program file without a "PE" header.
std::string GetOriginalName(const std::string& path, bool win9x);
bool IsProgramFile(const std::string& path);
std::string GetExtension(const std::string& name);
// "dir\name" with one backslash between.
std::string JoinPath(const std::string& dir, const std::string& name);

class ReplaceRuleSet {
public:
    explicit ReplaceRuleSet(bool win9x) : m_bWin9x(win9x) {}
    virtual ~ReplaceRuleSet() = default;

    void AppendReplaceFileList(const std::string& fileName);
    std::string GetReplaceFileName(size_t index) const;
    const std::vector<std::string>& ReplaceFiles() const { return m_files; }

    bool MatchName(const std::string& dir, const std::string& candidate, const std::string& newOriginal,
                   const std::string& newName) const;

protected:
    void Begin(const std::string& srcDir) {
        m_files.clear();
        m_srcDir = srcDir;
    }
    std::string NewOriginalName(const std::string& name) const {
        return GetOriginalName(JoinPath(m_srcDir, name), m_bWin9x);
    }
    // Every file of destDir matching prefix + "*" + ext that MatchName takes.
    bool ScanDirectory(const std::string& name, const std::string& destDir, const std::string& prefix,
                       const std::string& ext, const std::string& newOriginal);

    std::vector<std::string> m_files;
    std::string m_srcDir;
    bool m_bWin9x;
};

class MonitorReplaceRules : public ReplaceRuleSet {
public:
    MonitorReplaceRules(long platform, long major)
        : ReplaceRuleSet(platform == 1), m_bNt4(platform == 2 && major == 4) {}

    std::string m_strMaker;
    std::vector<std::string> m_rules;

    bool AllowReplaceMonitor(const std::string& name, const std::string& srcDir, const std::string& destDir,
                             bool extended);

private:
    bool DriverSearch(const std::string& name, const std::string& destDir);
    bool AllowReplacePortMonitor(const std::string& name, const std::string& destDir);
    bool AllowReplaceMonitorExSub(const std::string& name, const std::string& destDir, const std::string& prefix);
    // The monitor rules over one monitor file name; true when MatchName takes it.
    bool ApplyRules(const char* logRule, int driver, const std::string& destDir, const std::string& monitorFile,
                    const std::string& newOriginal, const std::string& name) const;

    bool m_bNt4;
};

class ModuleReplaceRules : public ReplaceRuleSet {
public:
    explicit ModuleReplaceRules(long platform) : ReplaceRuleSet(platform == 1) {}
    bool AllowReplaceOther(const std::string& name, const std::string& srcDir, const std::string& destDir);
};

// The "Driver" value of a monitor under the spooler's monitor registry (the
// 64-bit view under WOW64): the monitor's file name.
std::string MonitorFileName(const std::string& monitor);

}  // namespace zvu

#endif
