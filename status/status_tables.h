// The status tables and their evaluation: from a reply to the status number
// (StatusCode table), from the status number to what is shown and reported
// (StatusInfo table), and the picture of the status (kind table). Pure code.
#ifndef VIX_STATUS_STATUS_TABLES_H
#define VIX_STATUS_STATUS_TABLES_H

#include <cstddef>
#include <cstdint>

#include "status/status_reply.h"

namespace vix {

// StatusCode table: the first matching row gives the status number.
constexpr int kAnyValue = -1;     // ST, ER or WR: any value matches
constexpr int kNoWarnings = -2;   // WR: matches a WR count of 0
struct StatusCodeRow {
    int iSt;         // state code or kAnyValue
    int iEr;         // error code, kNoError for "absent", or kAnyValue
    int iWr;         // first warning code, kNoWarnings or kAnyValue
    int iInkMask;    // 0: no ink condition required
    int iStatusNo;
};
extern const StatusCodeRow kStatusCodeTable[];
extern const std::size_t kStatusCodeRows;

// StatusInfo table, searched by reply type and status number (-1 is the
// fallback row of a type). The last row (type 0, status -1) ends the table.
struct StatusInfoRow {
    int iRow;
    int iType;
    int iStatusNo;
    int iSimpleStatus;   // handed to the driver
    int iNotify;         // notify category of the user's settings
    int iTextId;         // short status text
    int iMessageId;      // long message
    int iKind;           // row of the kind table
    int iUtilityArg;     // -1 none
    int iTopic;          // trouble-shooting topic
    int iSoundId;        // 0 none
    int iMainButton;     // caption id
    int iSecondButton;   // caption id, 0 none
};
extern const StatusInfoRow kStatusInfoTable[];
extern const std::size_t kStatusInfoRows;

// Kind table: the picture of a status.
struct KindRow {
    int iKind;
    int iBasePicture;
    int iStatusPicture;
    int iOverlayPicture;  // 0 none
    int iBlink;           // 1: the status picture alternates with picture 765
};
extern const KindRow kKindTable[];
extern const std::size_t kKindRows;

// Caption ids the button rules name.
constexpr int kButtonOk = 1600;    // the plain caption
constexpr int kButtonStop = 1601;  // what a reduced or remote status offers

// The ink condition bits of a parsed record.
int InkCondition(const StatusRecord& r);

// The ink warning flags of a text reply with its status number; inkColorNum
// is the model's "INKCOLORNUM".
std::uint16_t InkWarningFlags(const StatusRecord& r, int statusNo, int inkColorNum);

// The StatusCode row that matches the record, or -1.
int FindStatusCodeRow(const StatusRecord& r);
// The StatusInfo row of (type, status number), or -1.
int FindStatusInfoRow(int type, int statusNo);
// The kind row of a kind, or -1.
int FindKindRow(int kind);

// Reduces the buttons of a status shown over a channel that offers no
// commands: main 1601 and no second button, unless the row only offers 1600.
void ReduceButtons(StatusInfoRow* row);
// True when the buttons are reduced for this channel and flag.
bool ButtonsReduced(std::uint32_t channel, bool reduced);

// One evaluation of a reply (or of a forced status number): everything a
// status object is made of, plus the table rows it went through.
struct StatusEvaluation {
    int iReplyType = REPLY_NONE;
    bool bHasRecord = false;
    StatusRecord record = InitialStatusRecord();
    int iStatusCodeRow = -1;  // -1 when no text reply was evaluated
    int iStatusNo = -1;
    int iInfoRow = -1;
    StatusInfoRow info = {};
    KindRow kind = {};
};

enum class EvalResult {
    Ok,
    BadReply,   // the reply does not parse
    NoInfoRow,  // neither the status number nor the type's fallback has a row
};

// reply may be null (no reply); forcedStatus 0 means none.
EvalResult EvaluateStatus(std::uint32_t channel, const std::uint8_t* reply, std::size_t length, int forcedStatus,
                          bool reduced, int inkColorNum, StatusEvaluation* out);

}  // namespace vix

#endif
