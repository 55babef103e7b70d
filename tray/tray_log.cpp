#include "tray/tray_log.h"

namespace vix {
namespace tray {

namespace {
CTrayTrace* g_pTrace = nullptr;  // the agent has one thread
}

void SetTraceLog(CTrayTrace* trace) { g_pTrace = trace; }

int TraceMsg(const char* text) { return g_pTrace ? g_pTrace->Msg(text) : 0; }
int TraceMsgStr(const char* label, const char* text) { return g_pTrace ? g_pTrace->MsgStr(label, text) : 0; }
int TraceMsgNum(const char* label, long value) { return g_pTrace ? g_pTrace->MsgNum(label, value) : 0; }

}  // namespace tray
}  // namespace vix
