#include "installer/ui_framework.h"

namespace zvu::ui {

Application* Application::s_current = nullptr;

Application::Application() : m_hInstance(GetModuleHandleA(nullptr)) { s_current = this; }

Application::~Application() {
    if (s_current == this) s_current = nullptr;
}

int Application::Run() {
    bool go = false;
    try {
        go = InitInstance();
    } catch (...) {
        go = false;
    }
    (void)go;
    return ExitInstance();
}

INT_PTR Dialog::DoModal(HWND parent) {
    HINSTANCE inst = Application::Current() ? Application::Current()->Instance() : GetModuleHandleA(nullptr);
    return DialogBoxParamW(inst, MAKEINTRESOURCEW(m_templateId), parent, Proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lp);
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hwnd = hwnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    LRESULT result = 0;
    if (self->OnMessage(msg, wp, lp, &result)) {
        switch (msg) {
            // These answer through the return value itself.
            case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
            case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC: case WM_COMPAREITEM:
            case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON: case WM_INITDIALOG:
                return static_cast<INT_PTR>(result);
            default:
                SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
                return TRUE;
        }
    }
    if (msg == WM_COMMAND) {
        self->OnCommand(LOWORD(wp));
        return TRUE;
    }
    if (msg == WM_CLOSE) {
        self->End(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

bool WorkerThread::Start(std::function<void()> body) {
    if (m_thread) return false;
    m_body = std::move(body);
    DWORD id = 0;
    m_thread.Reset(CreateThread(nullptr, 0, Entry, this, 0, &id));
    if (!m_thread) return false;
    SetThreadPriority(m_thread.Get(), THREAD_PRIORITY_NORMAL);
    return true;
}

void WorkerThread::Join() {
    if (!m_thread) return;
    WaitForSingleObject(m_thread.Get(), INFINITE);
    m_thread.Reset();
    m_body = nullptr;
}

DWORD WINAPI WorkerThread::Entry(void* p) {
    auto* self = static_cast<WorkerThread*>(p);
    try {
        if (self->m_body) self->m_body();
    } catch (...) {
    }
    return 0;
}

}  // namespace zvu::ui
