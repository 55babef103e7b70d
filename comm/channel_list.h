// The available-channel list a library hands out: 8-byte entries, read only
// as far as the buffer really goes, whatever count the library claims.
// Pure code.
#ifndef VIX_COMM_CHANNEL_LIST_H
#define VIX_COMM_CHANNEL_LIST_H

#include <cstddef>
#include <cstdint>

namespace vix {

struct ChannelListEntry {
    uint32_t channel;
    uint16_t mode;
};

constexpr std::size_t kChannelEntryBytes = 8;

// The number of whole entries inside `bytes` that `count` allows.
long UsableChannelCount(long count, std::size_t bytes);
// Entry `index` of the list (index < UsableChannelCount).
ChannelListEntry ChannelEntryAt(const unsigned char* list, long index);

// The first entry with `channel` decides: it is the selection when its mode
// has every bit of `mask` (a mask of 0 accepts any). Returns true and the
// entry then; false when the first such entry lacks bits or none has the
// number.
bool FindChannel(const unsigned char* list, std::size_t bytes, long count, uint32_t channel, uint16_t mask,
                 ChannelListEntry* found);

}  // namespace vix

#endif
