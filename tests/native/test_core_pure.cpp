// The pure rules of the core library: component generations, the share
// value of the request router, the driver's job data block and the texts of
// the monitoring settings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/component_rules.h"
#include "core/job_data_block.h"
#include "core/setting_text.h"

namespace {

TEST(ComponentRules, GenerationFromVersionOrLibraryName) {
    struct Case {
        uint32_t version;
        bool bKey;
        const char* qkapi32;
        int generation;
    } cases[] = {
        {4, true, "", 4},           {7, false, "", 4},          {3, true, "QKAPI4.DLL", 3},
        {2, true, "", 2},           {1, true, "", 1},           {0, true, "QKAPI4.DLL", 4},
        {0, true, "QKAPI3.DLL", 3}, {0, true, "QKAPI2.DLL", 2}, {0, true, "QKAPI.DLL", 1},
        {0, true, "qkapi3.dll", 1},  // the name is compared as it stands
        {0, false, "QKAPI3.DLL", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.generation, vix::ComponentGeneration(c.version, c.bKey, c.qkapi32))
            << c.version << " " << c.bKey << " " << c.qkapi32;
}

TEST(ComponentRules, ShareRouterValue) {
    struct Case {
        const char* name;
        const char* data;
        bool share;
    } cases[] = {
        {"QKP01", "SHARE", true}, {"QKP99", "share", true}, {"QKP1X", "SHARE", false}, {"QKPX1", "SHARE", false},
        {"QKP012", "SHARE", false}, {"QKP0", "SHARE", false}, {"AQKP1", "SHARE", false}, {"QKP01", "SHARED", false},
        {"QKP01", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.share, vix::IsShareRouterValue(c.name, c.data)) << c.name << c.data;
}

// A block as the driver builds it: header, descriptors, flag data, items.
struct BlockBuilder {
    std::vector<uint8_t> bytes;
    void Put(std::size_t at, uint32_t v) {
        if (bytes.size() < at + 4) bytes.resize(at + 4);
        std::memcpy(&bytes[at], &v, 4);
    }
    static BlockBuilder Job(uint8_t flag, const std::vector<std::string>& ids, uint32_t type = 10) {
        BlockBuilder b;
        const uint32_t n = static_cast<uint32_t>(ids.size());
        const uint32_t descSize = 16 * n, flagSize = 2;
        uint32_t data = 24 + descSize + flagSize;
        b.bytes.assign(data, 0);
        b.Put(4, 24);
        b.Put(8, descSize);
        b.Put(16, n);
        b.Put(20, flagSize);
        for (uint32_t i = 0; i < n; ++i) {
            b.Put(24 + 16 * i, data);
            b.Put(28 + 16 * i, static_cast<uint32_t>(ids[i].size()));
            b.Put(32 + 16 * i, type);
            b.bytes.insert(b.bytes.end(), ids[i].begin(), ids[i].end());
            data += static_cast<uint32_t>(ids[i].size());
        }
        b.bytes[24 + descSize] = 0x01;
        b.bytes[24 + descSize + 1] = flag;
        b.Put(0, static_cast<uint32_t>(b.bytes.size()));
        return b;
    }
};

TEST(JobDataBlock, PortFileJobNamesItsLastJob) {
    BlockBuilder b = BlockBuilder::Job(0x07, {"12", "345"});
    vix::PortFileJob job;
    ASSERT_TRUE(vix::ParseJobDataBlock(b.bytes.data(), b.bytes.size(), &job));
    EXPECT_TRUE(job.bMarked);
    EXPECT_TRUE(job.bHasJobId);
    EXPECT_EQ(345u, job.dwJobId);
    // Without 0x07 in the flags the job is named but not marked.
    BlockBuilder plain = BlockBuilder::Job(0x05, {"12"});
    ASSERT_TRUE(vix::ParseJobDataBlock(plain.bytes.data(), plain.bytes.size(), &job));
    EXPECT_FALSE(job.bMarked);
    EXPECT_EQ(12u, job.dwJobId);
    // Marked but without a type-10 item.
    BlockBuilder other = BlockBuilder::Job(0x07, {"12"}, 11);
    ASSERT_TRUE(vix::ParseJobDataBlock(other.bytes.data(), other.bytes.size(), &job));
    EXPECT_TRUE(job.bMarked);
    EXPECT_FALSE(job.bHasJobId);
}

TEST(JobDataBlock, BlocksThatPointOutsideThemselvesAreRefused) {
    struct Case {
        const char* what;
        std::size_t at;
        uint32_t value;
    } cases[] = {
        {"total smaller than the header", 0, 20},
        {"total beyond what may be read", 0, 0x10000},
        {"descriptor offset outside", 4, 0xFFFFFFF0},
        {"descriptor area past the end", 8, 0x1000},
        {"item count beyond the area", 16, 3},
        {"huge item count", 16, 0xFFFFFFFF},
        {"flag data past the end", 20, 0x7FFFFFFF},
        {"item data offset outside", 24, 0xFFFFFFFF},
        {"item data size past the end", 28, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        BlockBuilder b = BlockBuilder::Job(0x07, {"77"});
        b.Put(c.at, c.value);
        vix::PortFileJob job;
        job.bMarked = true;
        EXPECT_FALSE(vix::ParseJobDataBlock(b.bytes.data(), b.bytes.size(), &job)) << c.what;
        EXPECT_FALSE(job.bMarked) << c.what;
        EXPECT_FALSE(job.bHasJobId) << c.what;
    }
    vix::PortFileJob job;
    uint8_t header[23] = {};
    EXPECT_FALSE(vix::ParseJobDataBlock(header, sizeof(header), &job));
    EXPECT_FALSE(vix::ParseJobDataBlock(nullptr, 100, &job));
}

TEST(SettingText, NotifyDefaultsOfAProfileSection) {
    const char section[] = "ITEMNUM=3\0ITEM012=1\0DRVNAME=x\0ITEM011=0\0ITEMX01=5\0ITEM009=2\0ITEM008=1\0";
    auto items = vix::ParseNotifyDefaults(section, sizeof(section) - 1, 3);
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ("012", items[0].name);
    EXPECT_EQ(1, items[0].value);
    EXPECT_EQ("011", items[1].name);
    EXPECT_EQ(0, items[1].value);
    EXPECT_EQ("009", items[2].name);  // ITEMX01 is no item line; ITEM008 is beyond ITEMNUM
    EXPECT_EQ(2, items[2].value);
    // A section cut in the middle of a line is read up to its end only.
    const char cut[] = "ITEM012=1\0ITEM0";
    EXPECT_EQ(1u, vix::ParseNotifyDefaults(cut, sizeof(cut) - 1, 5).size());
    EXPECT_TRUE(vix::ParseNotifyDefaults(nullptr, 10, 5).empty());
}

TEST(SettingText, IntervalTexts) {
    struct Case {
        const char* text;
        long value;
    } cases[] = {{"5,10", 5}, {"12", 12}, {" 7 ,3", 7}, {",5", 0}, {"", 0}, {"x", 0}, {"99999999999", 2147483647}};
    for (const Case& c : cases) EXPECT_EQ(c.value, vix::TimerTextValue(c.text)) << c.text;
    struct Clamp {
        long in, out;
    } clamps[] = {{0, 10}, {1, 10}, {2, 2}, {60, 60}, {61, 10}, {-5, 10}, {30, 30}};
    for (const Clamp& c : clamps) EXPECT_EQ(c.out, vix::ClampTimerDefault(c.in)) << c.in;
}

}  // namespace
