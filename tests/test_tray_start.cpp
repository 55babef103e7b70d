// The core library's end-of-preferences step against the bench's stand-in
// tray agent, which records how it was started.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/tray_start.h"
#include "foundation/param_file.h"
#include "foundation/registry_key.h"
#include "support/bed_fixture.h"

using vix::RegistryKey;
using vix::core::kRunKey;
using vix::core::UpdateTrayAgent;
namespace cmdline = vix::cmdline;

namespace {

// The HKCU Run value of a name, removed when the test ends.
class RunValue {
public:
    explicit RunValue(std::string name) : m_name(std::move(name)) {}
    ~RunValue() {
        RegistryKey k;
        if (k.Open(HKEY_CURRENT_USER, kRunKey, false, KEY_ALL_ACCESS)) k.DeleteValue(m_name.c_str());
    }
    bool Exists() const {
        RegistryKey k;
        return k.Open(HKEY_CURRENT_USER, kRunKey) && k.ValueSize(m_name.c_str()) > 0;
    }
    std::string Read(DWORD* type = nullptr) const {
        RegistryKey k;
        if (!k.Open(HKEY_CURRENT_USER, kRunKey)) return std::string();
        if (type) {
            *type = 0;
            RegQueryValueExA(k.Handle(), m_name.c_str(), nullptr, type, nullptr, nullptr);
        }
        return k.ReadString(m_name.c_str());
    }
    void Write(const char* text) const {
        RegistryKey k;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, kRunKey, true));
        ASSERT_TRUE(k.WriteString(m_name.c_str(), text));
    }

private:
    std::string m_name;
};

// How the stand-in agent was started.
struct StubRecord {
    std::string commandLine, fileName, fileText;
};

class TrayStart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_printer.Create());
        m_agent = m_printer.InstallDir() + "\\VIXICN2.EXE";
        ASSERT_TRUE(CopyFileA((vixbed::ProgramDirectory() + "traystub.exe").c_str(), m_agent.c_str(), FALSE));
        m_before = vixtest::TempParamFiles();
    }
    void TearDown() override {
        DeleteFileA(m_log.c_str());
        // Every parameter file was taken by the agent or deleted.
        EXPECT_EQ(vixtest::TempParamFiles(), m_before);
    }

    // Waits for the stand-in's record (up to 15 s).
    bool WaitForStub(StubRecord* rec) {
        std::string text;
        for (int i = 0; i < 150 && !vixtest::FileExists(m_log); ++i) Sleep(100);
        text = vixtest::ReadFileText(m_log);
        if (text.compare(0, 8, "cmdline:") != 0) return false;
        std::size_t lf = text.find('\n');
        rec->commandLine = text.substr(8, lf - 8);
        std::string rest = text.substr(lf + 1);
        if (rest.compare(0, 5, "file:") == 0) {
            std::size_t lf2 = rest.find('\n');
            rec->fileName = rest.substr(5, lf2 - 5);
            rec->fileText = rest.substr(lf2 + 1);
        }
        return true;
    }
    const std::string& Printer() const { return m_printer.Printer(); }

    vixtest::BedPrinter m_printer;
    std::string m_agent;
    std::string m_log = "C:\\vixbed\\traystub " + vixtest::UniqueName("log") + ".txt";
    vixtest::ScopedEnv m_env{"VIXBED_TRAYSTUB_LOG", m_log.c_str()};
    std::vector<std::string> m_before;
};

struct StartCase {
    const char* name;
    bool bEnabled;
    bool bTempDir;  // a parameter file can be written
    friend void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }
};

class TrayStartCases : public TrayStart, public ::testing::WithParamInterface<StartCase> {};

TEST_P(TrayStartCases, RunEntryAndStart) {
    const StartCase& c = GetParam();
    RunValue run(Printer());
    if (!c.bEnabled) run.Write("stale entry");
    {
        std::unique_ptr<vixtest::ScopedEnv> tmp, temp;
        if (!c.bTempDir) {
            tmp.reset(new vixtest::ScopedEnv("TMP", "C:\\vixbed\\no such directory"));
            temp.reset(new vixtest::ScopedEnv("TEMP", "C:\\vixbed\\no such directory"));
        }
        ASSERT_EQ(UpdateTrayAgent(Printer().c_str(), "USB001", m_printer.Driver().c_str(), "ZV-100", c.bEnabled), 1);
    }
    if (c.bEnabled) {
        DWORD type = 0;
        EXPECT_EQ(run.Read(&type), cmdline::CoreRunEntry(m_agent, Printer(), "ZV-100"));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        vix::cmdInfo entry;  // the agent started at log-on finds its printer
        entry.ParseSwitches(run.Read());
        EXPECT_EQ(entry.m_szPrinterName, Printer());
        EXPECT_EQ(entry.m_bFrom, 1);
    } else {
        EXPECT_FALSE(run.Exists());
    }

    StubRecord rec;
    ASSERT_TRUE(WaitForStub(&rec));
    if (c.bTempDir) {
        ASSERT_FALSE(rec.fileName.empty());
        EXPECT_EQ(rec.fileName.compare(0, 3, "Z_S"), 0);
        EXPECT_EQ(rec.commandLine, cmdline::CoreToTrayWithFile(m_agent, rec.fileName));
        EXPECT_EQ(rec.fileText, "/P \"" + Printer() + "\"\r\n/O \"USB001\"\r\n/M \"ZV-100\"\r\n" +
                                    (c.bEnabled ? "" : "/R\r\n"));
    } else {
        EXPECT_EQ(rec.commandLine, cmdline::CoreToTrayLong(m_agent, Printer(), "USB001", "ZV-100", !c.bEnabled));
        EXPECT_TRUE(rec.fileName.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, TrayStartCases,
                         ::testing::Values(StartCase{"EnabledWithFile", true, true},
                                           StartCase{"DisabledWithFile", false, true},
                                           StartCase{"EnabledLongLine", true, false},
                                           StartCase{"DisabledLongLine", false, false}),
                         [](const ::testing::TestParamInfo<StartCase>& i) { return std::string(i.param.name); });

TEST_F(TrayStart, PortNameWhenThePrinterNameIsEmpty) {
    std::string port = vixtest::UniqueName("VIXNET_");
    RunValue run(port);
    ASSERT_EQ(UpdateTrayAgent("", port.c_str(), m_printer.Driver().c_str(), "ZV-100", true), 1);
    EXPECT_EQ(run.Read(), cmdline::CoreRunEntry(m_agent, port, "ZV-100"));
    StubRecord rec;
    ASSERT_TRUE(WaitForStub(&rec));
    EXPECT_EQ(rec.fileText, "/O \"" + port + "\"\r\n/M \"ZV-100\"\r\n");
}

TEST_F(TrayStart, DriverKeyNamesTheAgent) {
    // "Z_SICN" naming an existing program wins over the install directory.
    std::string named = m_printer.InstallDir() + "\\other agent.exe";
    ASSERT_TRUE(CopyFileA(m_agent.c_str(), named.c_str(), FALSE));
    m_printer.Key().strings["Z_SICN"] = named;
    ASSERT_TRUE(vixbed::WriteDriverKey(m_printer.Key()));
    RunValue run(Printer());
    ASSERT_EQ(UpdateTrayAgent(Printer().c_str(), "USB001", m_printer.Driver().c_str(), "ZV-100", true), 1);
    StubRecord rec;
    ASSERT_TRUE(WaitForStub(&rec));
    // A path with a blank is quoted, so that it names one program.
    EXPECT_EQ(rec.commandLine.compare(0, named.size() + 2, "\"" + named + "\""), 0) << rec.commandLine;
    EXPECT_EQ(run.Read().compare(0, named.size() + 2, "\"" + named + "\""), 0);
}

TEST_F(TrayStart, AnAgentThatCannotStartLeavesNoParameterFile) {
    std::string broken = m_printer.InstallDir() + "\\broken.exe";
    FILE* fp = std::fopen(broken.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    std::fputs("not a program", fp);
    std::fclose(fp);
    m_printer.Key().strings["Z_SICN"] = broken;
    ASSERT_TRUE(vixbed::WriteDriverKey(m_printer.Key()));
    RunValue run(Printer());
    EXPECT_EQ(UpdateTrayAgent(Printer().c_str(), "USB001", m_printer.Driver().c_str(), "ZV-100", true), 0);
    // TearDown checks that no parameter file is left.
}

TEST_F(TrayStart, NoAgentNoEntryButADisabledEntryStillGoes) {
    ASSERT_TRUE(DeleteFileA(m_agent.c_str()));
    RunValue run(Printer());
    EXPECT_EQ(UpdateTrayAgent(Printer().c_str(), "USB001", m_printer.Driver().c_str(), "ZV-100", true), 0);
    EXPECT_FALSE(run.Exists());
    run.Write("old entry");
    EXPECT_EQ(UpdateTrayAgent(Printer().c_str(), "USB001", m_printer.Driver().c_str(), "ZV-100", false), 0);
    EXPECT_FALSE(run.Exists());
    EXPECT_FALSE(vixtest::FileExists(m_log));
    EXPECT_EQ(UpdateTrayAgent("", "", m_printer.Driver().c_str(), "ZV-100", true), 0);
}

}  // namespace
