// The texts of a status object, loaded from the driver's resource library.
#include <windows.h>

#include "status/status_info.h"
#include "status/status_message.h"

namespace vix {

namespace {
// Message formats may be longer than the texts shown in one line.
constexpr int kFormatMax = 1024;
constexpr int kInkNameMax = 260;

int LoadText(HINSTANCE hRes, int id, char* buf, int cap) {
    if (!buf || cap <= 0) return 0;
    buf[0] = '\0';
    if (!hRes || id <= 0) return 0;
    int n = LoadStringA(hRes, static_cast<UINT>(id), buf, cap);
    if (n <= 0) buf[0] = '\0';
    return n > 0 ? n : 0;
}
}  // namespace

int CPrinterStatus::GetStatusText(HINSTANCE hRes, char* buf, int cap) const {
    return LoadText(hRes, m_info.iTextId, buf, cap);
}

int CPrinterStatus::GetMessageText(HINSTANCE hRes, char* buf, int cap) const {
    const int insert = InkInsertOf(m_info.iMessageId);
    if (insert == INSERT_NONE) return LoadText(hRes, m_info.iMessageId, buf, cap);
    if (!buf || cap <= 0) return 0;
    buf[0] = '\0';
    char format[kFormatMax];
    if (LoadText(hRes, m_info.iMessageId, format, kFormatMax) == 0) return 0;  // empty format: empty message
    char first[kInkNameMax], other[kInkNameMax];
    LoadText(hRes, kFirstInkNameId, first, kInkNameMax);
    LoadText(hRes, kOtherInkNameId, other, kInkNameMax);
    const char* names[2];
    std::size_t count = 0;
    if (insert & INSERT_FIRST) names[count++] = first;
    if (insert & INSERT_OTHER) names[count++] = other;
    return static_cast<int>(InsertInkNames(format, names, count, buf, static_cast<std::size_t>(cap)));
}

}  // namespace vix
