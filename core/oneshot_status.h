// The one-shot status query: load the bidirectional library for one call,
// check the model, open one channel, fetch the raw status reply, and close and
// unload everything again. Shares nothing with the monitoring session.
#ifndef VIX_CORE_ONESHOT_STATUS_H
#define VIX_CORE_ONESHOT_STATUS_H

#include <windows.h>

#include "comm/qkapi.h"

namespace vix {
namespace oneshot {

// Result codes of the query's own checks.
constexpr LONG RC_NO_PRINTER_NAME = -50;
constexpr LONG RC_NO_OUT_PARAM = -51;
constexpr LONG RC_PRINTER = -52;
constexpr LONG RC_LOAD_LIBRARY = -53;
constexpr LONG RC_ENTRY_POINT = -54;
constexpr LONG RC_NO_CHANNEL = -55;
constexpr LONG RC_NO_MEMORY = -56;
constexpr LONG RC_OTHER_MODEL = -57;

// A library that reports a size above this for a device ID, a channel list
// or a status reply is not believed: the buffer is refused as RC_NO_MEMORY.
constexpr LONG kMaxAnswerBytes = 1 << 20;

// The seven entry points, cleared and looked up again on every call.
struct QkapiFuncTable {
    qk::PFN_QKInitialize QKInitialize;
    qk::PFN_QKRelease QKRelease;
    qk::PFN_QKGetAvailableChannel QKGetAvailableChannel;
    qk::PFN_QKOpenChannel QKOpenChannel;
    qk::PFN_QKCloseChannel QKCloseChannel;
    qk::PFN_QKGetStatus QKGetStatus;
    qk::PFN_QKGetDeviceID QKGetDeviceID;
};

// The status channels, in the order of preference (0 ends the list).
extern const DWORD kStatusChannelPreference[6];

// The driver key value `valueName` of the printer's driver, read with a
// 260-byte buffer into out (left as it was when the key does not open).
// 1, or RC_PRINTER when the printer or its driver name cannot be read.
LONG GetVixDrvRegData(const char* printer, const char* valueName, char (&out)[260]);
int CheckOSVersion();

LONG PrGetPrinterStatusImpl(const char* printer, char** ppStatus);

}  // namespace oneshot
}  // namespace vix

#endif
