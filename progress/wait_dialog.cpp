#include "progress/wait_dialog.h"

#include "foundation/trace.h"
#include "progress/progress_meter.h"

namespace vix {

int CProgressWaitDialog::Precheck() const {
    if (m_dwJobId == 0 || !m_pMeter) return 1;
    return m_dwReason == kWaitReason4 ? kWaitDlgKeepOpen : 1;
}

int CProgressWaitDialog::Begin(HWND hDlg) {
    TraceScope scope("CProgressWaitDialog::Begin");
    m_hDlg = hDlg;
    m_pMeter->GetMeterParam(PM_PARAM_NOTICE_WINDOW, &m_prevNotice);
    m_pMeter->SetMeterParam(PM_PARAM_NOTICE_WINDOW, reinterpret_cast<ULONG_PTR>(hDlg));
    m_bTookOver = true;
    DWORD dwReason = 0;
    if (!m_pMeter->GetWaitReason(&dwReason)) return 2;
    if (dwReason != kWaitReason4) return 1;
    if (m_hStatusWnd) SendMessageA(m_hStatusWnd, WM_WAITDLG_ANNOUNCE, 0, reinterpret_cast<LPARAM>(hDlg));
    return kWaitDlgKeepOpen;
}

int CProgressWaitDialog::OnButton(int id) {
    if (id == kWaitDlgCloseButton) {
        m_bButtons = false;
        return 1;
    }
    if (id == kWaitDlgCancelButton) {
        m_bButtons = false;
        m_pMeter->CancelJob(m_dwJobId, kWaitDlgDeleteReason);
    }
    return kWaitDlgKeepOpen;
}

int CProgressWaitDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PROGRESSIF_STATUS || msg == WM_WAITDLG_ERROR) return 2;
    if (msg == WM_PROGRESSIF_WAIT) {
        if (m_hStatusWnd && IsWindow(m_hStatusWnd)) PostMessageA(m_hStatusWnd, msg, wParam, lParam);
        return 2;
    }
    return kWaitDlgKeepOpen;
}

void CProgressWaitDialog::End() {
    if (!m_bTookOver) return;
    m_pMeter->SetMeterParam(PM_PARAM_NOTICE_WINDOW, m_prevNotice);
    m_bTookOver = false;
    if (m_hStatusWnd) SendMessageA(m_hStatusWnd, WM_WAITDLG_ANNOUNCE, 0, 0);
}

}  // namespace vix
