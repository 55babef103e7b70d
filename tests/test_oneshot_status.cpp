// PrGetPrinterStatus against the test bench: the core library is loaded as
// the printer driver loads it, and the bench library logs what it was asked.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "include/vixcore.h"
#include "support/bed_fixture.h"

using vixbed::FaultSpec;
using vixtest::BedPrinter;
using vixtest::CallLogWindow;

namespace {

class CoreLib {
public:
    CoreLib() : m_h(LoadLibraryA("vixcore.dll")) {
        if (m_h)
            m_fn = reinterpret_cast<PFN_PrGetPrinterStatus>(
                reinterpret_cast<void*>(GetProcAddress(m_h, "PrGetPrinterStatus")));
    }
    ~CoreLib() {
        if (m_h) FreeLibrary(m_h);
    }
    LONG Query(const char* printer, LPSTR* out) { return m_fn(printer, out); }
    bool Loaded() const { return m_fn != nullptr; }

private:
    HMODULE m_h;
    PFN_PrGetPrinterStatus m_fn = nullptr;
};

// The reply a query returned, freed as the driver frees it.
struct Reply {
    LPSTR p = nullptr;
    ~Reply() {
        if (p) {
            EXPECT_EQ(GlobalFree(p), nullptr);
        }
    }
};


bool AnyBenchLibraryLoaded() {
    return GetModuleHandleA("QKAPI.DLL") || GetModuleHandleA("QKAPI4.DLL") || GetModuleHandleA("QKNODEV.DLL");
}

class OneShotStatus : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(core.Loaded()); }

    // Every initialise released, every opened channel closed.
    void ExpectBalanced(const CallLogWindow& log) {
        int opened = 0, closed = 0, inits = 0, releases = 0;
        for (auto& r : log.Calls()) {
            if (r.op == "QKOpenChannel" && r.result > 0) ++opened;
            if (r.op == "QKCloseChannel" && r.result == 0) ++closed;
            if (r.op == "QKInitialize" && r.result >= 0) ++inits;
            if (r.op == "QKRelease") ++releases;
        }
        EXPECT_EQ(opened, closed);
        EXPECT_EQ(inits, releases);
        EXPECT_FALSE(AnyBenchLibraryLoaded()) << "the library must be unloaded before the call returns";
    }

    CoreLib core;
};

TEST_F(OneShotStatus, ReturnsTheReplyInABufferTheCallerOwns) {
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    CallLogWindow log;
    Reply reply;
    LONG rc = core.Query(p.Printer().c_str(), &reply.p);
    std::string expected = vixbed::BuildStatusReply(p.Emu().condition);
    ASSERT_EQ(rc, static_cast<LONG>(expected.size()));
    ASSERT_NE(reply.p, nullptr);
    EXPECT_EQ(std::string(reply.p, rc), expected);
    EXPECT_EQ(reply.p[rc], '\0');
    EXPECT_GE(GlobalSize(reply.p), static_cast<SIZE_T>(rc) + 1);
    std::vector<std::string> want = {"QKInitialize",          "QKGetDeviceID",  "QKGetDeviceID",
                                     "QKGetAvailableChannel", "QKGetAvailableChannel", "QKOpenChannel",
                                     "QKGetStatus",           "QKGetStatus",    "QKCloseChannel",
                                     "QKRelease"};
    EXPECT_EQ(log.Ops(), want);
    ExpectBalanced(log);
}

TEST_F(OneShotStatus, ArgumentChecksComeFirst) {
    LPSTR out = nullptr;
    EXPECT_EQ(core.Query("", nullptr), VIX_PGS_NO_PRINTER_NAME);  // -50 wins over a missing out
    EXPECT_EQ(core.Query(nullptr, &out), VIX_PGS_NO_PRINTER_NAME);
    EXPECT_EQ(core.Query("any printer", nullptr), VIX_PGS_NO_OUT_PARAM);
    EXPECT_EQ(out, nullptr);
}

TEST_F(OneShotStatus, UnknownPrinterIsAPrinterError) {
    CallLogWindow log;
    LPSTR out = nullptr;
    EXPECT_EQ(core.Query("VixBed no such printer", &out), VIX_PGS_PRINTER);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(log.Count("QKInitialize"), 0);
}

struct LibraryCase {
    friend void PrintTo(const LibraryCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* qkapi32;
    LONG expected;
    const char* loadedModule;  // the bench library that must not stay loaded
};

class LibraryChoice : public OneShotStatus, public ::testing::WithParamInterface<LibraryCase> {};

TEST_P(LibraryChoice, LoadsOrReports) {
    const LibraryCase& c = GetParam();
    BedPrinter p;
    p.Key().strings["QKAPI32"] = c.qkapi32;
    ASSERT_TRUE(p.Create());
    CallLogWindow log;
    Reply reply;
    LONG rc = core.Query(p.Printer().c_str(), &reply.p);
    if (c.expected > 0) {
        EXPECT_GT(rc, 0);
    } else {
        EXPECT_EQ(rc, c.expected);
    }
    EXPECT_EQ(GetModuleHandleA(c.loadedModule), nullptr);
    ExpectBalanced(log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LibraryChoice,
    ::testing::Values(LibraryCase{"EmptyNameMeansQkapiDll", "", 1, "QKAPI.DLL"},
                      LibraryCase{"MissingLibrary", "VIXBED_MISSING.DLL", VIX_PGS_LOAD_LIBRARY, "QKAPI.DLL"},
                      LibraryCase{"NoDeviceIdEntryPoint", "QKNODEV.DLL", VIX_PGS_ENTRY_POINT, "QKNODEV.DLL"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PathCase {
    friend void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* qkapi32;
    DWORD version;
    bool fromInstallDir;
};

class LibraryPath : public OneShotStatus, public ::testing::WithParamInterface<PathCase> {};

TEST_P(LibraryPath, FollowsVersionAndName) {
    const PathCase& c = GetParam();
    BedPrinter p;
    p.Key().strings["QKAPI32"] = c.qkapi32;
    p.Key().dwords["QKAPI_VERSION"] = c.version;
    ASSERT_TRUE(p.Create());
    CallLogWindow log;
    Reply reply;
    ASSERT_GT(core.Query(p.Printer().c_str(), &reply.p), 0);
    auto calls = log.Calls();
    ASSERT_FALSE(calls.empty());
    ASSERT_EQ(calls[0].op, "QKInitialize");
    std::string loadedFrom = calls[0].args;  // the library's own path
    std::string dir = p.InstallDir() + "\\";
    EXPECT_EQ(_strnicmp(loadedFrom.c_str(), dir.c_str(), dir.size()) == 0, c.fromInstallDir) << loadedFrom;
}

INSTANTIATE_TEST_SUITE_P(Cases, LibraryPath,
                         ::testing::Values(PathCase{"Version0Qkapi4LowerCase", "qkapi4.dll", 0, true},
                                           PathCase{"Version0QkapiDll", "QKAPI.DLL", 0, false},
                                           PathCase{"Version4", "QKAPI.DLL", 4, true},
                                           PathCase{"Version3", "QKAPI4.DLL", 3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ModelCase {
    friend void PrintTo(const ModelCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* deviceId;
    const char* modelId;
    LONG expected;  // 1: success
};

class ModelCheck : public OneShotStatus, public ::testing::WithParamInterface<ModelCase> {};

TEST_P(ModelCheck, ComparesExactly) {
    const ModelCase& c = GetParam();
    BedPrinter p;
    p.Emu().deviceId = c.deviceId;
    p.Key().strings["ModelID"] = c.modelId;
    ASSERT_TRUE(p.Create());
    CallLogWindow log;
    Reply reply;
    LONG rc = core.Query(p.Printer().c_str(), &reply.p);
    if (c.expected == 1) {
        EXPECT_GT(rc, 0);
    } else {
        EXPECT_EQ(rc, c.expected);
        EXPECT_EQ(reply.p, nullptr);
    }
    ExpectBalanced(log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModelCheck,
    ::testing::Values(ModelCase{"Same", "MFG:ZARVO;MDL:ZV-100;CLS:PRINTER;", "ZV-100", 1},
                      ModelCase{"OtherCase", "MFG:ZARVO;MDL:ZV-100;", "zv-100", VIX_PGS_OTHER_MODEL},
                      ModelCase{"OtherModel", "MFG:ZARVO;MDL:ZV-200;", "ZV-100", VIX_PGS_OTHER_MODEL},
                      ModelCase{"NoSemicolonEmptyModel", "MFG:ZARVO;MDL:ZV-100", "", 1},
                      ModelCase{"NoSemicolon", "MFG:ZARVO;MDL:ZV-100", "ZV-100", VIX_PGS_OTHER_MODEL},
                      ModelCase{"NoMdlField", "MFG:ZARVO;CLS:PRINTER;", "ZV-100", VIX_PGS_OTHER_MODEL}),
    [](const auto& info) { return std::string(info.param.name); });

struct ChannelCase {
    friend void PrintTo(const ChannelCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    std::vector<vixbed::ChannelDef> channels;
    LONG expected;  // >0: the channel number opened
};

class ChannelChoice : public OneShotStatus, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(ChannelChoice, PreferenceOrderDecides) {
    const ChannelCase& c = GetParam();
    BedPrinter p;
    p.Emu().channels = c.channels;
    ASSERT_TRUE(p.Create());
    CallLogWindow log;
    Reply reply;
    LONG rc = core.Query(p.Printer().c_str(), &reply.p);
    std::string opened;
    for (auto& r : log.Calls())
        if (r.op == "QKOpenChannel") opened = r.args;
    if (c.expected > 0) {
        EXPECT_GT(rc, 0);
        char want[32];
        std::snprintf(want, sizeof(want), "1 0x%08X", static_cast<unsigned>(c.expected));
        EXPECT_EQ(opened, want);
    } else {
        EXPECT_EQ(rc, c.expected);
        EXPECT_EQ(opened, "");
    }
    ExpectBalanced(log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChannelChoice,
    ::testing::Values(
        ChannelCase{"LocalBeforeNetworkWhateverTheOrder", {{0x10000005, 0x7}, {0x00000004, 0x4}}, 0x00000004},
        ChannelCase{"MatchWithoutStatusBitIsSkipped", {{0x00000004, 0x3}, {0x10000005, 0x7}}, 0x10000005},
        ChannelCase{"TaggedChannelLast", {{0x02000001, 0x4}, {0x10000003, 0x4}}, 0x10000003},
        ChannelCase{"NoneQualifies", {{0x00000004, 0x3}, {0x20000000, 0x4}}, VIX_PGS_NO_CHANNEL}),
    [](const auto& info) { return std::string(info.param.name); });

struct PassCase {
    friend void PrintTo(const PassCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* op;
    LONG code;
};

class LibraryFailure : public OneShotStatus, public ::testing::WithParamInterface<PassCase> {};

TEST_P(LibraryFailure, CodeIsPassedThroughAndEverythingReleased) {
    const PassCase& c = GetParam();
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    CallLogWindow log;
    Reply reply;
    LONG rc;
    if (std::string(c.op) == "QKInitialize") {
        vixtest::GlobalFault f(c.op, vixtest::FaultResult(c.code));
        rc = core.Query(p.Printer().c_str(), &reply.p);
        EXPECT_EQ(log.Count("QKRelease"), 0) << "no release without a successful initialise";
    } else {
        ASSERT_TRUE(p.Fault(c.op, vixtest::FaultResult(c.code)));
        rc = core.Query(p.Printer().c_str(), &reply.p);
        EXPECT_EQ(log.Count("QKRelease"), 1);
    }
    EXPECT_EQ(rc, c.code);
    EXPECT_EQ(reply.p, nullptr);
    ExpectBalanced(log);
}

INSTANTIATE_TEST_SUITE_P(Cases, LibraryFailure,
                         ::testing::Values(PassCase{"Initialize", "QKInitialize", -30},
                                           PassCase{"DeviceId", "QKGetDeviceID", -31},
                                           PassCase{"ChannelList", "QKGetAvailableChannel", -32},
                                           PassCase{"OpenChannel", "QKOpenChannel", -33},
                                           PassCase{"StatusProbe", "QKGetStatus", -34},
                                           PassCase{"Busy", "QKGetStatus", -17},
                                           PassCase{"NothingYet", "QKGetStatus", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OneShotStatus, DeviceIdAnswerWithoutDataPassesTheCheck) {
    BedPrinter p;
    FaultSpec f;
    f.hasProbeResult = true;
    f.probeResult = 0;
    ASSERT_TRUE(p.Create());
    ASSERT_TRUE(p.Fault("QKGetDeviceID", f));
    Reply reply;
    EXPECT_GT(core.Query(p.Printer().c_str(), &reply.p), 0);
}

TEST_F(OneShotStatus, FailedSecondStatusReadHandsOverTheBuffer) {
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    FaultSpec f;
    f.hasDataResult = true;
    f.dataResult = -35;
    ASSERT_TRUE(p.Fault("QKGetStatus", f));
    CallLogWindow log;
    Reply reply;
    EXPECT_EQ(core.Query(p.Printer().c_str(), &reply.p), -35);
    EXPECT_NE(reply.p, nullptr) << "the allocated buffer is the caller's";
    ExpectBalanced(log);
}

// Bad answers of the library: sizes and lengths that do not fit the data.
struct BadAnswer {
    friend void PrintTo(const BadAnswer& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* op;
    FaultSpec fault;
    std::string raw;   // raw reply bytes, or empty for the built reply
    LONG expected;     // exact result, or 1 for "a positive length"
    std::string text;  // the reply text expected on success (empty: the built one)
};



class BadAnswers : public OneShotStatus, public ::testing::WithParamInterface<BadAnswer> {};

TEST_P(BadAnswers, NeverReadsPastTheBuffer) {
    const BadAnswer& c = GetParam();
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    if (!c.raw.empty()) {
        ASSERT_TRUE(vixbed::SetRawReply(p.Printer(), c.raw));
    }
    ASSERT_TRUE(p.Fault(c.op, c.fault));
    CallLogWindow log;
    Reply reply;
    LONG rc = core.Query(p.Printer().c_str(), &reply.p);
    if (c.expected == 1) {
        ASSERT_GT(rc, 0);
        ASSERT_NE(reply.p, nullptr);
        ASSERT_GE(GlobalSize(reply.p), static_cast<SIZE_T>(rc) + 1);
        EXPECT_EQ(reply.p[rc], '\0');
        std::string want = !c.text.empty() ? c.text : (!c.raw.empty() ? c.raw : vixbed::BuildStatusReply(p.Emu().condition));
        EXPECT_EQ(std::string(reply.p, rc), want);
    } else {
        EXPECT_EQ(rc, c.expected);
    }
    ExpectBalanced(log);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadAnswers,
    ::testing::Values(
        BadAnswer{"StatusSizeZero", "QKGetStatus", vixtest::FaultProbe(-4, 0), "", -4, ""},
        BadAnswer{"StatusSizeNegative", "QKGetStatus", vixtest::FaultProbe(-4, -20), "", -4, ""},
        BadAnswer{"StatusSizeHuge", "QKGetStatus", vixtest::FaultProbe(-4, 0x7FFFFFFF), "", VIX_PGS_NO_MEMORY, ""},
        BadAnswer{"StatusSizeFarLarger", "QKGetStatus", vixtest::FaultProbe(-4, 4096), "", 1, ""},
        BadAnswer{"StatusSizeBelowDataAnswersMoreDataAgain", "QKGetStatus", vixtest::FaultProbe(-4, 5), "", -4, ""},
        BadAnswer{"PositiveProbeSetsTheSize", "QKGetStatus", vixtest::FaultProbe(40, 40), "", 1, ""},
        BadAnswer{"LengthBeyondTheBuffer", "QKGetStatus", vixtest::FaultData(100000), "", 1, ""},
        BadAnswer{"ReplyWithoutTerminator", "QKGetStatus", FaultSpec(), "@BDC ST\r\nST:04;", 1, ""},
        BadAnswer{"EmbeddedZero", "QKGetStatus", FaultSpec(), std::string("@BDC ST\r\nST:04;\0ER:06;\x0C", 24), 1, ""},
        BadAnswer{"DeviceIdSizeZero", "QKGetDeviceID", vixtest::FaultProbe(-4, 0), "", -4, ""},
        BadAnswer{"DeviceIdSizeHuge", "QKGetDeviceID", vixtest::FaultProbe(-4, 0x7FFFFFF0), "", VIX_PGS_NO_MEMORY, ""},
        BadAnswer{"ChannelListSizeNegative", "QKGetAvailableChannel", vixtest::FaultProbe(-4, -1), "", -4, ""},
        BadAnswer{"ChannelCountBeyondTheList", "QKGetAvailableChannel", vixtest::FaultData(5000), "", 1, ""},
        BadAnswer{"ChannelListSizeNotWholeEntries", "QKGetAvailableChannel", vixtest::FaultProbe(-4, 11), "", -4, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OneShotStatus, LengthBeyondTheBufferIsCutToWhatWasDelivered) {
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    FaultSpec f = vixtest::FaultProbe(-4, 12);  // the library promises 12 bytes ...
    f.hasDataResult = true;       // ... and then claims 500 were delivered
    f.dataResult = 500;
    ASSERT_TRUE(p.Fault("QKGetStatus", f));
    Reply reply;
    LONG rc = core.Query(p.Printer().c_str(), &reply.p);
    ASSERT_EQ(rc, 12);
    EXPECT_EQ(std::string(reply.p, rc), vixbed::BuildStatusReply(p.Emu().condition).substr(0, 12));
    EXPECT_EQ(reply.p[12], '\0');
}

TEST_F(OneShotStatus, ChangedConditionShowsInTheNextReply) {
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    Reply first, second;
    ASSERT_GT(core.Query(p.Printer().c_str(), &first.p), 0);
    vixbed::PrinterCondition c = p.Emu().condition;
    ASSERT_TRUE(vixbed::ApplyPreset("paperout", c));
    ASSERT_TRUE(p.SetCondition(c));
    ASSERT_GT(core.Query(p.Printer().c_str(), &second.p), 0);
    EXPECT_NE(std::string(first.p).find("ST:04;"), std::string::npos);
    EXPECT_NE(std::string(second.p).find("ST:00;ER:06;"), std::string::npos);
}

}  // namespace
