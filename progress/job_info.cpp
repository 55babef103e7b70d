#include "progress/job_info.h"

#include <cstring>

#include "foundation/text.h"

namespace vix {

uint32_t JobInfoFixedSize(uint32_t type) {
    switch (type) {
    case 2:
        return 16;
    case 3:
    case 100:
    case 101:
    case 104:
    case 200:
    case 201:
    case 202:
    case 203:
        return 4;
    case 21:
        return 6;
    case 102:
    case 103:
        return 8;
    default:
        return 0;
    }
}

uint32_t JobInfoValueLength(uint32_t type, const char* text, std::size_t maxText) {
    if (type == 0 || type == 1) {
        if (!text) return 0;
        return static_cast<uint32_t>(BoundedLength(text, maxText) + 1);
    }
    return JobInfoFixedSize(type);
}

WireData WireDataOf(const void* data, uint32_t length) {
    if (!data || length == 0) return {reinterpret_cast<const unsigned char*>(kDummyData), kDummyDataLength};
    return {static_cast<const unsigned char*>(data), length};
}

std::size_t DecodeDocumentName(const unsigned char* data, std::size_t size, char (&out)[kDocumentChars]) {
    std::memset(out, 0, sizeof(out));
    if (!data) return 0;
    std::size_t n = BoundedLength(reinterpret_cast<const char*>(data), size < kDocumentChars ? size : kDocumentChars);
    std::memcpy(out, data, n);
    return n;
}

bool DecodeMedia(const unsigned char* data, std::size_t size, uint16_t (&out)[3]) {
    out[0] = out[1] = out[2] = 0;
    if (!data || size != kMediaSize) return false;
    for (int i = 0; i < 3; ++i) out[i] = static_cast<uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return true;
}

bool DecodeDwords(const unsigned char* data, std::size_t size, uint32_t* out, std::size_t count) {
    if (!data || !out || size != 4 * count) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* p = data + 4 * i;
        out[i] = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
                 static_cast<uint32_t>(p[3]) << 24;
    }
    return true;
}

uint32_t SelectWaitReason(uint32_t flags) {
    static const uint32_t kOrder[] = {0x1, 0x40, 0x80, 0x100, 0x20, 0x10, 0x200, 0x8, 0x400, 0x2, 0x4};
    for (uint32_t bit : kOrder)
        if (flags & bit) return bit;
    return flags & (~flags + 1);  // the lowest set bit, 0 for none
}

bool SplitServerPrinter(std::string_view name, std::string* server, std::string* printer) {
    if (name.size() < 3 || name[0] != '\\' || name[1] != '\\') return false;
    std::size_t slash = name.find('\\', 2);
    if (slash == std::string_view::npos || slash == 2) return false;
    if (server) server->assign(name.substr(2, slash - 2));
    if (printer) printer->assign(name.substr(slash + 1));
    return true;
}

bool DataTypeIsEmf(std::string_view dataType) { return dataType.find("EMF") != std::string_view::npos; }

std::string PipeEndpoint(std::string_view name) { return "\\pipe\\" + std::string(name); }

BindingPlan ChooseBinding(std::string_view server, std::string_view protseq, std::string_view endpoint,
                          std::string_view localComputer) {
    BindingPlan plan;
    bool local = server.empty() || server[0] == '.' || (!localComputer.empty() && server == localComputer);
    if (local) {
        plan.protseq = "ncalrpc";
        return plan;
    }
    plan.protseq = std::string(protseq);
    plan.networkAddress = std::string(server);
    plan.endpoint = std::string(endpoint);
    if (plan.protseq == "ncacn_np" && plan.endpoint.empty()) plan.endpoint = PipeEndpoint(kPipeEndpointName);
    return plan;
}

}  // namespace vix
