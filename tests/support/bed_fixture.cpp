#include "support/bed_fixture.h"

#include <cstdio>

#include "foundation/registry_key.h"

namespace vixtest {

std::string UniqueName(const char* stem) {
    static long counter = 0;
    return std::string(stem) + " " + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(InterlockedIncrement(&counter));
}

BedPrinter::BedPrinter(const std::string& model) {
    std::string id = UniqueName("");
    m_emu.printer = "VixBed Printer" + id;
    m_emu.port = "USB001";
    m_emu.deviceId = "MFG:ZARVO;CMD:ZVPL,BDC;MDL:" + model + ";CLS:PRINTER;DES:ZARVO " + model + ";";
    m_emu.channels = {{0x00000004, 0x0004}, {0x10000005, 0x0007}};
    m_emu.condition.inks = {80, 65, 70, 55};
    m_key.driver = "VixBed Driver" + id;
    m_installDir = "C:\\vixbed\\drv" + id;
    for (char& c : m_installDir)
        if (c == ' ') c = '_';
    m_key.strings["QKAPI32"] = "QKAPI.DLL";
    m_key.strings["InstallPath"] = m_installDir;
    m_key.strings["ModelID"] = model;
}

bool BedPrinter::Create() {
    m_bCreated = true;
    CreateDirectoryA("C:\\vixbed", nullptr);
    return vixbed::InstallLibraryFiles(m_installDir) && vixbed::InstallSpoolerDriver(Driver()) &&
           vixbed::AddSpoolerPrinter(Printer(), Driver(), "USB001", m_dataType) && vixbed::WriteDriverKey(m_key) &&
           vixbed::WriteLibraryKeys() && vixbed::CreateEmuPrinter(m_emu);
}

BedPrinter::~BedPrinter() {
    if (!m_bCreated) return;
    vixbed::RemoveEmuPrinter(Printer());
    vixbed::RemoveSpoolerPrinter(Printer());
    vixbed::RemoveSpoolerDriver(Driver());
    vixbed::RemoveDriverKey(Driver());
    vixbed::RemoveTree(m_installDir);
}

std::vector<vixbed::CallRecord> CallLogWindow::Calls() const {
    std::vector<vixbed::CallRecord> mine;
    for (auto& r : vixbed::ReadCallLog(m_offset))
        if (r.pid == GetCurrentProcessId()) mine.push_back(r);
    return mine;
}

std::vector<std::string> CallLogWindow::Ops() const {
    std::vector<std::string> ops;
    for (auto& r : Calls()) ops.push_back(r.op);
    return ops;
}

int CallLogWindow::Count(const std::string& op) const {
    int n = 0;
    for (auto& r : Calls()) n += r.op == op;
    return n;
}

ScopedRegDword::ScopedRegDword(HKEY root, const char* key, const char* name, DWORD value)
    : m_root(root), m_key(key), m_name(name) {
    vix::RegistryKey probe;
    m_bCreatedKey = !probe.Open(root, key);
    if (!m_bCreatedKey) {
        m_bHadValue = probe.ValueSize(name) == sizeof(DWORD);
        m_old = probe.ReadDword(name, 0);
    }
    vix::RegistryKey k;
    k.Open(root, key, true);
    k.WriteDword(name, value);
}

ScopedRegDword::~ScopedRegDword() {
    {
        vix::RegistryKey k;
        if (!k.Open(m_root, m_key.c_str(), true)) return;
        if (m_bHadValue) k.WriteDword(m_name.c_str(), m_old);
        else k.DeleteValue(m_name.c_str());
    }
    // A key made for the value goes again, unless something now lives in it.
    if (m_bCreatedKey) RegDeleteKeyA(m_root, m_key.c_str());
}

std::string ReadFileText(const std::string& path) {
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return std::string();
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), fp)) > 0) s.append(buf, n);
    std::fclose(fp);
    return s;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace vixtest
