#include "provision/provision.h"

#include <winspool.h>

#include <cstdio>
#include <vector>

#include "foundation/registry_key.h"

namespace vixbed {

std::string ProgramDirectory() {
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\') + 1);
}

bool InstallSpoolerDriver(const std::string& driver) {
    char dir[MAX_PATH] = "";
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof(dir), &needed))
        return false;
    std::string file = std::string(dir) + "\\vixbeddrv.dll";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    DRIVER_INFO_3A di = {};
    di.cVersion = 3;
    di.pName = const_cast<char*>(driver.c_str());
    di.pDriverPath = const_cast<char*>(file.c_str());
    di.pDataFile = const_cast<char*>(file.c_str());
    di.pConfigFile = const_cast<char*>(file.c_str());
    return AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&di)) != FALSE;
}

bool RemoveSpoolerDriver(const std::string& driver) {
    return DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(driver.c_str())) != FALSE;
}

bool AddSpoolerPrinter(const std::string& printer, const std::string& driver, const std::string& port,
                       const std::string& dataType) {
    PRINTER_INFO_2A pi = {};
    pi.pPrinterName = const_cast<char*>(printer.c_str());
    pi.pPortName = const_cast<char*>(port.c_str());
    pi.pDriverName = const_cast<char*>(driver.c_str());
    pi.pPrintProcessor = const_cast<char*>("winprint");
    pi.pDatatype = const_cast<char*>(dataType.c_str());
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
    if (!h) return false;
    ClosePrinter(h);
    // A driver's set-up leaves monitoring enabled for its printers.
    return SetVixSetting(printer, 0);
}

bool SetVixSetting(const std::string& printer, DWORD value) {
    PRINTER_DEFAULTSA pd = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &h, &pd)) return false;
    DWORD rc = SetPrinterDataA(h, const_cast<char*>("VIXSetting"), REG_DWORD, reinterpret_cast<BYTE*>(&value),
                               sizeof(value));
    ClosePrinter(h);
    return rc == ERROR_SUCCESS;
}

bool RemoveSpoolerPrinter(const std::string& printer) {
    PRINTER_DEFAULTSA pd = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE h = nullptr;
    if (!OpenPrinterA(const_cast<char*>(printer.c_str()), &h, &pd)) return false;
    BOOL ok = DeletePrinter(h);
    ClosePrinter(h);
    return ok != FALSE;
}

bool WriteDriverKey(const DriverKeySpec& spec) {
    vix::RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, (kDriverKeyBase + spec.driver).c_str(), true)) return false;
    bool ok = true;
    for (const auto& v : spec.strings) ok = key.WriteString(v.first.c_str(), v.second.c_str()) && ok;
    for (const auto& v : spec.dwords) ok = key.WriteDword(v.first.c_str(), v.second) && ok;
    if (!spec.menu.empty()) {
        vix::RegistryKey menu;
        ok = menu.Open(HKEY_LOCAL_MACHINE, (kDriverKeyBase + spec.driver + "\\Menu").c_str(), true) && ok;
        for (const auto& v : spec.menu) ok = menu.WriteString(v.first.c_str(), v.second.c_str()) && ok;
    }
    return ok;
}

bool RemoveDriverKey(const std::string& driver) {
    return RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kDriverKeyBase + driver).c_str()) == ERROR_SUCCESS;
}

bool WriteLibraryKeys() {
    static const char* const kKeys[] = {"software\\ZARVO\\QKPrinter", "Software\\ZARVO\\QKProvider3",
                                        "Software\\ZARVO\\QKPrinter4"};
    bool ok = true;
    for (const char* k : kKeys) {
        vix::RegistryKey key;
        ok = key.Open(HKEY_LOCAL_MACHINE, k, true) && key.WriteString("Version", "4.0.0.1") && ok;
    }
    // What the library's set-up records of its version.
    vix::RegistryKey info;
    ok = info.Open(HKEY_LOCAL_MACHINE, "software\\ZARVO\\QKAPIInfo", true) &&
         info.WriteString("QKAPIVersion", "4.0.0.1") && info.WriteString("QKAPI4Version", "4.0.0.1") && ok;
    return ok;
}

bool MakeDirectories(const std::string& dir) {
    for (std::size_t at = dir.find('\\', 3); at != std::string::npos; at = dir.find('\\', at + 1))
        CreateDirectoryA(dir.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(dir.c_str(), nullptr);
    return (GetFileAttributesA(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool InstallLibraryFiles(const std::string& dir) {
    if (!MakeDirectories(dir)) return false;
    bool ok = true;
    // The driver's copy of the core library and its status-agent control
    // library come with the bidirectional library.
    for (const char* name : {"QKAPI.DLL", "QKAPI4.DLL", "vixcore.dll", "VIXSAGNT.DLL"}) {
        std::string from = ProgramDirectory() + name;
        std::string to = dir + "\\" + name;
        ok = CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE && ok;
    }
    return ok;
}

std::string InstallProfile(const std::string& dir, const std::string& model) {
    if (!MakeDirectories(dir) || model.empty()) return std::string();
    std::string text;
    {
        FILE* in = std::fopen((ProgramDirectory() + kProfileTemplate).c_str(), "rb");
        if (!in) return std::string();
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof(buf), in)) > 0) text.append(buf, n);
        std::fclose(in);
    }
    const std::string marker = "@MODEL@";
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + model.size()))
        text.replace(at, marker.size(), model);
    std::string path = dir + "\\" + kProfileFileName;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return std::string();
    bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    ok = std::fclose(out) == 0 && ok;
    for (const char* name : kResourceLibraries) {
        std::string from = ProgramDirectory() + name;
        ok = CopyFileA(from.c_str(), (dir + "\\" + name).c_str(), FALSE) != FALSE && ok;
    }
    ok = CopyFileA((ProgramDirectory() + kBitmapLibrary).c_str(), (dir + "\\" + kBitmapLibrary).c_str(), FALSE) !=
             FALSE &&
         ok;
    return ok ? path : std::string();
}

bool InstallLaunchers(const std::string& dir) {
    if (!MakeDirectories(dir)) return false;
    bool ok = true;
    for (const char* name : kLaunchers)
        ok = CopyFileA((ProgramDirectory() + name).c_str(), (dir + "\\" + name).c_str(), FALSE) != FALSE && ok;
    return ok;
}

bool RegisterProfile(const std::string& model, const std::string& path) {
    vix::RegistryKey key;
    return key.Open(HKEY_LOCAL_MACHINE, kProfileKeyPath, true) && key.WriteString(model.c_str(), path.c_str());
}

bool UnregisterProfile(const std::string& model) {
    DWORD values = 1, subKeys = 1;
    {
        vix::RegistryKey key;
        if (!key.Open(HKEY_LOCAL_MACHINE, kProfileKeyPath, false, KEY_SET_VALUE | KEY_QUERY_VALUE) ||
            !key.DeleteValue(model.c_str()))
            return false;
        RegQueryInfoKeyA(key.Handle(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr);
    }
    // The key goes with its last value: set-up made it for the driver.
    if (values == 0 && subKeys == 0) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProfileKeyPath);
    return true;
}

bool RegisteredProfile(const std::string& model, std::string* path) {
    vix::RegistryKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, kProfileKeyPath) || key.ValueSize(model.c_str()) == 0) return false;
    *path = key.ReadString(model.c_str());
    return true;
}

bool RemoveTree(const std::string& dir) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = dir + "\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileA(path.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryA(dir.c_str()) != FALSE;
}

}  // namespace vixbed
