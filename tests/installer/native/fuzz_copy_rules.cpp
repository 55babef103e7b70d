// Copy-rule files of any content through every search the updater runs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "installer/install_plan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t logged = 0;
    zvu::LogFn log = [&](const std::string& s) { logged += s.size(); };
    zvu::RuleSource src;
    src.bytes = bytes;
    src.isLead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9f) || (c >= 0xe0 && c <= 0xfc); };
    for (zvu::WindowsVersion v : {zvu::WindowsVersion{2, 5, 1}, zvu::WindowsVersion{2, 10, 0}}) {
        zvu::InstallPlan plan;
        zvu::PrepareInstallation(src, v, plan, log);
        for (auto& e : plan.entries)
            if (!zvu::IsPlainFileName(e.name)) __builtin_trap();
    }
    zvu::CopyRuleFile f(log);
    f.SetBytes(bytes);
    std::string line;
    if (f.Load() && f.SearchEntry("Log", false, nullptr, &line)) logged += line.size();
    zvu::VersionTriple t = zvu::ParseVersionText(bytes);
    int part = 0;
    zvu::CompareTriples(t, zvu::ParseVersionText(zvu::MakeTemporaryName(bytes, false)), &part);
    return logged == SIZE_MAX;
}
