// The shared-memory printer table between real processes: the bench's
// tablebed program and this test process register, set and release windows
// in the same named mappings.
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>

#include <cstdlib>
#include <string>

#include "foundation/handles.h"
#include "foundation/printer_table.h"
#include "support/bed_child.h"
#include "support/bed_fixture.h"

using namespace vix;
using vixtest::BedChild;

namespace {

// A view of a table by name, for looking at its bytes.
class TablePeek {
public:
    TablePeek(const std::string& name, std::size_t recordSize)
        : m_hMap(OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name.c_str())),
          m_recordSize(recordSize),
          m_p(m_hMap ? MapViewOfFile(m_hMap.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                                     table::MappingSizeOf(recordSize))
                     : nullptr) {}
    ~TablePeek() {
        if (m_p) UnmapViewOfFile(m_p);
    }
    bool Exists() const { return m_p != nullptr; }
    table::RecordTable Records() const {
        return table::RecordTable(static_cast<std::uint8_t*>(m_p), m_p ? table::MappingSizeOf(m_recordSize) : 0,
                                  m_recordSize);
    }
    const char* Key(std::size_t index) const {
        return static_cast<const char*>(m_p) + index * m_recordSize;
    }
    HANDLE Handle() const { return m_hMap.Get(); }

private:
    UniqueHandle m_hMap;
    std::size_t m_recordSize;
    void* m_p;
};

bool TableExists(const std::string& name) {
    UniqueHandle h(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()));
    return static_cast<bool>(h);
}

HWND ParseHandle(const std::string& s) {
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::strtoull(s.c_str(), nullptr, 16)));
}

// A window of this process.
struct OwnWindow {
    OwnWindow()
        : h(CreateWindowExA(0, "STATIC", "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)) {}
    ~OwnWindow() { DestroyWindow(h); }
    HWND h;
};

// A printer whose driver key names a table of its own.
class PrinterTable : public ::testing::Test {
protected:
    void SetUp() override {
        m_table = vixtest::UniqueName("VixTestMap");
        for (char& c : m_table)
            if (c == ' ') c = '_';
        m_printer.Key().strings["MapFileName"] = m_table;
        ASSERT_TRUE(m_printer.Create());
        ASSERT_FALSE(TableExists(m_table));
        ASSERT_TRUE(m_child.Start("tablebed.exe"));
    }
    const char* Printer() const { return m_printer.Printer().c_str(); }
    std::string Lower() const {
        std::string s = m_printer.Printer();
        for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }

    vixtest::BedPrinter m_printer;
    std::string m_table;
    BedChild m_child;
};

TEST_F(PrinterTable, FirstRegistrationCreatesTheTableWithItsDescriptor) {
    // Nobody has created the table: setting a window changes nothing.
    OwnWindow own;
    EXPECT_EQ(MapSetWindow(Printer(), "", own.h, table::KIND_TRAY), -1);
    EXPECT_FALSE(TableExists(m_table));

    HWND hChild = ParseHandle(m_child.Ask("window"));
    ASSERT_TRUE(IsWindow(hChild));
    EXPECT_EQ(m_child.Ask(std::string("register 1 w ") + Printer()), "0 0");
    {
        TablePeek peek(m_table, table::kLongRecordSize);  // "MapFileName" tables have 534-byte records
        ASSERT_TRUE(peek.Exists());
        EXPECT_STREQ(peek.Key(0), Printer());
        EXPECT_EQ(static_cast<unsigned char>(peek.Key(1)[0]), table::kEndMark);
        EXPECT_EQ(peek.Records().Slot(0, table::KIND_STATUS), SlotOfWindow(hChild));

        // LocalSystem and Everyone, 0xF003F each, in that order.
        UniqueHandle hRead(OpenFileMappingA(READ_CONTROL, FALSE, m_table.c_str()));
        ASSERT_TRUE(hRead);
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_EQ(GetSecurityInfo(hRead.Get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                  nullptr, &sd),
                  static_cast<DWORD>(ERROR_SUCCESS));
        ASSERT_NE(dacl, nullptr);
        ASSERT_EQ(dacl->AceCount, 2);
        const WELL_KNOWN_SID_TYPE want[2] = {WinLocalSystemSid, WinWorldSid};
        for (DWORD i = 0; i < 2; ++i) {
            void* ace = nullptr;
            ASSERT_TRUE(GetAce(dacl, i, &ace));
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
            EXPECT_EQ(allowed->Mask, 0xF003Fu);
            EXPECT_TRUE(IsWellKnownSid(reinterpret_cast<PSID>(&allowed->SidStart), want[i])) << i;
        }
        LocalFree(sd);
    }
    // The table goes with the last handle.
    EXPECT_EQ(m_child.Ask(std::string("release 1 ") + Printer()), "ok");
    EXPECT_FALSE(TableExists(m_table));
}

TEST_F(PrinterTable, BothCasesShareARecordThatLivesUntilTheLastRelease) {
    OwnWindow own;
    HWND hChild = ParseHandle(m_child.Ask("window"));
    ASSERT_EQ(m_child.Ask(std::string("register 1 w ") + Printer()), "0 0");

    // The tray agent's way: a placeholder first, then its window.
    HWND existing = nullptr;
    HANDLE hMap = nullptr;
    ASSERT_EQ(MapRegisterWindow(Lower().c_str(), "", table::KIND_TRAY, table::kTrayStarting, &existing, &hMap), 0);
    UniqueHandle map(hMap);
    ASSERT_TRUE(map);
    EXPECT_EQ(MapSetWindow(Lower().c_str(), "", own.h, table::KIND_TRAY), 0);
    TablePeek peek(m_table, table::kLongRecordSize);
    ASSERT_TRUE(peek.Exists());
    table::RecordTable records = peek.Records();
    EXPECT_EQ(records.EndIndex(), 1);  // one record for "P" and "p"
    EXPECT_EQ(records.Slot(0, table::KIND_STATUS), SlotOfWindow(hChild));
    EXPECT_EQ(records.Slot(0, table::KIND_TRAY), SlotOfWindow(own.h));

    // The status window closes: the tray slot keeps the record.
    ASSERT_EQ(m_child.Ask(std::string("release 1 ") + Printer()), "ok");
    EXPECT_EQ(records.Find(Printer()), 0);
    EXPECT_EQ(records.Slot(0, table::KIND_STATUS), 0u);
    EXPECT_EQ(records.Slot(0, table::KIND_TRAY), SlotOfWindow(own.h));

    // The tray agent closes: the record is free, and the next new name,
    // through the same table by name and record size, takes it.
    MapReleaseWindow(map.Get(), Lower().c_str(), "", table::KIND_TRAY, false);
    EXPECT_EQ(static_cast<unsigned char>(peek.Key(0)[0]), table::kFreeMark);
    EXPECT_EQ(MapSetWindow(Printer(), "", own.h, table::KIND_TRAY), 254);
    PrinterTableChoice other{m_table, table::kLongRecordSize, "Other printer"};
    HANDLE hOther = nullptr;
    ASSERT_EQ(RegisterInTable(other, table::KIND_PREFERENCES, SlotOfWindow(own.h), &existing, &hOther), 0);
    UniqueHandle otherMap(hOther);
    EXPECT_STREQ(peek.Key(0), "Other printer");
    EXPECT_EQ(records.EndIndex(), 1);
    ReleaseInTable(otherMap.Get(), other, table::KIND_PREFERENCES);
}

TEST_F(PrinterTable, ALiveWindowIsReturnedADestroyedOneOverwritten) {
    OwnWindow own;
    HWND hChild = ParseHandle(m_child.Ask("window"));
    ASSERT_EQ(m_child.Ask(std::string("register 1 w ") + Printer()), "0 0");

    HWND existing = nullptr;
    HANDLE hMap = nullptr;
    ASSERT_EQ(MapRegisterWindow(Printer(), "", table::KIND_STATUS, SlotOfWindow(own.h), &existing, &hMap), 1);
    UniqueHandle first(hMap);
    EXPECT_TRUE(first);  // kept on result 1 as well
    EXPECT_EQ(existing, hChild);

    ASSERT_EQ(m_child.Ask("destroy"), "ok");
    ASSERT_EQ(MapRegisterWindow(Printer(), "", table::KIND_STATUS, SlotOfWindow(own.h), &existing, &hMap), 0);
    UniqueHandle second(hMap);
    EXPECT_EQ(existing, nullptr);
    TablePeek peek(m_table, table::kLongRecordSize);
    EXPECT_EQ(peek.Records().Slot(0, table::KIND_STATUS), SlotOfWindow(own.h));
    // The other process's registration (by another kind) is still answered.
    EXPECT_EQ(m_child.Ask(std::string("set 3 1234 ") + Printer()), "0");
    EXPECT_EQ(peek.Records().Slot(0, table::KIND_TRAY), 0x1234u);
    MapReleaseWindow(second.Get(), Printer(), "", table::KIND_STATUS, false);
    EXPECT_EQ(peek.Records().Find(Printer()), 0);  // the tray slot holds it
}

// Names without a printer: the default tables by the key's length.
struct DefaultCase {
    const char* name;
    std::size_t length;
    bool bLong;
    friend void PrintTo(const DefaultCase& c, std::ostream* os) { *os << c.name; }
};

class DefaultTable : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultTable, ChosenByTheKeyLength) {
    const DefaultCase& c = GetParam();
    std::string name = "No such printer 100% /x \"q\" ";
    name += std::string(c.length - name.size(), 'n');
    const char* mine = c.bLong ? "VixV3MapFile2_02" : "VixV3MapFile_02";
    const char* notMine = c.bLong ? "VixV3MapFile_02" : "VixV3MapFile2_02";
    ASSERT_FALSE(TableExists(mine));

    BedChild child;
    ASSERT_TRUE(child.Start("tablebed.exe"));
    ASSERT_EQ(child.Ask("register 0 abc " + name), "0 0");
    TablePeek peek(mine, c.bLong ? table::kLongRecordSize : table::kShortRecordSize);
    ASSERT_TRUE(peek.Exists());
    EXPECT_EQ(std::string(peek.Key(0)), name);  // stored unchanged
    EXPECT_EQ(peek.Records().Slot(0, table::KIND_PREFERENCES), 0xABCu);
    EXPECT_FALSE(TableExists(notMine));
    // The port name keys the record when the printer name is empty.
    ASSERT_EQ(child.Ask("register 3 5 port:" + name), "0 0");
    EXPECT_EQ(peek.Records().Slot(0, table::KIND_TRAY), 5u);
    EXPECT_EQ(peek.Records().EndIndex(), 1);
}

INSTANTIATE_TEST_SUITE_P(Lengths, DefaultTable,
                         ::testing::Values(DefaultCase{"Short259", 259, false}, DefaultCase{"Long260", 260, true},
                                           DefaultCase{"Long300", 300, true}, DefaultCase{"Long519", 519, true}),
                         [](const ::testing::TestParamInfo<DefaultCase>& i) { return std::string(i.param.name); });

TEST(DefaultTable, ABuildsOwnNamesAndTheDriversName) {
    const PrinterTableNames mine = {"VixTestShort", "VixTestLong"};
    PrinterTableChoice c;
    ASSERT_TRUE(ChoosePrinterTable("", "LPT1:", mine, &c));
    EXPECT_EQ(c.name, "VixTestShort");
    EXPECT_EQ(c.recordSize, table::kShortRecordSize);
    EXPECT_EQ(c.key, "LPT1:");
    ASSERT_TRUE(ChoosePrinterTable(std::string(300, 'x').c_str(), "LPT1:", mine, &c));
    EXPECT_EQ(c.name, "VixTestLong");
    EXPECT_EQ(c.recordSize, table::kLongRecordSize);
    EXPECT_FALSE(ChoosePrinterTable("", "", mine, &c));

    // The driver's own table wins, its name cut to 259 characters; the port
    // name never finds it, because the driver is looked up by the printer.
    vixtest::BedPrinter printer;
    printer.Key().strings["MapFileName"] = std::string(300, 'M');
    ASSERT_TRUE(printer.Create());
    ASSERT_TRUE(ChoosePrinterTable(printer.Printer().c_str(), "USB001", mine, &c));
    EXPECT_EQ(c.name, std::string(259, 'M'));
    EXPECT_EQ(c.recordSize, table::kLongRecordSize);
    EXPECT_EQ(c.key, printer.Printer());
    ASSERT_TRUE(ChoosePrinterTable("", printer.Printer().c_str(), mine, &c));
    EXPECT_EQ(c.name, "VixTestShort");
}

TEST(DefaultTable, TooLongForAnyTableIsRefused) {
    std::string name(520, 'n');
    HWND existing = nullptr;
    HANDLE hMap = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(MapRegisterWindow(name.c_str(), "", table::KIND_STATUS, 1, &existing, &hMap), 2);
    EXPECT_EQ(hMap, nullptr);
    EXPECT_EQ(MapRegisterWindow("", "", table::KIND_STATUS, 1, &existing, &hMap), 2);
    EXPECT_FALSE(TableExists("VixV3MapFile2_02"));
}

TEST(DefaultTable, The500thNameFails) {
    ASSERT_FALSE(TableExists("VixV3MapFile_02"));
    BedChild child;
    ASSERT_TRUE(child.Start("tablebed.exe"));
    ASSERT_EQ(child.Ask("fill 3 499 Port "), "499");
    HWND existing = nullptr;
    HANDLE hMap = reinterpret_cast<HANDLE>(1);
    EXPECT_EQ(MapRegisterWindow("", "Port 499", table::KIND_TRAY, 1, &existing, &hMap), 2);
    EXPECT_EQ(hMap, nullptr);
    // A name already in the table still registers.
    EXPECT_EQ(MapRegisterWindow("", "port 17", table::KIND_STATUS, 1, &existing, &hMap), 0);
    UniqueHandle map(hMap);
    EXPECT_TRUE(map);
    // After one release the new name finds the freed record.
    ASSERT_EQ(child.Ask("release 3 port:Port 3"), "ok");
    EXPECT_EQ(MapRegisterWindow("", "Port 499", table::KIND_TRAY, 1, &existing, &hMap), 0);
    UniqueHandle map2(hMap);
    TablePeek peek("VixV3MapFile_02", table::kShortRecordSize);
    EXPECT_STREQ(peek.Key(3), "Port 499");
}

}  // namespace
