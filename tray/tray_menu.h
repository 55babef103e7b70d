// The agent's popup menu: the first sub-menu of menu resource 801 of the
// resource library, its first entry turned into the default entry 900 that
// names the printer, and the driver's extra entries from the driver key's
// "Menu" sub-key, drawn by the agent with their bitmaps.
#ifndef VIX_TRAY_TRAY_MENU_H
#define VIX_TRAY_TRAY_MENU_H

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/text.h"
#include "tray/menu_plan.h"

namespace vix {
namespace tray {

constexpr int kMenuResourceId = 801;
constexpr UINT ID_STATUS_WINDOW = 900;
constexpr UINT ID_PREFERENCES = 901;

// One extra entry: its command id, bitmap and text.
struct MenuEntry {
    int id = 0;
    HBITMAP hBitmap = nullptr;
    char szText[260] = "";
};

// The driver's menu key: HKLM "software\ZARVO\VIX3\Driver\<driver>\Menu".
// False when the path does not fit.
bool DriverMenuKeyPath(const char* driver, char* out, std::size_t cap);
// A string value of the driver's menu key (at most 259 characters); false
// when the key or the value is missing or empty.
bool ReadMenuValue(const char* driver, const char* name, char (&out)[260]);

class CTrayMenu {
public:
    CTrayMenu() = default;
    ~CTrayMenu();
    CTrayMenu(const CTrayMenu&) = delete;
    CTrayMenu& operator=(const CTrayMenu&) = delete;

    // Loads menu 801 and makes the first entry of its first sub-menu the
    // default entry 900 with the title. False when there is no sub-menu.
    bool Load(HMODULE hResource, const char* title);
    // Appends the driver's extra entries: texts from hStrings, bitmaps from
    // hBitmaps. Without a menu key the entry table is dropped.
    void AddExtraEntries(const char* driver, HMODULE hStrings, HMODULE hBitmaps, TextFit fit);
    // Destroys the menu (the bitmaps stay until the object goes).
    void Destroy();

    HMENU Popup() const { return m_hPopup; }
    // The table entry of an extra id put into the menu, or null.
    const MenuEntry* Entry(UINT id) const;

    // Owner drawing of the extra entries; false for other ids.
    bool Measure(MEASUREITEMSTRUCT* mis) const;
    bool Draw(const DRAWITEMSTRUCT* dis) const;

private:
    HMENU m_hMenu = nullptr;
    HMENU m_hPopup = nullptr;
    std::vector<MenuEntry> m_entries;  // index id - 920; empty when dropped
};

}  // namespace tray
}  // namespace vix

#endif
