#include "status/status_message.h"

#include <cstring>
#include <string>

#include "foundation/text.h"

namespace vix {

namespace {
struct InsertRow {
    int iMessageId;
    int iInsert;
};
const InsertRow kInsertTable[] = {
    {3019, INSERT_FIRST}, {3021, INSERT_FIRST}, {3030, INSERT_FIRST}, {3033, INSERT_FIRST},
    {3020, INSERT_OTHER}, {3022, INSERT_OTHER}, {3031, INSERT_OTHER}, {3034, INSERT_OTHER},
    {3024, INSERT_BOTH},  {3026, INSERT_BOTH},  {3029, INSERT_BOTH},  {3032, INSERT_BOTH},
    {3051, INSERT_BOTH},
};
}  // namespace

int InkInsertOf(int messageId) {
    for (const InsertRow& row : kInsertTable)
        if (row.iMessageId == messageId) return row.iInsert;
    return INSERT_NONE;
}

std::size_t InsertInkNames(const char* format, const char* const* names, std::size_t nameCount, char* out,
                           std::size_t cap) {
    if (!out || cap == 0) return 0;
    out[0] = '\0';
    if (!format) return 0;
    std::string text;
    std::size_t next = 0;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < nameCount) {
            text += SafeView(names ? names[next] : nullptr);
            ++next;
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            text += '%';
            ++p;
        } else {
            text += *p;
        }
    }
    CopyText(out, cap, text, TextFit::Cut);
    return std::strlen(out);
}

}  // namespace vix
