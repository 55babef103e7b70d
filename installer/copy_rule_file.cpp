#include "installer/copy_rule_file.h"

#include <cstdio>

namespace zvu {

namespace {

// Files of any size are read, but a copy-rule file is a few lines: anything
// beyond this is no copy-rule file.
constexpr long kMaxFileBytes = 16L * 1024 * 1024;

bool ReadWholeFile(const std::string& path, std::string& out) {
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return false;
    out.clear();
    char buf[4096];
    size_t n;
    bool ok = true;
    while ((n = std::fread(buf, 1, sizeof(buf), fp)) > 0) {
        out.append(buf, n);
        if (out.size() > static_cast<size_t>(kMaxFileBytes)) {
            ok = false;
            break;
        }
    }
    if (std::ferror(fp)) ok = false;
    std::fclose(fp);
    return ok;
}

bool Exists(const std::string& path) {
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return false;
    std::fclose(fp);
    return true;
}

}  // namespace

InstallEntry ParseEntryLine(std::string_view line) {
    InstallEntry e;
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        e.name = std::string(TrimBlanks(line));
        return e;
    }
    std::string_view prefix = TrimBlanks(line.substr(0, colon));
    e.name = std::string(TrimBlanks(line.substr(colon + 1)));
    if (prefix.size() == 1 || prefix.size() == 2) {
        switch (prefix[0]) {
            case 'S': e.type = kTypeSystem; break;
            case 'D': e.type = kTypeDriver; break;
            case 'E': e.type = kTypeLibrary; break;
            default: e.type = kTypeDefault; break;
        }
        if (prefix.size() == 2) {
            e.lanMon = 1;
            if (prefix[1] != 'R') e.type = kTypeDefault;
        }
    }
    return e;
}

bool CompVersion(long platform, long major, long minor, std::string_view spec, std::string* selector,
                 const LogFn& log) {
    auto out = [&](const std::string& s) {
        if (log) log(s);
    };
    std::string specText(spec);
    out(Format("CompVersion(%ld, %ld, %ld, %s)\r\n", platform, major, minor, specText.c_str()));
    std::string_view parts[3];
    size_t count = 0, start = 0;
    while (true) {
        size_t colon = spec.find(':', start);
        std::string_view piece = spec.substr(start, colon == std::string_view::npos ? spec.size() - start : colon - start);
        if (count == 3) return false;  // a fourth part: no specification
        parts[count++] = TrimBlanks(piece);
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    long p = ReadDecimal(parts[0]), ma = ReadDecimal(parts[1]), mi = ReadDecimal(parts[2]);
    bool minorOk = true;
    if (!parts[2].empty()) {
        out(Format("Comp Minor Version <%ld : %ld>\r\n", mi, minor));
        minorOk = mi == minor;
    }
    out(Format("Comp PlatformID <%ld : %ld>\r\n", p, platform));
    out(Format("Comp MajorVersion <%ld : %ld>\r\n", ma, major));
    int result = 0;
    if (p == platform && ma == major && minorOk) {
        std::string sel = parts[2].empty() ? Format("%ld%ld", p, ma) : Format("%ld%ld%ld", p, ma, mi);
        out(Format("CompVersion - saving version selecer is \"%s\".\r\n", sel.c_str()));
        if (selector) *selector = sel;
        result = 1;
    }
    out(Format("Comp Result = %d\r\n", result));
    return result == 1;
}

const std::string& CopyRuleFile::Locate(const std::string& dir, bool wow64, const std::string& explicitName) {
    if (!m_path.empty()) return m_path;
    std::string path = dir + "\\" + (explicitName.empty() ? (wow64 ? kName64 : kName32) : explicitName);
    if (Exists(path)) m_path = path;
    return m_path;
}

void CopyRuleFile::SetBytes(std::string_view bytes) {
    m_data.assign(bytes.data(), bytes.size());
    m_length = 0;
    m_bLoaded = false;
    m_bInjected = true;
}

bool CopyRuleFile::Load() {
    m_bLoaded = false;
    m_bInSection = false;
    m_pos = 0;
    if (!m_bInjected) {
        if (m_path.empty() || !ReadWholeFile(m_path, m_data)) {
            m_data.clear();
            m_length = 0;
            return false;
        }
    } else if (m_length && m_data.size() > m_length) {
        m_data.resize(m_length);  // drop the zero added by an earlier load
    }
    m_length = m_data.size();
    m_data.push_back('\0');
    m_bLoaded = true;
    return true;
}

bool CopyRuleFile::ReadLine(std::string& line) {
    line.clear();
    if (!m_bLoaded) return false;
    std::string raw;
    while (true) {
        if (m_pos >= m_length) {
            // The last line of a file without a final line break counts.
            if (raw.empty()) return false;
            break;
        }
        char c = m_data[m_pos];
        if (c == '\n') {
            ++m_pos;
            break;
        }
        if (c == '\r' || (c == '/' && m_pos + 1 < m_length && m_data[m_pos + 1] == '/')) {
            size_t lf = m_data.find('\n', m_pos);
            m_pos = (lf == std::string::npos || lf >= m_length) ? m_length : lf + 1;
            break;
        }
        if (c == '\0' || c == 26) {
            if (raw.empty()) return false;
            break;  // the position stays: the next read ends there
        }
        raw.push_back(c);
        ++m_pos;
    }
    line = UpperText(TrimBlanks(raw), m_isLead);
    return true;
}

bool CopyRuleFile::FindSection(std::string_view section) {
    m_pos = 0;
    m_bInSection = false;
    std::string header = "[" + UpperText(section, m_isLead) + "]";
    std::string line;
    while (ReadLine(line)) {
        if (line == header) {
            m_bInSection = true;
            return true;
        }
    }
    return false;
}

bool CopyRuleFile::NextSectionLine(std::string& line) {
    if (!m_bInSection) return false;
    while (ReadLine(line)) {
        if (line.empty()) continue;
        if (IsHeader(line)) break;
        return true;
    }
    m_bInSection = false;
    line.clear();
    return false;
}

bool CopyRuleFile::SearchEntry(std::string_view section, bool parse, InstallEntry* entry, std::string* raw) {
    if (!section.empty() && !FindSection(section)) return false;
    std::string line;
    if (!NextSectionLine(line)) return false;
    if (raw) *raw = line;
    if (parse && entry) {
        *entry = ParseEntryLine(line);
        entry->checkWow64 = m_bWow64 ? 1 : 0;
    }
    return true;
}

std::string CopyRuleFile::SearchKey(std::string_view section, std::string_view key) {
    if (!section.empty() && !FindSection(section)) return std::string();
    std::string wanted = UpperText(key, m_isLead);
    std::string line;
    while (NextSectionLine(line)) {
        size_t eq = line.find('=');
        std::string_view k = eq == std::string::npos ? std::string_view() : TrimBlanks(std::string_view(line).substr(0, eq));
        if (k != wanted) continue;
        std::string_view v = TrimBlanks(std::string_view(line).substr(eq + 1));
        if (!v.empty() && v.front() == '"') v.remove_prefix(1);
        if (!v.empty() && v.back() == '"') v.remove_suffix(1);
        return std::string(v);
    }
    return std::string();
}

bool CopyRuleFile::SelectVersion(long platform, long major, long minor) {
    if (!Load()) return false;
    std::string line;
    if (!SearchEntry("Install", false, nullptr, &line)) return false;
    bool any = false;
    size_t start = 0;
    while (start <= line.size()) {
        size_t comma = line.find(',', start);
        size_t end = comma == std::string::npos ? line.size() : comma;
        std::string_view spec = TrimBlanks(std::string_view(line).substr(start, end - start));
        if (!spec.empty()) {
            std::string sel;
            if (CompVersion(platform, major, minor, spec, &sel, m_log)) {
                m_selectors.push_back(sel);
                any = true;
            }
        }
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return any;
}

bool CopyRuleFile::SelectSelector(size_t index) {
    if (index >= m_selectors.size()) {
        m_selector.clear();
        return false;
    }
    m_selector = m_selectors[index];
    return true;
}

bool CopyRuleFile::NextPlainEntry(InstallEntry& entry) {
    while (SearchEntry(std::string_view(), true, &entry, nullptr)) {
        if (IsPlainFileName(entry.name)) return true;
        Log(Format("ReadEnvInstallation Skip - \"%s\" is no plain file name.\r\n", entry.name.c_str()));
    }
    return false;
}

bool CopyRuleFile::GetFileNameFirst(InstallEntry& entry) {
    if (!Load()) return false;
    std::string section = m_selector.empty() ? std::string("File") : "File_W" + m_selector;
    Log(Format("GetFileNameFirst - searching section is \"%s\".\r\n", section.c_str()));
    if (!FindSection(section)) return false;
    return NextPlainEntry(entry);
}

bool CopyRuleFile::GetFileNameNext(InstallEntry& entry) { return NextPlainEntry(entry); }

std::string CopyRuleFile::GetMonitorsMaker() {
    if (!Load()) return std::string();
    std::string v = SearchKey("MonitorsCopyRule", "DrvMaker");
    Log(Format("GetMonitorsMaker - \"%s\".\r\n", v.c_str()));
    return v;
}

std::string CopyRuleFile::GetMonitorsRule(int index) {
    std::string key = Format("Rule%d", index + 1);
    Log(Format("GetMonitorsRule [%d] - searcing key is \"%s\".\r\n", index, key.c_str()));
    std::string v;
    if (index == 0) {
        if (Load()) v = SearchKey("MonitorsCopyRule", key);
    } else {
        v = SearchKey(std::string_view(), key);
    }
    Log(Format("GetMonitorsRule [%d] - got rule is \"%s\".\r\n", index, v.c_str()));
    return v;
}

bool CopyRuleFile::LogSwitch(const std::string& dir, bool wow64) {
    Locate(dir, wow64);
    if (!Load()) return false;
    std::string line;
    return SearchEntry("Log", false, nullptr, &line) && line == "ON";
}

}  // namespace zvu
