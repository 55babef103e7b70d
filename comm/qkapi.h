// The printer's bidirectional communication library (QKAPI.DLL and its
// successors) as this system uses it: its twelve operations, looked up by
// name at run time, their result codes and the messages it posts.
//
// Every operation takes and returns 32-bit integers and pointers and the
// caller pops the arguments (cdecl).
//
// Size discovery (QKGetDeviceID, QKGetAvailableChannel, QKGetStatus,
// QKReceive): the first call passes a null buffer and a size of 0; -4 means
// "buffer too small" and sets the size; the caller allocates that size (plus
// one zeroed byte for text) and calls again with the same size variable.
#ifndef VIX_COMM_QKAPI_H
#define VIX_COMM_QKAPI_H

#include <windows.h>

#include <cstdint>

namespace qk {

// A printer is named by a kind and a string.
constexpr int KIND_PORT = 0;
constexpr int KIND_PRINTER = 1;

// Results.
constexpr LONG QK_OK = 0;            // QKGetStatus: nothing yet; QKInitialize: usable
constexpr LONG QK_MORE_DATA = -4;    // buffer too small, the size was set
constexpr LONG QK_TIMEOUT = -10;     // QKReceive: nothing arrived in time
constexpr LONG QK_BUSY = -17;        // a failure told apart from the others

// QKSetOption options.
constexpr LONG QK_OPTION_READ_NOTIFY = 3;    // command channel: post WM_QKAPI_READ
constexpr LONG QK_OPTION_STATUS_NOTIFY = 4;  // status channel: post WM_QKAPI_STATUS

// Messages posted after QKSetOption; lParam is the channel handle.
constexpr UINT WM_QKAPI_READ = 0x401;
constexpr UINT WM_QKAPI_STATUS = 0x402;

// Mode bits of a channel.
constexpr uint16_t MODE_COMMAND = 0x0003;
constexpr uint16_t MODE_STATUS = 0x0004;
constexpr uint16_t MODE_NETWORK = 0x8000;

// One entry of the available-channel list.
#pragma pack(push, 1)
struct ChannelEntry {
    uint32_t Channel;
    uint16_t Mode;
    uint16_t Padding;
};
#pragma pack(pop)
static_assert(sizeof(ChannelEntry) == 8, "a channel-list entry is 8 bytes");

// Channel numbers the system knows.
constexpr DWORD CHANNEL_LOCAL = 0x00000004;
constexpr DWORD CHANNEL_NET_STATUS = 0x10000005;
constexpr DWORD CHANNEL_NET_RW = 0x10010003;
constexpr DWORD CHANNEL_NET_CMD = 0x10000003;
constexpr DWORD CHANNEL_TAGGED = 0x02000001;

// The operations. A channel handle is a 32-bit integer; above 0 is open.
typedef LONG(__cdecl* PFN_QKInitialize)(void);
typedef LONG(__cdecl* PFN_QKRelease)(void);
typedef LONG(__cdecl* PFN_QKGetDeviceID)(LONG kind, LPCSTR name, LPSTR buffer, LONG* size);
typedef LONG(__cdecl* PFN_QKGetAvailableChannel)(LONG kind, LPCSTR name, void* buffer, LONG* size);
typedef LONG(__cdecl* PFN_QKOpenChannel)(LONG kind, LPCSTR name, DWORD channel);
typedef LONG(__cdecl* PFN_QKCloseChannel)(LONG handle);
typedef LONG(__cdecl* PFN_QKSetOption)(LONG handle, LONG option, void* value);
typedef LONG(__cdecl* PFN_QKGetOption)(LONG handle, LONG option, void* value);
typedef LONG(__cdecl* PFN_QKReceiveCancel)(LONG handle);
typedef LONG(__cdecl* PFN_QKGetStatus)(LONG handle, LPSTR buffer, LONG* size);
typedef LONG(__cdecl* PFN_QKReceive)(LONG handle, void* buffer, LONG* size, DWORD timeoutMs);
typedef LONG(__cdecl* PFN_QKSend)(LONG handle, const void* bytes, LONG length);

// Export names, as the library is looked up.
constexpr const char* NAME_QKInitialize = "QKInitialize";
constexpr const char* NAME_QKRelease = "QKRelease";
constexpr const char* NAME_QKGetDeviceID = "QKGetDeviceID";
constexpr const char* NAME_QKGetAvailableChannel = "QKGetAvailableChannel";
constexpr const char* NAME_QKOpenChannel = "QKOpenChannel";
constexpr const char* NAME_QKCloseChannel = "QKCloseChannel";
constexpr const char* NAME_QKSetOption = "QKSetOption";
constexpr const char* NAME_QKGetOption = "QKGetOption";
constexpr const char* NAME_QKReceiveCancel = "QKReceiveCancel";
constexpr const char* NAME_QKGetStatus = "QKGetStatus";
constexpr const char* NAME_QKReceive = "QKReceive";
constexpr const char* NAME_QKSend = "QKSend";

}  // namespace qk

#endif
