// What the spooler and the driver key tell about a printer: the driver and
// port names of its PRINTER_INFO_2 and a string value of its driver key.
#ifndef VIX_FOUNDATION_PRINTER_INFO_H
#define VIX_FOUNDATION_PRINTER_INFO_H

#include <cstddef>
#include <string>

namespace vix {

// True on NT platforms (version query platform id 2).
bool IsNtPlatform();

// Opens the printer by name for default access (on NT platforms retried
// with the wide-character name when the narrow call fails); null when it
// cannot be opened. The caller closes the handle (ClosePrinter).
void* OpenPrinterByName(const char* printer);

// Opens the printer by name (on NT platforms retried with the wide-character
// name when the narrow call fails) and reads its PRINTER_INFO_2. True when
// both succeeded; driver and port (either may be null) get its names.
bool ReadPrinterNames(const char* printer, std::string* driver, std::string* port);

// What a target's printer looks like to the spooler.
enum class PrinterPresence {
    Gone,        // the printer cannot be opened
    Incomplete,  // its PRINTER_INFO_2 lacks a driver name or a print processor
    Present,     // open, and complete or its PRINTER_INFO_2 unreadable
};
PrinterPresence ProbePrinter(const char* printer);

// Reads the string value `name` of the driver key of `driver` into
// dst[0..cap). A value that does not fit is not read. True when read.
bool ReadDriverKeyString(const char* driver, const char* name, char* dst, std::size_t cap);

// The whole string value `name` of the driver key of `driver`, or "".
std::string ReadDriverKeyText(const char* driver, const char* name);

}  // namespace vix

#endif
