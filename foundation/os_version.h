// The operating-system class the system tells its platforms apart by.
#ifndef VIX_FOUNDATION_OS_VERSION_H
#define VIX_FOUNDATION_OS_VERSION_H

namespace vix {

enum OsClass : int {
    OS_OTHER = 0,
    OS_WIN95 = 1,
    OS_WIN95_OSR2 = 2,
    OS_WIN98 = 3,
    OS_WINNT351 = 4,
    OS_WINNT40 = 5,
    OS_WIN2000_XP = 6,  // NT 5 and every later version
};

// Platform ids as the version query reports them.
constexpr unsigned long kPlatformWin9x = 1;
constexpr unsigned long kPlatformNT = 2;

// Pure mapping from the version numbers to the class.
int OsClassOf(unsigned long platformId, unsigned long major, unsigned long minor, unsigned long build);
// The module installer's coarser class: 0 Windows 9x, 1 NT 3.51, 2 NT 4,
// 3 NT 5 and later, -1 a Windows the installer does not apply to.
int UpdaterOsClassOf(unsigned long platformId, unsigned long major, unsigned long minor);
// The trace text of a class ("OS : Win2000/XP\n" ...).
const char* OsClassTraceText(int osClass);

}  // namespace vix

#endif
