// The binding of the driver's status-agent control library (named by the
// driver key's "SAgentControlDll"), which installs, starts, checks and
// removes the agent that lets a shared printer be monitored. Its calls are
// serialized; Run can do an operation on a worker thread and post the
// outcome to a window.
#ifndef VIX_CORE_SAGENT_CONTROL_H
#define VIX_CORE_SAGENT_CONTROL_H

#include <windows.h>

#include "foundation/critical_section.h"
#include "foundation/handles.h"

namespace vix {

class CSAgentControl {
public:
    // Operations of Run.
    enum : int { OP_INSTALL = 1, OP_INSTALL_AND_START = 2, OP_UNINSTALL = 3 };

    CSAgentControl() = default;
    // Waits for a running worker, then unloads the library.
    ~CSAgentControl();
    CSAgentControl(const CSAgentControl&) = delete;
    CSAgentControl& operator=(const CSAgentControl&) = delete;

    // 1 when the library is (or already was) loaded, 0 when not.
    int Load(const char* driver);
    bool IsLoaded() const { return m_bLoaded; }

    // -1 not loaded; with a window and a message 0 (the operation runs on a
    // worker thread and its result is posted as (operation, result));
    // without them 1 (done at once).
    int Run(int operation, HWND hWnd, UINT message);

    // The library's results, -1 when not loaded.
    int Install();
    int Start(int flag);
    int Check(int* pValue);
    int Uninstall();

private:
    typedef int(WINAPI* PFN_NAME)(const char*);
    typedef int(WINAPI* PFN_START)(const char*, int);
    typedef int(WINAPI* PFN_CHECK)(const char*, int*);

    int DoOperation(int operation);
    void WaitForWorker();
    static DWORD WINAPI WorkerProc(void* self);

    CCriticalSection m_cs;
    bool m_bLoaded = false;
    char m_szDriver[260] = "";
    UniqueModule m_hLibrary;
    PFN_NAME m_pfnInstall = nullptr;
    PFN_START m_pfnStart = nullptr;
    PFN_CHECK m_pfnCheck = nullptr;
    PFN_NAME m_pfnUninstall = nullptr;
    UniqueHandle m_hThread;
    int m_iOperation = 0;
    HWND m_hWnd = nullptr;
    UINT m_uMessage = 0;
};

}  // namespace vix

#endif
