#include "foundation/text.h"

#include <cstring>

namespace vix {

std::size_t BoundedLength(const char* s, std::size_t cap) {
    if (!s) return 0;
    const void* z = std::memchr(s, 0, cap);
    return z ? static_cast<std::size_t>(static_cast<const char*>(z) - s) : cap;
}

bool CopyText(char* dst, std::size_t cap, std::string_view src, TextFit fit) {
    if (!dst || cap == 0) return false;
    const void* z = src.empty() ? nullptr : std::memchr(src.data(), 0, src.size());
    if (z) src = src.substr(0, static_cast<const char*>(z) - src.data());
    if (src.size() < cap) {
        if (!src.empty()) std::memcpy(dst, src.data(), src.size());  // an empty view may have no data
        dst[src.size()] = '\0';
        return true;
    }
    if (fit == TextFit::Fail) {
        dst[0] = '\0';
        return false;
    }
    std::memcpy(dst, src.data(), cap - 1);
    dst[cap - 1] = '\0';
    return false;
}

bool AppendText(char* dst, std::size_t cap, std::string_view src, TextFit fit) {
    if (!dst || cap == 0) return false;
    std::size_t used = BoundedLength(dst, cap);
    if (used >= cap) {  // no terminator: nothing can be appended safely
        dst[cap - 1] = '\0';
        return false;
    }
    if (fit == TextFit::Fail) {
        std::string_view whole = src;
        const void* z = whole.empty() ? nullptr : std::memchr(whole.data(), 0, whole.size());
        if (z) whole = whole.substr(0, static_cast<const char*>(z) - whole.data());
        if (used + whole.size() >= cap) return false;  // buffer left as it was
    }
    return CopyText(dst + used, cap - used, src, fit);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

}  // namespace vix
