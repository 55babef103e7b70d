// The rules by which the printing system's registry tells which generation
// of the bidirectional components is installed and whether sharing is
// offered. Pure code: no Windows header, so it builds natively too.
#ifndef VIX_CORE_COMPONENT_RULES_H
#define VIX_CORE_COMPONENT_RULES_H

#include <cstdint>
#include <string_view>

namespace vix {

// The generation (1 to 4) from the driver key's "QKAPI_VERSION" and, when
// that is 0 or missing, its "QKAPI32" text. bDriverKey false (no driver
// key) gives 0 when the version does not decide.
int ComponentGeneration(uint32_t qkapiVersion, bool bDriverKey, std::string_view qkapi32);

// True for a request-router value that offers sharing: a name of exactly
// five characters containing "QKP" with digits as its 4th and 5th
// characters, and text data equal to "SHARE" without regard to case.
bool IsShareRouterValue(std::string_view name, std::string_view data);

}  // namespace vix

#endif
