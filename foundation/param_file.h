// cmdInfo: the switches the programs of the system start each other with,
// and the parameter files that carry them when a command line would not do.
//
// Switch syntax on a command line: outside double quotes "/" starts a
// switch. Its name runs up to a digit, tab, line feed, carriage return,
// blank, double quote or slash. Digits after the name (up to the end, a line
// feed, a double quote or a slash; other characters are skipped) give a
// length n: the value is then the n bytes after the double quote, taken
// literally, and a double quote right after them closes the value.
// Without a length the value runs from that double quote to the next one,
// and a slash inside it starts no switch. A switch not followed by a double
// quote (before the next slash, line feed or the end) has an empty value; a
// value that does not lie wholly inside the line is empty and ends the scan.
//
// Every text is held in 260 bytes. A value of more than 259 characters is
// refused (the field stays empty), never cut: a cut printer name could name
// another printer. A zero byte inside a value ends it.
//
// This header is free of Windows headers: the scanner, the parameter-file
// text reader and writer and the command-line builders (cmd_line.cpp) are
// pure; the file and printer work (param_file.cpp) is built for Windows only.
#ifndef VIX_FOUNDATION_PARAM_FILE_H
#define VIX_FOUNDATION_PARAM_FILE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vix {

// A parameter file's lines longer than this are cut here; the rest of such
// a line is dropped, it never becomes a line of its own.
constexpr std::size_t kParamLineMax = 1300;
// Bytes of a parameter file that are read; the rest is ignored.
constexpr std::size_t kParamFileMax = 64 * 1024;

// One switch as the scanner found it.
struct CmdSwitch {
    std::string_view name;
    std::string_view value;
};

// Calls f for each switch of a command line, in order of appearance.
void ScanCommandLine(std::string_view line, const std::function<void(const CmdSwitch&)>& f);
// The switch of one parameter-file line (false for a line without "/").
bool ScanParamLine(std::string_view line, CmdSwitch* sw);

class cmdInfo {
public:
    cmdInfo() { Clear(); }
    void Clear();

    // Stores one switch (unknown names are ignored). inFile: the switch comes
    // from a parameter file, which cannot name another parameter file.
    void StoreSwitch(const CmdSwitch& sw, bool inFile = false);
    // Stores the switches of a command line and remembers the line (cut to
    // 259 characters; the whole line is scanned).
    void ParseSwitches(std::string_view line);
    // Stores every line of a parameter file's text.
    void ReadParamText(std::string_view text);
    // Clears "BE" unless "BH", "BU", "BD" and "BI" are all present.
    void CheckBE();
    // The parameter file's text: the lines present, in their fixed order.
    std::string FormatParamFile() const;
    // True when every text can be written into a parameter file and read back
    // (no line feed or carriage return in a value).
    bool ParamFileSafe() const;

    // The whole parse of a program's command line: switches, the parameter
    // file ("/A" read and kept, "/F" read and deleted), "BE", completion.
    void Parse(const char* commandLine);
    // Reads a parameter file by its name as given, else in the temporary
    // directory. False when it cannot be opened in either place.
    bool ReadParamFile(const char* name);
    // Writes a new parameter file "Z_S*.tmp" in the temporary directory with
    // the given names and the other fields as they stand. 1 with its bare
    // name in m_szParamFile, 0 on failure (nothing left behind).
    int WriteParamFile(const char* printer, const char* port, const char* model);
    // Deletes a parameter file by its name, else in the temporary directory.
    bool DeleteParamFile(const char* name) const;
    // Fills the driver and port names from the printer. 1 when read.
    int CompleteFromPrinter();
    // Fills the model ID from the driver key's "ModelID". 1 when present.
    int CompleteModelID();

    char m_szCmdLine[260];
    char m_szTempDir[260];     // directory of the last parameter file written
    char m_szPrinterName[260];  // "P"
    char m_szDriverName[260];   // "D"
    char m_szPortName[260];     // "O"
    char m_szModelID[260];      // "M"
    char m_szReadFile[260];     // "F", "A": parameter file to read
    char m_szParamFile[260];    // "A"; later a written parameter file's bare name
    char m_szJob[260];          // "J"
    std::int32_t m_fRemove;     // "R"
    std::int32_t m_fS;          // "S"
    std::int32_t m_fE;          // "E": the launcher opens the preferences
    std::int32_t m_fC;          // "C"
    std::int32_t m_fU;          // "U"
    std::int32_t m_fBE;         // "BE"
    char m_szBH[260];
    char m_szBU[260];
    char m_szBD[260];
    char m_szBI[260];
    char m_szBN[260];
    char m_szZVM[260];
    std::int32_t m_fIconInstall;  // "I"
    std::int32_t m_bFrom;         // "EF" "HKCU": started by the core library
    std::int32_t m_bKeepFile;     // "A" was given
};

// The command lines the programs start each other with. The program path
// comes first; a path with a blank is put in double quotes so that it names
// one program only.
namespace cmdline {

constexpr const char* kFrom = "HKCU";

// The core library starts the tray agent with a parameter file.
std::string CoreToTrayWithFile(std::string_view program, std::string_view paramFile);
// ... without one; bRemove adds " /R".
std::string CoreToTrayLong(std::string_view program, std::string_view printer, std::string_view port,
                           std::string_view model, bool bRemove);
// The start-up entry (HKCU Run value) of the tray agent; name is the printer
// name, or the port name when that is empty.
std::string CoreRunEntry(std::string_view program, std::string_view name, std::string_view model);
// The tray agent starts the launcher with a parameter file.
std::string TrayToLauncherWithFile(std::string_view program, std::string_view paramFile);
// ... without one; bPreferences adds "/E".
std::string TrayToLauncherLong(std::string_view program, std::string_view printer, std::string_view port,
                               std::string_view model, bool bPreferences);
// An extra program of the tray menu; command is the menu key's command line
// and stays as it is.
std::string TrayToExtra(std::string_view command, std::string_view printer, std::string_view model,
                        std::string_view driver, std::string_view port);

}  // namespace cmdline

}  // namespace vix

#endif
