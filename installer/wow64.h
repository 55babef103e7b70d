// WOW64: whether this 32-bit process runs on 64-bit Windows, and the
// file-system redirection of the system directory, switched off around every
// file access of the updater so that the real system directory is reached.
#ifndef ZVU_WOW64_H
#define ZVU_WOW64_H

namespace zvu {

bool IsWow64();

// Redirection is off while at least one scope of this thread is alive; the
// platform is called when the first scope begins and the last one ends.
class NoRedirection {
public:
    NoRedirection();
    ~NoRedirection();
    NoRedirection(const NoRedirection&) = delete;
    NoRedirection& operator=(const NoRedirection&) = delete;
};

// Ends any redirection switch of this thread (the application's exit).
void RevertRedirection();

}  // namespace zvu

#endif
