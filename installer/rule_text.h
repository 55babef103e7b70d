// Text helpers of the module installer that look at bytes from outside
// (copy-rule lines, version texts, file names). Pure code: no Windows header.
#ifndef ZVU_RULE_TEXT_H
#define ZVU_RULE_TEXT_H

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zvu {

// Where the installer's log lines go (printf-formatted by the caller).
using LogFn = std::function<void(const std::string&)>;

// Tells a lead byte of a double-byte character of the ANSI code page; null
// means a single-byte code page.
using LeadByteFn = bool (*)(unsigned char);

// printf into a std::string.
std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

std::string FormatV(const char* fmt, va_list ap);

// Blanks (space, tab) off both ends.
std::string_view TrimBlanks(std::string_view s);

// Upper case of the ASCII letters; the trail byte of a double-byte character
// is left as it is.
std::string UpperText(std::string_view s, LeadByteFn isLead);

// A decimal number as atol reads it (leading blanks, a sign, digits up to the
// first other character; no digits gives 0), held to the 32-bit range.
int32_t ReadDecimal(std::string_view s);

// Version triple of a FileVersion text: parts cut at "." or ",", the first
// three read each on its own (a part counts its first 32 characters).
struct VersionTriple {
    int32_t part[3] = {0, 0, 0};
};
VersionTriple ParseVersionText(std::string_view text);
// -1, 0, 1 with the number (1..3) of the first part that differs, 0 when equal.
int CompareTriples(const VersionTriple& a, const VersionTriple& b, int* partOut);

// The last character moved one letter forwards (a..y -> next, z -> a) or
// backwards; other characters stay.
std::string MakeTemporaryName(std::string_view path, bool backwards);

// ".EXT" of a name, the dot included; empty when there is no dot.
std::string GetExtensionOf(std::string_view name);

// True when a file name from the copy-rule file stays inside its directory:
// not empty, no path separator, no drive or stream colon, no wildcard or
// other character a file name cannot hold, not made of dots only, and short
// enough for a 260-byte path buffer.
bool IsPlainFileName(std::string_view name);

}  // namespace zvu

#endif
