// Pure code of the foundation, natively under the sanitizers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/os_version.h"
#include "foundation/text.h"

using vix::CopyText;
using vix::TextFit;

TEST(CopyText, FitsCutsOrFails) {
    char buf[8];
    std::memset(buf, 'X', sizeof(buf));
    EXPECT_TRUE(CopyText(buf, "1234567", TextFit::Fail));
    EXPECT_STREQ(buf, "1234567");
    EXPECT_FALSE(CopyText(buf, "12345678", TextFit::Fail));
    EXPECT_STREQ(buf, "");
    EXPECT_FALSE(CopyText(buf, "123456789ABC", TextFit::Cut));
    EXPECT_STREQ(buf, "1234567");
    EXPECT_TRUE(CopyText(buf, std::string_view("ab\0cd", 5), TextFit::Fail));
    EXPECT_STREQ(buf, "ab");
    EXPECT_FALSE(CopyText(buf, 0, "a", TextFit::Cut));
    EXPECT_TRUE(CopyText(buf, std::string_view(), TextFit::Fail));  // an empty view without data
    EXPECT_STREQ(buf, "");
}

TEST(CopyText, AppendKeepsTheBufferOnFailure) {
    char buf[8] = "abc";
    EXPECT_TRUE(vix::AppendText(buf, "def", TextFit::Fail));
    EXPECT_STREQ(buf, "abcdef");
    EXPECT_FALSE(vix::AppendText(buf, "gh", TextFit::Fail));
    EXPECT_STREQ(buf, "abcdef");
    EXPECT_FALSE(vix::AppendText(buf, "gh", TextFit::Cut));
    EXPECT_STREQ(buf, "abcdefg");
    char full[4] = {'a', 'b', 'c', 'd'};  // no terminator
    EXPECT_FALSE(vix::AppendText(full, "x", TextFit::Cut));
    EXPECT_EQ(full[3], '\0');
}

TEST(CopyText, BoundedLengthStopsAtTheBuffer) {
    const char s[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(vix::BoundedLength(s, sizeof(s)), 4u);
    EXPECT_EQ(vix::BoundedLength("ab", 10), 2u);
    EXPECT_TRUE(vix::EqualsNoCase("qkapi4.dll", "QKAPI4.DLL"));
    EXPECT_FALSE(vix::EqualsNoCase("qkapi4.dll", "QKAPI4.DLX"));
}

TEST(OsClass, MapsEveryVersion) {
    struct Row {
        unsigned long platform, major, minor, build;
        int cls;
    } rows[] = {
        {1, 4, 0, 950, vix::OS_WIN95},       {1, 4, 0, 1000, vix::OS_WIN95},
        {1, 4, 0, 0x040003E8, vix::OS_WIN95}, // only the low 16 bits of the build count
        {1, 4, 0, 1111, vix::OS_WIN95_OSR2}, {1, 4, 10, 1998, vix::OS_WIN98},
        {2, 3, 51, 1057, vix::OS_WINNT351},  {2, 3, 50, 807, vix::OS_OTHER},
        {2, 4, 0, 1381, vix::OS_WINNT40},    {2, 5, 1, 2600, vix::OS_WIN2000_XP},
        {2, 6, 1, 7601, vix::OS_WIN2000_XP}, {0, 3, 10, 0, vix::OS_OTHER},
    };
    for (const Row& r : rows)
        EXPECT_EQ(vix::OsClassOf(r.platform, r.major, r.minor, r.build), r.cls)
            << r.platform << " " << r.major << "." << r.minor << "." << r.build;
    EXPECT_STREQ(vix::OsClassTraceText(vix::OS_WIN2000_XP), "OS : Win2000/XP\n");
    EXPECT_STREQ(vix::OsClassTraceText(42), "OS : Other\n");
}
