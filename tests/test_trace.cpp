// The two trace flavours: the core library's (scopes, prefixes, dumps) and
// the tray agent's flat lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "foundation/trace.h"
#include "foundation/tray_trace.h"
#include "include/vixcore.h"
#include "support/bed_fixture.h"

using vix::CTraceLog;
using vix::CTrayTrace;
using vix::TraceScope;
using vix::TrayTraceStyle;
using vixtest::ReadFileText;

namespace {

std::string TempPath(const char* stem) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + vixtest::UniqueName(stem) + ".log";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : text) {
        if (c == '\r') continue;
        cur += c;
        if (c == '\n') {
            out.push_back(cur);
            cur.clear();
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

// The message of an entry: what follows "PPPPPPPP:TTTTTTTT:0123456789: ".
std::string Message(const std::string& line) {
    static const std::regex prefix("^[0-9A-F]{8}:[0-9A-F]{8}:[0-9]{10}: ");
    std::smatch m;
    if (!std::regex_search(line, m, prefix)) return "<no prefix>" + line;
    return m.suffix();
}

class CoreTrace : public ::testing::Test {
protected:
    CoreTrace() : path(TempPath("vixtrace")), log(path.c_str()) {}
    ~CoreTrace() override { DeleteFileA(path.c_str()); }
    std::string path;
    CTraceLog log;
};

TEST_F(CoreTrace, OffWritesNothingAndCreatesNoFile) {
    {
        TraceScope ts(log, "Off::Scope");
        EXPECT_EQ(vix::TraceWrite(ts, "value %d\n", 5), 0);
        const unsigned char bytes[] = {1, 2, 3};
        EXPECT_EQ(vix::TraceDump(ts, bytes, 3, 1, "send cmmand data:"), 0);
    }
    EXPECT_FALSE(vixtest::FileExists(path));
}

TEST_F(CoreTrace, EntryPrefixCarriesProcessThreadAndTick) {
    log.SetEnabled(true);
    TraceScope ts(log, nullptr);
    vix::TraceWrite(ts, "Status : %s\n", "ok");
    auto lines = Lines(ReadFileText(path));
    ASSERT_EQ(lines.size(), 3u);  // "\n", "---\n" and the entry
    char want[32];
    std::snprintf(want, sizeof(want), "%08X:%08X:", static_cast<unsigned>(GetCurrentProcessId()),
                  static_cast<unsigned>(GetCurrentThreadId()));
    EXPECT_EQ(lines[2].substr(0, 18), want);
    EXPECT_TRUE(std::regex_match(lines[2], std::regex("^[0-9A-F]{8}:[0-9A-F]{8}:[0-9]{10}:   Status : ok\n$")))
        << lines[2];
}

TEST_F(CoreTrace, ScopesWriteTheirHeaderAndIndentUntilLeft) {
    log.SetEnabled(true);
    {
        TraceScope outer(log, "Outer::Op");
        vix::TraceWrite(outer, "in outer\n");
        {
            TraceScope inner(log, "Inner::Op");
            vix::TraceWrite(inner, "in inner\n");
        }
        vix::TraceWrite(outer, "back\n");
    }
    TraceScope after(log, nullptr, 7);  // an index of 3 or more uses counter 0
    vix::TraceWrite(after, "after\n");
    std::vector<std::string> msgs;
    for (auto& l : Lines(ReadFileText(path))) msgs.push_back(Message(l));
    std::vector<std::string> want = {"\n",           "---\n",         "Outer::Op\n", "  in outer\n",
                                     "  \n",         "  ---\n",       "  Inner::Op\n", "    in inner\n",
                                     "  back\n",     "\n",            "---\n",       "  after\n"};
    EXPECT_EQ(msgs, want);
}

TEST_F(CoreTrace, DumpWritesOneHexLine) {
    log.SetEnabled(true);
    TraceScope ts(log, nullptr);
    const unsigned char bytes[] = {0x1B, 0x40, 0x0A};
    EXPECT_EQ(vix::TraceDump(ts, bytes, 3, 1, "send cmmand data:"), 1);
    EXPECT_EQ(vix::TraceDump(ts, bytes, 0, 1, "send cmmand data:"), 0);
    EXPECT_EQ(vix::TraceDump(ts, bytes, -2, 1, "send cmmand data:"), 0);
    EXPECT_EQ(vix::TraceDump(ts, bytes, 3, 1, ""), 0);
    EXPECT_EQ(vix::TraceDump(ts, nullptr, 3, 1, "x"), 0);
    auto lines = Lines(ReadFileText(path));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(Message(lines[2]), "  send cmmand data:1B 40 0A\n");
}

TEST_F(CoreTrace, OtherDumpModesAppendRawBytesBesideTheLog) {
    log.SetEnabled(true);
    TraceScope ts(log, nullptr);
    std::string label = vixtest::UniqueName("vixdump");
    std::string dir = path.substr(0, path.find_last_of('\\') + 1);
    std::string bin = dir + label + ".bin";
    const unsigned char bytes[] = {0x00, 0xFF, 0x41};
    EXPECT_EQ(vix::TraceDump(ts, bytes, 3, 2, label.c_str()), 1);
    EXPECT_EQ(vix::TraceDump(ts, bytes, 3, 2, label.c_str()), 1);
    EXPECT_EQ(ReadFileText(bin), std::string("\x00\xFF\x41\x00\xFF\x41", 6));
    DeleteFileA(bin.c_str());
}

TEST(CoreLibraryTrace, SwitchIsReadWhenTheLibraryLoads) {
    const char* file = "C:\\VIX3.LOG";
    DeleteFileA(file);
    {
        vixtest::ScopedRegDword on(HKEY_LOCAL_MACHINE, "Software\\Zarvo\\VIX3", "log", 1);
        HMODULE h = LoadLibraryA("vixcore.dll");
        ASSERT_NE(h, nullptr);
        auto fn = reinterpret_cast<PFN_PrGetPrinterStatus>(
            reinterpret_cast<void*>(GetProcAddress(h, "PrGetPrinterStatus")));
        ASSERT_NE(fn, nullptr);
        EXPECT_EQ(fn("", nullptr), -50);
        FreeLibrary(h);
    }
    std::string text = ReadFileText(file);
    EXPECT_NE(text.find("PrGetPrinterStatus : Start"), std::string::npos) << text;
    DeleteFileA(file);
    // Switched off again: a new load writes nothing.
    HMODULE h = LoadLibraryA("vixcore.dll");
    ASSERT_NE(h, nullptr);
    auto fn = reinterpret_cast<PFN_PrGetPrinterStatus>(
        reinterpret_cast<void*>(GetProcAddress(h, "PrGetPrinterStatus")));
    fn("", nullptr);
    FreeLibrary(h);
    EXPECT_FALSE(vixtest::FileExists(file));
}

struct TrayCase {
    friend void PrintTo(const TrayCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    TrayTraceStyle style;
    std::string msgRe, strRe, numRe;
};

class TrayTrace : public ::testing::TestWithParam<TrayCase> {
protected:
    TrayTrace() : path(TempPath("vixtray")) {}
    ~TrayTrace() override { DeleteFileA(path.c_str()); }
    std::string path;
};

TEST_P(TrayTrace, LineFormats) {
    const TrayCase& c = GetParam();
    CTrayTrace t(c.style);
    ASSERT_EQ(t.InitEnabled(path.c_str()), 1);
    EXPECT_EQ(t.Msg("***** LOG START ******"), 1);
    EXPECT_EQ(t.MsgStr("szCmdLine", "/P \"x\""), 1);
    EXPECT_EQ(t.MsgNum("result", -1), 1);
    EXPECT_EQ(t.Msg(nullptr), 0);
    EXPECT_EQ(t.MsgStr("label", nullptr), 0);
    auto lines = Lines(ReadFileText(path));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(c.msgRe + "\\*\\*\\*\\*\\* LOG START \\*\\*\\*\\*\\*\\*\n")))
        << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(c.strRe + "szCmdLine : /P \"x\"\n"))) << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(c.numRe + "result : -1\n"))) << lines[2];
}

// The tick is right-aligned in ten columns.
INSTANTIATE_TEST_SUITE_P(Styles, TrayTrace,
                         ::testing::Values(TrayCase{"vixtray", TrayTraceStyle::Tick, "^ *[0-9]+ : ", "^ *[0-9]+ : ",
                                                    "^[ 0-9]{10} : "},
                                           TrayCase{"vixtray4", TrayTraceStyle::PidTick, "^[0-9A-F]{8}: *[0-9]+: ",
                                                    "^[0-9A-F]{8}: *[0-9]+: ", "^[0-9A-F]{8}:[ 0-9]{10}: "}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TrayTraceSwitch, FollowsTheDebugValue) {
    std::string path = TempPath("vixtrayswitch");
    std::string value = vixtest::UniqueName("Z_SIC_TEST");
    CTrayTrace t(TrayTraceStyle::Tick);
    EXPECT_EQ(t.Init(path.c_str(), value.c_str()), 0) << "a missing value is off";
    EXPECT_EQ(t.Msg("x"), 0);
    {
        vixtest::ScopedRegDword off(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZARVO\\VIX3\\Debug", value.c_str(), 0);
        EXPECT_EQ(t.Init(path.c_str(), value.c_str()), 0) << "0 is off";
    }
    {
        vixtest::ScopedRegDword on(HKEY_LOCAL_MACHINE, "SOFTWARE\\ZARVO\\VIX3\\Debug", value.c_str(), 1);
        EXPECT_EQ(t.Init("", value.c_str()), 0) << "an empty path is off";
        EXPECT_EQ(t.Init(path.c_str(), value.c_str()), 1);
        EXPECT_EQ(t.Msg("x"), 1);
    }
    EXPECT_TRUE(vixtest::FileExists(path));
    DeleteFileA(path.c_str());
    CTrayTrace off(TrayTraceStyle::Tick);
    EXPECT_EQ(off.Init(path.c_str(), value.c_str()), 0);
    EXPECT_EQ(off.Msg("x"), 0);
    EXPECT_FALSE(vixtest::FileExists(path));
}

}  // namespace
