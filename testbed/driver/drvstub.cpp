// A stand-in for the printer driver: loads vixcore.dll as the driver does and
// calls its exports.
//
//   drvstub status PRINTER    one-shot status query (PrGetPrinterStatus)
#include <windows.h>

#include <cstdio>
#include <string>

#include "include/vixcore.h"

namespace {

std::string Escaped(const char* s, long n) {
    std::string out;
    for (long i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        char b[8];
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 0x20 || c >= 0x7F) {
            std::snprintf(b, sizeof(b), "\\x%02X", c);
            out += b;
        } else out += static_cast<char>(c);
    }
    return out;
}

int Status(const char* printer) {
    HMODULE hCore = LoadLibraryA("vixcore.dll");
    if (!hCore) {
        std::printf("vixcore.dll could not be loaded (%lu)\n", GetLastError());
        return 1;
    }
    auto pfn = reinterpret_cast<PFN_PrGetPrinterStatus>(
        reinterpret_cast<void*>(GetProcAddress(hCore, "PrGetPrinterStatus")));
    if (!pfn) {
        std::printf("PrGetPrinterStatus is not exported\n");
        FreeLibrary(hCore);
        return 1;
    }
    LPSTR reply = nullptr;
    LONG rc = pfn(printer, &reply);
    std::printf("PrGetPrinterStatus(\"%s\") = %ld\n", printer, static_cast<long>(rc));
    if (rc > 0 && reply) std::printf("reply: %s\n", Escaped(reply, rc).c_str());
    if (reply) GlobalFree(reply);  // the buffer is ours now
    FreeLibrary(hCore);
    return rc > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "status") return Status(argv[2]);
    std::fprintf(stderr, "usage: drvstub status PRINTER\n");
    return 2;
}
