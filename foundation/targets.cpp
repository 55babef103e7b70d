#include "foundation/targets.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/handles.h"
#include "foundation/printer_info.h"
#include "foundation/registry_key.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/trace.h"
#include "include/vixcore.h"

namespace vix {

namespace {

const char* RootOf(bool bUsePort) { return bUsePort ? kTargetRootPort : kTargetRootPrinter; }

// Sub-key and "Name" texts are read into buffers of this size.
constexpr std::size_t kNameBytes = 260;

// The sub-key names of an open key, in index order; the walk ends at the
// first empty name.
std::vector<std::string> SubKeyNames(const RegistryKey& key) {
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[kNameBytes];
        DWORD len = sizeof(name);
        LONG rc = RegEnumKeyExA(key.Handle(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;  // longer than any target's name: not ours
        if (rc != ERROR_SUCCESS || len == 0) break;
        names.emplace_back(name, len);
    }
    return names;
}

// The target's "Name", or "" when it has none.
std::string TargetName(HKEY hRoot, const std::string& subKey) {
    RegistryKey key;
    char name[kNameBytes];
    if (!key.Open(hRoot, subKey.c_str()) || !key.ReadString("Name", name, sizeof(name))) return std::string();
    return name;
}

// Deletes a key below hParent with all its sub-keys, depth first: each
// key's sub-keys, then its values, then the key itself.
void DeleteKeyTree(HKEY hParent, const char* subKey) {
    RegistryKey key;
    if (key.Open(hParent, subKey, false, KEY_ALL_ACCESS)) {
        for (const std::string& child : SubKeyNames(key)) DeleteKeyTree(key.Handle(), child.c_str());
        for (;;) {
            char name[16384];
            DWORD len = sizeof(name);
            if (RegEnumValueA(key.Handle(), 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
                RegDeleteValueA(key.Handle(), name) != ERROR_SUCCESS) {
                break;
            }
        }
        key.Close();
    }
    RegDeleteKeyA(hParent, subKey);
}

bool JoinPath(const char* root, const std::string& subKey, char* path, std::size_t cap) {
    return CopyText(path, cap, root, TextFit::Fail) && AppendText(path, cap, "\\", TextFit::Fail) &&
           AppendText(path, cap, subKey, TextFit::Fail);
}

}  // namespace

int FindTarget(const char* name, bool bUsePort, char* path, std::size_t cap) {
    TraceScope scope("FindTarget");
    if (path && cap) path[0] = '\0';
    const char* root = RootOf(bUsePort);
    RegistryKey rootKey;
    if (!rootKey.Open(HKEY_CURRENT_USER, root)) return TARGET_NO_ROOT;
    const std::string_view wanted = SafeView(name);
    for (const std::string& sub : SubKeyNames(rootKey)) {
        std::string stored = TargetName(rootKey.Handle(), sub);
        if (!stored.empty() && EqualsNoCase(stored, wanted)) {
            // A path that does not fit the caller's buffer is no usable find.
            return JoinPath(root, sub, path, cap) ? TARGET_FOUND : TARGET_NOT_FOUND;
        }
    }
    return TARGET_NOT_FOUND;
}

int CreateTarget(const char* name, bool bUsePort, char* path, std::size_t cap) {
    TraceScope scope("CreateTarget");
    if (path && cap) path[0] = '\0';
    const char* root = RootOf(bUsePort);
    RegistryKey rootKey;
    if (!rootKey.Open(HKEY_CURRENT_USER, root, true, KEY_ALL_ACCESS)) return TARGET_ROOT_FAILED;
    for (long i = 0; i <= 2147483646L; ++i) {
        char sub[24];
        std::snprintf(sub, sizeof(sub), "P%016ld", i);
        RegistryKey key;
        bool bCreated = false;
        if (!key.Open(rootKey.Handle(), sub, true, KEY_ALL_ACCESS, &bCreated)) return TARGET_SUBKEY_FAILED;
        if (!bCreated) continue;  // that index is taken: the lowest free one is the new target's
        if (!key.WriteString("Name", name ? name : "")) return TARGET_NAME_UNWRITTEN;
        JoinPath(root, sub, path, cap);
        key.WriteDword("Setting", 0);
        key.WriteDword("Timer", 10);
        return key.ReadDword("Setting") == 0 ? TARGET_CREATED : TARGET_SETTING_UNREAD;
    }
    return TARGET_SUBKEY_FAILED;
}

int FindOrCreateTarget(const char* printer, const char* port, const char* model, bool* pbUsePort, char* path,
                       std::size_t cap) {
    TraceScope scope("FindOrCreateTarget");
    bool bUsePort = false;
    const char* name = printer ? printer : "";
    if (!*name && port && *port) {
        name = port;
        bUsePort = true;
    }
    if (pbUsePort) *pbUsePort = bUsePort;
    if (FindTarget(name, bUsePort, path, cap) == TARGET_FOUND) return 0;

    CleanTargets();
    if (CreateTarget(name, bUsePort, path, cap) != TARGET_CREATED) return 1;

    // The defaults come from the core library of the printer's driver.
    std::string driver;
    if (!bUsePort) ReadPrinterNames(printer, &driver, nullptr);
    char dll[kTextMax] = "";
    FindPrnDll(driver.c_str(), model, dll, sizeof(dll));
    UniqueModule hCore(dll[0] ? LoadLibraryA(dll) : nullptr);
    if (!hCore) {
        TraceWrite(scope, "FindOrCreateTarget : LoadLibrary(%s) failed\n", dll);
        return TARGET_CORE_NOT_LOADED;
    }
    auto pfn = reinterpret_cast<PFN_PrSetRegDefaultValue>(
        reinterpret_cast<void*>(GetProcAddress(hCore.Get(), "PrSetRegDefaultValue")));
    if (!pfn) return TARGET_NO_EXPORT;
    return pfn(printer ? printer : "", driver.c_str(), port ? port : "", model ? model : "", nullptr);
}

int CleanTargets() {
    TraceScope scope("CleanTargets");
    {
        RegistryKey root;
        if (!root.Open(HKEY_CURRENT_USER, kTargetRootPrinter, false, KEY_ALL_ACCESS)) return -1;
        // The names are taken before anything is removed, so that removing
        // one target does not make the walk skip the one behind it.
        for (const std::string& sub : SubKeyNames(root)) {
            std::string name = TargetName(root.Handle(), sub);
            if (!name.empty() && ProbePrinter(name.c_str()) == PrinterPresence::Present) continue;
            char path[kTextMax];
            if (JoinPath(kTargetRootPrinter, sub, path, sizeof(path))) RemoveTarget(path);
        }
    }
    RegistryKey root;
    if (!root.Open(HKEY_CURRENT_USER, kTargetRootPort, false, KEY_ALL_ACCESS)) return -1;
    for (const std::string& sub : SubKeyNames(root)) {
        if (TargetName(root.Handle(), sub).empty()) DeleteKeyTree(root.Handle(), sub.c_str());
    }
    return 0;
}

int RemoveTarget(const char* path) {
    TraceScope scope("RemoveTarget");
    {
        RegistryKey key;
        if (!path || !key.Open(HKEY_CURRENT_USER, path, false, KEY_ALL_ACCESS)) return -1;
        key.WriteDword("Setting", 255);
    }
    DeleteKeyTree(HKEY_CURRENT_USER, path);
    return 0;
}

int FindPrinterTarget(const char* printer, const char* port, char* path, std::size_t cap) {
    if (printer && *printer) return FindTarget(printer, false, path, cap);
    if (port && *port) return FindTarget(port, true, path, cap);
    if (path && cap) path[0] = '\0';
    return TARGET_NOT_FOUND;
}

}  // namespace vix
