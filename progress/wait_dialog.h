// CProgressWaitDialog: the dialog the status window shows while a job waits
// for reason 4. This is its logic: what it decides at the start, on its
// buttons and on the meter's notices. The window itself (template 105, the
// rich-text control, placement) comes with the dialog framework.
#ifndef VIX_PROGRESS_WAIT_DIALOG_H
#define VIX_PROGRESS_WAIT_DIALOG_H

#include <windows.h>

namespace vix {

class CProgressMeter;

constexpr UINT WM_WAITDLG_ANNOUNCE = 0x446;  // 0 / dialog window or 0, to the status window
constexpr UINT WM_WAITDLG_ERROR = 0x447;     // status window -> open wait dialog
constexpr int kWaitDlgCancelButton = 308;
constexpr int kWaitDlgCloseButton = 309;
constexpr DWORD kWaitDlgDeleteReason = 0xFFFF0000u;
constexpr int kWaitDlgKeepOpen = -1;

class CProgressWaitDialog {
public:
    CProgressWaitDialog(DWORD dwReason, CProgressMeter* pMeter, DWORD dwJobId, HWND hStatusWnd)
        : m_dwReason(dwReason), m_pMeter(pMeter), m_dwJobId(dwJobId), m_hStatusWnd(hStatusWnd) {}

    // Before the dialog is made: a job id of 0 or a reason other than 4 ends
    // it with 1; kWaitDlgKeepOpen means make the dialog.
    int Precheck() const;
    // With the dialog's window: takes over the meter's notice window and
    // decides whether to show (kWaitDlgKeepOpen), or end with 2 (no reason
    // left) or 1 (the current reason is not 4). Announces a shown dialog.
    int Begin(HWND hDlg);
    // Buttons 308 (cancel the job, then wait) and 309 (end with 1).
    int OnButton(int id);
    // The meter's notices and the status window's error message.
    int OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // Gives the notice window back and tells the status window.
    void End();

    bool ButtonsEnabled() const { return m_bButtons; }

private:
    DWORD m_dwReason;
    CProgressMeter* m_pMeter;
    DWORD m_dwJobId;
    HWND m_hStatusWnd;
    HWND m_hDlg = nullptr;
    ULONG_PTR m_prevNotice = 0;
    bool m_bTookOver = false;
    bool m_bButtons = true;
};

}  // namespace vix

#endif
