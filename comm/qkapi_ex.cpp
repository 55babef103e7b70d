#include "comm/qkapi_ex.h"

#include <new>

#include "foundation/trace.h"

namespace vix {

namespace {
// A reply larger than this is not believed.
constexpr LONG kMaxReplyBytes = 1 << 20;
}  // namespace

CQkApiEx::CQkApiEx(long kind, const char* name, DWORD channel)
    : CQkApiChannel(kind, name, channel, qk::MODE_COMMAND) {}

CQkApiEx::~CQkApiEx() {
    if (IsChannelOpen()) CloseChannel();
}

long CQkApiEx::ReceiveReply(QkReply* reply) {
    TraceScope ts("CQkApiEx::GetPrinterReply");
    if (reply) reply->Reset();
    LONG size = 0;
    long r = Receive(nullptr, &size, kReplyTimeoutMs);
    if (r == qk::QK_TIMEOUT) return 0;
    if (r < 0 && r != qk::QK_MORE_DATA) return r;
    if (size < 0 || size > kMaxReplyBytes) return QKEX_NO_MEMORY;
    const LONG capacity = size;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(capacity) + 1]());
    if (!buffer) return QKEX_NO_MEMORY;
    r = Receive(buffer.get(), &size, kReplyTimeoutMs);
    TraceWrite(ts, "iResult = %d, iSize = %d\n", static_cast<int>(r), static_cast<int>(size));
    if (r == qk::QK_TIMEOUT) return 0;
    if (r < 0) return r;
    // The size a library reports cannot reach past what it was given.
    if (size < 0) size = 0;
    if (size > capacity) size = capacity;
    buffer[size] = '\0';
    TraceWrite(ts, "pBuffer : %s\n", buffer.get());
    if (reply) {
        reply->data = std::move(buffer);
        reply->size = size;
    }
    return size;
}

long CQkApiEx::GetPrinterReply(QkReply* reply) { return ReceiveReply(reply); }

long CQkApiEx::GetCsicReplacementReset(QkReply* reply) {
    if (!IsChannelOpen()) return QKEX_NOT_OPEN;
    return CommonQKSend(packets::kCartridgeReplaced, sizeof(packets::kCartridgeReplaced), reply);
}

long CQkApiEx::CommonQKSend(const void* bytes, long length, QkReply* reply) {
    TraceScope ts("CQkApiEx::CommonQKSend");
    if (reply) reply->Reset();
    if (!IsChannelOpen()) return QKEX_NOT_OPEN;
    TraceWrite(ts, "QKSend : before\n");
    long r = Send(bytes, length);
    TraceWrite(ts, "QKSend : after\n");
    TraceWrite(ts, "Result : %d\n", static_cast<int>(r));
    if (r < 0) return r;
    return GetPrinterReply(reply);
}

long CQkApiEx2::GetPrinterReply(QkReply* reply) { return ReceiveReply(reply); }

long CQkApiEx2::GetCsicReplacementReset(QkReply* reply) {
    if (!IsChannelOpen()) return QKEX_NOT_OPEN;
    if (GetChannel() != qk::CHANNEL_NET_STATUS) return -1;
    return CommonQKSend(packets::kCartridgeReplaced, sizeof(packets::kCartridgeReplaced), reply);
}

}  // namespace vix
