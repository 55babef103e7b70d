#include "progress/job_queue.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "emu/bed_state.h"
#include "foundation/registry_key.h"
#include "progress/job_info.h"

using vix::RegistryKey;

namespace vixbed {

namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

std::string QueuePath(const std::string& printer) {
    return std::string(kBedRoot) + "\\Jobs\\" + PrinterKeyName(QueueName(printer));
}

std::string JobKeyName(DWORD ifJobId) {
    char b[16];
    std::snprintf(b, sizeof(b), "%08lX", static_cast<unsigned long>(ifJobId));
    return b;
}

std::string JobPath(const std::string& printer, DWORD ifJobId) {
    return QueuePath(printer) + "\\" + JobKeyName(ifJobId);
}

bool OpenRw(RegistryKey& key, const std::string& path, bool create) {
    return key.Open(HKEY_LOCAL_MACHINE, path.c_str(), create, KEY_ALL_ACCESS | kView);
}

bool OpenRead(RegistryKey& key, const std::string& path) {
    return key.Open(HKEY_LOCAL_MACHINE, path.c_str(), false, KEY_READ | kView);
}

LONG DeleteTree(const std::string& path) { return DeleteBedTree(path); }

void PutLe(std::string& s, DWORD v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

DWORD GetLe(const unsigned char* p) {
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
           static_cast<DWORD>(p[3]) << 24;
}

bool SaveJobLocked(const std::string& printer, const EmuJob& j, bool create) {
    RegistryKey key;
    if (!OpenRw(key, JobPath(printer, j.ifJobId), create)) return false;
    key.WriteDword("WinJobId", j.winJobId);
    key.WriteString("Document", j.document.c_str());
    key.WriteDword("DocumentUnterminated", j.documentUnterminated ? 1 : 0);
    key.WriteDword("PagesDone", j.pagesDone);
    key.WriteDword("PagesTotal", j.pagesTotal);
    if (j.hasRemaining) key.WriteDword("Remaining", j.remaining);
    else key.DeleteValue("Remaining");
    for (int i = 0; i < 3; ++i) key.WriteDword(("Media" + std::to_string(i)).c_str(), j.media[i]);
    key.WriteDword("Info102a", j.info102[0]);
    key.WriteDword("Info102b", j.info102[1]);
    key.WriteDword("Status", j.status);
    key.WriteDword("Wait", j.wait);
    key.WriteDword("DelReason", j.delReason);
    return true;
}

bool LoadJobLocked(const std::string& printer, DWORD ifJobId, EmuJob* j) {
    RegistryKey key;
    if (!OpenRead(key, JobPath(printer, ifJobId))) return false;
    *j = EmuJob();
    j->ifJobId = ifJobId;
    j->winJobId = key.ReadDword("WinJobId", 0);
    j->document = key.ReadString("Document");
    j->documentUnterminated = key.ReadDword("DocumentUnterminated", 0) != 0;
    j->pagesDone = key.ReadDword("PagesDone", 0);
    j->pagesTotal = key.ReadDword("PagesTotal", 0);
    j->hasRemaining = key.ValueSize("Remaining") == sizeof(DWORD);
    j->remaining = key.ReadDword("Remaining", 0);
    for (int i = 0; i < 3; ++i) j->media[i] = static_cast<uint16_t>(key.ReadDword(("Media" + std::to_string(i)).c_str(), 0));
    j->info102[0] = key.ReadDword("Info102a", 0);
    j->info102[1] = key.ReadDword("Info102b", 0);
    j->status = key.ReadDword("Status", 0);
    j->wait = key.ReadDword("Wait", 0);
    j->delReason = key.ReadDword("DelReason", 0);
    return true;
}

std::vector<DWORD> JobIdsLocked(const std::string& printer) {
    std::vector<DWORD> ids;
    RegistryKey queue;
    if (!OpenRead(queue, QueuePath(printer))) return ids;
    for (DWORD i = 0;; ++i) {
        std::string sub = queue.EnumSubKey(i);
        if (sub.empty()) break;
        char* end = nullptr;
        unsigned long v = std::strtoul(sub.c_str(), &end, 16);
        if (end && *end == '\0' && v != 0) ids.push_back(static_cast<DWORD>(v));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

void Bump(const std::string& printer, DWORD ifJobId, const std::string& name) {
    RegistryKey key;
    if (!OpenRw(key, JobPath(printer, ifJobId) + "\\Counts", true)) return;
    key.WriteDword(name.c_str(), key.ReadDword(name.c_str(), 0) + 1);
}

}  // namespace

std::string QueueName(const std::string& printer) {
    std::string server, share;
    if (vix::SplitServerPrinter(printer, &server, &share)) return share;
    return printer;
}

DWORD AddEmuJob(const std::string& printer, const EmuJob& job) {
    BedLock lock;
    RegistryKey queue;
    if (!OpenRw(queue, QueuePath(printer), true)) return 0;
    DWORD id = queue.ReadDword("NextId", 1);
    if (id == 0) id = 1;
    queue.WriteDword("NextId", id + 1);
    EmuJob j = job;
    j.ifJobId = id;
    return SaveJobLocked(printer, j, true) ? id : 0;
}

bool LoadEmuJob(const std::string& printer, DWORD ifJobId, EmuJob* job) {
    BedLock lock;
    return LoadJobLocked(printer, ifJobId, job);
}

bool SaveEmuJob(const std::string& printer, const EmuJob& job) {
    BedLock lock;
    return SaveJobLocked(printer, job, false);
}

bool RemoveEmuJob(const std::string& printer, DWORD ifJobId) {
    BedLock lock;
    return DeleteTree(JobPath(printer, ifJobId)) == ERROR_SUCCESS;
}

std::vector<EmuJob> ListEmuJobs(const std::string& printer) {
    BedLock lock;
    std::vector<EmuJob> jobs;
    for (DWORD id : JobIdsLocked(printer)) {
        EmuJob j;
        if (LoadJobLocked(printer, id, &j)) jobs.push_back(j);
    }
    return jobs;
}

DWORD FindEmuJob(const std::string& printer, DWORD winJobId) {
    for (const EmuJob& j : ListEmuJobs(printer))
        if (j.winJobId == winJobId) return j.ifJobId;
    return 0;
}

bool RaiseWaitFlags(const std::string& printer, DWORD ifJobId, DWORD flags) {
    BedLock lock;
    EmuJob j;
    if (!LoadJobLocked(printer, ifJobId, &j)) return false;
    j.wait |= flags;
    return SaveJobLocked(printer, j, false);
}

bool RemoveEmuQueue(const std::string& printer) {
    BedLock lock;
    LONG rc = DeleteTree(QueuePath(printer));
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool SetInfoFault(const std::string& printer, DWORD ifJobId, DWORD type, bool fail, DWORD reportSize) {
    BedLock lock;
    RegistryKey key;
    if (!OpenRw(key, JobPath(printer, ifJobId) + "\\Faults", true)) return false;
    std::string name = std::to_string(type);
    if (fail) return key.WriteDword(("Fail" + name).c_str(), 1);
    return key.WriteDword(("Size" + name).c_str(), reportSize);
}

DWORD WriteCount(const std::string& printer, DWORD ifJobId, DWORD type) {
    return CallCount(printer, ifJobId, ("Write" + std::to_string(type)).c_str());
}

DWORD CallCount(const std::string& printer, DWORD ifJobId, const char* name) {
    RegistryKey key;
    if (!OpenRead(key, JobPath(printer, ifJobId) + "\\Counts")) return 0;
    return key.ReadDword(name, 0);
}

bool LastDeleted(const std::string& printer, DWORD* winJobId, DWORD* reason) {
    RegistryKey key;
    if (!OpenRead(key, QueuePath(printer)) || key.ValueSize("DeletedWinJobId") != sizeof(DWORD)) return false;
    if (winJobId) *winJobId = key.ReadDword("DeletedWinJobId", 0);
    if (reason) *reason = key.ReadDword("DeletedReason", 0);
    return true;
}

bool ReadJobInfo(const std::string& printer, DWORD ifJobId, DWORD type, std::string* bytes, DWORD* reportSize) {
    BedLock lock;
    EmuJob j;
    if (!LoadJobLocked(printer, ifJobId, &j)) return false;
    std::string s;
    switch (type) {
    case vix::ZVM_JOBINFO_DOCUMENT:
        s = j.document;
        if (!j.documentUnterminated) s.push_back('\0');
        break;
    case vix::ZVM_JOBINFO_WINJOBID:
        PutLe(s, j.winJobId);
        break;
    case vix::ZVM_JOBINFO_TYPE4:
        for (int i = 0; i < 34; ++i) s.push_back(static_cast<char>(i + 1));
        break;
    case vix::ZVM_JOBINFO_MEDIA:
        for (uint16_t m : j.media) {
            s.push_back(static_cast<char>(m & 0xFF));
            s.push_back(static_cast<char>(m >> 8));
        }
        break;
    case vix::ZVM_JOBINFO_STATUS:
        PutLe(s, j.status);
        break;
    case vix::ZVM_JOBINFO_TYPE102:
        PutLe(s, j.info102[0]);
        PutLe(s, j.info102[1]);
        break;
    case vix::ZVM_JOBINFO_PROGRESS:
        PutLe(s, j.pagesDone);
        PutLe(s, j.pagesTotal);
        break;
    case vix::ZVM_JOBINFO_REMAINING:
        if (!j.hasRemaining) return false;
        PutLe(s, j.remaining);
        break;
    case vix::ZVM_JOBINFO_WAITFLAG:
        PutLe(s, j.wait);
        break;
    default:
        return false;
    }
    DWORD report = static_cast<DWORD>(s.size());
    RegistryKey faults;
    if (OpenRead(faults, JobPath(printer, ifJobId) + "\\Faults")) {
        std::string name = std::to_string(type);
        if (faults.ReadDword(("Fail" + name).c_str(), 0)) return false;
        if (faults.ValueSize(("Size" + name).c_str()) == sizeof(DWORD)) report = faults.ReadDword(("Size" + name).c_str(), 0);
    }
    *bytes = s;
    *reportSize = report;
    return true;
}

BOOL AnswerJobInfo(const std::string& printer, DWORD ifJobId, DWORD type, unsigned char* buffer, DWORD size,
                   DWORD* pNeeded) {
    std::string bytes;
    DWORD report = 0;
    if (pNeeded) *pNeeded = 0;
    if (!ReadJobInfo(printer, ifJobId, type, &bytes, &report)) return FALSE;
    if (pNeeded) *pNeeded = report;
    if (!buffer || size < report) return FALSE;
    std::memcpy(buffer, bytes.data(), std::min<std::size_t>(report, bytes.size()));
    return TRUE;
}

bool WriteJobInfo(const std::string& printer, DWORD ifJobId, DWORD type, const unsigned char* data, DWORD length) {
    BedLock lock;
    EmuJob j;
    if (!LoadJobLocked(printer, ifJobId, &j)) return false;
    Bump(printer, ifJobId, "Write" + std::to_string(type));
    if (type != vix::ZVM_JOBINFO_COMMAND && type != vix::ZVM_JOBINFO_DELREASON && type != vix::ZVM_JOBINFO_WAITFLAG)
        return false;
    if (!data || length != 4) return false;
    DWORD v = GetLe(data);
    if (type == vix::ZVM_JOBINFO_DELREASON) {
        j.delReason = v;
    } else if (type == vix::ZVM_JOBINFO_WAITFLAG) {
        j.wait &= ~v;  // writing flags acknowledges them
    } else if (v == vix::ZVM_COMMAND_PAUSE) {
        j.status |= vix::kJobStatusPaused;
    } else if (v == vix::ZVM_COMMAND_RESUME) {
        j.status &= ~vix::kJobStatusPaused;
    } else if (v == vix::ZVM_COMMAND_DELETE) {
        RegistryKey queue;
        if (OpenRw(queue, QueuePath(printer), false)) {
            queue.WriteDword("DeletedWinJobId", j.winJobId);
            queue.WriteDword("DeletedReason", j.delReason);
        }
        return DeleteTree(JobPath(printer, ifJobId)) == ERROR_SUCCESS;
    } else {
        return false;
    }
    return SaveJobLocked(printer, j, false);
}

void CountCall(const std::string& printer, DWORD ifJobId, const char* name) {
    BedLock lock;
    RegistryKey probe;
    if (OpenRead(probe, JobPath(printer, ifJobId))) Bump(printer, ifJobId, name);
}

QueueCursor OpenCursor(const std::string& printer, DWORD winJobId) {
    QueueCursor c;
    c.printer = QueueName(printer);
    c.fromIfJobId = FindEmuJob(printer, winJobId);
    return c;
}

DWORD CurrentJob(const QueueCursor& c) {
    BedLock lock;
    for (DWORD id : JobIdsLocked(c.printer))
        if (id >= c.fromIfJobId) return id;
    return 0;
}

std::string ServiceSetting(const char* name) {
    RegistryKey key;
    if (!OpenRead(key, std::string(kBedRoot) + "\\Service")) return std::string();
    return key.ReadString(name);
}

bool SetServiceSetting(const char* name, const char* value) {
    RegistryKey key;
    if (!OpenRw(key, std::string(kBedRoot) + "\\Service", true)) return false;
    if (!value || !value[0]) return key.DeleteValue(name) || true;
    return key.WriteString(name, value);
}

}  // namespace vixbed
