#include "tray/tray_icon.h"

namespace vix {
namespace tray {

CTrayIcon::~CTrayIcon() {
    Delete();
    for (HICON& h : m_hIcons) {
        if (h) DestroyIcon(h);
        h = nullptr;
    }
}

HICON CTrayIcon::IconOf(int index) const {
    // Choices other than 0, 1 and 2 show the first icon.
    if (index < 0 || index >= kIconCount || !m_hIcons[index]) return m_hIcons[0];
    return m_hIcons[index];
}

bool CTrayIcon::Add(HWND hWnd, HMODULE hResource, const char* tip, int index, TextFit fit) {
    if (m_bAdded) return true;
    // CopyText reports a cut; only the checked build refuses one.
    if (!CopyText(m_szTip, kTipChars + 1, SafeView(tip), fit) && fit == TextFit::Fail) return false;
    for (int i = 0; i < kIconCount; ++i) {
        if (!m_hIcons[i])
            m_hIcons[i] = static_cast<HICON>(
                LoadImageA(hResource, MAKEINTRESOURCEA(kFirstIconId + i), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    }
    m_index = index;
    // The size of the record's original layout: tip of 64 characters, no
    // balloon fields.
    m_nid = {};
    m_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_nid.hWnd = hWnd;
    m_nid.uID = 0;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAYICON_NOTIFY;
    m_nid.hIcon = IconOf(index);
    CopyText(m_nid.szTip, sizeof(m_nid.szTip) < 64 ? sizeof(m_nid.szTip) : 64, m_szTip, TextFit::Cut);
    m_bAdded = Shell_NotifyIconA(NIM_ADD, &m_nid) != FALSE;
    return m_bAdded;
}

bool CTrayIcon::Change(int index) {
    if (!m_bAdded) return false;
    m_index = index;
    CopyText(m_nid.szTip, sizeof(m_nid.szTip) < 64 ? sizeof(m_nid.szTip) : 64, m_szTip, TextFit::Cut);
    m_nid.hIcon = IconOf(index);
    return Shell_NotifyIconA(NIM_MODIFY, &m_nid) != FALSE;
}

void CTrayIcon::Delete() {
    if (!m_bAdded) return;
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_bAdded = false;
}

}  // namespace tray
}  // namespace vix
