#include "core/component_rules.h"

#include "foundation/text.h"

namespace vix {

int ComponentGeneration(uint32_t qkapiVersion, bool bDriverKey, std::string_view qkapi32) {
    if (qkapiVersion >= 4) return 4;
    if (qkapiVersion >= 1) return static_cast<int>(qkapiVersion);
    if (!bDriverKey) return 0;
    if (qkapi32.find("QKAPI4") != std::string_view::npos) return 4;
    if (qkapi32.find("QKAPI3") != std::string_view::npos) return 3;
    if (qkapi32.find("QKAPI2") != std::string_view::npos) return 2;
    return 1;
}

bool IsShareRouterValue(std::string_view name, std::string_view data) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    return name.size() == 5 && name.find("QKP") != std::string_view::npos && digit(name[3]) && digit(name[4]) &&
           EqualsNoCase(data, "SHARE");
}

}  // namespace vix
