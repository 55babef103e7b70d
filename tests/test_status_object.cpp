// CStatusInfo and the status object under Wine: from reply bytes to the
// numbers, texts and buttons, with the texts from the bench driver's English
// resource library.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/trace.h"
#include "provision/provision.h"
#include "shared/status_cases.h"
#include "status/status_info.h"
#include "support/bed_fixture.h"

using vix::CPrinterStatus;
using vix::CStatusInfo;
using vixtest::StatusCase;
using vixtest::TextReply;

namespace {

std::vector<StatusCase> AllStatusCases() {
    std::size_t n = 0;
    const StatusCase* c = vixtest::StatusCases(&n);
    return std::vector<StatusCase>(c, c + n);
}

const BYTE* Bytes(const std::string& s) { return reinterpret_cast<const BYTE*>(s.data()); }

// The status object of a reply, owned by the caller.
std::unique_ptr<CPrinterStatus> Create(const CStatusInfo& info, DWORD channel, const std::string& reply,
                                       BOOL reduced = FALSE) {
    return std::unique_ptr<CPrinterStatus>(
        info.CreateStatusObject(channel, Bytes(reply), static_cast<DWORD>(reply.size()), 0, reduced));
}

// A resource library of the bench driver, loaded from the program directory.
class ResourceLibrary {
public:
    explicit ResourceLibrary(const char* name) : m_h(LoadLibraryA((vixbed::ProgramDirectory() + name).c_str())) {}
    ~ResourceLibrary() {
        if (m_h) FreeLibrary(m_h);
    }
    HINSTANCE Get() const { return m_h; }

private:
    HMODULE m_h;
};

std::unique_ptr<CPrinterStatus> Evaluate(const StatusCase& c) {
    CStatusInfo info;
    info.SetInkColorNum(c.inkColorNum);
    return std::unique_ptr<CPrinterStatus>(info.CreateStatusObject(
        c.channel, c.hasReply ? Bytes(c.reply) : nullptr, static_cast<DWORD>(c.reply.size()), c.forced, FALSE));
}

class StatusObject : public ::testing::TestWithParam<StatusCase> {
protected:
    ResourceLibrary english{"ZVRES_EN.DLL"};
};

TEST_P(StatusObject, NumbersTextsAndButtons) {
    const StatusCase& c = GetParam();
    ASSERT_NE(english.Get(), nullptr);
    auto status = Evaluate(c);
    ASSERT_NE(status, nullptr);
    const vix::StatusInfoRow& row = vix::kStatusInfoTable[c.infoRow];
    // The object reports the status number of its row: -1 for a fallback row.
    EXPECT_EQ(status->GetStatusNo(), row.iStatusNo == -1 ? -1 : c.statusNo);
    EXPECT_EQ(status->GetSimpleStatus(), row.iSimpleStatus);
    EXPECT_EQ(status->GetNotifyCategory(), row.iNotify);
    EXPECT_EQ(status->GetSoundId(), row.iSoundId);
    EXPECT_EQ(status->GetMainButton(), c.mainButton);
    EXPECT_EQ(status->GetSecondButton(), c.secondButton);
    vix::StatusInfoRow copy;
    status->GetStatusInfo(&copy);
    EXPECT_EQ(copy.iRow, c.infoRow);
    vix::KindRow kind;
    status->GetKindInfo(&kind);
    EXPECT_EQ(kind.iKind, row.iKind);
    EXPECT_NE(kind.iBasePicture, 0);

    char text[260], message[260];
    EXPECT_GT(status->GetStatusText(english.Get(), text, sizeof(text)), 0);
    EXPECT_STREQ(text, c.text);
    EXPECT_GT(status->GetMessageText(english.Get(), message, sizeof(message)), 0);
    EXPECT_STREQ(message, c.message);

    vix::TroubleInfo trouble;
    std::memset(&trouble, 0x55, sizeof(trouble));
    EXPECT_EQ(status->GetTroubleInfo(&trouble), 0) << "no trouble-shooting file, no trouble-shooting information";
    EXPECT_EQ(trouble.szText[0], '\0');
    EXPECT_EQ(trouble.hResource, nullptr);

    vix::StatusRecord record;
    const bool textReply = c.hasReply && vix::ReplyTypeOfChannel(c.channel) == vix::REPLY_TEXT;
    EXPECT_EQ(status->GetStatusRecord(&record), textReply);
    EXPECT_EQ(status->GetPrintingState(), textReply ? (record.bySt == 0x03 ? 2 : 1) : 0);
}

INSTANTIATE_TEST_SUITE_P(AllRows, StatusObject, ::testing::ValuesIn(AllStatusCases()));

TEST(StatusObjectRecord, CarriesTheParsedRecordAndItsInkWarnings) {
    CStatusInfo info;
    info.SetInkColorNum(4);
    const std::string reply = TextReply("ST:03;IQ:7F20;WR:10,12;TC:0102;");
    auto status = Create(info, 0x10000005, reply);
    ASSERT_NE(status, nullptr);
    vix::StatusRecord r;
    ASSERT_TRUE(status->GetStatusRecord(&r));
    EXPECT_EQ(r.byIqCount, 2);
    EXPECT_EQ(r.byIq[0], 100);
    EXPECT_EQ(r.wTc, 0x0102);
    EXPECT_EQ(r.wInkWarning, 0x0300);
    EXPECT_EQ(status->GetStatusNo(), 20);
    EXPECT_EQ(status->GetPrintingState(), 2);
    EXPECT_EQ(info.GetStatusNo(r), 12) << "the table alone says 12; the warnings make it 20";
    EXPECT_EQ(info.SearchStatusInfo(1, 20), 20);
    EXPECT_EQ(info.SearchStatusInfo(0, -1), 30);
    EXPECT_EQ(info.SearchStatusInfo(2, 5), -1);
}

TEST(StatusObjectRecord, NoObjectForABadReply) {
    CStatusInfo info;
    const std::string cut = "@BDC ST\r\nST:04;";
    EXPECT_EQ(info.CreateStatusObject(0x10000005, Bytes(cut), static_cast<DWORD>(cut.size()), 0, FALSE), nullptr);
    const std::string noState = TextReply("ER:00;");
    EXPECT_EQ(info.CreateStatusObject(0x00000004, Bytes(noState), static_cast<DWORD>(noState.size()), 0, FALSE),
              nullptr);
    EXPECT_EQ(info.CreateStatusObject(0x02000001, Bytes(noState), static_cast<DWORD>(noState.size()), 0, FALSE),
              nullptr);
    // Evaluating again without the reply, as callers do, ends in a row.
    std::unique_ptr<CPrinterStatus> again(info.CreateStatusObject(0, nullptr, 0, 0, FALSE));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->GetSimpleStatus(), 11);
}

TEST(StatusObjectRecord, ReducedFlagCutsTheButtons) {
    CStatusInfo info;
    const std::string paperOut = TextReply("ST:00;ER:06;");
    auto status = Create(info, 0x10000005, paperOut, TRUE);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetMainButton(), 1601);
    EXPECT_EQ(status->GetSecondButton(), 0);
}

TEST(StatusObjectText, LibraryWithoutTheStringsGivesEmptyTexts) {
    // The bench library QKAPI.DLL has no string table.
    ResourceLibrary none("QKAPI.DLL");
    ASSERT_NE(none.Get(), nullptr);
    CStatusInfo info;
    const std::string reply = TextReply("ST:00;ER:05;IQ:0000;");
    auto status = Create(info, 0x10000005, reply);
    ASSERT_NE(status, nullptr);
    char text[64] = "x", message[64] = "x";
    EXPECT_EQ(status->GetStatusText(none.Get(), text, sizeof(text)), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(status->GetMessageText(none.Get(), message, sizeof(message)), 0);
    EXPECT_STREQ(message, "");
    // A buffer too small for the message cuts it.
    ResourceLibrary english("ZVRES_EN.DLL");
    char small[12];
    EXPECT_EQ(status->GetMessageText(english.Get(), small, sizeof(small)), 11);
    EXPECT_STREQ(small, "Black ink a");
}

TEST(StatusObjectText, GermanLibrary) {
    ResourceLibrary german("ZVRES_DE.DLL");
    ASSERT_NE(german.Get(), nullptr);
    CStatusInfo info;
    const std::string jam = TextReply("ST:00;ER:04;");
    auto status = Create(info, 0x10000005, jam);
    ASSERT_NE(status, nullptr);
    char text[64];
    status->GetStatusText(german.Get(), text, sizeof(text));
    EXPECT_STREQ(text, "Papierstau");
}

// The evaluation's trace entries in the core library's log.
TEST(StatusObjectTrace, WritesTheQuotedEntries) {
    const char* logPath = vix::CoreTraceLog().Path();
    const bool existed = vixtest::FileExists(logPath);
    const std::size_t before = vixtest::ReadFileText(logPath).size();
    vix::CoreTraceLog().SetEnabled(true);
    {
        CStatusInfo info;
        const std::string reply = TextReply("ST:04;");
        auto status = Create(info, 0x10000005, reply);
        EXPECT_NE(status, nullptr);
    }
    vix::CoreTraceLog().SetEnabled(false);
    std::string raw = vixtest::ReadFileText(logPath).substr(before);
    if (!existed) DeleteFileA(logPath);
    // The log is a text file: every line feed was written as CR LF.
    std::string log;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        log += raw[i];
    }
    const char* expected[] = {"Channel : 10000005\n", "Received status : @BDC ST\r\nST:04;\x0C\n", "Size : 16\n",
                              "StatusCode Table index : 30\n", "StatusNo : 1\n", "StatusInfo Table index : 17\n"};
    std::size_t at = 0;
    for (const char* e : expected) {
        std::size_t found = log.find(e, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << e << "\nlog:\n" << log;
        at = found + std::strlen(e);
    }
}

}  // namespace
