// The whole content of a file for the bench's stand-in programs ("" when it
// cannot be read).
#ifndef VIXBED_TOOLS_WHOLE_FILE_H
#define VIXBED_TOOLS_WHOLE_FILE_H

#include <cstdio>
#include <string>

namespace vixbed {

inline std::string ReadWholeFile(const std::string& path) {
    std::string s;
    FILE* fp = std::fopen(path.c_str(), "rb");
    if (!fp) return s;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof(buf), fp)) > 0) s.append(buf, n);
    std::fclose(fp);
    return s;
}

}  // namespace vixbed

#endif
