// vixbed: sets up and drives the emulated printers from a shell.
//
//   vixbed provision --printer NAME --driver DRIVER --model MODEL
//                    [--port PORT] [--channels LIST] [--qkapi FILE]
//                    [--install-dir DIR]
//   vixbed remove    --printer NAME --driver DRIVER [--model MODEL]
//   vixbed set NAME  ready|printing|busy|paperout|jam|inkout|error
//                    | st=HEX | er=HEX|none | ink=50,40,NA | wr=10,12|none ...
//   vixbed show NAME
//   vixbed job add NAME WINJOBID [--doc TEXT] [--pages DONE/TOTAL] [--remaining SECONDS]
//   vixbed job wait NAME IFJOBID HEXFLAGS    raise wait flags (1 cartridge, 4, 80000000)
//   vixbed job pages NAME IFJOBID DONE/TOTAL
//   vixbed job remove NAME IFJOBID           the service moves past the job
//   vixbed job show NAME
//   vixbed job clear NAME                    removes the printer's queue
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "emu/bed_state.h"
#include "progress/job_queue.h"
#include "provision/provision.h"

using namespace vixbed;

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: vixbed provision --printer NAME --driver DRIVER --model MODEL [--port PORT]\n"
                 "                        [--channels 0x00000004:0x4,...] [--qkapi FILE] [--install-dir DIR]\n"
                 "       vixbed remove --printer NAME --driver DRIVER [--model MODEL]\n"
                 "       vixbed set NAME ready|printing|busy|paperout|jam|inkout|error|st=HEX|er=HEX|none|"
                 "ink=LIST|wr=LIST|none ...\n"
                 "       vixbed show NAME\n"
                 "       vixbed job add NAME WINJOBID [--doc TEXT] [--pages DONE/TOTAL] [--remaining SECONDS]\n"
                 "       vixbed job wait|pages|remove NAME IFJOBID [HEXFLAGS|DONE/TOTAL]\n"
                 "       vixbed job show|clear NAME\n");
    return 2;
}

std::string Escaped(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
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

std::map<std::string, std::string> Options(int argc, char** argv, int from) {
    std::map<std::string, std::string> o;
    for (int i = from; i + 1 < argc; i += 2) o[argv[i]] = argv[i + 1];
    return o;
}

int Provision(const std::map<std::string, std::string>& o) {
    auto get = [&](const char* k, const char* def) {
        auto it = o.find(k);
        return it == o.end() ? std::string(def) : it->second;
    };
    std::string printer = get("--printer", ""), driver = get("--driver", ""), model = get("--model", "");
    if (printer.empty() || driver.empty() || model.empty()) return Usage();
    std::string port = get("--port", "USB001");
    std::string installDir = get("--install-dir", ("C:\\vixbed\\drivers\\" + driver).c_str());
    EmuPrinterSpec emu;
    emu.printer = printer;
    emu.port = port;
    emu.deviceId = "MFG:ZARVO;CMD:ZVPL,BDC;MDL:" + model + ";CLS:PRINTER;DES:ZARVO " + model + ";";
    if (!ParseChannelList(get("--channels", "0x00000004:0x0004,0x10000005:0x0007,0x10010003:0x0003"), emu.channels)) return Usage();
    emu.condition.inks = {80, 65, 70, 55};
    DriverKeySpec key;
    key.driver = driver;
    key.strings["QKAPI32"] = get("--qkapi", "QKAPI.DLL");
    key.strings["InstallPath"] = installDir;
    key.strings["ModelID"] = model;
    key.dwords["QKAPI_VERSION"] = 0;
    // Two extra entries of the tray menu with a separator between them.
    key.menu["920"] = "C:\\windows\\notepad.exe";
    key.menu["925"] = "C:\\windows\\notepad.exe";
    key.menu["Separators"] = "2";
    bool ok = true;
    auto step = [&](const char* what, bool r) {
        std::printf("%-28s %s\n", what, r ? "ok" : "FAILED");
        ok = ok && r;
    };
    step("library files", InstallLibraryFiles(installDir));
    std::string profile = InstallProfile(installDir, model);
    step("profile and resources", !profile.empty());
    step("launcher programs", InstallLaunchers(installDir));
    step("profile registration", !profile.empty() && RegisterProfile(model, profile));
    key.strings["Profile"] = profile;
    step("spooler driver", InstallSpoolerDriver(driver));
    RemoveSpoolerPrinter(printer);
    step("spooler printer", AddSpoolerPrinter(printer, driver, port));
    step("driver key", WriteDriverKey(key));
    step("library keys", WriteLibraryKeys());
    step("emulated printer", CreateEmuPrinter(emu));
    return ok ? 0 : 1;
}

int Remove(const std::map<std::string, std::string>& o) {
    auto p = o.find("--printer"), d = o.find("--driver");
    if (p == o.end() || d == o.end()) return Usage();
    RemoveEmuPrinter(p->second);
    RemoveSpoolerPrinter(p->second);
    RemoveSpoolerDriver(d->second);
    RemoveDriverKey(d->second);
    auto m = o.find("--model");
    if (m != o.end()) UnregisterProfile(m->second);
    return 0;
}

int Show(const std::string& printer) {
    EmuPrinterSpec spec;
    if (!LoadEmuPrinter(printer, &spec)) {
        std::fprintf(stderr, "no emulated printer \"%s\"\n", printer.c_str());
        return 1;
    }
    std::string raw;
    std::string reply = GetRawReply(printer, &raw) ? raw : BuildStatusReply(spec.condition);
    std::printf("printer:  %s\nport:     %s\ndeviceid: %s\nchannels: %s\ninks:     %s\nreply:    %s\n",
                spec.printer.c_str(), spec.port.c_str(), spec.deviceId.c_str(),
                FormatChannelList(spec.channels).c_str(), FormatInkList(spec.condition.inks).c_str(),
                Escaped(reply).c_str());
    return 0;
}

int Set(const std::string& printer, int argc, char** argv, int from) {
    EmuPrinterSpec spec;
    if (!LoadEmuPrinter(printer, &spec)) {
        std::fprintf(stderr, "no emulated printer \"%s\"\n", printer.c_str());
        return 1;
    }
    PrinterCondition& c = spec.condition;
    for (int i = from; i < argc; ++i) {
        std::string a = argv[i];
        std::size_t eq = a.find('=');
        std::string k = a.substr(0, eq), v = eq == std::string::npos ? "" : a.substr(eq + 1);
        bool ok = true;
        if (eq == std::string::npos) ok = ApplyPreset(a, c);
        else if (k == "st") c.st = static_cast<int>(std::strtol(v.c_str(), nullptr, 16));
        else if (k == "er") c.er = v == "none" ? kFieldAbsent : static_cast<int>(std::strtol(v.c_str(), nullptr, 16));
        else if (k == "ink") ok = ParseInkList(v, c.inks);
        else if (k == "wr") {
            if (v == "none") c.warnings.clear();
            else ok = ParseHexList(v, c.warnings);
        } else ok = false;
        if (!ok) {
            std::fprintf(stderr, "bad setting \"%s\"\n", a.c_str());
            return Usage();
        }
    }
    if (!SaveCondition(printer, c)) return 1;
    return Show(printer);
}

bool ParsePages(const std::string& v, EmuJob& j) {
    unsigned long done = 0, total = 0;
    char extra = 0;
    if (std::sscanf(v.c_str(), "%lu/%lu%c", &done, &total, &extra) != 2) return false;
    j.pagesDone = done;
    j.pagesTotal = total;
    return true;
}

int ShowJobs(const std::string& printer) {
    std::printf("%-8s %-8s %-9s %-9s %-10s %-10s %s\n", "ifjob", "winjob", "pages", "remain", "status", "wait",
                "document");
    for (const EmuJob& j : ListEmuJobs(printer)) {
        char pages[32], remain[16];
        std::snprintf(pages, sizeof(pages), "%lu/%lu", static_cast<unsigned long>(j.pagesDone),
                      static_cast<unsigned long>(j.pagesTotal));
        std::snprintf(remain, sizeof(remain), "%lu", static_cast<unsigned long>(j.remaining));
        std::printf("%-8lu %-8lu %-9s %-9s 0x%08lX 0x%08lX %s\n", static_cast<unsigned long>(j.ifJobId),
                    static_cast<unsigned long>(j.winJobId), pages, j.hasRemaining ? remain : "-",
                    static_cast<unsigned long>(j.status), static_cast<unsigned long>(j.wait), j.document.c_str());
    }
    return 0;
}

int Job(int argc, char** argv) {
    if (argc < 4) return Usage();
    std::string sub = argv[2], printer = argv[3];
    if (sub == "show") return ShowJobs(printer);
    if (sub == "clear") return RemoveEmuQueue(printer) ? 0 : 1;
    if (argc < 5) return Usage();
    DWORD id = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 0));
    if (sub == "add") {
        EmuJob j;
        j.winJobId = id;
        j.document = "Document " + std::to_string(id);
        auto o = Options(argc, argv, 5);
        for (const auto& kv : o) {
            if (kv.first == "--doc") j.document = kv.second;
            else if (kv.first == "--pages") {
                if (!ParsePages(kv.second, j)) return Usage();
            } else if (kv.first == "--remaining") {
                j.hasRemaining = true;
                j.remaining = static_cast<DWORD>(std::strtoul(kv.second.c_str(), nullptr, 10));
            } else return Usage();
        }
        DWORD ifId = AddEmuJob(printer, j);
        if (!ifId) return 1;
        std::printf("interface job %lu\n", static_cast<unsigned long>(ifId));
        return 0;
    }
    if (sub == "remove") return RemoveEmuJob(printer, id) ? 0 : 1;
    if (argc < 6) return Usage();
    if (sub == "wait") return RaiseWaitFlags(printer, id, static_cast<DWORD>(std::strtoul(argv[5], nullptr, 16))) ? 0 : 1;
    if (sub == "pages") {
        EmuJob j;
        if (!LoadEmuJob(printer, id, &j) || !ParsePages(argv[5], j)) return 1;
        return SaveEmuJob(printer, j) ? 0 : 1;
    }
    return Usage();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string cmd = argv[1];
    if (cmd == "provision") return Provision(Options(argc, argv, 2));
    if (cmd == "remove") return Remove(Options(argc, argv, 2));
    if (cmd == "show" && argc == 3) return Show(argv[2]);
    if (cmd == "set" && argc >= 4) return Set(argv[2], argc, argv, 3);
    if (cmd == "job") return Job(argc, argv);
    return Usage();
}
