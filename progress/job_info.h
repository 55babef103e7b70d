// What the progress-meter interface hands us, and the rules for what we send
// it: information types and their sizes, the 148-byte progress information
// block, the wait-reason priority, the server part of a printer name and the
// RPC binding choice. Pure code: no Windows header.
#ifndef VIX_PROGRESS_JOB_INFO_H
#define VIX_PROGRESS_JOB_INFO_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vix {

// Job information types of the progress-meter interface.
enum : uint32_t {
    ZVM_JOBINFO_DOCUMENT = 1,     // document name, a text
    ZVM_JOBINFO_TYPE2 = 2,        // 16 bytes
    ZVM_JOBINFO_WINJOBID = 3,     // the Windows job id, 4 bytes
    ZVM_JOBINFO_TYPE4 = 4,        // 34 bytes
    ZVM_JOBINFO_MEDIA = 21,       // three 16-bit values
    ZVM_JOBINFO_TYPE100 = 100,
    ZVM_JOBINFO_STATUS = 101,     // status bits, 4 bytes
    ZVM_JOBINFO_TYPE102 = 102,    // two 32-bit values
    ZVM_JOBINFO_PROGRESS = 103,   // pages done and total
    ZVM_JOBINFO_REMAINING = 104,  // remaining time in seconds
    ZVM_JOBINFO_TYPE200 = 200,
    ZVM_JOBINFO_COMMAND = 201,    // 1 pause, 2 resume, 3 delete
    ZVM_JOBINFO_DELREASON = 202,  // reason of a delete
    ZVM_JOBINFO_WAITFLAG = 203,   // wait flags; writing flags acknowledges them
};

enum : uint32_t {
    ZVM_COMMAND_NONE = 0,
    ZVM_COMMAND_PAUSE = 1,
    ZVM_COMMAND_RESUME = 2,
    ZVM_COMMAND_DELETE = 3,
};

// Job status bits (type 101).
constexpr uint32_t kJobStatusBit08 = 0x08;
constexpr uint32_t kJobStatusPaused = 0x10;

// Wait flags (type 203).
constexpr uint32_t kWaitCartridgeReplaced = 0x1;
constexpr uint32_t kWaitReason4 = 0x4;
constexpr uint32_t kWaitAcknowledge = 0x80000000u;

constexpr std::size_t kDocumentChars = 64;
constexpr std::size_t kType4Size = 34;
constexpr std::size_t kMediaSize = 6;

#pragma pack(push, 1)
// The progress information block of a job, read by the job panels of the
// status window through GetJobStatus.
struct ProgressInfo {
    uint32_t dwJobId;                   // Windows job id
    uint32_t dwParam;                   // the parameter given with the job
    char szDocument[kDocumentChars];    // zero-filled, not terminated at 64 characters
    uint16_t wMedia[3];                 // type 21
    uint16_t wPad1;
    uint32_t dwJobStatus;               // type 101
    uint32_t dwInfo102[2];              // type 102
    uint32_t dwPagesDone;               // type 103
    uint32_t dwPagesTotal;
    uint32_t dwRemainingValid;          // 1 if type 104 was read
    uint32_t dwRemainingTime;           // type 104, seconds
    uint8_t bType4Head[32];             // first 32 bytes of type 4
    uint8_t bType4Tail[2];              // its last 2 bytes
    uint16_t wPad2;
    uint32_t dwType4Result;             // result of the type-4 read
};
#pragma pack(pop)

static_assert(sizeof(ProgressInfo) == 148, "the information block is 148 bytes");
static_assert(offsetof(ProgressInfo, dwParam) == 4, "layout");
static_assert(offsetof(ProgressInfo, szDocument) == 8, "layout");
static_assert(offsetof(ProgressInfo, wMedia) == 72, "layout");
static_assert(offsetof(ProgressInfo, dwJobStatus) == 80, "layout");
static_assert(offsetof(ProgressInfo, dwInfo102) == 84, "layout");
static_assert(offsetof(ProgressInfo, dwPagesDone) == 92, "layout");
static_assert(offsetof(ProgressInfo, dwPagesTotal) == 96, "layout");
static_assert(offsetof(ProgressInfo, dwRemainingValid) == 100, "layout");
static_assert(offsetof(ProgressInfo, dwRemainingTime) == 104, "layout");
static_assert(offsetof(ProgressInfo, bType4Head) == 108, "layout");
static_assert(offsetof(ProgressInfo, bType4Tail) == 140, "layout");
static_assert(offsetof(ProgressInfo, dwType4Result) == 144, "layout");

// The size of a value of an information type as it is sent: types 0 and 1
// are texts (their length + 1, the text taken up to maxText bytes), the
// others have fixed sizes, and an unknown type has none (0).
uint32_t JobInfoValueLength(uint32_t type, const char* text, std::size_t maxText);
// The fixed size of a type's value, 0 for texts and unknown types.
uint32_t JobInfoFixedSize(uint32_t type);

// An empty data or buffer never goes over the wire; this text goes instead.
constexpr char kDummyData[] = "ZVMA_DUMMY_DATA";
constexpr uint32_t kDummyDataLength = 15;
struct WireData {
    const unsigned char* data;
    uint32_t length;
};
WireData WireDataOf(const void* data, uint32_t length);

// The document name as the block holds it: at most 64 characters of the
// answer, which may lack its terminator; returns how many were taken.
std::size_t DecodeDocumentName(const unsigned char* data, std::size_t size, char (&out)[kDocumentChars]);
// Three 16-bit values of type 21 from exactly 6 bytes (little endian).
bool DecodeMedia(const unsigned char* data, std::size_t size, uint16_t (&out)[3]);
// 32-bit values from exactly 4 * count bytes.
bool DecodeDwords(const unsigned char* data, std::size_t size, uint32_t* out, std::size_t count);

// The flag GetWaitReason hands out first: 0x1; 0x40, 0x80; 0x100, 0x20;
// 0x10, 0x200; 0x8, 0x400; 0x2, 0x4; else the lowest set bit; 0 for none.
uint32_t SelectWaitReason(uint32_t flags);

// "\\server\printer": the server part and the printer part after it.
// False unless the name starts with "\\" and a "\" ends a server part.
bool SplitServerPrinter(std::string_view name, std::string* server, std::string* printer);

// True when a spooler data type names EMF.
bool DataTypeIsEmf(std::string_view dataType);

// The pipe name of the progress-meter service.
constexpr char kPipeEndpointName[] = "ZARVO_PM_RPCV2_02";
std::string PipeEndpoint(std::string_view name);  // "\pipe\" + name

// Where an RPC binding goes.
struct BindingPlan {
    std::string protseq;
    std::string networkAddress;  // empty: the local computer
    std::string endpoint;        // empty: asked from the endpoint mapper
};
// A server of "." or the local computer's name (same case), or none, is the
// local computer over "ncalrpc" without endpoint; "ncacn_np" without an
// endpoint gets the service's pipe.
BindingPlan ChooseBinding(std::string_view server, std::string_view protseq, std::string_view endpoint,
                          std::string_view localComputer);

}  // namespace vix

#endif
