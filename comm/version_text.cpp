#include "comm/version_text.h"

#include "foundation/text.h"

namespace vix {

LibraryVersionDisplay DecideLibraryVersion(const LibraryVersionInputs& in) {
    LibraryVersionDisplay out;
    const bool isQk2 = EqualsNoCase(in.file, "QKAPI2.DLL");
    const bool isQk3 = EqualsNoCase(in.file, "QKAPI3.DLL");
    const bool isQk4 = EqualsNoCase(in.file, "QKAPI4.DLL");
    const bool hasNetwork = !in.addNetworkName.empty();
    out.showSecondModule = isQk3;

    bool show = false, keep = false;
    if (in.level == 3 || (in.level == 0 && isQk3)) {
        show = false;
    } else if (in.level == 1 || in.level == 2 || (in.level == 0 && !isQk3 && !isQk4)) {
        show = true;
        keep = true;
    } else {  // level above 3, or level 0 with QKAPI4.DLL
        if (in.sagentType == 0) {
            show = true;
            keep = true;
        } else {
            show = hasNetwork;
            keep = false;
        }
    }
    if (!show) return out;

    const std::string base = !in.qkapiVersion.empty() ? in.qkapiVersion : in.version;
    if (base.empty() && !keep) return out;  // hidden
    out.showLibraryVersion = true;

    std::string value;
    if (in.level >= 4 || (in.level == 0 && isQk4)) value = in.qkapi4Version;
    else if (in.level == 2 || (in.level == 0 && isQk2)) value = in.qkapi2Version;
    else value = base;
    if (value.empty() && hasNetwork) value = base;
    if (hasNetwork && !base.empty()) value += " / " + base;
    if (!value.empty()) out.text = "Ver. " + value;
    return out;
}

}  // namespace vix
