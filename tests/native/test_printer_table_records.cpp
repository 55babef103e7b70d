// The printer table's record walk over plain bytes, natively under the
// sanitizers: layouts, reuse, the name limit and tables others corrupted.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "foundation/printer_table_records.h"

using namespace vix::table;

namespace {

struct Layout {
    const char* name;
    std::size_t recordSize;
    std::size_t nameField;
    friend void PrintTo(const Layout& c, std::ostream* os) { *os << c.name; }
};

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// A table as its creator leaves it, with a set of windows that are alive.
struct Bytes {
    explicit Bytes(std::size_t recordSize, std::size_t size = 0)
        : data(size ? size : MappingSizeOf(recordSize), 0), table(data.data(), data.size(), recordSize) {
        table.InitEmpty();
    }
    int Register(const std::string& key, int kind, std::uint32_t value, std::uint32_t* existing = nullptr) {
        return table.Register(key, kind, value, [this](std::uint32_t v) { return live.count(v) > 0; }, existing);
    }
    std::vector<std::uint8_t> data;
    RecordTable table;
    std::set<std::uint32_t> live;
};

class RecordLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(RecordLayout, FirstRecordAndSlotsByteForByte) {
    const Layout& l = GetParam();
    Bytes t(l.recordSize);
    ASSERT_EQ(t.data[0], kEndMark);
    EXPECT_EQ(t.Register("Prn %d", KIND_STATUS, 0x11223344), REG_DONE);
    EXPECT_EQ(t.Register("PRN %D", KIND_PREFERENCES, 0x55667788), REG_DONE);
    EXPECT_EQ(t.Register("prn %d", KIND_TRAY, kTrayStarting), REG_DONE);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(t.data.data())), "Prn %d");  // stored unchanged
    EXPECT_EQ(t.data[l.nameField], 0);
    EXPECT_EQ(t.data[l.nameField + 1], 0);
    EXPECT_EQ(Le32(t.data, l.nameField + 2), 0x11223344u);
    EXPECT_EQ(Le32(t.data, l.nameField + 6), 0x55667788u);
    EXPECT_EQ(Le32(t.data, l.nameField + 10), 0xFFFFFFFFu);
    EXPECT_EQ(t.data[l.recordSize], kEndMark);  // the end marker moved to the second record
    EXPECT_EQ(t.table.RecordCount(), kRecordsPerTable);
    // Kind 2 shares the status slot.
    EXPECT_EQ(t.table.Set("prn %d", KIND_STATUS_OTHER, 7), SET_DONE);
    EXPECT_EQ(Le32(t.data, l.nameField + 2), 7u);
}

TEST_P(RecordLayout, HoldsAtMost499Names) {
    const Layout& l = GetParam();
    Bytes t(l.recordSize);
    for (int i = 0; i < 499; ++i) ASSERT_EQ(t.Register("n" + std::to_string(i), KIND_TRAY, 1), REG_DONE) << i;
    EXPECT_EQ(t.table.EndIndex(), 499);
    EXPECT_EQ(t.Register("n499", KIND_TRAY, 1), REG_FAILED);
    // A known name still registers, and a freed record takes a new name.
    EXPECT_EQ(t.Register("n7", KIND_STATUS, 2), REG_DONE);
    t.table.Release("n9", KIND_TRAY);
    EXPECT_EQ(t.Register("n499", KIND_TRAY, 1), REG_DONE);
    EXPECT_EQ(t.table.Find("n499"), 9);
}

TEST_P(RecordLayout, KeysMustKeepTheirZeroInTheNameField) {
    const Layout& l = GetParam();
    Bytes t(l.recordSize);
    EXPECT_EQ(t.Register(std::string(l.nameField - 1, 'k'), KIND_STATUS, 1), REG_DONE);
    EXPECT_EQ(t.Register(std::string(l.nameField, 'k'), KIND_STATUS, 1), REG_FAILED);
    EXPECT_EQ(t.Register("", KIND_STATUS, 1), REG_FAILED);
    EXPECT_EQ(t.Register("\xFFlooks like the end", KIND_STATUS, 1), REG_FAILED);
    EXPECT_EQ(t.Register("k", 4, 1), REG_FAILED);
    EXPECT_EQ(t.table.Set("k", -1, 1), SET_NO_TABLE);
}

INSTANTIATE_TEST_SUITE_P(Both, RecordLayout,
                         ::testing::Values(Layout{"short274", kShortRecordSize, 260},
                                           Layout{"long534", kLongRecordSize, 520}),
                         [](const ::testing::TestParamInfo<Layout>& i) { return std::string(i.param.name); });

TEST(RecordTable, ReleaseKeepsARecordWhileAnotherSlotIsSet) {
    Bytes t(kShortRecordSize);
    ASSERT_EQ(t.Register("P", KIND_STATUS, 10), REG_DONE);
    ASSERT_EQ(t.Register("p", KIND_TRAY, 30), REG_DONE);
    t.table.Release("P", KIND_STATUS);
    ASSERT_EQ(t.table.Find("p"), 0);
    EXPECT_EQ(t.table.Slot(0, KIND_STATUS), 0u);
    EXPECT_EQ(t.table.Slot(0, KIND_TRAY), 30u);
    t.table.Release("p", KIND_TRAY);
    EXPECT_EQ(t.data[0], kFreeMark);
    EXPECT_EQ(t.table.Find("p"), -1);
    // The next new name reuses the freed record; the end marker stays.
    ASSERT_EQ(t.Register("Q", KIND_PREFERENCES, 5), REG_DONE);
    EXPECT_EQ(t.table.Find("Q"), 0);
    EXPECT_EQ(t.table.EndIndex(), 1);
    EXPECT_EQ(t.table.Slot(0, KIND_TRAY), 0u);  // the old slots were cleared
}

TEST(RecordTable, ALiveWindowWinsADeadOneIsOverwritten) {
    Bytes t(kShortRecordSize);
    t.live.insert(100);
    ASSERT_EQ(t.Register("P", KIND_STATUS, 100), REG_DONE);
    std::uint32_t existing = 0;
    EXPECT_EQ(t.Register("P", KIND_STATUS, 200, &existing), REG_EXISTING);
    EXPECT_EQ(existing, 100u);
    EXPECT_EQ(t.table.Slot(0, KIND_STATUS), 100u);
    t.live.clear();  // the window is gone
    EXPECT_EQ(t.Register("P", KIND_STATUS, 200, &existing), REG_DONE);
    EXPECT_EQ(existing, 0u);
    EXPECT_EQ(t.table.Slot(0, KIND_STATUS), 200u);
    // The tray agent's start-up placeholder is not a window.
    ASSERT_EQ(t.Register("P", KIND_TRAY, kTrayStarting), REG_DONE);
    EXPECT_EQ(t.Register("P", KIND_TRAY, 300), REG_DONE);
}

TEST(RecordTable, SetResults) {
    Bytes t(kShortRecordSize);
    EXPECT_EQ(t.table.Set("P", KIND_TRAY, 1), SET_NOT_FOUND);
    ASSERT_EQ(t.Register("P", KIND_TRAY, kTrayStarting), REG_DONE);
    EXPECT_EQ(t.table.Set("p", KIND_TRAY, 0x1234), SET_DONE);
    EXPECT_EQ(t.table.Slot(0, KIND_TRAY), 0x1234u);
    std::memset(t.data.data(), 'x', t.data.size());  // no end marker anywhere
    EXPECT_EQ(t.table.Set("P", KIND_TRAY, 1), SET_PAST_END);
}

TEST(RecordTable, CorruptTablesStayInsideTheBytes) {
    // Every byte garbage: no end marker, no terminated key.
    Bytes t(kShortRecordSize);
    std::memset(t.data.data(), 'x', t.data.size());
    std::vector<std::uint8_t> before = t.data;
    EXPECT_EQ(t.Register("x", KIND_STATUS, 1), REG_FAILED);
    t.table.Release(std::string(259, 'x'), KIND_STATUS);
    EXPECT_EQ(t.data, before);  // nothing trusted, nothing written

    // A key without its zero matches nobody, even when its prefix equals
    // the name; the walk goes on to the end record after it.
    Bytes u(kShortRecordSize);
    std::memset(u.data.data(), 'k', 260);
    u.data[260] = 0;
    u.data[274] = kEndMark;
    ASSERT_EQ(u.Register("kk", KIND_STATUS, 9), REG_DONE);
    EXPECT_EQ(u.table.Find("kk"), 1);
    EXPECT_EQ(u.data[0], 'k');

    // A mapping that is not a whole number of records: the tail is never
    // touched, and an end record in the last whole record leaves no room.
    std::size_t size = 3 * kShortRecordSize + 100;
    std::vector<std::uint8_t> odd(size, 0x55);
    RecordTable small(odd.data(), size, kShortRecordSize);
    EXPECT_EQ(small.RecordCount(), 3u);
    odd[0] = 'a', odd[1] = 0, odd[274] = 'b', odd[275] = 0, odd[548] = kEndMark;
    EXPECT_EQ(small.Register("c", KIND_STATUS, 1, nullptr, nullptr), REG_FAILED);
    EXPECT_EQ(small.Register("B", KIND_STATUS, 1, nullptr, nullptr), REG_DONE);
    for (std::size_t i = 3 * kShortRecordSize; i < size; ++i) ASSERT_EQ(odd[i], 0x55) << i;

    // No bytes, or a record size without room for the slots.
    RecordTable none(nullptr, 0, kShortRecordSize);
    none.InitEmpty();
    EXPECT_EQ(none.Register("a", KIND_STATUS, 1, nullptr, nullptr), REG_FAILED);
    std::uint8_t tiny[20] = {};
    RecordTable bad(tiny, sizeof(tiny), 10);
    EXPECT_EQ(bad.RecordCount(), 0u);
    EXPECT_EQ(bad.Set("a", KIND_STATUS, 1), SET_NO_TABLE);
}

}  // namespace
