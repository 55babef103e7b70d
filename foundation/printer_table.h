// The shared-memory printer table: open windows register per printer and
// kind, so that a second start finds the window that is already open.
// A named, pagefile-backed mapping of 500 fixed-size records; the record
// walk itself is in printer_table_records.*.
#ifndef VIX_FOUNDATION_PRINTER_TABLE_H
#define VIX_FOUNDATION_PRINTER_TABLE_H

#include <windows.h>

#include <cstddef>
#include <string>

#include "foundation/printer_table_records.h"

namespace vix {

// The default table names of a build: one for keys of up to 259
// characters (274-byte records), one for longer keys (534-byte records).
struct PrinterTableNames {
    const char* shortName;
    const char* longName;
    // One table of 534-byte records for every key length (longName unused).
    bool bLongRecordsOnly = false;
};
// The core library's and vixtray's names.
extern const PrinterTableNames kDefaultTableNames;

// A table as chosen for a printer: its mapping name, record size and the key.
struct PrinterTableChoice {
    std::string name;
    std::size_t recordSize = 0;
    std::string key;
};

// The key is the printer name, or the port name when the printer name is
// empty. A printer whose driver key has a non-empty "MapFileName" uses that
// table with 534-byte records; otherwise the default names by key length.
// False when there is no key.
bool ChoosePrinterTable(const char* printer, const char* port, const PrinterTableNames& names,
                        PrinterTableChoice* choice);

// Registration in a named table (created with its security descriptor when
// missing). Results: table::REG_DONE, REG_EXISTING (*phExisting is the live
// window), REG_FAILED. On REG_DONE and REG_EXISTING *phMap is the caller's
// mapping handle, kept while the window lives; on REG_FAILED it is null,
// and *pbNoMapping (when given) tells whether the mapping itself could not
// be made or viewed (rather than the table being full or the key unfit).
int RegisterInTable(const PrinterTableChoice& table, int kind, DWORD value, HWND* phExisting, HANDLE* phMap,
                    bool* pbNoMapping = nullptr);
int SetInTable(const PrinterTableChoice& table, HWND hWnd, int kind);
void ReleaseInTable(HANDLE hMap, const PrinterTableChoice& table, int kind);

// The operations of the table as the windows call them.
int MapRegisterWindow(const char* printer, const char* port, int kind, DWORD value, HWND* phExisting,
                      HANDLE* phMap, const PrinterTableNames& names = kDefaultTableNames,
                      bool* pbNoMapping = nullptr);
// 0 set; 254 or 1 name not in the table; -1 no table.
int MapSetWindow(const char* printer, const char* port, HWND hWnd, int kind,
                 const PrinterTableNames& names = kDefaultTableNames);
// With bUsePort the port name keys the record when the printer name is
// empty; without it an empty printer name releases nothing. The caller
// closes hMap afterwards.
void MapReleaseWindow(HANDLE hMap, const char* printer, const char* port, int kind, bool bUsePort,
                      const PrinterTableNames& names = kDefaultTableNames);

// The slot value a window handle is stored as, and back.
inline DWORD SlotOfWindow(HWND h) { return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(h)); }
inline HWND WindowOfSlot(DWORD v) { return reinterpret_cast<HWND>(LongToHandle(static_cast<LONG>(v))); }

}  // namespace vix

#endif
