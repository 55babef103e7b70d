// Comparing a new module with an installed one (file version, then
// last-write time), testing whether the installed one is in use, and
// replacing it now or staging it for the next restart.
#ifndef ZVU_FILE_REPLACE_H
#define ZVU_FILE_REPLACE_H

#include <windows.h>

#include <functional>
#include <string>

#include "installer/environment.h"

// The platform's ReplaceFile macro would rename ours.
#ifdef ReplaceFile
#undef ReplaceFile
#endif

namespace zvu {

enum CompareResult : int {
    QKP_COMP_FILE1_IS_NEW = 0,
    QKP_COMP_FILE2_IS_NEW = 1,
    QKP_COMP_SAME = 2,
    QKP_COMP_FILE1_NOTFOUND = 3,
    QKP_COMP_FILE2_NOTFOUND = 4,
    QKP_COMP_BOTH_NOTFOUND = 5,
};

enum LockResult : int {
    QKP_LOCK_SUCEES = 0,
    QKP_LOCK_NOTFOUND = 1,
    QKP_LOCK_INUSE = 2,
    QKP_LOCK_ERROR = 3,
};

enum CopyResult : unsigned long {
    QKP_COPY_DONE = 1,
    QKP_COPY_SKIP = 2,
    QKP_COPY_RESTART = 4,
    QKP_COPY_NOTFOUND = 8,
    QKP_COPY_NOTADMIN = 16,
    QKP_COPY_FAILED = 128,
};

// The FileVersion text of a file's version resource, cut to the buffer.
bool QkpGetVersion(const std::string& path, char* buf, size_t size);
bool FileExists(const std::string& path);
std::string GetShortPathNameCS(const std::string& path);

int CompareTimeStamp(const std::string& file1, const std::string& file2);
int LockDestFile(const std::string& path);

class FileReplacer {
public:
    // Copies a whole file; false when it failed (it may have written part).
    using CopyFn = std::function<bool(const std::string& from, const std::string& to)>;

    FileReplacer(const UpdateEnvironment& env, long& copiedCount);

    // Tests replace the platform copy to make it fail half-way.
    void SetCopy(CopyFn fn) { m_copy = std::move(fn); }

    int MoveOnReboot(const std::string& destDir, const std::string& srcDir, const std::string& destName,
                     const std::string& srcName);
    unsigned long ReplaceFile(const std::string& newPath, const std::string& installedPath, const std::string& destDir,
                              const std::string& srcDir, const std::string& destName, const std::string& srcName);

private:
    // Copies beside the target and moves the complete copy into place; the
    // target stays as it was unless the whole new file is there.
    bool CopyIntoPlace(const std::string& from, const std::string& to, unsigned long* error);

    const UpdateEnvironment& m_env;
    long& m_copied;
    CopyFn m_copy;
};

}  // namespace zvu

#endif
