// Fixtures of the tray agent tests: real agent processes on a Wine desktop
// of their own (with a task bar and notification area), the agent's trace,
// the launcher stand-ins' records, the Run values, message boxes and the
// printer table as another process sees them.
#ifndef VIX_TESTS_TRAY_TRAY_BENCH_H
#define VIX_TESTS_TRAY_TRAY_BENCH_H

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/handles.h"
#include "support/bed_fixture.h"

namespace traytest {

// The desktop the agents run on: a Wine virtual desktop of 640x480.
constexpr const char* kDesktop = "VixTray";

// One agent process ("vixtray.exe", "vixtrayw.exe", "vixtray4.exe" of the
// bench's directory) with its arguments; ended when the object goes.
class AgentRun {
public:
    AgentRun() = default;
    ~AgentRun();
    AgentRun(const AgentRun&) = delete;
    AgentRun& operator=(const AgentRun&) = delete;

    bool Start(const std::string& build, const std::string& args);
    // The exit code, or -1 when it still runs after ms.
    long WaitExit(DWORD ms);
    bool Running() const;
    DWORD Pid() const { return m_pid; }
    // The agent's main window (class "TrayIconWClass"), waiting up to ms.
    HWND WaitWindow(DWORD ms = 15000);
    // Asks the agent to close and waits for it.
    long Close(DWORD ms = 10000);
    std::string Path() const { return m_path; }

private:
    vix::UniqueHandle m_hProcess;
    DWORD m_pid = 0;
    std::string m_path;
};

// The top-level windows of a process on the agents' desktop.
std::vector<HWND> WindowsOf(DWORD pid, const char* className = nullptr);
// Whether a window of the agents' desktop was shown (IsWindowVisible does
// not see across desktops).
bool HasVisibleStyle(HWND h);
// A message box of a process (waits up to ms): its text and caption.
struct MessageBoxSeen {
    HWND hWnd = nullptr;
    std::string text, caption;
    HWND owner = nullptr;
};
bool WaitMessageBox(DWORD pid, MessageBoxSeen* seen, DWORD ms = 15000);
void PressOk(HWND hBox);

// The agent's trace switched on for the test; the log is removed before
// and after.
class AgentTrace {
public:
    AgentTrace();
    ~AgentTrace();
    std::string Text() const;
    bool Has(const std::string& part) const { return Text().find(part) != std::string::npos; }
    // Waits until the trace holds part (up to ms).
    bool WaitFor(const std::string& part, DWORD ms = 10000) const;
    std::size_t Count(const std::string& part) const;
    // Waits until one more agent than before has traced a start-up that
    // runs (it then holds its table slot and its icon).
    bool WaitAnotherRunning(DWORD ms = 15000);
    // Empties the log.
    void Clear();

private:
    vixtest::ScopedRegDword m_switch;
    std::size_t m_running = 0;
};

// The launcher stand-ins' records (VIXBED_LAUNCHER_LOG) and the stand-in
// extra program's (traystub, VIXBED_TRAYSTUB_LOG).
struct LaunchRecord {
    std::map<std::string, std::string> fields;  // "program", "cmdline", "printer", ...
    std::vector<std::string> fileLines;         // the parameter file's lines
    std::string operator[](const std::string& k) const {
        auto it = fields.find(k);
        return it == fields.end() ? std::string() : it->second;
    }
};
class LaunchLog {
public:
    LaunchLog();
    ~LaunchLog();
    std::vector<LaunchRecord> Records() const;
    // Waits for the n-th record (1-based).
    bool WaitRecords(std::size_t n, DWORD ms = 10000) const;
    std::string StubPath() const { return m_stub; }
    // The stand-in extra program's command line, waiting up to ms.
    std::string WaitStubCommandLine(DWORD ms = 10000) const;

private:
    std::string m_path, m_stub;
    std::unique_ptr<vixtest::ScopedEnv> m_env, m_stubEnv;
};

// A Run value (HKCU or HKLM) of the agent, removed when the test ends.
class RunValue {
public:
    RunValue(HKEY root, std::string name);
    ~RunValue();
    bool Write(const std::string& text) const;
    bool Exists() const;

private:
    HKEY m_root;
    std::string m_name;
};

// A bench printer as the agent finds it: launchers in the install
// directory, its target key with the icon switched on, a printer check
// period in the profile. The target key is removed when the fixture goes.
class TrayPrinter {
public:
    explicit TrayPrinter(const std::string& model = "ZV-100");
    ~TrayPrinter();
    vixtest::BedPrinter& Bed() { return m_bed; }
    // Creates the printer; bTarget: with a target key (icon on, choice 0).
    bool Create(bool bTarget = true);
    const std::string& Printer() const { return m_bed.Printer(); }
    const std::string& Driver() const { return m_bed.Driver(); }
    const std::string& Model() const { return m_bed.Model(); }
    std::string Port() const { return "USB001"; }
    std::string TargetKey() const;
    bool SetTargetDword(const char* name, DWORD value) const;
    DWORD TargetDword(const char* name, DWORD def = 0xFFFFFFFFu) const;
    // A key of the model's profile section.
    bool SetProfile(const char* key, const std::string& value) const;
    bool RemovePrinter();

private:
    vixtest::BedPrinter m_bed;
};

// The agent's command line as the core library starts it: the long form
// (switches), or with a parameter file holding the same names.
std::string LongArgs(const std::string& printer, const std::string& port, const std::string& model,
                     bool bRemove = false);
std::string FileArgs(const std::string& printer, const std::string& port, const std::string& model,
                     bool bRemove = false, bool bIconInstall = false);

// A printer table as another process sees it. Holding it open keeps the
// table alive after the agents that made it have ended.
class TableWatch {
public:
    // Opens an existing table; false when no process holds it.
    bool Open(const std::string& name, std::size_t recordSize);
    // Opens the table, or makes it empty as its first registrant would.
    bool Hold(const std::string& name, std::size_t recordSize);
    // The tray slot of the key's record; -1 when the key has no record.
    long long TraySlot(const std::string& key) const;

private:
    vix::UniqueHandle m_hMap;
    std::size_t m_recordSize = 0;
};

// The directory for screenshots and other test output.
std::string OutputPath(const std::string& name);

}  // namespace traytest

#endif
