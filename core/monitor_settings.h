// A monitored printer's per-user settings and state under its target key:
// the defaults copied from the model's profile, the popup and sound
// decision for a status, the last status reply and its channel, the
// communication state ("ComStatus") the driver's status calls leave for the
// status window, the notification list of the preferences and the default
// monitoring interval; and the diversion of a job printed to a port file.
//
// The driver's process writes "Status", "Channel" and "ComStatus" while a
// status window in another process reads them; no lock guards them, each
// value is written and read whole. Functions taking a key path work on an
// already found target; those taking printer and port find it first.
#ifndef VIX_CORE_MONITOR_SETTINGS_H
#define VIX_CORE_MONITOR_SETTINGS_H

#include <windows.h>

#include <cstddef>
#include <vector>

namespace vix {

class RegistryKey;

// A stored status reply longer than this is none: no reply is that long.
constexpr DWORD kMaxStatusReplyBytes = 64 * 1024;
// The profile section buffer of the notification defaults.
constexpr DWORD kProfileSectionBytes = 32767;

// "ComStatus" values.
enum : DWORD {
    COMSTATUS_FAILED = 0,         // a failed read, errors not enabled
    COMSTATUS_READING = 1,        // the driver reads the status of a job
    COMSTATUS_ACKNOWLEDGED = 2,   // the status window saw 1; also "missing"
    COMSTATUS_OTHER_PRINTER = 3,  // readers force status 16
    COMSTATUS_FAILED_ENABLED = 4, // a failed read, errors enabled: readers force 22
};

// Writes the profile's defaults into an existing target key: 0, 1 (key not
// opened) or 4 (notification defaults not written).
int SetRegDefaultValue(const char* profile, const char* model, const char* targetKey);

// Popup and sound for a notify category: 0 decided, 1 a key was missing.
int GetNotifyFlags(const char* targetKey, int category, int* pSound, int* pPopup);
int GetNotifyFlags(const char* printer, const char* port, int category, int* pSound, int* pPopup);
int GetNotifyFlags(const RegistryKey& target, int category, int* pSound, int* pPopup);

// Stores the last reply and its channel: 0, 1 (no target key) or 2 (key
// not opened; a key removed meanwhile is not made again).
int StoreStatus(const char* targetKey, const BYTE* reply, DWORD length, DWORD channel);
int StoreStatus(const char* printer, const char* port, const BYTE* reply, DWORD length, DWORD channel);
int StoreStatus(const RegistryKey& target, const BYTE* reply, DWORD length, DWORD channel);

// The stored reply and channel: false when the key or a value is missing or
// of the wrong type or size.
bool ReadStoredStatus(const char* targetKey, std::vector<BYTE>* reply, DWORD* pChannel);

// "ComStatus": set returns true when written; get gives 2 when the value is
// missing or malformed and 1 when the key cannot be found or opened.
bool SetComStatus(const char* targetKey, DWORD value);
bool SetComStatus(const char* printer, const char* port, DWORD value);
bool SetComStatus(const RegistryKey& target, DWORD value);
DWORD GetComStatus(const char* targetKey);
DWORD GetComStatus(const RegistryKey& target);
DWORD GetComStatus(const char* printer, const char* port);

// The notify categories the preferences list offers, by item.
struct NotifyItem {
    int textId;
    int category;
};
NotifyItem NotifyItemAt(int index);

// The notify list iterator: 0 with text and category of item *pIndex and the
// index advanced, or 1 with the index reset to 0 when it is outside the
// count (string 1000 of the resource library).
int GetNotifyItem(HINSTANCE hRes, int* pIndex, char (&text)[260], int* pCategory);

// The default monitoring interval: string 1340 of the resource library,
// 10 when outside 2 to 60.
int ReadTimerDef(HINSTANCE hRes);

// A monitoring start for a job printed to a port file is diverted: true
// when the job data block marks such a job and names it.
bool IsPrintingPortFile(const void* pJobData, DWORD* pdwJobId);
// Follows the job through the progress meter until it has left; 1.
int WaitForPrintingCompletion(const char* printer, const char* port, DWORD dwJobId);

}  // namespace vix

#endif
