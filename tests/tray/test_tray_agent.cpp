// The tray agent as a real process on a Wine desktop with a notification
// area: single instance, the ends it comes to, the start-up entries it
// removes, and the programs its menu starts.
#include <gtest/gtest.h>
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "foundation/handles.h"
#include "foundation/param_file.h"
#include "foundation/printer_table_records.h"
#include "foundation/registry_key.h"
#include "foundation/text.h"
#include "foundation/targets.h"
#include "provision/provision.h"
#include "tray/tray_bench.h"

using namespace traytest;

namespace {

constexpr UINT WM_TRAYICON_NOTIFY = WM_USER + 100;

class TrayAgent : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(printer.Create());
        paramFilesBefore = vixtest::TempParamFiles();
    }
    void TearDown() override {
        // Every parameter file the agent was given or wrote has been taken.
        EXPECT_EQ(vixtest::TempParamFiles(), paramFilesBefore);
    }

    std::string Long(bool bRemove = false) const {
        return LongArgs(printer.Printer(), printer.Port(), printer.Model(), bRemove);
    }
    // Starts the agent and waits until it runs with its icon.
    void StartRunning(AgentRun& agent, const std::string& args, const char* build = "vixtray.exe") {
        ASSERT_TRUE(agent.Start(build, args));
        ASSERT_TRUE(trace.WaitAnotherRunning()) << trace.Text();
        ASSERT_NE(agent.WaitWindow(), nullptr) << trace.Text();
    }
    std::string Launcher(const char* name) { return printer.Bed().InstallDir() + "\\" + name; }

    AgentTrace trace;
    LaunchLog launches;
    TrayPrinter printer;
    std::vector<std::string> paramFilesBefore;
};

// A parameter file in the temporary directory kept by a start-up entry
// ("/A"), as a set-up outside the system writes one.
std::string KeptParamFile(const std::string& printer, const std::string& model) {
    vix::cmdInfo info;
    if (info.WriteParamFile(printer.c_str(), "", model.c_str()) != 1) return std::string();
    return info.m_szParamFile;
}

bool TempFileExists(const std::string& name) { return vixtest::FileExists(vixtest::TempDir() + name); }

bool SetPrinterDword(const std::string& printer, const char* name, DWORD value) {
    PRINTER_DEFAULTSA pd = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &h, &pd)) return false;
    DWORD rc = SetPrinterDataA(h, const_cast<char*>(name), REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof(value));
    ClosePrinter(h);
    return rc == ERROR_SUCCESS;
}

}  // namespace

TEST_F(TrayAgent, RunsHiddenAndHoldsItsSlotInThePrinterTable) {
    AgentRun agent;
    StartRunning(agent, Long());
    HWND hWnd = agent.WaitWindow();
    char title[64] = "";
    GetWindowTextA(hWnd, title, sizeof(title));
    EXPECT_STREQ(title, "VIX3 TrayIcon");
    EXPECT_FALSE(HasVisibleStyle(hWnd));

    TableWatch table;
    ASSERT_TRUE(table.Open("VixV3MapFile_02", vix::table::kShortRecordSize));
    EXPECT_EQ(table.TraySlot(printer.Printer()), static_cast<long long>(reinterpret_cast<ULONG_PTR>(hWnd)));

    EXPECT_EQ(agent.Close(), 0);
    EXPECT_EQ(table.TraySlot(printer.Printer()), -1) << "the record is free again";
    EXPECT_TRUE(trace.Has("WM_CLOSE")) << trace.Text();
    EXPECT_TRUE(trace.Has("WM_DESTROY"));
    EXPECT_TRUE(trace.Has("***** LOG END ******"));
}

TEST_F(TrayAgent, SecondStartMakesTheFirstReloadItsIconAndEnds) {
    AgentRun first, second;
    StartRunning(first, Long());
    HWND hFirst = first.WaitWindow();
    ASSERT_TRUE(printer.SetTargetDword("TrayIconSelected", 2));

    ASSERT_TRUE(second.Start("vixtray.exe", FileArgs(printer.Printer(), printer.Port(), printer.Model())));
    EXPECT_EQ(second.WaitExit(15000), 0);
    EXPECT_TRUE(trace.Has("CMainFrame::DuplicationChk : end2")) << trace.Text();
    EXPECT_TRUE(trace.WaitFor("CMainFrame : icon reloaded : 2")) << trace.Text();
    EXPECT_TRUE(first.Running());

    TableWatch table;
    ASSERT_TRUE(table.Open("VixV3MapFile_02", vix::table::kShortRecordSize));
    EXPECT_EQ(table.TraySlot(printer.Printer()), static_cast<long long>(reinterpret_cast<ULONG_PTR>(hFirst)))
        << "the second start took nothing of the first's record";
}

TEST_F(TrayAgent, RemoveSwitchClosesTheRunningAgent) {
    AgentRun first, second;
    StartRunning(first, Long());
    TableWatch table;
    ASSERT_TRUE(table.Open("VixV3MapFile_02", vix::table::kShortRecordSize));

    // As the core library starts it when the icon has been switched off.
    ASSERT_TRUE(second.Start("vixtray.exe", FileArgs(printer.Printer(), printer.Port(), printer.Model(), true)));
    EXPECT_EQ(second.WaitExit(15000), 0);
    EXPECT_EQ(first.WaitExit(10000), 0);
    EXPECT_EQ(table.TraySlot(printer.Printer()), -1);
}

TEST_F(TrayAgent, RemoveSwitchWithoutARunningAgentLeavesNoSlot) {
    TableWatch table;  // kept, so that what the agent left can be read
    ASSERT_TRUE(table.Hold("VixV3MapFile_02", vix::table::kShortRecordSize));
    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", Long(true)));
    EXPECT_EQ(agent.WaitExit(15000), 0);
    EXPECT_EQ(table.TraySlot(printer.Printer()), -1);
    EXPECT_TRUE(trace.Has("MainFrame.StartUp() : Result : 0")) << trace.Text();
    EXPECT_FALSE(trace.Has("Vix is invalid"));
}

TEST_F(TrayAgent, DeletedPrinterEndsAtTheNextMaskCheck) {
    RunValue run(HKEY_CURRENT_USER, printer.Printer());
    ASSERT_TRUE(run.Write("C:\\vixtray.exe /P5 \"x\""));
    AgentRun agent;
    StartRunning(agent, Long());
    ASSERT_TRUE(printer.RemovePrinter());
    EXPECT_EQ(agent.WaitExit(6000), 0) << "one mask check is 3 seconds";
    EXPECT_TRUE(trace.Has("CMainFrame::OnTimer : Mask check"));
    EXPECT_TRUE(run.Exists()) << "the mask check leaves the start-up entry";
}

TEST_F(TrayAgent, PrinterCheckRemovesTheStartupEntriesAndTheirParameterFiles) {
    ASSERT_TRUE(printer.SetProfile("TrayIconEndTime", "300"));
    std::string userFile = KeptParamFile(printer.Printer(), printer.Model());
    std::string machineFile = KeptParamFile(printer.Printer(), printer.Model());
    ASSERT_FALSE(userFile.empty());
    ASSERT_FALSE(machineFile.empty());
    RunValue user(HKEY_CURRENT_USER, printer.Printer()), machine(HKEY_LOCAL_MACHINE, printer.Printer());
    std::string agentPath = vixbed::ProgramDirectory() + "vixtray.exe";
    ASSERT_TRUE(user.Write(agentPath + " /A \"" + userFile + "\""));
    ASSERT_TRUE(machine.Write(agentPath + " /A \"" + machineFile + "\""));

    // Started from its start-up entry: the kept file names the printer.
    AgentRun agent;
    StartRunning(agent, "/A \"" + userFile + "\"");
    EXPECT_TRUE(TempFileExists(userFile)) << "a kept parameter file stays while the printer exists";
    ASSERT_TRUE(printer.RemovePrinter());
    EXPECT_EQ(agent.WaitExit(2500), 0) << "the printer check comes before the mask check";
    EXPECT_TRUE(trace.Has("Delete Reg HKCU\\run")) << trace.Text();
    EXPECT_TRUE(trace.Has("Delete Reg HKLM\\run"));
    EXPECT_FALSE(user.Exists());
    EXPECT_FALSE(machine.Exists());
    EXPECT_FALSE(TempFileExists(userFile));
    EXPECT_FALSE(TempFileExists(machineFile));
}

TEST_F(TrayAgent, IconInstallSwitchSkipsTheExistenceCheck) {
    ASSERT_TRUE(printer.SetProfile("TrayIconEndTime", "300"));
    RunValue user(HKEY_CURRENT_USER, printer.Printer());
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /P5 \"x\""));
    AgentRun agent;
    StartRunning(agent, FileArgs(printer.Printer(), printer.Port(), printer.Model(), false, true));
    ASSERT_TRUE(printer.RemovePrinter());
    EXPECT_EQ(agent.WaitExit(6000), 0) << "the mask check still ends it";
    EXPECT_TRUE(trace.Has("CMainFrame::OnTimer : Printer check")) << trace.Text();
    EXPECT_FALSE(trace.Has("Delete Reg HKCU\\run"));
    EXPECT_TRUE(user.Exists());
}

TEST_F(TrayAgent, DoubleClickOnADeletedPrinterEndsItAndRemovesItsEntry) {
    RunValue user(HKEY_CURRENT_USER, printer.Printer());
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /P5 \"x\""));
    AgentRun agent;
    StartRunning(agent, Long());
    ASSERT_TRUE(printer.RemovePrinter());
    PostMessageA(agent.WaitWindow(), WM_TRAYICON_NOTIFY, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(agent.WaitExit(10000), 0);
    EXPECT_FALSE(user.Exists());
    EXPECT_TRUE(launches.Records().empty()) << "no status window for a printer that is gone";
}

// Starts that end and take the printer's start-up entry with them.
struct EndCase {
    const char* name;
    void (*arrange)(TrayPrinter&);
    const char* traced;
};
void PrintTo(const EndCase& c, std::ostream* os) { *os << c.name; }

class TrayAgentEnds : public TrayAgent, public ::testing::WithParamInterface<EndCase> {};

TEST_P(TrayAgentEnds, RemovesTheStartupEntryAndSwitchesTheIconOff) {
    GetParam().arrange(printer);
    std::string kept = KeptParamFile(printer.Printer(), printer.Model());
    RunValue user(HKEY_CURRENT_USER, printer.Printer());
    ASSERT_TRUE(user.Write(vixbed::ProgramDirectory() + "vixtray.exe /A \"" + kept + "\""));
    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", "/A \"" + kept + "\""));
    EXPECT_EQ(agent.WaitExit(15000), 0);
    EXPECT_TRUE(trace.Has("MainFrame.StartUp() : Result : -1")) << trace.Text();
    if (GetParam().traced) EXPECT_TRUE(trace.Has(GetParam().traced)) << trace.Text();
    EXPECT_FALSE(user.Exists());
    EXPECT_FALSE(TempFileExists(kept));
    EXPECT_EQ(printer.TargetDword("TrayIconEnable"), 0u);
    EXPECT_TRUE(WindowsOf(agent.Pid()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrayAgentEnds,
    ::testing::Values(
        EndCase{"IconSwitchedOff", [](TrayPrinter& p) { ASSERT_TRUE(p.SetTargetDword("TrayIconEnable", 0)); },
                nullptr},
        EndCase{"MonitoringSwitchedOff",
                [](TrayPrinter& p) { ASSERT_TRUE(SetPrinterDword(p.Printer(), "VIXSetting", 1)); },
                "Vix is invalid."},
        EndCase{"NoProfile",
                [](TrayPrinter& p) {
                    ASSERT_TRUE(DeleteFileA(p.Bed().ProfilePath().c_str()));
                    ASSERT_TRUE(vixbed::UnregisterProfile(p.Model()));
                },
                nullptr}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

TEST_F(TrayAgent, MissingResourceLibraryIsReportedAndTakesTheStartupEntry) {
    ASSERT_TRUE(DeleteFileA((printer.Bed().InstallDir() + "\\ZVRES_EN.DLL").c_str()));
    RunValue user(HKEY_CURRENT_USER, printer.Printer());
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /P5 \"x\""));
    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", Long()));
    MessageBoxSeen box;
    ASSERT_TRUE(WaitMessageBox(agent.Pid(), &box)) << trace.Text();
    EXPECT_EQ(box.text, "Could not find specified file.");
    EXPECT_EQ(box.caption, "ZARVO Vixwatch 3");
    EXPECT_EQ(box.owner, agent.WaitWindow(0)) << "owned by the main window";
    PressOk(box.hWnd);
    EXPECT_EQ(agent.WaitExit(10000), 0);
    EXPECT_FALSE(user.Exists());
}

TEST_F(TrayAgent, UnknownPrinterEndsQuietlyAndTakesOnlyAKeptEntry) {
    // A plain start for a printer that does not exist.
    AgentRun plain;
    ASSERT_TRUE(plain.Start("vixtray.exe", LongArgs("VixBed No Such Printer", "USB001", printer.Model())));
    EXPECT_EQ(plain.WaitExit(15000), 0);
    EXPECT_TRUE(trace.Has("InitInstance : printer not found")) << trace.Text();
    EXPECT_TRUE(WindowsOf(plain.Pid()).empty());

    // A parameter file ("/F") naming it: read, deleted, and the end is quiet.
    AgentRun fromFile;
    ASSERT_TRUE(fromFile.Start("vixtray.exe", FileArgs("VixBed No Such Printer", "USB001", printer.Model())));
    EXPECT_EQ(fromFile.WaitExit(15000), 0);
    EXPECT_TRUE(WindowsOf(fromFile.Pid()).empty());

    // A start-up entry that keeps its parameter file ("/A").
    std::string kept = KeptParamFile("VixBed No Such Printer", printer.Model());
    RunValue user(HKEY_CURRENT_USER, "VixBed No Such Printer");
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /A \"" + kept + "\""));
    AgentRun fromEntry;
    ASSERT_TRUE(fromEntry.Start("vixtray.exe", "/A \"" + kept + "\""));
    EXPECT_EQ(fromEntry.WaitExit(15000), 0);
    EXPECT_FALSE(user.Exists());
    EXPECT_FALSE(TempFileExists(kept));
}

TEST_F(TrayAgent, RunValueNamingAGoneParameterFileIsRemoved) {
    std::string gone = KeptParamFile(printer.Printer(), printer.Model());
    ASSERT_TRUE(DeleteFileA((vixtest::TempDir() + gone).c_str()));
    RunValue user(HKEY_CURRENT_USER, "VixBed Entry Of A Gone File");
    RunValue other(HKEY_CURRENT_USER, "VixBed Another Entry");
    ASSERT_TRUE(other.Write("C:\\vixtray.exe /A \"Z_Sother.tmp\""));
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /A \"" + gone + "\""));
    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", "/A \"" + gone + "\""));
    EXPECT_EQ(agent.WaitExit(15000), 0);
    EXPECT_FALSE(user.Exists()) << "found by the file its text names";
    EXPECT_TRUE(other.Exists());
}

TEST_F(TrayAgent, NoModelIdEndsQuietly) {
    RunValue user(HKEY_CURRENT_USER, printer.Printer());
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /P5 \"x\""));
    AgentRun agent;
    // No "/M", and the printer's driver key names no "ModelID".
    vixbed::DriverKeySpec key = printer.Bed().Key();
    key.strings.erase("ModelID");
    ASSERT_TRUE(vixbed::RemoveDriverKey(printer.Driver()));
    ASSERT_TRUE(vixbed::WriteDriverKey(key));
    ASSERT_TRUE(agent.Start("vixtray.exe", "/P \"" + printer.Printer() + "\" /EF \"HKCU\""));
    EXPECT_EQ(agent.WaitExit(15000), 0);
    EXPECT_TRUE(trace.Has("InitInstance : no model id")) << trace.Text();
    EXPECT_TRUE(user.Exists());
}

TEST_F(TrayAgent, DefaultEntryAndPreferencesStartTheLauncherWithAParameterFile) {
    AgentRun agent;
    StartRunning(agent, Long());
    HWND hWnd = agent.WaitWindow();
    PostMessageA(hWnd, WM_COMMAND, 900, 0);
    ASSERT_TRUE(launches.WaitRecords(1)) << trace.Text();
    PostMessageA(hWnd, WM_COMMAND, 901, 0);
    ASSERT_TRUE(launches.WaitRecords(2)) << trace.Text();
    PostMessageA(hWnd, WM_TRAYICON_NOTIFY, 0, WM_LBUTTONDBLCLK);
    ASSERT_TRUE(launches.WaitRecords(3)) << trace.Text();

    auto records = launches.Records();
    const std::vector<std::string> lines = {"/P \"" + printer.Printer() + "\"", "/D \"" + printer.Driver() + "\"",
                                            "/O \"USB001\"", "/M \"" + printer.Model() + "\""};
    for (std::size_t i = 0; i < 3; ++i) {
        const LaunchRecord& r = records[i];
        bool bPreferences = i == 1;
        SCOPED_TRACE(i);
        EXPECT_EQ(r["program"], "VIXRUN2.EXE");
        // The launcher path, a blank, "/F" and the quoted bare file name.
        EXPECT_EQ(r["cmdline"], Launcher("VIXRUN2.EXE") + " /F \"" + r["file"] + "\"");
        EXPECT_EQ(r["file"].compare(0, 3, "Z_S"), 0) << r["file"];
        std::vector<std::string> expected = lines;
        if (bPreferences) expected.push_back("/E");
        EXPECT_EQ(r.fileLines, expected);
        EXPECT_EQ(r["fileleft"], "0") << "the launcher deleted it";
        EXPECT_EQ(r["printer"], printer.Printer());
        EXPECT_EQ(r["open"], bPreferences ? "preferences" : "status");
    }
}

TEST_F(TrayAgent, MissingLauncherIsReportedAndTheAgentRunsOn) {
    ASSERT_TRUE(DeleteFileA(Launcher("VIXRUN2.EXE").c_str()));
    AgentRun agent;
    StartRunning(agent, Long());
    HWND hWnd = agent.WaitWindow();
    struct Case {
        WPARAM command;
        const char* text;
    } cases[] = {{900, "\nUnable to open Printer Status window for this printer."},
                 {901, "\nUnable to open Monitoring Preferences window for this printer."}};
    for (const Case& c : cases) {
        PostMessageA(hWnd, WM_COMMAND, c.command, 0);
        MessageBoxSeen box;
        ASSERT_TRUE(WaitMessageBox(agent.Pid(), &box));
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, "ZARVO Vixwatch 3");
        EXPECT_EQ(box.owner, hWnd);
        PressOk(box.hWnd);
        for (int i = 0; i < 50 && IsWindow(box.hWnd); ++i) Sleep(100);
        EXPECT_TRUE(agent.Running());
    }
    EXPECT_TRUE(launches.Records().empty());
}

TEST_F(TrayAgent, ExtraEntryStartsItsProgramWithThePrinterSwitches) {
    std::string aux = printer.Bed().InstallDir() + "\\ZVAUX.EXE";
    ASSERT_TRUE(CopyFileA((vixbed::ProgramDirectory() + "traystub.exe").c_str(), aux.c_str(), FALSE));
    vixbed::DriverKeySpec key = printer.Bed().Key();
    key.menu["920"] = aux + " /MODE 1";
    ASSERT_TRUE(vixbed::WriteDriverKey(key));
    AgentRun agent;
    StartRunning(agent, Long());
    PostMessageA(agent.WaitWindow(), WM_COMMAND, 920, 0);
    EXPECT_EQ(launches.WaitStubCommandLine(),
              aux + " /MODE 1 /P \"" + printer.Printer() + "\" /M \"" + printer.Model() + "\" /D \"" +
                  printer.Driver() + "\" /O \"USB001\"");
    EXPECT_TRUE(trace.Has("CMainFrame::OnAux : id : 920")) << trace.Text();
}

TEST_F(TrayAgent, PortOnlyPrinterUsesThePortNameEverywhere) {
    std::string port = "VIXPORT" + std::to_string(GetCurrentProcessId());
    char target[260];
    ASSERT_EQ(vix::CreateTarget(port.c_str(), true, target, sizeof(target)), vix::TARGET_CREATED);
    struct TargetGone {
        std::string path;
        ~TargetGone() { vix::RemoveTarget(path.c_str()); }
    } targetGone{target};
    {
        vix::RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, target, false, KEY_ALL_ACCESS));
        ASSERT_TRUE(k.WriteDword("TrayIconEnable", 1));
    }
    ASSERT_TRUE(printer.SetProfile("TrayIconEndTime", "200"));
    RunValue user(HKEY_CURRENT_USER, port);
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /P5 \"x\""));

    // A parameter file with the port, the driver and the model.
    vix::cmdInfo info;
    vix::CopyText(info.m_szDriverName, printer.Driver(), vix::TextFit::Cut);
    ASSERT_EQ(info.WriteParamFile("", port.c_str(), printer.Model().c_str()), 1);
    AgentRun agent;
    StartRunning(agent, vix::cmdline::CoreToTrayWithFile("", info.m_szParamFile));
    HWND hWnd = agent.WaitWindow();

    TableWatch table;
    ASSERT_TRUE(table.Open("VixV3MapFile_02", vix::table::kShortRecordSize));
    EXPECT_EQ(table.TraySlot(port), static_cast<long long>(reinterpret_cast<ULONG_PTR>(hWnd)));
    EXPECT_TRUE(trace.WaitFor("CMainFrame::OnTimer : Printer check")) << trace.Text();
    Sleep(500);
    EXPECT_TRUE(agent.Running()) << "a port has no printer to lose";
    EXPECT_TRUE(user.Exists());

    PostMessageA(hWnd, WM_COMMAND, 900, 0);
    ASSERT_TRUE(launches.WaitRecords(1));
    auto r = launches.Records().front();
    EXPECT_EQ(r["printer"], "");
    EXPECT_EQ(r["port"], port);
    EXPECT_EQ(agent.Close(), 0);
    EXPECT_EQ(table.TraySlot(port), -1);
}

// A printer seen for the first time: its target key is made and filled by
// the core library's PrSetRegDefaultValue from the profile (icon on,
// choice 1).
TEST(TrayAgentNewPrinter, GetsItsTargetFromTheCoreLibrary) {
    AgentTrace trace;
    TrayPrinter printer;
    ASSERT_TRUE(printer.Create(false));
    ASSERT_EQ(printer.TargetKey(), "");
    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", LongArgs(printer.Printer(), printer.Port(), printer.Model())));
    ASSERT_TRUE(trace.WaitAnotherRunning()) << trace.Text();
    EXPECT_TRUE(trace.Has("CMainFrame::StartUp : FindOrCreateTarget : 0"));
    EXPECT_NE(printer.TargetKey(), "");
    EXPECT_EQ(printer.TargetDword("TrayIconEnable"), 1u);
    EXPECT_EQ(printer.TargetDword("TrayIconSelected"), 1u);
    EXPECT_EQ(agent.Close(), 0);
}

// A port-only start that ends with the icon switched off takes the Run
// value named by the port.
TEST_F(TrayAgent, PortOnlyStartWithTheIconOffTakesThePortsEntry) {
    std::string port = "VIXPORT" + std::to_string(GetCurrentProcessId());
    char target[260];
    ASSERT_EQ(vix::CreateTarget(port.c_str(), true, target, sizeof(target)), vix::TARGET_CREATED);
    struct TargetGone {
        std::string path;
        ~TargetGone() { vix::RemoveTarget(path.c_str()); }
    } targetGone{target};
    {
        vix::RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, target, false, KEY_ALL_ACCESS));
        ASSERT_TRUE(k.WriteDword("TrayIconEnable", 0));
    }
    RunValue user(HKEY_CURRENT_USER, port);
    ASSERT_TRUE(user.Write("C:\\vixtray.exe /P5 \"x\""));
    vix::cmdInfo info;
    vix::CopyText(info.m_szDriverName, printer.Driver(), vix::TextFit::Cut);
    ASSERT_EQ(info.WriteParamFile("", port.c_str(), printer.Model().c_str()), 1);
    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", vix::cmdline::CoreToTrayWithFile("", info.m_szParamFile)));
    EXPECT_EQ(agent.WaitExit(15000), 0);
    EXPECT_TRUE(trace.Has("MainFrame.StartUp() : Result : -1")) << trace.Text();
    EXPECT_FALSE(user.Exists());
}
