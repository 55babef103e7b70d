// The printer table's walk over mapped bytes of any content: every
// operation stays inside the bytes, and a registration that succeeds is
// found again.
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/printer_table_records.h"

using namespace vix::table;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::size_t recordSize = data[0] & 1 ? kLongRecordSize : kShortRecordSize;
    if (data[0] & 2) recordSize = 15 + data[1] % 40;  // small records reach the end quickly
    std::size_t keyLength = std::min<std::size_t>(1 + data[2] % 8, size - 2);
    std::string key(reinterpret_cast<const char*>(data + 2), keyLength);
    // The table is the rest of the input, at its own length (an exact-size
    // copy, so the sanitizer sees any step past it).
    std::vector<std::uint8_t> bytes(data + 2, data + size);
    RecordTable t(bytes.data(), bytes.size(), recordSize);
    for (std::size_t i = 0; i < 8; ++i) {
        int kind = static_cast<int>((data[3] >> (i % 4)) % 5) - (i == 7 ? 1 : 0);
        std::uint32_t existing = 0;
        int r = t.Register(key, kind, 0x100u + static_cast<std::uint32_t>(i),
                           [&](std::uint32_t v) { return (v & 1) != 0; }, &existing);
        if (r == REG_DONE && (t.Find(key) < 0 || t.Slot(static_cast<std::size_t>(t.Find(key)), kind) != 0x100u + i))
            std::abort();
        if (r == REG_EXISTING && (existing & 1) == 0) std::abort();
        t.Set(key, kind, 0x200u);
        if (i & 1) t.Release(key, kind);
        key[0] = static_cast<char>(key[0] ^ 0x20);  // the same key in the other case, or another one
    }
    return 0;
}
