// The three builds of the tray agent share one source and differ only in
// these constants and switches: printer table names, launcher, trace line
// format, the bitmap library and how strictly texts must fit their fields.
#ifndef VIX_TRAY_TRAY_BUILD_H
#define VIX_TRAY_TRAY_BUILD_H

#include <cstddef>

#include "foundation/printer_table.h"
#include "foundation/text.h"
#include "foundation/tray_trace.h"

namespace vix {
namespace tray {

struct TrayBuild {
    const char* fileName;          // "vixtray.exe" ...
    PrinterTableNames tableNames;  // default printer tables
    const char* launcher;          // default file of "Z_SRUN"
    TrayTraceStyle traceStyle;
    TextFit fit;                   // Cut, or Fail for the checked build
    bool bBitmapLibrary;           // menu bitmaps from the profile's "BmpDll"
    // The checked build: the tip must fit whole, no extra wait for a running
    // agent when the start only closes it, and a registration whose table
    // cannot be made still runs (without single-instance protection).
    bool bChecked;
    // Room of the command lines the agent starts other programs with; 0: no
    // fixed room.
    std::size_t commandLineRoom;
};

extern const TrayBuild kBuildVixtray;
extern const TrayBuild kBuildVixtrayw;
extern const TrayBuild kBuildVixtray4;

}  // namespace tray
}  // namespace vix

#endif
