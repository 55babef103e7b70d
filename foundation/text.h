// Fixed text buffers. Every copy into a fixed buffer of the system goes
// through CopyText, which never writes past the buffer.
#ifndef VIX_FOUNDATION_TEXT_H
#define VIX_FOUNDATION_TEXT_H

#include <cstddef>
#include <string_view>

namespace vix {

// Texts are held in buffers of this many bytes (259 characters and the zero).
constexpr std::size_t kTextMax = 260;

enum class TextFit {
    Cut,   // a text that does not fit is cut to the buffer (documented cut)
    Fail,  // a text that does not fit leaves the buffer empty and fails
};

// Copies src into dst[0..cap) with a terminating zero. Returns true when the
// whole text fitted. A text that does not fit is cut or refused as `fit`
// says; a zero byte inside src ends the text. cap 0 writes nothing.
bool CopyText(char* dst, std::size_t cap, std::string_view src, TextFit fit);

template <std::size_t N>
inline bool CopyText(char (&dst)[N], std::string_view src, TextFit fit) {
    return CopyText(dst, N, src, fit);
}

// Appends src to the text already in dst (a zero-terminated text within cap).
bool AppendText(char* dst, std::size_t cap, std::string_view src, TextFit fit);

template <std::size_t N>
inline bool AppendText(char (&dst)[N], std::string_view src, TextFit fit) {
    return AppendText(dst, N, src, fit);
}

// Length of a text in a buffer of cap bytes that may lack its terminator.
std::size_t BoundedLength(const char* s, std::size_t cap);

// A view of a possibly unterminated text.
inline std::string_view BoundedView(const char* s, std::size_t cap) {
    return s ? std::string_view(s, BoundedLength(s, cap)) : std::string_view();
}

// A view of a C text that may be null.
inline std::string_view SafeView(const char* s) {
    return s ? std::string_view(s) : std::string_view();
}

// True when a and b are equal without regard to ASCII case.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace vix

#endif
