// What the tray agent reads from the driver's menu key and its start-up
// entries, as plain text: the "Separators" list, the layout of the extra
// menu entries, the ink order entry's match and the parameter file a Run
// value names. Registry data comes from outside, so this is pure and
// bounds-checked; it builds natively and is fuzzed.
#ifndef VIX_TRAY_MENU_PLAN_H
#define VIX_TRAY_MENU_PLAN_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vix {
namespace tray {

// The command ids of the extra entries: 920 ... 998, one table entry each.
constexpr int kFirstExtraId = 920;
constexpr int kLastExtraId = 998;
constexpr std::size_t kExtraEntryCount = kLastExtraId - kFirstExtraId + 1;  // 79
// The highest command id that still reaches an extra program.
constexpr int kLastAuxCommand = 999;
// At most this many numbers of "Separators" count.
constexpr std::size_t kMaxSeparators = 79;

// "Separators": decimal numbers separated by commas, at most
// kMaxSeparators of them. A field that is not a number reads as 0 (which
// matches no entry); blanks around a number are skipped; numbers are
// capped so that no field overflows.
std::vector<int> ParseSeparators(std::string_view text);

// One candidate extra entry as the agent found it.
struct ExtraCandidate {
    int id = 0;
    bool bHasCommand = false;  // the menu key's value for the id is present and not empty
    bool bHasText = false;     // its string resource is present (and not suppressed)
};

// One step of the built menu: a separator, or the entry of an id.
struct MenuStep {
    bool bSeparator = false;
    int id = 0;
    bool operator==(const MenuStep& o) const { return bSeparator == o.bSeparator && id == o.id; }
};

// The extra part of the menu after the leading separator: entries without
// a command or a text are skipped; the others are counted 1, 2, 3 ... and a
// separator goes before the entry whose count is the next separator number
// (one separator per entry, at most kMaxSeparators in all).
std::vector<MenuStep> PlanExtraEntries(const std::vector<ExtraCandidate>& candidates,
                                       const std::vector<int>& separators);

// The file name of a path: the text after the last backslash.
std::string_view FileNameOf(std::string_view path);

// True when the menu value names the ink order program: upper-cased, it
// holds both the upper-cased file name of "DepExe" (not empty) and "MENU".
bool IsInkOrderCommand(std::string_view menuValue, std::string_view depExeFileName);

// The parameter file named by a start-up entry's text: the text between its
// first and its last double quote. When that text itself holds a double
// quote (a quoted program path, several quoted values) it names no file;
// then the value of an "/A" switch is taken, the form a start-up entry
// that keeps its parameter file has. Empty when there is none.
std::string StartupEntryParamFile(std::string_view entry);

// The ASCII upper-case form of a text.
std::string UpperAscii(std::string_view s);

}  // namespace tray
}  // namespace vix

#endif
