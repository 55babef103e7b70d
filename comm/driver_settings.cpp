#include "comm/driver_settings.h"

#include <memory>
#include <new>

namespace vix {

const char* const CZvSetLibrary::kEntryNames[12] = {
    "ZVDM_Open",    "ZVDM_GetDriverInfo", "ZVDM_GetCommandLevel", "ZVDM_GetRange",
    "ZVDM_GetData", "ZVDM_SetData",       "ZVDM_CreateDC",        "ZVDM_ResetDC",
    "ZVDM_DeleteDC", "ZVDM_GetDevMode",   "ZVDM_UpdateDevMode",   "ZVDM_Close"};

namespace {
enum { kOpen = 0, kGetData = 4, kClose = 11 };
constexpr DWORD kMaxTextBytes = 64 * 1024;  // a longer text is not believed
}  // namespace

CZvSetLibrary::CZvSetLibrary() : m_hModule(LoadLibraryA("zvset32.dll")) {
    if (!m_hModule) return;
    for (int i = 0; i < 12; ++i) {
        m_fn[i] = GetProcAddress(m_hModule, kEntryNames[i]);
        if (!m_fn[i]) return;
    }
    m_bEnable = true;
}

CZvSetLibrary::~CZvSetLibrary() {
    if (m_hModule) FreeLibrary(m_hModule);
}

std::string CZvSetLibrary::GetSettingText(DWORD kind, DWORD value, const char* printer, const char* port) {
    if (!m_bEnable) return std::string();
    auto open = reinterpret_cast<PFN_ZVDM_Open>(reinterpret_cast<void*>(m_fn[kOpen]));
    auto getData = reinterpret_cast<PFN_ZVDM_GetData>(reinterpret_cast<void*>(m_fn[kGetData]));
    auto close = reinterpret_cast<PFN_ZVDM_Close>(reinterpret_cast<void*>(m_fn[kClose]));
    HANDLE handle = nullptr;
    if (open(printer, port, 0, 0, &handle) != 0) return std::string();
    std::string text;
    ZvTextRequest req = {1, sizeof(ZvTextRequest), 0, kind, value, nullptr};
    if (getData(handle, ZVDM_ITEM_SETTING_TEXT, &req) == 0 && req.dwLength < kMaxTextBytes) {
        const DWORD capacity = req.dwLength;
        std::unique_ptr<char[]> buffer(new (std::nothrow) char[capacity + 1]());
        if (buffer) {
            req.pszText = buffer.get();
            req.dwLength = capacity;
            if (getData(handle, ZVDM_ITEM_SETTING_TEXT, &req) == 0) {
                buffer[capacity] = '\0';
                text = buffer.get();
            }
        }
    }
    close(handle);
    return text;
}

}  // namespace vix
