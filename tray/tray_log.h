// The agent's trace calls. The program entry sets up the process's one
// trace (in the build's line format); until it does, the calls write
// nothing.
#ifndef VIX_TRAY_TRAY_LOG_H
#define VIX_TRAY_TRAY_LOG_H

#include "foundation/tray_trace.h"

namespace vix {
namespace tray {

// The agent's trace file and its switch value.
constexpr const char* kTraceFile = "C:\\Z_SxxIC.LOG";
constexpr const char* kTraceSwitch = "Z_SIC";

void SetTraceLog(CTrayTrace* trace);

int TraceMsg(const char* text);
int TraceMsgStr(const char* label, const char* text);
int TraceMsgNum(const char* label, long value);

}  // namespace tray
}  // namespace vix

#endif
