// The pure half of cmdInfo: the switch scanner, the parameter-file text and
// the command-line builders. No Windows header.
#include <cstring>

#include "foundation/param_file.h"
#include "foundation/text.h"

namespace vix {

namespace {

bool IsNameEnd(char c) {
    return (c >= '0' && c <= '9') || c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == '"' || c == '/';
}

std::size_t NameEnd(std::string_view s, std::size_t i) {
    while (i < s.size() && !IsNameEnd(s[i])) ++i;
    return i;
}

}  // namespace

void ScanCommandLine(std::string_view line, const std::function<void(const CmdSwitch&)>& f) {
    const std::size_t n = line.size();
    std::size_t i = 0;
    bool bInQuote = false;
    while (i < n) {
        char c = line[i];
        if (c == '"') {
            bInQuote = !bInQuote;
            ++i;
            continue;
        }
        if (bInQuote || c != '/') {
            ++i;
            continue;
        }
        std::size_t nameStart = ++i;
        i = NameEnd(line, i);
        CmdSwitch sw;
        sw.name = line.substr(nameStart, i - nameStart);

        // The length: digits up to the end, a line feed, a quote or a slash.
        bool bHasLength = false, bTooLong = false;
        std::size_t length = 0;
        while (i < n && line[i] != '\n' && line[i] != '"' && line[i] != '/') {
            if (line[i] >= '0' && line[i] <= '9') {
                bHasLength = true;
                if (length > n) bTooLong = true;
                else length = length * 10 + static_cast<std::size_t>(line[i] - '0');
            }
            ++i;
        }
        if (i < n && line[i] == '"') {
            std::size_t start = i + 1;
            if (bHasLength) {
                if (bTooLong || length > n - start) {  // runs past the line: empty, and nothing follows
                    f(sw);
                    return;
                }
                sw.value = line.substr(start, length);
                i = start + length;
                if (i < n && line[i] == '"') ++i;  // the value's closing quote
            } else {
                std::size_t close = line.find('"', start);
                if (close == std::string_view::npos) {  // unterminated: empty, and nothing follows
                    f(sw);
                    return;
                }
                sw.value = line.substr(start, close - start);
                i = close + 1;
            }
        }
        f(sw);
    }
}

bool ScanParamLine(std::string_view line, CmdSwitch* sw) {
    std::size_t slash = line.find('/');
    if (slash == std::string_view::npos || !sw) return false;
    std::size_t end = NameEnd(line, slash + 1);
    sw->name = line.substr(slash + 1, end - slash - 1);
    std::size_t first = line.find('"', end);
    if (first == std::string_view::npos) {
        sw->value = line;  // a flag line: the value does not matter
        return true;
    }
    std::size_t last = line.rfind('"');
    sw->value = last > first ? line.substr(first + 1, last - first - 1) : std::string_view();
    return true;
}

void cmdInfo::Clear() {
    char* texts[] = {m_szCmdLine,  m_szTempDir, m_szPrinterName, m_szDriverName, m_szPortName, m_szModelID,
                     m_szReadFile, m_szParamFile, m_szJob,       m_szBH,         m_szBU,       m_szBD,
                     m_szBI,       m_szBN,      m_szZVM};
    for (char* t : texts) t[0] = '\0';
    m_fRemove = m_fS = m_fE = m_fC = m_fU = m_fBE = 0;
    m_fIconInstall = m_bFrom = m_bKeepFile = 0;
}

void cmdInfo::StoreSwitch(const CmdSwitch& sw, bool inFile) {
    struct TextSwitch {
        const char* name;
        char* field;
    };
    const TextSwitch texts[] = {
        {"P", m_szPrinterName}, {"D", m_szDriverName}, {"O", m_szPortName}, {"M", m_szModelID},
        {"J", m_szJob},         {"BH", m_szBH},        {"BU", m_szBU},       {"BD", m_szBD},
        {"BI", m_szBI},         {"BN", m_szBN},        {"ZVM", m_szZVM},
    };
    for (const TextSwitch& t : texts) {
        if (EqualsNoCase(sw.name, t.name)) {
            CopyText(t.field, 260, sw.value, TextFit::Fail);
            return;
        }
    }
    struct FlagSwitch {
        const char* name;
        std::int32_t* flag;
    };
    const FlagSwitch flags[] = {
        {"R", &m_fRemove}, {"S", &m_fS},   {"E", &m_fE},           {"C", &m_fC},
        {"U", &m_fU},      {"BE", &m_fBE}, {"I", &m_fIconInstall},
    };
    for (const FlagSwitch& fl : flags) {
        if (EqualsNoCase(sw.name, fl.name)) {
            *fl.flag = 1;
            return;
        }
    }
    if (EqualsNoCase(sw.name, "EF")) {
        if (sw.value == cmdline::kFrom) m_bFrom = 1;
    } else if (inFile) {
        return;  // a parameter file does not name another one
    } else if (EqualsNoCase(sw.name, "F")) {
        CopyText(m_szReadFile, sw.value, TextFit::Fail);
    } else if (EqualsNoCase(sw.name, "A")) {
        CopyText(m_szReadFile, sw.value, TextFit::Fail);
        CopyText(m_szParamFile, sw.value, TextFit::Fail);
        m_bKeepFile = 1;
    }
}

void cmdInfo::ParseSwitches(std::string_view line) {
    CopyText(m_szCmdLine, line, TextFit::Cut);
    ScanCommandLine(line, [this](const CmdSwitch& sw) { StoreSwitch(sw); });
}

void cmdInfo::ReadParamText(std::string_view text) {
    if (text.size() > kParamFileMax) text = text.substr(0, kParamFileMax);
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
        if (line.size() > kParamLineMax) line = line.substr(0, kParamLineMax);
        CmdSwitch sw;
        if (ScanParamLine(line, &sw)) StoreSwitch(sw, true);
    }
}

void cmdInfo::CheckBE() {
    if (!m_szBH[0] || !m_szBU[0] || !m_szBD[0] || !m_szBI[0]) m_fBE = 0;
}

std::string cmdInfo::FormatParamFile() const {
    std::string out;
    auto text = [&out](const char* name, const char* value) {
        if (!value[0]) return;
        out += '/';
        out += name;
        out += " \"";
        out.append(value, BoundedLength(value, 260));
        out += "\"\n";
    };
    auto flag = [&out](const char* name, std::int32_t on) {
        if (!on) return;
        out += '/';
        out += name;
        out += '\n';
    };
    text("P", m_szPrinterName);
    text("D", m_szDriverName);
    text("O", m_szPortName);
    text("M", m_szModelID);
    text("J", m_szJob);
    flag("S", m_fS);
    flag("R", m_fRemove);
    flag("E", m_fE);
    flag("U", m_fU);
    flag("C", m_fC);
    flag("BE", m_fBE);
    text("BH", m_szBH);
    text("BU", m_szBU);
    text("BD", m_szBD);
    text("BI", m_szBI);
    text("BN", m_szBN);
    text("ZVM", m_szZVM);
    flag("I", m_fIconInstall);
    return out;
}

bool cmdInfo::ParamFileSafe() const {
    const char* texts[] = {m_szPrinterName, m_szDriverName, m_szPortName, m_szModelID, m_szJob, m_szBH,
                           m_szBU,          m_szBD,         m_szBI,       m_szBN,      m_szZVM};
    for (const char* t : texts) {
        std::string_view v = BoundedView(t, 260);
        if (v.find_first_of("\r\n") != std::string_view::npos) return false;
    }
    return true;
}

namespace cmdline {

namespace {

std::string Program(std::string_view program) {
    bool bQuote = program.find(' ') != std::string_view::npos && !(program.size() >= 2 && program.front() == '"');
    return bQuote ? "\"" + std::string(program) + "\"" : std::string(program);
}

// " /<name><length> \"<value>\"", or without the length.
void Arg(std::string& out, const char* name, std::string_view value, bool bLength) {
    out += " /";
    out += name;
    if (bLength) out += std::to_string(value.size());
    out += " \"";
    out.append(value.data(), value.size());
    out += '"';
}

}  // namespace

std::string CoreToTrayWithFile(std::string_view program, std::string_view paramFile) {
    std::string s = Program(program);
    Arg(s, "F", paramFile, false);
    Arg(s, "EF", kFrom, false);
    return s;
}

std::string CoreToTrayLong(std::string_view program, std::string_view printer, std::string_view port,
                           std::string_view model, bool bRemove) {
    std::string s = Program(program);
    Arg(s, "P", printer, true);
    Arg(s, "O", port, true);
    Arg(s, "M", model, false);
    Arg(s, "EF", kFrom, false);
    s += bRemove ? "  /R" : " ";
    return s;
}

std::string CoreRunEntry(std::string_view program, std::string_view name, std::string_view model) {
    std::string s = Program(program);
    Arg(s, "P", name, true);
    Arg(s, "M", model, false);
    Arg(s, "EF", kFrom, false);
    return s;
}

std::string TrayToLauncherWithFile(std::string_view program, std::string_view paramFile) {
    std::string s = Program(program);
    Arg(s, "F", paramFile, false);
    return s;
}

std::string TrayToLauncherLong(std::string_view program, std::string_view printer, std::string_view port,
                               std::string_view model, bool bPreferences) {
    std::string s = Program(program);
    Arg(s, "P", printer, true);
    Arg(s, "O", port, true);
    Arg(s, "M", model, true);
    s += bPreferences ? " /E" : " ";
    return s;
}

std::string TrayToExtra(std::string_view command, std::string_view printer, std::string_view model,
                        std::string_view driver, std::string_view port) {
    std::string s(command);
    Arg(s, "P", printer, false);
    Arg(s, "M", model, false);
    Arg(s, "D", driver, false);
    Arg(s, "O", port, false);
    return s;
}

}  // namespace cmdline

}  // namespace vix
