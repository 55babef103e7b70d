// What an emulated printer answers to a command packet, and how the packet
// changes its condition. Pure code.
//
// A packet is two ASCII letters, a 16-bit little-endian parameter length and
// the parameter bytes.
#ifndef VIXBED_EMU_RESPONDER_H
#define VIXBED_EMU_RESPONDER_H

#include <string>

#include "emu/condition.h"

namespace vixbed {

struct CommandAnswer {
    bool hasReply = false;
    std::string reply;
    bool conditionChanged = false;
    PrinterCondition condition;
};

CommandAnswer Respond(const PrinterCondition& current, const std::string& packet);

}  // namespace vixbed

#endif
