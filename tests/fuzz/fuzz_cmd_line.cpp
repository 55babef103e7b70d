// Command lines and parameter files of any content: the scanner and the
// reader stay inside their input, and what the writer and the builders
// produce reads back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/param_file.h"
#include "foundation/text.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// A name the length form must carry: up to 259 bytes, no zero byte.
std::string NameFrom(const std::uint8_t*& p, std::size_t& n) {
    std::size_t len = n ? std::min<std::size_t>(p[0], n - 1) : 0;
    std::string s(reinterpret_cast<const char*>(p) + (n ? 1 : 0), len);
    std::size_t used = n ? len + 1 : 0;
    p += used, n -= used;
    for (char& c : s)
        if (c == '\0') c = '0';
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    // As a command line and as a parameter file.
    vix::cmdInfo a;
    a.ParseSwitches(text);
    a.ReadParamText(text);
    a.CheckBE();
    const char* fields[] = {a.m_szCmdLine, a.m_szPrinterName, a.m_szPortName, a.m_szModelID, a.m_szJob,
                            a.m_szReadFile, a.m_szParamFile, a.m_szBH, a.m_szZVM};
    for (const char* f : fields) Check(vix::BoundedLength(f, 260) < 260);

    // What is written reads back.
    if (a.ParamFileSafe()) {
        vix::cmdInfo b;
        b.ReadParamText(a.FormatParamFile());
        Check(b.FormatParamFile() == a.FormatParamFile());
    }

    // Names of any bytes cross the long command line intact.
    const std::uint8_t* p = data;
    std::size_t n = size;
    std::string printer = NameFrom(p, n), port = NameFrom(p, n), model = NameFrom(p, n);
    vix::cmdInfo c;
    c.ParseSwitches(vix::cmdline::TrayToLauncherLong("C:\\ZV\\VIXRUN2.EXE", printer, port, model, true));
    Check(printer == c.m_szPrinterName && port == c.m_szPortName && model == c.m_szModelID && c.m_fE == 1);
    return 0;
}
