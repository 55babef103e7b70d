// The status reply parsers and the status tables, natively under the
// sanitizers.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "shared/status_cases.h"
#include "status/status_message.h"
#include "status/status_reply.h"
#include "status/status_tables.h"

using namespace vix;
using vixtest::TextReply;

namespace {

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

std::vector<vixtest::StatusCase> AllStatusCases() {
    std::size_t n = 0;
    const vixtest::StatusCase* c = vixtest::StatusCases(&n);
    return std::vector<vixtest::StatusCase>(c, c + n);
}

// ---- reply to status object numbers ----

class Evaluation : public ::testing::TestWithParam<vixtest::StatusCase> {};

TEST_P(Evaluation, GivesTheRowsAndButtons) {
    const vixtest::StatusCase& c = GetParam();
    StatusEvaluation e;
    ASSERT_EQ(EvaluateStatus(c.channel, c.hasReply ? Bytes(c.reply) : nullptr, c.reply.size(), c.forced, false,
                             c.inkColorNum, &e),
              EvalResult::Ok);
    EXPECT_EQ(e.iStatusCodeRow, c.statusCodeRow);
    EXPECT_EQ(e.iStatusNo, c.statusNo);
    EXPECT_EQ(e.iInfoRow, c.infoRow);
    EXPECT_EQ(e.info.iRow, c.infoRow);
    EXPECT_EQ(e.info.iMainButton, c.mainButton);
    EXPECT_EQ(e.info.iSecondButton, c.secondButton);
    EXPECT_EQ(e.bHasRecord, c.hasReply && c.channel != vixtest::kChTagged);
    EXPECT_EQ(e.kind.iKind, e.info.iKind) << "every kind of the table has its picture row";
}

INSTANTIATE_TEST_SUITE_P(AllRows, Evaluation, ::testing::ValuesIn(AllStatusCases()));

TEST(EvaluationCoverage, TheCasesReachEveryRowOfBothTables) {
    std::set<int> codeRows, infoRows;
    for (const auto& c : AllStatusCases()) {
        if (c.statusCodeRow >= 0) codeRows.insert(c.statusCodeRow);
        infoRows.insert(c.infoRow);
    }
    EXPECT_EQ(codeRows.size(), kStatusCodeRows);
    EXPECT_EQ(infoRows.size(), kStatusInfoRows);
}

TEST(EvaluationRules, ReducedFlagAndForcedNumbers) {
    const std::string jam = TextReply("ST:00;ER:04;");
    StatusEvaluation e;
    ASSERT_EQ(EvaluateStatus(0x10000005, Bytes(jam), jam.size(), 0, true, 4, &e), EvalResult::Ok);
    EXPECT_EQ(e.info.iMainButton, 1601) << "a network channel's mode bit reduces the buttons";
    EXPECT_EQ(e.info.iSecondButton, 0);
    // A forced number replaces what the reply said, but the record stays.
    ASSERT_EQ(EvaluateStatus(0x10000005, Bytes(jam), jam.size(), 21, false, 4, &e), EvalResult::Ok);
    EXPECT_EQ(e.iStatusNo, 21);
    EXPECT_EQ(e.iInfoRow, 24);
    EXPECT_TRUE(e.bHasRecord);
    EXPECT_EQ(e.record.byEr, 0x04);
    // A reply over a channel of no reply type is not parsed at all.
    const std::string garbage = "not a reply";
    ASSERT_EQ(EvaluateStatus(0x12345678, Bytes(garbage), garbage.size(), 0, false, 4, &e), EvalResult::Ok);
    EXPECT_FALSE(e.bHasRecord);
    EXPECT_EQ(e.iInfoRow, 30);
    EXPECT_EQ(e.info.iMainButton, 1600);
    // Bad replies of either type give no status at all.
    ASSERT_EQ(EvaluateStatus(0x10000005, Bytes(garbage), garbage.size(), 0, false, 4, &e), EvalResult::BadReply);
    ASSERT_EQ(EvaluateStatus(0x02000001, Bytes(garbage), garbage.size(), 0, false, 4, &e), EvalResult::BadReply);
    EXPECT_EQ(EvaluateStatus(0x10000005, Bytes(jam), 0, 0, false, 4, &e), EvalResult::BadReply)
        << "a reply of no bytes is a reply that does not parse";
}

TEST(StatusTables, KindsAndSearch) {
    const int pictures[][5] = {{1, 511, 759, 0, 0},   {2, 512, 761, 0, 1}, {3, 512, 760, 770, 1},
                               {4, 512, 752, 0, 1},   {5, 510, 761, 0, 1}, {6, 512, 750, 0, 1},
                               {7, 512, 758, 0, 1}};
    for (const auto& p : pictures) {
        int row = FindKindRow(p[0]);
        ASSERT_GE(row, 0) << "kind " << p[0];
        EXPECT_EQ(kKindTable[row].iBasePicture, p[1]);
        EXPECT_EQ(kKindTable[row].iStatusPicture, p[2]);
        EXPECT_EQ(kKindTable[row].iOverlayPicture, p[3]);
        EXPECT_EQ(kKindTable[row].iBlink, p[4]);
    }
    EXPECT_EQ(FindKindRow(8), -1);
    EXPECT_EQ(FindStatusInfoRow(0, -1), 30);
    EXPECT_EQ(FindStatusInfoRow(2, 12), -1);
    EXPECT_EQ(FindStatusInfoRow(3, -1), -1);
    for (std::size_t i = 0; i < kStatusInfoRows; ++i) EXPECT_EQ(kStatusInfoTable[i].iRow, static_cast<int>(i));
}

// ---- the text reply parser ----

struct ParseCase {
    const char* name;
    std::string reply;
    bool ok;
    int st, er;
    std::vector<int> inks;
    std::vector<int> warnings;
    int rv, tc, rc;
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }
};

ParseCase Good(const char* name, const std::string& reply, int st, int er, std::vector<int> inks = {},
               std::vector<int> wr = {}, int rv = 0, int tc = 0xFFFF, int rc = 0xFF) {
    return {name, reply, true, st, er, std::move(inks), std::move(wr), rv, tc, rc};
}
ParseCase Bad(const char* name, const std::string& reply) { return {name, reply, false, 0, 0, {}, {}, 0, 0, 0}; }

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

class TextReplyParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TextReplyParse, ReadsTheFieldsOrFails) {
    const ParseCase& c = GetParam();
    StatusRecord r;
    ASSERT_EQ(ParseTextReply(Bytes(c.reply), c.reply.size(), &r), c.ok);
    if (!c.ok) return;
    EXPECT_EQ(r.bySt, c.st);
    EXPECT_EQ(r.byEr, c.er);
    ASSERT_EQ(r.byIqCount, c.inks.size());
    for (std::size_t i = 0; i < c.inks.size(); ++i) EXPECT_EQ(r.byIq[i], c.inks[i]) << "ink " << i;
    ASSERT_EQ(r.byWrCount, c.warnings.size());
    for (std::size_t i = 0; i < c.warnings.size(); ++i) EXPECT_EQ(r.byWr[i], c.warnings[i]) << "code " << i;
    EXPECT_EQ(r.byRv, c.rv);
    EXPECT_EQ(r.wTc, c.tc);
    EXPECT_EQ(r.byRc, c.rc);
    EXPECT_EQ(r.wInkWarning, 0) << "the flags are the evaluation's, not the parser's";
}

INSTANTIATE_TEST_SUITE_P(
    Replies, TextReplyParse,
    ::testing::Values(
        Good("StateOnly", TextReply("ST:04;"), 0x04, 0xFF),
        Good("AllFields", TextReply("ST:00;ER:06;IQ:003ANARECI64;WR:10,12;RV:3;TC:12aB;RC:0B;"), 0x00, 0x06,
             {0, 0x3A, 0xFF, 0xFE, 0xFD, 100}, {0x10, 0x12}, 3, 0x12AB, 0x0B),
        Good("LowerCaseTags", TextReply("st:00;er:05;iq:003A3A;wr:11;rv:a;tc:0001;rc:ff;"), 0x00, 0x05,
             {0, 0x3A, 0x3A}, {0x11}, 10, 1, 0xFF),
        Good("AmountsAboveHundredAreClamped", TextReply("ST:04;IQ:7F6463FF;"), 0x04, 0xFF, {100, 100, 99, 100}),
        Good("WriteErrorIsReplace", TextReply("ST:04;IQ:WE;"), 0x04, 0xFF, {0xFE}),
        Good("EndsWithFF", std::string("@BDC ST\r\nST:02;\xFF", 16), 0x02, 0xFF),
        Good("UnknownBytesArePassedOver", TextReply("xyST:01;QQ:99;ER:00;"), 0x01, 0x00),
        Good("TenInks", TextReply("ST:04;IQ:" + Repeat("32", 10) + ";"), 0x04, 0xFF, std::vector<int>(10, 0x32)),
        Good("TenWarnings", TextReply("ST:04;WR:" + Repeat("11,", 9) + "11;"), 0x04, 0xFF, {},
             std::vector<int>(10, 0x11)),
        Good("WarningsWithoutCommas", TextReply("ST:04;WR:1011;"), 0x04, 0xFF, {}, {0x10, 0x11}),
        Good("EmptyInkField", TextReply("ST:04;IQ:;"), 0x04, 0xFF),
        Good("LaterFieldWins", TextReply("ST:00;ST:04;"), 0x04, 0xFF),
        Bad("EndsRightBehindTheSemicolon", "@BDC ST\r\nST:04;"),
        Bad("ErrorWithoutState", TextReply("ER:00;")),
        Bad("HeaderOnly", TextReply("")),
        Bad("Empty", ""),
        Bad("HeaderCaseMatters", "@bdc st\r\nST:04;\x0C"),
        Bad("HeaderCut", "@BDC ST\r"),
        Bad("ElevenInks", TextReply("ST:04;IQ:" + Repeat("32", 11) + ";")),
        Bad("ElevenWarnings", TextReply("ST:04;WR:" + Repeat("11,", 10) + "11;")),
        Bad("BadHexDigit", TextReply("ST:0G;")),
        Bad("MissingSemicolon", TextReply("ST:04ER:00;")),
        Bad("StateCutShort", "@BDC ST\r\nST:0"),
        Bad("InkFieldRunsOut", "@BDC ST\r\nST:04;IQ:5050"),
        Bad("OddInkItem", TextReply("ST:04;IQ:505;")),
        Bad("TwoCommas", TextReply("ST:04;WR:10,,11;")),
        Bad("TagAtTheVeryEnd", "@BDC ST\r\nST"),
        Bad("NoEndByte", TextReply("ST:04;abc").substr(0, 9 + 9))));

// ---- the tagged reply parser ----

struct TaggedCase {
    const char* name;
    std::string reply;
    bool ok;
    int statusNo;
    friend void PrintTo(const TaggedCase& c, std::ostream* os) { *os << c.name; }
};

class TaggedReplyParse : public ::testing::TestWithParam<TaggedCase> {};

TEST_P(TaggedReplyParse, FindsTheStatusRecord) {
    const TaggedCase& c = GetParam();
    int statusNo = -7;
    ASSERT_EQ(ParseTaggedReply(Bytes(c.reply), c.reply.size(), &statusNo), c.ok);
    if (c.ok) EXPECT_EQ(statusNo, c.statusNo);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, TaggedReplyParse,
    ::testing::Values(TaggedCase{"UpperCaseTag", std::string("HBM\x01\x00\xFE\x01\x0C", 8), true, 12},
                      TaggedCase{"LowerCaseTag", std::string("hbm\xFE\x01\x05", 6), true, 5},
                      TaggedCase{"FirstStatusRecordWins", std::string("hbm\xFE\x01\x05\xFE\x01\x06", 9), true, 5},
                      TaggedCase{"EmptyStatusRecordIsPassed", std::string("hbm\xFE\x00\xFE\x01\x07", 8), true, 7},
                      TaggedCase{"EndTagStops", std::string("hbm\xFF\xFE\x01\x05", 7), false, 0},
                      TaggedCase{"NoStatusRecord", std::string("hbm\x01\x02\xAA\xBB", 7), false, 0},
                      TaggedCase{"RecordRunsPastTheEnd", std::string("hbm\x01\x09\xFE\x01\x05", 8), false, 0},
                      TaggedCase{"StatusRecordCutShort", std::string("hbm\xFE\x02\x05", 6), false, 0},
                      TaggedCase{"OneByteLeft", std::string("hbm\xFE", 4), false, 0},
                      TaggedCase{"WrongTag", std::string("hbx\xFE\x01\x05", 6), false, 0},
                      TaggedCase{"TooShort", "hb", false, 0}));

// ---- ink condition and warning flags ----

struct InkCase {
    const char* name;
    std::string fields;
    int inkColorNum;
    int condition;
    int flags;
    friend void PrintTo(const InkCase& c, std::ostream* os) { *os << c.name; }
};

class InkFlags : public ::testing::TestWithParam<InkCase> {};

TEST_P(InkFlags, ConditionAndWarningFlags) {
    const InkCase& c = GetParam();
    const std::string reply = TextReply(c.fields);
    StatusEvaluation e;
    ASSERT_EQ(EvaluateStatus(0x10000005, Bytes(reply), reply.size(), 0, false, c.inkColorNum, &e), EvalResult::Ok);
    EXPECT_EQ(InkCondition(e.record), c.condition);
    EXPECT_EQ(e.record.wInkWarning, c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InkFlags,
    ::testing::Values(InkCase{"NoInkFieldCountsAsFirstEmpty", "ST:04;", 4, 0x01, 0},
                      InkCase{"FirstLowest", "ST:04;IQ:205060;", 4, 0x01, 0},
                      InkCase{"OtherLower", "ST:04;IQ:502060;", 4, 0x10, 0},
                      InkCase{"FirstLowestAndEqualToAnother", "ST:04;IQ:205020;", 4, 0x11, 0},
                      InkCase{"OnlyTheFirstInk", "ST:04;IQ:20;", 4, 0x01, 0},
                      InkCase{"FirstSpecialAndOtherSpecialMix", "ST:04;IQ:CINA;", 4, 0x48, 0},
                      InkCase{"OnlyTheFirstSpecialOtherCounts", "ST:04;IQ:50NA00;", 4, 0x40, 0},
                      InkCase{"FirstInkLowFourColours", "ST:04;WR:10;", 4, 0x01, 0x0100},
                      InkCase{"BothLowFourColours", "ST:04;WR:10,12;", 4, 0x01, 0x0300},
                      InkCase{"BothLowWithoutColourCount", "ST:04;WR:10,12;", 0, 0x01, 0x0100},
                      InkCase{"SixColoursKnow15", "ST:04;WR:10,15;", 6, 0x01, 0x0300},
                      InkCase{"FourColoursDoNotKnow15", "ST:04;WR:10,15;", 4, 0x01, 0x0100},
                      InkCase{"ColourLow", "ST:04;WR:12;", 4, 0x01, 0x0200},
                      InkCase{"SevenColoursKnow16", "ST:04;WR:16;", 7, 0x01, 0x0200},
                      InkCase{"SixColoursDoNotKnow16", "ST:04;WR:16;", 6, 0x01, 0},
                      InkCase{"BothEmptyIsStatusTwo", "ST:00;ER:05;IQ:0000;", 4, 0x11, 0x0011},
                      InkCase{"InkErrorAddsTheCondition", "ST:00;ER:05;IQ:NA50;WR:12;", 4, 0x04, 0x0204},
                      InkCase{"CartridgeStateAddsTheCondition", "ST:08;IQ:3020;", 4, 0x10, 0x0010},
                      InkCase{"EqualInksDropTheWarnings", "ST:08;WR:10;IQ:2020;", 4, 0x11, 0x0011}));

// ---- ink names in messages ----

TEST(InkNames, WhichMessagesTakeWhichNames) {
    const int first[] = {3019, 3021, 3030, 3033}, other[] = {3020, 3022, 3031, 3034},
              both[] = {3024, 3026, 3029, 3032, 3051};
    for (int id : first) EXPECT_EQ(InkInsertOf(id), INSERT_FIRST) << id;
    for (int id : other) EXPECT_EQ(InkInsertOf(id), INSERT_OTHER) << id;
    for (int id : both) EXPECT_EQ(InkInsertOf(id), INSERT_BOTH) << id;
    EXPECT_EQ(InkInsertOf(3023), INSERT_NONE);
    EXPECT_EQ(InkInsertOf(2002), INSERT_NONE);
}

TEST(InkNames, OnlyPercentSIsFilledIn) {
    const char* names[] = {"Black", "Color"};
    char out[64];
    EXPECT_EQ(InsertInkNames("%s and %s", names, 2, out, sizeof(out)), 15u);
    EXPECT_STREQ(out, "Black and Color");
    InsertInkNames("%d%n%x 100%% %s %s", names, 1, out, sizeof(out));
    EXPECT_STREQ(out, "%d%n%x 100% Black %s") << "a hostile format is text, not a printf format";
    EXPECT_EQ(InsertInkNames("", names, 2, out, sizeof(out)), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(InsertInkNames("%s ink is out", names, 1, out, 8), 7u) << "cut to the buffer";
    EXPECT_STREQ(out, "Black i");
    EXPECT_EQ(InsertInkNames("trailing %", names, 2, out, sizeof(out)), 10u);
    EXPECT_STREQ(out, "trailing %");
}

}  // namespace
