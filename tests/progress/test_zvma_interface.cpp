// CZvmaInterface against the bench's interface library and against the
// progress-meter service running as a second process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>

#include "progress/job_info.h"
#include "progress/zvma_interface.h"
#include "progress_fixture.h"
#include "support/bed_fixture.h"

using namespace vix;
using vixtest::EmuQueue;
using vixtest::HasCall;
using vixtest::ModuleCalls;
using vixtest::ServiceProcess;
using vixtest::UniqueName;

namespace {

std::string QueuePrinter() { return UniqueName("VixBed Queue"); }

// Drives one opened channel through the operations every mode shares.
void ExpectQueueReadable(CZvmaInterface& zvma, const std::string& printer, EmuQueue& q, DWORD ifJob, DWORD winJob) {
    DWORD openAt = winJob;
    HANDLE h = zvma.ZVMA_Open(printer.c_str(), "USB001", 1, &openAt);
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(zvma.ZVMA_Test(h));
    EXPECT_EQ(zvma.ZVMA_GetCurrentJob(h), ifJob);
    EXPECT_TRUE(zvma.ZVMA_TestJob(h, ifJob));
    EXPECT_FALSE(zvma.ZVMA_TestJob(h, ifJob + 100));

    DWORD win = 0, needed = 0;
    EXPECT_TRUE(zvma.ZVMA_GetJobInfo(h, ifJob, ZVM_JOBINFO_WINJOBID, &win, 4, &needed));
    EXPECT_EQ(needed, 4u);
    EXPECT_EQ(win, winJob);

    // Size first, then the text.
    needed = 0;
    zvma.ZVMA_GetJobInfo(h, ifJob, ZVM_JOBINFO_DOCUMENT, nullptr, 0, &needed);
    ASSERT_EQ(needed, std::strlen("Report.doc") + 1);
    char doc[64] = {};
    EXPECT_TRUE(zvma.ZVMA_GetJobInfo(h, ifJob, ZVM_JOBINFO_DOCUMENT, doc, needed, &needed));
    EXPECT_STREQ(doc, "Report.doc");

    DWORD pause = ZVM_COMMAND_PAUSE;
    EXPECT_TRUE(zvma.ZVMA_SetJobInfo(h, ifJob, ZVM_JOBINFO_COMMAND, &pause));
    EXPECT_EQ(q.Get(ifJob).status & kJobStatusPaused, kJobStatusPaused);
    DWORD ack = 0x4;
    EXPECT_TRUE(zvma.ZVMA_SetJobInfo(h, ifJob, ZVM_JOBINFO_WAITFLAG, &ack));
    EXPECT_EQ(q.Get(ifJob).wait, 0x1u);

    EXPECT_TRUE(zvma.ZVMA_StartProgress(h, ifJob));
    EXPECT_TRUE(zvma.ZVMA_EndProgress(h, ifJob));
    EXPECT_TRUE(zvma.ZVMA_Close(h));
}

}  // namespace

TEST(ZvmaLibrary, OperationsByOrdinalOverTheQueue) {
    std::string printer = QueuePrinter();
    EmuQueue q(printer);
    q.Add(5, "Other.doc");
    DWORD ifJob = q.Add(9, "Report.doc", 0, 0x5);
    CZvmaInterface zvma;
    ASSERT_NE(zvma.ZVMA_Load(kDefaultProgressDll, printer.c_str(), 9), nullptr);
    EXPECT_EQ(zvma.GetMode(), CZvmaInterface::MODE_LIBRARY);
    EXPECT_NE(GetModuleHandleA("zvpmif10.dll"), nullptr);
    ExpectQueueReadable(zvma, printer, q, ifJob, 9);
    zvma.ZVMA_Free();
    EXPECT_EQ(GetModuleHandleA("zvpmif10.dll"), nullptr);
}

TEST(ZvmaLibrary, MissingLibraryGivesNoInstance) {
    CZvmaInterface zvma;
    EXPECT_EQ(zvma.ZVMA_Load("vixbed_missing_pm.dll", "any printer", 1), nullptr);
    EXPECT_EQ(zvma.ZVMA_Open("any printer", "USB001", 1, nullptr), nullptr);
    EXPECT_FALSE(zvma.ZVMA_Test(nullptr));
}

class ZvmaRpc : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(svc.Start());
        logFrom = vixbed::CallLogSize();
    }
    std::vector<vixbed::CallRecord> ServiceCalls() const { return ModuleCalls(logFrom, "zvpmsvc.exe"); }

    ServiceProcess svc;
    long long logFrom = 0;
};

TEST_F(ZvmaRpc, LocalComputerNameBindsOverNcalrpc) {
    std::string share = QueuePrinter();
    EmuQueue q(share);
    DWORD ifJob = q.Add(9, "Report.doc", 0, 0x5);
    std::string printer = std::string("\\\\") + LocalComputerName() + "\\" + share;
    CZvmaInterface zvma;
    ASSERT_NE(zvma.LoadRpc(LocalComputerName(), "ncacn_np", printer.c_str(), kDefaultProgressDll), nullptr);
    EXPECT_EQ(zvma.GetMode(), CZvmaInterface::MODE_RPC);
    EXPECT_EQ(zvma.BindingText().rfind("ncalrpc:", 0), 0u) << zvma.BindingText();
    ExpectQueueReadable(zvma, printer, q, ifJob, 9);
    zvma.ZVMA_Free();
    auto calls = ServiceCalls();
    EXPECT_TRUE(HasCall(calls, "ZVMA_Load", "protseq=ncalrpc")) << "the load came by local RPC";
    EXPECT_TRUE(HasCall(calls, "ZVMA_Open", "job=9")) << "the job id travels as 4 bytes of data";
    EXPECT_TRUE(HasCall(calls, "ZVMA_SetJobInfo", "type=201 length=4 value=1"));
    EXPECT_TRUE(HasCall(calls, "ZVMA_Free", ""));
    for (auto& r : calls) {
        if (r.op == "ZVMA_Open") {
            EXPECT_EQ(r.printer, share) << "the server part is not sent";
        }
    }
}

TEST_F(ZvmaRpc, OtherServerNameGoesByTheServicePipe) {
    // The local name in another case is another server to us; Wine's pipe
    // transport still reaches this machine with it.
    std::string server = LocalComputerName();
    for (char& c : server) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (server == LocalComputerName()) GTEST_SKIP() << "the computer name has no letters";
    std::string share = QueuePrinter();
    EmuQueue q(share);
    DWORD ifJob = q.Add(9, "Report.doc", 0, 0x5);
    std::string printer = "\\\\" + server + "\\" + share;
    CZvmaInterface zvma;
    ASSERT_NE(zvma.LoadRpc(server.c_str(), "ncacn_np", printer.c_str(), kDefaultProgressDll), nullptr);
    EXPECT_EQ(zvma.BindingText(), "ncacn_np:" + server + "[\\\\pipe\\\\ZARVO_PM_RPCV2_02]");
    ExpectQueueReadable(zvma, printer, q, ifJob, 9);
    EXPECT_TRUE(HasCall(ServiceCalls(), "ZVMA_Load", "protseq=ncacn_np"));
}

TEST_F(ZvmaRpc, EmptyBufferAndUnknownTypeSendTheDummyText) {
    std::string share = QueuePrinter();
    EmuQueue q(share);
    DWORD ifJob = q.Add(3);
    CZvmaInterface zvma;
    ASSERT_NE(zvma.LoadRpc(".", "ncacn_np", share.c_str(), kDefaultProgressDll), nullptr);
    DWORD at = 3;
    HANDLE h = zvma.ZVMA_Open(share.c_str(), "USB001", 1, &at);
    ASSERT_NE(h, nullptr);
    DWORD needed = 0;
    EXPECT_FALSE(zvma.ZVMA_GetJobInfo(h, ifJob, ZVM_JOBINFO_DOCUMENT, nullptr, 0, &needed));
    EXPECT_EQ(needed, std::strlen("Report.doc") + 1);
    DWORD value = 1;
    EXPECT_FALSE(zvma.ZVMA_SetJobInfo(h, ifJob, 77, &value));
    auto calls = ServiceCalls();
    EXPECT_TRUE(HasCall(calls, "ZVMA_GetJobInfo", "type=1 dummy"));
    EXPECT_TRUE(HasCall(calls, "ZVMA_SetJobInfo", "type=77 length=15 value=0 dummy"));
}

TEST(ZvmaRpcFaults, ServerNotRunningGivesNoInstance) {
    CZvmaInterface zvma;
    EXPECT_EQ(zvma.LoadRpc(".", "ncacn_np", "\\\\.\\nobody", kDefaultProgressDll), nullptr);
    EXPECT_EQ(zvma.ZVMA_Open("nobody", "USB001", 1, nullptr), nullptr);
    std::string other = std::string(LocalComputerName()) + "x";
    CZvmaInterface viaPipe;
    EXPECT_EQ(viaPipe.LoadRpc(other.c_str(), "ncacn_np", "\\\\x\\nobody", kDefaultProgressDll), nullptr);
}

struct DieCase {
    friend void PrintTo(const DieCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* dieIn;
};

class ZvmaRpcDies : public ::testing::TestWithParam<DieCase> {};

TEST_P(ZvmaRpcDies, ServiceEndingMidCallIsAFailedCall) {
    std::string share = QueuePrinter();
    EmuQueue q(share);
    DWORD ifJob = q.Add(3);
    vixtest::ScopedServiceSetting die("DieIn", GetParam().dieIn);
    ServiceProcess svc;
    ASSERT_TRUE(svc.Start());
    {
        CZvmaInterface zvma;
        ASSERT_NE(zvma.LoadRpc(".", "ncacn_np", share.c_str(), kDefaultProgressDll), nullptr);
        DWORD at = 3;
        HANDLE h = zvma.ZVMA_Open(share.c_str(), "USB001", 1, &at);
        ASSERT_NE(h, nullptr);
        DWORD win = 0, needed = 0, cmd = ZVM_COMMAND_PAUSE;
        if (std::string(GetParam().dieIn) == "ZVMA_GetJobInfo") {
            EXPECT_FALSE(zvma.ZVMA_GetJobInfo(h, ifJob, ZVM_JOBINFO_WINJOBID, &win, 4, &needed));
        } else {
            EXPECT_FALSE(zvma.ZVMA_SetJobInfo(h, ifJob, ZVM_JOBINFO_COMMAND, &cmd));
        }
        EXPECT_TRUE(svc.WaitExit(10000));
        EXPECT_FALSE(zvma.ZVMA_GetJobInfo(h, ifJob, ZVM_JOBINFO_WINJOBID, &win, 4, &needed));
        EXPECT_FALSE(zvma.ZVMA_SetJobInfo(h, ifJob, ZVM_JOBINFO_COMMAND, &cmd));
        EXPECT_FALSE(zvma.ZVMA_Test(h)) << "every later call fails too";
        EXPECT_EQ(zvma.ZVMA_GetCurrentJob(h), 0u);
    }  // closing and freeing against a dead service must not raise either
    EXPECT_EQ(q.Get(ifJob).status & kJobStatusPaused, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, ZvmaRpcDies,
                         ::testing::Values(DieCase{"InGetJobInfo", "ZVMA_GetJobInfo"},
                                           DieCase{"InSetJobInfo", "ZVMA_SetJobInfo"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct LoadCase {
    friend void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* dataType;
    int mode;
};

class ZvmaLoadChoice : public ::testing::TestWithParam<LoadCase> {};

// The mode follows the printer name and the spooled job's data type.
TEST_P(ZvmaLoadChoice, ServerPrinterWithEmfJobGoesByRpc) {
    const LoadCase& c = GetParam();
    vixtest::BedPrinter p;
    p.SetDataType(c.dataType);
    ASSERT_TRUE(p.Create());
    std::string printer = std::string("\\\\") + LocalComputerName() + "\\" + p.Printer();
    vixtest::SpoolerJob job(printer);
    ASSERT_NE(job.Id(), 0u);
    ServiceProcess svc;
    ASSERT_TRUE(svc.Start());
    CZvmaInterface zvma;
    EXPECT_NE(zvma.ZVMA_Load(kDefaultProgressDll, printer.c_str(), job.Id()), nullptr);
    EXPECT_EQ(zvma.GetMode(), c.mode);
}

INSTANTIATE_TEST_SUITE_P(Cases, ZvmaLoadChoice,
                         ::testing::Values(LoadCase{"EmfJob", "NT EMF 1.008", CZvmaInterface::MODE_RPC},
                                           LoadCase{"RawJobUsesTheLibrary", "RAW", CZvmaInterface::MODE_LIBRARY}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ZvmaLoadChoice, LocalPrinterUsesTheLibrary) {
    vixtest::BedPrinter p;
    p.SetDataType("NT EMF 1.008");
    ASSERT_TRUE(p.Create());
    vixtest::SpoolerJob job(p.Printer());
    CZvmaInterface zvma;
    EXPECT_NE(zvma.ZVMA_Load(kDefaultProgressDll, p.Printer().c_str(), job.Id()), nullptr);
    EXPECT_EQ(zvma.GetMode(), CZvmaInterface::MODE_LIBRARY);
}
