#include "emu/responder.h"

namespace vixbed {

namespace {
// The reply of a packet the printer does not know or cannot parse.
std::string ErrorReply(const std::string& letters) { return letters + ":NA:\x0C"; }
}  // namespace

CommandAnswer Respond(const PrinterCondition& current, const std::string& packet) {
    CommandAnswer a;
    a.condition = current;
    a.hasReply = true;
    if (packet.size() < 4) {
        a.reply = ErrorReply("??");
        return a;
    }
    const std::string letters = packet.substr(0, 2);
    const std::size_t length = static_cast<unsigned char>(packet[2]) | (static_cast<unsigned char>(packet[3]) << 8);
    if (packet.size() != 4 + length) {
        a.reply = ErrorReply(letters);
        return a;
    }
    if (letters == "pe" || letters == "pj") {
        // Return from paper out / paper jam: the error clears if it was the one.
        const int error = letters == "pe" ? 0x06 : 0x04;
        if (current.st == 0x00 && current.er == error) {
            ApplyPreset("ready", a.condition);
            a.conditionChanged = true;
        }
        a.reply = letters + ":01:OK;\x0C";
        return a;
    }
    if (letters == "rs") {
        ApplyPreset("ready", a.condition);
        a.conditionChanged = true;
        a.reply = "rs:01:OK;\x0C";
        return a;
    }
    if (letters == "ii") {
        a.reply = BuildInkInfoReply(current);
        return a;
    }
    if (letters == "ir") {
        a.reply = BuildInkRemainReply(current);
        return a;
    }
    if (letters == "ex") {
        // Replaced cartridges confirmed: they count as full ones again.
        bool anyEmpty = false;
        for (uint8_t& v : a.condition.inks) {
            if (v == INK_RE || v == INK_CI) v = 100;
            if (v == 0 || v == INK_NA) anyEmpty = true;
        }
        if (a.condition.st == 0x00 && a.condition.er == 0x05 && !anyEmpty) ApplyPreset("ready", a.condition);
        a.conditionChanged = true;
        a.reply = "ex:01:OK;\x0C";
        return a;
    }
    a.reply = ErrorReply(letters);
    return a;
}

}  // namespace vixbed
