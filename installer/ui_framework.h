// A small application, dialog and worker-thread layer over plain Win32: the
// application object runs the program, dialogs run modally from templates
// in the program's resources, and a worker thread reports to a window only
// by posted messages.
#ifndef ZVU_UI_FRAMEWORK_H
#define ZVU_UI_FRAMEWORK_H

#include <windows.h>

#include <functional>

#include "foundation/handles.h"

namespace zvu::ui {

class Dialog {
public:
    explicit Dialog(int templateId) : m_templateId(templateId) {}
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog until End; its result.
    INT_PTR DoModal(HWND parent);
    HWND Hwnd() const { return m_hwnd; }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // True when handled; *result goes back to the sender.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) { return false; }
    virtual void OnCommand(WORD id) {
        if (id == IDOK || id == IDCANCEL) End(id);
    }
    void End(INT_PTR code) { EndDialog(m_hwnd, code); }

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    int m_templateId;
    HWND m_hwnd = nullptr;
};

// One worker thread at a time; the body runs on it and must not throw.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { Join(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    bool Start(std::function<void()> body);
    bool Running() const { return static_cast<bool>(m_thread); }
    // Waits for the thread to end and forgets it.
    void Join();

private:
    static DWORD WINAPI Entry(void* self);

    vix::UniqueHandle m_thread;
    std::function<void()> m_body;
};

// The program: InitInstance does the work (false ends the program at once),
// ExitInstance gives the exit code.
class Application {
public:
    Application();
    virtual ~Application();
    static Application* Current() { return s_current; }
    HINSTANCE Instance() const { return m_hInstance; }
    int Run();

protected:
    virtual bool InitInstance() = 0;
    virtual int ExitInstance() { return 0; }

private:
    static Application* s_current;
    HINSTANCE m_hInstance;
};

}  // namespace zvu::ui

#endif
