#include "foundation/printer_table_records.h"

#include <cstring>

#include "foundation/text.h"

namespace vix {
namespace table {

long SlotOffset(std::size_t recordSize, int kind) {
    if (recordSize <= kSlotBytes) return -1;
    long nameField = static_cast<long>(NameFieldOf(recordSize));
    switch (kind) {
        case KIND_STATUS:
        case KIND_STATUS_OTHER:
            return nameField + 2;
        case KIND_PREFERENCES:
            return nameField + 6;
        case KIND_TRAY:
            return nameField + 10;
        default:
            return -1;
    }
}

namespace {
// The two kinds whose slots decide whether a release frees the record.
void OtherKinds(int kind, int* a, int* b) {
    switch (kind) {
        case KIND_PREFERENCES:
            *a = KIND_STATUS, *b = KIND_TRAY;
            break;
        case KIND_TRAY:
            *a = KIND_STATUS, *b = KIND_PREFERENCES;
            break;
        default:
            *a = KIND_PREFERENCES, *b = KIND_TRAY;
            break;
    }
}
}  // namespace

RecordTable::RecordTable(std::uint8_t* data, std::size_t size, std::size_t recordSize)
    : m_data(data),
      m_recordSize(recordSize),
      m_nameField(recordSize > kSlotBytes ? NameFieldOf(recordSize) : 0),
      m_count(data && recordSize > kSlotBytes ? size / recordSize : 0) {}

void RecordTable::InitEmpty() {
    if (m_count) m_data[0] = kEndMark;
}

bool RecordTable::KeyFits(std::string_view key) const {
    return !key.empty() && key.size() < m_nameField && std::memchr(key.data(), 0, key.size()) == nullptr &&
           static_cast<std::uint8_t>(key[0]) != kEndMark;
}

bool RecordTable::Matches(std::size_t index, std::string_view key) const {
    const char* name = reinterpret_cast<const char*>(Record(index));
    std::size_t len = BoundedLength(name, m_nameField);
    // No terminator inside the name field: a record we did not write.
    if (len == m_nameField || len == 0) return false;
    return EqualsNoCase(std::string_view(name, len), key);
}

std::uint32_t RecordTable::ReadSlot(std::size_t index, long offset) const {
    const std::uint8_t* p = Record(index) + offset;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void RecordTable::WriteSlot(std::size_t index, long offset, std::uint32_t value) {
    std::uint8_t* p = Record(index) + offset;
    p[0] = static_cast<std::uint8_t>(value);
    p[1] = static_cast<std::uint8_t>(value >> 8);
    p[2] = static_cast<std::uint8_t>(value >> 16);
    p[3] = static_cast<std::uint8_t>(value >> 24);
}

std::uint32_t RecordTable::Slot(std::size_t index, int kind) const {
    long offset = SlotOffset(m_recordSize, kind);
    if (index >= m_count || offset < 0) return 0;
    return ReadSlot(index, offset);
}

long RecordTable::EndIndex() const {
    for (std::size_t i = 0; i < m_count; ++i)
        if (Record(i)[0] == kEndMark) return static_cast<long>(i);
    return -1;
}

long RecordTable::Find(std::string_view key) const {
    for (std::size_t i = 0; i < m_count; ++i) {
        std::uint8_t first = Record(i)[0];
        if (first == kEndMark) break;
        if (first != kFreeMark && Matches(i, key)) return static_cast<long>(i);
    }
    return -1;
}

int RecordTable::Register(std::string_view key, int kind, std::uint32_t value, const LiveCheck& isLive,
                          std::uint32_t* pExisting) {
    if (pExisting) *pExisting = 0;
    long offset = SlotOffset(m_recordSize, kind);
    if (offset < 0 || !KeyFits(key)) return REG_FAILED;

    // 1. The key's own record.
    long end = -1;
    for (std::size_t i = 0; i < m_count; ++i) {
        std::uint8_t first = Record(i)[0];
        if (first == kEndMark) {
            end = static_cast<long>(i);
            break;
        }
        if (first == kFreeMark || !Matches(i, key)) continue;
        std::uint32_t held = ReadSlot(i, offset);
        if (held != 0 && isLive && isLive(held)) {
            if (pExisting) *pExisting = held;
            return REG_EXISTING;
        }
        WriteSlot(i, offset, value);
        return REG_DONE;
    }
    // A table without an end record cannot take a new name.
    if (end < 0) return REG_FAILED;

    // 2. The first free record before the end record, else the end record.
    std::size_t taken = static_cast<std::size_t>(end);
    for (std::size_t i = 0; i < static_cast<std::size_t>(end); ++i) {
        if (Record(i)[0] == kFreeMark) {
            taken = i;
            break;
        }
    }
    if (taken == static_cast<std::size_t>(end)) {
        // 3. The new end record must fit: at most count - 1 names.
        if (taken + 1 >= m_count) return REG_FAILED;
        Record(taken + 1)[0] = kEndMark;
    }
    std::uint8_t* rec = Record(taken);
    std::memset(rec, 0, m_recordSize);
    std::memcpy(rec, key.data(), key.size());
    WriteSlot(taken, offset, value);
    return REG_DONE;
}

int RecordTable::Set(std::string_view key, int kind, std::uint32_t value) {
    long offset = SlotOffset(m_recordSize, kind);
    if (offset < 0 || !KeyFits(key)) return SET_NO_TABLE;
    for (std::size_t i = 0; i < m_count; ++i) {
        std::uint8_t first = Record(i)[0];
        if (first == kEndMark) return SET_NOT_FOUND;
        if (first != kFreeMark && Matches(i, key)) {
            WriteSlot(i, offset, value);
            return SET_DONE;
        }
    }
    return SET_PAST_END;
}

void RecordTable::Release(std::string_view key, int kind) {
    long offset = SlotOffset(m_recordSize, kind);
    if (offset < 0 || !KeyFits(key)) return;
    long index = Find(key);
    if (index < 0) return;
    std::size_t i = static_cast<std::size_t>(index);
    int a, b;
    OtherKinds(kind, &a, &b);
    if (Slot(i, a) == 0 && Slot(i, b) == 0) Record(i)[0] = kFreeMark;
    WriteSlot(i, offset, 0);
}

}  // namespace table
}  // namespace vix
