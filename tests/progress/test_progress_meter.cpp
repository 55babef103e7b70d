// CProgressMeter with its real worker thread against the bench's interface
// library (and, for a server printer, the service as a second process).
// Tests that must not depend on Wine's spooler turn the spooler check off
// with the "EnableProgress" switch; the spooler-check and RPC tests spool
// real jobs.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <ostream>
#include <string>
#include <thread>

#include "foundation/registry_key.h"
#include "progress/progress_meter.h"
#include "progress/wait_dialog.h"
#include "progress/zvma_interface.h"
#include "progress_fixture.h"
#include "provision/provision.h"
#include "support/bed_fixture.h"

using namespace vix;
using vixtest::EmuQueue;
using vixtest::Eventually;
using vixtest::HasCall;
using vixtest::ModuleCalls;
using vixtest::NoticeWindow;
using vixtest::ScopedRegDword;
using vixtest::ServiceProcess;
using vixtest::UniqueName;

namespace {

constexpr DWORD kWait = 15000;
constexpr DWORD kStatusMask = 0xFFFFFFFAu;

// Waits until the meter's block is valid for the job.
bool Followed(CProgressMeter& meter, DWORD winJob) {
    return Eventually(
        [&] {
            ProgressInfo info;
            return meter.GetJobStatus(&info) && info.dwJobId == winJob;
        },
        kWait);
}

template <class T>
T At(const unsigned char* block, std::size_t offset) {
    T v;
    std::memcpy(&v, block + offset, sizeof(v));
    return v;
}

// A meter on an emulated queue, with the spooler check off.
class Meter : public ::testing::Test {
protected:
    Meter() : spoolerOff(HKEY_LOCAL_MACHINE, kDebugKey, kEnableProgressValue, 1), q(printer) {}

    void Start(DWORD mask = kStatusMask) {
        ASSERT_EQ(meter.SetPrinter(printer.c_str(), "USB001"), 1);
        meter.SetMeterParam(PM_PARAM_NOTICE_WINDOW, reinterpret_cast<ULONG_PTR>(wnd.Handle()));
        meter.SetMeterParam(PM_PARAM_AUTOCLEAR_MASK, mask);
    }
    bool Followed(DWORD winJob) { return ::Followed(meter, winJob); }
    // Lets n more refreshes of the job pass.
    void Refreshes(int n, DWORD winJob) {
        for (int i = 0; i < n; ++i) {
            wnd.Clear();
            ASSERT_TRUE(wnd.WaitFor(WM_PROGRESSIF_STATUS, winJob, kWait));
        }
    }

    std::string printer = UniqueName("VixBed Meter");
    ScopedRegDword spoolerOff;
    EmuQueue q;
    NoticeWindow wnd;
    CProgressMeter meter;  // goes first: its worker ends before the rest
};

}  // namespace

TEST_F(Meter, SetPrinterOnceAndReadsTheSwitch) {
    Start();
    EXPECT_TRUE(meter.SpoolerCheckOff());
    EXPECT_EQ(meter.SetPrinter("other", "LPT1:"), 0);
    CProgressMeter plain;
    vix::RegistryKey k;
    ASSERT_TRUE(k.Open(HKEY_LOCAL_MACHINE, kDebugKey, true));
    k.WriteDword(kEnableProgressValue, 0);
    EXPECT_EQ(plain.SetPrinter(printer.c_str(), "USB001"), 1);
    EXPECT_FALSE(plain.SpoolerCheckOff());
}

TEST_F(Meter, ListedJobIsNotAddedTwice) {
    Start();
    EXPECT_TRUE(meter.AddPMJob(7, 1));
    EXPECT_FALSE(meter.AddPMJob(7, 2));
    EXPECT_TRUE(meter.AddPMJob(8, 3));
    EXPECT_EQ(meter.GetJobCount(), 2);
}

TEST_F(Meter, FollowsAJobIntoTheBlockAndLetsItGo) {
    DWORD ifJob = q.Add(7, "Report.doc");
    Start();
    ASSERT_TRUE(meter.AddPMJob(7, 0x55));
    ASSERT_TRUE(Followed(7));
    ASSERT_TRUE(wnd.WaitFor(WM_PROGRESSIF_STATUS, 7, kWait));
    EXPECT_EQ(meter.GetCurrentJobId(), 7u);

    // The block as the job panels read it: by offset, from raw bytes.
    ProgressInfo info;
    ASSERT_TRUE(meter.GetJobStatus(&info));
    unsigned char b[148];
    ASSERT_EQ(sizeof(info), sizeof(b));
    std::memcpy(b, &info, sizeof(b));
    EXPECT_EQ(At<uint32_t>(b, 0), 7u);
    EXPECT_EQ(At<uint32_t>(b, 4), 0x55u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 8)), "Report.doc");
    EXPECT_EQ(At<uint16_t>(b, 72), 0x0102);
    EXPECT_EQ(At<uint16_t>(b, 74), 0x0304);
    EXPECT_EQ(At<uint16_t>(b, 76), 0x0506);
    EXPECT_EQ(At<uint32_t>(b, 80), 0u);
    EXPECT_EQ(At<uint32_t>(b, 84), 7u);
    EXPECT_EQ(At<uint32_t>(b, 88), 8u);
    EXPECT_EQ(At<uint32_t>(b, 92), 1u);
    EXPECT_EQ(At<uint32_t>(b, 96), 3u);
    EXPECT_EQ(At<uint32_t>(b, 100), 1u);
    EXPECT_EQ(At<uint32_t>(b, 104), 42u);
    EXPECT_EQ(b[108], 1);  // type 4: bytes 1..34 as the bench answers them
    EXPECT_EQ(b[139], 32);
    EXPECT_EQ(b[140], 33);
    EXPECT_EQ(b[141], 34);
    EXPECT_EQ(At<uint32_t>(b, 144), 1u);

    // Pages move on; the job ends when the service moves past it.
    vixbed::EmuJob j = q.Get(ifJob);
    j.pagesDone = 3;
    ASSERT_TRUE(vixbed::SaveEmuJob(printer, j));
    EXPECT_TRUE(Eventually([&] { return meter.GetJobStatus(&info) && info.dwPagesDone == 3; }, kWait));
    ASSERT_TRUE(vixbed::RemoveEmuJob(printer, ifJob));
    EXPECT_TRUE(Eventually([&] { return meter.GetJobCount() == 0; }, kWait));
    EXPECT_FALSE(meter.GetJobStatus(&info));
    EXPECT_TRUE(Eventually([&] { return !meter.IsWorkerRunning(); }, kWait)) << "no job left: the worker ends";
}

TEST_F(Meter, WorkerStartsOnTheFirstJobOfAnEmptyList) {
    Start();
    EXPECT_FALSE(meter.IsWorkerRunning());
    DWORD ifJob = q.Add(7);
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    EXPECT_TRUE(meter.IsWorkerRunning());
    ASSERT_TRUE(Followed(7));
    ASSERT_TRUE(meter.AddPMJob(8, 0));  // joins the running worker
    DWORD ifJob8 = q.Add(8, "Second.doc");
    ASSERT_TRUE(vixbed::RemoveEmuJob(printer, ifJob));
    ASSERT_TRUE(Followed(8)) << "the running worker takes the next job";
    ASSERT_TRUE(vixbed::RemoveEmuJob(printer, ifJob8));
    ASSERT_TRUE(Eventually([&] { return !meter.IsWorkerRunning(); }, kWait));
    // The next job on the empty list starts a new worker.
    q.Add(9, "Third.doc");
    ASSERT_TRUE(meter.AddPMJob(9, 0));
    EXPECT_TRUE(meter.IsWorkerRunning());
    EXPECT_TRUE(Followed(9));
}

struct CommandCase {
    friend void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    DWORD status;       // the job's status before
    int command;        // 1 pause, 2 resume, 3 delete
    DWORD target;       // 0: the current job
    DWORD writes201;    // commands that reach the job
    DWORD statusAfter;  // paused bit afterwards
    bool deleted;
};

class MeterCommands : public Meter, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(MeterCommands, ReachTheCurrentJobOnly) {
    const CommandCase& c = GetParam();
    DWORD ifJob = q.Add(7, "Report.doc", c.status);
    Start();
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(Followed(7));
    if (c.command == 1) meter.PauseJob(c.target);
    if (c.command == 2) meter.ResumeJob(c.target);
    if (c.command == 3) meter.CancelJob(c.target, 0x10000);
    if (c.deleted) {
        ASSERT_TRUE(Eventually([&] { return !q.Has(ifJob); }, kWait));
        DWORD win = 0, reason = 0;
        ASSERT_TRUE(vixbed::LastDeleted(printer, &win, &reason));
        EXPECT_EQ(win, 7u);
        EXPECT_EQ(reason, 0x10000u);
        EXPECT_TRUE(wnd.WaitFor(WM_PROGRESSIF_STATUS, 7, kWait));
        EXPECT_TRUE(Eventually([&] { return meter.GetJobCount() == 0; }, kWait));
        return;
    }
    if (c.writes201) {
        EXPECT_TRUE(Eventually([&] { return vixbed::WriteCount(printer, ifJob, 201) == c.writes201; }, kWait));
    } else {
        Refreshes(2, 7);
    }
    EXPECT_EQ(vixbed::WriteCount(printer, ifJob, 201), c.writes201);
    EXPECT_EQ(vixbed::WriteCount(printer, ifJob, 202), 0u);
    EXPECT_TRUE(q.Has(ifJob));
    EXPECT_EQ(q.Get(ifJob).status & kJobStatusPaused, c.statusAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MeterCommands,
    ::testing::Values(CommandCase{"Pause", 0, 1, 0, 1, 0x10, false},
                      CommandCase{"PauseNamingTheJob", 0, 1, 7, 1, 0x10, false},
                      CommandCase{"PauseWhenPausedWritesNothing", 0x10, 1, 0, 0, 0x10, false},
                      CommandCase{"PauseWithBit08WritesNothing", 0x08, 1, 0, 0, 0, false},
                      CommandCase{"Resume", 0x10, 2, 0, 1, 0, false},
                      CommandCase{"ResumeWhenRunningWritesNothing", 0, 2, 0, 0, 0, false},
                      CommandCase{"PauseForAnotherJobIsDropped", 0, 1, 99, 0, 0, false},
                      CommandCase{"CancelForAnotherJobIsDropped", 0, 3, 99, 0, 0, false},
                      CommandCase{"Cancel", 0, 3, 0, 1, 0, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Meter, WaitFlagsAreAcknowledgedHandedOutAndCleared) {
    DWORD ifJob = q.Add(7, "Report.doc", 0, 0x80000005u);
    Start(kStatusMask);
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(wnd.WaitFor(WM_PROGRESSIF_WAIT, 7, kWait));
    EXPECT_TRUE(Eventually([&] { return q.Get(ifJob).wait == 0x5u; }, kWait)) << "bit 31 acknowledged";
    DWORD reason = 0;
    ASSERT_TRUE(meter.GetWaitReason(&reason));
    EXPECT_EQ(reason, 0x1u);
    meter.ClearWaitReason(0x1);
    ASSERT_TRUE(meter.GetWaitReason(&reason));
    EXPECT_EQ(reason, 0x4u);
    EXPECT_TRUE(Eventually([&] { return q.Get(ifJob).wait == 0x4u; }, kWait)) << "the cleared reason reaches the service";
    meter.ClearWaitReason(0x4);
    EXPECT_TRUE(Eventually([&] { return q.Get(ifJob).wait == 0u; }, kWait));
    EXPECT_FALSE(meter.GetWaitReason(&reason));
    EXPECT_TRUE(Followed(7)) << "the job is followed once nothing holds it";
}

TEST_F(Meter, UninterestingReasonsAreClearedAndLeaveNothingToHandle) {
    DWORD ifJob = q.Add(7, "Report.doc", 0, 0x2);
    Start(kStatusMask);
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(Followed(7));
    EXPECT_EQ(q.Get(ifJob).wait, 0u);
    EXPECT_EQ(vixbed::WriteCount(printer, ifJob, 203), 1u) << "one write clears them";
    DWORD reason = 0;
    EXPECT_FALSE(meter.GetWaitReason(&reason));
}

TEST_F(Meter, JobGoneWhileItWaitsEndsTheWait) {
    DWORD ifJob = q.Add(7, "Report.doc", 0, 0x1);
    Start(0);
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(wnd.WaitFor(WM_PROGRESSIF_WAIT, 7, kWait));
    ASSERT_TRUE(vixbed::RemoveEmuJob(printer, ifJob));
    EXPECT_TRUE(Eventually([&] { return meter.GetJobCount() == 0; }, kWait));
    EXPECT_TRUE(wnd.WaitFor(WM_PROGRESSIF_STATUS, 7, kWait));
    DWORD reason = 0;
    EXPECT_FALSE(meter.GetWaitReason(&reason));
}

TEST_F(Meter, LongDocumentNameIsCutTo64WithoutTerminator) {
    vixbed::EmuJob j;
    j.winJobId = 7;
    j.document = std::string(70, 'D');
    j.documentUnterminated = true;
    j.pagesTotal = 1;
    q.Add(j);
    Start();
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(Followed(7));
    ProgressInfo info;
    ASSERT_TRUE(meter.GetJobStatus(&info));
    EXPECT_EQ(std::string(info.szDocument, 64), std::string(64, 'D'));
    EXPECT_EQ(info.dwRemainingValid, 0u) << "type 104 is optional";
    EXPECT_EQ(info.dwRemainingTime, 0u);
}

struct BadSizeCase {
    friend void PrintTo(const BadSizeCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    DWORD type;
    DWORD reportSize;
    bool fail;
};

class MeterBadAnswers : public Meter, public ::testing::WithParamInterface<BadSizeCase> {};

// A required answer of the wrong size (or none) makes every refresh fail;
// the job is still followed and ends normally.
TEST_P(MeterBadAnswers, RefreshFailsButTheWorkerCarriesOn) {
    const BadSizeCase& c = GetParam();
    DWORD ifJob = q.Add(7);
    ASSERT_TRUE(vixbed::SetInfoFault(printer, ifJob, c.type, c.fail, c.reportSize));
    Start();
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    // The worker is inside the job: StartProgress was called.
    ASSERT_TRUE(Eventually([&] { return vixbed::CallCount(printer, ifJob, "StartProgress") == 1; }, kWait));
    wnd.Pump(2500);
    ProgressInfo info;
    EXPECT_FALSE(meter.GetJobStatus(&info));
    EXPECT_EQ(wnd.Count(WM_PROGRESSIF_STATUS), 0);
    ASSERT_TRUE(vixbed::RemoveEmuJob(printer, ifJob));
    EXPECT_TRUE(Eventually([&] { return meter.GetJobCount() == 0; }, kWait));
}

INSTANTIATE_TEST_SUITE_P(Cases, MeterBadAnswers,
                         ::testing::Values(BadSizeCase{"ProgressOfSixBytes", 103, 6, false},
                                           BadSizeCase{"StatusOfEightBytes", 101, 8, false},
                                           BadSizeCase{"Type102Missing", 102, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Meter, WindowsJobIdOfAWrongSizeIsNotTaken) {
    DWORD ifJob = q.Add(7);
    ASSERT_TRUE(vixbed::SetInfoFault(printer, ifJob, 3, false, 2));
    Start();
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    wnd.Pump(3000);
    ProgressInfo info;
    EXPECT_FALSE(meter.GetJobStatus(&info));
    EXPECT_EQ(meter.GetJobCount(), 1);
    EXPECT_TRUE(meter.IsWorkerRunning());
}

TEST_F(Meter, DestroyEndsTheWorkerAndNothingIsPostedAfter) {
    q.Add(7, "Report.doc", 0, 0x1);
    Start(0);
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(wnd.WaitFor(WM_PROGRESSIF_WAIT, 7, kWait));  // the worker sits in the wait loop
    meter.Destroy();
    EXPECT_FALSE(meter.IsWorkerRunning());
    EXPECT_TRUE(ProgressStopFlag());
    wnd.Clear();
    wnd.Pump(1500);
    EXPECT_EQ(wnd.Count(WM_PROGRESSIF_STATUS) + wnd.Count(WM_PROGRESSIF_WAIT), 0);
}

// Meters made while another is destroyed clear the process-wide stop flag;
// the destroyed meter's worker still ends.
TEST_F(Meter, DestroyEndsItsWorkerWhileOtherMetersAreMade) {
    q.Add(7, "Report.doc", 0, 0x1);
    Start(0);
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(wnd.WaitFor(WM_PROGRESSIF_WAIT, 7, kWait));
    volatile LONG done = 0;
    std::thread maker([&] {
        while (!done) {
            CProgressMeter other;
            Sleep(1);
        }
    });
    meter.Destroy();
    done = 1;
    maker.join();
    EXPECT_FALSE(meter.IsWorkerRunning());
}

TEST_F(Meter, NoticeWindowThatIsGoneGetsNothing) {
    q.Add(7);
    Start();
    auto gone = std::make_unique<NoticeWindow>();
    HWND h = gone->Handle();
    meter.SetMeterParam(PM_PARAM_NOTICE_WINDOW, reinterpret_cast<ULONG_PTR>(h));
    gone.reset();
    ASSERT_FALSE(IsWindow(h));
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    EXPECT_TRUE(Followed(7));  // the worker posts to nobody and carries on
    ULONG_PTR v = 0;
    ASSERT_TRUE(meter.GetMeterParam(PM_PARAM_NOTICE_WINDOW, &v));
    EXPECT_EQ(v, reinterpret_cast<ULONG_PTR>(h));
}

// ---- the wait dialog's logic ---------------------------------------------------

struct PrecheckCase {
    friend void PrintTo(const PrecheckCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    DWORD reason;
    DWORD job;
    int result;
};

class WaitDialogPrecheck : public ::testing::TestWithParam<PrecheckCase> {};

TEST_P(WaitDialogPrecheck, DecidesBeforeShowing) {
    CProgressMeter meter;
    CProgressWaitDialog dlg(GetParam().reason, &meter, GetParam().job, nullptr);
    EXPECT_EQ(dlg.Precheck(), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Cases, WaitDialogPrecheck,
                         ::testing::Values(PrecheckCase{"NoJob", 4, 0, 1}, PrecheckCase{"ReasonTwo", 2, 7, 1},
                                           PrecheckCase{"ReasonFour", 4, 7, kWaitDlgKeepOpen}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Meter, WaitDialogTakesTheNoticesAndCancelsTheJob) {
    DWORD ifJob = q.Add(7, "Report.doc", 0, 0x4);
    Start(kStatusMask);
    ASSERT_TRUE(meter.AddPMJob(7, 0));
    ASSERT_TRUE(wnd.WaitFor(WM_PROGRESSIF_WAIT, 7, kWait));
    NoticeWindow dlgWnd;
    CProgressWaitDialog dlg(4, &meter, 7, wnd.Handle());
    ASSERT_EQ(dlg.Precheck(), kWaitDlgKeepOpen);
    wnd.Clear();
    ASSERT_EQ(dlg.Begin(dlgWnd.Handle()), kWaitDlgKeepOpen);
    EXPECT_EQ(wnd.Count(WM_WAITDLG_ANNOUNCE), 1);
    EXPECT_EQ(dlg.OnButton(kWaitDlgCancelButton), kWaitDlgKeepOpen);
    EXPECT_FALSE(dlg.ButtonsEnabled());
    ASSERT_TRUE(Eventually([&] { return !q.Has(ifJob); }, kWait));
    DWORD win = 0, reason = 0;
    ASSERT_TRUE(vixbed::LastDeleted(printer, &win, &reason));
    EXPECT_EQ(reason, kWaitDlgDeleteReason);
    ASSERT_TRUE(dlgWnd.WaitFor(WM_PROGRESSIF_STATUS, 7, kWait)) << "the dialog gets the meter's notices";
    EXPECT_EQ(dlg.OnMessage(WM_PROGRESSIF_STATUS, 0, 7), 2);
    dlg.End();
    EXPECT_EQ(wnd.Count(WM_WAITDLG_ANNOUNCE), 2);
    ULONG_PTR v = 0;
    ASSERT_TRUE(meter.GetMeterParam(PM_PARAM_NOTICE_WINDOW, &v));
    EXPECT_EQ(v, reinterpret_cast<ULONG_PTR>(wnd.Handle()));
}

// ---- with the spooler, the driver key and the service ----------------------------

class MeterSpooled : public ::testing::Test {
protected:
    void StartOn(const std::string& printer) {
        ASSERT_EQ(meter.SetPrinter(printer.c_str(), "USB001"), 1);
        ASSERT_FALSE(meter.SpoolerCheckOff());
        meter.SetMeterParam(PM_PARAM_NOTICE_WINDOW, reinterpret_cast<ULONG_PTR>(wnd.Handle()));
        meter.SetMeterParam(PM_PARAM_AUTOCLEAR_MASK, kStatusMask);
    }
    bool Followed(DWORD winJob) { return ::Followed(meter, winJob); }
    NoticeWindow wnd;
    CProgressMeter meter;
};

TEST_F(MeterSpooled, JobsTheSpoolerNoLongerKnowsAreDropped) {
    vixtest::BedPrinter p;
    ASSERT_TRUE(p.Create());
    EmuQueue q(p.Printer());
    vixtest::SpoolerJob job(p.Printer());
    ASSERT_NE(job.Id(), 0u);
    q.Add(job.Id());
    StartOn(p.Printer());
    ASSERT_TRUE(meter.AddPMJob(job.Id(), 0));
    ASSERT_TRUE(meter.AddPMJob(job.Id() + 5000, 0));
    EXPECT_TRUE(Eventually([&] { return meter.GetJobCount() == 1; }, kWait));
    EXPECT_TRUE(Followed(job.Id()));
}

struct DllCase {
    friend void PrintTo(const DllCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* progressDll;
    const char* level;
};

class MeterLibraryChoice : public MeterSpooled, public ::testing::WithParamInterface<DllCase> {};

TEST_P(MeterLibraryChoice, DriverKeyNamesTheLibraryWithFallBack) {
    vixtest::BedPrinter p;
    p.Key().strings[kProgressDllValue] = GetParam().progressDll;
    ASSERT_TRUE(p.Create());
    EmuQueue q(p.Printer());
    vixtest::SpoolerJob job(p.Printer());
    q.Add(job.Id());
    long long from = vixbed::CallLogSize();
    StartOn(p.Printer());
    ASSERT_TRUE(meter.AddPMJob(job.Id(), 0));
    ASSERT_TRUE(Followed(job.Id()));
    EXPECT_TRUE(HasCall(ModuleCalls(from, "zvpmif10.dll"), "ZVMA_Open", GetParam().level));
}

INSTANTIATE_TEST_SUITE_P(Cases, MeterLibraryChoice,
                         ::testing::Values(DllCase{"NamedLibraryAtLevel2", "zvpmif10.dll", "level=2"},
                                           DllCase{"MissingLibraryFallsBackAtLevel1", "vixbed_missing_pm.dll",
                                                   "level=1"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MeterNoLibrary, OldestJobIsDroppedAndTheWorkerEnds) {
    // A program directory without any interface library: the probe program
    // runs a meter from a directory of its own.
    std::string dir = "C:\\vixbed\\pmprobe" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(vixbed::MakeDirectories(dir));
    std::string exe = dir + "\\pmprobe.exe";
    ASSERT_TRUE(CopyFileA((vixbed::ProgramDirectory() + "pmprobe.exe").c_str(), exe.c_str(), FALSE));
    std::string cmd = "\"" + exe + "\" \"VixBed no printer\" 7 8";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    vixbed::RemoveTree(dir);
    EXPECT_EQ(code, 1u) << "one of two jobs left, the worker ended";
}

struct RemoteCase {
    friend void PrintTo(const RemoteCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* dataType;
    bool rpc;
};

class MeterRemote : public MeterSpooled, public ::testing::WithParamInterface<RemoteCase> {};

// A printer "\\<this computer>\<printer>": an EMF job is followed through
// the service by local RPC, a RAW job through the library.
TEST_P(MeterRemote, ServerPrinterIsFollowedEndToEnd) {
    const RemoteCase& c = GetParam();
    vixtest::BedPrinter p;
    p.SetDataType(c.dataType);
    ASSERT_TRUE(p.Create());
    std::string printer = std::string("\\\\") + LocalComputerName() + "\\" + p.Printer();
    EmuQueue q(printer);
    vixtest::SpoolerJob job(printer, "Remote.doc");
    ASSERT_NE(job.Id(), 0u);
    DWORD ifJob = q.Add(job.Id(), "Remote.doc");
    ServiceProcess svc;
    ASSERT_TRUE(svc.Start());
    long long from = vixbed::CallLogSize();
    StartOn(printer);
    ASSERT_TRUE(meter.AddPMJob(job.Id(), 0));
    ASSERT_TRUE(Followed(job.Id()));
    ProgressInfo info;
    ASSERT_TRUE(meter.GetJobStatus(&info));
    EXPECT_EQ(std::string(info.szDocument), "Remote.doc");
    meter.PauseJob(0);
    EXPECT_TRUE(Eventually([&] { return (q.Get(ifJob).status & kJobStatusPaused) != 0; }, kWait));
    meter.Destroy();
    auto service = ModuleCalls(from, "zvpmsvc.exe");
    auto library = ModuleCalls(from, "zvpmif10.dll");
    if (c.rpc) {
        EXPECT_TRUE(HasCall(service, "ZVMA_Load", "protseq=ncalrpc"));
        EXPECT_TRUE(HasCall(service, "ZVMA_SetJobInfo", "type=201 length=4 value=1"));
        EXPECT_TRUE(HasCall(service, "ZVMA_Free", ""));
        EXPECT_FALSE(HasCall(library, "ZVMA_Open", ""));
    } else {
        EXPECT_TRUE(service.empty());
        EXPECT_TRUE(HasCall(library, "ZVMA_Open", "level=1"));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MeterRemote,
                         ::testing::Values(RemoteCase{"EmfJobByRpc", "NT EMF 1.008", true},
                                           RemoteCase{"RawJobByTheLibrary", "RAW", false}),
                         [](const auto& info) { return std::string(info.param.name); });
