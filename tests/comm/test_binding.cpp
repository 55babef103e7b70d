// The library binding and channels against the test bench: one binding per
// process, links that keep it alive, channel choice by number and mode.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <ostream>
#include <thread>
#include <vector>

#include "comm/qkapi_channel.h"
#include "support/bed_fixture.h"

using vix::CQkApiBase;
using vix::CQkApiChannel;
using vix::CQkApiLink;
using vixbed::FaultSpec;
using vixtest::BedPrinter;
using vixtest::CallLogWindow;

namespace {

bool BenchLibraryLoaded() { return GetModuleHandleA("QKAPI.DLL") || GetModuleHandleA("QKAPI4.DLL"); }

class Binding : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(printer.Create());
        CQkApiBase::Instance().SetDriverName(printer.Driver().c_str());
    }
    void TearDown() override {
        CQkApiBase::Instance().Shutdown();
        EXPECT_FALSE(BenchLibraryLoaded());
    }
    BedPrinter printer;
};

TEST_F(Binding, LastLinkUnloadsAndTheNextLoadsAgain) {
    CallLogWindow log;
    {
        CQkApiLink a;
        EXPECT_EQ(a.IsEnabled(), 1);
        {
            CQkApiLink b;
            EXPECT_EQ(CQkApiBase::Instance().RefCount(), 2);
        }
        EXPECT_TRUE(BenchLibraryLoaded()) << "a link still holds the binding";
    }
    EXPECT_FALSE(BenchLibraryLoaded());
    EXPECT_EQ(log.Count("QKInitialize"), 1);
    EXPECT_EQ(log.Count("QKRelease"), 1);
    {
        CQkApiLink c;
        EXPECT_EQ(c.IsEnabled(), 1);
        EXPECT_TRUE(BenchLibraryLoaded());
    }
    EXPECT_EQ(log.Count("QKInitialize"), 2);
    EXPECT_EQ(log.Count("QKRelease"), 2);
}

TEST_F(Binding, MonitoringPinKeepsTheLibraryUntilRemoved) {
    CQkApiBase& base = CQkApiBase::Instance();
    {
        CQkApiLink link;
        ASSERT_EQ(link.IsEnabled(), 1);
        base.AddMonitoringPin();
    }
    EXPECT_TRUE(BenchLibraryLoaded());
    base.RemoveMonitoringPin();
    EXPECT_FALSE(BenchLibraryLoaded());
    base.RemoveMonitoringPin();  // never below 0
    EXPECT_EQ(base.MonitoringPins(), 0);
    EXPECT_EQ(base.RefCount(), 0);
}

struct FileCase {
    const char* name;
    const char* qkapi32;  // "{dir}" stands for the driver's install directory
    const char* loaded;   // module expected to be loaded
    bool enabled;
    friend void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }
};

class LibraryFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(LibraryFile, LoadsTheNamedFile) {
    const FileCase& c = GetParam();
    BedPrinter p;
    std::string value = c.qkapi32;
    std::size_t at = value.find("{dir}");
    if (at != std::string::npos) value.replace(at, 5, p.InstallDir());
    p.Key().strings["QKAPI32"] = value;
    ASSERT_TRUE(p.Create());
    CQkApiBase::Instance().SetDriverName(p.Driver().c_str());
    CallLogWindow log;
    {
        CQkApiLink link;
        EXPECT_EQ(link.IsEnabled(), c.enabled ? 1 : 0);
        EXPECT_NE(GetModuleHandleA(c.loaded), nullptr);
        auto calls = log.Calls();
        if (c.enabled) {
            ASSERT_FALSE(calls.empty());
            EXPECT_EQ(calls[0].op, "QKInitialize");
            if (at != std::string::npos) {
                EXPECT_EQ(calls[0].args, value);
            }
        } else {
            EXPECT_TRUE(calls.empty()) << "an incomplete library is never initialised";
        }
    }
    CQkApiBase::Instance().Shutdown();
    EXPECT_EQ(GetModuleHandleA(c.loaded), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, LibraryFile,
                         ::testing::Values(FileCase{"FullPath", "{dir}\\QKAPI4.DLL", "QKAPI4.DLL", true},
                                           FileCase{"EmptyMeansQkapiDll", "", "QKAPI.DLL", true},
                                           FileCase{"MissingFileFallsBack", "VIXBED_NONE.DLL", "QKAPI.DLL", true},
                                           FileCase{"MissingEntryPoint", "QKNODEV.DLL", "QKNODEV.DLL", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, FailedInitialiseStaysLoadedAndIsRetried) {
    CallLogWindow log;
    {
        FaultSpec f;
        f.hasResult = true;
        f.result = -30;
        f.times = 1;
        vixtest::GlobalFault fault("QKInitialize", f);
        CQkApiLink first;
        EXPECT_EQ(first.IsEnabled(), 0);
        EXPECT_TRUE(BenchLibraryLoaded());
        CQkApiLink second;  // the stored result is negative: initialise again
        EXPECT_EQ(second.IsEnabled(), 1);
    }
    EXPECT_EQ(log.Count("QKInitialize"), 2);
}

std::vector<vixbed::ChannelDef> kTwoEntries = {{0x10000005, 0x0004}, {0x10000005, 0x0007}, {0x00000004, 0x0004}};

TEST_F(Binding, FirstEntryWithTheNumberDecides) {
    vixbed::SetChannels(printer.Printer(), kTwoEntries);
    CQkApiChannel ch(1, printer.Printer().c_str(), 0, 0);
    ASSERT_EQ(ch.IsEnabled(), 1);
    EXPECT_EQ(ch.SelectChannel(0x10000005, 0x3), 0) << "the first 0x10000005 lacks the command bits";
    EXPECT_EQ(ch.GetChannel(), 0u);
    EXPECT_EQ(ch.SelectChannel(0x10000005, 0x4), 1);
    EXPECT_EQ(ch.GetMode(), 0x4);
    EXPECT_EQ(ch.SelectChannel(0x12345678, 0), 0);
    EXPECT_EQ(ch.SelectChannel(0x00000004, 0), 1) << "mask 0 accepts any mode";
    EXPECT_GT(ch.OpenChannel(), 0);
    EXPECT_EQ(ch.SelectChannel(0x00000004, 0), -1) << "no reselection while open";
    ch.ReceiveCancel();
    ch.CloseChannel();
    EXPECT_EQ(ch.IsChannelOpen(), 0);
}

TEST_F(Binding, SecondPrinterGetsTheCachedList) {
    BedPrinter other;
    other.Emu().channels = {{0x10000003, 0x0003}};
    ASSERT_TRUE(other.Create());
    CallLogWindow log;
    CQkApiChannel a(1, printer.Printer().c_str(), 0x00000004, 0x4);
    CQkApiChannel b(1, other.Printer().c_str(), 0x00000004, 0x4);
    EXPECT_EQ(a.IsSelected(), 1);
    EXPECT_EQ(b.IsSelected(), 1) << "the per-process list is the first printer's";
    EXPECT_EQ(b.SelectChannel(0x10000003, 0x3), 0);
    EXPECT_EQ(log.Count("QKGetAvailableChannel"), 2);  // one probe, one read
}

struct ListFault {
    const char* name;
    FaultSpec fault;
    int selected;  // SelectChannel(0x00000004, 4)
    friend void PrintTo(const ListFault& c, std::ostream* os) { *os << c.name; }
};


class BadChannelLists : public Binding, public ::testing::WithParamInterface<ListFault> {};

TEST_P(BadChannelLists, GiveACodeNeverAnOverrun) {
    ASSERT_TRUE(printer.Fault("QKGetAvailableChannel", GetParam().fault));
    CQkApiChannel ch(1, printer.Printer().c_str(), 0, 0);
    EXPECT_EQ(ch.SelectChannel(0x00000004, 0x4), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(Cases, BadChannelLists,
                         ::testing::Values(ListFault{"CountBeyondTheList", vixtest::FaultData(5000), 1},
                                           ListFault{"MoreDataTwice", vixtest::FaultProbeSize(4), -1},
                                           ListFault{"SizeZero", vixtest::FaultProbeSize(0), -1},
                                           ListFault{"SizeNegative", vixtest::FaultProbeSize(-8), -1},
                                           ListFault{"SizeHuge", vixtest::FaultProbeSize(0x7FFFFFFF), -1},
                                           ListFault{"NoEntries", vixtest::FaultData(0), -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Binding, UnusableNames) {
    CQkApiChannel noName(1, nullptr, 0x00000004, 4);
    EXPECT_EQ(noName.IsSelected(), 0);
    EXPECT_EQ(noName.SelectChannel(0x00000004, 4), -1);
    CQkApiChannel badKind(7, printer.Printer().c_str(), 0x00000004, 4);
    EXPECT_EQ(badKind.IsSelected(), 0);
    std::string longName(300, 'x');
    CQkApiChannel tooLong(1, longName.c_str(), 0x00000004, 4);
    EXPECT_FALSE(tooLong.IsUsable());
    CQkApiLink link;
    EXPECT_EQ(link.GetAvailableChannel(1, nullptr), -15);
}

TEST_F(Binding, ByPortName) {
    BedPrinter byPort;
    byPort.Emu().port = vixtest::UniqueName("VIXBEDPORT");
    ASSERT_TRUE(byPort.Create());
    CQkApiChannel ch(0, byPort.Emu().port.c_str(), 0x00000004, 4);
    EXPECT_EQ(ch.IsSelected(), 1);
    EXPECT_GT(ch.OpenChannel(), 0);
    ch.CloseChannel();
}

// Links and channels on two threads share the one base.
TEST_F(Binding, TwoThreadsShareTheBase) {
    CallLogWindow log;
    std::atomic<int> failures{0};
    auto work = [&] {
        for (int i = 0; i < 40; ++i) {
            CQkApiChannel ch(1, printer.Printer().c_str(), 0x00000004, 4);
            if (!ch.IsSelected() || ch.OpenChannel() <= 0) {
                ++failures;
                continue;
            }
            LONG size = 0;
            if (ch.GetStatus(nullptr, &size) != -4) ++failures;
            ch.CloseChannel();
        }
    };
    std::thread t1(work), t2(work);
    t1.join();
    t2.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(CQkApiBase::Instance().RefCount(), 0);
    EXPECT_FALSE(BenchLibraryLoaded());
    EXPECT_EQ(log.Count("QKInitialize"), log.Count("QKRelease"));
    EXPECT_EQ(log.Count("QKOpenChannel"), log.Count("QKCloseChannel"));
}

}  // namespace
