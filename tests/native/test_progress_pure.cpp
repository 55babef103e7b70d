// The progress meter's pure rules: sizes by information type, the dummy
// data, decoding of the interface's answers, the wait-reason priority, the
// server part of a printer name and the RPC binding choice.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "progress/job_info.h"

using namespace vix;

struct LengthCase {
    friend void PrintTo(const LengthCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    uint32_t type;
    const char* text;
    uint32_t length;
};

class InfoLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(InfoLength, FollowsTheType) {
    const LengthCase& c = GetParam();
    EXPECT_EQ(JobInfoValueLength(c.type, c.text, 4096), c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Types, InfoLength,
    ::testing::Values(LengthCase{"Type0Text", 0, "abc", 4}, LengthCase{"Type1Text", 1, "Report.doc", 11},
                      LengthCase{"Type1Null", 1, nullptr, 0}, LengthCase{"Type2", 2, "", 16},
                      LengthCase{"Type3", 3, "", 4}, LengthCase{"Type4IsUnsized", 4, "", 0},
                      LengthCase{"Type21", 21, "", 6}, LengthCase{"Type100", 100, "", 4},
                      LengthCase{"Type101", 101, "", 4}, LengthCase{"Type102", 102, "", 8},
                      LengthCase{"Type103", 103, "", 8}, LengthCase{"Type104", 104, "", 4},
                      LengthCase{"Type200", 200, "", 4}, LengthCase{"Type201", 201, "", 4},
                      LengthCase{"Type202", 202, "", 4}, LengthCase{"Type203", 203, "", 4},
                      LengthCase{"Type204Unknown", 204, "", 0}, LengthCase{"Type99Unknown", 99, "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(InfoLength, TextIsTakenUpToItsBound) {
    char unterminated[8];
    std::memset(unterminated, 'x', sizeof(unterminated));
    EXPECT_EQ(JobInfoValueLength(1, unterminated, sizeof(unterminated)), 9u);
}

TEST(WireData, EmptyDataBecomesTheDummyText) {
    WireData d = WireDataOf(nullptr, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.data), d.length), "ZVMA_DUMMY_DATA");
    unsigned char v[4] = {1, 2, 3, 4};
    d = WireDataOf(v, 0);
    EXPECT_EQ(d.length, 15u);
    d = WireDataOf(v, 4);
    EXPECT_EQ(d.data, v);
    EXPECT_EQ(d.length, 4u);
}

TEST(DecodeDocument, TakesAtMost64CharactersAndZeroFills) {
    char out[kDocumentChars];
    std::string longName(70, 'L');
    EXPECT_EQ(DecodeDocumentName(reinterpret_cast<const unsigned char*>(longName.data()), longName.size(), out), 64u);
    EXPECT_EQ(std::string(out, 64), std::string(64, 'L'));
    const char shortName[] = "Doc\0garbage";
    EXPECT_EQ(DecodeDocumentName(reinterpret_cast<const unsigned char*>(shortName), sizeof(shortName), out), 3u);
    EXPECT_EQ(std::string(out, 4), std::string("Doc\0", 4));
    for (std::size_t i = 3; i < kDocumentChars; ++i) ASSERT_EQ(out[i], 0) << i;
    EXPECT_EQ(DecodeDocumentName(reinterpret_cast<const unsigned char*>("abc"), 2, out), 2u) << "the size bounds it";
    EXPECT_EQ(DecodeDocumentName(nullptr, 10, out), 0u);
}

TEST(DecodeFixed, SizeMustMatchTheType) {
    const unsigned char six[6] = {0x02, 0x01, 0x04, 0x03, 0x06, 0x05};
    uint16_t m[3];
    ASSERT_TRUE(DecodeMedia(six, 6, m));
    EXPECT_EQ(m[0], 0x0102);
    EXPECT_EQ(m[2], 0x0506);
    EXPECT_FALSE(DecodeMedia(six, 5, m));
    EXPECT_EQ(m[0], 0) << "a bad answer leaves zeros";
    EXPECT_FALSE(DecodeMedia(nullptr, 6, m));
    const unsigned char eight[8] = {1, 0, 0, 0, 0x78, 0x56, 0x34, 0x12};
    uint32_t v[2];
    ASSERT_TRUE(DecodeDwords(eight, 8, v, 2));
    EXPECT_EQ(v[0], 1u);
    EXPECT_EQ(v[1], 0x12345678u);
    EXPECT_FALSE(DecodeDwords(eight, 6, v, 2));
    EXPECT_FALSE(DecodeDwords(eight, 8, v, 1));
}

struct ReasonCase {
    friend void PrintTo(const ReasonCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    uint32_t flags;
    uint32_t first;
};

class WaitReasonPriority : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(WaitReasonPriority, FirstMatchWins) { EXPECT_EQ(SelectWaitReason(GetParam().flags), GetParam().first); }

INSTANTIATE_TEST_SUITE_P(
    Flags, WaitReasonPriority,
    ::testing::Values(ReasonCase{"None", 0, 0}, ReasonCase{"CartridgeFirst", 0x7FF, 0x1},
                      ReasonCase{"OneAndFour", 0x5, 0x1}, ReasonCase{"FourAlone", 0x4, 0x4},
                      ReasonCase{"x40Beforex80", 0xC0, 0x40}, ReasonCase{"x80Beforex100", 0x180, 0x80},
                      ReasonCase{"x100Beforex20", 0x120, 0x100}, ReasonCase{"x20Beforex10", 0x30, 0x20},
                      ReasonCase{"x10Beforex200", 0x210, 0x10}, ReasonCase{"x200Beforex8", 0x208, 0x200},
                      ReasonCase{"x8Beforex400", 0x408, 0x8}, ReasonCase{"x400Beforex2", 0x402, 0x400},
                      ReasonCase{"TwoBeforeFour", 0x6, 0x2}, ReasonCase{"OthersLowestBit", 0x30000, 0x10000},
                      ReasonCase{"ListedBeatsOthers", 0x80000004u, 0x4},
                      ReasonCase{"Bit31Alone", 0x80000000u, 0x80000000u}),
    [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
    friend void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* printer;
    bool ok;
    const char* server;
    const char* share;
};

class ServerPrinter : public ::testing::TestWithParam<SplitCase> {};

TEST_P(ServerPrinter, Splits) {
    const SplitCase& c = GetParam();
    std::string server = "-", share = "-";
    EXPECT_EQ(SplitServerPrinter(c.printer, &server, &share), c.ok);
    if (c.ok) {
        EXPECT_EQ(server, c.server);
        EXPECT_EQ(share, c.share);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, ServerPrinter,
                         ::testing::Values(SplitCase{"ServerAndPrinter", "\\\\srv\\ZV 100", true, "srv", "ZV 100"},
                                           SplitCase{"EmptyPrinterPart", "\\\\srv\\", true, "srv", ""},
                                           SplitCase{"NoPrinterPart", "\\\\srv", false, "", ""},
                                           SplitCase{"EmptyServer", "\\\\\\p", false, "", ""},
                                           SplitCase{"LocalName", "ZV 100", false, "", ""},
                                           SplitCase{"OneBackslash", "\\srv\\p", false, "", ""},
                                           SplitCase{"Empty", "", false, "", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DataType, EmfAnywhereInTheName) {
    EXPECT_TRUE(DataTypeIsEmf("NT EMF 1.008"));
    EXPECT_TRUE(DataTypeIsEmf("EMF"));
    EXPECT_FALSE(DataTypeIsEmf("RAW"));
    EXPECT_FALSE(DataTypeIsEmf("emf"));
    EXPECT_FALSE(DataTypeIsEmf(""));
}

struct BindCase {
    friend void PrintTo(const BindCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* server;
    const char* protseq;
    const char* endpoint;
    const char* protseqOut;
    const char* addressOut;
    const char* endpointOut;
};

class Binding : public ::testing::TestWithParam<BindCase> {};

TEST_P(Binding, Chooses) {
    const BindCase& c = GetParam();
    BindingPlan p = ChooseBinding(c.server, c.protseq, c.endpoint, "PRINTHOST");
    EXPECT_EQ(p.protseq, c.protseqOut);
    EXPECT_EQ(p.networkAddress, c.addressOut);
    EXPECT_EQ(p.endpoint, c.endpointOut);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, Binding,
    ::testing::Values(
        BindCase{"NoServer", "", "ncacn_np", "\\pipe\\x", "ncalrpc", "", ""},
        BindCase{"DotIsNone", ".", "ncacn_np", "\\pipe\\x", "ncalrpc", "", ""},
        BindCase{"DotPrefixIsNone", ".anything", "ncacn_np", "", "ncalrpc", "", ""},
        BindCase{"LocalNameSameCase", "PRINTHOST", "ncacn_np", "\\pipe\\x", "ncalrpc", "", ""},
        BindCase{"LocalNameOtherCaseIsRemote", "printhost", "ncacn_np", "", "ncacn_np", "printhost",
                 "\\pipe\\ZARVO_PM_RPCV2_02"},
        BindCase{"RemoteDefaultPipe", "srv", "ncacn_np", "", "ncacn_np", "srv", "\\pipe\\ZARVO_PM_RPCV2_02"},
        BindCase{"RemoteGivenEndpoint", "srv", "ncacn_np", "\\pipe\\other", "ncacn_np", "srv", "\\pipe\\other"},
        BindCase{"OtherProtseqKeepsNoEndpoint", "srv", "ncacn_ip_tcp", "", "ncacn_ip_tcp", "srv", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Binding, UnknownLocalNameNeverMatches) {
    EXPECT_EQ(ChooseBinding("srv", "ncacn_np", "", "").protseq, "ncacn_np");
}
