// The test bench's driver-settings library "zvset32.dll": the twelve
// exported operations; item 213 translates setting values into texts.
#include <windows.h>

#include <cstring>

#include "comm/driver_settings.h"

namespace {

const char* const kMedia[] = {"Plain Paper", "Photo Paper Glossy", "Matte Photo Paper", "Envelope"};
const char* const kPaperSizes[] = {"A4", "Letter", "4 x 6 in", "A5"};
const char kHelpFile[] = "ZVHELP.HLP";
const DWORD kMagic = 0x5A56534Eu;  // what an open handle points at

struct Session {
    DWORD magic;
    char printer[260];
};

const char* TextOf(DWORD kind, DWORD value) {
    switch (kind) {
        case vix::ZVTEXT_MEDIA: return value < 4 ? kMedia[value] : nullptr;
        case vix::ZVTEXT_PAPER_SIZE: return value < 4 ? kPaperSizes[value] : nullptr;
        case vix::ZVTEXT_HELP_FILE: return kHelpFile;
        default: return nullptr;
    }
}

bool Valid(HANDLE h) { return h && static_cast<Session*>(h)->magic == kMagic; }

}  // namespace

extern "C" {

LONG WINAPI ZVDM_Open(LPCSTR printer, LPCSTR port, DWORD, DWORD, HANDLE* handle) {
    if (!handle || ((!printer || !printer[0]) && (!port || !port[0]))) return -1;
    Session* s = new Session();
    s->magic = kMagic;
    std::strncpy(s->printer, printer ? printer : port, sizeof(s->printer) - 1);
    *handle = s;
    return 0;
}

LONG WINAPI ZVDM_GetData(HANDLE handle, DWORD item, void* record) {
    if (!Valid(handle) || !record) return -1;
    if (item != vix::ZVDM_ITEM_SETTING_TEXT) return -3;
    vix::ZvTextRequest* r = static_cast<vix::ZvTextRequest*>(record);
    if (r->dwVersion != 1 || r->dwSize != sizeof(vix::ZvTextRequest)) return -4;
    const char* text = TextOf(r->dwKind, r->dwValue);
    if (!text) return -5;
    const DWORD length = static_cast<DWORD>(std::strlen(text));
    if (!r->pszText) {
        r->dwLength = length;
        return 0;
    }
    if (r->dwLength < length) return -2;
    std::memcpy(r->pszText, text, length);
    r->pszText[length] = '\0';
    r->dwLength = length;
    return 0;
}

LONG WINAPI ZVDM_Close(HANDLE handle) {
    if (!Valid(handle)) return -1;
    Session* s = static_cast<Session*>(handle);
    s->magic = 0;
    delete s;
    return 0;
}

// The rest of the library's operations; this system never calls them.
LONG WINAPI ZVDM_GetDriverInfo(HANDLE, void*) { return -1; }
LONG WINAPI ZVDM_GetCommandLevel(HANDLE) { return -1; }
LONG WINAPI ZVDM_GetRange(HANDLE, DWORD, void*) { return -1; }
LONG WINAPI ZVDM_SetData(HANDLE, DWORD, void*) { return -1; }
LONG WINAPI ZVDM_CreateDC(HANDLE, void*) { return -1; }
LONG WINAPI ZVDM_ResetDC(HANDLE, void*) { return -1; }
LONG WINAPI ZVDM_DeleteDC(HANDLE, void*) { return -1; }
LONG WINAPI ZVDM_GetDevMode(HANDLE, void*) { return -1; }
LONG WINAPI ZVDM_UpdateDevMode(HANDLE, void*) { return -1; }

}  // extern "C"
