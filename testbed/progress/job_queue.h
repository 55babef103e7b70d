// The emulated print-job queue of the progress-meter interface, one per
// printer, kept in the registry under HKLM\Software\VixBed\Jobs (always the
// 64-bit view) so that the interface library in a test, the service program
// and vixbed all see the same jobs. Jobs are kept in the order they were
// added, by their interface job id.
#ifndef VIXBED_PROGRESS_JOB_QUEUE_H
#define VIXBED_PROGRESS_JOB_QUEUE_H

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vixbed {

struct EmuJob {
    DWORD ifJobId = 0;  // the interface's job id (given by the queue)
    DWORD winJobId = 0;
    std::string document;
    bool documentUnterminated = false;  // answered without its zero
    DWORD pagesDone = 0, pagesTotal = 0;
    bool hasRemaining = false;
    DWORD remaining = 0;
    uint16_t media[3] = {0, 0, 0};
    DWORD info102[2] = {0, 0};
    DWORD status = 0;  // 0x10 paused
    DWORD wait = 0;    // wait flags
    DWORD delReason = 0;
};

// The queue of a printer: "\\server\printer" and "printer" name the same.
std::string QueueName(const std::string& printer);

// Adds a job at the end; returns its interface job id (0 on failure).
DWORD AddEmuJob(const std::string& printer, const EmuJob& job);
bool LoadEmuJob(const std::string& printer, DWORD ifJobId, EmuJob* job);
bool SaveEmuJob(const std::string& printer, const EmuJob& job);
bool RemoveEmuJob(const std::string& printer, DWORD ifJobId);
std::vector<EmuJob> ListEmuJobs(const std::string& printer);
// The interface job id of a Windows job, 0 when not queued.
DWORD FindEmuJob(const std::string& printer, DWORD winJobId);
bool RaiseWaitFlags(const std::string& printer, DWORD ifJobId, DWORD flags);
// Removes the printer's queue with everything in it.
bool RemoveEmuQueue(const std::string& printer);

// A fault of one information type of a job: the read fails, or reports
// this size instead of the true one.
bool SetInfoFault(const std::string& printer, DWORD ifJobId, DWORD type, bool fail, DWORD reportSize);

// Counts of what the interface was told, per job and information type.
DWORD WriteCount(const std::string& printer, DWORD ifJobId, DWORD type);
// The last job deleted by a command, with its reason.
bool LastDeleted(const std::string& printer, DWORD* winJobId, DWORD* reason);

// The answer of a read of an information type: the bytes, or false.
bool ReadJobInfo(const std::string& printer, DWORD ifJobId, DWORD type, std::string* bytes, DWORD* reportSize);
// The whole answer of a read as the interface gives it: the size needed
// in *pNeeded; FALSE without a buffer or with one too small.
BOOL AnswerJobInfo(const std::string& printer, DWORD ifJobId, DWORD type, unsigned char* buffer, DWORD size,
                   DWORD* pNeeded);
// A write of an information type, with the value's bytes.
bool WriteJobInfo(const std::string& printer, DWORD ifJobId, DWORD type, const unsigned char* data, DWORD length);
// Counts Start/EndProgress, and reads the count.
void CountCall(const std::string& printer, DWORD ifJobId, const char* name);
DWORD CallCount(const std::string& printer, DWORD ifJobId, const char* name);

// An open channel on a queue: reads from the job opened at onwards.
struct QueueCursor {
    std::string printer;
    DWORD fromIfJobId = 0;
};
QueueCursor OpenCursor(const std::string& printer, DWORD winJobId);
// The first job at or after the cursor, 0 when none.
DWORD CurrentJob(const QueueCursor& c);

// Settings of the service program under HKLM\Software\VixBed\Service.
std::string ServiceSetting(const char* name);
bool SetServiceSetting(const char* name, const char* value);

}  // namespace vixbed

#endif
