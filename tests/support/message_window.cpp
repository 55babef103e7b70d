#include "support/message_window.h"

namespace vixtest {

MessageWindow::MessageWindow() {
    m_hwnd = CreateWindowExA(0, "STATIC", "vixtest", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

MessageWindow::~MessageWindow() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

bool MessageWindow::WaitFor(UINT msg, DWORD timeoutMs, MSG* out) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, m_hwnd, 0, 0, PM_REMOVE)) {
            if (m.message == msg) {
                if (out) *out = m;
                return true;
            }
        }
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - waited, QS_ALLINPUT);
    }
}

int MessageWindow::CountFor(UINT msg, DWORD forMs) {
    int n = 0;
    const DWORD start = GetTickCount();
    for (;;) {
        MSG m;
        while (PeekMessageA(&m, m_hwnd, 0, 0, PM_REMOVE))
            if (m.message == msg) ++n;
        DWORD waited = GetTickCount() - start;
        if (waited >= forMs) return n;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, forMs - waited, QS_ALLINPUT);
    }
}

}  // namespace vixtest
