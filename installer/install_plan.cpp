#include "installer/install_plan.h"

namespace zvu {

bool RuleSource::Open(CopyRuleFile& reader) const {
    if (bytes) {
        reader.SetBytes(*bytes);
        return true;
    }
    return !reader.Locate(dir, wow64).empty();
}

namespace {

void ReadSection(CopyRuleFile& reader, std::vector<InstallEntry>& list, bool& anyLanMon, const LogFn& log) {
    InstallEntry e;
    for (bool ok = reader.GetFileNameFirst(e); ok; ok = reader.GetFileNameNext(e)) {
        bool listed = false;
        for (const auto& have : list) listed = listed || have.SameAs(e);
        if (!listed) {
            if (log)
                log(Format("ReadEnvInstallation Append - %d:%s, (LanMon=%d) (CheckWow64=%d)\r\n", e.type,
                           e.name.c_str(), e.lanMon, e.checkWow64));
            list.push_back(e);
        }
        anyLanMon = anyLanMon || e.lanMon == 1;
    }
}

}  // namespace

bool ReadEnvInstallation(const RuleSource& src, const WindowsVersion& v, bool withVersion,
                         std::vector<InstallEntry>& list, bool& anyLanMon, const LogFn& log) {
    CopyRuleFile reader(log, src.isLead);
    if (!src.Open(reader)) return false;
    reader.SetWow64(src.wow64);
    if (withVersion) {
        if (!reader.SelectVersion(v.platform, v.major, v.minor)) return false;
        reader.SelectSelector(0);
    } else {
        reader.ClearSelectors();
    }
    ReadSection(reader, list, anyLanMon, log);
    for (size_t i = 1; reader.SelectSelector(i); ++i) ReadSection(reader, list, anyLanMon, log);
    return true;
}

bool PrepareInstallation(const RuleSource& src, const WindowsVersion& v, InstallPlan& plan, const LogFn& log) {
    plan = InstallPlan();
    {
        CopyRuleFile probe(log, src.isLead);
        if (!src.Open(probe)) return false;
    }
    bool anyLanMon = false;
    if (!ReadEnvInstallation(src, v, true, plan.entries, anyLanMon, log)) return false;
    ReadEnvInstallation(src, v, false, plan.entries, anyLanMon, log);
    if (anyLanMon) {
        CopyRuleFile reader(log, src.isLead);
        src.Open(reader);
        plan.maker = reader.GetMonitorsMaker();
        plan.rules.clear();
        for (int i = 0;; ++i) {
            std::string rule = reader.GetMonitorsRule(i);
            if (rule.empty()) break;
            plan.rules.push_back(rule);
        }
    }
    return true;
}

}  // namespace zvu
