// The installer's copy-rule file reader and text helpers, natively under the
// sanitizers.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "installer/copy_rule_file.h"
#include "installer/install_plan.h"
#include "installer/rule_text.h"

using namespace zvu;

namespace {

struct Recorder {
    std::vector<std::string> lines;
    LogFn Fn() {
        return [this](const std::string& s) { lines.push_back(s); };
    }
    bool Has(const std::string& s) const {
        for (auto& l : lines)
            if (l == s) return true;
        return false;
    }
};

std::vector<std::string> Lines(const std::string& bytes) {
    CopyRuleFile f;
    f.SetBytes(bytes);
    EXPECT_TRUE(f.Load());
    std::vector<std::string> out;
    std::string line;
    while (f.ReadLine(line)) out.push_back(line);
    return out;
}

std::vector<std::string> Names(const std::vector<InstallEntry>& list) {
    std::vector<std::string> out;
    for (auto& e : list) out.push_back(std::to_string(e.type) + std::to_string(e.lanMon) + ":" + e.name);
    return out;
}

const WindowsVersion kXP{2, 5, 1};

}  // namespace

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
};

class LineReader : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineReader, SplitsTrimsAndUpperCases) { EXPECT_EQ(Lines(GetParam().bytes), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    Cases, LineReader,
    ::testing::Values(
        LineCase{"LfAndBlanks", " a.dll \n\tb\t\n", {"A.DLL", "B"}},
        LineCase{"CrSkipsToLf", "one\rjunk\ntwo\r\n", {"ONE", "TWO"}},
        LineCase{"CommentCutsTheLine", "S:zvxmon.dll // monitor\nx", {"S:ZVXMON.DLL", "X"}},
        LineCase{"CtrlZEndsTheFile", "a\nb\x1a" "c\nd\n", {"A", "B"}},
        LineCase{"ZeroByteEndsTheFile", std::string("a\n\0b\n", 5), {"A"}},
        LineCase{"LastLineWithoutBreakCounts", "a\nlast", {"A", "LAST"}},
        LineCase{"EmptyFile", "", {}},
        LineCase{"CrAtTheEnd", "a\r", {"A"}},
        LineCase{"EndlessLine", std::string(100000, 'q'), {std::string(100000, 'Q')}},
        LineCase{"EightBitKept", "\xe9t\xe9\n", {"\xe9T\xe9"}}));

TEST(LineReader, UpperCasingSparesTrailBytes) {
    // 0x83 0x61 is one double-byte character; its trail byte is no letter.
    std::string up = UpperText("\x83\x61x", [](unsigned char c) { return c >= 0x81 && c <= 0x9f; });
    EXPECT_EQ(up, "\x83\x61X");
}

struct EntryCase {
    const char* name;
    const char* line;
    const char* file;
    int type, lanMon;
    friend void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }
};

class EntryLine : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryLine, GivesTypeAndLanMon) {
    const auto& c = GetParam();
    InstallEntry e = ParseEntryLine(c.line);
    EXPECT_EQ(e.name, c.file);
    EXPECT_EQ(e.type, c.type);
    EXPECT_EQ(e.lanMon, c.lanMon);
}

INSTANTIATE_TEST_SUITE_P(Cases, EntryLine,
                         ::testing::Values(EntryCase{"NoPrefix", "A.DLL", "A.DLL", 0, 0},
                                           EntryCase{"System", "S : A.DLL", "A.DLL", 1, 0},
                                           EntryCase{"Driver", "D:A.DLL", "A.DLL", 2, 0},
                                           EntryCase{"Library", "E:A.DLL", "A.DLL", 3, 0},
                                           EntryCase{"OtherLetter", "X:A.DLL", "A.DLL", 0, 0},
                                           EntryCase{"SystemMonitor", "SR:A.DLL", "A.DLL", 1, 1},
                                           EntryCase{"DriverMonitor", "DR:A.DLL", "A.DLL", 2, 1},
                                           EntryCase{"LibraryMonitor", "ER:A.DLL", "A.DLL", 3, 1},
                                           EntryCase{"OtherTwoLetters", "SX:A.DLL", "A.DLL", 0, 1},
                                           EntryCase{"ThreeLetters", "SRX:A.DLL", "A.DLL", 0, 0},
                                           EntryCase{"EmptyPrefix", ":A.DLL", "A.DLL", 0, 0},
                                           EntryCase{"SecondColonStaysInName", "S:C:A.DLL", "C:A.DLL", 1, 0}));

struct NameCase {
    const char* name;
    std::string file;
    bool plain;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class PlainName : public ::testing::TestWithParam<NameCase> {};

TEST_P(PlainName, StaysInsideItsDirectory) { EXPECT_EQ(IsPlainFileName(GetParam().file), GetParam().plain); }

INSTANTIATE_TEST_SUITE_P(Cases, PlainName,
                         ::testing::Values(NameCase{"Plain", "ZVXMON.DLL", true},
                                           NameCase{"DotsInside", "A..B.DLL", true},
                                           NameCase{"Backslash", "..\\A.DLL", false},
                                           NameCase{"Slash", "SUB/A.DLL", false},
                                           NameCase{"Drive", "C:A.DLL", false},
                                           NameCase{"DotDot", "..", false},
                                           NameCase{"DotsOnly", "...", false},
                                           NameCase{"Wildcard", "*.DLL", false},
                                           NameCase{"Empty", "", false},
                                           NameCase{"Longest", std::string(255, 'A'), true},
                                           NameCase{"TooLong", std::string(256, 'A'), false}));

TEST(Sections, HeaderNeedsNoBlanksInside) {
    for (const char* header : {"[file]", "[FILE]", "  [File]  "}) {
        CopyRuleFile f;
        f.SetBytes(std::string(header) + "\na.dll\n");
        InstallEntry e;
        EXPECT_TRUE(f.GetFileNameFirst(e)) << header;
        EXPECT_EQ(e.name, "A.DLL");
    }
    CopyRuleFile f;
    f.SetBytes("[ File ]\na.dll\n");
    InstallEntry e;
    EXPECT_FALSE(f.GetFileNameFirst(e));
}

TEST(Sections, EntriesEndAtTheNextHeader) {
    CopyRuleFile f;
    f.SetBytes("[File]\n\na.dll\n\n[Other]\nb.dll\n[File]\nc.dll\n");
    InstallEntry e;
    ASSERT_TRUE(f.GetFileNameFirst(e));
    EXPECT_EQ(e.name, "A.DLL");
    EXPECT_FALSE(f.GetFileNameNext(e));
    EXPECT_FALSE(f.GetFileNameNext(e));  // stays ended
}

TEST(Sections, NoSectionsNoEntriesNoRulesNoLog) {
    Recorder log;
    CopyRuleFile f(log.Fn());
    f.SetBytes("a.dll\nRule1=ZV\nON\n");
    InstallEntry e;
    EXPECT_FALSE(f.GetFileNameFirst(e));
    EXPECT_FALSE(f.GetFileNameNext(e));
    EXPECT_EQ(f.GetMonitorsMaker(), "");
    EXPECT_EQ(f.GetMonitorsRule(0), "");
    EXPECT_EQ(f.GetMonitorsRule(1), "");
    EXPECT_FALSE(f.SelectVersion(2, 5, 1));
}

TEST(Sections, UnlocatedFileReadsNothing) {
    CopyRuleFile f;
    EXPECT_EQ(f.Locate("/nonexistent-dir-of-no-one", false), "");
    EXPECT_FALSE(f.Load());
    EXPECT_FALSE(f.LogSwitch("/nonexistent-dir-of-no-one", false));
}

TEST(Keys, RulesAreReadInFileOrder) {
    Recorder log;
    CopyRuleFile f(log.Fn());
    f.SetBytes("[MonitorsCopyRule]\nDrvMaker = zarvo\nRule2=late\nRule1 = \"zvx\"\nRule4=x\nnoequals\n[Next]\nRule3=y\n");
    EXPECT_EQ(f.GetMonitorsMaker(), "ZARVO");
    EXPECT_EQ(f.GetMonitorsRule(0), "ZVX");
    EXPECT_EQ(f.GetMonitorsRule(1), "");  // Rule2 stands above Rule1
    EXPECT_TRUE(log.Has("GetMonitorsRule [1] - searcing key is \"Rule2\".\r\n"));
    EXPECT_TRUE(log.Has("GetMonitorsMaker - \"ZARVO\".\r\n"));

    CopyRuleFile g;
    g.SetBytes("[MonitorsCopyRule]\nRule1=a\nRule2=b\nRule4=d\n[x]\nRule3=c\n");
    EXPECT_EQ(g.GetMonitorsRule(0), "A");
    EXPECT_EQ(g.GetMonitorsRule(1), "B");
    EXPECT_EQ(g.GetMonitorsRule(2), "");
}

TEST(Keys, LogSwitchWantsOnInTheFirstLine) {
    struct Row {
        const char* bytes;
        bool on;
    } rows[] = {{"[Log]\non\n", true}, {"[Log]\n\n ON \n", true}, {"[Log]\nONE\n", false},
                {"[Log]\n[x]\nON\n", false}, {"[Log]\nOFF\nON\n", false}};
    for (auto& r : rows) {
        CopyRuleFile f;
        f.SetBytes(r.bytes);
        std::string line;
        EXPECT_EQ(f.Load() && f.SearchEntry("Log", false, nullptr, &line) && line == "ON", r.on) << r.bytes;
    }
}

struct SpecCase {
    const char* name;
    const char* spec;
    bool match;
    const char* selector;
    friend void PrintTo(const SpecCase& c, std::ostream* os) { *os << c.name; }
};

class VersionSpec : public ::testing::TestWithParam<SpecCase> {};

TEST_P(VersionSpec, MatchesWindows51) {
    const auto& c = GetParam();
    std::string sel;
    EXPECT_EQ(CompVersion(2, 5, 1, c.spec, &sel, nullptr), c.match);
    if (c.match) EXPECT_EQ(sel, c.selector);
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionSpec,
                         ::testing::Values(SpecCase{"ThreeParts", "2:5:1", true, "251"},
                                           SpecCase{"TwoPartsAnyMinor", "2:5", true, "25"},
                                           SpecCase{"Blanks", " 2 : 5 : 1 ", true, "251"},
                                           SpecCase{"OtherMinor", "2:5:2", false, ""},
                                           SpecCase{"OtherMajor", "2:6", false, ""},
                                           SpecCase{"FourPartsInvalid", "2:5:1:0", false, ""},
                                           SpecCase{"NoNumbers", "x:y", false, ""},
                                           SpecCase{"OnePart", "2", false, ""},
                                           SpecCase{"Huge", "99999999999999999999:5", false, ""},
                                           SpecCase{"EmptyMinorAnyMinor", "2:5:", true, "25"}));

TEST(VersionSpec, LogsTheComparison) {
    Recorder log;
    CompVersion(2, 5, 1, "2:5:1", nullptr, log.Fn());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"CompVersion(2, 5, 1, 2:5:1)\r\n", "Comp Minor Version <1 : 1>\r\n",
                                                   "Comp PlatformID <2 : 2>\r\n", "Comp MajorVersion <5 : 5>\r\n",
                                                   "CompVersion - saving version selecer is \"251\".\r\n",
                                                   "Comp Result = 1\r\n"}));
    Recorder bad;
    CompVersion(2, 5, 1, "2:5:1:0", nullptr, bad.Fn());
    EXPECT_EQ(bad.lines.size(), 1u);
}

TEST(InstallList, SectionsInInstallOrderThenFileOnce) {
    RuleSource src;
    src.bytes = "[Install]\n2:5:1, 2:5:2,2:5,2:6\n"
                "[File_W25]\nS:b.dll\nS:a.dll\n"
                "[File_W251]\nS:a.dll\nSR:a.dll\n"
                "[File]\nS:a.dll\nc.dll\n";
    InstallPlan plan;
    ASSERT_TRUE(PrepareInstallation(src, kXP, plan, nullptr));
    EXPECT_EQ(Names(plan.entries), (std::vector<std::string>{"10:A.DLL", "11:A.DLL", "10:B.DLL", "00:C.DLL"}));
}

TEST(InstallList, MonitorRulesOnlyWithAMonitorEntry) {
    RuleSource src;
    src.bytes = "[Install]\n2:5\n[File_W25]\nD:a.dll\n[MonitorsCopyRule]\nDrvMaker=ZARVO\nRule1=ZV\nRule2=QK\n";
    InstallPlan plan;
    ASSERT_TRUE(PrepareInstallation(src, kXP, plan, nullptr));
    EXPECT_EQ(plan.maker, "");
    EXPECT_TRUE(plan.rules.empty());
    src.bytes = "[Install]\n2:5\n[File]\nDR:a.dll\n[MonitorsCopyRule]\nDrvMaker=ZARVO\nRule1=ZV\nRule2=QK\n";
    ASSERT_TRUE(PrepareInstallation(src, kXP, plan, nullptr));
    EXPECT_EQ(plan.maker, "ZARVO");
    EXPECT_EQ(plan.rules, (std::vector<std::string>{"ZV", "QK"}));
}

TEST(InstallList, NoMatchingVersionFails) {
    RuleSource src;
    src.bytes = "[Install]\n2:6, 1:4\n[File]\na.dll\n";
    InstallPlan plan;
    EXPECT_FALSE(PrepareInstallation(src, kXP, plan, nullptr));
    src.bytes = "[File]\na.dll\n";
    EXPECT_FALSE(PrepareInstallation(src, kXP, plan, nullptr));
    RuleSource missing;
    missing.dir = "/nonexistent-dir-of-no-one";
    EXPECT_FALSE(PrepareInstallation(missing, kXP, plan, nullptr));
}

TEST(InstallList, NamesReachingOutAreSkippedAndLogged) {
    Recorder log;
    RuleSource src;
    src.bytes = "[Install]\n2:5\n[File]\nS:..\\..\\evil.dll\nD:C:\\x.dll\nE:sub/y.dll\n..\nS:\nok.dll\n" +
                std::string("S:") + std::string(300, 'L') + "\n";
    InstallPlan plan;
    ASSERT_TRUE(PrepareInstallation(src, kXP, plan, log.Fn()));
    EXPECT_EQ(Names(plan.entries), (std::vector<std::string>{"00:OK.DLL"}));
    EXPECT_TRUE(log.Has("ReadEnvInstallation Skip - \"..\\..\\EVIL.DLL\" is no plain file name.\r\n"));
    EXPECT_TRUE(log.Has("ReadEnvInstallation Skip - \"C:\\X.DLL\" is no plain file name.\r\n"));
}

TEST(InstallList, RecordsWow64) {
    RuleSource src;
    src.bytes = "[Install]\n2:6\n[File]\na.dll\n";
    src.wow64 = true;
    InstallPlan plan;
    Recorder log;
    ASSERT_TRUE(PrepareInstallation(src, WindowsVersion{2, 6, 1}, plan, log.Fn()));
    ASSERT_EQ(plan.entries.size(), 1u);
    EXPECT_EQ(plan.entries[0].checkWow64, 1);
    EXPECT_TRUE(log.Has("ReadEnvInstallation Append - 0:A.DLL, (LanMon=0) (CheckWow64=1)\r\n"));
}

struct VersionTextCase {
    const char* name;
    const char* a;
    const char* b;
    int order, part;
    friend void PrintTo(const VersionTextCase& c, std::ostream* os) { *os << c.name; }
};

class VersionText : public ::testing::TestWithParam<VersionTextCase> {};

TEST_P(VersionText, ComparesPartByPart) {
    const auto& c = GetParam();
    int part = -1;
    EXPECT_EQ(CompareTriples(ParseVersionText(c.a), ParseVersionText(c.b), &part), c.order);
    EXPECT_EQ(part, c.part);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionText,
    ::testing::Values(VersionTextCase{"FourthPartIgnored", "1.0.0.1", "1.0.0.2", 0, 0},
                      VersionTextCase{"EachPartOnItsOwn", "10.2.3", "10.12.0", -1, 2},
                      VersionTextCase{"LastPartCounts", "1.00", "1.01", -1, 2},
                      VersionTextCase{"CommasAndBlanks", "2, 0, 1, 0", "2.0.1.0", 0, 0},
                      VersionTextCase{"FirstPartWins", "3.0", "2.9.9", 1, 1},
                      VersionTextCase{"SignedParts", "1.-1", "1.0", -1, 2},
                      VersionTextCase{"NoDigits", "abc", "0.0.0", 0, 0},
                      VersionTextCase{"LongPartCut", "1.00000000000000000000000000000000009", "1.0", 0, 0},
                      VersionTextCase{"HugePartHeld", "99999999999999", "2147483647", 0, 0}));

TEST(TemporaryName, StepsTheLastLetter) {
    EXPECT_EQ(MakeTemporaryName("C:\\X\\ZVXMON.DLL", false), "C:\\X\\ZVXMON.DLM");
    EXPECT_EQ(MakeTemporaryName("a.dlz", false), "a.dla");
    EXPECT_EQ(MakeTemporaryName("a.DLZ", false), "a.DLA");
    EXPECT_EQ(MakeTemporaryName("a.dl1", false), "a.dl1");
    EXPECT_EQ(MakeTemporaryName("a.dla", true), "a.dlz");
    EXPECT_EQ(MakeTemporaryName("", true), "");
    for (char c = 'a'; c <= 'z'; ++c) {
        std::string s = std::string("x.") + c;
        EXPECT_EQ(MakeTemporaryName(MakeTemporaryName(s, false), true), s);
        std::string u = std::string("x.") + static_cast<char>(c - 32);
        EXPECT_EQ(MakeTemporaryName(MakeTemporaryName(u, true), false), u);
    }
    EXPECT_EQ(GetExtensionOf("A.B.DLL"), ".DLL");
    EXPECT_EQ(GetExtensionOf("NODOT"), "");
}

#include "foundation/os_version.h"

TEST(UpdaterOsClass, MapsEveryVersion) {
    struct Row {
        unsigned long platform, major, minor;
        int cls;
    } rows[] = {{1, 4, 0, 0}, {1, 4, 90, 0}, {2, 3, 51, 1}, {2, 3, 50, -1}, {2, 4, 0, 2},
                {2, 5, 1, 3}, {2, 10, 0, 3}, {2, 2, 0, -1}, {0, 5, 0, -1}, {3, 10, 0, -1}};
    for (const Row& r : rows)
        EXPECT_EQ(vix::UpdaterOsClassOf(r.platform, r.major, r.minor), r.cls)
            << r.platform << " " << r.major << "." << r.minor;
}
