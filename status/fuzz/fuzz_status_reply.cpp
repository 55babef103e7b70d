// Fuzzes the status reply parsers and the evaluation behind them with
// arbitrary bytes: the first byte picks the channel, the rest is the reply.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "status/status_reply.h"
#include "status/status_tables.h"

namespace {
const std::uint32_t kChannels[] = {0x00000004, 0x10000005, 0x10010003, 0x10000003, 0x02000001, 0};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint32_t channel = kChannels[data[0] % (sizeof(kChannels) / sizeof(kChannels[0]))];
    const std::uint8_t* reply = data + 1;
    const std::size_t length = size - 1;

    vix::StatusRecord r;
    if (vix::ParseTextReply(reply, length, &r)) {
        if (r.byIqCount > vix::kMaxInkEntries || r.byWrCount > vix::kMaxWarningCodes) std::abort();
        for (int i = 0; i < r.byIqCount; ++i)
            if (r.byIq[i] > 100 && r.byIq[i] < vix::INK_CI) std::abort();
    }
    int statusNo = -1;
    if (vix::ParseTaggedReply(reply, length, &statusNo) && (statusNo < 0 || statusNo > 255)) std::abort();

    vix::StatusEvaluation e;
    for (int n : {0, 4, 6, 7}) {
        switch (vix::EvaluateStatus(channel, reply, length, 0, (data[0] & 0x80) != 0, n, &e)) {
        case vix::EvalResult::Ok:
            // Every evaluation ends in a row of the table with its picture.
            if (e.iInfoRow < 0 || static_cast<std::size_t>(e.iInfoRow) >= vix::kStatusInfoRows) std::abort();
            if (e.kind.iKind != e.info.iKind) std::abort();
            break;
        case vix::EvalResult::BadReply:
            break;
        case vix::EvalResult::NoInfoRow:
            std::abort();  // every reply type has its fallback row
        }
    }
    return 0;
}
