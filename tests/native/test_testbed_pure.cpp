// The test bench's pure code: the replies an emulated printer sends and the
// call log the tests read.
#include <gtest/gtest.h>

#include "emu/condition.h"
#include "emu/responder.h"

using namespace vixbed;

TEST(StatusReply, CarriesThePresentFieldsInOrder) {
    PrinterCondition c;
    EXPECT_EQ(BuildStatusReply(c), "@BDC ST\r\nST:04;\x0C");
    c.er = 0x06;
    c.st = 0x00;
    c.inks = {0, 0x3A, INK_NA, INK_RE, INK_CI, 100};
    c.warnings = {0x10, 0x12};
    c.rv = 3;
    c.tc = 0x1234;
    c.rc = 0x0B;
    EXPECT_EQ(BuildStatusReply(c), "@BDC ST\r\nST:00;ER:06;IQ:003ANARECI64;WR:10,12;RV:3;TC:1234;RC:0B;\x0C");
}

TEST(StatusReply, PresetsAndLists) {
    PrinterCondition c;
    ASSERT_TRUE(ApplyPreset("paperout", c));
    EXPECT_EQ(c.st, 0);
    EXPECT_EQ(c.er, 6);
    ASSERT_TRUE(ApplyPreset("ready", c));
    EXPECT_EQ(c.er, kFieldAbsent);
    EXPECT_FALSE(ApplyPreset("melted", c));
    std::vector<uint8_t> inks;
    ASSERT_TRUE(ParseInkList("50,0,NA,RE,CI", inks));
    EXPECT_EQ(FormatInkList(inks), "50,0,NA,RE,CI");
    EXPECT_FALSE(ParseInkList("101", inks));
    EXPECT_FALSE(ParseInkList("5x", inks));
    std::vector<ChannelDef> ch;
    ASSERT_TRUE(ParseChannelList("0x00000004:0x4,0x10000005:0x0007", ch));
    ASSERT_EQ(ch.size(), 2u);
    EXPECT_EQ(ch[1].channel, 0x10000005u);
    EXPECT_EQ(ch[1].mode, 7);
    EXPECT_EQ(FormatChannelList(ch), "0x00000004:0x0004,0x10000005:0x0007");
    EXPECT_FALSE(ParseChannelList("0x4", ch));
}

TEST(CallLog, RoundTripsAndSkipsBrokenLines) {
    CallRecord r;
    r.pid = 42;
    r.module = "QKAPI.DLL";
    r.op = "QKOpenChannel";
    r.printer = "\\\\srv\\P 1";
    r.args = "1 0x00000004";
    r.result = 256;
    std::string text = FormatCallRecord(r) + "garbage\n" + "1\ta\tb\tc\td\tnotanumber\n" + FormatCallRecord(r);
    auto got = ParseCallLog(text);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].printer, r.printer);
    EXPECT_EQ(got[1].result, 256);
}

TEST(Responder, ClearsTheMatchingErrorAndAnswersUnknownPacketsWithAnError) {
    PrinterCondition c;
    ApplyPreset("paperout", c);
    CommandAnswer a = Respond(c, std::string("pj\x01\x00\x01", 5));
    EXPECT_FALSE(a.conditionChanged) << "a jam command leaves paper out alone";
    EXPECT_EQ(a.reply.substr(0, 6), "pj:01:");
    a = Respond(c, std::string("pe\x01\x00\x01", 5));
    EXPECT_TRUE(a.conditionChanged);
    EXPECT_EQ(a.condition.er, kFieldAbsent);
    EXPECT_EQ(a.reply.substr(0, 6), "pe:01:");
    a = Respond(c, std::string("zz\x01\x00\x01", 5));
    EXPECT_EQ(a.reply, "zz:NA:\x0C");
    a = Respond(c, std::string("pe\x09\x00\x01", 5));  // length beyond the packet
    EXPECT_EQ(a.reply, "pe:NA:\x0C");
    EXPECT_FALSE(a.conditionChanged);
}
