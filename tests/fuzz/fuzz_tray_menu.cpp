// The tray agent's menu key and Run value texts of any content: the readers
// stay inside their input and keep their limits.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tray/menu_plan.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<int> separators = vix::tray::ParseSeparators(text);
    Check(separators.size() <= vix::tray::kMaxSeparators);
    for (int n : separators) Check(n >= 0 && n <= 1000000);

    std::vector<vix::tray::ExtraCandidate> candidates;
    for (std::size_t i = 0; i < vix::tray::kExtraEntryCount && i < size; ++i)
        candidates.push_back({vix::tray::kFirstExtraId + static_cast<int>(i), (data[i] & 1) != 0, (data[i] & 2) != 0});
    std::size_t entries = 0, seps = 0;
    for (const auto& step : vix::tray::PlanExtraEntries(candidates, separators)) {
        if (step.bSeparator) ++seps;
        else ++entries;
    }
    Check(seps <= entries && seps <= vix::tray::kMaxSeparators);

    std::string file = vix::tray::StartupEntryParamFile(text);
    Check(file.size() <= size);
    std::size_t half = size / 2;
    vix::tray::IsInkOrderCommand(text.substr(0, half), vix::tray::FileNameOf(text.substr(half)));
    return 0;
}
