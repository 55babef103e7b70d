// The emulated printers' shared state: registry keys under
// HKLM\Software\VixBed (always the 64-bit view), seen by every process of the
// prefix: the driver's, a status window's, a tray agent's, the test's.
#ifndef VIXBED_EMU_BED_STATE_H
#define VIXBED_EMU_BED_STATE_H

#include <windows.h>

#include <string>
#include <vector>

#include "emu/condition.h"

namespace vixbed {

constexpr const char* kBedRoot = "Software\\VixBed";
constexpr const char* kDefaultCallLog = "C:\\vixbed\\calls.log";

struct EmuPrinterSpec {
    std::string printer;   // queue name
    std::string port;      // port name
    std::string deviceId;  // "MFG:...;MDL:<model>;..."
    std::vector<ChannelDef> channels;
    PrinterCondition condition;
};

// A fault a test arms for one operation of one printer (or, with an empty
// printer, for the process-wide operations QKInitialize and QKRelease).
struct FaultSpec {
    bool hasResult = false;       // every call answers `result`, no data
    long result = 0;
    bool hasProbeResult = false;  // the null-buffer call answers this
    long probeResult = 0;
    bool hasProbeSize = false;    // ... and reports this size
    long probeSize = 0;
    bool hasDataResult = false;   // the call with a buffer answers this
    long dataResult = 0;
    bool hasDataSize = false;     // ... and sets the size to this
    long dataSize = 0;
    DWORD delayMs = 0;            // answer this late
    DWORD times = 0;              // 0: every call; n: the next n calls
};

// Registry key name of a printer: '\' becomes '/'.
std::string PrinterKeyName(const std::string& printer);

bool CreateEmuPrinter(const EmuPrinterSpec& spec);
bool RemoveEmuPrinter(const std::string& printer);
// The printer named by kind 1 (queue name) or kind 0 (port name).
bool FindEmuPrinter(long kind, const char* name, std::string* printer);
bool LoadEmuPrinter(const std::string& printer, EmuPrinterSpec* spec);
bool SaveCondition(const std::string& printer, const PrinterCondition& c);
bool SetDeviceId(const std::string& printer, const std::string& deviceId);
bool SetChannels(const std::string& printer, const std::vector<ChannelDef>& channels);

// Further per-printer switches: "Silent" (1: commands get no reply),
// "ReplyDelayMs" (a reply is ready only this long after its command).
bool SetPrinterDword(const std::string& printer, const char* name, DWORD value);
DWORD GetPrinterDword(const std::string& printer, const char* name, DWORD def);

// Raw reply bytes that replace the built status reply; an empty text
// removes them.
bool SetRawReply(const std::string& printer, const std::string& bytes);
bool GetRawReply(const std::string& printer, std::string* bytes);

bool SetFault(const std::string& printer, const char* op, const FaultSpec& f);
bool ClearFaults(const std::string& printer);
// The armed fault of an operation, counting one use of it.
bool TakeFault(const std::string& printer, const char* op, FaultSpec* f);

// Deletes a key tree of the bench below HKLM\Software (64-bit view).
LONG DeleteBedTree(const std::string& path);

// The call log all processes append to.
std::string CallLogPath();
void AppendCallLog(const CallRecord& r);
std::vector<CallRecord> ReadCallLog(long long fromOffset = 0);
long long CallLogSize();

// One cross-process lock for read-modify-write of the shared state.
class BedLock {
public:
    BedLock();
    ~BedLock();
    BedLock(const BedLock&) = delete;
    BedLock& operator=(const BedLock&) = delete;

private:
    HANDLE m_hMutex;
};

}  // namespace vixbed

#endif
