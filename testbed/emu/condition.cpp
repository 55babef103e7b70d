#include "emu/condition.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace vixbed {

namespace {
void Hex2(std::string& out, int v) {
    char b[8];
    std::snprintf(b, sizeof(b), "%02X", v & 0xFF);
    out += b;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> items;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, ',')) items.push_back(item);
    return items;
}
}  // namespace

std::string BuildStatusReply(const PrinterCondition& c) {
    std::string r = "@BDC ST\r\n";
    r += "ST:";
    Hex2(r, c.st);
    r += ';';
    if (c.er != kFieldAbsent) {
        r += "ER:";
        Hex2(r, c.er);
        r += ';';
    }
    if (!c.inks.empty()) {
        r += "IQ:";
        for (uint8_t v : c.inks) {
            if (v == INK_NA) r += "NA";
            else if (v == INK_RE) r += "RE";
            else if (v == INK_CI) r += "CI";
            else Hex2(r, v);
        }
        r += ';';
    }
    if (!c.warnings.empty()) {
        r += "WR:";
        for (std::size_t i = 0; i < c.warnings.size(); ++i) {
            if (i) r += ',';
            Hex2(r, c.warnings[i]);
        }
        r += ';';
    }
    if (c.rv != kFieldAbsent) {
        char b[8];
        std::snprintf(b, sizeof(b), "RV:%X;", c.rv & 0xF);
        r += b;
    }
    if (c.tc != kFieldAbsent) {
        char b[12];
        std::snprintf(b, sizeof(b), "TC:%04X;", c.tc & 0xFFFF);
        r += b;
    }
    if (c.rc != kFieldAbsent) {
        r += "RC:";
        Hex2(r, c.rc);
        r += ';';
    }
    r += '\x0C';
    return r;
}

bool ApplyPreset(const std::string& name, PrinterCondition& c) {
    if (name == "ready") {
        c.st = 0x04;
        c.er = kFieldAbsent;
        c.warnings.clear();
    } else if (name == "printing") {
        c.st = 0x03;
        c.er = kFieldAbsent;
    } else if (name == "busy") {
        c.st = 0x02;
        c.er = kFieldAbsent;
    } else if (name == "paperout") {
        c.st = 0x00;
        c.er = 0x06;
    } else if (name == "jam") {
        c.st = 0x00;
        c.er = 0x04;
    } else if (name == "inkout") {
        c.st = 0x00;
        c.er = 0x05;
    } else if (name == "error") {
        c.st = 0x00;
        c.er = 0x00;
    } else {
        return false;
    }
    return true;
}

bool ParseInkList(const std::string& text, std::vector<uint8_t>& inks) {
    std::vector<uint8_t> out;
    for (const std::string& item : Split(text)) {
        if (item == "NA") out.push_back(INK_NA);
        else if (item == "RE") out.push_back(INK_RE);
        else if (item == "CI") out.push_back(INK_CI);
        else {
            char* end = nullptr;
            long v = std::strtol(item.c_str(), &end, 10);
            if (item.empty() || *end || v < 0 || v > 100) return false;
            out.push_back(static_cast<uint8_t>(v));
        }
    }
    inks = out;
    return true;
}

bool ParseHexList(const std::string& text, std::vector<uint8_t>& codes) {
    std::vector<uint8_t> out;
    for (const std::string& item : Split(text)) {
        char* end = nullptr;
        long v = std::strtol(item.c_str(), &end, 16);
        if (item.empty() || *end || v < 0 || v > 0xFF) return false;
        out.push_back(static_cast<uint8_t>(v));
    }
    codes = out;
    return true;
}

std::string FormatInkList(const std::vector<uint8_t>& inks) {
    std::string s;
    for (std::size_t i = 0; i < inks.size(); ++i) {
        if (i) s += ',';
        uint8_t v = inks[i];
        if (v == INK_NA) s += "NA";
        else if (v == INK_RE) s += "RE";
        else if (v == INK_CI) s += "CI";
        else s += std::to_string(v);
    }
    return s;
}

}  // namespace vixbed

namespace vixbed {

bool ParseChannelList(const std::string& text, std::vector<ChannelDef>& channels) {
    std::vector<ChannelDef> out;
    for (const std::string& item : Split(text)) {
        std::size_t colon = item.find(':');
        if (colon == std::string::npos) return false;
        std::string a = item.substr(0, colon), b = item.substr(colon + 1);
        char* e1 = nullptr;
        char* e2 = nullptr;
        unsigned long ch = std::strtoul(a.c_str(), &e1, 0);
        unsigned long mode = std::strtoul(b.c_str(), &e2, 0);
        if (a.empty() || b.empty() || *e1 || *e2 || ch > 0xFFFFFFFFul || mode > 0xFFFF) return false;
        out.push_back({static_cast<uint32_t>(ch), static_cast<uint16_t>(mode)});
    }
    channels = out;
    return true;
}

std::string FormatChannelList(const std::vector<ChannelDef>& channels) {
    std::string s;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        char b[32];
        std::snprintf(b, sizeof(b), "%s0x%08X:0x%04X", i ? "," : "", static_cast<unsigned>(channels[i].channel),
                      static_cast<unsigned>(channels[i].mode));
        s += b;
    }
    return s;
}

std::string FormatCallRecord(const CallRecord& r) {
    std::string s = std::to_string(r.pid);
    s += '\t';
    s += r.module;
    s += '\t';
    s += r.op;
    s += '\t';
    s += r.printer;
    s += '\t';
    s += r.args;
    s += '\t';
    s += std::to_string(r.result);
    s += '\n';
    return s;
}

std::vector<CallRecord> ParseCallLog(const std::string& text) {
    std::vector<CallRecord> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f;
        std::size_t start = 0;
        for (;;) {
            std::size_t tab = line.find('\t', start);
            f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (f.size() != 6) continue;
        CallRecord r;
        char* end = nullptr;
        r.pid = std::strtoul(f[0].c_str(), &end, 10);
        if (f[0].empty() || *end) continue;
        r.module = f[1];
        r.op = f[2];
        r.printer = f[3];
        r.args = f[4];
        r.result = std::strtol(f[5].c_str(), &end, 10);
        if (f[5].empty() || *end) continue;
        out.push_back(r);
    }
    return out;
}

}  // namespace vixbed

namespace vixbed {

namespace {
void HexN(std::string& out, int v, int digits) {
    char b[16];
    std::snprintf(b, sizeof(b), "%0*X", digits, v & (digits == 4 ? 0xFFFF : 0xFF));
    out += b;
}
}  // namespace

std::string FormatCartridges(const std::vector<Cartridge>& cs) {
    std::string s;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        const Cartridge& c = cs[i];
        if (i) s += ';';
        HexN(s, c.year, 2);
        s += ',';
        HexN(s, c.month, 2);
        s += ',';
        HexN(s, c.ic1, 4);
        s += ',';
        HexN(s, c.ic2, 4);
        s += ',';
        HexN(s, c.ik1, 2);
        s += ',';
        HexN(s, c.ik2, 2);
        s += ',';
        s += c.logo;
    }
    return s;
}

bool ParseCartridges(const std::string& text, std::vector<Cartridge>& out) {
    std::vector<Cartridge> cs;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ';')) {
        std::vector<std::string> f = Split(item);
        if (f.size() != 7) return false;
        int v[6];
        for (int i = 0; i < 6; ++i) {
            char* end = nullptr;
            long n = std::strtol(f[i].c_str(), &end, 16);
            if (f[i].empty() || *end || n < 0 || n > 0xFFFF) return false;
            v[i] = static_cast<int>(n);
        }
        Cartridge c;
        c.year = v[0];
        c.month = v[1];
        c.ic1 = v[2];
        c.ic2 = v[3];
        c.ik1 = v[4];
        c.ik2 = v[5];
        c.logo = f[6];
        cs.push_back(c);
    }
    out = cs;
    return true;
}

std::string BuildInkInfoReply(const PrinterCondition& c) {
    std::string r = "@BDC PS\r\nII:01;";
    for (const Cartridge& k : c.cartridges) {
        r += "PDY:";
        HexN(r, k.year, 2);
        r += ";PDM:";
        HexN(r, k.month, 2);
        r += ";IC1:";
        HexN(r, k.ic1, 4);
        r += ";IC2:";
        HexN(r, k.ic2, 4);
        r += ";IK1:";
        HexN(r, k.ik1, 2);
        r += ";IK2:";
        HexN(r, k.ik2, 2);
        r += ";LOG:" + k.logo + ";";
    }
    r += '\x0C';
    return r;
}

std::string BuildInkRemainReply(const PrinterCondition& c) {
    std::string r = "@BDC PS\r\nIR:";
    HexN(r, c.remainBlack, 4);
    HexN(r, c.remainColor, 4);
    r += ";\x0C";
    return r;
}

}  // namespace vixbed
