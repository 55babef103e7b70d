#include "core/setting_text.h"

#include <climits>

namespace vix {

long DecimalPrefix(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > INT_MAX) v = INT_MAX;  // saturate instead of overflowing
    }
    return static_cast<long>(negative ? -v : v);
}

std::vector<NotifyDefault> ParseNotifyDefaults(const char* section, std::size_t length, long maxItems) {
    std::vector<NotifyDefault> items;
    if (!section) return items;
    std::size_t at = 0;
    while (at < length && static_cast<long>(items.size()) < maxItems) {
        std::size_t end = at;
        while (end < length && section[end] != '\0') ++end;
        if (end == at) break;  // the empty line ends the section
        std::string_view line(section + at, end - at);
        std::size_t item = line.find("ITEM");
        if (item != std::string_view::npos && item + 8 <= line.size()) {
            std::string_view digits = line.substr(item + 4, 3);
            bool ok = line[item + 7] == '=';
            for (char c : digits) ok = ok && c >= '0' && c <= '9';
            if (ok) items.push_back({std::string(digits), DecimalPrefix(line.substr(item + 8))});
        }
        at = end + 1;
    }
    return items;
}

long TimerTextValue(std::string_view text) { return DecimalPrefix(text.substr(0, text.find(','))); }

long ClampTimerDefault(long value) { return value > 60 || value < 2 ? 10 : value; }

}  // namespace vix
