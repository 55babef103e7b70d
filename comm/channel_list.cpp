#include "comm/channel_list.h"

#include <cstring>

namespace vix {

long UsableChannelCount(long count, std::size_t bytes) {
    if (count <= 0) return 0;
    const std::size_t fits = bytes / kChannelEntryBytes;
    return static_cast<std::size_t>(count) > fits ? static_cast<long>(fits) : count;
}

ChannelListEntry ChannelEntryAt(const unsigned char* list, long index) {
    ChannelListEntry e;
    const unsigned char* p = list + static_cast<std::size_t>(index) * kChannelEntryBytes;
    std::memcpy(&e.channel, p, 4);
    std::memcpy(&e.mode, p + 4, 2);
    return e;
}

bool FindChannel(const unsigned char* list, std::size_t bytes, long count, uint32_t channel, uint16_t mask,
                 ChannelListEntry* found) {
    if (!list) return false;
    const long n = UsableChannelCount(count, bytes);
    for (long i = 0; i < n; ++i) {
        ChannelListEntry e = ChannelEntryAt(list, i);
        if (e.channel != channel) continue;
        if ((e.mode & mask) != mask) return false;  // only the first entry with the number counts
        if (found) *found = e;
        return true;
    }
    return false;
}

}  // namespace vix
