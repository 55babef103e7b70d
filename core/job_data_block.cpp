#include "core/job_data_block.h"

#include <cstring>

namespace vix {

namespace {

uint32_t Read32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, sizeof(v));  // little-endian, as the driver wrote it
    return v;
}

// [offset, offset + size) lies inside [0, total).
bool Inside(uint64_t offset, uint64_t size, uint64_t total) { return offset <= total && size <= total - offset; }

// A decimal number of up to nine digits, leading blanks skipped; the text
// ends at its first non-digit.
bool ParseDecimal(const uint8_t* p, std::size_t n, uint32_t* out) {
    std::size_t i = 0;
    while (i < n && (p[i] == ' ' || p[i] == '\t')) ++i;
    uint64_t v = 0;
    std::size_t digits = 0;
    for (; i < n && p[i] >= '0' && p[i] <= '9'; ++i) {
        if (++digits > 10) return false;
        v = v * 10 + (p[i] - '0');
    }
    if (digits == 0 || v > 0xFFFFFFFFu) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

uint32_t JobDataTotalSize(const void* block) { return block ? Read32(static_cast<const uint8_t*>(block)) : 0; }

bool ParseJobDataBlock(const void* block, std::size_t available, PortFileJob* out) {
    *out = PortFileJob();
    if (!block || available < kJobDataHeaderBytes) return false;
    const uint8_t* p = static_cast<const uint8_t*>(block);
    const uint64_t total = Read32(p);
    const uint64_t descOffset = Read32(p + 4);
    const uint64_t descSize = Read32(p + 8);
    const uint64_t itemCount = Read32(p + 16);
    const uint64_t flagSize = Read32(p + 20);
    if (total < kJobDataHeaderBytes || total > available) return false;
    if (!Inside(descOffset, descSize, total)) return false;
    if (itemCount > descSize / kJobDataDescriptorBytes) return false;
    const uint64_t flagOffset = descOffset + descSize;
    if (!Inside(flagOffset, flagSize, total)) return false;

    PortFileJob job;
    job.bMarked = std::memchr(p + flagOffset, kJobFlagPortFile, static_cast<std::size_t>(flagSize)) != nullptr;
    for (uint64_t i = 0; i < itemCount; ++i) {
        const uint8_t* d = p + descOffset + kJobDataDescriptorBytes * i;
        const uint32_t dataOffset = Read32(d);
        const uint32_t dataSize = Read32(d + 4);
        const uint32_t type = Read32(d + 8);
        if (type != kJobItemJobId) continue;
        if (!Inside(dataOffset, dataSize, total)) return false;
        uint32_t id = 0;
        if (!ParseDecimal(p + dataOffset, dataSize, &id)) continue;  // not a number: no job identifier
        job.bHasJobId = true;
        job.dwJobId = id;
    }
    *out = job;
    return true;
}

}  // namespace vix
