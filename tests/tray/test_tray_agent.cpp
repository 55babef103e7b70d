// The tray agent as a real process on a Wine desktop with a notification
// area: single instance, the ends it comes to, the start-up entries it
// removes, and the programs its menu starts.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/param_file.h"
#include "foundation/printer_table_records.h"
#include "tray/tray_bench.h"

using namespace traytest;

namespace {

constexpr UINT WM_TRAYICON_NOTIFY = WM_USER + 100;
constexpr UINT WM_TRAY_RELOAD_ICON = WM_USER + 200;

class TrayAgent : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(printer.Create()); }

    std::string Long(bool bRemove = false) const {
        return LongArgs(printer.Printer(), printer.Port(), printer.Model(), bRemove);
    }

    AgentTrace trace;
    LaunchLog launches;
    TrayPrinter printer;
};

}  // namespace

TEST_F(TrayAgent, RunsHiddenAndHoldsItsSlotInThePrinterTable) {
    AgentRun agent;
    ASSERT_TRUE(agent.Start("vixtray.exe", Long()));
    HWND hWnd = agent.WaitWindow();
    ASSERT_NE(hWnd, nullptr);
    ASSERT_TRUE(trace.WaitFor("MainFrame.StartUp() : Result : 1")) << trace.Text();
    char title[64] = "";
    GetWindowTextA(hWnd, title, sizeof(title));
    EXPECT_STREQ(title, "VIX3 TrayIcon");
    EXPECT_FALSE(IsWindowVisible(hWnd));

    TableWatch table;
    ASSERT_TRUE(table.Open("VixV3MapFile_02", vix::table::kShortRecordSize));
    EXPECT_EQ(table.TraySlot(printer.Printer()), static_cast<long long>(reinterpret_cast<ULONG_PTR>(hWnd)));

    EXPECT_EQ(agent.Close(), 0);
    EXPECT_EQ(table.TraySlot(printer.Printer()), -1) << "the record is free again";
    EXPECT_TRUE(trace.Has("WM_CLOSE")) << trace.Text();
    EXPECT_TRUE(trace.Has("WM_DESTROY"));
    EXPECT_TRUE(trace.Has("***** LOG END ******"));
}
