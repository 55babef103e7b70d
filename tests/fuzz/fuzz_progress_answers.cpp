// Fuzzes the decoding of the progress-meter interface's answers and of
// printer names: the first byte picks what the rest is fed to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "progress/job_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t* p = data + 1;
    size_t n = size - 1;
    std::string_view text(reinterpret_cast<const char*>(p), n);
    switch (data[0] % 5) {
    case 0: {
        char doc[vix::kDocumentChars];
        size_t got = vix::DecodeDocumentName(p, n, doc);
        if (got > vix::kDocumentChars) __builtin_trap();
        break;
    }
    case 1: {
        uint16_t m[3];
        uint32_t v[2];
        vix::DecodeMedia(p, n, m);
        vix::DecodeDwords(p, n, v, 2);
        vix::DecodeDwords(p, n, v, 1);
        break;
    }
    case 2: {
        std::string server, share;
        if (vix::SplitServerPrinter(text, &server, &share) && server.size() + share.size() + 3 > n) __builtin_trap();
        break;
    }
    case 3: {
        size_t cut = n / 2;
        vix::BindingPlan plan = vix::ChooseBinding(text.substr(0, cut), "ncacn_np", "", text.substr(cut));
        if (plan.protseq.empty()) __builtin_trap();
        vix::DataTypeIsEmf(text);
        break;
    }
    default: {
        uint32_t flags = n >= 4 ? (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24) : 0;
        uint32_t r = vix::SelectWaitReason(flags);
        if ((flags == 0) != (r == 0) || (r & (r - 1)) || (r & ~flags)) __builtin_trap();
        vix::JobInfoValueLength(flags, reinterpret_cast<const char*>(p), n);
        break;
    }
    }
    return 0;
}
