// What the updater learns about the machine before it starts: Windows
// version and class, administrator rights, WOW64, language and the four
// directories that copy-rule entries refer to.
#ifndef ZVU_ENVIRONMENT_H
#define ZVU_ENVIRONMENT_H

#include <string>

namespace zvu {

struct UpdateEnvironment {
    long platform = 0, major = 0, minor = 0;
    int osClass = -1;  // -1: the updater does not apply to this Windows
    bool admin = false;
    bool wow64 = false;
    bool japanese = false;
    std::string systemDir;   // GetSystemDirectory
    std::string updaterDir;  // the updater's own directory, no trailing backslash
    std::string driverDir;   // printer-driver directory ("\2", "\3" appended by class)
    std::string libraryDir;  // "InstallDir" of the bidirectional library
    std::string windowsDir;  // where "WININIT.INI" lives on Windows 9x
};

// Reads everything, in the order the updater's log shows it.
UpdateEnvironment ReadEnvironment();

// The directory of this program, without the trailing backslash.
std::string ProgramDirectory();

// The current thread's (or the process's) token lists the built-in
// Administrators group.
bool TokenHasAdministrators();

}  // namespace zvu

#endif
