#include "core/sagent_control.h"

#include "foundation/registry_key.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/trace.h"

#include <utility>

namespace vix {

CSAgentControl::~CSAgentControl() {
    WaitForWorker();
    // The library goes with m_hLibrary, after the worker is done with it.
}

void CSAgentControl::WaitForWorker() {
    if (m_hThread) {
        WaitForSingleObject(m_hThread.Get(), INFINITE);
        m_hThread.Reset();
    }
}

int CSAgentControl::Load(const char* driver) {
    TraceScope ts("CSAgentControl::Load");
    CLock lock(m_cs);
    if (!m_hLibrary) {
        char path[260];
        RegistryKey key;
        if (!DriverKeyPath(driver, path, sizeof(path)) || !key.Open(HKEY_LOCAL_MACHINE, path)) return 0;
        char dll[260];
        if (key.ReadDword("SAgentType", 0) != 1 || !key.ReadString("SAgentControlDll", dll, sizeof(dll)) || !dll[0]) {
            return 0;
        }
        UniqueModule lib(LoadLibraryA(dll));
        if (!lib) return 0;
        auto find = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(lib.Get(), name)); };
        m_pfnInstall = reinterpret_cast<PFN_NAME>(find("InstallSAgent"));
        m_pfnStart = reinterpret_cast<PFN_START>(find("StartSAgent"));
        m_pfnCheck = reinterpret_cast<PFN_CHECK>(find("CheckSAgent"));
        m_pfnUninstall = reinterpret_cast<PFN_NAME>(find("UninstallSAgent"));
        if (!m_pfnInstall || !m_pfnStart || !m_pfnCheck || !m_pfnUninstall) {
            m_pfnInstall = nullptr;
            m_pfnStart = nullptr;
            m_pfnCheck = nullptr;
            m_pfnUninstall = nullptr;
            return 0;  // lib unloads here
        }
        m_hLibrary = std::move(lib);
    }
    if (!CopyText(m_szDriver, driver ? driver : "", TextFit::Fail)) return 0;
    m_bLoaded = true;
    return 1;
}

int CSAgentControl::Install() {
    CLock lock(m_cs);
    return m_bLoaded ? m_pfnInstall(m_szDriver) : -1;
}

int CSAgentControl::Start(int flag) {
    CLock lock(m_cs);
    return m_bLoaded ? m_pfnStart(m_szDriver, flag) : -1;
}

int CSAgentControl::Check(int* pValue) {
    CLock lock(m_cs);
    int local = 0;
    return m_bLoaded ? m_pfnCheck(m_szDriver, pValue ? pValue : &local) : -1;
}

int CSAgentControl::Uninstall() {
    CLock lock(m_cs);
    return m_bLoaded ? m_pfnUninstall(m_szDriver) : -1;
}

int CSAgentControl::DoOperation(int operation) {
    switch (operation) {
    case OP_INSTALL:
        Install();
        return 0;
    case OP_INSTALL_AND_START: {
        Install();
        int value = -1;
        if (Check(&value) == 0 && value == 0) return Start(1);
        return 0;
    }
    case OP_UNINSTALL:
        return Uninstall();
    default:
        return 0;
    }
}

DWORD WINAPI CSAgentControl::WorkerProc(void* self) {
    auto* p = static_cast<CSAgentControl*>(self);
    int result = p->DoOperation(p->m_iOperation);
    PostMessageA(p->m_hWnd, p->m_uMessage, static_cast<WPARAM>(p->m_iOperation), static_cast<LPARAM>(result));
    return 0;
}

int CSAgentControl::Run(int operation, HWND hWnd, UINT message) {
    TraceScope ts("CSAgentControl::Run");
    if (!m_bLoaded) return -1;
    if (!hWnd || !message) {
        DoOperation(operation);
        return 1;
    }
    WaitForWorker();  // one worker at a time
    m_iOperation = operation;
    m_hWnd = hWnd;
    m_uMessage = message;
    m_hThread.Reset(CreateThread(nullptr, 0, &CSAgentControl::WorkerProc, this, 0, nullptr));
    if (!m_hThread) {
        // No thread: do it here and still tell the window.
        PostMessageA(hWnd, message, static_cast<WPARAM>(operation), static_cast<LPARAM>(DoOperation(operation)));
    }
    return 0;
}

}  // namespace vix
