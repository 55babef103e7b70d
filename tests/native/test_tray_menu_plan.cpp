// The tray agent's reading of its menu key and start-up entries, natively
// under the sanitizers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tray/menu_plan.h"

using namespace vix::tray;

namespace {

struct SeparatorCase {
    const char* name;
    std::string text;
    std::vector<int> numbers;
    friend void PrintTo(const SeparatorCase& c, std::ostream* os) { *os << c.name; }
};

class Separators : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(Separators, Parse) { EXPECT_EQ(ParseSeparators(GetParam().text), GetParam().numbers); }

INSTANTIATE_TEST_SUITE_P(Cases, Separators,
                         ::testing::Values(SeparatorCase{"Empty", "", {}}, SeparatorCase{"One", "2", {2}},
                                           SeparatorCase{"BlanksAroundNumbers", " 1, 4 ,9", {1, 4, 9}},
                                           SeparatorCase{"NotANumberReadsAsZero", "x,3,", {0, 3, 0}},
                                           SeparatorCase{"HugeNumberIsCapped", "99999999999999999999", {1000000}}),
                         [](const ::testing::TestParamInfo<SeparatorCase>& i) { return std::string(i.param.name); });

TEST(Separators, AtMost79Numbers) {
    std::string text;
    for (int i = 1; i <= 100; ++i) text += std::to_string(i) + ",";
    std::vector<int> got = ParseSeparators(text);
    ASSERT_EQ(got.size(), kMaxSeparators);
    EXPECT_EQ(got.back(), 79);
}

std::vector<ExtraCandidate> Candidates(std::initializer_list<std::pair<int, bool>> entries) {
    std::vector<ExtraCandidate> out;
    for (auto e : entries) out.push_back(ExtraCandidate{e.first, true, e.second});
    return out;
}

std::string Plan(const std::vector<ExtraCandidate>& c, const std::vector<int>& separators) {
    std::string s;
    for (const MenuStep& step : PlanExtraEntries(c, separators)) s += step.bSeparator ? "- " : std::to_string(step.id) + " ";
    return s;
}

TEST(ExtraEntries, SeparatorBeforeTheEntryOfItsCount) {
    EXPECT_EQ(Plan(Candidates({{920, true}, {925, true}}), {2}), "920 - 925 ");
    EXPECT_EQ(Plan(Candidates({{920, true}, {925, true}}), {1}), "- 920 925 ");
    EXPECT_EQ(Plan(Candidates({{920, true}, {925, true}}), {}), "920 925 ");
}

TEST(ExtraEntries, EntriesWithoutATextAreNotCounted) {
    // 921 has a command but no text: 925 is the second entry.
    EXPECT_EQ(Plan(Candidates({{920, true}, {921, false}, {925, true}}), {2}), "920 - 925 ");
    std::vector<ExtraCandidate> noCommand = {{920, false, true}, {925, true, true}};
    EXPECT_EQ(Plan(noCommand, {1}), "- 925 ");
}

TEST(ExtraEntries, OneSeparatorPerEntryAndNumbersInOrder) {
    // A repeated number cannot match twice; a number out of order blocks the
    // ones after it, as the list is read in order.
    EXPECT_EQ(Plan(Candidates({{920, true}, {921, true}, {922, true}}), {2, 2, 3}), "920 - 921 922 ");
    EXPECT_EQ(Plan(Candidates({{920, true}, {921, true}, {922, true}}), {3, 2}), "920 921 - 922 ");
}

TEST(InkOrder, ValueMustNameTheProgramAndMenu) {
    EXPECT_TRUE(IsInkOrderCommand("c:\\zv\\zvinkord.exe /menu", "ZVINKORD.EXE"));
    EXPECT_TRUE(IsInkOrderCommand("\"C:\\ZV\\ZVInkOrd.exe\" -MENU", "zvinkord.exe"));
    EXPECT_FALSE(IsInkOrderCommand("c:\\zv\\zvinkord.exe", "ZVINKORD.EXE"));
    EXPECT_FALSE(IsInkOrderCommand("c:\\zv\\other.exe /menu", "ZVINKORD.EXE"));
    EXPECT_FALSE(IsInkOrderCommand("anything /menu", ""));
    EXPECT_EQ(FileNameOf("C:\\a\\b\\ZVINKORD.EXE"), "ZVINKORD.EXE");
    EXPECT_EQ(FileNameOf("ZVINKORD.EXE"), "ZVINKORD.EXE");
    EXPECT_EQ(FileNameOf("C:\\a\\"), "");
}

TEST(StartupEntry, ParameterFileBetweenTheQuotes) {
    EXPECT_EQ(StartupEntryParamFile("C:\\zv\\vixtray.exe /A \"Z_S12.tmp\""), "Z_S12.tmp");
    EXPECT_EQ(StartupEntryParamFile("C:\\zv\\vixtray.exe /A \"C:\\Temp\\Z_S12.tmp\""), "C:\\Temp\\Z_S12.tmp");
    // A quoted program path: the "/A" value is the file.
    EXPECT_EQ(StartupEntryParamFile("\"C:\\Program Files\\zv\\vixtray.exe\" /A \"Z_S12.tmp\""), "Z_S12.tmp");
    // The core library's own entry keeps no file.
    EXPECT_EQ(StartupEntryParamFile("C:\\zv\\VIXICN2.EXE /P3 \"abc\" /M \"ZV-100\" /EF \"HKCU\""), "");
    EXPECT_EQ(StartupEntryParamFile("C:\\zv\\vixtray.exe"), "");
    EXPECT_EQ(StartupEntryParamFile("one \" quote"), "");
    EXPECT_EQ(StartupEntryParamFile(""), "");
}

}  // namespace
