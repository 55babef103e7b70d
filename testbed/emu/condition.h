// The condition of an emulated printer and the status reply a real printer
// of this kind would send for it. Pure code.
#ifndef VIXBED_EMU_CONDITION_H
#define VIXBED_EMU_CONDITION_H

#include <cstdint>
#include <string>
#include <vector>

namespace vixbed {

// Ink entry values besides 0-100.
constexpr uint8_t INK_NA = 0xFF;  // "NA": no cartridge
constexpr uint8_t INK_RE = 0xFE;  // "RE": cartridge to be replaced
constexpr uint8_t INK_CI = 0xFD;  // "CI"
constexpr int kFieldAbsent = -1;

// A cartridge's chip data, as the "ii" reply reports it.
struct Cartridge {
    int year = 5;       // PDY
    int month = 10;     // PDM
    int ic1 = 0x1234;   // IC1
    int ic2 = 0x00FF;   // IC2
    int ik1 = 0x01;     // IK1
    int ik2 = 0x02;     // IK2
    std::string logo = "INKbyZARVO";
};

struct PrinterCondition {
    int st = 0x04;                 // ST: state; 0x04 ready, 0x03 printing, 0x00 error
    int er = kFieldAbsent;         // ER: error code (0x06 paper out, 0x04 jam, 0x05 ink)
    std::vector<uint8_t> inks;     // IQ: one entry per cartridge
    std::vector<uint8_t> warnings; // WR: warning codes
    int rv = kFieldAbsent;         // RV: one hex digit
    int tc = kFieldAbsent;         // TC: four hex digits
    int rc = kFieldAbsent;         // RC: two hex digits
    std::vector<Cartridge> cartridges = {Cartridge(), Cartridge()};  // black, colour
    int remainBlack = 0x0050;      // the "ir" reply's two values
    int remainColor = 0x0040;
};

// "@BDC ST\r\n" and the fields "ST:..;ER:..;IQ:..;WR:..;RV:.;TC:....;RC:..;",
// ended by 0x0C. Absent fields are left out.
std::string BuildStatusReply(const PrinterCondition& c);

// A named condition for people and scripts: "ready", "printing", "paperout",
// "jam", "inkout", "busy", "error". False for an unknown name.
bool ApplyPreset(const std::string& name, PrinterCondition& c);

// "50,40,NA,RE,0" -> ink entries; false on a bad item.
bool ParseInkList(const std::string& text, std::vector<uint8_t>& inks);
// "10,12" (hex) -> warning codes.
bool ParseHexList(const std::string& text, std::vector<uint8_t>& codes);
std::string FormatInkList(const std::vector<uint8_t>& inks);

// "05,0A,1234,00FF,01,02,INKbyZARVO;..." (hex numbers, the logo last).
std::string FormatCartridges(const std::vector<Cartridge>& c);
bool ParseCartridges(const std::string& text, std::vector<Cartridge>& c);

// "@BDC PS\r\nII:01;" then per cartridge PDY, PDM, IC1, IC2, IK1, IK2, LOG,
// ended by 0x0C: the answer to the ink information request "ii".
std::string BuildInkInfoReply(const PrinterCondition& c);
// "@BDC PS\r\nIR:bbbbcccc;" and 0x0C: the answer to "ir".
std::string BuildInkRemainReply(const PrinterCondition& c);

}  // namespace vixbed

namespace vixbed {

struct ChannelDef {
    uint32_t channel;
    uint16_t mode;
};

// "0x00000004:0x0004,0x10000005:0x0007" <-> channel list.
bool ParseChannelList(const std::string& text, std::vector<ChannelDef>& channels);
std::string FormatChannelList(const std::vector<ChannelDef>& channels);

// One line of the library's call log: "pid\tmodule\top\tprinter\targs\tresult".
struct CallRecord {
    unsigned long pid = 0;
    std::string module;
    std::string op;
    std::string printer;
    std::string args;
    long result = 0;
};
std::string FormatCallRecord(const CallRecord& r);
// Parses the lines of a log text; malformed lines are skipped.
std::vector<CallRecord> ParseCallLog(const std::string& text);

}  // namespace vixbed

#endif
