// The [Language] section of a driver's profile INI and the choice of a
// language section from it. Pure code: the section text comes from a file
// the driver installed, so every entry is checked.
#ifndef VIX_FOUNDATION_LANGUAGE_TABLE_H
#define VIX_FOUNDATION_LANGUAGE_TABLE_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace vix {

// One entry "section=primary,sub" (both hexadecimal).
struct LanguageEntry {
    std::string section;
    unsigned primary;  // primary language id, 10 bits
    unsigned sub;      // sub-language id, 6 bits
};

// Parses the entries of a section as the profile API returns it: lines
// separated by zero bytes, ended by an empty line (or by `size`). Characters
// other than hexadecimal digits inside a number are skipped ("0x09" is 9);
// a further comma ends the entry. A line without '=', with an empty section
// name, or with a number that is missing or too large for its id is skipped,
// as are comment lines (';').
std::vector<LanguageEntry> ParseLanguageSection(const char* data, std::size_t size);

// The entry for a wanted language id: the exact match (primary = low 10
// bits, sub = high 6 bits), else the first with the same primary id, else
// the first English one (primary 9), else the first. -1 when there are none.
int MatchLanguageEntry(const std::vector<LanguageEntry>& entries, unsigned short langId);

// The whole choice. accept(section) tells whether a section can be used (its
// resource library exists). The wanted language is first the user's, then
// 0x0409; failing both, the first accepted section in file order. -1 when no
// section is accepted.
int ChooseLanguageEntry(const std::vector<LanguageEntry>& entries, unsigned short userLangId,
                        const std::function<bool(const std::string&)>& accept);

constexpr unsigned short kLangEnglishUS = 0x0409;
constexpr unsigned kPrimaryEnglish = 0x09;
constexpr unsigned kPrimaryJapanese = 0x11;

inline unsigned PrimaryLangOf(unsigned short langId) { return langId & 0x3FFu; }
inline unsigned SubLangOf(unsigned short langId) { return langId >> 10; }

}  // namespace vix

#endif
