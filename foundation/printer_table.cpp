#include "foundation/printer_table.h"

#include <memory>
#include <vector>

#include "foundation/handles.h"
#include "foundation/printer_info.h"
#include "foundation/text.h"

namespace vix {

const PrinterTableNames kDefaultTableNames = {"VixV3MapFile_02", "VixV3MapFile2_02"};

namespace {

// Access the table's two entries grant.
constexpr DWORD kTableAccess = 0xF003F;

// A mapped view, unmapped when it goes.
class MappedView {
public:
    MappedView(HANDLE hMap, std::size_t size)
        : m_p(hMap ? MapViewOfFile(hMap, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size) : nullptr), m_size(size) {}
    ~MappedView() {
        if (m_p) UnmapViewOfFile(m_p);
    }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;
    explicit operator bool() const { return m_p != nullptr; }
    table::RecordTable Records(std::size_t recordSize) const {
        return table::RecordTable(static_cast<std::uint8_t*>(m_p), m_size, recordSize);
    }

private:
    void* m_p;
    std::size_t m_size;
};

struct SidFree {
    void operator()(void* sid) const { FreeSid(sid); }
};
using UniqueSid = std::unique_ptr<void, SidFree>;

UniqueSid MakeSid(SID_IDENTIFIER_AUTHORITY authority, DWORD rid) {
    PSID sid = nullptr;
    if (!AllocateAndInitializeSid(&authority, 1, rid, 0, 0, 0, 0, 0, 0, 0, &sid)) return UniqueSid();
    return UniqueSid(sid);
}

// The descriptor of a new table: a DACL granting kTableAccess to
// LocalSystem and to Everyone, in that order.
class TableSecurity {
public:
    bool Build() {
        m_system = MakeSid(SECURITY_NT_AUTHORITY, SECURITY_LOCAL_SYSTEM_RID);
        m_everyone = MakeSid(SECURITY_WORLD_SID_AUTHORITY, SECURITY_WORLD_RID);
        if (!m_system || !m_everyone) return false;
        DWORD size = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) + GetLengthSid(m_system.get()) +
                     GetLengthSid(m_everyone.get());
        m_acl.assign(size, 0);
        PACL acl = reinterpret_cast<PACL>(m_acl.data());
        if (!InitializeAcl(acl, size, ACL_REVISION2) ||
            !AddAccessAllowedAce(acl, ACL_REVISION2, kTableAccess, m_system.get()) ||
            !AddAccessAllowedAce(acl, ACL_REVISION2, kTableAccess, m_everyone.get()) ||
            !InitializeSecurityDescriptor(&m_sd, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&m_sd, TRUE, acl, FALSE)) {
            return false;
        }
        m_sa.nLength = sizeof(m_sa);
        m_sa.lpSecurityDescriptor = &m_sd;
        m_sa.bInheritHandle = FALSE;
        return true;
    }
    SECURITY_ATTRIBUTES* Attributes() { return &m_sa; }

private:
    UniqueSid m_system, m_everyone;
    std::vector<BYTE> m_acl;
    SECURITY_DESCRIPTOR m_sd = {};
    SECURITY_ATTRIBUTES m_sa = {};
};

bool IsLiveWindow(std::uint32_t value) { return IsWindow(WindowOfSlot(value)) != FALSE; }

}  // namespace

bool ChoosePrinterTable(const char* printer, const char* port, const PrinterTableNames& names,
                        PrinterTableChoice* choice) {
    if (!choice) return false;
    std::string_view printerName = SafeView(printer);
    choice->key.assign(printerName.empty() ? SafeView(port) : printerName);
    if (choice->key.empty()) return false;

    std::string driver;
    char mapName[260] = "";
    if (!printerName.empty() && ReadPrinterNames(printer, &driver, nullptr)) {
        // At most 259 characters; a longer name is cut to the buffer.
        CopyText(mapName, ReadDriverKeyText(driver.c_str(), "MapFileName"), TextFit::Cut);
    }
    if (mapName[0]) {
        choice->name = mapName;
        choice->recordSize = table::kLongRecordSize;
        return true;
    }
    // A key of 260 characters or more no longer fits the 260-byte name
    // field with its terminating zero.
    bool bShort = !names.bLongRecordsOnly && choice->key.size() < table::NameFieldOf(table::kShortRecordSize);
    choice->name = bShort ? names.shortName : names.longName;
    choice->recordSize = bShort ? table::kShortRecordSize : table::kLongRecordSize;
    return true;
}

int RegisterInTable(const PrinterTableChoice& table, int kind, DWORD value, HWND* phExisting, HANDLE* phMap,
                    bool* pbNoMapping) {
    if (phExisting) *phExisting = nullptr;
    if (phMap) *phMap = nullptr;
    bool bNoMappingSink = false;
    bool& bNoMapping = pbNoMapping ? *pbNoMapping : bNoMappingSink;
    bNoMapping = false;
    if (!phMap || table.name.empty() || table.recordSize <= table::kSlotBytes) return table::REG_FAILED;

    bNoMapping = true;
    TableSecurity security;
    SECURITY_ATTRIBUTES* sa = nullptr;
    if (IsNtPlatform()) {
        if (!security.Build()) return table::REG_FAILED;
        sa = security.Attributes();
    }
    std::size_t size = table::MappingSizeOf(table.recordSize);
    UniqueHandle hMap(CreateFileMappingA(INVALID_HANDLE_VALUE, sa, PAGE_READWRITE, 0, static_cast<DWORD>(size),
                                         table.name.c_str()));
    bool bExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    if (!hMap) return table::REG_FAILED;

    int result;
    std::uint32_t existing = 0;
    {
        // A mapping made smaller by someone else does not map at our size.
        MappedView view(hMap.Get(), size);
        if (!view) return table::REG_FAILED;
        bNoMapping = false;
        table::RecordTable records = view.Records(table.recordSize);
        if (!bExisted) records.InitEmpty();
        result = records.Register(table.key, kind, value, IsLiveWindow, &existing);
    }
    if (result == table::REG_FAILED) return result;
    if (result == table::REG_EXISTING && phExisting) *phExisting = WindowOfSlot(existing);
    *phMap = hMap.Release();
    return result;
}

int SetInTable(const PrinterTableChoice& table, HWND hWnd, int kind) {
    if (table.name.empty() || table.recordSize <= table::kSlotBytes) return table::SET_NO_TABLE;
    UniqueHandle hMap(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, table.name.c_str()));
    if (!hMap) return table::SET_NO_TABLE;
    MappedView view(hMap.Get(), table::MappingSizeOf(table.recordSize));
    if (!view) return table::SET_NO_TABLE;
    return view.Records(table.recordSize).Set(table.key, kind, SlotOfWindow(hWnd));
}

void ReleaseInTable(HANDLE hMap, const PrinterTableChoice& table, int kind) {
    if (!hMap || table.recordSize <= table::kSlotBytes) return;
    MappedView view(hMap, table::MappingSizeOf(table.recordSize));
    if (view) view.Records(table.recordSize).Release(table.key, kind);
}

int MapRegisterWindow(const char* printer, const char* port, int kind, DWORD value, HWND* phExisting,
                      HANDLE* phMap, const PrinterTableNames& names, bool* pbNoMapping) {
    if (phExisting) *phExisting = nullptr;
    if (phMap) *phMap = nullptr;
    if (pbNoMapping) *pbNoMapping = false;
    PrinterTableChoice table;
    if (!ChoosePrinterTable(printer, port, names, &table)) return table::REG_FAILED;
    return RegisterInTable(table, kind, value, phExisting, phMap, pbNoMapping);
}

int MapSetWindow(const char* printer, const char* port, HWND hWnd, int kind, const PrinterTableNames& names) {
    PrinterTableChoice table;
    if (!ChoosePrinterTable(printer, port, names, &table)) return table::SET_NO_TABLE;
    return SetInTable(table, hWnd, kind);
}

void MapReleaseWindow(HANDLE hMap, const char* printer, const char* port, int kind, bool bUsePort,
                      const PrinterTableNames& names) {
    if (SafeView(printer).empty() && !bUsePort) return;
    PrinterTableChoice table;
    if (ChoosePrinterTable(printer, port, names, &table)) ReleaseInTable(hMap, table, kind);
}

}  // namespace vix
