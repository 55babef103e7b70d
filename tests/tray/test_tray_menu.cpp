// The agent's menu and tip built in process from the bench driver's
// resource library and menu key: the default entry, the extra entries with
// their separators, the ink order entry, entries without a text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "provision/provision.h"
#include "support/bed_fixture.h"
#include "tray/tray_icon.h"
#include "tray/tray_menu.h"

using vix::tray::CTrayIcon;
using vix::tray::CTrayMenu;

namespace {

// One menu item as the user sees it: "-" for a separator, else the id,
// with "*" for the default entry and "o" for an owner-drawn one.
std::vector<std::string> Items(HMENU h) {
    std::vector<std::string> out;
    UINT def = GetMenuDefaultItem(h, FALSE, 0);
    for (int i = 0; i < GetMenuItemCount(h); ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_FTYPE | MIIM_ID;
        GetMenuItemInfoA(h, static_cast<UINT>(i), TRUE, &mii);
        if (mii.fType & MFT_SEPARATOR) {
            out.push_back("-");
            continue;
        }
        std::string s = std::to_string(mii.wID);
        if (mii.wID == def) s += "*";
        if (mii.fType & MFT_OWNERDRAW) s += "o";
        out.push_back(s);
    }
    return out;
}

struct MenuCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> menu;  // empty: no menu key
    bool bInkOrderKey;                                      // "Software\ZARVO\<driver> IO_URL" exists
    std::vector<std::string> expected;
};
void PrintTo(const MenuCase& c, std::ostream* os) { *os << c.name; }

const char* kInk = "C:\\vixbed\\ZVINKORD.EXE";

const MenuCase kMenuCases[] = {
    {"NoMenuKey", {}, false, {"900*", "901"}},
    {"TwoEntriesSecondAfterASeparator",
     {{"920", "a.exe"}, {"925", "b.exe"}, {"Separators", "2"}},
     false,
     {"900*", "901", "-", "920o", "-", "925o"}},
    {"EntryWithoutAStringResourceIsLeftOut",
     {{"920", "a.exe"}, {"921", "c.exe"}, {"925", "b.exe"}, {"Separators", "2"}},
     false,
     {"900*", "901", "-", "920o", "-", "925o"}},
    {"EmptyCommandIsLeftOut", {{"920", ""}, {"925", "b.exe"}}, false, {"900*", "901", "-", "925o"}},
    {"InkOrderHiddenWithoutItsKeyAndNotCounted",
     {{"920", "a.exe"}, {"925", "c:\\vixbed\\zvinkord.exe /menu"}, {"930", "b.exe"}, {"Separators", "2"}},
     false,
     {"900*", "901", "-", "920o", "-", "930o"}},
    {"InkOrderShownWithItsKey",
     {{"920", "a.exe"}, {"925", "c:\\vixbed\\zvinkord.exe /menu"}, {"930", "b.exe"}, {"Separators", "2"}},
     true,
     {"900*", "901", "-", "920o", "-", "925o", "930o"}},
    {"SeparatorsBeforeEveryEntry",
     {{"920", "a.exe"}, {"925", "b.exe"}, {"930", "c.exe"}, {"Separators", "1, 2,3"}},
     false,
     {"900*", "901", "-", "-", "920o", "-", "925o", "-", "930o"}},
};

class TrayMenu : public ::testing::TestWithParam<MenuCase> {
protected:
    void SetUp() override {
        const MenuCase& c = GetParam();
        for (const auto& v : c.menu) bed.Key().menu[v.first] = v.second;
        bed.Key().strings["DepExe"] = kInk;
        ASSERT_TRUE(bed.Create());
        if (c.bInkOrderKey) inkKey.reset(new vixtest::ScopedRegKey(HKEY_LOCAL_MACHINE,
                                                                   "Software\\ZARVO\\" + bed.Driver() + " IO_URL"));
        res = LoadLibraryExA((bed.InstallDir() + "\\ZVRES_EN.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(res, nullptr);
    }
    void TearDown() override {
        if (res) FreeLibrary(res);
    }
    vixtest::BedPrinter bed;
    std::unique_ptr<vixtest::ScopedRegKey> inkKey;
    HMODULE res = nullptr;
};

}  // namespace

TEST_P(TrayMenu, HoldsTheFixedAndTheExtraEntries) {
    CTrayMenu menu;
    std::string title(100, 'p');  // the whole name, however long
    ASSERT_TRUE(menu.Load(res, title.c_str()));
    menu.AddExtraEntries(bed.Driver().c_str(), res, res, vix::TextFit::Cut);
    EXPECT_EQ(Items(menu.Popup()), GetParam().expected);
    char text[300] = "";
    GetMenuStringA(menu.Popup(), 900, text, sizeof(text), MF_BYCOMMAND);
    EXPECT_EQ(text, title);
    // Each extra entry holds its text and the bitmap of its id.
    for (const std::string& item : GetParam().expected) {
        if (item.back() != 'o') continue;
        UINT id = static_cast<UINT>(std::stoi(item));
        const vix::tray::MenuEntry* e = menu.Entry(id);
        ASSERT_NE(e, nullptr) << id;
        EXPECT_NE(e->szText[0], '\0');
        EXPECT_NE(e->hBitmap, nullptr) << id;
    }
    if (GetParam().menu.empty()) EXPECT_EQ(menu.Entry(920), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrayMenu, ::testing::ValuesIn(kMenuCases),
                         [](const ::testing::TestParamInfo<MenuCase>& info) { return std::string(info.param.name); });

TEST(TrayMenuText, ExtraEntryTextsComeFromTheStringResources) {
    vixtest::BedPrinter bed;
    bed.Key().menu["920"] = "a.exe";
    ASSERT_TRUE(bed.Create());
    HMODULE res = LoadLibraryExA((bed.InstallDir() + "\\ZVRES_EN.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HMODULE bmp = LoadLibraryExA((bed.InstallDir() + "\\ZVBMP.DLL").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(res, nullptr);
    ASSERT_NE(bmp, nullptr);
    CTrayMenu menu;
    ASSERT_TRUE(menu.Load(res, "P"));
    menu.AddExtraEntries(bed.Driver().c_str(), res, bmp, vix::TextFit::Fail);
    const vix::tray::MenuEntry* e = menu.Entry(920);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->szText, "Printer Utility");
    // The bitmap library's pictures are 24 pixels wide, the resource
    // library's 16.
    BITMAP bm = {};
    ASSERT_TRUE(GetObjectA(e->hBitmap, sizeof(bm), &bm));
    EXPECT_EQ(bm.bmWidth, 24);
    FreeLibrary(bmp);
    FreeLibrary(res);
}

TEST(TrayTip, LongNameCutTo63OrRefusedByTheCheckedBuild) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VixTrayTipTest";
    RegisterClassA(&wc);
    HWND hWnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(hWnd, nullptr);
    std::string name;
    for (int i = 0; i < 100; ++i) name += static_cast<char>('A' + i % 26);
    {
        CTrayIcon icon;
        icon.Add(hWnd, nullptr, name.c_str(), 0, vix::TextFit::Cut);
        EXPECT_EQ(std::string(icon.Tip()), name.substr(0, 63));
    }
    {
        CTrayIcon icon;
        EXPECT_FALSE(icon.Add(hWnd, nullptr, name.c_str(), 0, vix::TextFit::Fail));
        EXPECT_FALSE(icon.IsAdded());
        std::string fits = name.substr(0, 63);
        icon.Add(hWnd, nullptr, fits.c_str(), 0, vix::TextFit::Fail);
        EXPECT_EQ(std::string(icon.Tip()), fits) << "63 characters and the zero fit";
    }
    DestroyWindow(hWnd);
}
