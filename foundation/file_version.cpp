#include "foundation/file_version.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace vix {

std::string GetFileVersionString(const char* path, const char* key) {
    if (!path || !path[0] || !key) return std::string();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    if (size == 0) return std::string();
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path, 0, size, data.data())) return std::string();
    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* tr = nullptr;
    UINT trBytes = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &trBytes) ||
        trBytes < sizeof(Translation)) {
        return std::string();
    }
    char sub[128];
    std::snprintf(sub, sizeof(sub), "\\StringFileInfo\\%04X%04X\\%s", tr[0].language, tr[0].codePage, key);
    char* value = nullptr;
    UINT chars = 0;
    if (!VerQueryValueA(data.data(), sub, reinterpret_cast<void**>(&value), &chars) || !value) return std::string();
    // chars counts the text with its zero; never read past the block.
    const char* end = data.data() + data.size();
    std::size_t n = 0;
    while (value + n < end && n < chars && value[n]) ++n;
    return std::string(value, n);
}

}  // namespace vix
