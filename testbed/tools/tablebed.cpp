// tablebed: a window of another process in the printer table. Reads one
// command a line from its standard input and answers one line:
//   window                     -> make a window; answers its handle (hex)
//   destroy                    -> destroy that window; "ok"
//   register <kind> <v> <name> -> MapRegisterWindow; "<result> <existing hex>"
//   set <kind> <v> <name>      -> MapSetWindow; "<result>"
//   release <kind> <name>      -> MapReleaseWindow with the name's mapping
//                                 handle, then closes it; "ok" or "none"
//   fill <kind> <n> <prefix>   -> registers <prefix>0 .. <prefix>n-1 as port
//                                 names; answers how many gave result 0
//   quit                       -> closes every mapping handle and ends
// <v> is a hex slot value or "w" for the window. A <name> starting with
// "port:" is a port name with an empty printer name.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "foundation/printer_table.h"

namespace {

HWND g_hWnd = nullptr;
std::multimap<std::string, HANDLE> g_maps;

struct Target {
    std::string printer, port;
};

Target TargetOf(const std::string& name) {
    if (name.compare(0, 5, "port:") == 0) return {"", name.substr(5)};
    return {name, ""};
}

DWORD ValueOf(const std::string& v) {
    return v == "w" ? vix::SlotOfWindow(g_hWnd) : static_cast<DWORD>(std::strtoul(v.c_str(), nullptr, 16));
}

// Splits "<a> <b> <rest>" into count words and the rest of the line.
std::vector<std::string> Words(const std::string& line, int count) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        std::size_t sp = line.find(' ', pos);
        out.push_back(line.substr(pos, sp == std::string::npos ? std::string::npos : sp - pos));
        pos = sp == std::string::npos ? line.size() : sp + 1;
    }
    out.push_back(line.substr(pos));
    return out;
}

std::string Handle(const void* h) {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%lx", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(h)));
    return buf;
}

std::string Run(const std::string& line) {
    std::vector<std::string> w = Words(line, 3);
    const std::string& cmd = w[0];
    if (cmd == "window") {
        g_hWnd = CreateWindowExA(0, "STATIC", "tablebed", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        return Handle(g_hWnd);
    }
    if (cmd == "destroy") {
        DestroyWindow(g_hWnd);
        return "ok";
    }
    if (cmd == "register") {
        Target t = TargetOf(w[3]);
        HWND existing = nullptr;
        HANDLE hMap = nullptr;
        int rc = vix::MapRegisterWindow(t.printer.c_str(), t.port.c_str(), std::atoi(w[1].c_str()), ValueOf(w[2]),
                                        &existing, &hMap);
        if (hMap) g_maps.emplace(w[3], hMap);
        return std::to_string(rc) + " " + Handle(existing);
    }
    if (cmd == "set") {
        Target t = TargetOf(w[3]);
        HWND h = vix::WindowOfSlot(ValueOf(w[2]));
        return std::to_string(vix::MapSetWindow(t.printer.c_str(), t.port.c_str(), h, std::atoi(w[1].c_str())));
    }
    if (cmd == "release") {
        std::string name = Words(line, 2)[2];
        auto it = g_maps.find(name);
        if (it == g_maps.end()) return "none";
        Target t = TargetOf(name);
        vix::MapReleaseWindow(it->second, t.printer.c_str(), t.port.c_str(), std::atoi(w[1].c_str()), true);
        CloseHandle(it->second);
        g_maps.erase(it);
        return "ok";
    }
    if (cmd == "fill") {
        int n = std::atoi(w[2].c_str()), done = 0;
        for (int i = 0; i < n; ++i) {
            std::string port = w[3] + std::to_string(i);
            HWND existing = nullptr;
            HANDLE hMap = nullptr;
            done += vix::MapRegisterWindow("", port.c_str(), std::atoi(w[1].c_str()), 1, &existing, &hMap) == 0;
            if (hMap) g_maps.emplace("port:" + port, hMap);
        }
        return std::to_string(done);
    }
    return "?";
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::string line;
    int c;
    while ((c = std::getchar()) != EOF) {
        if (c == '\r') continue;
        if (c != '\n') {
            line += static_cast<char>(c);
            continue;
        }
        if (line == "quit") break;
        std::string reply = Run(line) + "\n";
        std::fwrite(reply.data(), 1, reply.size(), stdout);
        line.clear();
    }
    for (auto& m : g_maps) CloseHandle(m.second);
    if (g_hWnd) DestroyWindow(g_hWnd);
    return 0;
}
