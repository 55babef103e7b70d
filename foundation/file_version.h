// Version strings of a module's version resource.
#ifndef VIX_FOUNDATION_FILE_VERSION_H
#define VIX_FOUNDATION_FILE_VERSION_H

#include <string>

namespace vix {

// The string `key` ("ProductVersion", "FileVersion", "OriginalFilename" ...)
// of a file's version resource, in the first language and code page listed
// under "\VarFileInfo\Translation"; empty without a resource.
std::string GetFileVersionString(const char* path, const char* key);

}  // namespace vix

#endif
