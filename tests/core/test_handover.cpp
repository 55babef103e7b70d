// The hand-over between processes while a job prints: the driver stand-in
// (a process of its own) prints a job through vixcore.dll and leaves each
// tick's reply in the printer's target key, where this process, standing in
// for a status window, reads it; the printer runs out of paper in the
// middle of the job and is given paper again.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/monitor_settings.h"
#include "emu/bed_state.h"
#include "foundation/handles.h"
#include "foundation/registry_key.h"
#include "foundation/targets.h"
#include "support/bed_fixture.h"

using vixtest::BedPrinter;

namespace {

std::string ProgramDir() {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

// A program of the bench run with its output in a file.
class Child {
public:
    bool Start(const std::string& commandLine, const std::string& outFile) {
        m_out = outFile;
        SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
        vix::UniqueHandle hOut(CreateFileA(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                           CREATE_ALWAYS, 0, nullptr));
        if (!hOut) return false;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = hOut.Get();
        si.hStdError = hOut.Get();
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        PROCESS_INFORMATION pi = {};
        std::string cmd = commandLine;
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return false;
        CloseHandle(pi.hThread);
        m_hProcess.Reset(pi.hProcess);
        return true;
    }
    // The exit code, or -1 when it did not end in time (it is then ended).
    long Wait(DWORD ms) {
        if (WaitForSingleObject(m_hProcess.Get(), ms) != WAIT_OBJECT_0) {
            TerminateProcess(m_hProcess.Get(), 99);
            WaitForSingleObject(m_hProcess.Get(), 5000);
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(m_hProcess.Get(), &code);
        return static_cast<long>(code);
    }
    bool Running() const { return WaitForSingleObject(m_hProcess.Get(), 0) == WAIT_TIMEOUT; }
    std::string Output() const {
        std::ifstream in(m_out, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    ~Child() {
        if (m_hProcess && Running()) Wait(0);
        DeleteFileA(m_out.c_str());
    }

private:
    vix::UniqueHandle m_hProcess;
    std::string m_out;
};

// Polls until the condition holds or the time is up.
template <class F>
bool WaitUntil(DWORD ms, F&& f) {
    for (DWORD waited = 0; waited < ms; waited += 50) {
        if (f()) return true;
        Sleep(50);
    }
    return f();
}

class HandoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPrinter);
        m_printer.Emu().channels = {{0x00000004, 0x0004}, {0x10000005, 0x0007}, {0x10010003, 0x0003}};
        ASSERT_TRUE(m_printer.Create());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, vix::kTargetRootPrinter); }
    void Set(const char* preset) {
        vixbed::BedLock lock;
        vixbed::EmuPrinterSpec spec;
        ASSERT_TRUE(vixbed::LoadEmuPrinter(m_printer.Printer(), &spec));
        ASSERT_TRUE(vixbed::ApplyPreset(preset, spec.condition));
        ASSERT_TRUE(vixbed::SaveCondition(m_printer.Printer(), spec.condition));
    }
    std::string StoredReply() {
        char path[260];
        std::vector<BYTE> reply;
        if (vix::FindTarget(m_printer.Printer().c_str(), false, path, sizeof(path)) != vix::TARGET_FOUND ||
            !vix::ReadStoredStatus(path, &reply, nullptr)) {
            return std::string();
        }
        return std::string(reply.begin(), reply.end());
    }
    DWORD ComStatus() { return vix::GetComStatus(m_printer.Printer().c_str(), ""); }
    bool MappingExists() {
        std::string name = "Z_VIXS_" + m_printer.Printer();
        vix::UniqueHandle h(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
        return static_cast<bool>(h);
    }
    BedPrinter m_printer;
};

TEST_F(HandoverTest, PaperRunsOutInTheMiddleOfAJob) {
    Child driver;
    const std::string out = vixtest::TempDir() + vixtest::UniqueName("drvjob") + ".txt";
    ASSERT_TRUE(driver.Start("\"" + ProgramDir() + "drvstub.exe\" job \"" + m_printer.Printer() +
                                 "\" --pages 3 --interval 150 --max-ticks 200",
                             out));
    // The driver's ticks arrive here: the reply, and "ComStatus" 1.
    ASSERT_TRUE(WaitUntil(20000, [&] { return StoredReply().find("ST:0") != std::string::npos; }))
        << driver.Output();
    EXPECT_EQ(1u, ComStatus());
    EXPECT_TRUE(MappingExists());
    Set("paperout");
    ASSERT_TRUE(WaitUntil(10000, [&] { return StoredReply().find("ER:06") != std::string::npos; }))
        << driver.Output();
    // While the paper is out, every value read is a whole reply, and the job
    // does not go on.
    for (int i = 0; i < 20; ++i) {
        std::string reply = StoredReply();
        ASSERT_EQ(0u, reply.find("@BDC ST\r\n")) << reply;
        ASSERT_EQ('\x0C', reply.back());
        Sleep(20);
    }
    EXPECT_TRUE(driver.Running());
    EXPECT_TRUE(MappingExists());
    Set("ready");
    ASSERT_EQ(0, driver.Wait(30000)) << driver.Output();
    const std::string log = driver.Output();
    EXPECT_NE(std::string::npos, log.find("PrMonitoringStart = 0")) << log;
    EXPECT_NE(std::string::npos, log.find("PrGetChannel = 0, status channel 0x00000004, read/write channel 0x10010003"))
        << log;
    // The paper-out ticks: status 5, simple status 3, a popup and a sound as
    // the profile's notification defaults decide for category 12.
    EXPECT_NE(std::string::npos, log.find("PrGetStatus = 1 popup 1 sound 1 printing 1 real 5 simple 3")) << log;
    EXPECT_NE(std::string::npos, log.find("page 3/3")) << log;
    EXPECT_NE(std::string::npos, log.find("job finished")) << log;
    EXPECT_NE(std::string::npos, log.find("PrMonitoringEnd = 0")) << log;
    EXPECT_FALSE(MappingExists());
}

TEST_F(HandoverTest, UserSettingsOfAnotherProcessDecideThePopup) {
    // The user switched paper-out popups off in the preferences (another
    // process) before the job: the driver's ticks show no popup.
    bool bUsePort = false;
    char path[260];
    ASSERT_EQ(0, vix::FindOrCreateTarget(m_printer.Printer().c_str(), "USB001", m_printer.Model().c_str(), &bUsePort,
                                         path, sizeof(path)));
    vix::RegistryKey notify;
    ASSERT_TRUE(notify.Open(HKEY_CURRENT_USER, (std::string(path) + "\\Notify").c_str(), false, KEY_ALL_ACCESS));
    ASSERT_TRUE(notify.WriteDword("012", 0));
    Set("paperout");
    Child driver;
    const std::string out = vixtest::TempDir() + vixtest::UniqueName("drvjob") + ".txt";
    ASSERT_TRUE(driver.Start("\"" + ProgramDir() + "drvstub.exe\" job \"" + m_printer.Printer() +
                                 "\" --pages 1 --interval 100 --max-ticks 3",
                             out));
    EXPECT_EQ(1, driver.Wait(30000));  // the job could not finish
    const std::string log = driver.Output();
    EXPECT_NE(std::string::npos, log.find("tick 3: PrGetStatus = 1 popup 0 sound 0 printing 1 real 5 simple 3")) << log;
    EXPECT_NE(std::string::npos, log.find("job NOT finished")) << log;
}

}  // namespace
