#include "foundation/settings.h"

#include <winspool.h>

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "foundation/handles.h"
#include "foundation/language_table.h"
#include "foundation/registry_key.h"
#include "foundation/text.h"

namespace vix {

const ModuleDefault kModuleDefaults[] = {
    {"Z_SICN", "VIXICN2.EXE"},    // the tray agent as installed for the driver
    {"Z_SENV", "VIXRUN2.EXE"},    // launcher whose file version the version display shows
    {"Z_SRCV", nullptr},          // a further program of the version display
    {"Z_SSRP", "VIXRPS2.EXE"},    // auxiliary program copied to the system directory
    {"Z_SRUN", kLauncherVixtray}, // launcher of the status window and the preferences
};
const std::size_t kModuleDefaultCount = sizeof(kModuleDefaults) / sizeof(kModuleDefaults[0]);

namespace {

// The largest [Language] section read; a bigger one is treated as a memory
// shortage rather than grown without end.
constexpr std::size_t kMaxSectionBytes = 16u << 20;

bool Given(const char* s) { return s && *s; }

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    WIN32_FIND_DATAA fd;
    UniqueFind h(FindFirstFileA(path.c_str(), &fd));
    return h && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The directory part of a path up to and with its last backslash ("" when
// there is none).
std::string DirectoryOf(const char* path) {
    std::string s = path ? path : "";
    std::size_t slash = s.find_last_of('\\');
    return slash == std::string::npos ? std::string() : s.substr(0, slash + 1);
}

// A string of the driver key into a text buffer; false when missing, empty
// or longer than the buffer.
bool ReadDriverString(const char* driver, const char* name, char (&out)[kTextMax]) {
    out[0] = '\0';
    char keyPath[kTextMax];
    if (!DriverKeyPath(driver, keyPath, sizeof(keyPath))) return false;
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, keyPath)) return false;
    return key.ReadString(name, out, sizeof(out)) && out[0];
}

// An INI text that fits a text buffer; a longer one is not read.
bool ReadIniString(const char* section, const char* key, const char* ini, char* out, std::size_t cap) {
    if (!out || cap == 0) return false;
    out[0] = '\0';
    if (!Given(section) || !Given(key) || !Given(ini)) return false;
    std::vector<char> buf(cap + 1, '\0');
    DWORD n = GetPrivateProfileStringA(section, key, "", buf.data(), static_cast<DWORD>(buf.size()), ini);
    if (n == 0 || n >= cap) return false;
    return CopyText(out, cap, std::string_view(buf.data(), n), TextFit::Fail);
}

bool Result(const std::string& text, char* out, std::size_t cap) {
    return CopyText(out, cap, text, TextFit::Fail);
}

void Clear(char* out, std::size_t cap) {
    if (out && cap) out[0] = '\0';
}

// The whole [Language] section, however long. False when memory runs out.
bool ReadLanguageEntries(const char* ini, std::vector<LanguageEntry>* entries) {
    try {
        std::vector<char> buf(1024);
        while (true) {
            DWORD n = GetPrivateProfileSectionA("Language", buf.data(), static_cast<DWORD>(buf.size()), ini);
            if (n + 2 < buf.size()) {
                *entries = ParseLanguageSection(buf.data(), n);
                return true;
            }
            if (buf.size() * 2 > kMaxSectionBytes) return false;
            buf.assign(buf.size() * 2, '\0');
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// A language section is used only when its "ResDll" lies beside the INI.
bool HasResourceLibrary(const char* ini, const std::string& section) {
    char resDll[kTextMax];
    if (!ReadIniString(section.c_str(), "ResDll", ini, resDll, sizeof(resDll))) return false;
    return FileExists(DirectoryOf(ini) + resDll);
}

// "%s\ZARVO\%s\Lang\%04x\" when the driver's selected language differs from
// its default one; "" otherwise.
std::string LanguageDirectory(const char* driver) {
    if (!Given(driver)) return std::string();
    std::string langKey = std::string("Software\\ZARVO\\Printer\\") + driver + "\\Lang";
    RegistryKey lang;
    if (!lang.Open(HKEY_LOCAL_MACHINE, langKey.c_str())) return std::string();
    DWORD def = lang.ReadDword("DefaultLang", 0), sel = lang.ReadDword("SelectLang", 0);
    if (def == 0 || sel == 0 || def == sel) return std::string();
    RegistryKey cv;
    char programFiles[520];
    if (!cv.Open(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion") ||
        !cv.ReadString("ProgramFilesDir", programFiles, sizeof(programFiles)) || !programFiles[0]) {
        return std::string();
    }
    char id[16];
    std::snprintf(id, sizeof(id), "%04x", static_cast<unsigned>(sel & 0xFFFF));
    return std::string(programFiles) + "\\ZARVO\\" + driver + "\\Lang\\" + id + "\\";
}

}  // namespace

bool DriverKeyPath(const char* driver, char* out, std::size_t cap) {
    Clear(out, cap);
    if (!Given(driver)) return false;
    return CopyText(out, cap, kDriverKeyPrefix, TextFit::Fail) && AppendText(out, cap, driver, TextFit::Fail);
}

bool FindProfile(const char* driver, const char* model, char* out, std::size_t cap) {
    Clear(out, cap);
    if (!Given(driver) || !Given(model)) return false;
    char path[kTextMax];
    if (ReadDriverString(driver, "Profile", path) && FileExists(path)) return Result(path, out, cap);
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, kProfileKey)) return false;
    if (!key.ReadString(model, path, sizeof(path)) || !path[0]) return false;
    return Result(path, out, cap);
}

bool FindInstallDir(const char* driver, const char* model, char* out, std::size_t cap) {
    Clear(out, cap);
    if (!Given(driver) || !Given(model)) return false;
    char text[kTextMax];
    std::string dir;
    if (ReadDriverString(driver, "InstallPath", text)) {
        dir = text;
        if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    } else {
        if (!FindProfile(driver, model, text, sizeof(text))) return false;
        dir = DirectoryOf(text);
        if (dir.empty()) return false;
        dir.pop_back();
    }
    if (dir.empty() || !DirectoryExists(dir)) return false;
    return Result(dir + "\\", out, cap);
}

const char* DefaultModuleFile(const char* valueName) {
    for (std::size_t i = 0; i < kModuleDefaultCount; ++i)
        if (valueName && EqualsNoCase(valueName, kModuleDefaults[i].valueName)) return kModuleDefaults[i].defaultFile;
    return nullptr;
}

bool FindModulePath(const char* valueName, const char* defaultFile, const char* driver, const char* model, char* out,
                    std::size_t cap) {
    Clear(out, cap);
    if (!Given(valueName) || !Given(driver) || !Given(model)) return false;
    char path[kTextMax];
    if (ReadDriverString(driver, valueName, path) && FileExists(path)) return Result(path, out, cap);
    if (!Given(defaultFile)) return false;
    char dir[kTextMax];
    if (!FindInstallDir(driver, model, dir, sizeof(dir))) return false;
    std::string candidate = std::string(dir) + defaultFile;
    return FileExists(candidate) && Result(candidate, out, cap);
}

bool FindModulePath(const char* valueName, const char* driver, const char* model, char* out, std::size_t cap) {
    return FindModulePath(valueName, DefaultModuleFile(valueName), driver, model, out, cap);
}

bool FindPrnDll(const char* driver, const char* model, char* out, std::size_t cap) {
    Clear(out, cap);
    char ini[kTextMax], prnDll[kTextMax], dir[kTextMax];
    if (!FindProfile(driver, model, ini, sizeof(ini))) return false;
    if (!ReadIniString(model, "PrnDll", ini, prnDll, sizeof(prnDll))) return false;
    // Without an install directory there is no place the library could be.
    if (!FindInstallDir(driver, model, dir, sizeof(dir))) return false;
    return Result(std::string(dir) + prnDll, out, cap);
}

DWORD GetQkapiVersion(const char* driver, const char* printer) {
    std::string driverName = Given(driver) ? driver : "";
    if (driverName.empty() && Given(printer)) {
        HANDLE h = nullptr;
        if (!OpenPrinterA(const_cast<char*>(printer), &h, nullptr)) return 0;
        UniquePrinter hPrinter(h);
        DWORD needed = 0;
        GetPrinterA(hPrinter.Get(), 2, nullptr, 0, &needed);
        if (needed == 0) return 0;
        std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[needed]);
        if (!info || !GetPrinterA(hPrinter.Get(), 2, info.get(), needed, &needed)) return 0;
        driverName = std::string(SafeView(reinterpret_cast<const PRINTER_INFO_2A*>(info.get())->pDriverName));
    }
    char keyPath[kTextMax];
    if (!DriverKeyPath(driverName.c_str(), keyPath, sizeof(keyPath))) return 0;
    RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, keyPath)) return 0;
    return key.ReadDword("QKAPI_VERSION", 0);
}

int SelectLanguageSection(const char* ini, char* buf, DWORD* pSize, LANGID userLang) {
    if (!Given(ini) || !buf || !pSize) return LANG_RC_ARGUMENT;
    std::vector<LanguageEntry> entries;
    if (!ReadLanguageEntries(ini, &entries)) return LANG_RC_NO_MEMORY;
    int chosen = ChooseLanguageEntry(entries, userLang,
                                     [ini](const std::string& section) { return HasResourceLibrary(ini, section); });
    const std::string name = chosen >= 0 ? entries[static_cast<std::size_t>(chosen)].section : std::string();
    if (name.size() + 1 > *pSize) {
        *pSize = static_cast<DWORD>(name.size() + 1);
        return LANG_RC_TOO_SMALL;
    }
    CopyText(buf, *pSize, name, TextFit::Fail);
    *pSize = static_cast<DWORD>(name.size());
    return static_cast<int>(name.size());
}

namespace {
bool ChosenSection(const char* ini, LANGID userLang, char (&section)[kTextMax]) {
    DWORD size = sizeof(section);
    return SelectLanguageSection(ini, section, &size, userLang) > 0;
}
}  // namespace

int ReadLanguageString(const char* key, char* buf, DWORD size, const char* ini, LANGID userLang) {
    Clear(buf, size);
    char section[kTextMax];
    if (!ChosenSection(ini, userLang, section)) return -1;
    return ReadIniString(section, key, ini, buf, size) ? 0 : -1;
}

int ReadLanguageInt(const char* key, int def, const char* ini, LANGID userLang) {
    char section[kTextMax];
    if (!ChosenSection(ini, userLang, section)) return -1;
    return static_cast<int>(GetPrivateProfileIntA(section, key, def, ini));
}

int FindLocalizedFile(const char* ini, const char* driver, const char* key, char* buf, DWORD size, DWORD* pNeeded,
                      LANGID userLang) {
    if (pNeeded) *pNeeded = 0;
    char name[kTextMax] = "";
    bool japanese = PrimaryLangOf(userLang) == kPrimaryJapanese &&
                    ReadIniString("Japanese", key, ini, name, sizeof(name));
    if (!japanese && !ReadIniString("English", key, ini, name, sizeof(name))) return LOCALIZED_NOT_FOUND;

    std::string path;
    std::string langDir = LanguageDirectory(driver);
    if (!langDir.empty() && FileExists(langDir + name)) path = langDir + name;
    else path = DirectoryOf(ini) + name;

    const DWORD needed = static_cast<DWORD>(path.size() + 1);
    if (pNeeded) *pNeeded = needed;
    if (!buf) return LOCALIZED_NO_BUFFER;
    if (size < needed) return LOCALIZED_TOO_SMALL;
    CopyText(buf, size, path, TextFit::Fail);
    return static_cast<int>(path.size());
}

}  // namespace vix
