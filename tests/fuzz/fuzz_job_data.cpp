// Job data blocks come from another program: no block may make the parser
// read outside it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/job_data_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the given size, so that any read past it is seen.
    std::vector<uint8_t> block(data, data + size);
    vix::PortFileJob job;
    if (vix::ParseJobDataBlock(block.empty() ? nullptr : block.data(), block.size(), &job) && !job.bHasJobId &&
        job.dwJobId != 0) {
        __builtin_trap();  // an identifier without an item
    }
    return 0;
}
