// A message-only window for tests that receive posted messages.
#ifndef VIX_TESTS_MESSAGE_WINDOW_H
#define VIX_TESTS_MESSAGE_WINDOW_H

#include <windows.h>

#include <vector>

namespace vixtest {

class MessageWindow {
public:
    MessageWindow();
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    // Pumps messages until `msg` arrives or the time is up.
    bool WaitFor(UINT msg, DWORD timeoutMs, MSG* out = nullptr);
    // Pumps for a while and returns how many `msg` arrived.
    int CountFor(UINT msg, DWORD forMs);

private:
    HWND m_hwnd = nullptr;
};

}  // namespace vixtest

#endif
