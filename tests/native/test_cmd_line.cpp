// The command-line scanner, the parameter-file text and the command-line
// builders, natively under the sanitizers.
#include <gtest/gtest.h>

#include <string>

#include "foundation/param_file.h"
#include "foundation/text.h"

using vix::cmdInfo;
namespace cmdline = vix::cmdline;

namespace {

struct LineCase {
    const char* name;
    std::string line;
    std::string printer, port, model;
    int remove, from;
    friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }
};

class CommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLine, Switches) {
    const LineCase& c = GetParam();
    cmdInfo ci;
    ci.ParseSwitches(c.line);
    EXPECT_EQ(ci.m_szPrinterName, c.printer);
    EXPECT_EQ(ci.m_szPortName, c.port);
    EXPECT_EQ(ci.m_szModelID, c.model);
    EXPECT_EQ(ci.m_fRemove, c.remove);
    EXPECT_EQ(ci.m_bFrom, c.from);
}

const std::string k259(259, 'n');
const std::string k260(260, 'n');

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(
        LineCase{"LengthTakesQuotesAndSlashes", "/P5 \"a\"/Mb\" /M \"X\"", "a\"/Mb", "", "X", 0, 0},
        LineCase{"LengthRightAfterTheName", "/P5\"ab cd\"/O3\"a/b\"", "ab cd", "a/b", "", 0, 0},
        LineCase{"QuotedSlashStartsNoSwitch", "/P \"Net/Printer /R\" /M \"ZV-1\"", "Net/Printer /R", "", "ZV-1", 0, 0},
        LineCase{"RemoveAtTheEnd", "/P \"x\" /R", "x", "", "", 1, 0},
        LineCase{"RemoveAlone", "/R", "", "", "", 1, 0},
        LineCase{"NamesIgnoreCase", "/p \"a\" /o \"b\" /m \"c\" /r /ef \"HKCU\"", "a", "b", "c", 1, 1},
        LineCase{"FromOnlyWithHKCU", "/EF \"HKLM\" /P \"a\"", "a", "", "", 0, 0},
        LineCase{"FromIsExact", "/EF \"hkcu\"", "", "", "", 0, 0},
        LineCase{"SwitchBeforeSwitchIsEmpty", "/P /M \"m\"", "", "", "m", 0, 0},
        LineCase{"UnknownIgnored", "/X \"1\" /PP \"2\" /M \"m\"", "", "", "m", 0, 0},
        LineCase{"LaterValueWins", "/P \"a\" /P \"b\"", "b", "", "", 0, 0},
        LineCase{"LengthPastTheLineEndsTheScan", "/M \"m\" /P50 \"short\" /R", "", "", "m", 0, 0},
        LineCase{"HugeLength", "/P99999999999999999999999999 \"x\" /R", "", "", "", 0, 0},
        LineCase{"UnterminatedQuote", "/M \"m\" /P \"abc /R", "", "", "m", 0, 0},
        LineCase{"LengthZero", "/P0 \"\" /O \"o\"", "", "o", "", 0, 0},
        LineCase{"LineFeedEndsTheLengthScan", "/P5\n\"abcde\" /O \"o\"", "", "o", "", 0, 0},
        LineCase{"BlanksBeforeTheLength", "/P 3 \"abc\"", "abc", "", "", 0, 0},
        LineCase{"QuotedProgramPath", "\"C:\\Program Files\\a/b.exe\" /P \"p\"", "p", "", "", 0, 0},
        LineCase{"ZeroByteEndsAValue", std::string("/P5 \"ab\0cd\" /M \"m\"", 19), "ab", "", "m", 0, 0},
        LineCase{"Value259Kept", "/P \"" + k259 + "\" /R", k259, "", "", 1, 0},
        LineCase{"Value260Refused", "/P \"" + k260 + "\" /O \"o\"", "", "o", "", 0, 0},
        LineCase{"Length260Refused", "/P260 \"" + k260 + "\" /O3 \"abc\"", "", "abc", "", 0, 0},
        LineCase{"LongLine", "/J \"" + std::string(1400, 'j') + "\" /P \"" + k259 + "\" /R", k259, "", "", 1, 0}),
    [](const ::testing::TestParamInfo<LineCase>& i) { return std::string(i.param.name); });

TEST(CommandLine, FileSwitchesAndRawLine) {
    cmdInfo ci;
    ci.ParseSwitches("/F \"Z_S1.tmp\" /EF \"HKCU\"");
    EXPECT_STREQ(ci.m_szReadFile, "Z_S1.tmp");
    EXPECT_EQ(ci.m_bKeepFile, 0);
    EXPECT_STREQ(ci.m_szCmdLine, "/F \"Z_S1.tmp\" /EF \"HKCU\"");
    cmdInfo ca;
    std::string longLine = "/A \"C:\\t\\Z_S2.tmp\" /J \"" + std::string(400, 'j') + "\"";
    ca.ParseSwitches(longLine);
    EXPECT_STREQ(ca.m_szReadFile, "C:\\t\\Z_S2.tmp");
    EXPECT_STREQ(ca.m_szParamFile, "C:\\t\\Z_S2.tmp");
    EXPECT_EQ(ca.m_bKeepFile, 1);
    EXPECT_EQ(std::string(ca.m_szCmdLine), longLine.substr(0, 259));  // the remembered line is cut
}

TEST(ParamText, LinesOverrideAndFlagsTakeAnyValue) {
    cmdInfo ci;
    ci.ParseSwitches("/P \"cmd\" /M \"m0\"");
    ci.ReadParamText(
        "/P \"He said \"hi\" /R\"\r\n"  // first to last quote, taken literally
        "/M \"ZV-100\"\n"
        "junk without a slash\n"
        "/S whatever\n"
        "/E\n"
        "/ZVM \"z\"\n"
        "/O \"unterminated\n"
        "/D no quote\n"
        "/F \"other.tmp\"\n"  // a parameter file does not name another one
        "/A \"kept.tmp\"\n"
        "/I");
    EXPECT_STREQ(ci.m_szPrinterName, "He said \"hi\" /R");
    EXPECT_STREQ(ci.m_szModelID, "ZV-100");
    EXPECT_EQ(ci.m_fS, 1);
    EXPECT_EQ(ci.m_fE, 1);
    EXPECT_EQ(ci.m_fRemove, 0);
    EXPECT_EQ(ci.m_fIconInstall, 1);
    EXPECT_STREQ(ci.m_szZVM, "z");
    EXPECT_STREQ(ci.m_szPortName, "");
    EXPECT_STREQ(ci.m_szDriverName, "/D no quote");  // no quote: the whole line
    EXPECT_STREQ(ci.m_szReadFile, "");
    EXPECT_EQ(ci.m_bKeepFile, 0);
}

TEST(ParamText, OverlongLinesAreCutNotSplit) {
    cmdInfo ci;
    // The "/R" lies past 1300 characters of its line: it is dropped with
    // the rest of that line, it does not become a line of its own.
    ci.ReadParamText("/J \"" + std::string(1400, 'j') + " /R\"\n/M \"m\"\n");
    EXPECT_EQ(ci.m_fRemove, 0);
    EXPECT_STREQ(ci.m_szJob, "");  // no closing quote within 1300 characters
    EXPECT_STREQ(ci.m_szModelID, "m");
    cmdInfo cz;
    cz.ReadParamText(std::string("/P \"a\0b\"\n/R", 11));
    EXPECT_STREQ(cz.m_szPrinterName, "a");
    EXPECT_EQ(cz.m_fRemove, 1);
}

TEST(ParamText, BEClearedUnlessAllFourTexts) {
    cmdInfo ci;
    ci.ReadParamText("/BE\n/BH \"h\"\n/BU \"u\"\n/BD \"d\"\n");
    EXPECT_EQ(ci.m_fBE, 1);
    ci.CheckBE();
    EXPECT_EQ(ci.m_fBE, 0);
    cmdInfo all;
    all.ReadParamText("/BE\n/BH \"h\"\n/BU \"u\"\n/BD \"d\"\n/BI \"i\"\n");
    all.CheckBE();
    EXPECT_EQ(all.m_fBE, 1);
}

cmdInfo Full() {
    cmdInfo ci;
    ci.ReadParamText(
        "/I\n/ZVM \"z\"\n/BN \"n\"\n/BI \"i\"\n/BD \"d\"\n/BU \"u\"\n/BH \"h\"\n/BE\n/C\n/U\n/E\n/R\n/S\n"
        "/J \"j\"\n/M \"m\"\n/O \"o\"\n/D \"d\"\n/P \"p\"\n");
    return ci;
}

TEST(ParamText, EighteenLinesInTheirOrder) {
    EXPECT_EQ(Full().FormatParamFile(),
              "/P \"p\"\n/D \"d\"\n/O \"o\"\n/M \"m\"\n/J \"j\"\n/S\n/R\n/E\n/U\n/C\n/BE\n"
              "/BH \"h\"\n/BU \"u\"\n/BD \"d\"\n/BI \"i\"\n/BN \"n\"\n/ZVM \"z\"\n/I\n");
    cmdInfo few;
    few.ParseSwitches("/P \"a b\" /R /EF \"HKCU\"");
    EXPECT_EQ(few.FormatParamFile(), "/P \"a b\"\n/R\n");  // "EF" stays on the command line
}

TEST(ParamText, WrittenFieldsReadBack) {
    cmdInfo a = Full();
    vix::CopyText(a.m_szPrinterName, "Q\"uote /R %s \"", vix::TextFit::Fail);
    cmdInfo b;
    b.ReadParamText(a.FormatParamFile());
    EXPECT_EQ(b.FormatParamFile(), a.FormatParamFile());
    EXPECT_STREQ(b.m_szPrinterName, a.m_szPrinterName);
    EXPECT_TRUE(a.ParamFileSafe());
    vix::CopyText(a.m_szBN, "two\nlines", vix::TextFit::Fail);
    EXPECT_FALSE(a.ParamFileSafe());
}

// Names a command line must carry intact.
struct NameCase {
    const char* name;
    std::string printer, port, model;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

class RoundTrip : public ::testing::TestWithParam<NameCase> {};

TEST_P(RoundTrip, TrayToLauncherLong) {
    const NameCase& c = GetParam();
    for (bool prefs : {false, true}) {
        cmdInfo ci;
        ci.ParseSwitches(cmdline::TrayToLauncherLong("C:\\Program Files\\ZV\\VIXRUN2.EXE", c.printer, c.port,
                                                     c.model, prefs));
        EXPECT_EQ(ci.m_szPrinterName, c.printer);
        EXPECT_EQ(ci.m_szPortName, c.port);
        EXPECT_EQ(ci.m_szModelID, c.model);
        EXPECT_EQ(ci.m_fE, prefs ? 1 : 0);
    }
}

TEST_P(RoundTrip, CoreToTrayLongAndRunEntry) {
    const NameCase& c = GetParam();
    for (bool remove : {false, true}) {
        cmdInfo ci;
        ci.ParseSwitches(cmdline::CoreToTrayLong("C:\\ZV\\VIXICN2.EXE", c.printer, c.port, "ZV-100", remove));
        EXPECT_EQ(ci.m_szPrinterName, c.printer);
        EXPECT_EQ(ci.m_szPortName, c.port);
        EXPECT_STREQ(ci.m_szModelID, "ZV-100");
        EXPECT_EQ(ci.m_fRemove, remove ? 1 : 0);
        EXPECT_EQ(ci.m_bFrom, 1);
    }
    cmdInfo run;
    run.ParseSwitches(cmdline::CoreRunEntry("C:\\ZV\\VIXICN2.EXE", c.printer, "ZV-100"));
    EXPECT_EQ(run.m_szPrinterName, c.printer);
    EXPECT_STREQ(run.m_szModelID, "ZV-100");
    EXPECT_EQ(run.m_bFrom, 1);
    EXPECT_EQ(run.m_fRemove, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Names, RoundTrip,
    ::testing::Values(NameCase{"Blanks", "My ZV Printer", "USB001", "ZV 100"},
                      NameCase{"Quotes", "ZV \"Office\" 2", "\"", "\"q\" /R"},
                      NameCase{"Slashes", "\\\\server\\ZV/1 /R /EF \"x\"", "IP_10.0.0.1/2", "a/b"},
                      NameCase{"Percent", "ZV %s %d %%", "%1", "%n"},
                      NameCase{"Empty", "", "", ""},
                      NameCase{"Longest", std::string(259, '"'), std::string(259, '/'), std::string(259, ' ')}),
    [](const ::testing::TestParamInfo<NameCase>& i) { return std::string(i.param.name); });

TEST(CommandLines, Forms) {
    EXPECT_EQ(cmdline::CoreToTrayWithFile("C:\\ZV\\VIXICN2.EXE", "Z_S1A.tmp"),
              "C:\\ZV\\VIXICN2.EXE /F \"Z_S1A.tmp\" /EF \"HKCU\"");
    EXPECT_EQ(cmdline::CoreToTrayLong("C:\\ZV\\VIXICN2.EXE", "P 1", "USB001", "M", true),
              "C:\\ZV\\VIXICN2.EXE /P3 \"P 1\" /O6 \"USB001\" /M \"M\" /EF \"HKCU\"  /R");
    EXPECT_EQ(cmdline::CoreToTrayLong("C:\\ZV\\VIXICN2.EXE", "P", "", "M", false),
              "C:\\ZV\\VIXICN2.EXE /P1 \"P\" /O0 \"\" /M \"M\" /EF \"HKCU\" ");
    EXPECT_EQ(cmdline::CoreRunEntry("C:\\Program Files\\ZV\\VIXICN2.EXE", "P", "M"),
              "\"C:\\Program Files\\ZV\\VIXICN2.EXE\" /P1 \"P\" /M \"M\" /EF \"HKCU\"");
    EXPECT_EQ(cmdline::TrayToLauncherWithFile("C:\\ZV\\VIXRUN2.EXE", "Z_S2.tmp"), "C:\\ZV\\VIXRUN2.EXE /F \"Z_S2.tmp\"");
    EXPECT_EQ(cmdline::TrayToLauncherLong("C:\\ZV\\VIXRUN2.EXE", "P", "O", "MM", true),
              "C:\\ZV\\VIXRUN2.EXE /P1 \"P\" /O1 \"O\" /M2 \"MM\" /E");
    EXPECT_EQ(cmdline::TrayToExtra("C:\\ZV\\tool.exe -x", "P", "M", "D", "O"),
              "C:\\ZV\\tool.exe -x /P \"P\" /M \"M\" /D \"D\" /O \"O\"");
}

}  // namespace
