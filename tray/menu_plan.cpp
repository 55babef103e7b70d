#include "tray/menu_plan.h"

#include "foundation/param_file.h"

namespace vix {
namespace tray {

namespace {

constexpr int kNumberCap = 1000000;  // no menu has more entries than this

int ParseField(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
    if (i == field.size() || field[i] < '0' || field[i] > '9') return 0;
    int n = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        n = n * 10 + (field[i] - '0');
        if (n > kNumberCap) n = kNumberCap;
    }
    return n;
}

}  // namespace

std::vector<int> ParseSeparators(std::string_view text) {
    std::vector<int> out;
    if (text.empty()) return out;
    std::size_t start = 0;
    while (out.size() < kMaxSeparators) {
        std::size_t comma = text.find(',', start);
        std::string_view field = text.substr(start, comma == std::string_view::npos ? text.npos : comma - start);
        out.push_back(ParseField(field));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return out;
}

std::vector<MenuStep> PlanExtraEntries(const std::vector<ExtraCandidate>& candidates,
                                       const std::vector<int>& separators) {
    std::vector<MenuStep> steps;
    int count = 0;
    std::size_t nextSeparator = 0;
    for (const ExtraCandidate& c : candidates) {
        if (!c.bHasCommand || !c.bHasText) continue;
        ++count;
        if (nextSeparator < separators.size() && nextSeparator < kMaxSeparators &&
            separators[nextSeparator] == count) {
            steps.push_back(MenuStep{true, 0});
            ++nextSeparator;
        }
        steps.push_back(MenuStep{false, c.id});
    }
    return steps;
}

std::string_view FileNameOf(std::string_view path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool IsInkOrderCommand(std::string_view menuValue, std::string_view depExeFileName) {
    if (depExeFileName.empty()) return false;
    std::string value = UpperAscii(menuValue);
    return value.find(UpperAscii(depExeFileName)) != std::string::npos && value.find("MENU") != std::string::npos;
}

std::string StartupEntryParamFile(std::string_view entry) {
    std::size_t first = entry.find('"');
    std::size_t last = entry.rfind('"');
    if (first == std::string_view::npos || last == first) return std::string();
    std::string_view between = entry.substr(first + 1, last - first - 1);
    if (between.find('"') == std::string_view::npos) return std::string(between);
    std::string file;
    ScanCommandLine(entry, [&file](const CmdSwitch& sw) {
        if (sw.name.size() == 1 && (sw.name[0] == 'A' || sw.name[0] == 'a')) file.assign(sw.value);
    });
    return file;
}

}  // namespace tray
}  // namespace vix
