// The channel-list walk over whatever a library hands back.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "comm/channel_list.h"

namespace {
std::vector<unsigned char> List(std::initializer_list<std::pair<uint32_t, uint16_t>> entries) {
    std::vector<unsigned char> v;
    for (auto& e : entries) {
        unsigned char b[8] = {};
        std::memcpy(b, &e.first, 4);
        std::memcpy(b + 4, &e.second, 2);
        v.insert(v.end(), b, b + 8);
    }
    return v;
}
}  // namespace

TEST(ChannelList, FirstEntryWithTheNumberDecides) {
    auto v = List({{0x10000005, 0x4}, {0x10000005, 0x7}, {0x4, 0x4}});
    vix::ChannelListEntry e{};
    EXPECT_FALSE(vix::FindChannel(v.data(), v.size(), 3, 0x10000005, 0x3, &e));
    EXPECT_TRUE(vix::FindChannel(v.data(), v.size(), 3, 0x10000005, 0x4, &e));
    EXPECT_EQ(e.mode, 0x4);
    EXPECT_TRUE(vix::FindChannel(v.data(), v.size(), 3, 0x4, 0, &e));
    EXPECT_FALSE(vix::FindChannel(v.data(), v.size(), 3, 0x99, 0, &e));
}

TEST(ChannelList, CountNeverReachesPastTheBuffer) {
    auto v = List({{0x1, 0x4}, {0x2, 0x4}});
    EXPECT_EQ(vix::UsableChannelCount(2, v.size()), 2);
    EXPECT_EQ(vix::UsableChannelCount(5000, v.size()), 2);
    EXPECT_EQ(vix::UsableChannelCount(2, v.size() - 1), 1);
    EXPECT_EQ(vix::UsableChannelCount(-3, v.size()), 0);
    v.resize(12);  // one and a half entries
    EXPECT_FALSE(vix::FindChannel(v.data(), v.size(), 2, 0x2, 0, nullptr));
    EXPECT_FALSE(vix::FindChannel(nullptr, 0, 2, 0x2, 0, nullptr));
}
