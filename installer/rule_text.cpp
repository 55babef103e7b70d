#include "installer/rule_text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace zvu {

std::string FormatV(const char* fmt, va_list ap) {
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap2);
    va_end(ap2);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, ap);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    return out;
}

std::string Format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string out = FormatV(fmt, ap);
    va_end(ap);
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

std::string UpperText(std::string_view s, LeadByteFn isLead) {
    std::string out(s);
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (isLead && isLead(c)) {
            ++i;  // the trail byte belongs to the character
            continue;
        }
        if (c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 32);
    }
    return out;
}

int32_t ReadDecimal(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' || s[i] == '\v' ||
                            s[i] == '\f'))
        ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 0x80000000LL) v = 0x80000000LL;  // held, never overflows
    }
    if (neg) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    return static_cast<int32_t>(v);
}

VersionTriple ParseVersionText(std::string_view text) {
    VersionTriple t;
    size_t start = 0;
    for (int part = 0; part < 3 && start <= text.size(); ++part) {
        size_t end = text.find_first_of(".,", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view piece = text.substr(start, end - start);
        if (piece.size() > 32) piece = piece.substr(0, 32);
        t.part[part] = ReadDecimal(piece);
        if (end == text.size()) break;
        start = end + 1;
    }
    return t;
}

int CompareTriples(const VersionTriple& a, const VersionTriple& b, int* partOut) {
    for (int i = 0; i < 3; ++i) {
        if (a.part[i] != b.part[i]) {
            if (partOut) *partOut = i + 1;
            return a.part[i] > b.part[i] ? 1 : -1;
        }
    }
    if (partOut) *partOut = 0;
    return 0;
}

std::string MakeTemporaryName(std::string_view path, bool backwards) {
    std::string out(path);
    if (out.empty()) return out;
    char& c = out.back();
    bool lower = c >= 'a' && c <= 'z', upper = c >= 'A' && c <= 'Z';
    if (!lower && !upper) return out;
    char first = lower ? 'a' : 'A', last = lower ? 'z' : 'Z';
    if (backwards) c = c == first ? last : static_cast<char>(c - 1);
    else c = c == last ? first : static_cast<char>(c + 1);
    return out;
}

std::string GetExtensionOf(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > 255) return false;
    bool onlyDots = true;
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20) return false;
        switch (c) {
            case '\\': case '/': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
                return false;
            default: break;
        }
        if (c != '.' && c != ' ') onlyDots = false;
    }
    return !onlyDots;
}

}  // namespace zvu
