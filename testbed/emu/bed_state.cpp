#include "emu/bed_state.h"

#include <cstdio>
#include <cstring>

#include "foundation/registry_key.h"

using vix::RegistryKey;

namespace vixbed {

namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;

std::string PrinterPath(const std::string& printer) {
    return std::string(kBedRoot) + "\\Printers\\" + PrinterKeyName(printer);
}

std::string FaultPath(const std::string& printer, const char* op) {
    return (printer.empty() ? std::string(kBedRoot) + "\\Faults\\" : PrinterPath(printer) + "\\Faults\\") + op;
}

bool OpenRw(RegistryKey& key, const std::string& path, bool create) {
    return key.Open(HKEY_LOCAL_MACHINE, path.c_str(), create, KEY_ALL_ACCESS | kView);
}

bool OpenRead(RegistryKey& key, const std::string& path) {
    return key.Open(HKEY_LOCAL_MACHINE, path.c_str(), false, KEY_READ | kView);
}

void WriteOptional(const RegistryKey& key, const char* name, int v) {
    if (v == kFieldAbsent) key.DeleteValue(name);
    else key.WriteDword(name, static_cast<DWORD>(v));
}

int ReadOptional(const RegistryKey& key, const char* name) {
    DWORD v = key.ReadDword(name);
    return v == 0xFFFFFFFFu ? kFieldAbsent : static_cast<int>(v);
}

std::vector<uint8_t> ReadBytes(const RegistryKey& key, const char* name) {
    DWORD size = 0;
    auto data = key.ReadBinary(name, &size);
    if (!data) return {};
    return std::vector<uint8_t>(data.get(), data.get() + size);
}

void WriteBytes(const RegistryKey& key, const char* name, const std::vector<uint8_t>& v) {
    if (v.empty()) key.DeleteValue(name);
    else key.WriteBinary(name, v.data(), static_cast<DWORD>(v.size()));
}

void ReadFaultValue(const RegistryKey& key, const char* name, bool& has, long& value) {
    DWORD v = key.ReadDword(name, 0);
    has = key.ValueSize(name) == sizeof(DWORD);
    value = static_cast<long>(static_cast<LONG>(v));
}

// Deletes a tree below HKLM in the 64-bit view, from either kind of process.
LONG DeleteTree(const std::string& path) {
    HKEY hRoot = nullptr;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | kView, &hRoot);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegDeleteTreeA(hRoot, path.substr(sizeof("Software\\") - 1).c_str());  // below "Software\\"
    RegCloseKey(hRoot);
    return rc;
}

}  // namespace

LONG DeleteBedTree(const std::string& path) { return DeleteTree(path); }

std::string PrinterKeyName(const std::string& printer) {
    std::string s = printer;
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

BedLock::BedLock() : m_hMutex(CreateMutexA(nullptr, FALSE, "VixBedStateLock")) {
    if (m_hMutex) WaitForSingleObject(m_hMutex, 10000);
}

BedLock::~BedLock() {
    if (m_hMutex) {
        ReleaseMutex(m_hMutex);
        CloseHandle(m_hMutex);
    }
}

bool CreateEmuPrinter(const EmuPrinterSpec& spec) {
    RemoveEmuPrinter(spec.printer);
    RegistryKey key;
    if (!OpenRw(key, PrinterPath(spec.printer), true)) return false;
    key.WriteString("Printer", spec.printer.c_str());
    key.WriteString("Port", spec.port.c_str());
    key.WriteString("DeviceID", spec.deviceId.c_str());
    key.WriteString("Channels", FormatChannelList(spec.channels).c_str());
    return SaveCondition(spec.printer, spec.condition);
}

bool RemoveEmuPrinter(const std::string& printer) {
    return DeleteTree(PrinterPath(printer)) == ERROR_SUCCESS;
}

bool FindEmuPrinter(long kind, const char* name, std::string* printer) {
    if (!name || !name[0]) return false;
    if (kind == 1) {
        RegistryKey key;
        if (!OpenRead(key, PrinterPath(name))) return false;
        *printer = key.ReadString("Printer");
        return true;
    }
    if (kind != 0) return false;
    RegistryKey list;
    if (!OpenRead(list, std::string(kBedRoot) + "\\Printers")) return false;
    for (DWORD i = 0;; ++i) {
        std::string sub = list.EnumSubKey(i);
        if (sub.empty()) return false;
        RegistryKey key;
        if (OpenRead(key, std::string(kBedRoot) + "\\Printers\\" + sub) && key.ReadString("Port") == name) {
            *printer = key.ReadString("Printer");
            return true;
        }
    }
}

bool LoadEmuPrinter(const std::string& printer, EmuPrinterSpec* spec) {
    RegistryKey key;
    if (!OpenRead(key, PrinterPath(printer))) return false;
    spec->printer = key.ReadString("Printer");
    spec->port = key.ReadString("Port");
    spec->deviceId = key.ReadString("DeviceID");
    ParseChannelList(key.ReadString("Channels"), spec->channels);
    PrinterCondition& c = spec->condition;
    c.st = ReadOptional(key, "ST");
    if (c.st == kFieldAbsent) c.st = 0x04;
    c.er = ReadOptional(key, "ER");
    c.rv = ReadOptional(key, "RV");
    c.tc = ReadOptional(key, "TC");
    c.rc = ReadOptional(key, "RC");
    c.inks = ReadBytes(key, "Inks");
    c.warnings = ReadBytes(key, "Warnings");
    std::string cartridges = key.ReadString("Cartridges", "\x01");
    if (cartridges != "\x01") ParseCartridges(cartridges, c.cartridges);
    DWORD v = key.ReadDword("RemainBlack");
    if (v != 0xFFFFFFFFu) c.remainBlack = static_cast<int>(v);
    v = key.ReadDword("RemainColor");
    if (v != 0xFFFFFFFFu) c.remainColor = static_cast<int>(v);
    return true;
}

bool SetPrinterDword(const std::string& printer, const char* name, DWORD value) {
    RegistryKey key;
    return OpenRw(key, PrinterPath(printer), false) && key.WriteDword(name, value);
}

DWORD GetPrinterDword(const std::string& printer, const char* name, DWORD def) {
    RegistryKey key;
    if (!OpenRead(key, PrinterPath(printer))) return def;
    return key.ReadDword(name, def);
}

bool SaveCondition(const std::string& printer, const PrinterCondition& c) {
    RegistryKey key;
    if (!OpenRw(key, PrinterPath(printer), false)) return false;
    key.WriteDword("ST", static_cast<DWORD>(c.st));
    WriteOptional(key, "ER", c.er);
    WriteOptional(key, "RV", c.rv);
    WriteOptional(key, "TC", c.tc);
    WriteOptional(key, "RC", c.rc);
    WriteBytes(key, "Inks", c.inks);
    WriteBytes(key, "Warnings", c.warnings);
    key.WriteString("Cartridges", FormatCartridges(c.cartridges).c_str());
    key.WriteDword("RemainBlack", static_cast<DWORD>(c.remainBlack));
    key.WriteDword("RemainColor", static_cast<DWORD>(c.remainColor));
    return true;
}

bool SetDeviceId(const std::string& printer, const std::string& deviceId) {
    RegistryKey key;
    return OpenRw(key, PrinterPath(printer), false) && key.WriteString("DeviceID", deviceId.c_str());
}

bool SetChannels(const std::string& printer, const std::vector<ChannelDef>& channels) {
    RegistryKey key;
    return OpenRw(key, PrinterPath(printer), false) &&
           key.WriteString("Channels", FormatChannelList(channels).c_str());
}

bool SetRawReply(const std::string& printer, const std::string& bytes) {
    RegistryKey key;
    if (!OpenRw(key, PrinterPath(printer), false)) return false;
    if (bytes.empty()) {
        key.DeleteValue("RawReply");
        return true;
    }
    return key.WriteBinary("RawReply", bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool GetRawReply(const std::string& printer, std::string* bytes) {
    RegistryKey key;
    if (!OpenRead(key, PrinterPath(printer))) return false;
    DWORD size = 0;
    auto data = key.ReadBinary("RawReply", &size);
    if (!data) return false;
    bytes->assign(reinterpret_cast<const char*>(data.get()), size);
    return true;
}

bool SetFault(const std::string& printer, const char* op, const FaultSpec& f) {
    RegistryKey key;
    if (!OpenRw(key, FaultPath(printer, op), true)) return false;
    auto put = [&](const char* name, bool has, long v) {
        if (has) key.WriteDword(name, static_cast<DWORD>(v));
        else key.DeleteValue(name);
    };
    put("Result", f.hasResult, f.result);
    put("ProbeResult", f.hasProbeResult, f.probeResult);
    put("ProbeSize", f.hasProbeSize, f.probeSize);
    put("DataResult", f.hasDataResult, f.dataResult);
    put("DataSize", f.hasDataSize, f.dataSize);
    put("DelayMs", f.delayMs != 0, static_cast<long>(f.delayMs));
    put("Times", f.times != 0, static_cast<long>(f.times));
    return true;
}

bool ClearFaults(const std::string& printer) {
    std::string path = printer.empty() ? std::string(kBedRoot) + "\\Faults" : PrinterPath(printer) + "\\Faults";
    LONG rc = DeleteTree(path);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool TakeFault(const std::string& printer, const char* op, FaultSpec* f) {
    *f = FaultSpec();
    RegistryKey key;
    if (!OpenRead(key, FaultPath(printer, op))) return false;  // fast path: nothing armed
    BedLock lock;
    RegistryKey rw;
    if (!OpenRw(rw, FaultPath(printer, op), false)) return false;
    DWORD times = rw.ReadDword("Times", 0);
    bool counted = rw.ValueSize("Times") == sizeof(DWORD);
    if (counted && times == 0) return false;  // used up
    ReadFaultValue(rw, "Result", f->hasResult, f->result);
    ReadFaultValue(rw, "ProbeResult", f->hasProbeResult, f->probeResult);
    ReadFaultValue(rw, "ProbeSize", f->hasProbeSize, f->probeSize);
    ReadFaultValue(rw, "DataResult", f->hasDataResult, f->dataResult);
    ReadFaultValue(rw, "DataSize", f->hasDataSize, f->dataSize);
    f->delayMs = rw.ReadDword("DelayMs", 0);
    if (counted) rw.WriteDword("Times", times - 1);
    f->times = times;
    return true;
}

std::string CallLogPath() {
    RegistryKey key;
    std::string path;
    if (OpenRead(key, kBedRoot)) path = key.ReadString("CallLog");
    return path.empty() ? kDefaultCallLog : path;
}

void AppendCallLog(const CallRecord& r) {
    std::string line = FormatCallRecord(r);
    std::string path = CallLogPath();
    BedLock lock;
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::string dir = path.substr(0, path.find_last_of('\\'));
        CreateDirectoryA(dir.c_str(), nullptr);
        h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return;
    }
    DWORD written = 0;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(h);
}

long long CallLogSize() {
    WIN32_FILE_ATTRIBUTE_DATA a;
    if (!GetFileAttributesExA(CallLogPath().c_str(), GetFileExInfoStandard, &a)) return 0;
    return (static_cast<long long>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

std::vector<CallRecord> ReadCallLog(long long fromOffset) {
    BedLock lock;
    FILE* fp = std::fopen(CallLogPath().c_str(), "rb");
    if (!fp) return {};
    std::string text;
    if (fromOffset > 0) _fseeki64(fp, fromOffset, SEEK_SET);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), fp)) > 0) text.append(buf, n);
    std::fclose(fp);
    return ParseCallLog(text);
}

}  // namespace vixbed
