#include "foundation/language_table.h"

#include <cstring>
#include <initializer_list>

namespace vix {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The hexadecimal digits of text, others skipped. False without a digit or
// when the value exceeds max.
bool HexNumber(const std::string& text, unsigned max, unsigned* pValue) {
    unsigned v = 0;
    bool any = false;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0) continue;
        v = v * 16 + static_cast<unsigned>(d);
        any = true;
        if (v > max) return false;
    }
    *pValue = v;
    return any;
}

std::string Trimmed(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool ParseEntry(const std::string& line, LanguageEntry* out) {
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    std::string name = Trimmed(line.substr(0, eq));
    if (name.empty() || name[0] == ';') return false;
    std::string value = line.substr(eq + 1);
    std::size_t comma = value.find(',');
    if (comma == std::string::npos) return false;
    std::size_t end = value.find(',', comma + 1);  // a further comma ends the entry
    std::string primary = value.substr(0, comma);
    std::string sub = value.substr(comma + 1, end == std::string::npos ? std::string::npos : end - comma - 1);
    if (!HexNumber(primary, 0x3FF, &out->primary) || !HexNumber(sub, 0x3F, &out->sub)) return false;
    out->section = name;
    return true;
}

}  // namespace

std::vector<LanguageEntry> ParseLanguageSection(const char* data, std::size_t size) {
    std::vector<LanguageEntry> entries;
    if (!data) return entries;
    std::size_t pos = 0;
    while (pos < size && data[pos] != '\0') {
        const void* z = std::memchr(data + pos, 0, size - pos);
        std::size_t end = z ? static_cast<std::size_t>(static_cast<const char*>(z) - data) : size;
        LanguageEntry e;
        if (ParseEntry(std::string(data + pos, end - pos), &e)) entries.push_back(std::move(e));
        pos = end + 1;
    }
    return entries;
}

int MatchLanguageEntry(const std::vector<LanguageEntry>& entries, unsigned short langId) {
    const unsigned primary = PrimaryLangOf(langId), sub = SubLangOf(langId);
    int samePrimary = -1, english = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const LanguageEntry& e = entries[i];
        if (e.primary == primary && e.sub == sub) return static_cast<int>(i);
        if (samePrimary < 0 && e.primary == primary) samePrimary = static_cast<int>(i);
        if (english < 0 && e.primary == kPrimaryEnglish) english = static_cast<int>(i);
    }
    if (samePrimary >= 0) return samePrimary;
    if (english >= 0) return english;
    return entries.empty() ? -1 : 0;
}

int ChooseLanguageEntry(const std::vector<LanguageEntry>& entries, unsigned short userLangId,
                        const std::function<bool(const std::string&)>& accept) {
    for (unsigned short wanted : {userLangId, kLangEnglishUS}) {
        int i = MatchLanguageEntry(entries, wanted);
        if (i >= 0 && accept(entries[static_cast<std::size_t>(i)].section)) return i;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (accept(entries[i].section)) return static_cast<int>(i);
    return -1;
}

}  // namespace vix
