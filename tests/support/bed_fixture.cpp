#include "support/bed_fixture.h"

#include <cstdio>

#include "foundation/registry_key.h"

namespace vixtest {

std::string UniqueName(const char* stem) {
    static long counter = 0;
    return std::string(stem) + " " + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(InterlockedIncrement(&counter));
}

BedPrinter::BedPrinter(const std::string& model) : m_model(model) {
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
    if (!vixbed::InstallLibraryFiles(m_installDir)) return false;
    m_profile = vixbed::InstallProfile(m_installDir, m_model);
    if (m_profile.empty()) return false;
    if (!m_key.strings.count("Profile")) m_key.strings["Profile"] = m_profile;
    m_bHadProfileValue = vixbed::RegisteredProfile(m_model, &m_oldProfileValue);
    if (!vixbed::RegisterProfile(m_model, m_profile)) return false;
    return vixbed::InstallSpoolerDriver(Driver()) &&
           vixbed::AddSpoolerPrinter(Printer(), Driver(), "USB001", m_dataType) && vixbed::WriteDriverKey(m_key) &&
           vixbed::WriteLibraryKeys() && vixbed::CreateEmuPrinter(m_emu);
}

BedPrinter::~BedPrinter() {
    if (!m_bCreated) return;
    vixbed::RemoveEmuPrinter(Printer());
    vixbed::RemoveSpoolerPrinter(Printer());
    vixbed::RemoveSpoolerDriver(Driver());
    vixbed::RemoveDriverKey(Driver());
    if (!m_profile.empty()) {
        if (m_bHadProfileValue) vixbed::RegisterProfile(m_model, m_oldProfileValue);
        else vixbed::UnregisterProfile(m_model);
    }
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

ScopedRegKey::ScopedRegKey(HKEY root, const std::string& path) : m_root(root), m_path(path) {
    for (std::size_t at = 0; at != std::string::npos;) {
        at = path.find('\\', at + 1);
        std::string part = path.substr(0, at);
        vix::RegistryKey probe;
        if (!probe.Open(root, part.c_str())) {
            m_created = part;
            break;
        }
    }
    vix::RegistryKey k;
    k.Open(root, path.c_str(), true);
}

ScopedRegKey::~ScopedRegKey() {
    if (!m_created.empty()) RegDeleteTreeA(m_root, m_created.c_str());
}

bool ScopedRegKey::WriteDword(const char* name, DWORD value) const {
    vix::RegistryKey k;
    return k.Open(m_root, m_path.c_str(), true) && k.WriteDword(name, value);
}

bool ScopedRegKey::WriteString(const char* name, const std::string& value) const {
    vix::RegistryKey k;
    return k.Open(m_root, m_path.c_str(), true) && k.WriteString(name, value.c_str());
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n > 0) {
        std::string old(n, '\0');
        DWORD got = GetEnvironmentVariableA(name, &old[0], n);
        m_bHad = got > 0 && got < n;
        m_old = old.substr(0, got);
    }
    SetEnvironmentVariableA(name, value);
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableA(m_name.c_str(), m_bHad ? m_old.c_str() : nullptr); }

std::string TempDir() {
    char dir[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, dir);
    return dir;
}

std::vector<std::string> TempParamFiles() {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((TempDir() + "Z_S*.tmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
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

namespace vixtest {

bool Screenshot(const std::string& out) {
    std::string cmd = "Z:\\usr\\bin\\import -window root \"" + out + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    std::string winPath = "Z:" + out;
    for (char& c : winPath)
        if (c == '/') c = '\\';
    for (int i = 0; i < 50 && GetFileAttributesA(winPath.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    return GetFileAttributesA(winPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace vixtest
