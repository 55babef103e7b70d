// The settings store: where a printer driver keeps its profile INI, its
// install directory, its programs and libraries, and which language section
// and language-dependent files of the profile are used. Every lookup reads
// the registry and the INI afresh and keeps no state.
//
// Texts are held in buffers of kTextMax (260) bytes; a registry value or INI
// text longer than that is not read and the lookup fails.
#ifndef VIX_FOUNDATION_SETTINGS_H
#define VIX_FOUNDATION_SETTINGS_H

#include <windows.h>

#include <cstddef>

namespace vix {

// "software\ZARVO\VIX3\Driver\" followed by the driver name.
constexpr const char* kDriverKeyPrefix = "software\\ZARVO\\VIX3\\Driver\\";
// One string value per model ID: the full path of its profile INI.
constexpr const char* kProfileKey = "software\\ZARVO\\VIX3\\Profile";

// The driver key path of a driver into out; false when it does not fit or
// the driver name is missing.
bool DriverKeyPath(const char* driver, char* out, std::size_t cap);

// Full path of the driver's profile INI. True when one was found.
bool FindProfile(const char* driver, const char* model, char* out, std::size_t cap);
// The install directory with a trailing backslash, when it exists.
bool FindInstallDir(const char* driver, const char* model, char* out, std::size_t cap);

// The driver's auxiliary programs: the driver key value that may name one,
// and the file looked for in the install directory when it does not (none:
// only the driver key counts).
struct ModuleDefault {
    const char* valueName;
    const char* defaultFile;
};
extern const ModuleDefault kModuleDefaults[];
extern const std::size_t kModuleDefaultCount;
// The launcher of the status window and the preferences by tray agent build
// ("Z_SRUN"); the table above holds the one of vixtray.
constexpr const char* kLauncherVixtray = "VIXRUN2.EXE";
constexpr const char* kLauncherVixtrayw = "VIXRUN1.EXE";
constexpr const char* kLauncherVixtray4 = "VIXRUN4.EXE";
// The table's default file of a value name, or null.
const char* DefaultModuleFile(const char* valueName);

// Full path of an existing program: the driver key's value `valueName`, else
// defaultFile (may be null) in the install directory.
bool FindModulePath(const char* valueName, const char* defaultFile, const char* driver, const char* model, char* out,
                    std::size_t cap);
// The same with the table's default file.
bool FindModulePath(const char* valueName, const char* driver, const char* model, char* out, std::size_t cap);

// Full path of the core library: the model section's "PrnDll" in the
// install directory.
bool FindPrnDll(const char* driver, const char* model, char* out, std::size_t cap);

// "QKAPI_VERSION" of the driver key; with no driver name, of the driver of
// the printer. 0 when missing or when the printer cannot be read.
DWORD GetQkapiVersion(const char* driver, const char* printer = nullptr);

// Result codes of SelectLanguageSection.
constexpr int LANG_RC_ARGUMENT = -1;    // missing argument or empty INI path
constexpr int LANG_RC_NO_MEMORY = -3;
constexpr int LANG_RC_TOO_SMALL = -4;   // *pSize is the size needed

// The language section of the core library, chosen from the INI's
// [Language] section for the user's language (userLang; tests name one).
// On success returns the length of the name in buf (0: no section could be
// chosen, buf is empty) and sets *pSize to it; with a buffer too small
// *pSize is the size needed, with its zero.
int SelectLanguageSection(const char* ini, char* buf, DWORD* pSize, LANGID userLang = GetUserDefaultLangID());
// A key of the chosen section: -1 when no section could be chosen or the
// key is missing or empty, 0 otherwise.
int ReadLanguageString(const char* key, char* buf, DWORD size, const char* ini,
                       LANGID userLang = GetUserDefaultLangID());
// An integer key of the chosen section (def when missing); -1 when no
// section could be chosen.
int ReadLanguageInt(const char* key, int def, const char* ini, LANGID userLang = GetUserDefaultLangID());

// Result codes of FindLocalizedFile besides the length of the path.
constexpr int LOCALIZED_NOT_FOUND = 0;
constexpr int LOCALIZED_TOO_SMALL = -1;
constexpr int LOCALIZED_NO_BUFFER = -2;

// A language-dependent file of the tray agents and the preferences ("ResDll",
// "HelpFile"): from section "Japanese" for a Japanese user, else "English";
// in the driver's language directory when one is selected and holds it, else
// beside the INI. Returns the length of the path; *pNeeded is always the
// size the path needs, with its zero (0 when there is none).
int FindLocalizedFile(const char* ini, const char* driver, const char* key, char* buf, DWORD size, DWORD* pNeeded,
                      LANGID userLang = GetUserDefaultLangID());

}  // namespace vix

#endif
