// What the version information dialog shows of the bidirectional library:
// which of its controls are visible and the library version text. Pure code.
#ifndef VIX_COMM_VERSION_TEXT_H
#define VIX_COMM_VERSION_TEXT_H

#include <cstdint>
#include <string>

namespace vix {

struct LibraryVersionInputs {
    std::string file = "QKAPI.DLL";  // "QKAPI32" of the driver key
    uint32_t level = 0;              // "QKAPI_VERSION"
    uint32_t sagentType = 0;         // "SAgentType"
    std::string addNetworkName;      // "ADDNETWORK_NAME"
    // Values of HKLM "software\ZARVO\QKAPIInfo".
    std::string qkapiVersion;   // "QKAPIVersion"
    std::string version;        // "Version"
    std::string qkapi4Version;  // "QKAPI4Version"
    std::string qkapi2Version;  // "QKAPI2Version"
};

struct LibraryVersionDisplay {
    bool showLibraryVersion = false;  // controls 292 and 296
    std::string text;                 // "Ver. ..." or empty: leave the control as it is
    bool showSecondModule = false;    // controls 293 and 297 (QKAPI3.DLL only)
};

LibraryVersionDisplay DecideLibraryVersion(const LibraryVersionInputs& in);

}  // namespace vix

#endif
