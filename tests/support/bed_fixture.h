// Test fixtures over the test bench: a provisioned emulated printer that is
// removed again when the fixture goes, so tests pass in any order.
#ifndef VIX_TESTS_BED_FIXTURE_H
#define VIX_TESTS_BED_FIXTURE_H

#include <windows.h>

#include <string>
#include <vector>

#include "emu/bed_state.h"
#include "provision/provision.h"

namespace vixtest {

// A printer in the spooler with its own driver, driver key, install
// directory and emulated printer. Adjust the specs, then Create().
class BedPrinter {
public:
    explicit BedPrinter(const std::string& model = "ZV-100");
    ~BedPrinter();
    BedPrinter(const BedPrinter&) = delete;
    BedPrinter& operator=(const BedPrinter&) = delete;

    bool Create();

    const std::string& Printer() const { return m_emu.printer; }
    const std::string& Driver() const { return m_key.driver; }
    const std::string& InstallDir() const { return m_installDir; }
    const std::string& Model() const { return m_model; }
    // The profile INI in the install directory, with the language resource
    // libraries beside it; registered as the driver key's "Profile" and as
    // the model's value of "software\ZARVO\VIX3\Profile".
    const std::string& ProfilePath() const { return m_profile; }

    vixbed::EmuPrinterSpec& Emu() { return m_emu; }
    vixbed::DriverKeySpec& Key() { return m_key; }
    // The spooler's data type of the printer (and so of its jobs), "RAW"
    // unless set before Create().
    void SetDataType(const std::string& dataType) { m_dataType = dataType; }

    // Arms a fault of one operation of this printer.
    bool Fault(const char* op, const vixbed::FaultSpec& f) { return vixbed::SetFault(Printer(), op, f); }
    bool SetCondition(const vixbed::PrinterCondition& c) { return vixbed::SaveCondition(Printer(), c); }

private:
    vixbed::EmuPrinterSpec m_emu;
    vixbed::DriverKeySpec m_key;
    std::string m_installDir;
    std::string m_model;
    std::string m_profile;
    // The model's profile value as it was before, restored when we go.
    bool m_bHadProfileValue = false;
    std::string m_oldProfileValue;
    std::string m_dataType = "RAW";
    bool m_bCreated = false;
};

// Faults of the bench library: every call answers r; the size probe answers
// result and reports size; the call with a buffer answers r.
inline vixbed::FaultSpec FaultResult(long r) {
    vixbed::FaultSpec f;
    f.hasResult = true;
    f.result = r;
    return f;
}
inline vixbed::FaultSpec FaultProbe(long result, long size) {
    vixbed::FaultSpec f;
    f.hasProbeResult = true;
    f.probeResult = result;
    f.hasProbeSize = true;
    f.probeSize = size;
    return f;
}
inline vixbed::FaultSpec FaultProbeSize(long size) {
    vixbed::FaultSpec f;
    f.hasProbeSize = true;
    f.probeSize = size;
    return f;
}
inline vixbed::FaultSpec FaultData(long r) {
    vixbed::FaultSpec f;
    f.hasDataResult = true;
    f.dataResult = r;
    return f;
}

// Calls of the bench library since the fixture began, of this process.
class CallLogWindow {
public:
    CallLogWindow() : m_offset(vixbed::CallLogSize()) {}
    std::vector<vixbed::CallRecord> Calls() const;
    // The operation names in order, e.g. "QKInitialize", "QKGetStatus".
    std::vector<std::string> Ops() const;
    int Count(const std::string& op) const;

private:
    long long m_offset;
};

// A unique name for this process and call.
std::string UniqueName(const char* stem);

// Arms or clears a process-wide fault (QKInitialize, QKRelease).
struct GlobalFault {
    GlobalFault(const char* op, const vixbed::FaultSpec& f) { vixbed::SetFault("", op, f); }
    ~GlobalFault() { vixbed::ClearFaults(""); }
};

// Sets a registry DWORD for the fixture's life and restores it after.
class ScopedRegDword {
public:
    ScopedRegDword(HKEY root, const char* key, const char* name, DWORD value);
    ~ScopedRegDword();

private:
    HKEY m_root;
    std::string m_key, m_name;
    bool m_bHadValue = false, m_bCreatedKey = false;
    DWORD m_old = 0;
};

// Creates a registry key for the fixture's life; when it goes, the key is
// removed from the first of its ancestors that did not exist before.
class ScopedRegKey {
public:
    ScopedRegKey(HKEY root, const std::string& path);
    ~ScopedRegKey();
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    bool WriteDword(const char* name, DWORD value) const;
    bool WriteString(const char* name, const std::string& value) const;

private:
    HKEY m_root;
    std::string m_path;
    std::string m_created;  // the topmost key made here, "" when none
};

// Takes a PNG of the whole X display (ImageMagick's import, run from
// inside Wine) into a host path; true when the file appeared.
bool Screenshot(const std::string& hostPath);
// Sets an environment variable of this process (inherited by the programs
// it starts) for the object's life and restores it after.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name, m_old;
    bool m_bHad = false;
};

// The system's temporary directory with its backslash, and the parameter
// files ("Z_S*.tmp") in it.
std::string TempDir();
std::vector<std::string> TempParamFiles();

// Reads a whole file; empty when missing.
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace vixtest

#endif
