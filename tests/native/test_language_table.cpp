// The [Language] section of a profile INI and the choice of a language
// section, natively under the sanitizers.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "foundation/language_table.h"

using namespace vix;

namespace {

// A section as the profile API returns it: zero-separated lines, two zeros
// at the end.
std::string Section(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + '\0';
    return s + '\0';
}

std::vector<LanguageEntry> Parse(const std::vector<std::string>& lines) {
    std::string s = Section(lines);
    return ParseLanguageSection(s.data(), s.size());
}

TEST(LanguageSection, ReadsEveryEntryAndSkipsTheBrokenOnes) {
    auto e = Parse({"English=0x09,0x01", "Japanese=11,1", " German = 0x07 , 0x01 ", "NoEquals 0x07,0x01",
                    "=0x09,0x01", "NoComma=0x09", "Garbage=zz,01", "TooBig=0x400,0x01", "SubTooBig=0x09,0x40",
                    "; comment=0x09,0x01", "Swiss=0x07,0x02,junk,0x09", "Odd=x0y9,0z1"});
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].section, "English");
    EXPECT_EQ(e[0].primary, 0x09u);
    EXPECT_EQ(e[0].sub, 0x01u);
    EXPECT_EQ(e[1].section, "Japanese");
    EXPECT_EQ(e[1].primary, 0x11u);
    EXPECT_EQ(e[2].section, "German");
    EXPECT_EQ(e[2].primary, 0x07u);
    EXPECT_EQ(e[3].section, "Swiss") << "a further comma ends the entry";
    EXPECT_EQ(e[3].sub, 0x02u);
    EXPECT_EQ(e[4].section, "Odd") << "characters other than hex digits are skipped";
    EXPECT_EQ(e[4].primary, 0x09u);
    EXPECT_EQ(e[4].sub, 0x01u);
}

TEST(LanguageSection, LongSectionsAndUnterminatedData) {
    std::vector<std::string> lines;
    for (int i = 0; i < 200; ++i) lines.push_back("Section" + std::to_string(i) + "=0x09,0x01");
    lines.push_back("Last=0x11,0x01");
    auto e = Parse(lines);
    ASSERT_EQ(e.size(), 201u);
    EXPECT_EQ(e.back().section, "Last");
    // Data that is cut in the middle of a line and lacks its zeros.
    std::string cut = "English=0x09,0x01";
    cut += '\0';
    cut += "German=0x07,0x0";
    e = ParseLanguageSection(cut.data(), cut.size());
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[1].sub, 0u);
    EXPECT_TRUE(ParseLanguageSection(nullptr, 10).empty());
    EXPECT_TRUE(ParseLanguageSection("", 1).empty());
}

struct ChoiceCase {
    const char* name;
    unsigned short userLang;
    std::set<std::string> existing;  // sections whose resource library exists
    const char* chosen;              // "" when none
    friend void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }
};

class LanguageChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(LanguageChoice, PicksTheSection) {
    const ChoiceCase& c = GetParam();
    // German comes after a Swiss-German entry of another sub-language id, so
    // that "same primary id" and "exact" differ.
    auto entries = Parse({"Japanese=0x11,0x01", "English=0x09,0x01", "German=0x07,0x01", "Austrian=0x07,0x03",
                          "EnglishUK=0x09,0x02"});
    int i = ChooseLanguageEntry(entries, c.userLang,
                                [&](const std::string& s) { return c.existing.count(s) != 0; });
    EXPECT_EQ(i < 0 ? std::string() : entries[static_cast<std::size_t>(i)].section, c.chosen);
}

const std::set<std::string> kAll = {"Japanese", "English", "German", "Austrian", "EnglishUK"};

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageChoice,
    ::testing::Values(
        ChoiceCase{"ExactMatch", 0x0C07, kAll, "Austrian"},
        ChoiceCase{"ExactMatchEnglishUK", 0x0809, kAll, "EnglishUK"},
        ChoiceCase{"SamePrimaryIdSwissGermanPicksGerman", 0x0807, kAll, "German"},
        ChoiceCase{"UnknownLanguageFallsToFirstEnglish", 0x040C, kAll, "English"},
        ChoiceCase{"MissingGermanLibraryFallsToEnglishUS", 0x0807, {"Japanese", "English", "Austrian"}, "English"},
        ChoiceCase{"MissingEnglishToo", 0x0807, {"Japanese", "Austrian", "EnglishUK"}, "Japanese"},
        ChoiceCase{"FirstExistingSectionLast", 0x0411, {"Austrian"}, "Austrian"},
        ChoiceCase{"NoneExists", 0x0409, {}, ""}));

TEST(LanguageChoice, WithoutEnglishTheFirstEntryIsTaken) {
    auto entries = Parse({"Japanese=0x11,0x01", "German=0x07,0x01"});
    EXPECT_EQ(MatchLanguageEntry(entries, 0x040C), 0);
    EXPECT_EQ(MatchLanguageEntry({}, 0x0409), -1);
    EXPECT_EQ(ChooseLanguageEntry({}, 0x0409, [](const std::string&) { return true; }), -1);
}

}  // namespace
