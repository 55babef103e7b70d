// What a printer driver's set-up would have put into a Windows installation:
// the driver and its printers in the spooler, the driver key, the
// bidirectional library's own keys and the library files in the driver's
// install directory. The demo, the command-line tool and the tests' fixtures
// all provision through these functions.
#ifndef VIXBED_PROVISION_H
#define VIXBED_PROVISION_H

#include <windows.h>

#include <map>
#include <string>

namespace vixbed {

constexpr const char* kDriverKeyBase = "Software\\ZARVO\\VIX3\\Driver\\";

struct DriverKeySpec {
    std::string driver;
    std::map<std::string, std::string> strings;  // "QKAPI32", "InstallPath", "ModelID", ...
    std::map<std::string, DWORD> dwords;         // "QKAPI_VERSION", ...
    // The sub-key "Menu": the tray menu's extra entries ("920" ... "998":
    // command lines) and "Separators". Not written when empty.
    std::map<std::string, std::string> menu;
};

// The directory this program was started from, with a trailing backslash.
std::string ProgramDirectory();

// Spooler: a driver (dummy driver files in the driver directory) and a
// printer of that driver on a port.
bool InstallSpoolerDriver(const std::string& driver);
bool RemoveSpoolerDriver(const std::string& driver);
bool AddSpoolerPrinter(const std::string& printer, const std::string& driver, const std::string& port,
                       const std::string& dataType = "RAW");
bool RemoveSpoolerPrinter(const std::string& printer);
// The printer data "VIXSetting" (1: the printer is not to be monitored).
bool SetVixSetting(const std::string& printer, DWORD value);

// HKLM "Software\ZARVO\VIX3\Driver\<driver>", in this process's view.
bool WriteDriverKey(const DriverKeySpec& spec);
bool RemoveDriverKey(const std::string& driver);

// The library's own keys ("software\ZARVO\QKPrinter" and its successors).
bool WriteLibraryKeys();

// Copies the test bench's library files (QKAPI.DLL, QKAPI4.DLL) from the
// program directory into dir (created when missing).
bool InstallLibraryFiles(const std::string& dir);
// Creates a directory and every missing parent.
bool MakeDirectories(const std::string& dir);
// The driver's profile INI and its language resource libraries, one per
// language section of the profile.
constexpr const char* kProfileFileName = "ZVBED.INI";
constexpr const char* kProfileTemplate = "vixbed_profile.ini";  // in the program directory
constexpr const char* kResourceLibraries[] = {"ZVRES_EN.DLL", "ZVRES_DE.DLL", "ZVRES_JA.DLL"};
// The driver's bitmap library, the profile's "BmpDll" (installed beside it).
constexpr const char* kBitmapLibrary = "ZVBMP.DLL";
// The launcher programs of the status window and the preferences, one per
// tray agent build ("Z_SRUN" defaults).
constexpr const char* kLaunchers[] = {"VIXRUN2.EXE", "VIXRUN1.EXE", "VIXRUN4.EXE"};
// HKLM key with one value per model ID naming its profile.
constexpr const char* kProfileKeyPath = "software\\ZARVO\\VIX3\\Profile";

// Writes the profile for `model` into dir (the model's section named by the
// model ID) and copies the resource libraries beside it. Returns the
// profile's full path, or "" on failure.
std::string InstallProfile(const std::string& dir, const std::string& model);
// Copies the bench's launcher programs into dir.
bool InstallLaunchers(const std::string& dir);
// The value named by the model under kProfileKeyPath, in this process's view.
bool RegisterProfile(const std::string& model, const std::string& path);
bool UnregisterProfile(const std::string& model);
// The registered profile of a model; false when there is none.
bool RegisteredProfile(const std::string& model, std::string* path);

// Removes a directory tree made for a test.
bool RemoveTree(const std::string& dir);

}  // namespace vixbed

#endif
