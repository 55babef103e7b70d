// Printer commands, the command and status workers, the library's
// notifications and the driver-settings library, against the test bench.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>
#include <thread>

#include "comm/driver_settings.h"
#include "comm/qk_workers.h"
#include "support/bed_fixture.h"
#include "support/message_window.h"

using namespace vix;
using vixbed::FaultSpec;
using vixtest::BedPrinter;
using vixtest::CallLogWindow;
using vixtest::MessageWindow;

namespace {

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        printer.Emu().channels = {{0x00000004, 0x0004}, {0x10000005, 0x0007}};
        ASSERT_TRUE(printer.Create());
        CQkApiBase::Instance().SetDriverName(printer.Driver().c_str());
    }
    void TearDown() override { CQkApiBase::Instance().Shutdown(); }

    vixbed::PrinterCondition Condition() {
        vixbed::EmuPrinterSpec spec;
        vixbed::LoadEmuPrinter(printer.Printer(), &spec);
        return spec.condition;
    }
    std::string LastSent(const CallLogWindow& log) {
        std::string sent;
        for (auto& r : log.Calls())
            if (r.op == "QKSend") sent = r.args.substr(r.args.find(' ') + 1);
        return sent;
    }

    BedPrinter printer;
};

struct PacketCase {
    const char* name;
    long (CQkApiEx::*send)(QkReply*);
    const char* bytes;       // as the printer received them
    const char* preset;      // the printer's condition before
    const char* replyStart;  // the reply's first bytes
    int stAfter;             // ST of the next status reply
    friend void PrintTo(const PacketCase& c, std::ostream* os) { *os << c.name; }
};

class Packets : public Commands, public ::testing::WithParamInterface<PacketCase> {};

TEST_P(Packets, ReachThePrinterByteForByte) {
    const PacketCase& c = GetParam();
    vixbed::PrinterCondition cond = Condition();
    vixbed::ApplyPreset(c.preset, cond);
    ASSERT_TRUE(printer.SetCondition(cond));
    CQkApiEx ex(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_EQ(ex.IsSelected(), 1);
    ASSERT_GT(ex.OpenChannel(), 0);
    CallLogWindow log;
    QkReply reply;
    long r = (ex.*c.send)(&reply);
    EXPECT_EQ(LastSent(log), c.bytes);
    ASSERT_GT(r, 0);
    ASSERT_TRUE(reply.data);
    EXPECT_EQ(reply.size, r);
    EXPECT_EQ(reply.data[reply.size], '\0');
    EXPECT_EQ(std::string(reply.data.get(), reply.size).rfind(c.replyStart, 0), 0u) << reply.data.get();
    EXPECT_EQ(Condition().st, c.stAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Packets,
    ::testing::Values(
        PacketCase{"PaperOut", &CQkApiEx::SendPaperOutReturn, "70 65 01 00 01", "paperout", "pe:01:", 0x04},
        PacketCase{"PaperJam", &CQkApiEx::SendPaperJamReturn, "70 6A 01 00 01", "jam", "pj:01:", 0x04},
        PacketCase{"JamCommandLeavesPaperOut", &CQkApiEx::SendPaperJamReturn, "70 6A 01 00 01", "paperout",
                   "pj:01:", 0x00},
        PacketCase{"Reset", &CQkApiEx::SendReset, "72 73 01 00 01", "error", "rs:01:", 0x04},
        PacketCase{"InkInfo", &CQkApiEx::SendInkInfoRequest, "69 69 01 00 01", "ready", "@BDC PS\r\nII:01;", 0x04},
        PacketCase{"InkRemain", &CQkApiEx::SendInkRemainRequest, "69 72 01 00 80", "ready", "@BDC PS\r\nIR:0050",
                   0x04},
        PacketCase{"CartridgeReplaced", &CQkApiEx::SendCartridgeReplaced, "65 78 06 00 00 00 00 00 19 00", "ready",
                   "ex:01:", 0x04}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, UnknownPacketGetsAnErrorReply) {
    CQkApiEx ex(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(ex.OpenChannel(), 0);
    const unsigned char zz[5] = {'z', 'z', 1, 0, 1};
    QkReply reply;
    ASSERT_GT(ex.CommonQKSend(zz, 5, &reply), 0);
    EXPECT_STREQ(reply.data.get(), "zz:NA:\x0C");
}

TEST_F(Commands, ClosedChannelSendsNothing) {
    CallLogWindow log;
    CQkApiEx ex(1, printer.Printer().c_str(), 0x10000005);
    QkReply reply;
    EXPECT_EQ(ex.SendReset(&reply), QKEX_NOT_OPEN);
    EXPECT_EQ(ex.GetCsicReplacementReset(&reply), QKEX_NOT_OPEN);
    EXPECT_EQ(log.Count("QKSend"), 0);
}

TEST_F(Commands, ReplacementResetOnlyOnTheNetworkStatusChannel) {
    printer.Emu().channels = {{0x10000005, 0x0007}, {0x10010003, 0x0007}};
    vixbed::SetChannels(printer.Printer(), printer.Emu().channels);
    CQkApiEx2 other(1, printer.Printer().c_str(), 0x10010003);
    ASSERT_GT(other.OpenChannel(), 0);
    QkReply reply;
    EXPECT_EQ(other.GetCsicReplacementReset(&reply), -1);
    CQkApiEx2 status(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(status.OpenChannel(), 0);
    EXPECT_GT(status.GetCsicReplacementReset(&reply), 0);
    EXPECT_STREQ(reply.data.get(), "ex:01:OK;\x0C");
}

struct ReceiveCase {
    const char* name;
    FaultSpec fault;
    long expected;
    friend void PrintTo(const ReceiveCase& c, std::ostream* os) { *os << c.name; }
};


class Replies : public Commands, public ::testing::WithParamInterface<ReceiveCase> {};

TEST_P(Replies, EveryAnswerIsACode) {
    ASSERT_TRUE(printer.Fault("QKReceive", GetParam().fault));
    CQkApiEx ex(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(ex.OpenChannel(), 0);
    QkReply reply;
    long r = ex.SendReset(&reply);
    EXPECT_EQ(r, GetParam().expected);
    if (r <= 0) {
        EXPECT_FALSE(reply.data);
    } else {
        EXPECT_EQ(reply.data[reply.size], '\0');
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Replies,
                         ::testing::Values(ReceiveCase{"NothingOnFirstCall", vixtest::FaultResult(-10), 0},
                                           ReceiveCase{"NothingOnSecondCall", vixtest::FaultData(-10), 0},
                                           ReceiveCase{"Error", vixtest::FaultResult(-31), -31},
                                           ReceiveCase{"MoreDataTwice", vixtest::FaultProbe(-4, 3), -4},
                                           ReceiveCase{"NegativeSize", vixtest::FaultProbe(-4, -5), QKEX_NO_MEMORY},
                                           ReceiveCase{"ProbeSaysEmptyButDataFollows", vixtest::FaultProbe(0, 0), -4},
                                           ReceiveCase{"FarLargerSize", vixtest::FaultProbe(-4, 4096), 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, ReceiveHonoursTimeOutAndCancel) {
    vixbed::SetPrinterDword(printer.Printer(), "Silent", 1);
    CQkApiEx ex(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(ex.OpenChannel(), 0);
    const unsigned char rs[5] = {'r', 's', 1, 0, 1};
    ASSERT_EQ(ex.Send(rs, 5), 5);
    LONG size = 0;
    DWORD t0 = GetTickCount();
    EXPECT_EQ(ex.Receive(nullptr, &size, 300), -10);
    EXPECT_GE(GetTickCount() - t0, 250u);
    std::thread canceller([&] {
        Sleep(200);
        ex.ReceiveCancel();
    });
    t0 = GetTickCount();
    long r = ex.Receive(nullptr, &size, 10000);
    canceller.join();
    EXPECT_LT(r, 0);
    EXPECT_NE(r, -10);
    EXPECT_LT(GetTickCount() - t0, 5000u) << "the cancel ends the wait";
}

TEST_F(Commands, LateReplyArrivesWithinTheTimeOut) {
    vixbed::SetPrinterDword(printer.Printer(), "ReplyDelayMs", 400);
    CQkApiEx ex(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(ex.OpenChannel(), 0);
    const unsigned char rs[5] = {'r', 's', 1, 0, 1};
    ASSERT_EQ(ex.Send(rs, 5), 5);
    LONG size = 0;
    EXPECT_EQ(ex.Receive(nullptr, &size, 100), -10) << "not yet";
    QkReply reply;
    EXPECT_GT(ex.GetPrinterReply(&reply), 0);
}

TEST_F(Commands, LibraryNotifiesRegisteredWindows) {
    MessageWindow w;
    HWND hwnd = w.Handle();
    CQkApiChannel status(1, printer.Printer().c_str(), 0x00000004, 4);
    ASSERT_GT(status.OpenChannel(), 0);
    ASSERT_EQ(status.SetOption(4, &hwnd), 0);
    MSG m;
    ASSERT_TRUE(w.WaitFor(0x402, 3000, &m));
    EXPECT_EQ(m.lParam, status.GetHandle());
    EXPECT_EQ(w.CountFor(0x402, 400), 0) << "no news, no notice";
    vixbed::PrinterCondition c = Condition();
    vixbed::ApplyPreset("paperout", c);
    printer.SetCondition(c);
    EXPECT_TRUE(w.WaitFor(0x402, 3000));

    CQkApiEx cmd(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(cmd.OpenChannel(), 0);
    ASSERT_EQ(cmd.SetOption(3, &hwnd), 0);
    const unsigned char ii[5] = {'i', 'i', 1, 0, 1};
    ASSERT_EQ(cmd.Send(ii, 5), 5);
    ASSERT_TRUE(w.WaitFor(0x401, 3000, &m));
    EXPECT_EQ(m.lParam, cmd.GetHandle());
    status.CloseChannel();
}

// ---- command worker --------------------------------------------------------

class CommandWorker : public Commands {};

TEST_F(CommandWorker, QueuesSendsAndAnnouncesInOrder) {
    MessageWindow w;
    CQkCmdChnl ch(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(ch.OpenChannel(), 0);
    ch.AddInkInfoRequest();
    ch.AddCartridgeReplacedRequest();
    ASSERT_EQ(ch.StartBlockingThread(w.Handle(), 50), 1);
    MessageWindow other;
    EXPECT_EQ(ch.StartBlockingThread(other.Handle(), 5000), 1);
    EXPECT_EQ(ch.NotifyWindow(), w.Handle()) << "a running worker keeps its window";
    EXPECT_EQ(ch.Interval(), 50u);
    MSG m;
    ASSERT_TRUE(w.WaitFor(WM_RESULT_CMDSENDREV, 5000, &m));
    EXPECT_EQ(static_cast<long>(m.wParam), ch.GetHandle());
    EXPECT_GT(static_cast<long>(m.lParam), 0);
    QkCmdRecord first;
    ASSERT_EQ(ch.GetFirstResult(&first), 1);
    EXPECT_EQ(std::string(first.sent.begin(), first.sent.end()), std::string("ii\x01\x00\x01", 5));
    EXPECT_EQ(std::string(first.reply.begin(), first.reply.end()).rfind("@BDC PS\r\nII:", 0), 0u);
    EXPECT_EQ(first.result, static_cast<long>(first.reply.size()));
    ASSERT_TRUE(w.WaitFor(WM_RESULT_CMDSENDREV, 5000, &m));
    ch.RemoveFirstResult();
    QkCmdRecord second;
    ASSERT_EQ(ch.GetFirstResult(&second), 1);
    EXPECT_EQ(second.sent.size(), 10u);
    QkCmdRecord none;
    // The worker takes a request off the queue right after announcing it:
    // the message can arrive here first.
    for (int i = 0; i < 100 && ch.GetFirstRequest(&none) != 0; ++i) Sleep(10);
    EXPECT_EQ(ch.GetFirstRequest(&none), 0) << "announced requests leave the queue";
    ch.EndBlockingThread();
    EXPECT_EQ(ch.IsRunning(), 0);
    EXPECT_EQ(ch.GetFirstResult(&none), 0);
}

TEST_F(CommandWorker, StopDuringAnExchangeAnnouncesNothing) {
    vixbed::SetPrinterDword(printer.Printer(), "ReplyDelayMs", 1500);
    MessageWindow w;
    CQkCmdChnl ch(1, printer.Printer().c_str(), 0x10000005);
    ASSERT_GT(ch.OpenChannel(), 0);
    CallLogWindow log;
    ch.AddInkInfoRequest();
    ASSERT_EQ(ch.StartBlockingThread(w.Handle(), 50), 1);
    for (int i = 0; i < 100 && log.Count("QKSend") == 0; ++i) Sleep(20);
    ASSERT_EQ(log.Count("QKSend"), 1) << "the exchange is under way";
    DWORD t0 = GetTickCount();
    ch.EndBlockingThread();
    EXPECT_LT(GetTickCount() - t0, 2 * kReplyTimeoutMs + 1000) << "within one exchange";
    EXPECT_EQ(w.CountFor(WM_RESULT_CMDSENDREV, 300), 0);
    QkCmdRecord r;
    EXPECT_EQ(ch.GetFirstRequest(&r), 0);
    EXPECT_EQ(ch.GetFirstResult(&r), 0);
}

TEST_F(CommandWorker, DestroyingTheChannelWhileItsWorkerRunsIsSafe) {
    vixbed::SetPrinterDword(printer.Printer(), "ReplyDelayMs", 300);
    MessageWindow w;
    CallLogWindow log;
    {
        CQkCmdChnl ch(1, printer.Printer().c_str(), 0x10000005);
        ASSERT_GT(ch.OpenChannel(), 0);
        for (int i = 0; i < 5; ++i) ch.AddInkInfoRequest();
        ASSERT_EQ(ch.StartBlockingThread(w.Handle(), 10), 1);
        Sleep(700);
    }
    EXPECT_EQ(log.Count("QKOpenChannel"), log.Count("QKCloseChannel")) << "the channel is closed on the way out";
    EXPECT_EQ(w.CountFor(WM_RESULT_CMDSENDREV, 300), 0) << "nothing arrives after the object is gone";
}

// ---- status worker ----------------------------------------------------------

struct StatusCase {
    const char* name;
    std::vector<vixbed::ChannelDef> channels;
    const char* faultOp;
    FaultSpec fault;
    UINT message;
    long wParam;
    friend void PrintTo(const StatusCase& c, std::ostream* os) { *os << c.name; }
};

class StatusWorker : public Commands, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(StatusWorker, PostsOneOutcome) {
    const StatusCase& c = GetParam();
    vixbed::SetChannels(printer.Printer(), c.channels);
    if (c.faultOp) {
        ASSERT_TRUE(printer.Fault(c.faultOp, c.fault));
    }
    MessageWindow w;
    CQkStatChannel st(1, printer.Printer().c_str());
    ASSERT_EQ(st.StartStatusThread(w.Handle()), 1);
    EXPECT_EQ(st.StartStatusThread(w.Handle()), 0) << "already running";
    MSG m;
    ASSERT_TRUE(w.WaitFor(c.message, 5000, &m));
    EXPECT_EQ(static_cast<long>(m.wParam), c.wParam);
    st.EndStatusThread();
    const char* buffer = nullptr;
    long size = st.GetStatusBuffer(&buffer);
    if (c.wParam == 1 && c.message == WM_RESULT_QKSTATUS) {
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(std::string(buffer, size), vixbed::BuildStatusReply(Condition()));
    }
    if (st.IsChannelOpen()) {
        st.ReceiveCancel();
        st.CloseChannel();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusWorker,
    ::testing::Values(
        StatusCase{"Reply", {{0x10000005, 0x7}}, nullptr, FaultSpec(), WM_RESULT_QKSTATUS, 1},
        StatusCase{"NoCandidate", {{0x10000005, 0x3}, {0x20000000, 0x4}}, nullptr, FaultSpec(),
                   WM_RESULT_QKSTCHANNEL, -1},
        StatusCase{"OpenFails", {{0x00000004, 0x4}}, "QKOpenChannel", vixtest::FaultResult(-33), WM_RESULT_QKSTCHANNEL, 0},
        StatusCase{"NothingYet", {{0x00000004, 0x4}}, "QKGetStatus", vixtest::FaultResult(0), WM_RESULT_QKSTATUS, 0},
        StatusCase{"Busy", {{0x00000004, 0x4}}, "QKGetStatus", vixtest::FaultResult(-17), WM_RESULT_QKSTATUS, -17}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, NothingYetKeepsThePreviousStatus) {
    MessageWindow w;
    CQkStatChannel st(1, printer.Printer().c_str());
    ASSERT_EQ(st.StartStatusThread(w.Handle()), 1);
    ASSERT_TRUE(w.WaitFor(WM_RESULT_QKSTATUS, 5000));
    st.EndStatusThread();
    const char* first = nullptr;
    long size = st.GetStatusBuffer(&first);
    ASSERT_GT(size, 0);
    std::string before(first, size);
    ASSERT_TRUE(printer.Fault("QKGetStatus", vixtest::FaultResult(0)));
    EXPECT_EQ(st.GetPrinterStatus(), 0);
    const char* second = nullptr;
    st.GetStatusBuffer(&second);
    EXPECT_EQ(std::string(second, st.GetStatusBuffer(&second)), before);
    st.CloseChannel();
}

// ---- driver-settings library --------------------------------------------------

struct TextCase {
    const char* name;
    DWORD kind, value;
    const char* text;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }
};

class SettingText : public ::testing::TestWithParam<TextCase> {};

TEST_P(SettingText, LooksUpItem213) {
    CZvSetLibrary lib;
    ASSERT_TRUE(lib.IsEnabled());
    EXPECT_EQ(lib.GetSettingText(GetParam().kind, GetParam().value, "Some Printer", "USB001"), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingText,
                         ::testing::Values(TextCase{"Media", 3, 1, "Photo Paper Glossy"},
                                           TextCase{"PaperSize", 1, 0, "A4"},
                                           TextCase{"HelpFile", 4, 0, "ZVHELP.HLP"},
                                           TextCase{"UnknownValue", 3, 99, ""},
                                           TextCase{"UnknownKind", 9, 0, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingTextOpen, NoPrinterNoText) {
    CZvSetLibrary lib;
    EXPECT_EQ(lib.GetSettingText(3, 1, "", ""), "");
}

}  // namespace
