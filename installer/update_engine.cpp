#include "installer/update_engine.h"

#include <windows.h>

#include "installer/install_plan.h"
#include "installer/update_log.h"
#include "installer/wow64.h"

namespace zvu {

namespace {

bool IsLead(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

}  // namespace

UpdateEngine::UpdateEngine(const UpdateEnvironment& env)
    : m_env(env),
      m_monitorRules(env.platform, env.major),
      m_moduleRules(env.platform),
      m_replacer(m_env, m_copied) {}

bool UpdateEngine::HaveAuthority() const {
    if (!m_env.admin) WriteLog("HaveAuthority - I'm not administrator.\r\n");
    return m_env.admin;
}

bool UpdateEngine::PrepareInstallation() {
    m_installList.clear();
    RuleSource src;
    src.dir = m_env.updaterDir;
    src.wow64 = IsWow64();
    src.isLead = IsLead;
    InstallPlan plan;
    bool ok = zvu::PrepareInstallation(src, WindowsVersion{m_env.platform, m_env.major, m_env.minor}, plan, LogSink());
    m_installList = plan.entries;
    m_monitorRules.m_strMaker = plan.maker;
    m_monitorRules.m_rules = plan.rules;
    return ok;
}

unsigned long UpdateEngine::CopyTargetFile(int lanMon, int type, const std::string& name, const std::string& given) {
    std::string srcDir = given.empty() ? m_env.updaterDir : given;
    std::string newPath = JoinPath(srcDir, name);
    const std::string& dest = type == kTypeDriver ? m_env.driverDir : type == kTypeLibrary ? m_env.libraryDir
                                                                                           : m_env.systemDir;
    bool extended = type == kTypeDriver || type == kTypeLibrary;
    if (!m_env.admin) {
        WriteLog("CopyTargetFile - I'm not administrator.\r\n");
        return QKP_COPY_NOTADMIN;
    }
    if (dest.empty()) {
        // No such directory on this machine: nothing to search, no other
        // directory stands in for it.
        WriteLog("CopyTargetFile - No destination directory for %d:%s.\r\n", type, name.c_str());
        return QKP_COPY_SKIP;
    }
    std::string destSlash = dest.back() == '\\' ? dest : dest + "\\";
    bool match;
    {
        NoRedirection nr;
        match = lanMon == 1 ? m_monitorRules.AllowReplaceMonitor(name, srcDir, destSlash, extended)
                            : m_moduleRules.AllowReplaceOther(name, srcDir, destSlash);
    }
    if (!match) {
        WriteLog(lanMon == 1 ? "AllowReplaceMonitor - Not found match monitor %s.\r\n"
                             : "AllowReplaceOther - Not found match module %s.\r\n",
                 name.c_str());
        return QKP_COPY_SKIP;
    }
    const ReplaceRuleSet& rules = lanMon == 1 ? static_cast<const ReplaceRuleSet&>(m_monitorRules) : m_moduleRules;
    std::string destDir = destSlash.substr(0, destSlash.size() - 1);
    unsigned long result = 0;
    for (size_t i = 0;; ++i) {
        std::string installed = rules.GetReplaceFileName(i);
        if (installed.empty()) break;
        result |= m_replacer.ReplaceFile(newPath, destSlash + installed, destDir, srcDir, installed, name);
    }
    WriteLog("CopyTargetFile - ulResult = %ld.\r\n", static_cast<long>(result));
    return result;
}

unsigned long UpdateEngine::RunUpdate() {
    if (m_env.osClass == -1) return 0;
    unsigned long result = 0;
    if (!HaveAuthority()) {
        result = QKP_COPY_NOTADMIN;
        WriteLog("HaveAuthority is FALSE. (QKP_COPY_NOTADMIN)\r\n");
    } else if (!PrepareInstallation()) {
        result = QKP_COPY_NOTFOUND;
        WriteLog("PrepareInstallation is FALSE. (QKP_COPY_NOTFOUND)\r\n");
    } else {
        m_copied = 0;
        for (const auto& e : m_installList) result |= CopyTargetFile(e.lanMon, e.type, e.name, std::string());
        WriteLog("!!! Copied Count = %ld. !!!\r\n", m_copied);
    }
    return result & 0xFFFF;
}

int ResultMessageId(unsigned long flags, bool japanese) {
    int english;
    if (flags & QKP_COPY_NOTADMIN) english = 108;
    else if (flags & QKP_COPY_RESTART) english = 107;
    else if (flags & QKP_COPY_DONE) english = 106;
    else english = 109;
    return japanese ? english - 4 : english;
}

}  // namespace zvu
