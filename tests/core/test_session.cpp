// The driver's monitoring session through the exports of vixcore.dll, as a
// printer driver calls them, against the bench's printers.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/monitor_settings.h"
#include "emu/bed_state.h"
#include "foundation/registry_key.h"
#include "foundation/targets.h"
#include "driver/core_exports.h"
#include "driver/job_data.h"
#include "include/vixcore.h"
#include "support/bed_fixture.h"

using vix::RegistryKey;
using vixbed::FaultSpec;
using vixtest::BedPrinter;
using vixtest::CallLogWindow;

namespace {

// vixcore.dll as the driver loads it, once per process.
vixbed::CoreExports& Core() {
    static vixbed::CoreExports core;
    if (!core.hCore) core.Load();
    return core;
}

struct Outputs {
    LONG popup = -7, sound = -7, printing = -7, real = -7, simple = -7;
    LONG Get(LONG enableErr) { return Core().PrGetStatus(enableErr, &popup, &sound, &printing, &real, &simple); }
    bool Untouched() const { return popup == -7 && sound == -7 && printing == -7 && real == -7 && simple == -7; }
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, Core().PrGetStatus) << "vixcore.dll or its session exports did not load";
        ClearTargets();
        // A status channel 0x10000005 and a read/write channel, as a network
        // box of the bench would offer them.
        m_printer.Emu().channels = {{0x10000005, 0x0007}, {0x10010003, 0x0003}};
        ASSERT_TRUE(m_printer.Create());
    }
    void TearDown() override {
        Core().PrMonitoringEnd();
        ClearTargets();
    }
    static void ClearTargets() {
        RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPrinter);
        RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPort);
    }
    LONG Start(const void* jobData = nullptr) {
        return Core().PrMonitoringStart(nullptr, P(), m_printer.Driver().c_str(), "USB001", m_printer.Model().c_str(), "",
                                 "", const_cast<void*>(jobData));
    }
    const char* P() const { return m_printer.Printer().c_str(); }
    std::string Target() const {
        char path[260];
        return vix::FindTarget(P(), false, path, sizeof(path)) == vix::TARGET_FOUND ? path : "";
    }
    DWORD ComStatus() const {
        RegistryKey k;
        return k.Open(HKEY_CURRENT_USER, Target().c_str()) ? k.ReadDword("ComStatus") : 0xFFFFFFFFu;
    }
    void SetDriverString(const char* name, const char* text) {
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, ("Software\\ZARVO\\VIX3\\Driver\\" + m_printer.Driver()).c_str(),
                           false, KEY_ALL_ACCESS));
        ASSERT_TRUE(k.WriteString(name, text));
    }
    BedPrinter m_printer;
};

TEST_F(SessionTest, StatusWithoutSessionWritesNothing) {
    Outputs o;
    EXPECT_EQ(1, o.Get(0));
    EXPECT_TRUE(o.Untouched());
    DWORD s = 9, rw = 9;
    EXPECT_EQ(1, Core().PrGetChannel(&s, &rw));
    EXPECT_EQ(0u, s);
    EXPECT_EQ(0u, rw);
    LPVOID data = reinterpret_cast<LPVOID>(1);
    DWORD size = 5;
    EXPECT_EQ(1, Core().PrGetPrinterData(nullptr, &size, &data));
    EXPECT_EQ(1, Core().PrSendPrinterData(nullptr, &size, &data));
    EXPECT_EQ(0, Core().PrReleasePrinterData(&data));
}

TEST_F(SessionTest, MissingNamesFailAndEndWithoutSessionSucceeds) {
    EXPECT_EQ(1, Core().PrMonitoringStart(nullptr, "", "D", "USB001", "M", "", "", nullptr));
    EXPECT_EQ(1, Core().PrMonitoringStart(nullptr, P(), m_printer.Driver().c_str(), nullptr, "M", "", "", nullptr));
    EXPECT_EQ(-1, Core().PrGetTimerValue(0, nullptr));  // after a failed start the information is invalid
    EXPECT_EQ(1, Core().PrReleaseRegistry(P(), "", "USB001", "M"));
    EXPECT_EQ(0, Core().PrReleaseRegistry(P(), m_printer.Driver().c_str(), "USB001", m_printer.Model().c_str()));
    EXPECT_EQ(10, Core().PrGetTimerValue(0, nullptr));
    EXPECT_EQ(0, Core().PrMonitoringEnd());
}

TEST_F(SessionTest, ATickStoresTheReplyForTheStatusWindow) {
    CallLogWindow log;
    ASSERT_EQ(0, Start());
    const std::string target = Target();
    ASSERT_FALSE(target.empty());  // the first monitoring made the target
    DWORD s = 0, rw = 0;
    ASSERT_EQ(0, Core().PrGetChannel(&s, &rw));
    EXPECT_EQ(0x10000005u, s);
    EXPECT_EQ(0x10010003u, rw);
    vixbed::PrinterCondition c;
    c.inks = {80, 65, 70, 55};
    vixbed::ApplyPreset("paperout", c);
    ASSERT_TRUE(m_printer.SetCondition(c));
    Outputs o;
    ASSERT_EQ(1, o.Get(0));
    EXPECT_EQ(5, o.real);
    EXPECT_EQ(3, o.simple);
    EXPECT_EQ(1, o.printing);
    // Category 12 is switched on in the profile's defaults, and so is sound.
    EXPECT_EQ(1, o.popup);
    EXPECT_EQ(1, o.sound);
    std::vector<BYTE> stored;
    DWORD channel = 0;
    ASSERT_TRUE(vix::ReadStoredStatus(target.c_str(), &stored, &channel));
    EXPECT_EQ(vixbed::BuildStatusReply(c), std::string(stored.begin(), stored.end()));
    EXPECT_EQ(0x10000005u, channel);
    EXPECT_EQ(1u, ComStatus());
    // The user switched paper-out popups off.
    {
        RegistryKey notify;
        ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, (target + "\\Notify").c_str(), false, KEY_ALL_ACCESS));
        notify.WriteDword("012", 0);
    }
    ASSERT_EQ(1, o.Get(0));
    EXPECT_EQ(0, o.popup);
    EXPECT_EQ(0, o.sound);
    // The session ends with its channels closed and the library released.
    ASSERT_EQ(0, Core().PrMonitoringEnd());
    EXPECT_EQ(log.Count("QKOpenChannel"), log.Count("QKCloseChannel"));
    EXPECT_EQ(2, log.Count("QKOpenChannel"));
    EXPECT_EQ(1, log.Count("QKRelease"));
    EXPECT_EQ(1, log.Count("QKInitialize"));  // held from start to end, not bound per tick
}

TEST_F(SessionTest, FailedReadsAreForcedStatuses) {
    ASSERT_EQ(0, Start());
    DWORD s = 0, rw = 0;
    ASSERT_EQ(0, Core().PrGetChannel(&s, &rw));
    struct Case {
        LONG enableErr;
        LONG simple;
        DWORD comStatus;
    } cases[] = {{0, 11, 0}, {1, 14, 4}};
    for (const Case& c : cases) {
        ASSERT_TRUE(m_printer.Fault("QKGetStatus", vixtest::FaultResult(-1)));
        Outputs o;
        ASSERT_EQ(1, o.Get(c.enableErr));
        EXPECT_EQ(c.simple, o.simple) << c.enableErr;
        EXPECT_EQ(0, o.real);
        EXPECT_EQ(c.comStatus, ComStatus()) << c.enableErr;
    }
    vixbed::ClearFaults(m_printer.Printer());
    // Busy and no status yet.
    ASSERT_TRUE(m_printer.Fault("QKGetStatus", vixtest::FaultResult(-17)));
    Outputs busy;
    EXPECT_EQ(-1, busy.Get(0));
    ASSERT_TRUE(m_printer.Fault("QKGetStatus", vixtest::FaultResult(0)));
    Outputs none;
    EXPECT_EQ(0, none.Get(0));
    EXPECT_EQ(0, none.popup);
    EXPECT_EQ(-7, none.simple);
    vixbed::ClearFaults(m_printer.Printer());
    // A size no reply has is a failed read, not an allocation.
    ASSERT_TRUE(m_printer.Fault("QKGetStatus", vixtest::FaultProbeSize(0x7FFFFFFF)));
    Outputs huge;
    EXPECT_EQ(1, huge.Get(0));
    EXPECT_EQ(11, huge.simple);
    vixbed::ClearFaults(m_printer.Printer());
    // A reply that parses to 21 is a communication error, not status 21.
    ASSERT_TRUE(vixbed::SetRawReply(m_printer.Printer(), "@BDC ST\r\nST:00;\x0C"));
    Outputs comm;
    ASSERT_EQ(1, comm.Get(0));
    EXPECT_EQ(0, comm.real);
    EXPECT_EQ(11, comm.simple);
    EXPECT_EQ(0u, ComStatus());
}

TEST_F(SessionTest, BeforeTheChannelsTheStatusIsForcedAndComStatusLeftAlone) {
    ASSERT_EQ(0, Start());
    ASSERT_TRUE(vix::SetComStatus(Target().c_str(), 2));
    Outputs o;
    ASSERT_EQ(1, o.Get(1));
    EXPECT_EQ(11, o.simple);  // row 30, whatever the error switch says
    EXPECT_EQ(2u, ComStatus());
    // Another model answering, as a status window recorded it.
    ASSERT_TRUE(vix::SetComStatus(Target().c_str(), 3));
    ASSERT_EQ(1, o.Get(0));
    EXPECT_EQ(11, o.simple);
    EXPECT_EQ(3u, ComStatus());
}

TEST_F(SessionTest, TargetRemovedByAnotherProcessIsFoundAgainWhenRecreated) {
    ASSERT_EQ(0, Start());
    DWORD s = 0, rw = 0;
    ASSERT_EQ(0, Core().PrGetChannel(&s, &rw));
    const std::string first = Target();
    ASSERT_EQ(0, vix::RemoveTarget(first.c_str()));
    Outputs o;
    ASSERT_EQ(1, o.Get(0));  // the tick still reports; nothing is written
    EXPECT_EQ(1, o.printing);
    RegistryKey gone;
    EXPECT_FALSE(gone.Open(HKEY_CURRENT_USER, first.c_str()));
    // Recreated at another index (the old one is taken by another printer).
    char path[260];
    ASSERT_EQ(0, vix::CreateTarget("Some Other Printer", false, path, sizeof(path)));
    ASSERT_EQ(0, vix::CreateTarget(P(), false, path, sizeof(path)));
    ASSERT_NE(first, std::string(path));
    ASSERT_EQ(1, o.Get(0));
    EXPECT_EQ(1u, ComStatus());
    std::vector<BYTE> stored;
    EXPECT_TRUE(vix::ReadStoredStatus(path, &stored, nullptr));
    RegistryKey other;
    ASSERT_TRUE(other.Open(HKEY_CURRENT_USER, first.c_str()));
    EXPECT_EQ(0xFFFFFFFFu, other.ReadDword("ComStatus"));  // the other printer's key is not written
}

TEST_F(SessionTest, DeviceIdAndPrinterData) {
    ASSERT_EQ(0, Start());
    const std::string id = m_printer.Emu().deviceId;
    char small[8] = "xxxxxxx";
    DWORD size = sizeof(small);
    EXPECT_EQ(1, Core().PrGetDeviceID(small, &size));
    EXPECT_EQ(id.size(), size);
    EXPECT_EQ('\0', small[0]);
    std::vector<char> buf(size + 1, 'x');
    size = static_cast<DWORD>(buf.size());
    ASSERT_EQ(0, Core().PrGetDeviceID(buf.data(), &size));
    EXPECT_EQ(id.size(), size);
    EXPECT_EQ(id, std::string(buf.data(), std::strlen(buf.data())));
    DWORD none = 0;
    EXPECT_EQ(1, Core().PrGetDeviceID(nullptr, &none));
    EXPECT_EQ(id.size(), none);

    LPVOID data = reinterpret_cast<LPVOID>(1);
    DWORD dataSize = 12;
    EXPECT_EQ(0, Core().PrGetPrinterData(nullptr, &dataSize, &data));
    EXPECT_EQ(nullptr, data);
    EXPECT_EQ(12u, dataSize);
    EXPECT_EQ(0, Core().PrSendPrinterData(nullptr, &dataSize, &data));
}

TEST_F(SessionTest, TimerValueFromTheDriverKeyOrTheResourceLibrary) {
    ASSERT_EQ(0, Start());
    LONG network = -1;
    // No text in the driver key: string 1340 of the resource library ("10").
    EXPECT_EQ(10, Core().PrGetTimerValue(0x10000005, &network));
    EXPECT_EQ(0, network);
    EXPECT_EQ(10, Core().PrGetTimerValue(0, &network));
    SetDriverString("LocalMonitoringTimer", "5,10");
    EXPECT_EQ(5, Core().PrGetTimerValue(0x10000005, &network));
    SetDriverString("LocalMonitoringTimer", "0");
    EXPECT_EQ(-1, Core().PrGetTimerValue(0x10000005, &network));
    EXPECT_EQ(-1, Core().PrGetTimerValue(0x00000004, &network));  // not offered by this printer
}

TEST_F(SessionTest, NetworkChannelTriplesTheResourceInterval) {
    vixbed::SetChannels(m_printer.Printer(), {{0x10000005, 0x8007}, {0x10010003, 0x8003}});
    ASSERT_EQ(0, Start());
    LONG network = -1;
    EXPECT_EQ(30, Core().PrGetTimerValue(0x10000005, &network));
    EXPECT_EQ(1, network);
    SetDriverString("NetworkMonitoringTimer", "7");
    EXPECT_EQ(7, Core().PrGetTimerValue(0x10000005, &network));
}

TEST_F(SessionTest, PortFileJobIsFollowedInsteadOfMonitored) {
    std::vector<unsigned char> portFile = vixbed::BuildJobDataBlock(0x07, "4242");
    EXPECT_EQ(1, Start(portFile.data()));
    Outputs o;
    EXPECT_EQ(1, o.Get(0));  // no session was opened
    EXPECT_TRUE(o.Untouched());
    // An ordinary job, and blocks that point outside themselves, open a
    // session as no block would.
    std::vector<unsigned char> ordinary = vixbed::BuildJobDataBlock(0x01, "4242");
    EXPECT_EQ(0, Start(ordinary.data()));
    EXPECT_EQ(0, Core().PrMonitoringEnd());
    std::vector<unsigned char> outside = vixbed::BuildJobDataBlock(0x07, "4242");
    DWORD farAway = 0x7FFFFFF0;
    std::memcpy(&outside[vixbed::kJobDataDescriptorAt], &farAway, 4);  // the item's data offset
    EXPECT_EQ(0, Start(outside.data()));
    EXPECT_EQ(0, Core().PrMonitoringEnd());
    std::vector<unsigned char> tooMany = vixbed::BuildJobDataBlock(0x07, "4242");
    DWORD count = 1000;
    std::memcpy(&tooMany[vixbed::kJobDataItemCountAt], &count, 4);
    EXPECT_EQ(0, Start(tooMany.data()));
}

TEST_F(SessionTest, SetRegDefaultValueFillsTheTargetOfAPrinter) {
    EXPECT_EQ(1, Core().PrSetRegDefaultValue(P(), "", "USB001", m_printer.Model().c_str(), nullptr));
    ASSERT_EQ(0, Core().PrSetRegDefaultValue(P(), m_printer.Driver().c_str(), "USB001", m_printer.Model().c_str(), nullptr));
    RegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, Target().c_str()));
    EXPECT_EQ(1u, k.ReadDword("SoundNotifyEnable"));
    RegistryKey notify;
    ASSERT_TRUE(notify.Open(k.Handle(), "Notify"));
    EXPECT_EQ(1u, notify.ReadDword("012"));
}

}  // namespace
