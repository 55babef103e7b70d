// Target keys, the component queries, the status-agent binding and the
// per-printer monitoring settings, on the user's registry of the test prefix
// and the bench's printers.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/monitor_settings.h"
#include "core/qk_printer_info.h"
#include "core/sagent_control.h"
#include "emu/bed_state.h"
#include "foundation/registry_key.h"
#include "foundation/targets.h"
#include "support/bed_fixture.h"
#include "support/message_window.h"

using vix::RegistryKey;
using vixtest::BedPrinter;
using vixtest::CallLogWindow;
using vixtest::ScopedRegKey;

namespace {

const char kData[] = "software\\ZARVO\\VIX3\\VIXData";

// Both target roots start and end empty.
class TargetTest : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPrinter);
        RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPort);
    }
    static std::string Sub(const char* root, int index) {
        char name[32];
        std::snprintf(name, sizeof(name), "\\P%016d", index);
        return std::string(root) + name;
    }
    // A target as another process would have left it.
    static void MakeTarget(const char* root, int index, const char* name) {
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, Sub(root, index).c_str(), true));
        if (name) {
            ASSERT_TRUE(k.WriteString("Name", name));
        }
    }
    static bool Exists(const std::string& path) {
        RegistryKey k;
        return k.Open(HKEY_CURRENT_USER, path.c_str());
    }
};

TEST_F(TargetTest, CreateTakesTheLowestFreeIndexAndWritesItsValues) {
    MakeTarget(vix::kTargetRootPrinter, 0, "A");
    MakeTarget(vix::kTargetRootPrinter, 2, "C");
    char path[260];
    ASSERT_EQ(vix::TARGET_CREATED, vix::CreateTarget("B", false, path, sizeof(path)));
    EXPECT_EQ(Sub(vix::kTargetRootPrinter, 1), path);
    EXPECT_EQ(std::string(vix::kTargetRootPrinter) + "\\P0000000000000001", path);
    RegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, path));
    EXPECT_EQ("B", k.ReadString("Name"));
    EXPECT_EQ(0u, k.ReadDword("Setting"));
    EXPECT_EQ(10u, k.ReadDword("Timer"));
    // The next one goes behind all three.
    ASSERT_EQ(vix::TARGET_CREATED, vix::CreateTarget("D", false, path, sizeof(path)));
    EXPECT_EQ(Sub(vix::kTargetRootPrinter, 3), path);
}

TEST_F(TargetTest, FindComparesWithoutCaseAndTellsMissingRootAndName) {
    char path[260];
    EXPECT_EQ(vix::TARGET_NO_ROOT, vix::FindTarget("Printer", false, path, sizeof(path)));
    MakeTarget(vix::kTargetRootPrinter, 0, "Other");
    MakeTarget(vix::kTargetRootPrinter, 1, nullptr);  // no name: never a match
    MakeTarget(vix::kTargetRootPrinter, 2, "My Printer");
    ASSERT_EQ(vix::TARGET_FOUND, vix::FindTarget("MY PRINTER", false, path, sizeof(path)));
    EXPECT_EQ(Sub(vix::kTargetRootPrinter, 2), path);
    EXPECT_EQ(vix::TARGET_NOT_FOUND, vix::FindTarget("Nobody", false, path, sizeof(path)));
    EXPECT_STREQ("", path);
    // Port targets live under their own root.
    EXPECT_EQ(vix::TARGET_NO_ROOT, vix::FindTarget("My Printer", true, path, sizeof(path)));
    // A path that does not fit the caller's buffer is not handed out.
    char small[20];
    EXPECT_EQ(vix::TARGET_NOT_FOUND, vix::FindTarget("My Printer", false, small, sizeof(small)));
}

TEST_F(TargetTest, CleanRemovesEveryStaleTargetInOneRun) {
    BedPrinter live;
    ASSERT_TRUE(live.Create());
    // Stale targets in a row, a live one between, and a nameless one.
    MakeTarget(vix::kTargetRootPrinter, 0, "Gone Printer 1");
    MakeTarget(vix::kTargetRootPrinter, 1, "Gone Printer 2");
    MakeTarget(vix::kTargetRootPrinter, 2, "Gone Printer 3");
    MakeTarget(vix::kTargetRootPrinter, 3, live.Printer().c_str());
    MakeTarget(vix::kTargetRootPrinter, 4, nullptr);
    MakeTarget(vix::kTargetRootPrinter, 5, "Gone Printer 4");
    {  // a stale target's settings go with it
        RegistryKey notify;
        ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, (Sub(vix::kTargetRootPrinter, 5) + "\\Notify").c_str(), true));
        notify.WriteDword("012", 1);
    }
    // Port targets: only those without a name go, all of them.
    MakeTarget(vix::kTargetRootPort, 0, nullptr);
    MakeTarget(vix::kTargetRootPort, 1, nullptr);
    MakeTarget(vix::kTargetRootPort, 2, "USB009");

    ASSERT_EQ(0, vix::CleanTargets());
    for (int i : {0, 1, 2, 4, 5}) EXPECT_FALSE(Exists(Sub(vix::kTargetRootPrinter, i))) << i;
    EXPECT_TRUE(Exists(Sub(vix::kTargetRootPrinter, 3)));
    EXPECT_FALSE(Exists(Sub(vix::kTargetRootPort, 0)));
    EXPECT_FALSE(Exists(Sub(vix::kTargetRootPort, 1)));
    EXPECT_TRUE(Exists(Sub(vix::kTargetRootPort, 2)));
}

TEST_F(TargetTest, CleanAndRemoveReportMissingKeys) {
    EXPECT_EQ(-1, vix::CleanTargets());  // no ZVLTarget root
    MakeTarget(vix::kTargetRootPrinter, 0, "Gone");
    EXPECT_EQ(-1, vix::CleanTargets());  // no ZVNTarget root: the first root is cleaned all the same
    EXPECT_FALSE(Exists(Sub(vix::kTargetRootPrinter, 0)));
    EXPECT_EQ(-1, vix::RemoveTarget(Sub(vix::kTargetRootPrinter, 7).c_str()));
    EXPECT_EQ(-1, vix::RemoveTarget(nullptr));
}

TEST_F(TargetTest, FirstMonitoringCreatesTheTargetWithTheProfileDefaults) {
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    MakeTarget(vix::kTargetRootPort, 0, "USB007");  // the port root exists, as it does after any port target
    MakeTarget(vix::kTargetRootPrinter, 0, "Deleted Printer");
    bool bUsePort = true;
    char path[260];
    // The driver's own copy of the core library (in its install directory)
    // writes the defaults.
    ASSERT_EQ(0, vix::FindOrCreateTarget(p.Printer().c_str(), "USB001", p.Model().c_str(), &bUsePort, path,
                                         sizeof(path)));
    EXPECT_FALSE(bUsePort);
    // The stale target went first, so the new one has index 0.
    EXPECT_EQ(Sub(vix::kTargetRootPrinter, 0), path);
    RegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, path));
    EXPECT_EQ(p.Printer(), k.ReadString("Name"));
    EXPECT_EQ(1u, k.ReadDword("SoundNotifyEnable"));
    EXPECT_EQ(1u, k.ReadDword("TrayIconEnable"));
    EXPECT_EQ(1u, k.ReadDword("TrayIconSelected"));
    EXPECT_EQ(10u, k.ReadDword("PaperNearEnd"));
    EXPECT_EQ(2u, k.ReadDword("MaxIC"));
    RegistryKey notify;
    ASSERT_TRUE(notify.Open(k.Handle(), "Notify"));
    EXPECT_EQ(1u, notify.ReadDword("012"));
    EXPECT_EQ(1u, notify.ReadDword("011"));
    EXPECT_EQ(0u, notify.ReadDword("009"));
    // Found, not made again.
    char again[260];
    ASSERT_EQ(0, vix::FindOrCreateTarget(p.Printer().c_str(), "USB001", p.Model().c_str(), &bUsePort, again,
                                         sizeof(again)));
    EXPECT_STREQ(path, again);
}

TEST_F(TargetTest, PortOnlyPrinterIsKeyedByItsPortAndMissingCoreLibraryIsReported) {
    bool bUsePort = false;
    char path[260];
    // No printer and so no driver: the target exists but nobody fills it.
    EXPECT_EQ(vix::TARGET_CORE_NOT_LOADED, vix::FindOrCreateTarget("", "USB005", "ZV-100", &bUsePort, path,
                                                                    sizeof(path)));
    EXPECT_TRUE(bUsePort);
    EXPECT_EQ(Sub(vix::kTargetRootPort, 0), path);
    EXPECT_EQ(vix::TARGET_FOUND, vix::FindPrinterTarget("", "usb005", path, sizeof(path)));
    EXPECT_EQ(vix::TARGET_NOT_FOUND, vix::FindPrinterTarget("", "", path, sizeof(path)));
}

// ---- component generations and their registry rules --------------------------

class ComponentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_printer.Create()); }
    void SetKey(const char* name, const std::string& text) {
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, ("Software\\ZARVO\\VIX3\\Driver\\" + m_printer.Driver()).c_str(), false, KEY_ALL_ACCESS));
        ASSERT_TRUE(k.WriteString(name, text.c_str()));
    }
    void SetKey(const char* name, DWORD v) {
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, ("Software\\ZARVO\\VIX3\\Driver\\" + m_printer.Driver()).c_str(), false, KEY_ALL_ACCESS));
        ASSERT_TRUE(k.WriteDword(name, v));
    }
    BedPrinter m_printer;
};

TEST_F(ComponentTest, Generation3HasNoSharingAndNoMonitoring) {
    SetKey("QKAPI_VERSION", 0u);
    SetKey("QKAPI32", "QKAPI3.DLL");
    vix::CQkPrinterInfo info(m_printer.Driver().c_str());
    EXPECT_EQ(3, info.Generation());
    EXPECT_TRUE(info.IsInstalled());  // the bench writes "Software\ZARVO\QKProvider3"
    EXPECT_FALSE(info.IsShareAvailable());
    EXPECT_FALSE(info.IsMonitoringAllowed());
    EXPECT_EQ(0, vix::CQkPrinterInfo("No Such Driver").Generation());
}

TEST_F(ComponentTest, RequestRouterValueOffersSharing) {
    SetKey("QKAPI_VERSION", 1u);
    vix::CQkPrinterInfo info(m_printer.Driver().c_str());
    ASSERT_EQ(1, info.Generation());
    const std::string router = "Software\\ZARVO\\QKPrinter\\QKRequestRouter";
    {
        ScopedRegKey key(HKEY_LOCAL_MACHINE, router);
        key.WriteString("QKPX1", "share");   // not two digits
        key.WriteString("QKP012", "share");  // six characters
        key.WriteString("QKP02", "shared");  // other data
        EXPECT_FALSE(info.IsShareAvailable());
        key.WriteString("QKP01", "share");
        EXPECT_TRUE(info.IsShareAvailable());
    }
    {
        ScopedRegKey agent(HKEY_LOCAL_MACHINE, "Software\\ZARVO\\QKPrinter\\SAgent");
        EXPECT_TRUE(info.IsMonitoringAllowed());  // generation 1: the key's existence
    }
}

TEST_F(ComponentTest, Generation4AsksTheStatusAgentOrFallsBackToTheRegistry) {
    SetKey("QKAPI_VERSION", 4u);
    vix::CQkPrinterInfo info(m_printer.Driver().c_str());
    ASSERT_EQ(4, info.Generation());
    {
        ScopedRegKey allow(HKEY_LOCAL_MACHINE, "Software\\ZARVO\\QKPrinter4\\SAgent4");
        allow.WriteDword("AllowMonitoring", 1);
        EXPECT_TRUE(info.IsMonitoringAllowed());  // no agent library named
    }
    SetKey("SAgentType", 1u);
    SetKey("SAgentControlDll", m_printer.InstallDir() + "\\VIXSAGNT.DLL");
    const std::string state = std::string(vixbed::kBedRoot) + "\\SAgent\\" + vixbed::PrinterKeyName(m_printer.Driver());
    vixbed::DeleteBedTree(state.substr(std::string("Software\\").size()));
    EXPECT_FALSE(info.IsMonitoringAllowed());  // the agent is not running
    for (DWORD v : {1u, 2u, 3u}) {
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, state.c_str(), true, KEY_ALL_ACCESS | KEY_WOW64_64KEY));
        k.WriteDword("State", v);
        EXPECT_EQ(v != 3, info.IsMonitoringAllowed()) << v;
    }
    vixbed::DeleteBedTree(state.substr(std::string("Software\\").size()));
}

// ---- the status-agent binding -------------------------------------------------

TEST_F(ComponentTest, AgentRunWaitsForThePreviousWorkerAndPostsItsOutcome) {
    vix::CSAgentControl agent;
    EXPECT_EQ(-1, agent.Run(vix::CSAgentControl::OP_INSTALL, nullptr, 0));  // not loaded
    EXPECT_EQ(-1, agent.Install());
    EXPECT_EQ(0, agent.Load(m_printer.Driver().c_str()));  // the driver names no agent library
    SetKey("SAgentType", 2u);
    SetKey("SAgentControlDll", m_printer.InstallDir() + "\\VIXSAGNT.DLL");
    EXPECT_EQ(0, agent.Load(m_printer.Driver().c_str()));  // the wrong type
    SetKey("SAgentType", 1u);
    ASSERT_EQ(1, agent.Load(m_printer.Driver().c_str()));

    const std::string state = std::string(vixbed::kBedRoot) + "\\SAgent\\" + vixbed::PrinterKeyName(m_printer.Driver());
    RegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, state.c_str(), true, KEY_ALL_ACCESS | KEY_WOW64_64KEY));
    k.WriteDword("DelayMs", 300);
    k.WriteDword("Installed", 0);
    k.WriteDword("Running", 0);

    vixtest::MessageWindow window;
    const UINT kDone = WM_APP + 7;
    CallLogWindow log;
    // Install, check (not running) and start on the worker; the second run
    // must wait for the first before it begins.
    EXPECT_EQ(0, agent.Run(vix::CSAgentControl::OP_INSTALL_AND_START, window.Handle(), kDone));
    EXPECT_EQ(0, agent.Run(vix::CSAgentControl::OP_UNINSTALL, window.Handle(), kDone));
    MSG first = {}, second = {};
    ASSERT_TRUE(window.WaitFor(kDone, 10000, &first));
    ASSERT_TRUE(window.WaitFor(kDone, 10000, &second));
    EXPECT_EQ(static_cast<WPARAM>(vix::CSAgentControl::OP_INSTALL_AND_START), first.wParam);
    EXPECT_EQ(0, static_cast<int>(first.lParam));  // the start's result
    EXPECT_EQ(static_cast<WPARAM>(vix::CSAgentControl::OP_UNINSTALL), second.wParam);
    std::vector<std::string> ops;
    for (auto& r : log.Calls())
        if (r.module == "VIXSAGNT") ops.push_back(r.op + (r.op == "StartSAgent" ? "(" + r.args + ")" : ""));
    EXPECT_EQ((std::vector<std::string>{"InstallSAgent", "CheckSAgent", "StartSAgent(1)", "UninstallSAgent"}), ops);
    // Without a window the operation runs at once.
    EXPECT_EQ(1, agent.Run(vix::CSAgentControl::OP_INSTALL, nullptr, 0));
    EXPECT_EQ(1u, k.ReadDword("Installed"));
    vixbed::DeleteBedTree(state.substr(std::string("Software\\").size()));
}

// ---- monitoring settings ------------------------------------------------------

class SettingsTest : public TargetTest {
protected:
    void SetUp() override {
        TargetTest::SetUp();
        char path[260];
        ASSERT_EQ(vix::TARGET_CREATED, vix::CreateTarget("Settings Printer", false, path, sizeof(path)));
        m_target = path;
        m_profile = vixtest::TempDir() + vixtest::UniqueName("vixprofile") + ".ini";
    }
    void WriteProfile(const std::string& text) {
        FILE* f = std::fopen(m_profile.c_str(), "wb");
        ASSERT_NE(nullptr, f);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    DWORD Value(const char* sub, const char* name) {
        RegistryKey k;
        std::string path = sub ? m_target + "\\" + sub : m_target;
        return k.Open(HKEY_CURRENT_USER, path.c_str()) ? k.ReadDword(name) : 0xFFFFFFFFu;
    }
    void SetValue(const char* sub, const char* name, DWORD v) {
        RegistryKey k;
        std::string path = sub ? m_target + "\\" + sub : m_target;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, path.c_str(), true));
        ASSERT_TRUE(k.WriteDword(name, v));
    }
    void TearDown() override {
        DeleteFileA(m_profile.c_str());
        TargetTest::TearDown();
    }
    std::string m_target, m_profile;
};

TEST_F(SettingsTest, DefaultsKeepTheUsersChoices) {
    WriteProfile("[M1]\r\nITEMNUM=2\r\nITEM012=1\r\nITEM011=0\r\nITEM009=1\r\nSlipMax=50\r\n");
    ASSERT_EQ(0, vix::SetRegDefaultValue(m_profile.c_str(), "M1", m_target.c_str()));
    EXPECT_EQ(1u, Value("Notify", "012"));
    EXPECT_EQ(0u, Value("Notify", "011"));
    EXPECT_EQ(0xFFFFFFFFu, Value("Notify", "009"));  // beyond ITEMNUM
    EXPECT_EQ(0u, Value(nullptr, "SoundNotifyEnable"));  // always written, default 0
    EXPECT_EQ(50u, Value(nullptr, "SlipMax"));
    EXPECT_EQ(0xFFFFFFFFu, Value(nullptr, "MaxIC"));  // not in the profile: not written
    // The user switches 012 off; a second run leaves it and adds what is new.
    SetValue("Notify", "012", 0);
    RegistryKey notify;
    ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, (m_target + "\\Notify").c_str(), false, KEY_ALL_ACCESS));
    notify.DeleteValue("011");
    ASSERT_EQ(0, vix::SetRegDefaultValue(m_profile.c_str(), "M1", m_target.c_str()));
    EXPECT_EQ(0u, Value("Notify", "012"));
    EXPECT_EQ(0u, Value("Notify", "011"));
}

TEST_F(SettingsTest, DefaultsThatCannotBeWrittenAreReported) {
    WriteProfile("[M1]\r\nSoundNotifyEnable=1\r\n");
    EXPECT_EQ(4, vix::SetRegDefaultValue(m_profile.c_str(), "M1", m_target.c_str()));  // no ITEMNUM
    EXPECT_EQ(1u, Value(nullptr, "SoundNotifyEnable"));
    EXPECT_EQ(1, vix::SetRegDefaultValue(m_profile.c_str(), "M1", (m_target + "0").c_str()));  // no such key
    // A section that does not fit the 32767-byte buffer is not walked.
    std::string big = "[M2]\r\nITEMNUM=1\r\nITEM012=1\r\n";
    while (big.size() < 40000) big += "FILLER" + std::to_string(big.size()) + "=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n";
    WriteProfile(big);
    EXPECT_EQ(4, vix::SetRegDefaultValue(m_profile.c_str(), "M2", m_target.c_str()));
    EXPECT_EQ(0xFFFFFFFFu, Value("Notify", "012"));
}

TEST_F(SettingsTest, NotificationDecision) {
    int sound = -1, popup = -1;
    // No "Notify" subkey: popup 0 and the sound flag as stored.
    SetValue(nullptr, "SoundNotifyEnable", 1);
    EXPECT_EQ(1, vix::GetNotifyFlags(m_target.c_str(), 12, &sound, &popup));
    EXPECT_EQ(0, popup);
    EXPECT_EQ(1, sound);
    struct Case {
        DWORD stored, notify;
        int popup, sound;
    } cases[] = {{1, 1, 1, 1}, {1, 0, 0, 0}, {0, 1, 1, 0}, {0, 0, 0, 0}};
    for (const Case& c : cases) {
        SetValue(nullptr, "SoundNotifyEnable", c.stored);
        SetValue("Notify", "012", c.notify);
        ASSERT_EQ(0, vix::GetNotifyFlags("Settings Printer", "", 12, &sound, &popup));
        EXPECT_EQ(c.popup, popup) << c.stored << c.notify;
        EXPECT_EQ(c.sound, sound) << c.stored << c.notify;
    }
    EXPECT_EQ(0, vix::GetNotifyFlags(m_target.c_str(), 9, &sound, &popup));  // no value 009: popup 0
    EXPECT_EQ(0, popup);
    EXPECT_EQ(1, vix::GetNotifyFlags("Unknown Printer", "", 12, &sound, &popup));
    EXPECT_EQ(0, popup);
    EXPECT_EQ(0, sound);
}

TEST_F(SettingsTest, ComStatusAndStoredStatusTreatMalformedValuesAsMissing) {
    EXPECT_EQ(2u, vix::GetComStatus(m_target.c_str()));  // no value
    EXPECT_EQ(1u, vix::GetComStatus("Unknown Printer", ""));  // no key
    {
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, m_target.c_str(), false, KEY_ALL_ACCESS));
        k.WriteString("ComStatus", "4");
        k.WriteString("Channel", "4");
        const std::string reply = "@BDC ST\r\nST:04;\x0C";
        k.WriteBinary("Status", reply.data(), static_cast<DWORD>(reply.size()));
    }
    EXPECT_EQ(2u, vix::GetComStatus(m_target.c_str()));
    std::vector<BYTE> stored;
    DWORD channel = 0;
    EXPECT_FALSE(vix::ReadStoredStatus(m_target.c_str(), &stored, &channel));  // "Channel" as a string
    ASSERT_EQ(0, vix::StoreStatus("Settings Printer", "", reinterpret_cast<const BYTE*>("abc"), 3, 0x10000005));
    ASSERT_TRUE(vix::ReadStoredStatus(m_target.c_str(), &stored, &channel));
    EXPECT_EQ(std::string("abc"), std::string(stored.begin(), stored.end()));
    EXPECT_EQ(0x10000005u, channel);
    {
        std::vector<BYTE> huge(vix::kMaxStatusReplyBytes + 1, 'x');
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, m_target.c_str(), false, KEY_ALL_ACCESS));
        k.WriteBinary("Status", huge.data(), static_cast<DWORD>(huge.size()));
    }
    EXPECT_FALSE(vix::ReadStoredStatus(m_target.c_str(), &stored, &channel));
    EXPECT_TRUE(vix::SetComStatus("Settings Printer", "", 4));
    EXPECT_EQ(4u, vix::GetComStatus("Settings Printer", ""));
    // A target removed by another process is not made again by a write.
    ASSERT_EQ(0, vix::RemoveTarget(m_target.c_str()));
    EXPECT_EQ(2, vix::StoreStatus(m_target.c_str(), reinterpret_cast<const BYTE*>("abc"), 3, 4));
    EXPECT_FALSE(vix::SetComStatus(m_target.c_str(), 1));
    EXPECT_FALSE(Exists(m_target));
    EXPECT_EQ(1, vix::StoreStatus("Settings Printer", "", reinterpret_cast<const BYTE*>("abc"), 3, 4));
}

TEST_F(SettingsTest, NotifyListAndDefaultIntervalComeFromTheResourceLibrary) {
    BedPrinter p;
    ASSERT_TRUE(p.Create());
    HMODULE hRes = LoadLibraryExA((p.InstallDir() + "\\ZVRES_EN.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, hRes);
    int index = 0, category = -1;
    char text[260];
    std::vector<std::pair<std::string, int>> items;
    while (vix::GetNotifyItem(hRes, &index, text, &category) == 0) items.emplace_back(text, category);
    EXPECT_EQ(0, index);  // reset when the list ends
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ(std::make_pair(std::string("Printer errors"), 12), items[0]);
    EXPECT_EQ(11, items[1].second);
    EXPECT_EQ(9, items[2].second);
    index = -3;
    EXPECT_EQ(1, vix::GetNotifyItem(hRes, &index, text, &category));
    EXPECT_EQ(0, index);
    EXPECT_EQ(10, vix::ReadTimerDef(hRes));
    EXPECT_EQ(10, vix::ReadTimerDef(nullptr));  // no library: the default
    FreeLibrary(hRes);
}

}  // namespace
