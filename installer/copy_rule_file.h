// The copy-rule file "ZVCOPY32.DAT" / "ZVCOPY64.DAT" beside the updater: its
// lines, sections, file entries, key=value rules and the version selection
// of the sections that apply to the running Windows. Pure code: the caller
// tells the directory and whether the process runs under WOW64.
#ifndef ZVU_COPY_RULE_FILE_H
#define ZVU_COPY_RULE_FILE_H

#include <string>
#include <string_view>
#include <vector>

#include "installer/rule_text.h"

namespace zvu {

// Destination types of a file entry.
enum EntryType : int {
    kTypeDefault = 0,  // system directory
    kTypeSystem = 1,   // system directory
    kTypeDriver = 2,   // printer-driver directory
    kTypeLibrary = 3,  // install directory of the bidirectional library
};

struct InstallEntry {
    std::string name;  // upper case, without directory
    int type = kTypeDefault;
    int lanMon = 0;      // 1: a port monitor
    int checkWow64 = 0;  // recorded for the log
    bool SameAs(const InstallEntry& o) const { return name == o.name && type == o.type && lanMon == o.lanMon; }
};

// Splits one (trimmed, upper-case) entry line into type, LanMon and name.
InstallEntry ParseEntryLine(std::string_view line);

// One element of the "Install" list against the running version; on a match
// the selector is returned through `selector`.
bool CompVersion(long platform, long major, long minor, std::string_view spec, std::string* selector,
                 const LogFn& log);

class CopyRuleFile {
public:
    static constexpr const char* kName32 = "ZVCOPY32.DAT";
    static constexpr const char* kName64 = "ZVCOPY64.DAT";

    explicit CopyRuleFile(LogFn log = {}, LeadByteFn isLead = nullptr) : m_log(std::move(log)), m_isLead(isLead) {}

    // The file beside the updater (dir without trailing backslash): the 64
    // name under WOW64, else the 32 name, or an explicit name. Kept once
    // found; empty when the file does not exist.
    const std::string& Locate(const std::string& dir, bool wow64, const std::string& explicitName = std::string());
    const std::string& Path() const { return m_path; }

    // Reads the located file (or the bytes given by SetBytes) and starts at
    // the top.
    bool Load();
    // Uses these bytes as the file's content (tests, fuzzing).
    void SetBytes(std::string_view bytes);

    // The next line, trimmed and upper case; false when there are no more.
    bool ReadLine(std::string& line);

    // First non-empty line of a section (named: from the top; empty name: on
    // from the current position); raw when parse is false.
    bool SearchEntry(std::string_view section, bool parse, InstallEntry* entry, std::string* raw);
    // Value of a key in a section (same start rule); empty when not found.
    std::string SearchKey(std::string_view section, std::string_view key);

    // Version selection over the first line of "Install".
    bool SelectVersion(long platform, long major, long minor);
    bool SelectSelector(size_t index);
    void ClearSelectors() {
        m_selectors.clear();
        m_selector.clear();
    }
    const std::vector<std::string>& Selectors() const { return m_selectors; }

    // File entries of "File_W" + selector, or "File" without one. Entries
    // whose name is no plain file name are passed over with a log line.
    bool GetFileNameFirst(InstallEntry& entry);
    bool GetFileNameNext(InstallEntry& entry);

    std::string GetMonitorsMaker();
    std::string GetMonitorsRule(int index);
    bool LogSwitch(const std::string& dir, bool wow64);

    // CheckWow64 of the entries read from now on.
    void SetWow64(bool wow64) { m_bWow64 = wow64; }

private:
    void Log(const std::string& s) const {
        if (m_log) m_log(s);
    }
    bool FindSection(std::string_view section);
    bool NextSectionLine(std::string& line);
    bool NextPlainEntry(InstallEntry& entry);
    static bool IsHeader(const std::string& line) {
        return !line.empty() && line.front() == '[' && line.back() == ']';
    }

    LogFn m_log;
    LeadByteFn m_isLead;
    std::string m_path;
    std::string m_data;  // the file's bytes and one zero byte
    size_t m_length = 0;
    size_t m_pos = 0;
    bool m_bLoaded = false;
    bool m_bInjected = false;
    bool m_bInSection = false;
    bool m_bWow64 = false;
    std::vector<std::string> m_selectors;
    std::string m_selector;
};

}  // namespace zvu

#endif
