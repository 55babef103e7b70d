// Printer commands on a command channel: a packet is sent and the printer's
// text reply received with a 5000 ms time-out.
#ifndef VIX_COMM_QKAPI_EX_H
#define VIX_COMM_QKAPI_EX_H

#include <cstddef>
#include <memory>

#include "comm/qkapi_channel.h"

namespace vix {

// A reply received from the printer, owned by whoever received it; the
// bytes are always followed by a zero.
struct QkReply {
    std::unique_ptr<char[]> data;
    long size = 0;
    void Reset() {
        data.reset();
        size = 0;
    }
};

constexpr long QKEX_NOT_OPEN = -16;
constexpr long QKEX_NO_MEMORY = -4;
constexpr DWORD kReplyTimeoutMs = 5000;

// The command packets: two letters, a 16-bit little-endian length, the
// parameter bytes.
namespace packets {
constexpr unsigned char kPaperOutReturn[5] = {'p', 'e', 0x01, 0x00, 0x01};
constexpr unsigned char kPaperJamReturn[5] = {'p', 'j', 0x01, 0x00, 0x01};
constexpr unsigned char kReset[5] = {'r', 's', 0x01, 0x00, 0x01};
constexpr unsigned char kInkInfo[5] = {'i', 'i', 0x01, 0x00, 0x01};
constexpr unsigned char kInkRemain[5] = {'i', 'r', 0x01, 0x00, 0x80};
constexpr unsigned char kCartridgeReplaced[10] = {'e', 'x', 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x19, 0x00};
}  // namespace packets

class CQkApiEx : public CQkApiChannel {
public:
    // Selects `channel` with the command mode bits (3).
    CQkApiEx(long kind, const char* name, DWORD channel);
    // Closes the channel if it is still open.
    ~CQkApiEx() override;

    // Received byte count, 0 for nothing, or a negative code.
    virtual long GetPrinterReply(QkReply* reply);
    virtual long GetCsicReplacementReset(QkReply* reply);

    // -16 when not open; a failed send's code; else the reply's result.
    long CommonQKSend(const void* bytes, long length, QkReply* reply);

    long SendPaperOutReturn(QkReply* r) { return CommonQKSend(packets::kPaperOutReturn, 5, r); }
    long SendPaperJamReturn(QkReply* r) { return CommonQKSend(packets::kPaperJamReturn, 5, r); }
    long SendReset(QkReply* r) { return CommonQKSend(packets::kReset, 5, r); }
    long SendInkInfoRequest(QkReply* r) { return CommonQKSend(packets::kInkInfo, 5, r); }
    long SendInkRemainRequest(QkReply* r) { return CommonQKSend(packets::kInkRemain, 5, r); }
    long SendCartridgeReplaced(QkReply* r) { return CommonQKSend(packets::kCartridgeReplaced, 10, r); }

protected:
    // The receiver both variants share.
    long ReceiveReply(QkReply* reply);
};

class CQkApiEx2 : public CQkApiEx {
public:
    CQkApiEx2(long kind, const char* name, DWORD channel) : CQkApiEx(kind, name, channel) {}
    long GetPrinterReply(QkReply* reply) override;
    // Sends "ex" only on channel 0x10000005; -1 on any other.
    long GetCsicReplacementReset(QkReply* reply) override;

protected:
    long m_bNetwork = -1;  // nothing sets it
};

}  // namespace vix

#endif
