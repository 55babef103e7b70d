#include "status/status_tables.h"

namespace vix {

namespace {
constexpr int ANY = kAnyValue;
constexpr int ABSENT = kNoError;
constexpr int NOWR = kNoWarnings;
}  // namespace

// Row: ST, ER, WR, ink condition mask, status number.
const StatusCodeRow kStatusCodeTable[] = {
    {0x00, ABSENT, NOWR, 0, 21},  // 0
    {0x00, 0x00, ANY, 0, 14},     // 1
    {0x00, 0x01, ANY, 0, 18},     // 2
    {0x00, 0x04, ANY, 0, 6},      // 3
    {0x00, 0x05, ANY, 0x22, 34},  // 4
    {0x00, 0x05, ANY, 0x02, 23},  // 5
    {0x00, 0x05, ANY, 0x20, 24},  // 6
    {0x00, 0x05, ANY, 0x44, 25},  // 7
    {0x00, 0x05, ANY, 0x04, 26},  // 8
    {0x00, 0x05, ANY, 0x40, 27},  // 9
    {0x00, 0x05, ANY, 0x11, 2},   // 10
    {0x00, 0x05, ANY, 0x01, 3},   // 11
    {0x00, 0x05, ANY, 0x10, 4},   // 12
    {0x00, 0x05, ANY, 0x88, 34},  // 13
    {0x00, 0x05, ANY, 0x08, 23},  // 14
    {0x00, 0x05, ANY, 0x80, 24},  // 15
    {0x00, 0x06, ANY, 0, 5},      // 16
    {0x00, 0x10, ANY, 0, 31},     // 17
    {0x00, ANY, ANY, 0, 9},       // 18
    {0x08, ANY, ANY, 0, 19},      // 19
    {ANY, ANY, 0x10, 0, 12},      // 20
    {ANY, ANY, 0x11, 0, 13},      // 21
    {ANY, ANY, 0x12, 0, 13},      // 22
    {ANY, ANY, 0x13, 0, 13},      // 23
    {ANY, ANY, 0x14, 0, 13},      // 24
    {ANY, ANY, 0x15, 0, 13},      // 25
    {ANY, ANY, 0x16, 0, 13},      // 26
    {0x01, ANY, ANY, 0, 17},      // 27
    {0x02, ANY, ANY, 0, 11},      // 28
    {0x03, ANY, ANY, 0, 11},      // 29
    {0x04, ANY, ANY, 0, 1},       // 30
    {0x07, ANY, ANY, 0, 10},      // 31
    {ANY, ANY, ANY, 0, 21},       // 32
};
const std::size_t kStatusCodeRows = sizeof(kStatusCodeTable) / sizeof(kStatusCodeTable[0]);

// Row, type, status, simple, notify, text id, message id, kind, utility
// argument, topic, sound id, main button, second button.
const StatusInfoRow kStatusInfoTable[] = {
    {0, 1, 14, 12, 12, 3506, 3006, 7, -1, 0, 16010, 1601, 0},
    {1, 1, 18, 999, 12, 3507, 3007, 1, -1, 0, 0, 1601, 0},
    {2, 1, 6, 5, 12, 3510, 3010, 4, -1, 2, 16003, 1605, 0},
    {3, 1, 2, 10, 12, 3524, 3024, 2, 0, 1, 16008, 1612, 0},
    {4, 1, 3, 10, 12, 3521, 3021, 2, 1, 1, 16008, 1612, 0},
    {5, 1, 4, 10, 12, 3522, 3022, 2, 2, 1, 16008, 1612, 0},
    {6, 1, 25, 10, 12, 3533, 3029, 2, 0, 1, 16008, 1612, 0},
    {7, 1, 26, 10, 12, 3534, 3030, 2, 0, 1, 16008, 1612, 0},
    {8, 1, 27, 10, 12, 3535, 3031, 2, 0, 1, 16008, 1612, 0},
    {9, 1, 34, 10, 12, 3536, 3032, 2, 0, 1, 16008, 1612, 0},
    {10, 1, 23, 10, 12, 3537, 3033, 2, 0, 1, 16008, 1612, 0},
    {11, 1, 24, 10, 12, 3538, 3034, 2, 0, 1, 16008, 1612, 0},
    {12, 1, 5, 3, 12, 3512, 3012, 3, -1, 0, 16001, 1606, 1608},
    {13, 1, 31, 12, 12, 3532, 3028, 7, -1, 0, 16010, 1601, 0},
    {14, 1, 9, 12, 12, 3514, 3014, 7, -1, 0, 16010, 1601, 0},
    {15, 1, 17, 999, 12, 3501, 3001, 1, -1, 0, 0, 1601, 0},
    {16, 1, 11, 999, 999, 3502, 3002, 1, -1, 0, 0, 1600, 0},
    {17, 1, 1, 1, 1, 3504, 3004, 1, -1, 0, 0, 1600, 0},
    {18, 1, 10, 1, 1, 3523, 3023, 1, -1, 0, 0, 1601, 0},
    {19, 1, 19, 12, 12, 3526, 3026, 2, 0, 1, 16010, 1601, 0},
    {20, 1, 20, 9, 9, 3555, 3051, 5, 0, 1, 16007, 1601, 0},
    {21, 1, 12, 9, 9, 3519, 3019, 5, 1, 1, 16007, 1601, 0},
    {22, 1, 13, 9, 9, 3520, 3020, 5, 2, 1, 16007, 1601, 0},
    {23, 1, 16, 12, 12, 3525, 3025, 7, -1, 0, 16010, 1601, 0},
    {24, 1, 21, 11, 11, 3528, 2002, 6, -1, 0, 16009, 1601, 0},
    {25, 1, 22, 14, 14, 3528, 2002, 6, -1, 0, 16009, 1601, 0},
    {26, 1, -1, 12, 12, 3529, 2101, 7, -1, 0, 16010, 1601, 0},
    {27, 2, 22, 11, 11, 3528, 2002, 6, -1, 0, 16009, 1601, 0},
    {28, 2, -1, 11, 11, 3530, 2102, 6, -1, 0, 16009, 1601, 0},
    {29, 0, 1000, 1, 1, 3527, 2001, 1, -1, 0, 0, 1600, 0},
    {30, 0, -1, 11, 11, 3528, 2002, 6, -1, 0, 16009, 1600, 0},
};
const std::size_t kStatusInfoRows = sizeof(kStatusInfoTable) / sizeof(kStatusInfoTable[0]);

// Kind, base picture, status picture, overlay picture, blink.
const KindRow kKindTable[] = {
    {1, 511, 759, 0, 0},
    {2, 512, 761, 0, 1},
    {3, 512, 760, 770, 1},
    {4, 512, 752, 0, 1},
    {5, 510, 761, 0, 1},
    {6, 512, 750, 0, 1},
    {7, 512, 758, 0, 1},
};
const std::size_t kKindRows = sizeof(kKindTable) / sizeof(kKindTable[0]);

namespace {

bool IsSpecialInk(std::uint8_t v) { return v == 0 || v == INK_NOT_AVAILABLE || v == INK_REPLACE || v == INK_CI; }

// The bit a special first ink sets; the bit of another ink is this << 4.
int FirstInkBit(std::uint8_t v) {
    switch (v) {
    case 0: return 0x01;
    case INK_REPLACE: return 0x02;
    case INK_NOT_AVAILABLE: return 0x04;
    case INK_CI: return 0x08;
    default: return 0;
    }
}

// The colour near-end warning codes of a model with n colours.
bool IsColourNearEnd(std::uint8_t code, int inkColorNum) {
    int last;
    switch (inkColorNum) {
    case 7: last = 0x16; break;
    case 6: last = 0x15; break;
    case 4: last = 0x13; break;
    default: return false;
    }
    return code >= 0x11 && code <= last;
}

bool RowMatches(const StatusCodeRow& row, const StatusRecord& r, int inkCondition) {
    if (row.iSt != kAnyValue && row.iSt != r.bySt) return false;
    if (row.iEr != kAnyValue && row.iEr != r.byEr) return false;
    if (row.iWr == kNoWarnings) {
        if (r.byWrCount != 0) return false;
    } else if (row.iWr != kAnyValue) {
        if (r.byWrCount < 1 || r.byWr[0] != row.iWr) return false;
    }
    return (inkCondition & row.iInkMask) == row.iInkMask;
}

}  // namespace

int InkCondition(const StatusRecord& r) {
    const int count = r.byIqCount > kMaxInkEntries ? kMaxInkEntries : r.byIqCount;
    const std::uint8_t first = count > 0 ? r.byIq[0] : 0;
    int bits = FirstInkBit(first);
    for (int i = 1; i < count; ++i) {
        if (IsSpecialInk(r.byIq[i])) {
            bits |= FirstInkBit(r.byIq[i]) << 4;
            break;
        }
    }
    if ((bits & 0x22) == 0x22) return 0x22;
    if ((bits & 0x44) == 0x44) return 0x44;
    if ((bits & 0x11) == 0x11) return 0x11;
    if ((bits & 0x88) == 0x88) return 0x88;
    if (bits) return bits;
    // No ink empty or special: compare the amounts.
    bool otherLower = false, otherEqual = false;
    for (int i = 1; i < count; ++i) {
        if (r.byIq[i] < first) otherLower = true;
        else if (r.byIq[i] == first) otherEqual = true;
    }
    if (otherLower) return 0x10;
    return otherEqual ? 0x11 : 0x01;
}

std::uint16_t InkWarningFlags(const StatusRecord& r, int statusNo, int inkColorNum) {
    if (statusNo == 2) return 0x0011;
    if (statusNo == 20) return 0x0300;
    std::uint16_t flags = 0;
    if (r.byWrCount >= 1) {
        if (r.byWr[0] == 0x10) {
            flags = (r.byWrCount >= 2 && IsColourNearEnd(r.byWr[1], inkColorNum)) ? 0x0300 : 0x0100;
        } else if (IsColourNearEnd(r.byWr[0], inkColorNum)) {
            flags = 0x0200;
        }
    }
    if (r.byEr == 0x05 || r.bySt == 0x08) {
        int condition = InkCondition(r);
        if (condition == 0x11) return 0x0011;
        flags = static_cast<std::uint16_t>(flags | condition);
    }
    return flags;
}

int FindStatusCodeRow(const StatusRecord& r) {
    const int condition = InkCondition(r);
    for (std::size_t i = 0; i < kStatusCodeRows; ++i)
        if (RowMatches(kStatusCodeTable[i], r, condition)) return static_cast<int>(i);
    return -1;
}

int FindStatusInfoRow(int type, int statusNo) {
    for (std::size_t i = 0; i < kStatusInfoRows; ++i) {
        const StatusInfoRow& row = kStatusInfoTable[i];
        if (row.iType == type && row.iStatusNo == statusNo) return static_cast<int>(i);
    }
    return -1;
}

int FindKindRow(int kind) {
    for (std::size_t i = 0; i < kKindRows; ++i)
        if (kKindTable[i].iKind == kind) return static_cast<int>(i);
    return -1;
}

bool ButtonsReduced(std::uint32_t channel, bool reduced) {
    return reduced || (channel != 0 && channel != 0x10000005);
}

void ReduceButtons(StatusInfoRow* row) {
    if (row->iMainButton == kButtonOk && row->iSecondButton == 0) return;
    row->iMainButton = kButtonStop;
    row->iSecondButton = 0;
}

EvalResult EvaluateStatus(std::uint32_t channel, const std::uint8_t* reply, std::size_t length, int forcedStatus,
                          bool reduced, int inkColorNum, StatusEvaluation* out) {
    StatusEvaluation e;
    e.iReplyType = ReplyTypeOfChannel(channel);
    if (reply && e.iReplyType == REPLY_TEXT) {
        if (!ParseTextReply(reply, length, &e.record)) return EvalResult::BadReply;
        e.bHasRecord = true;
        e.iStatusCodeRow = FindStatusCodeRow(e.record);
        e.iStatusNo = e.iStatusCodeRow >= 0 ? kStatusCodeTable[e.iStatusCodeRow].iStatusNo : 0;
        e.record.wInkWarning = InkWarningFlags(e.record, e.iStatusNo, inkColorNum);
    } else if (reply && e.iReplyType == REPLY_TAGGED) {
        if (!ParseTaggedReply(reply, length, &e.iStatusNo)) return EvalResult::BadReply;
    }
    if (e.iStatusNo == 12 && e.record.wInkWarning == 0x0300) e.iStatusNo = 20;
    if (forcedStatus != 0) e.iStatusNo = forcedStatus;

    e.iInfoRow = FindStatusInfoRow(e.iReplyType, e.iStatusNo);
    if (e.iInfoRow < 0) e.iInfoRow = FindStatusInfoRow(e.iReplyType, -1);
    if (e.iInfoRow < 0) return EvalResult::NoInfoRow;
    e.info = kStatusInfoTable[e.iInfoRow];
    if (ButtonsReduced(channel, reduced)) ReduceButtons(&e.info);
    int kindRow = FindKindRow(e.info.iKind);
    if (kindRow >= 0) e.kind = kKindTable[kindRow];
    if (out) *out = e;
    return EvalResult::Ok;
}

}  // namespace vix
