// The printer's status reply: which channel carries which kind of reply, the
// parsed status record, and the parsers of the text reply ("@BDC ST\r\n")
// and of the tagged reply ("hbm" records). Pure code: the bytes come from a
// printer or from whatever answers in its place, and no reply may make a
// parser read past its length.
#ifndef VIX_STATUS_STATUS_REPLY_H
#define VIX_STATUS_STATUS_REPLY_H

#include <cstddef>
#include <cstdint>

namespace vix {

// Reply types by channel.
enum ReplyType : int {
    REPLY_NONE = 0,    // no reply is parsed
    REPLY_TEXT = 1,    // "@BDC ST\r\n" text status reply
    REPLY_TAGGED = 2,  // "hbm" tagged binary reply
};

int ReplyTypeOfChannel(std::uint32_t channel);

constexpr int kMaxInkEntries = 10;
constexpr int kMaxWarningCodes = 10;

// Ink entry values besides the remaining amount 0-100.
constexpr std::uint8_t INK_NOT_AVAILABLE = 0xFF;  // "NA"
constexpr std::uint8_t INK_REPLACE = 0xFE;        // "RE" or "WE"
constexpr std::uint8_t INK_CI = 0xFD;             // "CI"

// Field values that mean "not in the reply".
constexpr std::uint8_t kNoState = 0xFF;
constexpr std::uint8_t kNoError = 0xFF;
constexpr std::uint16_t kNoTc = 0xFFFF;
constexpr std::uint8_t kNoRc = 0xFF;

// The parsed status record. Consumers receive a copy of the whole record.
struct StatusRecord {
    std::uint8_t bySt;                        // "ST:" printer state
    std::uint8_t byEr;                        // "ER:" error code, kNoError without the field
    std::uint8_t byIqCount;                   // number of "IQ:" entries
    std::uint8_t byIq[kMaxInkEntries];        // ink entries, first ink first
    std::uint16_t wInkWarning;                // ink warning flags, computed after parsing
    std::uint8_t byWrCount;                   // number of "WR:" codes
    std::uint8_t byWr[kMaxWarningCodes];      // warning codes in reply order
    std::uint8_t byRv;                        // "RV:" one hex digit
    std::uint16_t wTc;                        // "TC:" four hex digits
    std::uint8_t byRc;                        // "RC:" two hex digits
};

// The record before parsing: every field at its initial value.
StatusRecord InitialStatusRecord();

// The 9 bytes a text reply begins with.
constexpr char kTextReplyHeader[] = "@BDC ST\r\n";
constexpr std::size_t kTextReplyHeaderSize = 9;

// Parses a text reply into *out (set to its initial values first). False for
// any reply that is not a complete, well-formed status reply with an "ST:"
// field; *out is then unspecified.
bool ParseTextReply(const std::uint8_t* reply, std::size_t length, StatusRecord* out);

// Parses a tagged reply: "hbm" (any case), then records of tag, length and
// data up to tag 0xFF or the end. The status number is the first data byte of
// the first record with tag 0xFE; false without one.
bool ParseTaggedReply(const std::uint8_t* reply, std::size_t length, int* pStatusNo);

}  // namespace vix

#endif
