// What differs between the three tray agent builds, each as a real process:
// printer tables, launchers, the trace line, the tip check, the bitmap
// library, a table that cannot be made, and the files' own resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "foundation/file_version.h"
#include "foundation/printer_table_records.h"
#include "foundation/targets.h"
#include "provision/provision.h"
#include "tray/tray_bench.h"

using namespace traytest;

namespace {

struct Build {
    const char* file;
    const char* table;
    std::size_t recordSize;
    const char* launcher;
};
const Build kBuilds[] = {
    {"vixtray.exe", "VixV3MapFile_02", vix::table::kShortRecordSize, "VIXRUN2.EXE"},
    {"vixtrayw.exe", "VixV3MapFile", vix::table::kShortRecordSize, "VIXRUN1.EXE"},
    {"vixtray4.exe", "VixV4MapFile_Ink", vix::table::kLongRecordSize, "VIXRUN4.EXE"},
};
void PrintTo(const Build& b, std::ostream* os) { *os << b.file; }

class TrayBuildFixture : public ::testing::Test {
protected:
    void Start(AgentRun& agent, const char* build) {
        ASSERT_TRUE(agent.Start(build, LongArgs(printer.Printer(), printer.Port(), printer.Model())));
    }
    void StartRunning(AgentRun& agent, const char* build) {
        Start(agent, build);
        ASSERT_TRUE(trace.WaitAnotherRunning()) << trace.Text();
        ASSERT_NE(agent.WaitWindow(), nullptr) << trace.Text();
    }
    AgentTrace trace;
    LaunchLog launches;
    TrayPrinter printer;
};

class EachBuild : public TrayBuildFixture, public ::testing::WithParamInterface<Build> {};

long long SlotOf(HWND h) { return static_cast<long long>(reinterpret_cast<ULONG_PTR>(h)); }

}  // namespace

TEST_P(EachBuild, RegistersInItsTableStartsItsLauncherAndTracesItsLines) {
    ASSERT_TRUE(printer.Create());
    const Build& b = GetParam();
    AgentRun agent;
    StartRunning(agent, b.file);
    HWND hWnd = agent.WaitWindow();
    TableWatch table;
    ASSERT_TRUE(table.Open(b.table, b.recordSize)) << b.table;
    EXPECT_EQ(table.TraySlot(printer.Printer()), SlotOf(hWnd));

    // The launcher of the build, from the install directory (no "Z_SRUN").
    PostMessageA(hWnd, WM_COMMAND, 900, 0);
    ASSERT_TRUE(launches.WaitRecords(1)) << trace.Text();
    EXPECT_EQ(launches.Records().front()["program"], b.launcher);

    // vixtray4 starts its trace lines with the process id.
    char pid[16];
    std::snprintf(pid, sizeof(pid), "%08X:", static_cast<unsigned>(agent.Pid()));
    std::string text = trace.Text();
    bool bPidLines = std::string(b.file) == "vixtray4.exe";
    EXPECT_EQ(text.compare(0, 9, pid) == 0, bPidLines) << text.substr(0, 40);
    EXPECT_EQ(text.find(" : InitInstance") != std::string::npos, !bPidLines);
    EXPECT_EQ(agent.Close(), 0);
    EXPECT_EQ(table.TraySlot(printer.Printer()), -1);
}

TEST_P(EachBuild, CarriesItsTitleAndVersion) {
    const Build& b = GetParam();
    std::string path = vixbed::ProgramDirectory() + b.file;
    HMODULE h = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(h, nullptr);
    char title[64] = "";
    LoadStringA(h, 57344, title, sizeof(title));
    FreeLibrary(h);
    std::string name(b.file);
    EXPECT_EQ(title, name.substr(0, name.size() - 4));
    std::string version = vix::GetFileVersionString(path.c_str(), "FileVersion");
    EXPECT_EQ(version.compare(0, 2, name == "vixtray4.exe" ? "4." : "3."), 0) << version;
}

INSTANTIATE_TEST_SUITE_P(Builds, EachBuild, ::testing::ValuesIn(kBuilds),
                         [](const ::testing::TestParamInfo<Build>& info) {
                             std::string n = info.param.file;
                             return n.substr(0, n.size() - 4);
                         });

TEST_F(TrayBuildFixture, Vixtray4AndVixtrayForOnePrinterDoNotSeeEachOther) {
    ASSERT_TRUE(printer.Create());
    AgentRun v3, v4;
    StartRunning(v3, "vixtray.exe");
    StartRunning(v4, "vixtray4.exe");
    Sleep(300);
    EXPECT_TRUE(v3.Running());
    EXPECT_TRUE(v4.Running());
    EXPECT_FALSE(trace.Has("CMainFrame::DuplicationChk : end2")) << trace.Text();
}

TEST_F(TrayBuildFixture, MapFileNameIsTheOneTableOfEveryBuild) {
    std::string name = "VixBedMap" + std::to_string(GetCurrentProcessId());
    printer.Bed().Key().strings["MapFileName"] = name;
    ASSERT_TRUE(printer.Create());
    AgentRun v3, v4;
    StartRunning(v3, "vixtray.exe");
    TableWatch table;
    ASSERT_TRUE(table.Open(name, vix::table::kLongRecordSize));
    EXPECT_EQ(table.TraySlot(printer.Printer()), SlotOf(v3.WaitWindow()));
    Start(v4, "vixtray4.exe");
    EXPECT_EQ(v4.WaitExit(15000), 0);
    EXPECT_TRUE(trace.Has("CMainFrame::DuplicationChk : end2")) << trace.Text();
    EXPECT_TRUE(v3.Running());
}

// The release goes to the table the agent registered in, also when the
// printer (and with it the way to its driver's "MapFileName") is gone.
TEST_F(TrayBuildFixture, DeletedPrinterLeavesNoSlotInItsDriversTable) {
    std::string name = "VixBedMap" + std::to_string(GetCurrentProcessId());
    printer.Bed().Key().strings["MapFileName"] = name;
    ASSERT_TRUE(printer.Create());
    ASSERT_TRUE(printer.SetProfile("TrayIconEndTime", "300"));
    AgentRun agent;
    StartRunning(agent, "vixtray.exe");
    TableWatch table;
    ASSERT_TRUE(table.Open(name, vix::table::kLongRecordSize));
    ASSERT_EQ(table.TraySlot(printer.Printer()), SlotOf(agent.WaitWindow()));
    ASSERT_TRUE(printer.RemovePrinter());
    EXPECT_EQ(agent.WaitExit(6000), 0);
    EXPECT_EQ(table.TraySlot(printer.Printer()), -1);
}

// A table name that another kind of object already holds: no mapping.
TEST_F(TrayBuildFixture, TableThatCannotBeMadeStopsVixtrayButNotVixtray4) {
    std::string name = "VixBedMap" + std::to_string(GetCurrentProcessId());
    printer.Bed().Key().strings["MapFileName"] = name;
    ASSERT_TRUE(printer.Create());
    vix::UniqueHandle blocker(CreateMutexA(nullptr, FALSE, name.c_str()));
    ASSERT_TRUE(blocker);

    AgentRun v3;
    Start(v3, "vixtray.exe");
    MessageBoxSeen box;
    ASSERT_TRUE(WaitMessageBox(v3.Pid(), &box)) << trace.Text();
    EXPECT_EQ(box.text, "Insufficient memory.");
    EXPECT_EQ(box.caption, "ZARVO Vixwatch 3");
    EXPECT_EQ(box.owner, nullptr);
    PressOk(box.hWnd);
    EXPECT_EQ(v3.WaitExit(10000), 0);
    EXPECT_TRUE(trace.Has("MainFrame.StartUp() : Result : 0")) << trace.Text();

    // vixtray4 runs on without single-instance protection.
    AgentRun v4;
    StartRunning(v4, "vixtray4.exe");
    EXPECT_TRUE(trace.Has("exit : SethWindow")) << trace.Text();
    EXPECT_TRUE(trace.Has("result : -1")) << "the window step finds no table";
}

TEST_F(TrayBuildFixture, Vixtray4NeedsTheWholeNameInTheTip) {
    printer.Bed().Emu().printer = "VixBed Printer With A Name Of Seventy Characters " + std::to_string(GetCurrentProcessId());
    printer.Bed().Emu().printer.resize(70, 'x');
    ASSERT_TRUE(printer.Create());
    RunValue user(HKEY_CURRENT_USER, printer.Printer());
    ASSERT_TRUE(user.Write("C:\\vixtray4.exe /P5 \"x\""));

    AgentRun v4;
    Start(v4, "vixtray4.exe");
    EXPECT_EQ(v4.WaitExit(15000), 0);
    EXPECT_TRUE(trace.Has("MainFrame.StartUp() : Result : 0")) << trace.Text();
    EXPECT_TRUE(user.Exists()) << "a quiet end leaves the start-up entry";

    AgentRun v3;
    StartRunning(v3, "vixtray.exe");  // its tip is cut to 63 characters
}

TEST_F(TrayBuildFixture, Vixtray4TakesTheMenuBitmapsFromTheBitmapLibrary) {
    printer.Bed().Key().menu["920"] = "C:\\windows\\notepad.exe";
    ASSERT_TRUE(printer.Create());
    std::string library = printer.Bed().InstallDir() + "\\ZVBMP.DLL";
    {
        AgentRun v4;
        StartRunning(v4, "vixtray4.exe");
        ASSERT_TRUE(trace.WaitFor("CMainFrame::StartUp : menu entry : 920")) << trace.Text();
        EXPECT_TRUE(trace.Has("CMainFrame::StartUp : bitmap library : " + library)) << trace.Text();
    }
    // Not for vixtray, and not when the profile names none.
    for (const char* build : {"vixtray.exe", "vixtray4.exe"}) {
        if (std::string(build) == "vixtray4.exe") ASSERT_TRUE(printer.SetProfile("BmpDll", ""));
        trace.Clear();
        AgentRun agent;
        StartRunning(agent, build);
        ASSERT_TRUE(trace.WaitFor("CMainFrame::StartUp : menu entry : 920")) << trace.Text();
        EXPECT_FALSE(trace.Has("bitmap library")) << build;
    }
}
