// The updater's log "zvupdate.LOG": off unless the copy-rule file's "Log"
// section says "ON". Each line is appended by whichever thread writes it.
#ifndef ZVU_UPDATE_LOG_H
#define ZVU_UPDATE_LOG_H

#include <string>

#include "installer/rule_text.h"

namespace zvu {

void SetLogSwitch(bool on);
bool LogSwitch();

void WriteLog(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
void WriteLogText(const std::string& text);
// WriteLogText as a sink for the pure code.
LogFn LogSink();

// The full path of the log file (directory computed once).
std::string LogFilePath();

}  // namespace zvu

#endif
