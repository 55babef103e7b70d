// The job data block a printer driver hands to a monitoring start (and a
// status window to another): a header of six 32-bit fields, a descriptor
// area of 16-byte item descriptors and the flag data behind it. It comes
// from another program, so every offset and size is checked against the
// block before it is used. Pure code: no Windows header.
#ifndef VIX_CORE_JOB_DATA_BLOCK_H
#define VIX_CORE_JOB_DATA_BLOCK_H

#include <cstddef>
#include <cstdint>

namespace vix {

// The header: total size, descriptor offset, descriptor area size, (unused),
// item count, flag data size.
constexpr std::size_t kJobDataHeaderBytes = 24;
constexpr std::size_t kJobDataDescriptorBytes = 16;
// The flag byte marking a job printed to a port file.
constexpr uint8_t kJobFlagPortFile = 0x07;
// The item type that holds the job identifier as decimal text.
constexpr uint32_t kJobItemJobId = 10;

struct PortFileJob {
    bool bMarked = false;   // the flag data holds 0x07
    bool bHasJobId = false; // a type-10 item was read
    uint32_t dwJobId = 0;   // the number of the last type-10 item
};

// Reads a block of `available` bytes (the caller knows how much it may
// read; the block's own total size must not exceed it). Descriptors and
// items outside the block, a total smaller than the header and an item
// count the descriptor area cannot hold make the block unusable: result
// false and *out cleared.
bool ParseJobDataBlock(const void* block, std::size_t available, PortFileJob* out);

// The 32-bit total size at the start of a block of at least 4 bytes.
uint32_t JobDataTotalSize(const void* block);

}  // namespace vix

#endif
