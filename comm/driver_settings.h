// The printer driver's settings library "zvset32.dll": bound for one lookup
// and released right after. Only the text lookup is used.
#ifndef VIX_COMM_DRIVER_SETTINGS_H
#define VIX_COMM_DRIVER_SETTINGS_H

#include <windows.h>

#include <string>

namespace vix {

// The request record of item 213 (text of a setting).
struct ZvTextRequest {
    DWORD dwVersion;  // 1
    DWORD dwSize;     // size of this record (24 on x86)
    DWORD dwLength;   // text length, set by the library
    DWORD dwKind;     // 3 media, 1 paper size, 4 help file
    DWORD dwValue;    // the value to translate
    char* pszText;    // the text buffer, null on the first call
};

constexpr DWORD ZVDM_ITEM_SETTING_TEXT = 213;
constexpr DWORD ZVTEXT_MEDIA = 3;
constexpr DWORD ZVTEXT_PAPER_SIZE = 1;
constexpr DWORD ZVTEXT_HELP_FILE = 4;

typedef LONG(WINAPI* PFN_ZVDM_Open)(LPCSTR printer, LPCSTR port, DWORD, DWORD, HANDLE* handle);
typedef LONG(WINAPI* PFN_ZVDM_GetData)(HANDLE handle, DWORD item, void* record);
typedef LONG(WINAPI* PFN_ZVDM_Close)(HANDLE handle);

class CZvSetLibrary {
public:
    CZvSetLibrary();
    ~CZvSetLibrary();
    CZvSetLibrary(const CZvSetLibrary&) = delete;
    CZvSetLibrary& operator=(const CZvSetLibrary&) = delete;

    bool IsEnabled() const { return m_bEnable; }
    // The text of a setting, empty on any failure.
    std::string GetSettingText(DWORD kind, DWORD value, const char* printer, const char* port);

    static const char* const kEntryNames[12];

private:
    bool m_bEnable = false;
    HMODULE m_hModule = nullptr;
    FARPROC m_fn[12] = {};
};

}  // namespace vix

#endif
