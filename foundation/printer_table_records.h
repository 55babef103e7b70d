// The records of the shared-memory printer table, walked over the bytes of a
// mapped view. Any process of the user can write the table, so every walk
// stops at the end of the bytes it was given, and a record that does not
// hold a zero-terminated key within its name field is foreign: it matches
// no name and is never written.
//
// Record layout (little-endian, offsets from the record's start; the
// name field is 260 bytes in 274-byte records and 520 in 534-byte records):
//   0 .. nameField-1   key name, zero-terminated, compared without case.
//                      First byte 0x00: free record. 0xFF: end of table.
//   nameField + 0      2 bytes unused, zero
//   nameField + 2      status slot (kinds 1 and 2)
//   nameField + 6      preferences slot (kind 0)
//   nameField + 10     tray slot (kind 3), 0xFFFFFFFF while starting
#ifndef VIX_FOUNDATION_PRINTER_TABLE_RECORDS_H
#define VIX_FOUNDATION_PRINTER_TABLE_RECORDS_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace vix {
namespace table {

constexpr std::size_t kShortRecordSize = 274;
constexpr std::size_t kLongRecordSize = 534;
constexpr std::size_t kSlotBytes = 14;  // unused word and the three slots
constexpr std::size_t kRecordsPerTable = 500;

constexpr std::uint8_t kFreeMark = 0x00;
constexpr std::uint8_t kEndMark = 0xFF;

// The slot value of a tray agent that has not made its window yet.
constexpr std::uint32_t kTrayStarting = 0xFFFFFFFFu;

enum WindowKind : int {
    KIND_PREFERENCES = 0,
    KIND_STATUS = 1,
    KIND_STATUS_OTHER = 2,  // no registrant of its own; shares the status slot
    KIND_TRAY = 3,
};

// Results of registering.
constexpr int REG_DONE = 0;      // the slot now holds the value
constexpr int REG_EXISTING = 1;  // a live window holds the slot
constexpr int REG_FAILED = 2;    // no table, no room, or no usable key
// Results of setting a window.
constexpr int SET_DONE = 0;
constexpr int SET_NOT_FOUND = 254;  // the end record came first
constexpr int SET_PAST_END = 1;     // no end record before the mapping's end
constexpr int SET_NO_TABLE = -1;

constexpr std::size_t NameFieldOf(std::size_t recordSize) { return recordSize - kSlotBytes; }
// Bytes of a table of 500 records.
constexpr std::size_t MappingSizeOf(std::size_t recordSize) { return recordSize * kRecordsPerTable; }

// Offset of a kind's slot in a record, or -1 for an unknown kind.
long SlotOffset(std::size_t recordSize, int kind);

// True when the window of a slot value still exists.
using LiveCheck = std::function<bool(std::uint32_t)>;

// A table over bytes [data, data + size) with records of recordSize bytes.
// Only whole records inside the bytes are ever touched.
class RecordTable {
public:
    RecordTable(std::uint8_t* data, std::size_t size, std::size_t recordSize);

    // Marks an empty table (first byte 0xFF); the creator calls it once.
    void InitEmpty();

    // Registration of one kind for a key. *pExisting gets the live window's
    // slot value on REG_EXISTING (0 otherwise).
    int Register(std::string_view key, int kind, std::uint32_t value, const LiveCheck& isLive,
                 std::uint32_t* pExisting);
    // Stores value in the kind's slot of the key's record.
    int Set(std::string_view key, int kind, std::uint32_t value);
    // Clears the kind's slot; frees the record when the other slots are empty.
    void Release(std::string_view key, int kind);

    // Index of the key's record before the end record, or -1.
    long Find(std::string_view key) const;
    // Index of the end record, or -1 when there is none inside the bytes.
    long EndIndex() const;
    std::uint32_t Slot(std::size_t index, int kind) const;
    std::size_t RecordCount() const { return m_count; }

    // True when the key can be stored: non-empty, no zero byte, and short
    // enough to keep its terminating zero inside the name field.
    bool KeyFits(std::string_view key) const;

private:
    std::uint8_t* Record(std::size_t index) const { return m_data + index * m_recordSize; }
    bool Matches(std::size_t index, std::string_view key) const;
    void WriteSlot(std::size_t index, long offset, std::uint32_t value);
    std::uint32_t ReadSlot(std::size_t index, long offset) const;

    std::uint8_t* m_data;
    std::size_t m_recordSize;
    std::size_t m_nameField;
    std::size_t m_count;  // whole records inside the bytes
};

}  // namespace table
}  // namespace vix

#endif
