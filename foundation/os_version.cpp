#include "foundation/os_version.h"

namespace vix {

int OsClassOf(unsigned long platformId, unsigned long major, unsigned long minor, unsigned long build) {
    if (platformId == kPlatformWin9x) {
        if (minor != 0) return OS_WIN98;
        return (build & 0xFFFFu) <= 1000 ? OS_WIN95 : OS_WIN95_OSR2;
    }
    if (platformId == kPlatformNT) {
        if (major == 3 && minor > 50) return OS_WINNT351;
        if (major == 4) return OS_WINNT40;
        if (major > 4) return OS_WIN2000_XP;
    }
    return OS_OTHER;
}

int UpdaterOsClassOf(unsigned long platformId, unsigned long major, unsigned long minor) {
    switch (OsClassOf(platformId, major, minor, 0)) {
        case OS_WIN95:
        case OS_WIN95_OSR2:
        case OS_WIN98: return 0;
        case OS_WINNT351: return 1;
        case OS_WINNT40: return 2;
        case OS_WIN2000_XP: return 3;
        default: return -1;
    }
}

const char* OsClassTraceText(int osClass) {
    switch (osClass) {
        case OS_WIN95: return "OS : Win95\n";
        case OS_WIN95_OSR2: return "OS : Win95 OSR2\n";
        case OS_WIN98: return "OS : Win98\n";
        case OS_WINNT351: return "OS : WinNT3.51\n";
        case OS_WINNT40: return "OS : WinNT4.0\n";
        case OS_WIN2000_XP: return "OS : Win2000/XP\n";
        default: return "OS : Other\n";
    }
}

}  // namespace vix
