#include "support/bed_child.h"

#include "provision/provision.h"

namespace vixtest {

BedChild::~BedChild() { Stop(); }

bool BedChild::Start(const std::string& program) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE inRead = nullptr, inWrite = nullptr, outRead = nullptr, outWrite = nullptr;
    if (!CreatePipe(&inRead, &inWrite, &sa, 0)) return false;
    vix::UniqueHandle childIn(inRead);
    m_hIn.Reset(inWrite);
    if (!CreatePipe(&outRead, &outWrite, &sa, 0)) return false;
    vix::UniqueHandle childOut(outWrite);
    m_hOut.Reset(outRead);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = inRead;
    si.hStdOutput = outWrite;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::string cmd = "\"" + vixbed::ProgramDirectory() + program + "\"";
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    m_hProcess.Reset(pi.hProcess);
    return true;
}

std::string BedChild::Ask(const std::string& command) {
    std::string line = command + "\n";
    DWORD written = 0;
    if (!m_hIn || !WriteFile(m_hIn.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        return std::string();
    }
    std::string reply;
    char c;
    DWORD got = 0;
    while (ReadFile(m_hOut.Get(), &c, 1, &got, nullptr) && got == 1 && c != '\n')
        if (c != '\r') reply += c;  // the child's output is in text mode
    return reply;
}

void BedChild::Stop() {
    m_hIn.Reset();
    if (m_hProcess && WaitForSingleObject(m_hProcess.Get(), 10000) != WAIT_OBJECT_0) {
        TerminateProcess(m_hProcess.Get(), 1);
    }
    m_hProcess.Reset();
    m_hOut.Reset();
}

}  // namespace vixtest
