// Fixtures of the installer tests: scratch directories, the bench modules,
// a file held in use by another process, registry values and the pending
// renames restored afterwards, and zvupdate run as a real process.
#ifndef VIX_TESTS_INSTALLER_BENCH_H
#define VIX_TESTS_INSTALLER_BENCH_H

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/handles.h"

namespace zvutest {

// The bench's built files (bin directory), e.g. "bedmod_v2.dll".
std::string BinFile(const std::string& name);

// A directory of its own under C:\vixbed, removed with everything in it.
class TempDir {
public:
    explicit TempDir(const char* stem = "zvu");
    ~TempDir();
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// File helpers; all of them reach the real system directory under WOW64.
bool CopyInto(const std::string& from, const std::string& to);
bool WriteText(const std::string& path, const std::string& text);
std::string ReadAll(const std::string& path);
bool Exists(const std::string& path);
bool RemoveFile(const std::string& path);
// Last-write time moved by seconds from a fixed base, so two files can be
// older, equal or newer than each other.
bool SetWriteTime(const std::string& path, int seconds);
std::vector<std::string> ListDir(const std::string& dir);

// The real system directory and, under WOW64, the 32-bit one.
std::string RealSystemDir();
std::string Wow64SystemDir();  // empty unless this process runs under WOW64
bool RunningUnderWow64();

// The copy-rule file name this architecture's updater reads, and the other.
const char* RuleFileName();
const char* OtherRuleFileName();

// Another process holds the file open (reading, sharing reading only).
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    bool Holding() const { return m_bHolding; }

private:
    vix::UniqueHandle m_ready, m_stop, m_process;
    bool m_bHolding = false;
};

// A registry string set for the fixture's life (key made if missing).
class ScopedRegString {
public:
    ScopedRegString(HKEY root, const std::string& key, const char* name, const std::string& value, REGSAM view = 0);
    ~ScopedRegString();

private:
    HKEY m_root;
    std::string m_key, m_name, m_old;
    REGSAM m_view;
    bool m_bHadValue = false, m_bCreatedKey = false;
};

// The platform's list of renames at restart, restored when the fixture goes.
class PendingRenames {
public:
    PendingRenames();
    ~PendingRenames();
    // Pairs (from, to) as the platform holds them ("\??\C:\..." or empty to).
    static std::vector<std::pair<std::string, std::string>> Read();
    static bool Has(const std::string& from, const std::string& to);

private:
    std::vector<BYTE> m_old;
    bool m_bHad = false;
};

// The updater's log, switched on, read and removed.
class UpdaterLog {
public:
    UpdaterLog();
    ~UpdaterLog();
    std::string Text() const;
    bool Has(const std::string& line) const { return Text().find(line) != std::string::npos; }
};

// A printer driver of the maker in the spooler whose language monitor is
// the given monitor, which is registered where the spooler keeps monitors.
class BedMonitor {
public:
    BedMonitor(const std::string& driver, const std::string& monitor, const std::string& monitorFile);
    ~BedMonitor();
    bool Ok() const { return m_bOk; }

private:
    std::string m_driver, m_monitor;
    bool m_bOk = false, m_bDriver = false;
};

// zvupdate copied into a directory of its own and run as a real process.
class UpdaterRun {
public:
    UpdaterRun();
    ~UpdaterRun();
    const TempDir& Dir() const { return m_dir; }
    bool Start();
    // Waits for the result dialog; its text, or empty when none came.
    std::wstring WaitForResult(DWORD ms = 60000);
    HWND ResultWindow() const { return m_result; }
    // Presses OK and waits for the process to end; its exit code or -1.
    int PressOk(DWORD ms = 20000);
    // Waits for the process to end on its own; its exit code or -1.
    int WaitExit(DWORD ms);
    DWORD Pid() const { return m_pid; }

private:
    TempDir m_dir;
    vix::UniqueHandle m_process;
    DWORD m_pid = 0;
    HWND m_result = nullptr;
};

// Result dialogs (static text 1000) shown by a process.
std::vector<HWND> ResultDialogsOf(DWORD pid);
std::wstring ResultTextOf(HWND dialog);

// A picture of the whole screen written to the tests' output directory.
bool Screenshot(const std::string& fileName);

}  // namespace zvutest

#endif
