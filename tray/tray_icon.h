// The agent's icon in the notification area: three icons of the resource
// library (700, 701, 702), one of them shown as the target key's
// "TrayIconSelected" says, the printer's name as its tip.
#ifndef VIX_TRAY_TRAY_ICON_H
#define VIX_TRAY_TRAY_ICON_H

#include <windows.h>
#include <shellapi.h>

#include "foundation/text.h"

namespace vix {
namespace tray {

// The icon's callback message; the mouse message comes as the second
// parameter.
constexpr UINT WM_TRAYICON_NOTIFY = WM_USER + 100;  // 1124
constexpr int kIconCount = 3;
constexpr int kFirstIconId = 700;
// Characters of the tip, without its terminating zero.
constexpr std::size_t kTipChars = 63;

class CTrayIcon {
public:
    CTrayIcon() = default;
    ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // Loads the icons from the resource library, fills the record and adds
    // the icon. The tip is cut to 63 characters, or with TextFit::Fail a
    // longer name adds no icon. False when no icon was added.
    bool Add(HWND hWnd, HMODULE hResource, const char* tip, int index, TextFit fit);
    // Shows the icon of another index (the tip is set again).
    bool Change(int index);
    // Removes the icon from the notification area.
    void Delete();
    bool IsAdded() const { return m_bAdded; }
    int Index() const { return m_index; }
    const char* Tip() const { return m_szTip; }

private:
    HICON IconOf(int index) const;

    HICON m_hIcons[kIconCount] = {};
    NOTIFYICONDATAA m_nid = {};
    char m_szTip[64] = "";
    int m_index = 0;
    bool m_bAdded = false;
};

}  // namespace tray
}  // namespace vix

#endif
