// The job data block a printer driver hands to a monitoring start: the
// header (total size, descriptor offset, descriptor area size, unused, item
// count, flag data size), one descriptor of a type-10 item, the flag data
// (one flag byte, 0x07 for a job printed to a port file) and the job
// identifier as decimal text. Built by the driver stand-in and the tests.
#ifndef VIXBED_DRIVER_JOB_DATA_H
#define VIXBED_DRIVER_JOB_DATA_H

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vixbed {

// Where the header's fields and the one descriptor lie.
constexpr std::size_t kJobDataItemCountAt = 16;
constexpr std::size_t kJobDataDescriptorAt = 24;

inline std::vector<unsigned char> BuildJobDataBlock(unsigned char flag, const std::string& id) {
    const uint32_t descOffset = kJobDataDescriptorAt, descSize = 16, flagSize = 4;
    const uint32_t dataOffset = descOffset + descSize + flagSize;
    const uint32_t total = dataOffset + static_cast<uint32_t>(id.size()) + 1;
    std::vector<unsigned char> b(total, 0);
    auto put = [&](std::size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    put(0, total);
    put(4, descOffset);
    put(8, descSize);
    put(kJobDataItemCountAt, 1);
    put(20, flagSize);
    put(descOffset, dataOffset);
    put(descOffset + 4, static_cast<uint32_t>(id.size()));
    put(descOffset + 8, 10);
    b[descOffset + descSize] = flag;
    std::memcpy(&b[dataOffset], id.data(), id.size());
    return b;
}

}  // namespace vixbed

#endif
