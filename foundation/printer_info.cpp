#include "foundation/printer_info.h"

#include "foundation/settings.h"

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <new>
#include <vector>

#include "foundation/handles.h"
#include "foundation/registry_key.h"
#include "foundation/text.h"

namespace vix {


bool IsNtPlatform() {
    OSVERSIONINFOA vi = {};
    vi.dwOSVersionInfoSize = sizeof(vi);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExA(&vi) && vi.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
}

HANDLE OpenPrinterByName(const char* printer) {
    if (!printer || !*printer) return nullptr;
    HANDLE h = nullptr;
    if (OpenPrinterA(const_cast<char*>(printer), &h, nullptr)) return h;
    if (!IsNtPlatform()) return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, printer, -1, nullptr, 0);
    if (n <= 0) return nullptr;
    std::vector<wchar_t> wide(static_cast<std::size_t>(n));
    if (MultiByteToWideChar(CP_ACP, 0, printer, -1, wide.data(), n) <= 0) return nullptr;
    h = nullptr;
    return OpenPrinterW(wide.data(), &h, nullptr) ? h : nullptr;
}

namespace {

// A printer's PRINTER_INFO_2 in a buffer of its size; *pbOpened tells
// whether the printer could be opened at all.
std::unique_ptr<BYTE[]> ReadPrinterInfo2(const char* printer, bool* pbOpened) {
    *pbOpened = false;
    if (!printer || !*printer) return nullptr;
    UniquePrinter hPrinter(OpenPrinterByName(printer));
    if (!hPrinter) return nullptr;
    *pbOpened = true;
    DWORD needed = 0;
    GetPrinterA(hPrinter.Get(), 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2A)) return nullptr;
    std::unique_ptr<BYTE[]> info(new (std::nothrow) BYTE[needed]);
    if (!info || !GetPrinterA(hPrinter.Get(), 2, info.get(), needed, &needed)) return nullptr;
    return info;
}

}  // namespace

bool ReadPrinterNames(const char* printer, std::string* driver, std::string* port) {
    bool bOpened = false;
    std::unique_ptr<BYTE[]> info = ReadPrinterInfo2(printer, &bOpened);
    if (!info) return false;
    const PRINTER_INFO_2A* pi = reinterpret_cast<const PRINTER_INFO_2A*>(info.get());
    if (driver) driver->assign(SafeView(pi->pDriverName));
    if (port) port->assign(SafeView(pi->pPortName));
    return true;
}

PrinterPresence ProbePrinter(const char* printer) {
    bool bOpened = false;
    std::unique_ptr<BYTE[]> info = ReadPrinterInfo2(printer, &bOpened);
    if (!bOpened) return PrinterPresence::Gone;
    if (!info) return PrinterPresence::Present;  // open, its information unreadable
    const PRINTER_INFO_2A* pi = reinterpret_cast<const PRINTER_INFO_2A*>(info.get());
    if (!pi->pDriverName || !*pi->pDriverName || !pi->pPrintProcessor || !*pi->pPrintProcessor) {
        return PrinterPresence::Incomplete;
    }
    return PrinterPresence::Present;
}

namespace {
bool OpenDriverKey(const char* driver, RegistryKey* key) {
    char path[260];
    return driver && *driver && DriverKeyPath(driver, path, sizeof(path)) && key->Open(HKEY_LOCAL_MACHINE, path);
}
}  // namespace

bool ReadDriverKeyString(const char* driver, const char* name, char* dst, std::size_t cap) {
    if (!dst || cap == 0) return false;
    RegistryKey key;
    return OpenDriverKey(driver, &key) && key.ReadString(name, dst, cap);
}

std::string ReadDriverKeyText(const char* driver, const char* name) {
    RegistryKey key;
    return OpenDriverKey(driver, &key) ? key.ReadString(name) : std::string();
}

}  // namespace vix
