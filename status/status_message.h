// Ink names in status messages: which message ids are formats, and the
// insertion itself. The formats come from the driver's resource library, so
// they are never handed to printf: only "%s" (and "%%") are understood.
#ifndef VIX_STATUS_STATUS_MESSAGE_H
#define VIX_STATUS_STATUS_MESSAGE_H

#include <cstddef>

namespace vix {

constexpr int kFirstInkNameId = 4110;  // names the first ink
constexpr int kOtherInkNameId = 4111;  // names the other inks

// What a message id takes: 0 nothing, 1 the first ink's name, 2 the other
// inks' name, 3 the first ink's name and then the other inks' name.
enum InkInsert : int { INSERT_NONE = 0, INSERT_FIRST = 1, INSERT_OTHER = 2, INSERT_BOTH = 3 };
int InkInsertOf(int messageId);

// Writes format into out[0..cap) with each "%s" replaced by the next of the
// names (a "%s" beyond them stays as it is), "%%" by "%", and every other '%'
// kept. A result too long for the buffer is cut. Returns the length written.
std::size_t InsertInkNames(const char* format, const char* const* names, std::size_t nameCount, char* out,
                           std::size_t cap);

}  // namespace vix

#endif
