#include "tray/tray_menu.h"

#include <cstdio>

#include "foundation/printer_info.h"
#include "foundation/settings.h"
#include "tray/reg_text.h"
#include "tray/tray_log.h"

namespace vix {
namespace tray {

namespace {

bool IoUrlKeyExists(const char* driver) {
    std::string path = "Software\\ZARVO\\" + std::string(SafeView(driver)) + " IO_URL";
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

// A string resource whole, or with TextFit::Fail nothing when it does not
// fit the entry's 260 bytes.
bool LoadEntryText(HMODULE hStrings, int id, TextFit fit, char (&out)[260]) {
    char buf[1024];
    int n = hStrings ? LoadStringA(hStrings, static_cast<UINT>(id), buf, sizeof(buf)) : 0;
    out[0] = '\0';
    if (n <= 0) return false;
    bool bWhole = CopyText(out, std::string_view(buf, static_cast<std::size_t>(n)), fit);
    return (bWhole || fit == TextFit::Cut) && out[0];
}

}  // namespace

bool DriverMenuKeyPath(const char* driver, char* out, std::size_t cap) {
    return DriverKeyPath(driver, out, cap) && AppendText(out, cap, "\\Menu", TextFit::Fail);
}

bool ReadMenuValue(const char* driver, const char* name, char (&out)[260]) {
    out[0] = '\0';
    char path[260];
    if (!DriverMenuKeyPath(driver, path, sizeof(path))) return false;
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    bool bRead = ReadRegText(h, name, out);
    RegCloseKey(h);
    return bRead;
}

CTrayMenu::~CTrayMenu() {
    Destroy();
    for (MenuEntry& e : m_entries)
        if (e.hBitmap) DeleteObject(e.hBitmap);
}

void CTrayMenu::Destroy() {
    if (m_hMenu) DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    m_hPopup = nullptr;
}

bool CTrayMenu::Load(HMODULE hResource, const char* title) {
    Destroy();
    m_hMenu = hResource ? LoadMenuA(hResource, MAKEINTRESOURCEA(kMenuResourceId)) : nullptr;
    m_hPopup = m_hMenu ? GetSubMenu(m_hMenu, 0) : nullptr;
    if (!m_hPopup) return false;
    ModifyMenuA(m_hPopup, 0, MF_BYPOSITION | MF_STRING, ID_STATUS_WINDOW, SafeView(title).data());
    SetMenuDefaultItem(m_hPopup, ID_STATUS_WINDOW, FALSE);
    return true;
}

void CTrayMenu::AddExtraEntries(const char* driver, HMODULE hStrings, HMODULE hBitmaps, TextFit fit) {
    for (MenuEntry& e : m_entries)
        if (e.hBitmap) DeleteObject(e.hBitmap);
    m_entries.assign(kExtraEntryCount, MenuEntry());

    char path[260];
    HKEY hKey = nullptr;
    if (!m_hPopup || !DriverMenuKeyPath(driver, path, sizeof(path)) ||
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &hKey) != ERROR_SUCCESS) {
        m_entries.clear();
        return;
    }
    AppendMenuA(m_hPopup, MF_SEPARATOR, 0, nullptr);

    // The ink order entry shows only where the driver offers ink ordering.
    char depExe[260] = "";
    ReadDriverKeyString(driver, "DepExe", depExe, sizeof(depExe));
    std::string_view depFile = FileNameOf(depExe);
    bool bIoUrl = IoUrlKeyExists(driver);
    int inkOrderId = 0;
    char value[260];
    for (int id = kFirstExtraId; id <= kLastExtraId && !depFile.empty(); ++id) {
        char name[16];
        std::snprintf(name, sizeof(name), "%d", id);
        if (ReadRegText(hKey, name, value) && IsInkOrderCommand(value, depFile)) {
            inkOrderId = id;
            break;
        }
    }

    char separators[260] = "";
    ReadRegText(hKey, "Separators", separators);

    std::vector<ExtraCandidate> candidates;
    for (int id = kFirstExtraId; id <= kLastExtraId; ++id) {
        char name[16];
        std::snprintf(name, sizeof(name), "%d", id);
        ExtraCandidate c;
        c.id = id;
        c.bHasCommand = ReadRegText(hKey, name, value);
        MenuEntry& e = m_entries[static_cast<std::size_t>(id - kFirstExtraId)];
        if (c.bHasCommand && !(id == inkOrderId && !bIoUrl)) c.bHasText = LoadEntryText(hStrings, id, fit, e.szText);
        if (!c.bHasText) e.szText[0] = '\0';
        candidates.push_back(c);
    }
    RegCloseKey(hKey);

    for (const MenuStep& step : PlanExtraEntries(candidates, ParseSeparators(separators))) {
        if (step.bSeparator) {
            AppendMenuA(m_hPopup, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        MenuEntry& e = m_entries[static_cast<std::size_t>(step.id - kFirstExtraId)];
        e.id = step.id;
        if (hBitmaps) e.hBitmap = LoadBitmapA(hBitmaps, MAKEINTRESOURCEA(step.id));
        AppendMenuA(m_hPopup, MF_OWNERDRAW, static_cast<UINT_PTR>(step.id), reinterpret_cast<LPCSTR>(&e));
        TraceMsgNum("CMainFrame::StartUp : menu entry", step.id);
    }
}

const MenuEntry* CTrayMenu::Entry(UINT id) const {
    if (id < static_cast<UINT>(kFirstExtraId) || id > static_cast<UINT>(kLastExtraId) || m_entries.empty())
        return nullptr;
    const MenuEntry& e = m_entries[id - kFirstExtraId];
    return e.id == static_cast<int>(id) ? &e : nullptr;
}

bool CTrayMenu::Measure(MEASUREITEMSTRUCT* mis) const {
    if (!mis || mis->CtlType != ODT_MENU) return false;
    const MenuEntry* e = Entry(mis->itemID);
    if (!e) return false;
    SIZE extent = {};
    HDC hdc = GetDC(nullptr);
    if (hdc) {
        GetTextExtentPoint32A(hdc, e->szText, static_cast<int>(BoundedLength(e->szText, sizeof(e->szText))),
                              &extent);
        ReleaseDC(nullptr, hdc);
    }
    mis->itemWidth = static_cast<UINT>(extent.cx + GetSystemMetrics(SM_CXMENUCHECK));
    mis->itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU));
    return true;
}

bool CTrayMenu::Draw(const DRAWITEMSTRUCT* dis) const {
    if (!dis || dis->CtlType != ODT_MENU) return false;
    const MenuEntry* e = Entry(dis->itemID);
    if (!e) return false;
    bool bSelected = (dis->itemState & ODS_SELECTED) != 0;
    RECT rc = dis->rcItem;
    HBRUSH hBrush = GetSysColorBrush(bSelected ? COLOR_HIGHLIGHT : COLOR_MENU);
    FillRect(dis->hDC, &rc, hBrush);

    int textLeft = rc.left + 20 + 10;
    if (e->hBitmap) {
        BITMAP bm = {};
        GetObjectA(e->hBitmap, sizeof(bm), &bm);
        HDC hMem = CreateCompatibleDC(dis->hDC);
        if (hMem) {
            HGDIOBJ hOld = SelectObject(hMem, e->hBitmap);
            int top = rc.top + ((rc.bottom - rc.top) - bm.bmHeight) / 2;
            BitBlt(dis->hDC, rc.left + 4, top, bm.bmWidth, bm.bmHeight, hMem, 0, 0, SRCCOPY);
            SelectObject(hMem, hOld);
            DeleteDC(hMem);
        }
        textLeft = rc.left + bm.bmWidth + 4 + 10;
    }
    COLORREF oldText = SetTextColor(dis->hDC, GetSysColor(bSelected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    COLORREF oldBack = SetBkColor(dis->hDC, GetSysColor(bSelected ? COLOR_HIGHLIGHT : COLOR_MENU));
    RECT textRect = rc;
    textRect.left = textLeft;
    DrawTextA(dis->hDC, e->szText, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    SetTextColor(dis->hDC, oldText);
    SetBkColor(dis->hDC, oldBack);
    return true;
}

}  // namespace tray
}  // namespace vix
