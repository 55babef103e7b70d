// CStatusInfo evaluates a printer's status reply into a status object;
// CPrinterStatus is that object, owned by whoever asked for it.
#ifndef VIX_STATUS_STATUS_INFO_H
#define VIX_STATUS_STATUS_INFO_H

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "status/status_reply.h"
#include "status/status_tables.h"

namespace vix {

// What the trouble-shooting link of a status opens. Empty (type 0) until the
// trouble-shooting file of the status model is set.
struct TroubleInfo {
    int iType;
    char szText[260];  // path or address
    HINSTANCE hResource;
    int iArg;
};

class CPrinterStatus {
public:
    CPrinterStatus(const StatusEvaluation& e);
    virtual ~CPrinterStatus() = default;
    CPrinterStatus(const CPrinterStatus&) = delete;
    CPrinterStatus& operator=(const CPrinterStatus&) = delete;

    // Copies the parsed record out; false when the status has none.
    bool GetStatusRecord(StatusRecord* out) const;
    // 0 without a record, 2 while printing (ST 0x03), 1 otherwise.
    int GetPrintingState() const;
    void GetKindInfo(KindRow* out) const;
    // Copies the trouble-shooting information out (when out is given) and
    // returns its type.
    int GetTroubleInfo(TroubleInfo* out) const;
    void GetStatusInfo(StatusInfoRow* out) const;

    // The short text and the message from the resource library, into
    // buf[0..cap); the message gets the ink names its id asks for. Both
    // return the length of the text, 0 when the library lacks it.
    int GetStatusText(HINSTANCE hRes, char* buf, int cap) const;
    int GetMessageText(HINSTANCE hRes, char* buf, int cap) const;

    int GetStatusNo() const { return m_info.iStatusNo; }
    int GetSimpleStatus() const { return m_info.iSimpleStatus; }
    int GetNotifyCategory() const { return m_info.iNotify; }
    int GetSoundId() const { return m_info.iSoundId; }
    int GetMainButton() const { return m_info.iMainButton; }
    int GetSecondButton() const { return m_info.iSecondButton; }

private:
    std::int32_t m_bHasRecord;
    StatusRecord m_record;
    StatusInfoRow m_info;
    KindRow m_kind;
    TroubleInfo m_trouble;
};

class CStatusInfo {
public:
    // Status numbers callers force into an evaluation.
    static constexpr int INITIAL_STATUS = 1000;              // no status yet
    static constexpr int COMMUNICATION_ERROR = 21;           // a failed status read
    static constexpr int COMMUNICATION_ERROR_ENABLED = 22;   // a failed read the model reports
    static constexpr int OTHER_PRINTER_STATUS = 16;          // another model answers

    // The model's "INKCOLORNUM" (4 when the model names none), used for the
    // ink warning flags.
    void SetInkColorNum(int n) { m_iInkColorNum = n; }
    int InkColorNum() const { return m_iInkColorNum; }

    // A new status object for a reply read over `channel` (reply may be null),
    // or with a forced status number (0 for none); reduced is set for channels
    // whose mode has bit 0x8000. None when the reply does not parse.
    CPrinterStatus* CreateStatusObject(DWORD channel, const BYTE* reply, DWORD length, int forcedStatus,
                                       BOOL reduced) const;
    // The StatusInfo row of (type, status number), or -1.
    int SearchStatusInfo(int type, int statusNo) const;
    // The status number of a parsed record (0 when no row matches).
    int GetStatusNo(const StatusRecord& record) const;

private:
    int m_iInkColorNum = 4;
};

}  // namespace vix

#endif
