#include "status/status_reply.h"

#include <cstring>

namespace vix {

int ReplyTypeOfChannel(std::uint32_t channel) {
    switch (channel) {
    case 0x00000004:
    case 0x10000005:
    case 0x10010003:
    case 0x10000003:
        return REPLY_TEXT;
    case 0x02000001:
        return REPLY_TAGGED;
    default:
        return REPLY_NONE;
    }
}

StatusRecord InitialStatusRecord() {
    StatusRecord r;
    std::memset(&r, 0, sizeof(r));
    r.bySt = kNoState;
    r.byEr = kNoError;
    r.wTc = kNoTc;
    r.byRc = kNoRc;
    return r;
}

namespace {

int HexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::uint8_t Upper(std::uint8_t c) { return (c >= 'a' && c <= 'z') ? static_cast<std::uint8_t>(c - 32) : c; }

// A cursor over the reply that never reads past its end.
class ReplyCursor {
public:
    ReplyCursor(const std::uint8_t* data, std::size_t length, std::size_t pos) : m_p(data), m_n(length), m_pos(pos) {}

    std::size_t Pos() const { return m_pos; }
    std::size_t Left() const { return m_pos < m_n ? m_n - m_pos : 0; }
    bool Has(std::size_t count) const { return Left() >= count; }
    std::uint8_t At(std::size_t offset) const { return m_p[m_pos + offset]; }
    void Skip(std::size_t count) { m_pos += count; }

    // `digits` hex digits as one number; false when they are not all there.
    bool Hex(int digits, unsigned* pValue) {
        if (!Has(static_cast<std::size_t>(digits))) return false;
        unsigned v = 0;
        for (int i = 0; i < digits; ++i) {
            int d = HexValue(At(static_cast<std::size_t>(i)));
            if (d < 0) return false;
            v = v * 16 + static_cast<unsigned>(d);
        }
        Skip(static_cast<std::size_t>(digits));
        *pValue = v;
        return true;
    }

    bool Semicolon() {
        if (!Has(1) || At(0) != ';') return false;
        Skip(1);
        return true;
    }

    bool TagIs(const char* tag) const {
        if (!Has(3)) return false;
        for (std::size_t i = 0; i < 3; ++i)
            if (Upper(At(i)) != static_cast<std::uint8_t>(tag[i])) return false;
        return true;
    }

    bool PairIs(const char* two) const {
        return Has(2) && At(0) == static_cast<std::uint8_t>(two[0]) && At(1) == static_cast<std::uint8_t>(two[1]);
    }

private:
    const std::uint8_t* m_p;
    std::size_t m_n;
    std::size_t m_pos;
};

// "hh;" into one byte.
bool ReadByteField(ReplyCursor& c, std::uint8_t* out) {
    unsigned v = 0;
    if (!c.Hex(2, &v) || !c.Semicolon()) return false;
    *out = static_cast<std::uint8_t>(v);
    return true;
}

// Items of two characters without separator up to ';'.
bool ReadInkField(ReplyCursor& c, StatusRecord* r) {
    int count = 0;
    while (true) {
        if (!c.Has(1)) return false;
        if (c.At(0) == ';') break;
        if (count == kMaxInkEntries) return false;
        std::uint8_t value;
        if (c.PairIs("NA")) {
            value = INK_NOT_AVAILABLE;
            c.Skip(2);
        } else if (c.PairIs("RE") || c.PairIs("WE")) {
            value = INK_REPLACE;
            c.Skip(2);
        } else if (c.PairIs("CI")) {
            value = INK_CI;
            c.Skip(2);
        } else {
            unsigned v = 0;
            if (!c.Hex(2, &v)) return false;
            value = static_cast<std::uint8_t>(v > 100 ? 100 : v);
        }
        r->byIq[count++] = value;
    }
    c.Skip(1);
    r->byIqCount = static_cast<std::uint8_t>(count);
    return true;
}

// Two-digit codes, each optionally followed by one ',', up to ';'.
bool ReadWarningField(ReplyCursor& c, StatusRecord* r) {
    int count = 0;
    while (true) {
        if (!c.Has(1)) return false;
        if (c.At(0) == ';') break;
        if (count == kMaxWarningCodes) return false;
        unsigned v = 0;
        if (!c.Hex(2, &v)) return false;
        r->byWr[count++] = static_cast<std::uint8_t>(v);
        if (c.Has(1) && c.At(0) == ',') c.Skip(1);
    }
    c.Skip(1);
    r->byWrCount = static_cast<std::uint8_t>(count);
    return true;
}

enum class Field { None, Parsed, Bad };

// The field whose tag starts at the cursor, parsed up to behind its ';'.
Field ReadField(ReplyCursor& c, StatusRecord* r, bool* pHaveState) {
    unsigned v = 0;
    if (c.TagIs("ST:")) {
        c.Skip(3);
        if (!ReadByteField(c, &r->bySt)) return Field::Bad;
        *pHaveState = true;
    } else if (c.TagIs("ER:")) {
        c.Skip(3);
        if (!ReadByteField(c, &r->byEr)) return Field::Bad;
    } else if (c.TagIs("IQ:")) {
        c.Skip(3);
        if (!ReadInkField(c, r)) return Field::Bad;
    } else if (c.TagIs("WR:")) {
        c.Skip(3);
        if (!ReadWarningField(c, r)) return Field::Bad;
    } else if (c.TagIs("RV:")) {
        c.Skip(3);
        if (!c.Hex(1, &v) || !c.Semicolon()) return Field::Bad;
        r->byRv = static_cast<std::uint8_t>(v);
    } else if (c.TagIs("TC:")) {
        c.Skip(3);
        if (!c.Hex(4, &v) || !c.Semicolon()) return Field::Bad;
        r->wTc = static_cast<std::uint16_t>(v);
    } else if (c.TagIs("RC:")) {
        c.Skip(3);
        if (!ReadByteField(c, &r->byRc)) return Field::Bad;
    } else {
        return Field::None;
    }
    return Field::Parsed;
}

}  // namespace

bool ParseTextReply(const std::uint8_t* reply, std::size_t length, StatusRecord* out) {
    if (!out) return false;
    *out = InitialStatusRecord();
    if (!reply || length < kTextReplyHeaderSize || std::memcmp(reply, kTextReplyHeader, kTextReplyHeaderSize) != 0)
        return false;
    ReplyCursor c(reply, length, kTextReplyHeaderSize);
    bool haveState = false;
    // Every turn moves the cursor on by at least one byte, so the walk ends.
    while (c.Has(1)) {
        switch (ReadField(c, out, &haveState)) {
        case Field::Bad:
            return false;
        case Field::None:
            c.Skip(1);  // a byte of no known field
            break;
        case Field::Parsed:
            if (!c.Has(1)) return false;  // the reply ends right behind the ';'
            if (c.At(0) == 0x0C || c.At(0) == 0xFF) return haveState;
            break;
        }
    }
    return false;  // ran out without the end byte
}

bool ParseTaggedReply(const std::uint8_t* reply, std::size_t length, int* pStatusNo) {
    if (!reply || !pStatusNo || length < 3) return false;
    if (Upper(reply[0]) != 'H' || Upper(reply[1]) != 'B' || Upper(reply[2]) != 'M') return false;
    std::size_t pos = 3;
    while (length - pos >= 2) {
        std::uint8_t tag = reply[pos];
        if (tag == 0xFF) break;
        std::size_t size = reply[pos + 1];
        std::size_t data = pos + 2;
        if (size > length - data) break;  // a record cut short ends the walk
        if (tag == 0xFE && size >= 1) {
            *pStatusNo = reply[data];
            return true;
        }
        pos = data + size;
    }
    return false;
}

}  // namespace vix
