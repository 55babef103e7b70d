// Texts of the monitoring settings: the "ITEMnnn=" lines of a profile
// section and the interval texts of the driver key and the resource
// library. Pure code: no Windows header.
#ifndef VIX_CORE_SETTING_TEXT_H
#define VIX_CORE_SETTING_TEXT_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vix {

struct NotifyDefault {
    std::string name;  // the three digits
    long value;
};

// The notification defaults of a profile section as the INI reader returns
// it (lines separated by zero bytes): each line holding "ITEM", three digits
// and '=' defines the value of those digits with the decimal number behind
// the '='. At most maxItems lines are taken.
std::vector<NotifyDefault> ParseNotifyDefaults(const char* section, std::size_t length, long maxItems);

// A decimal number at the start of a text (after blanks, with an optional
// sign), as the C library's atoi reads it; 0 when there is none.
long DecimalPrefix(std::string_view text);

// The interval of a driver-key timer text: the part before the first ','
// as a decimal number.
long TimerTextValue(std::string_view text);

// The default monitoring interval from the resource text: below 2 or above
// 60 becomes 10.
long ClampTimerDefault(long value);

}  // namespace vix

#endif
