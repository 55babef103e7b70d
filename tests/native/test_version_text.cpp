// What the version dialog shows of the bidirectional library.
#include <gtest/gtest.h>

#include <ostream>

#include "comm/version_text.h"

using vix::DecideLibraryVersion;
using vix::LibraryVersionInputs;

namespace {

struct Case {
    const char* name;
    const char* file;
    uint32_t level, sagent;
    const char* network;
    const char* qkapiVersion;
    const char* version;
    bool shown;
    const char* text;
    friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class LibraryVersion : public ::testing::TestWithParam<Case> {};

TEST_P(LibraryVersion, FollowsLevelFileAndNetwork) {
    const Case& c = GetParam();
    LibraryVersionInputs in;
    in.file = c.file;
    in.level = c.level;
    in.sagentType = c.sagent;
    in.addNetworkName = c.network;
    in.qkapiVersion = c.qkapiVersion;
    in.version = c.version;
    in.qkapi4Version = "4.2.0";
    in.qkapi2Version = "2.5.0";
    auto out = DecideLibraryVersion(in);
    EXPECT_EQ(out.showLibraryVersion, c.shown);
    EXPECT_EQ(out.text, c.text);
    EXPECT_EQ(out.showSecondModule, std::string(c.file) == "QKAPI3.DLL");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LibraryVersion,
    ::testing::Values(Case{"Level3Hidden", "QKAPI.DLL", 3, 0, "", "1.0", "", false, ""},
                      Case{"QkApi3FileHidden", "QKAPI3.DLL", 0, 0, "", "1.0", "", false, ""},
                      Case{"Level1Base", "QKAPI.DLL", 1, 0, "", "1.0", "", true, "Ver. 1.0"},
                      Case{"BaseFallsBackToVersion", "QKAPI.DLL", 0, 0, "", "", "0.9", true, "Ver. 0.9"},
                      Case{"KeptEvenWhenEmpty", "QKAPI.DLL", 1, 0, "", "", "", true, ""},
                      Case{"Level2OwnValue", "QKAPI.DLL", 2, 0, "", "1.0", "", true, "Ver. 2.5.0"},
                      Case{"File2OwnValue", "qkapi2.dll", 0, 0, "", "1.0", "", true, "Ver. 2.5.0"},
                      Case{"Level4NoAgent", "QKAPI.DLL", 4, 0, "", "1.0", "", true, "Ver. 4.2.0"},
                      Case{"Level4AgentNoNetworkHidden", "QKAPI4.DLL", 4, 1, "", "1.0", "", false, ""},
                      Case{"Level4AgentNetwork", "QKAPI4.DLL", 0, 1, "NET", "1.0", "", true, "Ver. 4.2.0 / 1.0"},
                      Case{"AgentNetworkNoBaseHidden", "QKAPI4.DLL", 5, 1, "NET", "", "", false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LibraryVersionNetwork, EmptyLevelValueUsesTheBase) {
    LibraryVersionInputs in;
    in.file = "QKAPI4.DLL";
    in.level = 4;
    in.addNetworkName = "NET";
    in.qkapiVersion = "1.0";
    EXPECT_EQ(DecideLibraryVersion(in).text, "Ver. 1.0 / 1.0");
    in.addNetworkName.clear();
    EXPECT_EQ(DecideLibraryVersion(in).text, "") << "without a network name the empty value stays empty";
}

}  // namespace
