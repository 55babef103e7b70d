#include "status/status_info.h"

#include <cstring>
#include <new>
#include <string>

#include "foundation/trace.h"

namespace vix {

CPrinterStatus::CPrinterStatus(const StatusEvaluation& e)
    : m_bHasRecord(e.bHasRecord ? 1 : 0), m_info(e.info), m_kind(e.kind) {
    if (e.bHasRecord) m_record = e.record;
    else std::memset(&m_record, 0, sizeof(m_record));
    std::memset(&m_trouble, 0, sizeof(m_trouble));
}

bool CPrinterStatus::GetStatusRecord(StatusRecord* out) const {
    if (!m_bHasRecord) return false;
    if (out) *out = m_record;
    return true;
}

int CPrinterStatus::GetPrintingState() const {
    if (!m_bHasRecord) return 0;
    return m_record.bySt == 0x03 ? 2 : 1;
}

void CPrinterStatus::GetKindInfo(KindRow* out) const {
    if (out) *out = m_kind;
}

int CPrinterStatus::GetTroubleInfo(TroubleInfo* out) const {
    if (out) *out = m_trouble;
    return m_trouble.iType;
}

void CPrinterStatus::GetStatusInfo(StatusInfoRow* out) const {
    if (out) *out = m_info;
}

int CStatusInfo::GetStatusNo(const StatusRecord& record) const {
    TraceScope ts("CStatusInfo::GetStatusNo");
    int row = FindStatusCodeRow(record);
    TraceWrite(ts, "StatusCode Table index : %d\n", row);
    return row >= 0 ? kStatusCodeTable[row].iStatusNo : 0;
}

int CStatusInfo::SearchStatusInfo(int type, int statusNo) const {
    TraceScope ts("CStatusInfo::SearchStatusInfo");
    int row = FindStatusInfoRow(type, statusNo);
    TraceWrite(ts, "StatusInfo Table index : %d\n", row);
    return row;
}

CPrinterStatus* CStatusInfo::CreateStatusObject(DWORD channel, const BYTE* reply, DWORD length, int forcedStatus,
                                                BOOL reduced) const {
    TraceScope ts("CStatusInfo::CreateStatusObject");
    TraceWrite(ts, "Channel : %08x\n", static_cast<unsigned>(channel));
    if (reply) {
        // The reply need not end with a zero: trace a terminated copy.
        std::string text(reinterpret_cast<const char*>(reply), length);
        TraceWrite(ts, "Received status : %s\n", text.c_str());
        TraceWrite(ts, "Size : %d\n", static_cast<int>(length));
    }
    StatusEvaluation e;
    EvalResult result = EvaluateStatus(channel, reply, length, forcedStatus, reduced != FALSE, m_iInkColorNum, &e);
    if (result == EvalResult::BadReply) {
        TraceWrite(ts, "Status reply does not parse\n");
        return nullptr;
    }
    if (e.iStatusCodeRow >= 0) TraceWrite(ts, "StatusCode Table index : %d\n", e.iStatusCodeRow);
    TraceWrite(ts, "StatusNo : %d\n", e.iStatusNo);
    TraceWrite(ts, "StatusInfo Table index : %d\n", e.iInfoRow);
    if (result != EvalResult::Ok) return nullptr;
    return new (std::nothrow) CPrinterStatus(e);
}

}  // namespace vix
